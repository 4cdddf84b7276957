#include "base/Exceptions.h"
#include "base/Files.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

using namespace base;

TEST(Files, FindsNamesCaseInsensitively) {
    testsupport::TempFolder dir;
    dir.Write("Partner.db", "x");
    EXPECT_EQ(FindFile(dir.Path(), "PARTNER.DB")->filename(), "Partner.db");
    EXPECT_FALSE(FindFile(dir.Path(), "ROBA.DB").has_value());
    EXPECT_EQ(ResolveFile(dir.Path(), "ROBA.DB").filename(), "ROBA.DB");
}

TEST(Files, MasksMatchWholeNames) {
    EXPECT_TRUE(MatchesMask("PARTNER.XG0", "partner.x*"));
    EXPECT_TRUE(MatchesMask("ROBA.PX", "ROBA.P?"));
    EXPECT_FALSE(MatchesMask("ROBA.PDF", "ROBA.P?"));
    EXPECT_TRUE(MatchesMask("ŠIFRE.DB", "šifre.*"));
    EXPECT_TRUE(MatchesMask("Č.DB", "?.DB")); // "?" takes a whole character
    EXPECT_TRUE(MatchesMask("abc", "*"));
    EXPECT_FALSE(MatchesMask("abc", "*d"));
    EXPECT_TRUE(MatchesMask("a.b.c", "*.c"));
    // Names that are no UTF-8 match only the same bytes, one "?" per byte.
    EXPECT_TRUE(MatchesMask("ROBA\x8A.DB", "roba\x8A.*"));
    EXPECT_FALSE(MatchesMask("ROBA\x8A.DB", "ROBA\x9A.DB"));
    EXPECT_FALSE(MatchesMask("ROBA\x8A.DB", "ROBA\xEF\xBF\xBD.DB"));
    EXPECT_TRUE(MatchesMask("\xC5\xA0\xC5.DB", "\xC5\xA0?.DB"));
    EXPECT_TRUE(MatchesMask("\xE2\x82.DB", "??.DB"));
}

TEST(Files, ListsMatchingFilesAndKeepsExactDates) {
    testsupport::TempFolder dir;
    dir.Write("ROBA.DB", "a");
    dir.Write("ROBA.PX", "b");
    dir.Write("roba.x02", "c");
    dir.Write("ROBAX.DB", "d");
    const auto files = FilesMatching(dir.Path(), "ROBA.*");
    ASSERT_EQ(files.size(), 3u);
    const std::int64_t stamp = 1'234'567'890'123'456'789;
    SetFileTime(dir / "ROBA.PX", stamp);
    EXPECT_EQ(FileTime(dir / "ROBA.PX"), stamp);
    EXPECT_THROW(FileTime(dir / "NONE.DB"), Exception);
}
