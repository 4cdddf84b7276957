#include "app/tables/TableFiles.h"

#include "base/Exceptions.h"
#include "base/Files.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

using namespace app;
namespace fs = std::filesystem;

namespace {

class TableFiles : public ::testing::Test {
protected:
    void Files(std::initializer_list<const char*> names) {
        for (const char* name : names)
            folder.Write(name, "x");
    }
    bool Has(const std::string& name) const { return fs::exists(folder / name); }
    void Stamp(const std::string& name, std::int64_t time) { base::SetFileTime(folder / name, time); }
    testsupport::TempFolder folder;
};

constexpr std::int64_t Noon = 1'700'000'000'123'456'789;

} // namespace

TEST(TableNames, BaseNameAndPlainNames) {
    EXPECT_EQ(TableBaseName("WINGL.DB"), "WINGL");
    EXPECT_EQ(TableBaseName("Restructured_WINGL.DB"), "Restructured_WINGL");
    EXPECT_EQ(TableBaseName("NOEXT"), "NOEXT");
    EXPECT_EQ(TableBaseName(std::string(40, 'A') + ".DB"), std::string(30, 'A'));
    EXPECT_TRUE(IsPlainTableName("PARTNER.DB"));
    EXPECT_TRUE(IsPlainTableName("Partner"));
    for (const char* bad :
         {"", ".", "..", "*.DB", "A?.DB", "../ROBA.DB", "sub/ROBA.DB", "C:\\ROBA.DB", "A..B"})
        EXPECT_FALSE(IsPlainTableName(bad)) << bad;
}

TEST_F(TableFiles, DeleteIndexFilesRemovesOnlyTheIndexFamily) {
    Files({"ROBA.DB", "ROBA.MB", "ROBA.PX", "roba.val", "ROBA.X02", "ROBA.Y02", "Roba.XG0", "ROBA.YG0",
           "ROBA.XLSX", "ROBA.PDF", "ROBAX.X02", "ROBA2.PX"});
    EXPECT_EQ(DeleteIndexFiles(folder.Path(), "ROBA"), 6);
    for (const char* gone : {"ROBA.PX", "roba.val", "ROBA.X02", "ROBA.Y02", "Roba.XG0", "ROBA.YG0"})
        EXPECT_FALSE(Has(gone)) << gone;
    for (const char* kept : {"ROBA.DB", "ROBA.MB", "ROBA.XLSX", "ROBA.PDF", "ROBAX.X02", "ROBA2.PX"})
        EXPECT_TRUE(Has(kept)) << kept;
}

TEST_F(TableFiles, DeleteTableFilesKeepsTheMemoFile) {
    Files({"partner.db", "PARTNER.MB", "PARTNER.PX", "PARTNER.X01"});
    EXPECT_EQ(DeleteTableFiles(folder.Path(), "PARTNER"), 3);
    EXPECT_FALSE(Has("partner.db"));
    EXPECT_TRUE(Has("PARTNER.MB"));
}

TEST_F(TableFiles, NamesWithPathsOrWildcardsAreRefused) {
    Files({"ROBA.PX"});
    EXPECT_THROW(DeleteIndexFiles(folder.Path(), "*"), base::Exception);
    EXPECT_THROW(DeleteTableFiles(folder.Path(), "../ROBA"), base::Exception);
    EXPECT_THROW(DeleteFilesByMask(folder.Path(), "../*.PX"), base::Exception);
    EXPECT_TRUE(Has("ROBA.PX"));
}

TEST_F(TableFiles, DeleteFilesByMaskMatchesWithoutCase) {
    Files({"_NEW_.DB", "_new_.px", "_NEW_X.DB", "OTHER.DB"});
    EXPECT_EQ(DeleteFilesByMask(folder.Path(), "_NEW_.*"), 2);
    EXPECT_TRUE(Has("_NEW_X.DB"));
    EXPECT_TRUE(Has("OTHER.DB"));
}

TEST_F(TableFiles, QuickScanCountsPrimaryAndSecondaryIndexFiles) {
    Files({"POSTA.DB", "POSTA.PX", "POSTA.X02", "POSTA.Y02", "POSTA.XG0", "POSTA.YG0", "POSTA.VAL",
           "POSTA.MB", "POSTA.PDF", "POSTA.XLSX"});
    const auto scan = ScanIndexFiles(folder.Path(), "POSTA.DB", false);
    EXPECT_FALSE(scan.Reindex);
    EXPECT_EQ(scan.Found, 5); // .VAL, .MB and foreign files do not count
}

TEST_F(TableFiles, ThoroughScanWantsEveryIndexFileDatedLikeTheTable) {
    Files({"POSTA.DB", "POSTA.PX", "POSTA.X02", "POSTA.Y02", "POSTA.MB", "POSTA.PDF"});
    for (const char* name : {"POSTA.DB", "POSTA.PX", "POSTA.X02", "POSTA.Y02"})
        Stamp(name, Noon);
    Stamp("POSTA.MB", Noon - 5);
    Stamp("POSTA.PDF", Noon - 5);
    auto scan = ScanIndexFiles(folder.Path(), "POSTA.DB", true);
    EXPECT_FALSE(scan.Reindex);
    EXPECT_EQ(scan.Found, 3);
    EXPECT_EQ(scan.TableTime, Noon);

    Stamp("POSTA.Y02", Noon + 1); // one nanosecond off is stale
    EXPECT_TRUE(ScanIndexFiles(folder.Path(), "POSTA.DB", true).Reindex);
    EXPECT_FALSE(ScanIndexFiles(folder.Path(), "POSTA.DB", false).Reindex);

    Stamp("POSTA.Y02", Noon);
    Files({"POSTA.VAL"});
    EXPECT_TRUE(ScanIndexFiles(folder.Path(), "POSTA.DB", true).Reindex);
}

TEST_F(TableFiles, ScanOfAMissingTableIsAnError) {
    EXPECT_THROW(ScanIndexFiles(folder.Path(), "NONE.DB", false), base::Exception);
}
