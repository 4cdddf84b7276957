// Every data form the program opens keeps what is typed into it, however it closes: the sample workshop
// staged, each form opened through the program's own openers, a value typed into each kind of field it has
// (a plain edit, a name, a new code and then its record's next field, a lookup, a check box, a memo) and not
// confirmed, the form closed by Esc, its close button, "Izlaz", Alt+F4 or the program ending, and every
// table read back from disk once the program is gone. A value is stored, or refused with a word; a record
// that lacks a required value is never stored, also when the program must end (a signal from the system).

#include "app/data/Settings.h"
#include "app/shell/CodeListOpeners.h"
#include "app/shell/FormOpener.h"
#include "app/shell/ScriptedDialogs.h"
#include "app/tables/StageFolder.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "fw/ui/Application.h"
#include "fw/ui/DBLookupCombo.h"
#include "fw/ui/DBMemo.h"
#include "fw/ui/StdCtrls.h"
#include "kit/KeyFields.h"
#include "kit/LookupFields.h"
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

#include <cctype>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <typeinfo>

namespace {

namespace fs = std::filesystem;

// Tab: the field is left by Tab before Esc closes the form; Click: by a click into another edit.
enum class Way { Esc, CloseButton, Izlaz, AltF4, ProgramEnds, Tab, Click };
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
    case Way::Tab:
        return "Tab and Esc";
    case Way::Click:
        return "a click elsewhere and Esc";
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
    if (const char* only = std::getenv("SWEEP_ONLY"))
        std::erase_if(list, [only](const Opener& o) { return o.Name != only; });
    return list;
}

// The kinds of field a form's record has, each typed into on its own visit.
// Emptied: a required value of a stored record cleared and confirmed with Enter.
enum class Kind { Edit, Name, NewCode, Lookup, Check, Memo, Emptied, Count };
const char* NameOf(Kind kind) {
    static const char* const names[] = {"edit", "name", "new code", "lookup", "check box", "memo", "emptied"};
    return names[static_cast<int>(kind)];
}

// The row a value was typed into, and what the table must hold afterwards.
struct Typed {
    std::string Form;
    std::string Database;
    std::string Table;
    std::map<std::string, std::string> Record; // the record's values before the typing (a new code: after)
    std::string Field;                         // empty: only the row itself must be there
    std::string Value;
    bool MustDiffer = false; // a toggled check box: anything but Value
    Way How = Way::Esc;
    Kind What = Kind::Edit;
    std::vector<std::string> Told; // what the program said from the typing to the form's end
    bool Ended = false;            // the form refused to close and the program had to end
};

bool IsNumber(const fw::TField& f) {
    return f.DataType() == fw::ftFloat || f.DataType() == fw::ftInteger || f.DataType() == fw::ftSmallint;
}
bool IsRequiredRefusal(const std::string& text) {
    return text.rfind("Morate unijeti: ", 0) == 0;
}

fw::Button* IzlazButton(fw::Form& form) {
    for (QWidget* w : form.findChildren<QWidget*>())
        if (auto* b = dynamic_cast<fw::Button*>(w); b && b->isVisible() && b->Caption() == "Izlaz") return b;
    return nullptr;
}

std::optional<Kind> KindOf(fw::Control& c);

bool IsRequired(fw::Control& c) {
    auto* lookup = dynamic_cast<kit::LookupControl*>(&c);
    auto* name = dynamic_cast<kit::TDBField*>(&c);
    return (lookup && lookup->Required) || (name && name->Required);
}

// The kind of a control that can take a value on the page shown, over a record of an open table; a required
// one that shows its stored value is also one to empty.
std::optional<Kind> KindOf(fw::Control& c, Kind wanted) {
    std::optional<Kind> kind = KindOf(c);
    auto* edit = dynamic_cast<fw::Edit*>(&c);
    if (wanted == Kind::Emptied && kind && IsRequired(c) && edit && !edit->Text().empty())
        return Kind::Emptied;
    return kind;
}

