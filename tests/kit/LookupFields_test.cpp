#include "fw/db/Session.h"
#include "fw/ui/DBGrid.h"
#include "kit/LookupFields.h"
#include "tests/kit/CodeListFixture.h"
#include "tests/support/ChildProcess.h"

#include <QApplication>
#include <QTableView>

namespace kittest {
namespace {

// The register a lookup names: "GRUPE.DB" (Code, Sifra, Naziv) of "Global".
void MakeGroups() {
    fw::TTable t;
    t.SetDatabaseName("Global");
    t.SetTableName("GRUPE.DB");
    t.FieldDefs().Add("Code", fw::ftAutoInc);
    t.FieldDefs().Add("Sifra", fw::ftString, 4);
    t.FieldDefs().Add("Naziv", fw::ftString, 20);
    t.IndexDefs().Add("", "Code", fw::ixPrimary | fw::ixUnique);
    t.IndexDefs().Add("SIFRA", "Sifra", fw::ixCaseInsensitive);
    t.CreateTable();
}

// The picker of the groups, as the code lists open it on F2: closing it writes its current code back into
// the caller's lookup.
class GroupPicker : public kit::TMyForm {
public:
    explicit GroupPicker(fw::Component* owner) : kit::TMyForm(owner) {
        KeyPreview = true;
        resize(300, 300);
        eSifra = new fw::DBEdit(this, this);
        eSifra->SetBounds(10, 10, 100, 24);
        eSifra->SetDataSource(&sTable);
        eSifra->SetDataField("Sifra");
        gTable = new fw::DBGrid(this, this);
        gTable->SetBounds(10, 50, 280, 200);
        gTable->SetDataSource(&sTable);
        tTable = new kit::TMyTable(this);
        tTable->SetDatabaseName("Global");
        tTable->SetTableName("GRUPE.DB");
        tTable->SetIndexFieldNames("Sifra");
        sTable.SetDataSet(tTable);
        OnClose = [this](fw::Component&, fw::CloseAction&) {
            auto* combo = Caller ? dynamic_cast<fw::DBLookupCombo*>(Caller->ActiveControl()) : nullptr;
            if (combo && app::HasRecords(combo->DataSet()) && app::StartEdit(combo->DataSet())) {
                combo->SetText(eSifra->Text());
                combo->SelectAll();
            }
        };
        SetActiveControl(gTable);
    }
    fw::Form* Caller = nullptr;
    fw::TDataSource sTable;
    fw::DBEdit* eSifra;
    fw::DBGrid* gTable;
    kit::TMyTable* tTable;
};
GroupPicker* Picker = nullptr;

// The code list with its lookups: "Grupa" through a lookup field (creates, renames and deletes groups),
// "Grupa2" through a just-lookup (refuses a missing group).
class LookupTest : public CodeListTest {
protected:
    LookupTest() {
        fw::TTable t;
        Setup(t, "Global", "SIFRE.DB");
        t.FieldDefs().Add("Sifra", fw::ftString, 6);
        t.FieldDefs().Add("Naziv", fw::ftString, 20);
        t.FieldDefs().Add("Grupa", fw::ftInteger);
        t.FieldDefs().Add("Grupa2", fw::ftInteger);
        t.IndexDefs().Add("", "Sifra", fw::ixPrimary | fw::ixUnique);
        t.IndexDefs().Add("NAZIV", "Naziv", fw::ixCaseInsensitive);
        t.CreateTable();
        MakeGroups();
        AddGroup("G1", "Prva");
        AddGroup("G2", "Druga");
        Fill({{"A1", "Prvi"}, {"A3", "Treći"}});
        fw::TTable s;
        Setup(s, "Global", "SIFRE.DB");
        s.Open();
        s.First();
        s.Edit();
        s.FieldByName("Grupa").SetAsInteger(1);
        s.Post();
        Picker = nullptr;
    }
    ~LookupTest() override {
        form.reset();
        delete Picker;
        Picker = nullptr;
    }
    static void AddGroup(const char* sifra, const char* naziv) {
        fw::TTable t;
        Setup(t, "Global", "GRUPE.DB");
        t.Open();
        t.Append();
        t.FieldByName("Sifra").SetAsString(sifra);
        t.FieldByName("Naziv").SetAsString(naziv);
        t.Post();
    }
    // withCodes: also a TDBLookup on "Naziv" that names a group by its code itself.
    void ShowWithLookups(bool withCodes = false) {
        form.reset(fw::CreateForm<CodeListForm>(nullptr, [this, withCodes](CodeListForm& f) {
            auto lookup = [&](auto* c, const char* name, const char* field, fw::TDataSource& source, int y) {
                c->SetName(name);
                c->SetBounds(10, y, 150, 24);
                c->SetDataSource(&f.sSifre);
                c->SetDataField(field);
                c->SetLookupSource(&source);
                c->SetLookupField("Code");
                return c;
            };
            cGrupa = lookup(new kit::TDBLookupField(&f, &f), "cGrupa", "Grupa", sGrupe, 90);
            cGrupa->SetLookupDisplay("Sifra;Naziv");
            cGrupa2 = lookup(new kit::TDBJustLookup(&f, &f), "cGrupa2", "Grupa2", sGrupe2, 130);
            cGrupa2->SetLookupDisplay("Sifra");
            cGrupa->SetTabOrder(2);
            cGrupa2->SetTabOrder(3);
            auto table = [&](fw::TDataSource& source) {
                auto* t = new kit::TMyTable(&f);
                t->SetDatabaseName("Global");
                t->SetTableName("GRUPE.DB");
                t->SetIndexFieldNames("Code");
                t->FreeToModify = true;
                source.SetDataSet(t);
                return t;
            };
            tGrupe = table(sGrupe);
            tGrupe2 = table(sGrupe2);
            if (!withCodes) return;
            cNaziv = lookup(new kit::TDBLookup(&f, &f), "cNaziv", "Naziv", sGrupe3, 170);
            cNaziv->SetLookupField("Sifra");
            cNaziv->SetLookupDisplay("Sifra");
            table(sGrupe3)->SetIndexFieldNames("Sifra");
        }));
        fwtest::ShowActive(*form);
        form->eSifra->SetFocus();
    }
    // "SIFRA=NAZIV/GRUPA" of every code in key order.
    std::vector<std::string> Codes() { return Rows({"Grupa"}); }
    // "CODE:SIFRA=NAZIV" of every group.
    std::vector<std::string> Groups() {
        fw::TTable t;
        Setup(t, "Global", "GRUPE.DB");
        t.Open();
        std::vector<std::string> rows;
        for (t.First(); !t.Eof(); t.Next())
            rows.push_back(t.FieldByName("Code").AsString() + ":" + t.FieldByName("Sifra").AsString() + "=" +
                           t.FieldByName("Naziv").AsString());
        return rows;
    }
    std::string Grupa() { return T().FieldByName("Grupa").AsString(); }

