#pragma once
// A program folder with "global/" and "lokal/" databases on the real table engine, the folders' table sets
// installed and scripted message boxes: the fixture of the dataset-service and register tests. The
// program's state starts at its defaults (the test main resets it) and is reset again at the end, while the
// folder is still there. A second process of the same test program works on the folder named by
// PLOM_SERVICES_FOLDER.

#include "app/data/DBMine.h"
#include "app/data/Dialogs.h"
#include "app/data/OpenDbRegister.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/tables/EngineTables.h"
#include "app/tables/TableDefinitions.h"
#include "base/ProgramState.h"
#include "fw/db/Session.h"
#include "fw/db/Table.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

class ServicesTest : public ::testing::Test {
protected:
    ServicesTest() {
        if (const char* other = std::getenv("PLOM_SERVICES_FOLDER"))
            root = other;
        else
            root = temp.Path();
        std::filesystem::create_directories(root / "global");
        std::filesystem::create_directories(root / "lokal");
        Connect(global, "Global", root / "global");
        Connect(lokal, "Lokal", root / "lokal");
        app::WBegin.GlobalFolder = (root / "global").string() + "/";
        app::WBegin.LokalFolder = (root / "lokal").string() + "/";
        app::WBegin.LinkFolder.clear();
        app::SetTableEngine(&app::FileTableEngine());
        app::InstallTableSets();
        app::Dialogs.ShowInfoHook = [this](const std::string& text) { shown.push_back(text); };
        app::Dialogs.AskYesNoHook = [this](const std::string& question) {
            asked.push_back(question);
            if (onAsk) onAsk();
            if (answers.empty()) return false;
            const bool a = answers.front();
            answers.pop_front();
            return a;
        };
    }
    ~ServicesTest() override { base::ResetProgramState(); }

    static void Connect(fw::TDatabase& db, const std::string& name, const std::filesystem::path& path) {
        db.SetDatabaseName(name);
        db.KeepConnection = false;
        db.Params = {"DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"};
        db.SetParam("PATH", path.string());
    }

    // A keyed table of the test's own: Partner;Sifra primary, Naziv, Proizvodi; secondary index on
    // Partner;Proizvodi;Sifra.
    void MakeKeyedTable(const std::string& database, const std::string& name) {
        fw::TTable t;
        t.SetDatabaseName(database);
        t.SetTableName(name);
        t.FieldDefs().Add("Partner", fw::ftInteger);
        t.FieldDefs().Add("Sifra", fw::ftInteger);
        t.FieldDefs().Add("Naziv", fw::ftString, 20);
        t.FieldDefs().Add("Proizvodi", fw::ftInteger);
        t.IndexDefs().Add("", "Partner;Sifra", fw::ixPrimary | fw::ixUnique);
        t.IndexDefs().Add("PartnerProizvodiSifra", "Partner;Proizvodi;Sifra", 0);
        t.CreateTable();
    }
    static void AddRow(fw::TTable& t, int partner, int sifra, const std::string& naziv, int proizvodi = 0) {
        t.Append();
        t.FieldByName("Partner").SetAsInteger(partner);
        t.FieldByName("Sifra").SetAsInteger(sifra);
        t.FieldByName("Naziv").SetAsString(naziv);
        t.FieldByName("Proizvodi").SetAsInteger(proizvodi);
        t.Post();
    }
    static std::vector<std::string> Names(fw::TTable& t) {
        std::vector<std::string> out;
        for (t.First(); !t.Eof(); t.Next())
            out.push_back(t.FieldByName("Naziv").AsString());
        return out;
    }

    // The register row of a table as another open of "OPEN.DB" reads it: {Open, Changed}; {-1, false} when
    // there is no row
    // (or no register).
    std::pair<int, bool> Row(const std::string& folder, const std::string& file) {
        if (!engine::TableExists(root / folder, "OPEN.DB")) return {-1, false};
        fw::TTable t;
        t.SetDatabaseName((root / folder).string());
        t.SetTableName("OPEN.DB");
        t.Open();
        if (!t.FindKey({engine::Value::Text(file)})) return {-1, false};
        return {static_cast<int>(t.FieldByName("Open").AsInteger()), t.FieldByName("Changed").AsBoolean()};
    }

    testsupport::TempFolder temp;
    std::filesystem::path root;
    fw::TDatabase global, lokal;
    std::vector<std::string> shown;
    std::vector<std::string> asked;
    std::deque<bool> answers;
    std::function<void()> onAsk;
};

} // namespace apptest
