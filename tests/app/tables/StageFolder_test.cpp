#include "app/tables/StageFolder.h"

#include "app/tables/TableDefinitions.h"
#include "base/Files.h"
#include "engine/Engine.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

using namespace app;
namespace fs = std::filesystem;

namespace {

// The rows of a staged table whose field `field` holds `text`.
int RowsWith(const fs::path& folder, const std::string& table, int field, const std::string& text) {
    auto t = engine::Table::Open(folder, table, engine::OpenMode::Shared);
    auto c = t->OpenCursor();
    int n = 0;
    for (c->First(); c->OnRow(); c->Next())
        if (c->Read()[static_cast<std::size_t>(field)].AsText() == text) ++n;
    return n;
}

} // namespace

// A staged folder holds the installation record, the settings, every table of both data folders and the
// own company; the last step (the program's sample) runs with the folders connected and the company's code.
TEST(StageFolder, MakesTheFolderAsTheSetupInstallsIt) {
    testsupport::TempFolder folder;
    StageOptions options;
    int samples = 0;
    StagedFolder seen;
    std::int64_t ownRows = -1;
    options.Sample = [&](const StagedFolder& staged) {
        ++samples;
        seen = staged;
        // The folders' tables are there and the own company's row is in when the sample runs.
        auto partner = engine::Table::Open(staged.Global, "PARTNER.DB", engine::OpenMode::Shared);
        ownRows = partner->RecordCount();
    };
    StageProgramFolder(folder.Path(), options);

    EXPECT_EQ(RowsWith(folder.Path(), "Link.DB", 0, "LUMENO"), 1);
    EXPECT_NE(folder.Read("QK.INI").find("[OtvoreneBaze]"), std::string::npos);
    EXPECT_NE(folder.Read("PLOM.INI").find("GrupaStaklo=6"), std::string::npos);
    for (const auto& [kind, sub] : {std::pair{Folder::Global, "global"}, std::pair{Folder::Lokal, "lokal"}})
        for (const auto& table : TablesOf(kind))
            EXPECT_TRUE(base::FindFile(folder / sub, table.FileName)) << sub << "/" << table.FileName;
    EXPECT_EQ(RowsWith(folder / "global", "PARTNER.DB", 1, "LUMENO"), 1);
    EXPECT_EQ(RowsWith(folder / "lokal", "SIF_PART.DB", 0, "LUMENO"), 1);

    ASSERT_EQ(samples, 1);
    EXPECT_EQ(seen.Global, (folder / "global").string() + "/");
    EXPECT_EQ(seen.Lokal, (folder / "lokal").string() + "/");
    EXPECT_GT(seen.OwnPartner, 0);
    EXPECT_EQ(ownRows, 1);
}

// Staging again keeps what is there: the settings a user changed, and one own company.
TEST(StageFolder, StagingAgainKeepsWhatIsThere) {
    testsupport::TempFolder folder;
    StageProgramFolder(folder.Path());
    folder.Write("QK.INI", "[Safety]\r\nAutoSave=0\r\n");
    std::int32_t own = 0;
    StageOptions options;
    options.Sample = [&](const StagedFolder& staged) { own = staged.OwnPartner; };
    StageProgramFolder(folder.Path(), options);
    EXPECT_EQ(folder.Read("QK.INI"), "[Safety]\r\nAutoSave=0\r\n");
    EXPECT_EQ(RowsWith(folder / "global", "PARTNER.DB", 1, "LUMENO"), 1);
    EXPECT_EQ(RowsWith(folder.Path(), "Link.DB", 0, "LUMENO"), 1);
    EXPECT_GT(own, 0);

    // Without tables only the installation record and the settings are made.
    testsupport::TempFolder bare;
    StageOptions noTables;
    noTables.Tables = false;
    StageProgramFolder(bare.Path(), noTables);
    EXPECT_TRUE(fs::exists(bare / "Link.DB"));
    EXPECT_FALSE(fs::exists(bare / "global"));
}