    fw::TDataSource sGrupe, sGrupe2, sGrupe3;
    kit::TDBLookup* cNaziv = nullptr;
    kit::TMyTable* tGrupe = nullptr;
    kit::TMyTable* tGrupe2 = nullptr;
    kit::TDBLookupField* cGrupa = nullptr;
    kit::TDBJustLookup* cGrupa2 = nullptr;
};

TEST_F(LookupTest, TheLinkAnalysisSplitsTheClosedAndTheListMode) {
    ShowWithLookups();
    kit::TDBLookupField& c = *cGrupa;
    EXPECT_TRUE(c.Analysed);
    EXPECT_EQ(c.ClosedMasterFields, "GRUPA");
    EXPECT_EQ(c.ListMasterFields, "");
    EXPECT_EQ(c.ClosedIndexFields, "CODE");
    EXPECT_EQ(c.ListIndexFields, "SIFRA");
    EXPECT_EQ(c.SearchField, "SIFRA");
    EXPECT_EQ(tGrupe->MasterSource(), &form->sSifre);
    // Closed: the one row of the record's group, shown by its code.
    EXPECT_EQ(c.Text(), "G1");
    EXPECT_EQ(tGrupe->RecordCount(), 1);
    T().Next();
    EXPECT_EQ(c.Text(), "");
    T().First();
    EXPECT_EQ(c.Text(), "G1");

    // F4 opens the list in list mode on every code in code order; Down and Enter take a code; closing is no
    // exit of the control.
    c.SetFocus();
    int exits = 0;
    c.OnExit = [&](fw::Component&) { ++exits; };
    Press(Qt::Key_F4);
    ASSERT_TRUE(c.ListVisible());
    EXPECT_TRUE(c.ListMode);
    EXPECT_EQ(tGrupe->RecordCount(), 2);
    EXPECT_EQ(sGrupe.Tag, 99);
    QWidget* list = &c.List();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(tGrupe->FieldByName("Sifra").AsString(), "G2");
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(c.ListVisible());
    EXPECT_FALSE(c.ListMode);
    EXPECT_EQ(sGrupe.Tag, 0);
    EXPECT_EQ(c.Text(), "G2");
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(form->ActiveControl(), &c);
    Press(Qt::Key_Return);
    EXPECT_EQ(Grupa(), "2");
    EXPECT_EQ(exits, 1);
    // Typing into an open list closes it and types into the edit.
    c.SetFocus();
    Press(Qt::Key_F4);
    QTest::keyClick(list, Qt::Key_G);
    EXPECT_FALSE(c.ListVisible());
    EXPECT_EQ(c.Text(), "G");
}

TEST_F(LookupTest, CodesAreSearchedCreatedRenamedAndDeletedThroughTheLookup) {
    ShowWithLookups();
    kit::TDBLookupField& c = *cGrupa;
    std::vector<std::string> events;
    c.OnNew = [&](fw::TDataSet& ds) {
        events.push_back("new " + ds.FieldByName("Sifra").AsString());
        ds.FieldByName("Naziv").SetAsString("Nova");
    };
    c.OnRename = [&](fw::TDataSet& ds) { events.push_back("rename " + ds.FieldByName("Sifra").AsString()); };
    c.OnDelete = [&](fw::TDataSet& ds) { events.push_back("delete " + ds.FieldByName("Sifra").AsString()); };
    int exitChanged = 0;
    c.OnExitChanged = [&](fw::Component&) { ++exitChanged; };

    // The key field finds an existing code: the form moves to it, the lookup follows.
    Type("A3");
    Press(Qt::Key_Return);
    EXPECT_EQ(Code(), "A3");
    EXPECT_EQ(c.Text(), "");

    // An existing group: its key is written and posted, no question, the focus goes on.
    c.SetFocus();
    Type("g2");
    Press(Qt::Key_Return);
    EXPECT_TRUE(dialogs.Calls.empty());
    EXPECT_EQ(Codes(), (std::vector<std::string>{"A1=Prvi/1", "A3=Treći/2"}));
    EXPECT_EQ(c.Text(), "G2");
    EXPECT_EQ(form->ActiveControl(), cGrupa2);
    EXPECT_EQ(exitChanged, 1);

    // A missing group, created: the new row, OnNew on it, its key in the record.
    c.SetFocus();
    dialogs.Answer(true);
    Type("G7");
    Press(Qt::Key_Return);
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Novo G7"}));
    EXPECT_EQ(dialogs.Calls[0].Caption, "Sifra");
    EXPECT_EQ(Groups(), (std::vector<std::string>{"1:G1=Prva", "2:G2=Druga", "3:G7=Nova"}));
    EXPECT_EQ(Codes()[1], "A3=Treći/3");
    EXPECT_EQ(events, (std::vector<std::string>{"new G7"}));
    EXPECT_EQ(c.Text(), "G7");

    // Creation declined: the chosen group is renamed instead; the record keeps its key.
    c.SetFocus();
    dialogs.Answer(false);
    dialogs.Answer(true);
    Type("G8");
    Press(Qt::Key_Return);
    EXPECT_EQ(Asked().back(), "Staro G7>G8");
    EXPECT_EQ(events.back(), "rename G7");
    EXPECT_EQ(Groups().back(), "3:G8=Nova");
    EXPECT_EQ(Codes()[1], "A3=Treći/3");
    EXPECT_EQ(c.Text(), "G8");

    // Both declined: refused, the focus stays, nothing changed anywhere; leaving shows the group again.
    c.SetFocus();
    dialogs.Answer(false);
    dialogs.Answer(false);
    Type("G9");
    Press(Qt::Key_Return);
    EXPECT_EQ(form->ActiveControl(), &c);
    EXPECT_EQ(Groups().size(), 3u);
    EXPECT_EQ(Codes()[1], "A3=Treći/3");
    Press(Qt::Key_Tab);
    EXPECT_EQ(c.Text(), "G8");
    EXPECT_EQ(Grupa(), "3");

    // Ctrl+Del asks first; declined nothing goes; accepted the row goes and leaving clears the key.
    c.SetFocus();
    dialogs.Answer(false);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Asked().back(), "Brisi G8");
    EXPECT_EQ(Groups().size(), 3u);
    dialogs.Answer(true);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(events.back(), "delete G8");
    EXPECT_EQ(Groups(), (std::vector<std::string>{"1:G1=Prva", "2:G2=Druga"}));
    EXPECT_EQ(form->ActiveControl(), &c);
    Press(Qt::Key_Tab);
    EXPECT_EQ(Codes()[1], "A3=Treći/");
    EXPECT_EQ(c.Text(), "");

