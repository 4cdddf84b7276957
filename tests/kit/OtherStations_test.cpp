// Edits on a form while another station deletes or changes the record it shows.
#include "app/data/DataSetServices.h"
#include "base/Text.h"
#include "fw/ui/DBMemo.h"
#include "fw/ui/DBRadioGroup.h"
#include "kit/DBChecker.h"
#include "kit/LookupFields.h"
#include "kit/PercentEdits.h"
#include "tests/kit/CodeListFixture.h"

#include <deque>
#include <filesystem>
#include <QApplication>
#include <QRadioButton>

namespace kittest {
namespace {

class OtherStationTest : public CodeListTest {
protected:
    OtherStationTest() {
        app::DBMine.MultiUser = true;
        Fill({{"A1", "Prvi"}, {"A3", "N"}, {"A5", "Peti"}});
        Show();
        Type("A3");
        Press(Qt::Key_Return);
    }
    // Another open of the same table, as another station has it.
    template <class F> void OtherStation(F change, const char* code = "A3") {
        fw::TTable t;
        Setup(t, "Global", "SIFRE.DB");
        t.SetIndexFieldNames("Sifra");
        t.Open();
        t.SetKey();
        t.FieldByName("Sifra").SetAsString(code);
        ASSERT_TRUE(t.GotoKey());
        change(t);
    }
    // A new form over the three records, on A3.
    void StartAgainOnA3() {
        form.reset();
        {
            fw::TTable t;
            Setup(t, "Global", "SIFRE.DB");
            t.Open();
            while (!t.IsEmpty())
                t.Delete();
        }
        Fill({{"A1", "Prvi"}, {"A3", "N"}, {"A5", "Peti"}});
        Show();
        Type("A3");
        Press(Qt::Key_Return);
    }
    // A check box on the name: "D" ticked, "N" not.
    kit::TDBChecker* Checker() {
        auto* otkup = new kit::TDBChecker(form.get(), form.get());
        otkup->SetName("cOtkup");
        otkup->SetBounds(10, 100, 150, 24);
        otkup->SetValueChecked("D");
        otkup->SetValueUnchecked("N");
        otkup->SetDataSource(&form->sSifre);
        otkup->SetDataField("Naziv");
        otkup->show();
        return otkup;
    }
};

TEST_F(OtherStationTest, AnEditOfARecordDeletedMeanwhileIsRefusedAndLandsNowhere) {
    ASSERT_EQ(Code(), "A3");
    OtherStation([](fw::TTable& t) { t.Delete(); });
    // A typed value: refused with a word, nothing written into the neighbour.
    form->eNaziv->SetFocus();
    Type("X");
    Press(Qt::Key_Return);
    EXPECT_EQ(Shown(), (std::vector<std::string>{kit::RecordDeletedText}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Prvi", "A5=Peti"}));
    // The form shows the record it stands on now.
    EXPECT_EQ(form->eSifra->Text(), Code());
    EXPECT_EQ(form->eNaziv->Text(), T().FieldByName("Naziv").AsString());
    // The dataset's own edit is refused the same way.
    form->eSifra->SetFocus();
    const std::string here = Code();
    OtherStation([](fw::TTable& t) { t.Delete(); }, here.c_str());
    EXPECT_THROW(form->tSifre->Edit(), base::Abort);
    EXPECT_EQ(form->tSifre->State(), fw::dsBrowse);
    EXPECT_NE(Code(), here);
    EXPECT_EQ(Rows().size(), 1u);
}

TEST_F(OtherStationTest, AClickActsOnTheValueTheUserSaw) {
    kit::TDBChecker* otkup = Checker();
    ASSERT_EQ(otkup->State(), fw::CheckBoxState::cbUnchecked);
    // Another station ticks it; this one still shows it unticked and clicks to tick it.
    OtherStation([](fw::TTable& t) {
        t.Edit();
        t.FieldByName("Naziv").SetAsString("D");
        t.Post();
    });
    otkup->SetFocus();
    Press(Qt::Key_Space);
    EXPECT_EQ(Shown(), (std::vector<std::string>{kit::RecordChangedText}));
    EXPECT_EQ(otkup->State(), fw::CheckBoxState::cbChecked) << "the fresh record is shown";
    EXPECT_EQ(form->tSifre->State(), fw::dsBrowse);
    form->eSifra->SetFocus();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Prvi", "A3=D", "A5=Peti"})) << "the other tick stays";
    // Clicked again, now on what it shows, the value is set opposite to that.
    QTest::mouseClick(otkup, Qt::LeftButton, {}, QPoint(6, otkup->height() / 2));
    EXPECT_EQ(otkup->State(), fw::CheckBoxState::cbUnchecked);
    form->eNaziv->SetFocus();
    Press(Qt::Key_Escape);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Prvi", "A3=N", "A5=Peti"}));
}

// Every road that starts an edit or a delete, taken after another station deleted the record shown.
TEST_F(OtherStationTest, NoRoadIntoAnEditLandsOnTheRecordThatMovedUp) {
    struct Road {
        const char* Name;
        std::function<void()> Take;
        bool MayCreate = false; // a new code typed after the refusal may stand; nothing else changes
    };
    const std::vector<Road> roads = {
        {"typed value",
         [&] {
             form->eNaziv->SetFocus();
             Type("X");
             Press(Qt::Key_Return);
         }},
        {"check box",
         [&] {
             Checker()->SetFocus();
             Press(Qt::Key_Space);
         }},
        {"key field rename",
         [&] {
             // The first key is refused with the word; the rest is a code typed over the record shown, and
             // the questions about it name that record: the user declines its rename.
             dialogs.Answer(false); // no new code
             dialogs.Answer(false); // no change of the code shown
             Type("NOVI");
             EXPECT_EQ(form->eSifra->Text(), "OVI") << "the keys after the refusal replace the code shown";
             Press(Qt::Key_Return);
             EXPECT_EQ(Asked().back(), "Staro " + Code() + ">OVI");
             form->eNaziv->SetFocus();
         }},
        {"key field create",
         [&] {
             dialogs.Answer(true);
             Type("NOVI");
             Press(Qt::Key_Return);
             Type("Ime");
             Press(Qt::Key_Return);
         },
         true},
        {"key field Ctrl+Del",
         [&] {
             dialogs.Answer(true);
             Press(Qt::Key_Delete, Qt::ControlModifier);
         }},
        {"grid cell",
         [&] {
             form->gSifre->SetOptions(fw::dgEditing | fw::dgTitles | fw::dgIndicator);
             auto& model = form->gSifre->Model();
             model.setData(model.index(model.CurrentRow(), 1), QString("X"), Qt::EditRole);
             form->eSifra->SetFocus();
         }},
        {"grid Ctrl+Del",
         [&] {
             form->gSifre->SetFocus();
             dialogs.Answer(true);
             Press(Qt::Key_Delete, Qt::ControlModifier);
         }},
        {"program's own edit",
         [&] {
             if (app::StartEdit(form->tSifre)) {
                 form->tSifre->FieldByName("Naziv").SetAsString("X");
                 form->tSifre->Post();
             }
         }},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.Name);
        StartAgainOnA3();
        ASSERT_EQ(Code(), "A3");
        form->eSifra->SetFocus();
        OtherStation([](fw::TTable& t) { t.Delete(); });
        dialogs.Calls.clear();
        dialogs.ClearAnswers();
        road.Take();
        std::vector<std::string> shown = Shown();
        std::erase(shown, std::string("Želite li obrisati slog ?"));
        EXPECT_EQ(shown, (std::vector<std::string>{kit::RecordDeletedText}));
        std::vector<std::string> rows = Rows();
        if (road.MayCreate)
            std::erase_if(rows, [](const std::string& r) { return r != "A1=Prvi" && r != "A5=Peti"; });
        EXPECT_EQ(rows, (std::vector<std::string>{"A1=Prvi", "A5=Peti"}));
        // The form shows the record it stands on now, and the user's next try on it is taken and stored.
        EXPECT_EQ(form->eNaziv->Text(), T().FieldByName("Naziv").AsString());
        const std::string fresh = Code();
        EXPECT_EQ(form->eSifra->Text(), fresh);
        dialogs.Calls.clear();
        dialogs.ClearAnswers();
        form->eNaziv->SetFocus();
        Type("Z");
        Press(Qt::Key_Return);
        form->eSifra->SetFocus();
        EXPECT_TRUE(Shown().empty());
        EXPECT_EQ(T().FieldByName("Naziv").AsString(), "Z");
        if (T().State() == fw::dsEdit) T().Post();
        std::vector<std::string> stored = Rows();
        std::erase(rows, fresh + "=" + (fresh == "A1" ? "Prvi" : "Peti"));
        rows.push_back(fresh + "=Z");
        std::sort(rows.begin(), rows.end());
        if (road.MayCreate)
            std::erase_if(stored, [&](const std::string& r) { return r.starts_with("NOVI="); });
        EXPECT_EQ(stored, rows) << "only the fresh record took the name";
    }
}

// The refresh of another station's delete lands while the user is in the code field (the table moves to a
// neighbour under it): a code typed then is refused, whatever it would have done, and the field starts over
// on the record it shows.
TEST_F(OtherStationTest, ACodeTypedAfterTheRefreshMovedTheFieldsRecordIsRefused) {
    struct Road {
        const char* Name;
        std::vector<bool> Answers; // to "a new code?" and "change the code?", were they asked
        const char* Typed;
    };
    const std::vector<Road> roads = {
        {"rename", {false, true}, "NOVI"},
        {"create", {true}, "NOVI"},
        {"neither", {false, false}, "NOVI"},
        {"another record's code", {}, "A1"},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.Name);
        StartAgainOnA3();
        form->eSifra->SetFocus();
        ASSERT_EQ(form->eSifra->Text(), "A3");
        OtherStation([](fw::TTable& t) { t.Delete(); });
        form->tSifre->Refresh();
        const std::string neighbour = Code();
        ASSERT_NE(neighbour, "A3");
        dialogs.Calls.clear();
        dialogs.ClearAnswers();
        for (bool answer : road.Answers)
            dialogs.Answer(answer);
        form->eSifra->SelectAll();
        Type(road.Typed);
        Press(Qt::Key_Return);
        EXPECT_EQ(Asked(), (std::vector<std::string>{std::string("Text ") + kit::RecordDeletedText}))
            << "nothing is asked about the record that is gone";
        EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Prvi", "A5=Peti"}));
        EXPECT_EQ(Code(), neighbour);
        EXPECT_EQ(form->eSifra->Text(), neighbour);
        // Typed again, now over the record it shows, the code is settled as usual.
        dialogs.Calls.clear();
        dialogs.ClearAnswers();
        dialogs.Answer(false);
        dialogs.Answer(true);
        form->eSifra->SelectAll();
        Type("NOVI");
        Press(Qt::Key_Return);
        form->eNaziv->SetFocus();
        std::vector<std::string> rows = Rows();
        std::sort(rows.begin(), rows.end());
        std::vector<std::string> renamed = {neighbour == "A1" ? "A5=Peti" : "A1=Prvi",
                                            neighbour == "A1" ? "NOVI=Prvi" : "NOVI=Peti"};
        EXPECT_EQ(rows, renamed) << "the record shown was renamed";
        dialogs.ClearAnswers();
    }
}

// A form with a control of every kind the kit makes over a record, and the register its lookups name.
class HeldRecordTest : public OtherStationTest {
protected:
    HeldRecordTest() {
        form.reset();
        {
            fw::TTable t;
            Setup(t, "Global", "SIFRE.DB");
            t.FieldDefs().Add("Sifra", fw::ftString, 6);
            t.FieldDefs().Add("Naziv", fw::ftString, 20);
            t.FieldDefs().Add("Grupa", fw::ftInteger);
            t.FieldDefs().Add("Opis", fw::ftMemo, 10);
            t.IndexDefs().Add("", "Sifra", fw::ixPrimary | fw::ixUnique);
            t.IndexDefs().Add("NAZIV", "Naziv", fw::ixCaseInsensitive);
            t.CreateTable();
            fw::TTable g;
            Setup(g, "Global", "GRUPE.DB");
            g.FieldDefs().Add("Code", fw::ftAutoInc);
            g.FieldDefs().Add("Sifra", fw::ftString, 4);
            g.IndexDefs().Add("", "Code", fw::ixPrimary | fw::ixUnique);
            g.IndexDefs().Add("SIFRA", "Sifra", fw::ixCaseInsensitive);
            g.CreateTable();
            g.Open();
            for (const char* code : {"G1", "G2"}) {
                g.Append();
                g.FieldByName("Sifra").SetAsString(code);
                g.Post();
            }
        }
        Fill({{"A1", "Prvi"}, {"A3", "N"}, {"A5", "Peti"}});
        form.reset(fw::CreateForm<CodeListForm>(nullptr, [this](CodeListForm& f) {
            int y = 90;
            auto place = [&](auto* c, const char* name, const char* field) {
                c->SetName(name);
                c->SetBounds(10, y, 150, 24);
                y += 30;
                c->SetDataSource(&f.sSifre);
                c->SetDataField(field);
                return c;
            };
            place(new kit::TDBField(&f, &f), "eIme", "Naziv")->Capitalize = false;
            place(new kit::TDBVarP(&f, &f), "eGrupaBroj", "Grupa");
            auto lookup = [&](auto* c, const char* name) {
                place(c, name, "Grupa");
                fw::TDataSource* source = &sources.emplace_back();
                auto* t = new kit::TMyTable(&f);
                t->SetDatabaseName("Global");
                t->SetTableName("GRUPE.DB");
                t->SetIndexFieldNames("Code");
                t->FreeToModify = true;
                source->SetDataSet(t);
                c->SetLookupSource(source);
                c->SetLookupField("Code");
                c->SetLookupDisplay("Sifra");
                c->DisplayName = "Grupa";
            };
            lookup(new kit::TDBLookupField(&f, &f), "cGrupa");
            lookup(new kit::TDBJustLookup(&f, &f), "cGrupa2");
            lookup(new kit::TDBLookup(&f, &f), "cGrupa3");
            auto* memo = place(new fw::DBMemo(&f, &f), "mOpis", "Opis");
            memo->SetBounds(10, y, 150, 40);
            auto* check = place(new kit::TDBChecker(&f, &f), "xNaziv", "Naziv");
            check->SetValueChecked("D");
            check->SetValueUnchecked("N");
            auto* radio = place(new fw::DBRadioGroup(&f, &f), "rNaziv", "Naziv");
            radio->SetBounds(10, y, 150, 80);
            radio->SetItems({"N", "D"});
            radio->SetValues({"N", "D"});
        }));
        fwtest::ShowActive(*form);
        for (fw::TDataSource& source : sources)
            if (!source.DataSet()->Active()) source.DataSet()->Open();
        form->eSifra->SetFocus();
        Type("A3");
        Press(Qt::Key_Return);
    }
    ~HeldRecordTest() override { form.reset(); }
    std::deque<fw::TDataSource> sources;
    fw::Control* Named(const char* name) { return dynamic_cast<fw::Control*>(form->FindComponent(name)); }
    // "SIFRA=NAZIV/GRUPA/OPIS" of every record.
    std::vector<std::string> Records() { return Rows({"Grupa", "Opis"}); }
};

// Another station edits the record shown, from before the user enters a control or only after, or the
// table's files are taken away under the open: the first key that would change the record tells the refusal
// once, the keys after it say nothing more, and nothing changes. A lock greys the control and takes no keys;
// files that refuse the write hold no record, and what is typed stays on screen (a check box is not ticked, a
// radio button not chosen).
// Another station that changed the record after the entry: the first key tells so, the visit starts over on
// the fresh record (the next key replaces its value, a leave puts back the fresh value, not the old one).
TEST_F(HeldRecordTest, EveryControlTellsTheLockAtTheFirstRefusedKeyOnce) {
    namespace fs = std::filesystem;
    struct Kind {
        const char* Control;
        QString Keys;            // typed twice; " " ticks a check box; none: a radio button clicked twice
        std::string AfterChange; // shown once Keys were typed over the changed record ("": not an edit)
        const char* StoredAfterChange; // the record once the control is left
    };
    const std::vector<Kind> kinds = {
        {"eSifra", "XY", "Y", "A3=Novo/2/PP"},
        {"eIme", "XY", "Y", "A3=Y/2/PP"}, // a name typed is settled by the leave as by Enter
        {"eNaziv", "XY", "Y", "A3=Y/2/PP"},
        {"eGrupaBroj", "13", "3", "A3=Novo/3/PP"},
        {"cGrupa", "G1", "1", "A3=Novo/2/PP"},
        {"cGrupa2", "G1", "1", "A3=Novo/2/PP"},
        {"cGrupa3", "G1", "1", "A3=Novo/2/PP"},
        {"mOpis", "XY", "YPP", "A3=Novo/2/YPP"}, // a memo is entered with the caret at its start
        {"xNaziv", " ", "", "A3=Novo/2/PP"},
        {"rNaziv", "", "", "A3=Novo/2/PP"},
        {"gSifre", "XY", "", "A3=Novo/2/PP"}, // F2 opens the cell editor, the keys go into it
    };
    form->gSifre->SetOptions(fw::dgEditing | fw::dgTitles | fw::dgIndicator);
    enum class Refusal { HeldBefore, HeldAfter, FilesGone };
    const std::vector<std::string> before = Records();
    const std::string lockText = "Slog je zaključan (SIFRE.DB)";
    const std::string goneText = "Datoteka tablice SIFRE.DB više ne postoji ili je zamijenjena";
    const fs::path global = app::WBegin.GlobalFolder;
    const fs::path away = global / "away";
    fs::create_directories(away);
    // Moved away and back: the very files the table has open, gone meanwhile.
    const auto moveFiles = [&](const fs::path& from, const fs::path& to) {
        for (const auto& e : fs::directory_iterator(from))
            if (e.is_regular_file() && base::UpperCase(e.path().filename().string()).rfind("SIFRE.", 0) == 0)
                fs::rename(e.path(), to / e.path().filename());
    };
    // The cell editor is opened as F2 or a double click opens it in a framework grid (F2 in the kit's grids
    // switches the search, and letters typed into them search); the keys go into it, if it opened.
    const auto typeInCell = [&](fw::DBGrid& grid, const QString& keys) {
        static_cast<QAbstractItemView&>(grid).edit(grid.currentIndex());
        if (QApplication::focusWidget() != static_cast<QWidget*>(&grid)) Type(keys);
    };
    for (Refusal refusal : {Refusal::HeldBefore, Refusal::HeldAfter, Refusal::FilesGone}) {
        for (const Kind& kind : kinds) {
            SCOPED_TRACE(std::string(kind.Control) + (refusal == Refusal::HeldAfter ? ", held after the entry"
                                                      : refusal == Refusal::FilesGone ? ", files gone"
                                                                                      : ""));
            fw::Control* any = Named(kind.Control);
            ASSERT_NE(any, nullptr);
            auto* edit = dynamic_cast<fw::Edit*>(any);
            auto* memo = dynamic_cast<fw::Memo*>(any);
            const auto text = [&] { return edit ? edit->Text() : memo ? memo->Text() : std::string(); };
            const auto readOnly = [&] { return edit ? edit->ReadOnly() : memo && memo->ReadOnly(); };
            auto* radio = dynamic_cast<fw::DBRadioGroup*>(any);
            const auto buttons = radio ? radio->findChildren<QRadioButton*>() : QList<QRadioButton*>();
            auto* grid = dynamic_cast<fw::DBGrid*>(any);
            const auto act = [&] {
                if (grid) return typeInCell(*grid, kind.Keys);
                if (!radio) return Type(kind.Keys);
                ASSERT_EQ(buttons.size(), 2);
                buttons[1]->click(); // as a click of the user's: the button checks itself first
            };
            form->eSifra->SetFocus();
            ASSERT_EQ(Code(), "A3");
            dialogs.Calls.clear();
            if (refusal == Refusal::FilesGone) {
                moveFiles(global, away);
                any->SetFocus();
                const std::string entered = text();
                act();
                act();
                std::vector<std::string> told = {goneText};
                EXPECT_EQ(Shown(), told);
                if (edit || memo) {
                    EXPECT_FALSE(readOnly()) << "no other station holds the record";
                    const std::string typed = (kind.Keys + kind.Keys).toStdString();
                    EXPECT_NE(text().find(typed), std::string::npos)
                        << "what is typed stays on screen: " << text() << " (was " << entered << ")";
                    // Typed anew (a lookup's own code, say), Enter tells why again, and the user stays with
                    // what was typed.
                    if (edit) edit->SelectAll();
                    if (memo) memo->selectAll();
                    Type(kind.Keys);
                    Press(Qt::Key_Return);
                    EXPECT_EQ(text(), kind.Keys.toStdString()) << "Enter keeps it";
                    EXPECT_TRUE(any->Focused()) << "Enter does not move on";
                    told.push_back(goneText);
                    EXPECT_EQ(Shown(), told);
                } else if (grid) {
                    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(grid))
                        << "no cell editor opened";
                } else if (radio) {
                    EXPECT_EQ(radio->ItemIndex(), 0) << "a refused choice is not made";
                    EXPECT_FALSE(buttons[1]->isChecked()) << "nor shown";
                } else {
                    EXPECT_EQ(dynamic_cast<kit::TDBChecker*>(any)->State(), fw::CheckBoxState::cbUnchecked)
                        << "a refused toggle does not toggle";
                }
                form->eSifra->SetFocus();
                EXPECT_EQ(Shown(), told) << "leaving says nothing more";
                moveFiles(away, global);
                app::CancelEdit(form->tSifre);
                EXPECT_EQ(Records(), before);
                continue;
            }
            OtherStation([&](fw::TTable& other) {
                if (refusal == Refusal::HeldBefore) other.Edit();
                any->SetFocus();
                if (refusal == Refusal::HeldAfter) other.Edit();
                act();
                act();
                EXPECT_EQ(Shown(), (std::vector<std::string>{lockText}));
                EXPECT_EQ(Records(), before);
                form->eSifra->SetFocus();
                other.Cancel();
            });
            EXPECT_EQ(Shown(), (std::vector<std::string>{lockText})) << "leaving says nothing more";
            EXPECT_EQ(Records(), before);
        }
    }
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(std::string(kind.Control) + ", changed after the entry");
        fw::Control* control = Named(kind.Control);
        if (dynamic_cast<fw::DBRadioGroup*>(control)) continue;
        form->eSifra->SetFocus();
        ASSERT_EQ(Code(), "A3");
        dialogs.Calls.clear();
        control->SetFocus();
        OtherStation([](fw::TTable& other) {
            other.Edit();
            other.FieldByName("Naziv").SetAsString("Novo");
            other.FieldByName("Grupa").SetAsInteger(2);
            other.FieldByName("Opis").SetAsString("PP");
            other.Post();
        });
        if (auto* grid = dynamic_cast<fw::DBGrid*>(control))
            typeInCell(*grid, kind.Keys);
        else
            Type(kind.Keys);
        EXPECT_EQ(Shown(), (std::vector<std::string>{kit::RecordChangedText}));
        if (!kind.AfterChange.empty()) {
            QWidget* typedInto = fwtest::FocusTarget(*form);
            const QString shown =
                typedInto->property(typedInto->inherits("QPlainTextEdit") ? "plainText" : "text").toString();
            EXPECT_EQ(shown.toStdString(), kind.AfterChange)
                << "the key after the refusal replaces the fresh value";
        }
        (control == form->eSifra ? static_cast<fw::Control*>(form->eNaziv) : form->eSifra)->SetFocus();
        if (T().State() == fw::dsEdit) T().Post(); // what the leave wrote, stored as the next post stores it
        const std::vector<std::string> expected = {"A1=Prvi//", kind.StoredAfterChange, "A5=Peti//"};
        EXPECT_EQ(Records(), expected);
        EXPECT_EQ(Shown(), (std::vector<std::string>{kit::RecordChangedText}));
        OtherStation([](fw::TTable& other) {
            other.Edit();
            other.FieldByName("Naziv").SetAsString("N");
            other.FieldByName("Grupa").Clear();
            other.FieldByName("Opis").SetAsString("");
            other.Post();
        });
        form->tSifre->Refresh();
        ASSERT_EQ(Records(), before);
    }
}

} // namespace
} // namespace kittest