std::optional<Kind> KindOf(fw::Control& c) {
    auto* data = dynamic_cast<fw::DataControl*>(&c);
    if (!data || !c.Widget().isVisible() || !c.CanFocus() || !c.TabStop() || !data->Field())
        return std::nullopt;
    fw::TDataSet* ds = data->DataSet();
    if (!dynamic_cast<fw::TTable*>(ds) || !ds->Active() || ds->RecordCount() == 0 ||
        ds->State() != fw::dsBrowse)
        return std::nullopt;
    const fw::TField& f = *data->Field();
    if (f.ReadOnly || f.FieldKind() != fw::fkData) return std::nullopt;
    if (auto* key = dynamic_cast<kit::TDBKeyField*>(&c)) {
        if (key->ReadOnly()) return std::nullopt;
        if (dynamic_cast<kit::TDBField*>(&c))
            return f.DataType() == fw::ftString ? Kind::Name : std::optional<Kind>();
        if (dynamic_cast<kit::TDBJustKey*>(&c)) return std::nullopt;
        return Kind::NewCode;
    }
    if (auto* lookup = dynamic_cast<kit::LookupControl*>(&c)) {
        // The lookup that is its record's own key moves the table to the code typed: a key field.
        if (lookup->ReadOnly() || !lookup->LookupDataSet() || dynamic_cast<kit::TDBLookupKeyField*>(&c))
            return std::nullopt;
        return Kind::Lookup;
    }
    if (auto* e = dynamic_cast<kit::TKitEdit*>(&c)) {
        if (e->ReadOnly()) return std::nullopt;
        if ((f.DataType() == fw::ftString && f.Size() >= 4) || IsNumber(f)) return Kind::Edit;
        return std::nullopt;
    }
    if (auto* box = dynamic_cast<fw::DBCheckBox*>(&c))
        return box->ReadOnly() ? std::nullopt : std::optional(Kind::Check);
    if (auto* memo = dynamic_cast<fw::DBMemo*>(&c))
        return memo->ReadOnly() ? std::nullopt : std::optional(Kind::Memo);
    return std::nullopt;
}

std::vector<std::string> FieldList(const std::string& fields) {
    std::vector<std::string> names;
    std::size_t from = 0;
    for (std::size_t at; (at = fields.find(';', from)) != std::string::npos; from = at + 1)
        names.push_back(fields.substr(from, at - from));
    names.push_back(fields.substr(from));
    return names;
}

fs::path FolderOf(const fs::path& program, const std::string& database) {
    const std::string sub = base::UpperCase(database);
    return sub.rfind("GLOBAL", 0) == 0  ? program / "global"
           : sub.rfind("LOKAL", 0) == 0 ? program / "lokal"
                                        : program;
}

std::map<std::string, std::string> RecordOf(const fw::TDataSet& table) {
    std::map<std::string, std::string> record;
    for (int i = 0; i < table.FieldCount(); ++i)
        record[base::UpperCase(table.Fields(i).FieldName())] = table.Fields(i).AsString();
    return record;
}

class FormsKeepTyped : public ::testing::Test {
protected:
    FormsKeepTyped() {
        app::StageOptions o;
        o.Sample = app::StageSampleWorkshop;
        app::StageProgramFolder(folder.Path(), o);
        dialogs.DefaultAnswer = true;
    }
    ~FormsKeepTyped() override { base::ResetProgramState(); }

    static bool Trace() { return std::getenv("SWEEP_TRACE") != nullptr; }
    static bool Ended() { return fw::Application::Instance().Terminated(); }

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

    // The form's first control of each kind it has, at or after from; nothing when it has none left.
    std::pair<fw::Control*, Kind> NextKind(fw::Form& form, int from, Way way) {
        std::vector<fw::Control*> order;
        form.GetTabOrderList(order);
        for (int k = from; k < static_cast<int>(Kind::Count); ++k)
            for (fw::Control* c : order)
                if (KindOf(*c, static_cast<Kind>(k)) == static_cast<Kind>(k)) {
                    // A form some openers share is typed into once a kind and way.
                    auto* table = dynamic_cast<fw::TTable*>(dynamic_cast<fw::DataControl*>(c)->DataSet());
                    const std::string key = std::string(typeid(form).name()) +
                                            base::UpperCase(table->TableName()) +
                                            NameOf(static_cast<Kind>(k));
                    if (seenThisWay.count(key)) break;
                    if (way == Way::Izlaz && !IzlazButton(form)) return {nullptr, Kind::Count};
                    seenThisWay.insert(key);
                    seen.insert(std::string(typeid(form).name()) + base::UpperCase(table->TableName()));
                    return {c, static_cast<Kind>(k)};
                }
        return {nullptr, Kind::Count};
    }