    // A required lookup may not be emptied: refused with its name before the empty value is written
    // anywhere; an optional one clears the key.
    c.SetFocus();
    Type("G1");
    Press(Qt::Key_Return);
    c.SetFocus();
    c.Required = true;
    c.DisplayName = "Grupa";
    const std::size_t told = dialogs.Texts().size();
    Press(Qt::Key_Backspace);
    Press(Qt::Key_Return);
    EXPECT_EQ(form->ActiveControl(), &c);
    EXPECT_EQ(Codes()[1], "A3=Treći/1");
    ASSERT_EQ(dialogs.Texts().size(), told + 1);
    EXPECT_EQ(dialogs.Texts().back(), "Morate unijeti: Grupa !!!");
    EXPECT_EQ(c.Text(), "") << "the emptied text stays for the user to correct";
    c.Required = false;
    Press(Qt::Key_Return);
    EXPECT_NE(form->ActiveControl(), &c);
}

TEST_F(LookupTest, ARefusedExitChangeTakesBackTextAndKeyTogether) {
    ShowWithLookups();
    kit::TDBLookupField& c = *cGrupa;
    std::vector<std::string> seen;
    bool refuse = true;
    c.OnExitChanged = [&](fw::Component&) {
        seen.push_back(kit::Kit.OldText + (kit::Kit.ValueUnchanged ? "=" : ">") + c.Text());
        if (refuse) throw base::Exception("ne");
    };
    c.SetFocus();
    Type("G2");
    Press(Qt::Key_Return);
    EXPECT_EQ(seen, (std::vector<std::string>{"G1>G2"}));
    EXPECT_EQ(c.Text(), "G1");
    EXPECT_EQ(Codes()[0], "A1=Prvi/1");
    EXPECT_EQ(form->ActiveControl(), &c);
    EXPECT_TRUE(Shown().empty()) << "the refusal is the handler's to show";
    // Accepted, then the same code again: the handler is told it is unchanged.
    refuse = false;
    Type("G2");
    Press(Qt::Key_Return);
    EXPECT_EQ(Codes()[0], "A1=Prvi/2");
    c.SetFocus();
    Type("G2");
    Press(Qt::Key_Return);
    EXPECT_EQ(seen.back(), "G2=G2");

    // On a new record only this field goes back: what was typed into the record stays, nothing is written.
    refuse = true;
    T().Append();
    T().FieldByName("Sifra").SetAsString("A9");
    T().FieldByName("Naziv").SetAsString("Novi");
    c.SetFocus();
    Type("G1");
    Press(Qt::Key_Return);
    EXPECT_EQ(T().State(), fw::dsInsert);
    EXPECT_EQ(T().FieldByName("Naziv").AsString(), "Novi");
    EXPECT_TRUE(T().FieldByName("Grupa").IsNull());
    EXPECT_EQ(c.Text(), "");
    EXPECT_EQ(Codes(), (std::vector<std::string>{"A1=Prvi/2", "A3=Treći/"}));
}

TEST_F(LookupTest, AJustLookupRefusesAMissingCodeWithTheMissingCodeBox) {
    ShowWithLookups();
    kit::TDBJustLookup& c = *cGrupa2;
    c.SetFocus();
    Type("G2");
    Press(Qt::Key_Return);
    EXPECT_EQ(T().FieldByName("Grupa2").AsString(), "2");
    c.SetFocus();
    Type("Q4");
    Press(Qt::Key_Return);
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Nema Q4"}));
    EXPECT_EQ(form->ActiveControl(), &c);
    EXPECT_EQ(Groups().size(), 2u);
    EXPECT_EQ(T().FieldByName("Grupa2").AsString(), "2");
    // Ctrl+Del is not the just-lookup's: nothing is asked or deleted.
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Asked().size(), 1u);
    EXPECT_EQ(Groups().size(), 2u);
}

