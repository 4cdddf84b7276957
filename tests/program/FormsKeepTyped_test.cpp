// Every data form the program opens keeps what is typed into it, however it closes: the sample workshop
// staged, each form opened through the program's own openers, a value typed into one of its edits and not
// confirmed, the form closed by Esc, its close button, "Izlaz", Alt+F4 or the program ending, and the table
// read back from disk once the program is gone.

#include "app/shell/CodeListOpeners.h"
#include "app/shell/ScriptedDialogs.h"
#include "app/tables/StageFolder.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "fw/ui/Application.h"
#include "fw/ui/StdCtrls.h"
#include "kit/Mycombo2.h"
#include "program/StageSample.h"
#include "program/Startup.h"
#include "program/WinGlavna.h"
#include "tests/fw/ui/FormTesting.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>
#include <map>
#include <set>
#include <typeinfo>

namespace {

namespace fs = std::filesystem;

enum class Way { Esc, CloseButton, Izlaz, AltF4, ProgramEnds };
const char* NameOf(Way way) {
    switch (way) {
    case Way::Esc:
        return "Esc";
    case Way::CloseButton:
        return "close button";
    case Way::Izlaz:
        return "Izlaz";
    case Way::AltF4:
        return "Alt+F4";
    default:
        return "program end";
    }
}

struct Opener {
    std::string Name;
    std::function<void(fw::Form*)> Open;
};

// What the program's form opener knows: the main window's entries and every register by its table.
std::vector<Opener> ProgramOpeners() {
    const app::MainWindowOpeners& o = app::MainWindow.WinGlavnaOpeners;
    std::vector<Opener> list = {{"Artikli", o.Artikli},
                                {"Sistemi", o.Sistemi},
                                {"Grupe", o.GrupeArtikala},
                                {"Boje", o.Boje},
                                {"Parametri", o.ParametriArtikala},
                                {"Radni nalozi", o.RadniNalozi},
                                {"Tipovi", o.Tipovi}};
    for (const std::string& table : app::CodeListTables())
        list.push_back({table, app::CodeListOpenerOf(table)});
    return list;
}

// The row a value was typed into, and what the table must hold afterwards.
struct Typed {
    std::string Form;
    std::string Database;
    std::string Table;
    std::map<std::string, std::string> Record; // the record's values before the typing
    std::string Field;
    std::string Value;
    Way How = Way::Esc;
};

bool IsNumber(const fw::TField& f) {
    return f.DataType() == fw::ftFloat || f.DataType() == fw::ftInteger || f.DataType() == fw::ftSmallint;
}

fw::Button* IzlazButton(fw::Form& form) {
    for (QWidget* w : form.findChildren<QWidget*>())
        if (auto* b = dynamic_cast<fw::Button*>(w); b && b->isVisible() && b->Caption() == "Izlaz") return b;
    return nullptr;
}

// A plain data edit of the form that can take a value: on the page shown, open, over a record.
kit::TKitEdit* EditToType(fw::Form& form) {
    std::vector<fw::Control*> order;
    form.GetTabOrderList(order);
    for (fw::Control* c : order) {
        auto* e = dynamic_cast<kit::TKitEdit*>(c);
        if (!e || !e->isVisible() || !e->CanFocus() || !e->TabStop() || e->ReadOnly() || !e->Field())
            continue;
        fw::TDataSet* ds = e->DataSet();
        auto* table = dynamic_cast<fw::TTable*>(ds);
        if (!table || !ds->Active() || ds->RecordCount() == 0 || ds->State() != fw::dsBrowse) continue;
        const fw::TField* f = e->Field();
        if (f->ReadOnly || f->FieldKind() != fw::fkData) continue;
        if ((f->DataType() == fw::ftString && f->Size() >= 4) || IsNumber(*f)) return e;
    }
    return nullptr;
}

std::vector<std::string> FieldList(const std::string& fields) {
    std::vector<std::string> names;
    std::size_t from = 0;
    for (std::size_t at; (at = fields.find(';', from)) != std::string::npos; from = at + 1)
        names.push_back(fields.substr(from, at - from));
    names.push_back(fields.substr(from));
    return names;
}

class FormsKeepTyped : public ::testing::Test {
protected:
    FormsKeepTyped() {
        app::StageOptions o;
        o.Sample = app::StageSampleWorkshop;
        app::StageProgramFolder(folder.Path(), o);
    }
    ~FormsKeepTyped() override { base::ResetProgramState(); }

    // Runs act on the next modal form that shows over the main window.
    void WhenShown(const std::function<void(fw::Form&)>& act) {
        poll.disconnect();
        QObject::connect(&poll, &QTimer::timeout, [this, act] {
            fw::Form* f = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* form = dynamic_cast<fw::Form*>(w);
                    form && form->isVisible() && form->Modal() && form != app::MainWindow.WinGlavna)
                    f = form;
            if (!f) return;
            poll.stop();
            act(*f);
        });
        poll.start(5);
    }

    // Types a value into the form's first plain edit; false when it has none (or showed one already).
    bool TypeInto(fw::Form& form, const std::string& opener, Way way) {
        kit::TKitEdit* e = EditToType(form);
        if (!e) return false;
        auto* table = dynamic_cast<fw::TTable*>(e->DataSet());
        // A form some openers share is typed into once a way.
        const std::string seenKey = std::string(typeid(form).name()) + base::UpperCase(table->TableName());
        if (!seenThisWay.insert(seenKey).second) return false;
        if (way == Way::Izlaz && !IzlazButton(form)) return false;
        seen.insert(seenKey);
        Typed t{opener, table->DatabaseName(), table->TableName(), {}, e->DataField(), "", way};
        for (int i = 0; i < table->FieldCount(); ++i)
            t.Record[table->Fields(i).FieldName()] = table->Fields(i).AsString();
        ++counter;
        t.Value = IsNumber(*e->Field()) ? std::to_string(counter % 90 + 3)
                                        : base::CutChars("Up" + std::to_string(counter) + "x",
                                                         static_cast<std::size_t>(e->Field()->Size()));
        form.SetActiveControl(e);
        e->SelectAll();
        fwtest::Type(&e->Widget(), QString::fromStdString(t.Value));
        if (std::getenv("SWEEP_TRACE")) fprintf(stderr, "typed %s.%s\n", t.Table.c_str(), t.Field.c_str());
        typed.push_back(t);
        return true;
    }

