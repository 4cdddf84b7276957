// Every write point of a restructure (the rebuilt copy and the swap that puts it under the table's name): a
// crash after each write, EIO or ENOSPC at each write and sync, and the power cut at each sync lose no row
// and leave the table in its old layout or its new one.
#include "app/tables/EngineTables.h"
#include "app/tables/TableCheck.h"
#include "app/tables/TableSchema.h"
#include "base/Files.h"
#include "tests/support/WritePoints.h"

#include <gtest/gtest.h>

using namespace app;
using engine::FieldType;
using engine::Value;
using testsupport::Outcome;
namespace fs = std::filesystem;

namespace {

constexpr int RowCount = 6;

// The rows are intact in either layout: "" when they are, else what is wrong.
std::string CheckRows(const fs::path& folder) {
    auto table = engine::Table::Open(folder, "ZEMLJA.DB", engine::OpenMode::Shared);
    auto cursor = table->OpenCursor();
    int i = 0;
    for (cursor->First(); cursor->OnRow(); cursor->Next()) {
        ++i;
        if (cursor->Read()[0] != Value::Int(i * 2) ||
            cursor->Read()[1] != Value::Text("Z" + std::to_string(i)))
            return "row " + std::to_string(i) + " differs";
    }
    return i == RowCount ? "" : std::to_string(i) + " rows";
}

bool Restructured(const fs::path& folder) {
    return SameFields(engine::ReadTableInfo(folder, "ZEMLJA.DB").Fields,
                      *FindTableDefinition(TablesOf(Folder::Global), "ZEMLJA.DB"));
}

testsupport::WritePointScenario Restructure() {
    testsupport::WritePointScenario s;
    s.Name = "restructure_swap";
    s.FileName = "ZEMLJA|_NEW_|_OLD_|_SWAP_";
    s.Setup = [](const fs::path& f) {
        engine::CreateTable(f, "ZEMLJA.DB",
                            {{"Code", FieldType::AutoInc, 0, false}, {"Sifra", FieldType::Alpha, 20, false}});
        auto table = engine::Table::Open(f, "ZEMLJA.DB", engine::OpenMode::Exclusive);
        table->AddIndex({"", "Code", true, true, false, false});
        auto cursor = table->OpenCursor();
        for (int i = 1; i <= RowCount; ++i)
            cursor->Insert({Value::Int(i * 2), Value::Text("Z" + std::to_string(i))});
    };
    s.Run = [](const fs::path& f) {
        try {
            CheckTables(Folder::Global, f.string(), "ZEMLJA.DB", false);
        } catch (const base::Exception& e) {
            // Whatever failed, the table is there with every row.
            EXPECT_EQ(CheckRows(f), "");
            return e.Message().empty() ? std::string("?") : e.Message();
        }
        return std::string();
    };
    s.Observe = [](const fs::path& f, std::string& problem) {
        try {
            // A swap cut short is finished first, as the program's next check does.
            if (base::FindFile(f, SwapJournalName) || !engine::TableExists(f, "ZEMLJA.DB"))
                CheckTables(Folder::Global, f.string(), "ZEMLJA.DB", false);
            problem = CheckRows(f);
            if (!problem.empty()) return Outcome::Broken;
            const bool done = Restructured(f);
            // The next check brings it to the new layout without losing a row either way.
            CheckTables(Folder::Global, f.string(), "ZEMLJA.DB", false);
            problem = CheckRows(f);
            if (!problem.empty() || !Restructured(f)) return Outcome::Broken;
            return done ? Outcome::Done : Outcome::NotDone;
        } catch (const std::exception& e) {
            problem = e.what();
            return Outcome::Broken;
        }
    };
    return s;
}

TEST(TableCheckWritePoints, EveryWritePointOfARestructureKeepsEveryRow) {
    SetTableEngine(&FileTableEngine());
    testsupport::WritePointScenario s = Restructure();
    s.PowerCut = true;
    testsupport::CheckEveryWritePoint(s);
    SetTableEngine(nullptr);
}

} // namespace