TEST_F(LookupTest, ALookupShowingTheCodesThemselvesTakesAnyTypedCode) {
    ShowWithLookups(true);
    kit::TDBLookup& c = *cNaziv;
    EXPECT_FALSE(c.HasDisplayField);
    EXPECT_EQ(c.SearchField, "SIFRA");
    EXPECT_EQ(c.Text(), "Prvi") << "shown as the field holds it";
    c.SetFocus();
    Type("g2");
    Press(Qt::Key_Return);
    EXPECT_EQ(Codes()[0], "A1=G2/1");
    c.SetFocus();
    Type("Q1");
    Press(Qt::Key_Return);
    EXPECT_TRUE(dialogs.Calls.empty());
    EXPECT_EQ(Codes()[0], "A1=Q1/1");
    EXPECT_EQ(Groups().size(), 2u);
}

TEST_F(LookupTest, F2OpensThePickerWhoseCodeComesBackIntoTheLookup) {
    ShowWithLookups();
    kit::TDBLookupField& c = *cGrupa;
    bool callerMarked = false;
    c.OnF2Press = [&](fw::Component& sender) {
        auto* caller = dynamic_cast<fw::Form*>(&sender);
        callerMarked = fw::TagState(sender) == 2;
        app::OpenForm<GroupPicker>(Picker, caller, [caller](GroupPicker& p) {
            p.Caller = caller;
            p.OnShow = [&p](fw::Component&) {
                Later([&p] {
                    p.tTable->First();
                    Key(p, Qt::Key_Down);
                    Key(p, Qt::Key_Escape);
                });
            };
        });
    };
    c.SetFocus();
    Type("X");
    Press(Qt::Key_F2);
    EXPECT_TRUE(callerMarked);
    ASSERT_NE(Picker, nullptr);
    EXPECT_EQ(c.Text(), "G2");
    // The picked code is the field's value at once, without Enter; the user stays in the lookup.
    EXPECT_EQ(Codes()[0], "A1=Prvi/2");
    EXPECT_EQ(form->ActiveControl(), &c);
    EXPECT_TRUE(c.Entered);
    Press(Qt::Key_Return);
    EXPECT_EQ(Codes()[0], "A1=Prvi/2");
}

