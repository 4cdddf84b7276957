// Column types the program never creates, read from tables written by other programs.

#include "base/CroatianFormat.h"
#include "base/Text.h"
#include "fw/db/DatabaseError.h"
#include "fw/db/FieldClasses.h"
#include "fw/db/Table.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace fw;
using testsupport::TempFolder;

namespace {

class ForeignTypes : public ::testing::Test {
protected:
    // Copies a table of the shared fixtures into the test's folder and opens it.
    void OpenFixture(const std::string& name) {
        auto shared = testsupport::SharedFixtures();
        if (shared.empty()) GTEST_SKIP() << "shared fixtures not found";
        folder.Write(name, testsupport::ReadFile(shared / "paradox" / "real" / name));
        table.SetDatabaseName(folder.Path().string());
        table.SetTableName(name);
        table.Open();
    }
    TempFolder folder;
    TTable table;
};

TEST_F(ForeignTypes, BcdColumnsReadAndWriteTheirDecimalDigits) {
    OpenFixture("bcd.db");
    if (IsSkipped()) return;
    TField& a = table.FieldByName("A");
    TField& b = table.FieldByName("B");
    ASSERT_NE(dynamic_cast<TBCDField*>(&a), nullptr);
    EXPECT_EQ(a.ColumnSize(), 2);
    EXPECT_EQ(a.AsString(), "1,23");
    EXPECT_DOUBLE_EQ(a.AsFloat(), 1.23);
    EXPECT_EQ(b.AsString(), "1");
    EXPECT_THROW(table.FieldByName("C").AsString(), EDatabaseError); // digits that are no digits
    table.Next();
    EXPECT_EQ(a.AsString(), "-1,23");
    EXPECT_EQ(b.AsInteger(), -1);
    engine::Value storedMinus = a.StoredValue();
    table.Next();
    EXPECT_EQ(a.AsString(), "0");
    EXPECT_TRUE(b.IsNull());

    table.First();
    table.Edit();
    a.SetAsFloat(-1.23);
    b.SetAsString("42");
    table.Post();
    table.Close();
    table.Open();
    EXPECT_EQ(a.StoredValue(), storedMinus); // the same bytes the other program wrote
    EXPECT_EQ(b.AsString(), "42");
}

TEST_F(ForeignTypes, TimeAndTimestampColumns) {
    OpenFixture("time.db");
    if (IsSkipped()) return;
    EXPECT_EQ(table.Fields(0).DataType(), ftTime);
    EXPECT_EQ(table.Fields(0).AsString(), "1:00:01");
    table.Next();
    EXPECT_TRUE(table.Fields(0).IsNull());
    table.Next();
    EXPECT_EQ(table.Fields(0).Text(), "3:00:03");
    table.Close();

    TTable ts;
    folder.Write("timestamp.db",
                 testsupport::ReadFile(testsupport::SharedFixtures() / "paradox" / "real" / "timestamp.db"));
    ts.SetDatabaseName(folder.Path().string());
    ts.SetTableName("timestamp.db");
    ts.Open();
    EXPECT_EQ(ts.Fields(0).DataType(), ftDateTime);
    EXPECT_TRUE(ts.Fields(0).IsNull());
    ts.Next();
    EXPECT_EQ(ts.Fields(0).AsString(), "1.2.2020 1:00:01");
}

TEST(FixtureTables, EveryFieldOfEveryRowReadsAsText) {
    auto shared = testsupport::SharedFixtures();
    if (shared.empty()) GTEST_SKIP() << "shared fixtures not found";
    for (auto dir : {shared / "paradox", shared / "paradox" / "real"}) {
        TempFolder folder;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.is_regular_file())
                folder.Write(entry.path().filename().string(), testsupport::ReadFile(entry.path()));
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            std::string name = entry.path().filename().string();
            std::string ext = base::UpperCase(entry.path().extension().string());
            if (ext != ".DB") continue;
            SCOPED_TRACE(name);
            TTable t;
            t.SetDatabaseName(folder.Path().string());
            t.SetTableName(name);
            t.Open();
            long long rows = 0;
            for (t.First(); !t.Eof(); t.Next(), ++rows)
                for (int i = 0; i < t.FieldCount(); ++i) {
                    TField& f = t.Fields(i);
                    if (f.DataType() == ftBCD && f.FieldName() == "C") continue; // holds no digits
                    EXPECT_NO_THROW(f.DisplayText()) << f.FieldName();
                    EXPECT_EQ(f.IsNull(), f.AsString().empty()) << f.FieldName();
                }
            EXPECT_EQ(rows, t.RecordCount());
        }
    }
}

TEST(BcdDigits, EncodeAndDecodeAgree) {
    for (double v : {0.0, 1.5, -1.5, 123456.789, -0.001, 99999999.99})
        EXPECT_EQ(BcdToText(TextToBcd(v, 3)),
                  base::FloatToText(std::round(v * 1000) / 1000 == 0 ? 0 : std::round(v * 1000) / 1000));
    EXPECT_EQ(BcdToText(TextToBcd(12.5, 0)), "13");
    EXPECT_THROW(TextToBcd(1e30, 4), EDatabaseError);
    EXPECT_EQ(BcdToText(std::string(17, '\x0F')), std::nullopt);
}

} // namespace