    void CloseBy(fw::Form& form, Way way) {
        QWidget* focus = fwtest::FocusTarget(form);
        switch (way) {
        case Way::Esc:
            QTest::keyClick(focus, Qt::Key_Escape);
            break;
        case Way::CloseButton:
            form.close();
            break;
        case Way::AltF4:
            QTest::keyClick(focus, Qt::Key_F4, Qt::AltModifier);
            break;
        case Way::Izlaz:
            QTest::mouseClick(&IzlazButton(form)->Widget(), Qt::LeftButton);
            break;
        case Way::ProgramEnds:
            fw::Application::Instance().Terminate();
            break;
        }
    }

    // Opens every form once, types into it and closes it the given way (the program end: one run a form).
    void Sweep(Way way) {
        seenThisWay.clear();
        if (way != Way::ProgramEnds) {
            RunOnce([&] {
                for (const Opener& o : ProgramOpeners())
                    OpenTypeClose(o, way);
            });
            return;
        }
        for (std::size_t i = 0;; ++i) {
            bool more = true;
            const std::size_t before = typed.size();
            RunOnce([&] {
                const std::vector<Opener> all = ProgramOpeners();
                if (i >= all.size()) {
                    more = false;
                    return;
                }
                OpenTypeClose(all[i], way);
            });
            if (!more) break;
            if (typed.size() > before) ReadBack(typed.back());
        }
    }
    void RunOnce(const std::function<void()>& drive) {
        EXPECT_EQ(app::RunProgram(folder.Path(),
                                  [&](app::TWinGlavna& w) {
                                      drive();
                                      if (!fw::Application::Instance().Terminated()) w.Close();
                                  }),
                  0);
    }
    void OpenTypeClose(const Opener& o, Way way) {
        if (!o.Open) return ADD_FAILURE() << o.Name << " has no opener";
        if (std::getenv("SWEEP_TRACE")) fprintf(stderr, "open %s by %s\n", o.Name.c_str(), NameOf(way));
        bool wasTyped = false;
        WhenShown([&](fw::Form& f) {
            wasTyped = TypeInto(f, o.Name, way);
            CloseBy(f, wasTyped ? way : Way::Esc);
            // A close the form refused (it tells why) leaves it open: the rest of the sweep goes on.
            QTimer::singleShot(200, &f, [&f, this] {
                if (!f.isVisible() || fw::Application::Instance().Terminated()) return;
                refused.push_back(f.Caption().toStdString());
                f.SetModalResult(fw::mrCancel);
            });
        });
        o.Open(app::MainWindow.WinGlavna);
        // The closed form's tables are written: read at once, before another form changes the row.
        if (wasTyped && way != Way::ProgramEnds) ReadBack(typed.back());
    }

    // Reads the typed row back from disk; a fault when it does not hold the value typed.
    void ReadBack(const Typed& t) {
        {
            std::string sub = base::UpperCase(t.Database);
            const fs::path dir = sub.rfind("GLOBAL", 0) == 0  ? folder.Path() / "global"
                                 : sub.rfind("LOKAL", 0) == 0 ? folder.Path() / "lokal"
                                                              : folder.Path();
            fw::TTable table;
            table.SetDatabaseName(dir.string());
            table.SetTableName(t.Table);
            table.Open();
            table.UpdateIndexDefs();
            std::vector<std::string> key;
            for (const fw::TIndexDef& d : table.IndexDefs().List())
                if (d.Options & fw::ixPrimary) key = FieldList(d.Fields);
            std::string found = "(no such row)";
            for (table.First(); !table.Eof(); table.Next()) {
                bool same = true;
                for (const std::string& k : key)
                    same = same && table.FieldByName(k).AsString() == t.Record.at(k);
                if (!same) continue;
                const fw::TField& f = table.FieldByName(t.Field);
                found = IsNumber(f) && f.AsFloat() == std::stod(t.Value) ? t.Value : f.AsString();
            }
            if (found != t.Value)
                faults.push_back(t.Form + " " + t.Table + "." + t.Field + " by " + NameOf(t.How) + ": \"" +
                                 found + "\" instead of \"" + t.Value + "\"");
        }
    }

    testsupport::TempFolder folder;
    app::ScriptedDialogs dialogs;
    QTimer poll;
    std::set<std::string> seen, seenThisWay;
    std::vector<Typed> typed;
    std::vector<std::string> refused;
    std::vector<std::string> faults;
    int counter = 0;
};

TEST_F(FormsKeepTyped, EveryFormStoresAValueTypedAndNotConfirmedHoweverItCloses) {
    for (Way way : {Way::Esc, Way::CloseButton, Way::Izlaz, Way::AltF4, Way::ProgramEnds})
        Sweep(way);
    EXPECT_GE(seen.size(), 10u) << "the forms the opener knows were reached";
    EXPECT_GE(typed.size(), seen.size() * 4);
    EXPECT_EQ(faults, std::vector<std::string>{});
    EXPECT_EQ(refused, std::vector<std::string>{});
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{});
}

} // namespace