TEST_F(LookupTest, ACodeTypedOverARecordNeverRewritesIt) {
    ShowWithLookups();
    // "B2" typed over "A1" and created: a new record, "A1" keeps its code, name and group.
    dialogs.Answer(true);
    Type("B2");
    Press(Qt::Key_Return);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"A1=Prvi/1", "A3=Treći/", "B2=/"}));
    // Declined: refused, nothing written; leaving takes the code back.
    form->eSifra->SetFocus();
    T().First();
    form->eSifra->SetFocus();
    dialogs.Answer(false);
    dialogs.Answer(false);
    Type("B5");
    Press(Qt::Key_Return);
    Press(Qt::Key_Tab);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"A1=Prvi/1", "A3=Treći/", "B2=/"}));
}

TEST_F(LookupTest, ACodeFieldTakesOnlyAFreeValueAndOpensOnlyWithoutOne) {
    ShowWithLookups();
    auto* name = new kit::TDBCodeField(form.get(), form.get());
    name->SetName("eIme");
    name->SetBounds(10, 170, 150, 24);
    name->SetDataSource(&form->sSifre);
    name->SetDataField("Naziv");
    name->Capitalize = false;
    name->Loaded();
    EXPECT_TRUE(name->Required);
    EXPECT_EQ(name->Tag(), kit::NameEditTag);
    // Locked while the record shown has a value; open on a record without one.
    EXPECT_FALSE(name->TabStop());
    EXPECT_EQ(name->Color(), fw::FromQColor(fw::ToQColor(fw::clBtnFace)));
    T().Edit();
    T().FieldByName("Naziv").SetAsString("");
    T().Post();
    EXPECT_TRUE(name->TabStop());
    // A value another record has is refused with a beep; a free one is written without a question (into a new
    // record, as the current one had none).
    name->SetFocus();
    Type("Treći");
    Press(Qt::Key_Return);
    EXPECT_EQ(recorder.Beeps, (std::vector<unsigned>{32}));
    EXPECT_EQ(form->ActiveControl(), name);
    Press(Qt::Key_Backspace);
    Type("Novi");
    Press(Qt::Key_Return);
    EXPECT_TRUE(dialogs.Calls.empty());
    EXPECT_EQ(Codes(), (std::vector<std::string>{"=Novi/", "A1=/1", "A3=Treći/"}));
    EXPECT_NE(form->ActiveControl(), name);
    EXPECT_FALSE(name->TabStop());
    name->SetDataSource(nullptr);
}