    std::string TextValue(const fw::TField& f, const std::string& stem) {
        ++counter;
        if (IsNumber(f)) return std::to_string(counter % 90 + 3);
        const std::size_t size = f.DataType() == fw::ftString ? static_cast<std::size_t>(f.Size()) : 40;
        return base::CutChars(stem + std::to_string(counter) + "x", size);
    }

    // Types a value into a text control as a clerk does: over its whole text, no Enter.
    void TypeText(fw::Form& form, fw::Control& c, const std::string& value) {
        form.SetActiveControl(&c);
        if (auto* e = dynamic_cast<fw::Edit*>(&c)) e->SelectAll();
        if (auto* m = dynamic_cast<fw::Memo*>(&c)) m->selectAll();
        fwtest::Type(&c.Widget(), QString::fromStdString(value));
    }

    // Types into the control of that kind; false when the visit gave nothing to read back.
    bool TypeInto(fw::Form& form, fw::Control& c, Typed& t) {
        auto* data = dynamic_cast<fw::DataControl*>(&c);
        auto* table = dynamic_cast<fw::TTable*>(data->DataSet());
        t.Database = table->DatabaseName();
        t.Table = table->TableName();
        t.Record = RecordOf(*table);
        t.Field = data->DataField();
        const fw::TField& f = *data->Field();
        switch (t.What) {
        case Kind::Edit:
        case Kind::Name:
        case Kind::Memo:
            t.Value = TextValue(f, t.What == Kind::Memo ? "Memo" : "Up");
            TypeText(form, c, t.Value);
            return true;
        case Kind::Check:
            t.Value = f.AsString();
            t.MustDiffer = true;
            form.SetActiveControl(&c);
            QTest::keyClick(&c.Widget(), Qt::Key_Space);
            return true;
        case Kind::Lookup:
            return TypeLookup(form, *dynamic_cast<kit::LookupControl*>(&c), t);
        case Kind::Emptied:
            // The stored value must stay.
            t.Value = t.Record[base::UpperCase(t.Field)];
            TypeText(form, c, "");
            QTest::keyClick(&c.Widget(), Qt::Key_Backspace);
            return !t.Value.empty();
        case Kind::NewCode:
            return TypeNewCode(form, *dynamic_cast<kit::TDBKeyField*>(&c), t);
        default:
            return false;
        }
    }

    // Another code of the lookup's table, typed as its display text: the record must hold its key.
    bool TypeLookup(fw::Form& form, kit::LookupControl& c, Typed& t) {
        auto* lookup = dynamic_cast<fw::TTable*>(c.LookupDataSet());
        if (!lookup) return false;
        const std::string shown = c.SearchField.empty() ? c.LookupDisplay() : c.SearchField;
        fw::TTable rows;
        rows.SetDatabaseName(FolderOf(folder.Path(), lookup->DatabaseName()).string());
        rows.SetTableName(lookup->TableName());
        rows.Open();
        // The rows the control searches: those of the record's master (a colour of the record's partner).
        std::vector<std::pair<std::string, std::string>> master;
        if (fw::TDataSource* source = lookup->MasterSource(); source && source->DataSet()) {
            const std::vector<std::string> from = FieldList(c.ListMasterFields);
            const std::vector<std::string> to = FieldList(c.ListIndexFields);
            for (std::size_t i = 0; i < from.size() && i < to.size(); ++i)
                if (!from[i].empty() && !to[i].empty())
                    master.push_back({to[i], source->DataSet()->FieldByName(from[i]).AsString()});
        }
        for (rows.First(); !rows.Eof(); rows.Next()) {
            if (std::any_of(master.begin(), master.end(),
                            [&](const auto& m) { return rows.FieldByName(m.first).AsString() != m.second; }))
                continue;
            const std::string code = rows.FieldByName(FieldList(shown).front()).AsString();
            const std::string key = rows.FieldByName(c.LookupField()).AsString();
            if (code.empty() || key.empty() || base::UpperCase(code) == base::UpperCase(c.Text()) ||
                key == t.Record[base::UpperCase(t.Field)] || code.find(' ') != std::string::npos)
                continue;
            t.Value = key;
            if (Trace()) fprintf(stderr, "  lookup code %s (key %s)\n", code.c_str(), key.c_str());
            TypeText(form, c, code);
            return true;
        }
        return false;
    }

