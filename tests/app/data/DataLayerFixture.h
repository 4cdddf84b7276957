#pragma once
// Program folders with "global/" and "lokal/" databases and scripted message boxes for the tests of the
// registry and the changed dataset and field layers. The program's state starts at its defaults (the test
// main resets it) and is reset again at the end, while the folders are still there.

#include "app/data/DBMine.h"
#include "app/data/Dialogs.h"
#include "app/data/Useful.h"
#include "base/ProgramState.h"
#include "fw/db/FieldClasses.h"
#include "fw/db/Session.h"
#include "tests/support/PartnerRows.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace apptest {

class DataLayerTest : public ::testing::Test {
protected:
    DataLayerTest() {
        std::filesystem::create_directories(folder / "global");
        std::filesystem::create_directories(folder / "lokal");
        Connect(global, "Global", folder / "global");
        Connect(global2, "GLOBAL2", folder / "global");
        Connect(lokal, "Lokal", folder / "lokal");
        app::Dialogs.ShowInfoHook = [this](const std::string& text) { shown.push_back(text); };
        app::Dialogs.AskYesNoHook = [this](const std::string& question) {
            asked.push_back(question);
            return answer;
        };
    }
    ~DataLayerTest() override { base::ResetProgramState(); }

    static void Connect(fw::TDatabase& db, const std::string& name, const std::filesystem::path& path) {
        db.SetDatabaseName(name);
        db.KeepConnection = false;
        db.Params = {"DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"};
        db.SetParam("PATH", path.string());
    }

    // Code (auto-increment, primary), Partner, Naziv, Cijena; secondary index PartnerNaziv.
    void MakeTable(const std::string& database, const std::string& name) {
        fw::TTable t;
        t.SetDatabaseName(database);
        t.SetTableName(name);
        t.FieldDefs().Add("Code", fw::ftAutoInc);
        t.FieldDefs().Add("Partner", fw::ftInteger);
        t.FieldDefs().Add("Naziv", fw::ftString, 20);
        t.FieldDefs().Add("Cijena", fw::ftFloat);
        t.IndexDefs().Add("", "Code", fw::ixPrimary | fw::ixUnique);
        t.IndexDefs().Add("PartnerNaziv", "Partner;Naziv", 0);
        t.CreateTable();
    }
    static void AddRows(fw::TTable& t, std::initializer_list<std::pair<int, const char*>> rows) {
        testsupport::AddRows(t, rows);
    }
    static void Setup(app::TMyTableX& t, const std::string& database, const std::string& name) {
        t.SetDatabaseName(database);
        t.SetTableName(name);
    }
    static std::vector<std::string> Walk(fw::TTable& t) { return testsupport::Walk(t); }

    testsupport::TempFolder folder;
    fw::TDatabase global, global2, lokal;
    std::vector<std::string> shown;
    std::vector<std::string> asked;
    bool answer = false;
};

} // namespace apptest