// Another station on the same data folder: adds a group ("add <code>") or answers whether one exists
// ("find <code>", exit code 0 when found).
PLOM_CHILD_ROLE(GroupStation) {
    fw::TDatabase db;
    db.SetDatabaseName("Global");
    db.KeepConnection = false;
    db.Params = {"DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"};
    db.SetParam("PATH", args.at(0));
    fw::TTable t;
    t.SetDatabaseName("Global");
    t.SetTableName("GRUPE.DB");
    t.SetIndexFieldNames("Sifra");
    t.Open();
    if (args.at(1) == "add") {
        t.Append();
        t.FieldByName("Sifra").SetAsString(args.at(2));
        t.FieldByName("Naziv").SetAsString("Tuđa");
        t.Post();
        return 0;
    }
    return t.FindKey({engine::Value::Text(args.at(2))}) ? 0 : 1;
}

TEST_F(LookupTest, AGroupCreatedByOneStationIsFoundByTheOther) {
    ShowWithLookups();
    const std::string global = (folder / "global").string();
    auto run = [&](const std::string& what, const std::string& code) {
        auto child = testsupport::ChildProcess::Role("GroupStation", {global, what, code});
        auto status = child->Wait();
        return status && status->Success();
    };
    // Added by the other station while the form is open: found, nothing offered.
    ASSERT_TRUE(run("add", "G5"));
    cGrupa->SetFocus();
    Type("G5");
    Press(Qt::Key_Return);
    EXPECT_TRUE(dialogs.Calls.empty());
    EXPECT_EQ(Codes()[0], "A1=Prvi/3");
    // Created here: the other station's search finds it.
    cGrupa->SetFocus();
    dialogs.Answer(true);
    Type("G6");
    Press(Qt::Key_Return);
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Novo G6"}));
    EXPECT_TRUE(run("find", "G6"));
    EXPECT_FALSE(run("find", "G9"));
}

} // namespace
} // namespace kittest