    // A new code made with "Da" (Enter), then a value typed into the field the focus goes on to.
    bool TypeNewCode(fw::Form& form, kit::TDBKeyField& c, Typed& t) {
        auto* table = dynamic_cast<fw::TTable*>(c.DataSet());
        const std::string code =
            IsNumber(*c.Field()) ? std::to_string(7000 + counter++) : TextValue(*c.Field(), "N");
        TypeText(form, c, code);
        QTest::keyClick(&c.Widget(), Qt::Key_Return);
        if (table->State() == fw::dsInsert || base::UpperCase(c.Field()->AsString()) != base::UpperCase(code))
            return false;
        t.Record = RecordOf(*table);
        t.Field.clear();
        fw::Control* next = form.ActiveControl();
        if (!next || next == &c) return true;
        auto* data = dynamic_cast<fw::DataControl*>(next);
        if (!data || data->DataSet() != table || !data->Field()) return true;
        const std::optional<Kind> kind = KindOf(*next);
        if (kind != Kind::Edit && kind != Kind::Name && kind != Kind::Memo) return true;
        t.Field = data->DataField();
        t.Value = TextValue(*data->Field(), "Up");
        fwtest::Type(&next->Widget(), QString::fromStdString(t.Value));
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
        case Way::Tab:
            QTest::keyClick(focus, Qt::Key_Tab);
            if (form.isVisible()) QTest::keyClick(fwtest::FocusTarget(form), Qt::Key_Escape);
            break;
        case Way::Click:
            if (fw::Control* other = OtherEdit(form)) QTest::mouseClick(&other->Widget(), Qt::LeftButton);
            if (form.isVisible()) QTest::keyClick(fwtest::FocusTarget(form), Qt::Key_Escape);
            break;
        }
    }

    // An edit of the form other than the one typed into, as the user would click into it.
    static fw::Control* OtherEdit(fw::Form& form) {
        std::vector<fw::Control*> list;
        form.GetTabOrderList(list);
        for (fw::Control* c : list)
            if (c != form.ActiveControl() && dynamic_cast<fw::Edit*>(c) && c->CanFocus() && c->Enabled() &&
                c->Widget().isVisible())
                return c;
        return nullptr;
    }

    // Where a sweep is: the opener and the first kind still to type into on its form.
    struct Cursor {
        std::size_t Opener = 0;
        int Kind = 0;
    };

    // Every form, each kind of field once, closed the given way; as few program runs as the ends allow.
    void Sweep(Way way) {
        seenThisWay.clear();
        const std::size_t openers = ProgramOpeners().size();
        Cursor at;
        while (at.Opener < openers) {
            std::vector<Typed> run;
            if (Trace()) fprintf(stderr, "run from %zu/%d\n", at.Opener, at.Kind);
            RunOnce([&] {
                const std::vector<Opener> all = ProgramOpeners();
                while (at.Opener < all.size() && !Ended())
                    Visit(all[at.Opener], at, way, run);
            });
            for (const Typed& t : run)
                ReadBack(t);
        }
    }
    void RunOnce(const std::function<void()>& drive) {
        EXPECT_EQ(app::RunProgram(folder.Path(),
                                  [&](app::TWinGlavna& w) {
                                      try {
                                          drive();
                                      } catch (const std::exception& e) {
                                          ADD_FAILURE() << e.what();
                                          fw::Application::Instance().Terminate(true);
                                      }
                                      if (!Ended()) w.Close();
                                  }),
                  0);
    }
    // Opens the form, types into its next kind of field and closes it. A close the form refuses (it tells
    // why) leaves it open: the program is then ended as a signal from the system ends it.
    void Visit(const Opener& o, Cursor& at, Way way, std::vector<Typed>& run) {
        if (!o.Open) {
            if (!o.Open) ADD_FAILURE() << o.Name << " has no opener";
            at = {at.Opener + 1, 0};
            return;
        }
        bool typed = false, shown = false;
        Typed t;
        toldFrom = dialogs.Calls.size();
        WhenShown([&](fw::Form& f) {
            shown = true;
            const auto [control, kind] = NextKind(f, at.Kind, way);
            if (!control) {
                at = {at.Opener + 1, 0};
                CloseBy(f, Way::Esc);
                return;
            }
            at.Kind = static_cast<int>(kind) + 1;
            t.Form = o.Name;
            t.How = way;
            t.What = kind;
            const std::size_t told = dialogs.Calls.size();
            typed = TypeInto(f, *control, t);
            if (Trace())
                fprintf(stderr, "%s %s %s.%s by %s (%s)\n", o.Name.c_str(), NameOf(kind), t.Table.c_str(),
                        t.Field.c_str(), NameOf(way), typed ? t.Value.c_str() : "nothing typed");
            CloseBy(f, way);
            QTimer::singleShot(150, &f, [&f, &t, told, visit = ++visits, this] {
                if (visit != visits || !f.isVisible() || Ended()) return;
                t.Ended = true;
                if (Trace()) fprintf(stderr, "  refused: the program must end\n");
                fw::Application::Instance().Terminate(true);
            });
            toldFrom = told;
        });
        o.Open(app::MainWindow.WinGlavna);
        ++visits;
        // What the program told: its messages and the missing-code box (the questions are the typing's own).
        for (std::size_t i = toldFrom; i < dialogs.Calls.size(); ++i) {
            const app::DialogCall& call = dialogs.Calls[i];
            if (call.Kind == app::DialogKind::Info || call.Kind == app::DialogKind::YesNo)
                t.Told.push_back(call.Text);
            else if (call.Kind == app::DialogKind::Nema)
                t.Told.push_back("Nema " + call.Caption + " " + call.Code);
        }
        if (!shown) {
            poll.stop();
            faults.push_back(o.Name + " by " + NameOf(way) + ": the form did not open" +
                             (t.Told.empty() ? std::string() : ": " + t.Told.front()));
            at = {at.Opener + 1, 0};
            return;
        }
        if (!typed) return;
        // The closed form's tables are written: read at once, before another form changes the row.
        if (Trace())
            for (const std::string& text : t.Told)
                fprintf(stderr, "  told: %s\n", text.c_str());
        if (Ended())
            run.push_back(t);
        else
            ReadBack(t);
    }

    // The row the typed record has on disk, as its fields' texts; empty when there is none.
    std::map<std::string, std::string> RowOnDisk(const Typed& t) {
        fw::TTable table;
        table.SetDatabaseName(FolderOf(folder.Path(), t.Database).string());
        table.SetTableName(t.Table);
        table.Open();
        table.UpdateIndexDefs();
        std::vector<std::string> key;
        for (const fw::TIndexDef& d : table.IndexDefs().List())
            if (d.Options & fw::ixPrimary) key = FieldList(d.Fields);
        for (table.First(); !table.Eof(); table.Next()) {
            bool same = true;
            for (const std::string& k : key)
                same = same && t.Record.count(base::UpperCase(k)) &&
                       table.FieldByName(k).AsString() == t.Record.at(base::UpperCase(k));
            if (same) return RecordOf(table);
        }
        return {};
    }

    // Reads the typed row back from disk: the value is there, or it was refused with a word; a record
    // refused for a missing required value is not stored at all when it was new.
    void ReadBack(const Typed& t) {
        const std::map<std::string, std::string> row = RowOnDisk(t);
        const std::string what =
            t.Form + " " + NameOf(t.What) + " " + t.Table + "." + t.Field + " by " + NameOf(t.How);
        bool requiredRefused = false;
        for (const std::string& text : t.Told)
            requiredRefused = requiredRefused || IsRequiredRefusal(text);
        if (t.What == Kind::Emptied) {
            if (row.empty() || row.at(base::UpperCase(t.Field)) != t.Value)
                faults.push_back(what + ": the emptied required value is stored");
            else if (!requiredRefused)
                faults.push_back(what + ": the emptied required value was not told");
            else
                ++storedCount;
            return;
        }
        if (t.What == Kind::NewCode && requiredRefused) {
            if (!row.empty()) faults.push_back(what + ": a half-made code is stored");
            refusals.push_back(what + ": " + t.Told.front());
            return;
        }
        std::string found = "(no such row)";
        if (!row.empty()) found = t.Field.empty() ? t.Value : row.at(base::UpperCase(t.Field));
        bool stored = t.MustDiffer ? !row.empty() && found != t.Value : found == t.Value;
        if (!stored && !row.empty() && !t.Field.empty() && !t.MustDiffer && !t.Value.empty() &&
            std::isdigit(static_cast<unsigned char>(t.Value[0])) && !found.empty())
            stored = std::stod(found) == std::stod(t.Value);
        if (stored) {
            if (t.Ended) faults.push_back(what + ": the form refused to close though it stored everything");
            ++storedCount;
            return;
        }
        if (!t.Told.empty()) {
            refusals.push_back(what + ": " + t.Told.front());
            return;
        }
        faults.push_back(what + ": \"" + found + "\" instead of " + (t.MustDiffer ? "not " : "") + "\"" +
                         t.Value + "\", nothing told");
    }

    testsupport::TempFolder folder;
    app::ScriptedDialogs dialogs;
    QTimer poll;
    std::set<std::string> seen, seenThisWay;
    std::vector<std::string> refusals;
    std::vector<std::string> faults;
    int counter = 0;
    int storedCount = 0;
    int visits = 0; // a refused close's check belongs to its own visit
    std::size_t toldFrom = 0;
};

