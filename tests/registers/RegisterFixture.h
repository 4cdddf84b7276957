#pragma once
// A program folder with the real table set (tables made from their definitions on first open), the kit
// started, registers shown modelessly over a caller form, and helpers that drive them by keys and read the
// rows back from disk.

#include "app/tables/EngineTables.h"
#include "app/tables/TableEngine.h"
#include "registers/CodeListForm.h"
#include "tests/fw/ui/FormTesting.h"
#include "tests/kit/KitFixture.h"

#include <string>
#include <vector>

namespace regtest {

using kittest::Key;

class RegisterTest : public kittest::KitTest {
protected:
    RegisterTest() {
        app::SetTableEngine(&app::FileTableEngine());
        app::InstallTableSets();
        // Modeless: the test drives the form between its own steps.
        app::Settings.CommonSettings.Resources.LoadMode = 2;
        caller.reset(fw::CreateForm<kittest::DataForm>(nullptr));
        fwtest::ShowActive(*caller);
    }
    ~RegisterTest() override {
        // The forms belong to the application: they go before the databases they read.
        for (fw::Form* f : opened)
            delete f;
        caller.reset();
        for (app::Folder f : {app::Folder::Global, app::Folder::Lokal, app::Folder::Link})
            app::HooksOf(f) = app::FolderHooks();
        app::SetTableEngine(nullptr);
    }

    // Rows of a table on disk as "field1|field2|..." in the order of the index (primary when empty).
    std::vector<std::string> Rows(const std::string& database, const std::string& table,
                                  const std::vector<std::string>& fields, const std::string& index = "") {
        fw::TTable t;
        Setup(t, database, table);
        if (!index.empty()) t.SetIndexFieldNames(index);
        t.Open();
        std::vector<std::string> rows;
        for (t.First(); !t.Eof(); t.Next()) {
            std::string row;
            for (const std::string& f : fields)
                row += (row.empty() ? "" : "|") + t.FieldByName(f).AsString();
            rows.push_back(row);
        }
        return rows;
    }
    // Appends rows of field values (text form) to a table, made first when missing.
    void Add(const std::string& database, const std::string& table, const std::vector<std::string>& fields,
             const std::vector<std::vector<std::string>>& rows) {
        Make(database, table);
        fw::TTable t;
        Setup(t, database, table);
        t.Open();
        for (const auto& row : rows) {
            t.Append();
            for (std::size_t i = 0; i < fields.size(); ++i)
                t.FieldByName(fields[i]).SetAsString(row[i]);
            t.Post();
        }
    }
    // Makes sure the table exists (created from its definition).
    void Make(const std::string& database, const std::string& table) {
        kit::TMyTable t;
        Setup(t, database, table);
        t.Open();
        t.Close();
    }

    // Frees the form at the end of the test (the opener keeps it in its variable until then).
    template <class F> F* Track(F* form) {
        opened.push_back(form);
        return form;
    }
    // Types into the form's active control (the form's own focus, whichever window Qt thinks is active).
    void Type(fw::Form& form, const QString& text) {
        fwtest::Type(form.ActiveControl() ? &form.ActiveControl()->Widget() : &form, text);
    }
    void Press(fw::Form& form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        Key(form, key, mods);
    }
    std::string ActiveName(fw::Form& form) {
        return form.ActiveControl() ? form.ActiveControl()->Name() : std::string("-");
    }
    std::vector<std::string> Asked() const { return dialogs.Asked(); }

    std::unique_ptr<kittest::DataForm> caller;
    std::vector<fw::Form*> opened;
};

} // namespace regtest
