#include "fw/db/DatabaseError.h"
#include "tests/kit/CodeListFixture.h"
#include "tests/support/ChildProcess.h"

namespace kittest {
namespace {

class KeyFieldTest : public CodeListTest {
protected:
    KeyFieldTest() {
        Fill({{"A1", "Prvi"}, {"A3", "Treći"}});
        Show();
    }
};

TEST_F(KeyFieldTest, CodesAreFoundCreatedRenamedAndDeletedByKeys) {
    kit::TDBKeyField& key = *form->eSifra;
    std::vector<std::string> events;
    key.OnNew = [&](fw::TDataSet& ds) {
        events.push_back("new " + ds.FieldByName("Sifra").AsString());
        ds.FieldByName("Naziv").SetAsString("Nova");
    };
    key.OnRename = [&](fw::TDataSet& ds) {
        events.push_back("rename " + ds.FieldByName("Sifra").AsString());
    };
    key.OnDelete = [&](fw::TDataSet& ds) {
        events.push_back("delete " + ds.FieldByName("Sifra").AsString());
    };
    EXPECT_EQ(key.KeyIndex, "SIFRA");
    EXPECT_EQ(key.Text(), "A1");

    // An existing code: no question, the table moves to it and the focus goes on.
    Type("a3");
    EXPECT_EQ(key.Text(), "A3") << "typed codes are capitalised";
    Press(Qt::Key_Return);
    EXPECT_TRUE(dialogs.Calls.empty());
    EXPECT_EQ(Code(), "A3");
    EXPECT_EQ(form->ActiveControl(), form->eNaziv);

    // A new code: the creation is offered under the code's name, and OnNew fills the new record.
    key.SetFocus();
    dialogs.Answer(true);
    Type("B2");
    Press(Qt::Key_Return);
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Novo B2"}));
    EXPECT_EQ(dialogs.Calls[0].Caption, "Šifra");
    EXPECT_EQ(events, (std::vector<std::string>{"new B2"}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Prvi", "A3=Treći", "B2=Nova"}));
    EXPECT_EQ(form->ActiveControl(), form->eNaziv);

    // Creation declined on a record with a code: the rename is offered; OnRename sees the old code.
    key.SetFocus();
    dialogs.Answer(false);
    dialogs.Answer(true);
    Type("C5");
    Press(Qt::Key_Return);
    EXPECT_EQ(Asked().back(), "Staro B2>C5");
    EXPECT_EQ(events.back(), "rename B2");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Prvi", "A3=Treći", "C5=Nova"}));
    EXPECT_EQ(key.OldCode, "C5");

    // Both declined: the old code comes back and the focus goes back.
    key.SetFocus();
    dialogs.Answer(false);
    dialogs.Answer(false);
    Type("D7");
    Press(Qt::Key_Return);
    EXPECT_EQ(Asked().back(), "Staro C5>D7");
    EXPECT_EQ(key.Text(), "C5");
    EXPECT_NE(form->ActiveControl(), &key);
    EXPECT_EQ(Rows().back(), "C5=Nova");

    // Ctrl+Del asks first; declined nothing goes, accepted the record goes and the last code is current.
    key.SetFocus();
    dialogs.Answer(false);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Asked().back(), "Brisi C5");
    EXPECT_EQ(Rows().size(), 3u);
    key.SetFocus();
    dialogs.Answer(true);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(events.back(), "delete C5");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Prvi", "A3=Treći"}));
    EXPECT_EQ(key.OldCode, "A3");
    EXPECT_EQ(key.Text(), "A3");

    // Ctrl+Enter settles the code and clicks the save button.
    key.SetFocus();
    Type("A1");
    Press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Code(), "A1");
    EXPECT_EQ(form->saves, 1);
    EXPECT_EQ(events.size(), 3u) << "no event for a found code";
    // F2 puts the confirmed code back and hands the form, marked as calling, to the picker.
    key.SetFocus();
    std::vector<std::string> picks;
    key.OnF2Press = [&](fw::Component& sender) {
        picks.push_back(key.Text() + (&sender == form.get() ? " form " : " ? ") +
                        std::to_string(fw::TagState(sender)));
    };
    Type("Q");
    Press(Qt::Key_F2);
    EXPECT_EQ(picks, (std::vector<std::string>{"A1 form 2"}));
    EXPECT_TRUE(key.TextEdited);
}

// A table whose own post check gives a new record another code (the next free one): that code stands in
// the record and in the edit; the typed code is not written back over it.
TEST_F(KeyFieldTest, ACodeThePostGaveTheNewRecordStands) {
    kit::TDBKeyField& key = *form->eSifra;
    form->tSifre->BeforePost = [](fw::TDataSet& ds) {
        if (ds.State() == fw::dsInsert && ds.FieldByName("Sifra").AsString() == "B2")
            ds.FieldByName("Sifra").SetAsString("B3");
    };
    std::vector<std::string> events;
    key.OnNew = [&](fw::TDataSet& ds) { events.push_back("new " + ds.FieldByName("Sifra").AsString()); };
    key.SetFocus();
    dialogs.Answer(true);
    Type("B2");
    Press(Qt::Key_Return);
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Novo B2"}));
    EXPECT_EQ(events, (std::vector<std::string>{"new B3"}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Prvi", "A3=Treći", "B3="}));
    EXPECT_EQ(key.OldCode, "B3");
    EXPECT_EQ(key.Text(), "B3");
    EXPECT_EQ(form->ActiveControl(), form->eNaziv);
}

TEST_F(KeyFieldTest, ATypedCodeNeverRewritesTheRecordItWasTypedOver) {
    kit::TDBKeyField& key = *form->eSifra;
    // No new record can be started: refused, nothing written, the focus stays with the typed code.
    form->tSifre->BeforeInsert = [](fw::TDataSet&) { throw base::Abort(); };
    dialogs.Answer(true);
    Type("B2");
    Press(Qt::Key_Return);
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Novo B2"}));
    EXPECT_EQ(form->ActiveControl(), &key);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Prvi", "A3=Treći"}));
    // Leaving undoes the unconfirmed code.
    Press(Qt::Key_Tab);
    EXPECT_EQ(key.Text(), "A1");
    EXPECT_EQ(Code(), "A1");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Prvi", "A3=Treći"}));
    form->tSifre->BeforeInsert = nullptr;

    // Creation and rename declined: "A1" stays as it was.
    key.SetFocus();
    dialogs.Answer(false);
    dialogs.Answer(false);
    Type("B2");
    Press(Qt::Key_Return);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Prvi", "A3=Treći"}));
    EXPECT_EQ(key.Text(), "A1");

    // A typed code dropped by Down: the other changes of the record are kept and posted.
    form->eNaziv->SetFocus();
    Type("X");
    key.SetFocus();
    Type("Q9");
    Press(Qt::Key_Down);
    EXPECT_EQ(Code(), "A3");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=X", "A3=Treći"}));
    // Down on the last record starts a new one; Up drops it again.
    Press(Qt::Key_Down);
    EXPECT_EQ(T().State(), fw::dsInsert);
    EXPECT_EQ(key.OldCode, "");
    Press(Qt::Key_Up);
    EXPECT_EQ(T().State(), fw::dsBrowse);
    EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(KeyFieldTest, TheFocusLookIsAppliedOnceAndUndoneOnLeaving) {
    kit::TDBKeyField& key = *form->eSifra;
    auto place = [&] {
        const QRect g = key.Widget().geometry();
        return std::vector<int>{g.x(), g.y(), g.width()};
    };
    EXPECT_EQ(place(), (std::vector<int>{8, 8, 154}));
    EXPECT_TRUE(key.Widget().font().bold());
    // A refused search enters the control again without growing it.
    key.DoEnter();
    EXPECT_EQ(place(), (std::vector<int>{8, 8, 154}));
    Press(Qt::Key_Tab);
    EXPECT_EQ(place(), (std::vector<int>{10, 10, 150}));
    EXPECT_FALSE(key.Widget().font().bold());
    EXPECT_EQ(key.Color(), fw::FromQColor(fw::ToQColor(fw::clWindow)));
}

TEST_F(KeyFieldTest, AControlWithoutAFieldSaysSoAndTakesNoTyping) {
    auto* loose = new kit::TDBKeyField(form.get(), form.get());
    loose->SetName("eLoose");
    loose->SetBounds(10, 100, 100, 24);
    loose->SetFocus();
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Komponenta \"eLoose\" nije potpuno definirana"}));
    EXPECT_FALSE(loose->Entered);
    Type("Z");
    EXPECT_EQ(loose->Text(), "");
}

TEST_F(KeyFieldTest, ANameFieldRefusesATakenValueAndRenamesOnItsOwnIndex) {
    Fill({{"A5", ""}});
    T().Refresh();
    auto* name = new kit::TDBField(form.get(), form.get());
    name->SetName("eIme");
    name->SetBounds(10, 100, 150, 24);
    name->SetDataSource(&form->sSifre);
    name->SetDataField("Naziv");
    name->Capitalize = false;
    name->Required = true;
    name->Loaded();
    EXPECT_EQ(name->TableIndex, "SIFRA");
    EXPECT_EQ(name->SearchIndex, "NAZIV");
    std::vector<std::string> renamed;
    name->OnRename = [&](fw::TDataSet& ds) { renamed.push_back(ds.FieldByName("Naziv").AsString()); };

    // A value another record has: a beep, the focus stays, nothing changes, the table keeps its index.
    name->SetFocus();
    Type("Treći");
    Press(Qt::Key_Return);
    EXPECT_EQ(recorder.Beeps, (std::vector<unsigned>{32}));
    EXPECT_EQ(form->ActiveControl(), name);
    EXPECT_EQ(T().IndexFieldNames(), "SIFRA");
    EXPECT_EQ(Code(), "A1");
    // A free value renames the record it was typed into, without a question.
    Press(Qt::Key_Backspace);
    Type("Drugi");
    Press(Qt::Key_Return);
    EXPECT_TRUE(dialogs.Calls.empty());
    EXPECT_EQ(renamed, (std::vector<std::string>{"Prvi"}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Drugi", "A3=Treći", "A5="}));
    EXPECT_NE(form->ActiveControl(), name);
    // An empty, untouched required value may not be left by Enter.
    form->eSifra->SetFocus();
    T().Last();
    name->SetFocus();
    Press(Qt::Key_Return);
    EXPECT_EQ(form->ActiveControl(), name);
    name->Required = false;
    Press(Qt::Key_Return);
    EXPECT_NE(form->ActiveControl(), name);
    name->SetDataSource(nullptr);
}

TEST_F(KeyFieldTest, AnEngineFailureDuringACodeSearchIsShownAndTheFormLivesOn) {
    // A broken share: the table fails to move and its controls fail to read it again.
    bool broken = false;
    const auto fail = [&] {
        if (broken)
            throw fw::EDatabaseError("Indeks ne postoji (SIFRE.DB)", fw::EDatabaseError::Kind::MissingTable);
    };
    fw::TDataSource reader;
    reader.SetDataSet(form->tSifre);
    reader.OnDataChange = [&](fw::TDataSource&, fw::TField*) { fail(); };
    form->tSifre->BeforeScroll = [&](fw::TDataSet&) { fail(); };
    dialogs.Answer(true);
    Type("B2");
    broken = true;
    Press(Qt::Key_Return);
    broken = false;
    QApplication::processEvents();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Indeks ne postoji (SIFRE.DB)"}))
        << "the failure is told once, not swallowed";
    EXPECT_EQ(form->ActiveControl(), form->eSifra) << "the code was not settled";
    EXPECT_EQ(form->eSifra->Text(), "B2") << "the code typed stays for another try";
    // The controls follow the table again: the next search works.
    form->eSifra->SelectAll();
    Type("A3");
    Press(Qt::Key_Return);
    EXPECT_EQ(Code(), "A3");
    EXPECT_EQ(form->eNaziv->Text(), "Treći");
    form->tSifre->BeforeScroll = nullptr;
}

// Runs f in a second process of the program on the same data folder; its exit code (-1 when it hangs or
// is killed, so a stuck station fails the test instead of the run).
int InOtherProcess(const std::function<bool()>& f) {
    auto child = testsupport::ChildProcess::Fork([&f] { return f() ? 0 : 1; });
    const auto end = child->Wait(std::chrono::seconds(60));
    return end && end->Exited ? end->Code : -1;
}

TEST_F(KeyFieldTest, ACodeCreatedByOneStationIsFoundByTheOther) {
    // The other station adds "Z9" while this form is open: the search finds it, nothing is offered.
    EXPECT_EQ(InOtherProcess([] {
                  fw::TTable t;
                  Setup(t, "Global", "SIFRE.DB");
                  t.Open();
                  t.Append();
                  t.FieldByName("Sifra").SetAsString("Z9");
                  t.FieldByName("Naziv").SetAsString("Tuđi");
                  t.Post();
                  return true;
              }),
              0);
    Type("Z9");
    Press(Qt::Key_Return);
    EXPECT_TRUE(dialogs.Calls.empty());
    EXPECT_EQ(Code(), "Z9");
    EXPECT_EQ(T().FieldByName("Naziv").AsString(), "Tuđi");
    // A code created here is found by the other station's key search.
    form->eSifra->SetFocus();
    dialogs.Answer(true);
    Type("Y8");
    Press(Qt::Key_Return);
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Novo Y8"}));
    EXPECT_EQ(InOtherProcess([] {
                  fw::TTable t;
                  Setup(t, "Global", "SIFRE.DB");
                  t.SetIndexFieldNames("Sifra");
                  t.Open();
                  t.SetKey();
                  t.FieldByName("Sifra").SetAsString("Y8");
                  return t.GotoKey();
              }),
              0);
}

} // namespace
} // namespace kittest

namespace kittest {
namespace {

// A code longer than its field is not taken: the edit stops at the field's size, so a longer code never
// finds an existing shorter one and the name typed next cannot go to that record.
TEST_F(KeyFieldTest, AKeyEditTakesNoMoreThanItsFieldHolds) {
    kit::TDBKeyField& key = *form->eSifra;
    key.SetFocus();
    Type("ABCDEFGH");
    EXPECT_EQ(key.Text(), "ABCDEF");
    // After the field's analysis (its key index) too.
    dialogs.Answer(true);
    Press(Qt::Key_Return);
    key.SetFocus();
    key.SelectAll();
    Type("ZYXWVUTS");
    EXPECT_EQ(key.Text(), "ZYXWVU");
    // The field's size holds even where the edit itself was given no limit (a rebound or reopened link).
    key.SetMaxLength(0);
    key.SelectAll();
    Type("QWERTYUI");
    EXPECT_EQ(key.Text(), "QWERTY");
    // A selected character is replaced, not refused.
    key.setSelection(5, 1);
    Type("Z");
    EXPECT_EQ(key.Text(), "QWERTZ");
}

} // namespace
} // namespace kittest