TEST_F(FormsKeepTyped, EveryFormStoresWhatIsTypedInEveryKindOfFieldHoweverItCloses) {
    for (Way way :
         {Way::Esc, Way::CloseButton, Way::Izlaz, Way::AltF4, Way::ProgramEnds, Way::Tab, Way::Click})
        Sweep(way);
    EXPECT_GE(seen.size(), 20u) << "the forms the opener knows were reached";
    EXPECT_GE(storedCount, 150);
    EXPECT_EQ(faults, std::vector<std::string>{});
    for (const std::string& r : refusals)
        std::cerr << "refused: " << r << '\n';
}

// A form whose showing failed (its table's file damaged, the program told why) opens again once the file is
// whole: in each way the opener keeps forms (freed after a visit, kept, beside the caller).
TEST_F(FormsKeepTyped, EveryFormWhoseShowingFailedOpensAgain) {
    std::size_t failedShowings = 0, reached = 0;
    for (std::uint8_t mode : {app::LoadModeModalFreed, app::LoadModeModalKept, app::LoadModeModeless}) {
        RunOnce([&] {
            app::Settings.CommonSettings.Resources.LoadMode = mode;
            for (const Opener& o : ProgramOpeners()) {
                std::vector<fs::path> files;
                WhenShown([&](fw::Form& f) {
                    for (app::TMyTableX* t : app::FormTables(f))
                        files.push_back(FolderOf(folder.Path(), t->DatabaseName()) / t->TableName());
                    CloseBy(f, Way::Esc);
                });
                o.Open(app::MainWindow.WinGlavna);
                if (files.empty()) continue;
                ++reached;
                // The form's main table: the last of its data components walked first.
                const fs::path file = files.back();
                fs::rename(file, file.string() + ".whole");
                std::ofstream(file, std::ios::binary) << std::string(4096, 'x');
                const std::size_t told = dialogs.Calls.size();
                bool shown = false;
                WhenShown([&](fw::Form& f) {
                    shown = true;
                    CloseBy(f, Way::Esc);
                });
                o.Open(app::MainWindow.WinGlavna);
                poll.stop();
                fs::remove(file);
                fs::rename(file.string() + ".whole", file);
                if (!shown) {
                    ++failedShowings;
                    EXPECT_GT(dialogs.Calls.size(), told) << o.Name << ": a failed showing is told";
                }
                shown = false;
                WhenShown([&](fw::Form& f) {
                    shown = true;
                    CloseBy(f, Way::Esc);
                });
                o.Open(app::MainWindow.WinGlavna);
                poll.stop();
                EXPECT_TRUE(shown) << o.Name << " (" << file.filename() << ") opens again, load mode "
                                   << int(mode);
            }
        });
    }
    EXPECT_GE(reached, 60u) << "the forms the opener knows were reached";
    EXPECT_GE(failedShowings, 30u) << "the damaged tables failed the showings";
}

} // namespace
