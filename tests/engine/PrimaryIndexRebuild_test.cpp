// A keyed table whose .PX is missing or damaged: its rows stay readable, and adding its primary index again
// writes the .PX anew.
#include "engine/Engine.h"
#include "tests/engine/Consistency.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using namespace engine;

constexpr int RowCount = 700; // several .DB blocks, so the .PX has more than one entry

class PrimaryIndexRebuild : public ::testing::Test {
protected:
    void SetUp() override {
        CreateTable(tmp.Path(), "ARTIKL.DB",
                    {{"Code", FieldType::AutoInc, 0, false},
                     {"Naziv", FieldType::Alpha, 40, false},
                     {"Cijena", FieldType::Number, 0, false}});
        auto t = Table::Open(tmp.Path(), "ARTIKL.DB", OpenMode::Exclusive);
        t->AddIndex(Primary("Code"));
        t->AddIndex({"_Naziv", "Naziv", false, false, true, false});
        auto c = t->OpenCursor();
        for (int i = 0; i < RowCount + 5; ++i)
            c->Insert({Value(), Value::Text("artikl " + std::to_string(i)), Value::Float(i / 2.0)});
        // The counter stays above the rows that are left.
        while (c->RecordCount() > RowCount) {
            c->Last();
            c->Delete();
        }
        t.reset();
        px = tmp.Read("ARTIKL.PX");
        db = tmp.Read("ARTIKL.DB");
        ASSERT_GT(px.size(), 2048u);
    }
    static IndexDesc Primary(const std::string& fields) { return {"", fields, true, true, false, false}; }
    // Every row in key order, checked against what SetUp wrote; "" when all are there.
    static std::string CheckRows(Table& t) {
        auto c = t.OpenCursor();
        int n = 0;
        for (c->First(); c->OnRow(); c->Next(), ++n) {
            const Row& r = c->Read();
            if (r[0] != Value::Int(n + 1) || r[1] != Value::Text("artikl " + std::to_string(n)))
                return "row " + std::to_string(n);
        }
        return n == RowCount ? "" : "count " + std::to_string(n);
    }
    void Put(const std::string& name, const std::string& bytes) {
        fs::remove(tmp / name);
        tmp.Write(name, bytes);
    }
    testsupport::TempFolder tmp;
    std::string px, db;
};

TEST_F(PrimaryIndexRebuild, MissingPrimaryIndexFileIsRebuiltByAddingTheKeyAgain) {
    fs::remove(tmp / "ARTIKL.PX");
    {
        auto shared = Table::Open(tmp.Path(), "ARTIKL.DB", OpenMode::Shared);
        EXPECT_EQ(CheckRows(*shared), "");
    }
    auto t = Table::Open(tmp.Path(), "ARTIKL.DB", OpenMode::Exclusive);
    EXPECT_EQ(t->KeyFieldCount(), 1);
    EXPECT_EQ(CheckRows(*t), "");
    t->AddIndex(Primary("code"));
    EXPECT_EQ(tmp.Read("ARTIKL.PX"), px);
    EXPECT_EQ(tmp.Read("ARTIKL.DB"), db);
    EXPECT_EQ(t->LastAutoIncValue(), RowCount + 5);
    EXPECT_EQ(t->Indexes().size(), 2u);
    t.reset();
    EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), "ARTIKL.DB"), "");
}

TEST_F(PrimaryIndexRebuild, DamagedPrimaryIndexFileIsReadPastAndRebuilt) {
    std::string garbage = px;
    for (std::size_t i = 0; i < garbage.size(); i += 7)
        garbage[i] = static_cast<char>(garbage[i] ^ 0x5A);
    const std::vector<std::string> damaged = {std::string(), px.substr(0, 100),
                                              px.substr(0, px.size() - 2048), garbage,
                                              px + std::string(10000, '\xFF')};
    for (const auto& bytes : damaged) {
        SCOPED_TRACE(bytes.size());
        Put("ARTIKL.PX", bytes);
        auto t = Table::Open(tmp.Path(), "ARTIKL.DB", OpenMode::Exclusive);
        EXPECT_EQ(CheckRows(*t), "");
        t->AddIndex(Primary("Code"));
        EXPECT_EQ(tmp.Read("ARTIKL.PX"), px);
        EXPECT_EQ(t->RecordCount(), RowCount);
    }
    // A write rewrites a damaged .PX too, so the table is whole again either way.
    Put("ARTIKL.PX", garbage);
    {
        auto t = Table::Open(tmp.Path(), "ARTIKL.DB", OpenMode::Shared);
        auto c = t->OpenCursor();
        c->Insert({Value(), Value::Text("novi"), Value()});
        EXPECT_EQ(c->Read()[0], Value::Int(RowCount + 6));
    }
    EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), "ARTIKL.DB"), "");
}

TEST_F(PrimaryIndexRebuild, AnIntactPrimaryIndexFileIsLeftAsItIs) {
    auto t = Table::Open(tmp.Path(), "ARTIKL.DB", OpenMode::Exclusive);
    t->AddIndex(Primary("Code"));
    EXPECT_EQ(tmp.Read("ARTIKL.PX"), px);
    EXPECT_EQ(tmp.Read("ARTIKL.DB"), db);
    EXPECT_EQ(CheckRows(*t), "");
}

TEST_F(PrimaryIndexRebuild, APrimaryIndexOnOtherFieldsIsRefused) {
    fs::remove(tmp / "ARTIKL.PX");
    auto t = Table::Open(tmp.Path(), "ARTIKL.DB", OpenMode::Exclusive);
    for (const char* fields : {"Naziv", "Code;Naziv", "Cijena"}) {
        try {
            t->AddIndex(Primary(fields));
            ADD_FAILURE() << fields << " was accepted";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Tablica ARTIKL.DB već ima primarni ključ na drugim poljima") << fields;
        }
    }
    EXPECT_THROW(t->AddIndex({"", "Code", true, true, true, false}), Error); // no case-insensitive key
    EXPECT_EQ(t->KeyFieldCount(), 1);
    EXPECT_FALSE(fs::exists(tmp / "ARTIKL.PX"));
    EXPECT_EQ(CheckRows(*t), "");
    // Only an exclusive open rebuilds it.
    t.reset();
    auto shared = Table::Open(tmp.Path(), "ARTIKL.DB", OpenMode::Shared);
    EXPECT_THROW(shared->AddIndex(Primary("Code")), Error);
    EXPECT_FALSE(fs::exists(tmp / "ARTIKL.PX"));
}

TEST(PrimaryIndexRebuildEmpty, AnEmptyKeyedTableGetsItsPrimaryIndexFileBack) {
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "PRAZNA.DB",
                {{"Code", FieldType::AutoInc, 0, false}, {"Ime", FieldType::Alpha, 5}});
    std::string px;
    {
        auto t = Table::Open(tmp.Path(), "PRAZNA.DB", OpenMode::Exclusive);
        t->AddIndex({"", "Code", true, true, false, false});
        auto c = t->OpenCursor();
        c->Insert({Value(), Value::Text("x")});
        c->Delete();
        px = tmp.Read("PRAZNA.PX");
    }
    fs::remove(tmp / "PRAZNA.PX");
    auto t = Table::Open(tmp.Path(), "PRAZNA.DB", OpenMode::Exclusive);
    t->AddIndex({"", "Code", true, true, false, false});
    EXPECT_EQ(tmp.Read("PRAZNA.PX"), px);
    EXPECT_EQ(t->RecordCount(), 0);
    EXPECT_EQ(t->LastAutoIncValue(), 1);
}

} // namespace
