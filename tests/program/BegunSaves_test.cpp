// A station killed at every write point of a type's save, then the program started on its folder: once the
// "Lokal" tables are open, before any form reads a type, the tables hold the old type or the new one whole,
// with no row of the save and no note left behind.

#include "app/data/WBegin.h"
#include "app/shell/ScriptedDialogs.h"
#include "app/tables/StageFolder.h"
#include "base/FileSystem.h"
#include "base/ProgramState.h"
#include "engine/Engine.h"
#include "program/Startup.h"
#include "program/WinGlavna.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/TempFolder.h"
#include "windows/storage/WindowTypeStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using windows::ModelProzora;

void UseFolder(const fs::path& folder) {
    app::WBegin.LokalFolder = (folder / "lokal").string() + "/";
}

void AddType(const fs::path& folder, const std::string& sifra, std::int32_t code) {
    auto t = engine::Table::Open(folder / "lokal", "WINGL.DB", engine::OpenMode::Shared);
    engine::Row row(t->Fields().size());
    row[0] = engine::Value::Text(sifra);
    row[1] = engine::Value::Text("Tip " + sifra);
    row[2] = engine::Value::Int(code);
    row[3] = engine::Value::Int(2);
    t->OpenCursor()->Insert(row);
}

// A window of that width: a window mullion, a sash with a mullion and a double sash.
void Model(ModelProzora& m, int sirina) {
    m.OslobodiMemoriju();
    m.PostaviOkvirProzora(static_cast<std::int16_t>(sirina), 1000, 50);
    m.Preklapanje = 5;
    m.ArtiklStoka = 11;
    m.Sistem = 2;
    ASSERT_NE(m.DodajPrecku(sirina / 2, 500, false, 60, 21), nullptr);
    ASSERT_NE(m.DodajOkvir(sirina / 4, 500, 60, 31, 0), nullptr);
    ASSERT_NE(m.DodajPrecku(sirina / 4, 500, true, 40, 22), nullptr);
    ASSERT_NE(m.DodajDvostrukiOkvir(sirina * 3 / 4, 500, 60, 10, 32, 0), nullptr);
}

// Every row of the window-type tables, table by table in key order, and every swap note of the folder.
std::string RawTables(const fs::path& folder) {
    std::ostringstream o;
    for (const char* name : {"WINGL.DB", "WINO.DB", "WINPO.DB", "WINP.DB"}) {
        auto t = engine::Table::Open(folder / "lokal", name, engine::OpenMode::Shared);
        auto c = t->OpenCursor();
        o << name << "\n";
        for (c->First(); c->OnRow(); c->Next()) {
            for (const engine::Value& v : c->Read())
                o << ' '
                  << (v.IsInt()    ? std::to_string(v.AsInt())
                      : v.IsBool() ? std::string(v.AsBool() ? "T" : "F")
                      : v.IsText() ? v.AsText()
                                   : std::string("-"));
            o << "\n";
        }
    }
    for (const auto& e : fs::directory_iterator(folder / "lokal"))
        if (e.path().extension() == ".zamjena") o << "note " << e.path().filename().string() << "\n";
    return o.str();
}

void CopyFolder(const fs::path& from, const fs::path& to) {
    fs::remove_all(to);
    fs::copy(from, to, fs::copy_options::recursive);
}

bool SaveWide(const fs::path& folder) {
    UseFolder(folder);
    ModelProzora m;
    Model(m, 1400);
    return windows::SpremiProzor(m, 7);
}

TEST(BegunSaves, AStationKilledAtAnyWritePointOfASaveLeavesTheOldTypeOrTheNewAtTheNextStart) {
    testsupport::TempFolder tmp;
    const fs::path start = tmp / "start";
    const fs::path work = tmp / "work";
    app::StageProgramFolder(start);
    app::ScriptedDialogs dialogs;
    UseFolder(start);
    AddType(start, "T1", 7);
    AddType(start, "T2", 8);
    ModelProzora m;
    Model(m, 1000);
    ASSERT_TRUE(windows::SpremiProzor(m, 7));
    Model(m, 700);
    ASSERT_TRUE(windows::SpremiProzor(m, 8));
    const std::string before = RawTables(start);

    // The save done whole, counting its writes.
    CopyFolder(start, work);
    int writes = 0;
    {
        testsupport::FaultFileSystem faults;
        base::ScopedFileSystem scope(faults);
        ASSERT_TRUE(SaveWide(work));
        writes = faults.Writes();
    }
    const std::string after = RawTables(work);
    ASSERT_NE(after, before);
    ASSERT_GT(writes, 0);

    int old = 0, done = 0;
    for (int n = 1; n <= writes; ++n) {
        SCOPED_TRACE("the station ends after write " + std::to_string(n) + " of " + std::to_string(writes));
        CopyFolder(start, work);
        const auto child = testsupport::ChildProcess::Fork([&] {
            testsupport::FaultFileSystem faults;
            faults.DieAfterWrite(n);
            base::ScopedFileSystem scope(faults);
            return SaveWide(work) ? 0 : 1;
        });
        const auto status = child->Wait(std::chrono::minutes(2));
        ASSERT_TRUE(status && status->Exited) << child->Errors();
        ASSERT_TRUE(status->Code == testsupport::FaultFileSystem::DiedAtWrite ||
                    (n == writes && status->Code == 0))
            << status->Describe();

        ASSERT_EQ(app::RunProgram(work, [](app::TWinGlavna& w) { w.Close(); }), 0);
        base::ResetProgramState();
        const std::string raw = RawTables(work);
        if (raw == before)
            ++old;
        else if (raw == after)
            ++done;
        else
            ADD_FAILURE() << "a mix, or what the save left:\n"
                          << raw << "\nbefore:\n"
                          << before << "\nafter:\n"
                          << after;
    }
    EXPECT_GT(old, 0);
    EXPECT_GT(done, 0);
    EXPECT_TRUE(dialogs.Texts().empty()) << dialogs.Texts().front();
}

} // namespace