namespace kittest {
namespace {

// The parameters of an article: "PARAM.DB" keyed by the article's "Code", chosen by the article's code.
class ParamForm : public kit::TMyForm {
public:
    explicit ParamForm(fw::Component* owner) : kit::TMyForm(owner) {
        KeyPreview = true;
        resize(400, 200);
        cArtikl = new kit::TDBLookupKeyField(this, this);
        cArtikl->SetName("cArtikl");
        cArtikl->SetBounds(10, 10, 150, 24);
        cArtikl->SetDataSource(&sParam);
        cArtikl->SetDataField("Artikl");
        cArtikl->SetLookupSource(&sArtikl);
        cArtikl->SetLookupField("Code");
        cArtikl->SetLookupDisplay("Sifra");
        eOpis = new kit::TDBVar(this, this);
        eOpis->SetName("eOpis");
        eOpis->SetBounds(10, 50, 150, 24);
        eOpis->SetDataSource(&sParam);
        eOpis->SetDataField("Opis");
        tParam = new kit::TMyTable(this);
        tParam->SetDatabaseName("Global");
        tParam->SetTableName("PARAM.DB");
        tParam->SetIndexFieldNames("Artikl");
        tParam->FreeToModify = true;
        sParam.SetDataSet(tParam);
        tArtikl = new kit::TMyTable(this);
        tArtikl->SetDatabaseName("Global");
        tArtikl->SetTableName("GRUPE.DB");
        tArtikl->SetIndexFieldNames("Code");
        sArtikl.SetDataSet(tArtikl);
        SetActiveControl(cArtikl);
    }
    fw::TDataSource sParam, sArtikl;
    kit::TDBLookupKeyField* cArtikl;
    kit::TDBVar* eOpis;
    kit::TMyTable* tParam;
    kit::TMyTable* tArtikl;
};

class LookupKeyTest : public KitTest {
protected:
    LookupKeyTest() {
        MakeGroups();
        for (const char* sifra : {"G1", "G2", "G3"}) {
            fw::TTable t;
            Setup(t, "Global", "GRUPE.DB");
            t.Open();
            t.Append();
            t.FieldByName("Sifra").SetAsString(sifra);
            t.Post();
        }
        fw::TTable p;
        Setup(p, "Global", "PARAM.DB");
        p.FieldDefs().Add("Artikl", fw::ftInteger);
        p.FieldDefs().Add("Opis", fw::ftString, 20);
        p.IndexDefs().Add("", "Artikl", fw::ixPrimary | fw::ixUnique);
        p.CreateTable();
        p.Open();
        p.Append();
        p.FieldByName("Artikl").SetAsInteger(1);
        p.FieldByName("Opis").SetAsString("prvi");
        p.Post();
        p.Close();
        form.reset(fw::CreateForm<ParamForm>(nullptr));
        fwtest::ShowActive(*form);
        form->cArtikl->SetFocus();
    }
    ~LookupKeyTest() override { form.reset(); }
    // "ARTIKL=OPIS" of every parameter record.
    std::vector<std::string> Params() {
        fw::TTable t;
        Setup(t, "Global", "PARAM.DB");
        t.Open();
        std::vector<std::string> rows;
        for (t.First(); !t.Eof(); t.Next())
            rows.push_back(t.FieldByName("Artikl").AsString() + "=" + t.FieldByName("Opis").AsString());
        return rows;
    }
    void Type(const QString& text) { fwtest::Type(fwtest::FocusTarget(*form), text); }
    void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { Key(*form, key, mods); }
    std::unique_ptr<ParamForm> form;
};

TEST_F(LookupKeyTest, TheChosenArticleMovesAppendsOrReKeysTheOwnRecord) {
    kit::TDBLookupKeyField& c = *form->cArtikl;
    std::vector<std::string> events;
    c.OnNew = [&](fw::TDataSet& ds) { events.push_back("new " + ds.FieldByName("Artikl").AsString()); };
    c.OnRename = [&](fw::TDataSet& ds) { events.push_back("rename " + ds.FieldByName("Artikl").AsString()); };
    EXPECT_EQ(c.Text(), "G1");
    // No record of the article: the current record takes its key.
    Type("G2");
    Press(Qt::Key_Return);
    EXPECT_EQ(Params(), (std::vector<std::string>{"2=prvi"}));
    EXPECT_EQ(events, (std::vector<std::string>{"rename 1"}));
    EXPECT_EQ(form->ActiveControl(), form->eOpis);
    // Ctrl+Del asks, then deletes the own record (the article stays).
    c.SetFocus();
    dialogs.Answer(true);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(dialogs.Calls.size(), 1u);
    EXPECT_EQ(dialogs.Calls[0].Kind, app::DialogKind::Brisi);
    EXPECT_EQ(dialogs.Calls[0].Code, "G2");
    EXPECT_TRUE(Params().empty());
    // An empty table: the chosen article gets a new record.
    c.SetFocus();
    Type("G3");
    Press(Qt::Key_Return);
    EXPECT_EQ(Params(), (std::vector<std::string>{"3="}));
    EXPECT_EQ(events.back(), "new 3");
    // An article that has a record: the form moves to it, nothing is written.
    form->tParam->Append();
    form->tParam->FieldByName("Artikl").SetAsInteger(1);
    form->tParam->FieldByName("Opis").SetAsString("jedan");
    form->tParam->Post();
    c.SetFocus();
    Type("G3");
    Press(Qt::Key_Return);
    EXPECT_EQ(form->tParam->FieldByName("Artikl").AsString(), "3");
    EXPECT_EQ(Params(), (std::vector<std::string>{"1=jedan", "3="}));
    EXPECT_EQ(events.size(), 2u);
    // An emptied text is taken back and the focus goes back.
    c.SetFocus();
    Press(Qt::Key_Backspace);
    Press(Qt::Key_Return);
    EXPECT_EQ(c.Text(), "G3");
    EXPECT_EQ(Params(), (std::vector<std::string>{"1=jedan", "3="}));
}

} // namespace
} // namespace kittest

namespace kittest {
namespace {

// A detail lookup: the articles of a group ("ARTIKLI.DB" indexed GRUPA;CODE, linked on GRUPA;ARTIKL) under a
// combo on ARTIKL that shows SIFRA: the group stays in the link in both modes, the article only when closed.
TEST_F(KitTest, ALookupOnADetailTableKeepsTheOtherLinkFieldsInBothModes) {
    fw::TTable a;
    Setup(a, "Global", "ARTIKLI.DB");
    a.FieldDefs().Add("Grupa", fw::ftInteger);
    a.FieldDefs().Add("Code", fw::ftInteger);
    a.FieldDefs().Add("Sifra", fw::ftString, 6);
    a.IndexDefs().Add("", "Grupa;Code", fw::ixPrimary | fw::ixUnique);
    a.IndexDefs().Add("GS", "Grupa;Sifra", fw::ixCaseInsensitive);
    a.CreateTable();
    a.Open();
    for (const auto& [grupa, code, sifra] : {std::tuple{1, 1, "X"}, {1, 2, "Y"}, {2, 3, "Z"}}) {
        a.Append();
        a.FieldByName("Grupa").SetAsInteger(grupa);
        a.FieldByName("Code").SetAsInteger(code);
        a.FieldByName("Sifra").SetAsString(sifra);
        a.Post();
    }
    a.Close();
    fw::TTable s;
    Setup(s, "Global", "STAVKE.DB");
    s.FieldDefs().Add("Code", fw::ftAutoInc);
    s.FieldDefs().Add("Grupa", fw::ftInteger);
    s.FieldDefs().Add("Artikl", fw::ftInteger);
    s.IndexDefs().Add("", "Code", fw::ixPrimary | fw::ixUnique);
    s.CreateTable();
    s.Open();
    s.Append();
    s.FieldByName("Grupa").SetAsInteger(1);
    s.FieldByName("Artikl").SetAsInteger(2);
    s.Post();

    fw::TDataSource items(&s);
    fw::TTable articles;
    Setup(articles, "Global", "ARTIKLI.DB");
    articles.SetIndexFieldNames("Grupa;Code");
    articles.SetMasterSource(&items);
    articles.SetMasterFields("Grupa;Artikl");
    articles.Open();
    fw::TDataSource lookupSource(&articles);
    auto form = fw::MakeForm<kit::TMyForm>();
    auto* c = new kit::TDBJustLookup(form.get(), form.get());
    c->SetDataSource(&items);
    c->SetDataField("Artikl");
    c->SetLookupSource(&lookupSource);
    c->SetLookupField("Code");
    c->SetLookupDisplay("Sifra");
    c->Loaded();
    EXPECT_EQ(c->ClosedMasterFields, "GRUPA;ARTIKL");
    EXPECT_EQ(c->ListMasterFields, "GRUPA");
    EXPECT_EQ(c->ClosedIndexFields, "GRUPA;CODE");
    EXPECT_EQ(c->ListIndexFields, "GRUPA;SIFRA");
    EXPECT_EQ(c->Text(), "Y");
    // The list shows the group's articles only, in code order.
    c->SetListMode();
    EXPECT_EQ(articles.RecordCount(), 2);
    EXPECT_EQ(articles.IndexFieldNames(), "GRUPA;SIFRA");
    c->SetClosedMode();
    EXPECT_EQ(articles.RecordCount(), 1);
    EXPECT_EQ(articles.FieldByName("Sifra").AsString(), "Y");
    c->SetDataSource(nullptr);
    c->SetLookupSource(nullptr);
}

} // namespace
} // namespace kittest
