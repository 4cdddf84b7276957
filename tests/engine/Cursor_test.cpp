// Cursors: orders, navigation, key search, ranges, filters, bookmarks and collation.
#include "engine/Engine.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace engine;

class CursorTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateTable(tmp.Path(), "ARTIKL.DB",
                    {{"Grupa", FieldType::Short, 0, false},
                     {"Sifra", FieldType::Alpha, 10, false},
                     {"Naziv", FieldType::Alpha, 30, false},
                     {"Cijena", FieldType::Number, 0, false},
                     {"Datum", FieldType::Date, 0, false}});
        table = Table::Open(tmp.Path(), "ARTIKL.DB", OpenMode::Exclusive);
        table->AddIndex({"", "Grupa;Sifra", true, true, false, false});
        table->AddIndex({"NazivCI", "Naziv", false, false, true, false});
        table->AddIndex({"Naziv", "Naziv", false, false, false, false});
        table->AddIndex({"CijenaDatum", "Cijena;Datum", false, false, false, false});
        cursor = table->OpenCursor();
        // Names chosen so the byte order, the upper-cased order and nulls differ.
        Add(1, "A1", "žica", 2.5, 738900);
        Add(1, "A2", "Zid", -1.0, 738901);
        Add(1, "B1", "zid", 0.0, 738902);
        Add(2, "A1", "čep", 100.5, 738903);
        Add(2, "C1", "", 2.5, 738899);
        Add(3, "A1", "Čavao", 1e300, 0);
        Add(0, "", "bez grupe", -1e300, 1);
    }
    void Add(int grupa, const std::string& sifra, const std::string& naziv, double cijena, int datum) {
        cursor->Insert({grupa ? Value::Int(grupa) : Value(), sifra.empty() ? Value() : Value::Text(sifra),
                        naziv.empty() ? Value() : Value::Text(naziv), Value::Float(cijena),
                        datum ? Value::Date(datum) : Value()});
    }
    std::vector<std::string> Walk(int field) {
        std::vector<std::string> out;
        for (cursor->First(); cursor->OnRow(); cursor->Next()) {
            const Value& v = cursor->Read()[field];
            out.push_back(v.IsNull() ? "-" : v.IsText() ? v.AsText() : std::to_string(v.AsInt()));
        }
        return out;
    }
    testsupport::TempFolder tmp;
    std::unique_ptr<Table> table;
    std::unique_ptr<Cursor> cursor;
};

TEST_F(CursorTest, OrdersFollowTheCollation) {
    // Primary: nulls first, then by value; the second field breaks ties.
    EXPECT_EQ(Walk(1), (std::vector<std::string>{"-", "A1", "A2", "B1", "A1", "C1", "A1"}));
    // Case-sensitive text: cp1250 byte order (Z < z < Č(0xC8) < č(0xE8) < ž(0x9E)? no: ž is 0x9E), nulls
    // first.
    cursor->SetIndex(cursor->FindIndexByName("Naziv"));
    EXPECT_EQ(Walk(2), (std::vector<std::string>{"-", "Zid", "bez grupe", "zid", "žica", "Čavao", "čep"}));
    // Case-insensitive: upper-cased first (Ž = 0x8E, Č = 0xC8), ties by the primary key.
    cursor->SetIndex(cursor->FindIndexByName("naziVci"));
    EXPECT_EQ(Walk(2), (std::vector<std::string>{"-", "bez grupe", "Zid", "zid", "žica", "Čavao", "čep"}));
    // Numbers by value, negatives first.
    cursor->SetIndex(cursor->FindIndexByFields("cijena;DATUM"));
    std::vector<double> prices;
    for (cursor->First(); cursor->OnRow(); cursor->Next())
        prices.push_back(cursor->Read()[3].AsFloat());
    EXPECT_EQ(prices, (std::vector<double>{-1e300, -1.0, 0.0, 2.5, 2.5, 100.5, 1e300}));
}

TEST_F(CursorTest, IndexLookupByNameAndFields) {
    EXPECT_EQ(cursor->FindIndexByName(""), -1);
    EXPECT_EQ(cursor->FindIndexByFields("grupa;sifra"), -1);
    EXPECT_EQ(cursor->FindIndexByName("NAZIV"), 2);
    EXPECT_EQ(cursor->FindIndexByFields("naziv"), 1); // the first index on that list
    EXPECT_EQ(cursor->FindIndexByName("Nema"), -2);
    EXPECT_EQ(cursor->FindIndexByFields("Sifra"), -2);
    EXPECT_EQ(cursor->FindIndexByFields("Nepostojece"), -2);
    cursor->SetIndex(3);
    EXPECT_EQ(cursor->Index(), 3);
    EXPECT_EQ(cursor->IndexFields(), (std::vector<int>{3, 4}));
    cursor->SetIndex(-1);
    EXPECT_EQ(cursor->IndexFields(), (std::vector<int>{0, 1}));
}

TEST_F(CursorTest, NavigationAndCracks) {
    cursor->First();
    EXPECT_FALSE(cursor->Bof());
    EXPECT_EQ(cursor->RecordNumber(), 1);
    EXPECT_FALSE(cursor->Prior());
    EXPECT_TRUE(cursor->Bof());
    EXPECT_FALSE(cursor->OnRow());
    EXPECT_EQ(cursor->RecordNumber(), 0);
    EXPECT_TRUE(cursor->Next());
    EXPECT_EQ(cursor->MoveBy(3), 3);
    EXPECT_EQ(cursor->RecordNumber(), 4);
    EXPECT_EQ(cursor->MoveBy(100), 3);
    EXPECT_TRUE(cursor->Eof());
    EXPECT_EQ(cursor->MoveBy(-2), 2);
    EXPECT_EQ(cursor->RecordNumber(), 6);
    cursor->Last();
    EXPECT_EQ(cursor->Read()[1].AsText(), "A1");
    EXPECT_EQ(cursor->Read()[0].AsInt(), 3);
    EXPECT_FALSE(cursor->Next());
    EXPECT_TRUE(cursor->Eof());
    EXPECT_TRUE(cursor->Prior());
    EXPECT_EQ(cursor->Read()[0].AsInt(), 3);
    EXPECT_THROW(([&] {
                     cursor->Last();
                     cursor->Next();
                     cursor->Read();
                 })(),
                 Error);
}

TEST_F(CursorTest, KeySearchWithPartialKeys) {
    EXPECT_TRUE(cursor->FindKey({Value::Int(2)}));
    EXPECT_EQ(cursor->Read()[1].AsText(), "A1");
    EXPECT_TRUE(cursor->FindKey({Value::Int(2), Value::Text("C1")}));
    EXPECT_EQ(cursor->Read()[2].IsNull(), true);
    // Not found: false and the cursor stays.
    EXPECT_FALSE(cursor->FindKey({Value::Int(2), Value::Text("B1")}));
    EXPECT_EQ(cursor->Read()[1].AsText(), "C1");
    EXPECT_TRUE(cursor->FindKey({Value()})); // the null group
    EXPECT_EQ(cursor->Read()[2].AsText(), "bez grupe");
    cursor->FindNearest({Value::Int(2), Value::Text("B")});
    EXPECT_EQ(cursor->Read()[1].AsText(), "C1");
    cursor->FindNearest({Value::Int(9)});
    EXPECT_TRUE(cursor->Eof());
    // Case-insensitive index: any case finds the row.
    cursor->SetIndex(cursor->FindIndexByName("NazivCI"));
    EXPECT_TRUE(cursor->FindKey({Value::Text("ŽICA")}));
    EXPECT_EQ(cursor->Read()[2].AsText(), "žica");
    cursor->SetIndex(cursor->FindIndexByName("Naziv"));
    EXPECT_FALSE(cursor->FindKey({Value::Text("ŽICA")}));
    // Floats compare exactly.
    cursor->SetIndex(cursor->FindIndexByName("CijenaDatum"));
    EXPECT_TRUE(cursor->FindKey({Value::Float(2.5), Value::Date(738899)}));
    EXPECT_EQ(cursor->Read()[1].AsText(), "C1");
    EXPECT_FALSE(cursor->FindKey({Value::Float(2.5000000001)}));
}

TEST_F(CursorTest, SearchKeysOutsideTheFieldsRange) {
    EXPECT_FALSE(cursor->FindKey({Value::Int(40000)}));
    EXPECT_FALSE(cursor->FindKey({Value::Float(1.5)}));
    EXPECT_FALSE(cursor->FindKey({Value::Int(1), Value::Text("A1 and much more than ten")}));
    cursor->FindNearest({Value::Int(40000)});
    EXPECT_TRUE(cursor->Eof());
    cursor->FindNearest({Value::Int(-40000)});
    EXPECT_EQ(cursor->Read()[0].AsInt(), 1); // after the null group, before every value
    cursor->FindNearest({Value::Float(1.5)});
    EXPECT_EQ(cursor->Read()[0].AsInt(), 2);
    cursor->FindNearest({Value::Int(1), Value::Text("A1 and much more than ten")});
    EXPECT_EQ(cursor->Read()[1].AsText(), "A2");
    cursor->SetRange({Value::Int(2)}, {Value::Int(99999)});
    EXPECT_EQ(cursor->RecordCount(), 3);
    cursor->SetRange({Value::Int(99999)}, {});
    EXPECT_EQ(cursor->RecordCount(), 0);
    EXPECT_TRUE(cursor->Eof());
}

TEST_F(CursorTest, InclusiveRangesWithPartialKeys) {
    cursor->SetRange({Value::Int(1)}, {Value::Int(1)});
    EXPECT_EQ(cursor->RecordCount(), 3);
    EXPECT_EQ(Walk(1), (std::vector<std::string>{"A1", "A2", "B1"}));
    cursor->Last();
    EXPECT_EQ(cursor->RecordNumber(), 3);
    EXPECT_FALSE(cursor->FindKey({Value::Int(2)})); // outside the range
    cursor->SetRange({Value::Int(1), Value::Text("A2")}, {Value::Int(2)});
    EXPECT_EQ(Walk(1), (std::vector<std::string>{"A2", "B1", "A1", "C1"}));
    cursor->SetRange({}, {Value::Int(1), Value::Text("A1")});
    EXPECT_EQ(cursor->RecordCount(), 2);
    cursor->SetRange({Value::Int(5)}, {Value::Int(9)});
    EXPECT_TRUE(cursor->Bof());
    EXPECT_TRUE(cursor->Eof());
    EXPECT_EQ(cursor->RecordCount(), 0);
    cursor->CancelRange();
    EXPECT_EQ(cursor->RecordCount(), 7);
    // A range end of the one character 0xFF in cp1250 ("˙") sorts after all text.
    cursor->SetIndex(cursor->FindIndexByName("Naziv"));
    cursor->SetRange({Value::Text("z")}, {Value::Text("˙")});
    EXPECT_EQ(Walk(2), (std::vector<std::string>{"zid", "žica", "Čavao", "čep"}));
}

TEST_F(CursorTest, FilterSkipsRows) {
    cursor->SetFilter([](const Row& r) { return !r[0].IsNull() && r[0].AsInt() == 2; });
    EXPECT_EQ(cursor->RecordCount(), 2);
    EXPECT_EQ(Walk(1), (std::vector<std::string>{"A1", "C1"}));
    cursor->Last();
    EXPECT_EQ(cursor->RecordNumber(), 2);
    cursor->SetFilter(nullptr);
    EXPECT_EQ(cursor->RecordCount(), 7);
}

TEST_F(CursorTest, BookmarksSurviveResortingAndKeyChanges) {
    ASSERT_TRUE(cursor->FindKey({Value::Int(2), Value::Text("A1")}));
    const Bookmark mark = cursor->GetBookmark();
    cursor->SetIndex(cursor->FindIndexByName("NazivCI"));
    EXPECT_EQ(cursor->Read()[2].AsText(), "čep"); // stays on its row in the new order
    cursor->First();
    ASSERT_TRUE(cursor->GotoBookmark(mark));
    EXPECT_EQ(cursor->Read()[2].AsText(), "čep");
    // The row's own key changes: the bookmark still names it.
    cursor->Modify({Value::Int(9), Value::Text("Z9"), Value::Text("čep"), Value::Float(1), Value::Date(5)});
    cursor->SetIndex(-1);
    cursor->First();
    ASSERT_TRUE(cursor->GotoBookmark(mark));
    EXPECT_EQ(cursor->Read()[1].AsText(), "Z9");
    EXPECT_EQ(cursor->RecordNumber(), 7);
    cursor->Delete();
    EXPECT_FALSE(cursor->GotoBookmark(mark));
    EXPECT_FALSE(cursor->GotoBookmark("junk"));
}

TEST_F(CursorTest, ACursorKeepsItsRowWhileAnotherChangesTheTable) {
    auto other = table->OpenCursor();
    ASSERT_TRUE(cursor->FindKey({Value::Int(1), Value::Text("B1")}));
    ASSERT_TRUE(other->FindKey({Value::Int(1), Value::Text("A1")}));
    other->Delete();
    EXPECT_EQ(cursor->Read()[1].AsText(), "B1");
    EXPECT_EQ(cursor->RecordNumber(), 3);
    // Its own row deleted by the other: it moves to the row that took its place.
    ASSERT_TRUE(other->FindKey({Value::Int(1), Value::Text("B1")}));
    other->Delete();
    EXPECT_TRUE(cursor->OnRow());
    EXPECT_EQ(cursor->Read()[0].AsInt(), 2);
    EXPECT_EQ(cursor->Read()[1].AsText(), "A1");
    // The other deletes the last row while we stand on it: EOF.
    cursor->Last();
    other->Last();
    other->Delete();
    EXPECT_TRUE(cursor->Eof());
}

} // namespace

namespace {

TEST(CursorLifetime, ACursorOutlivingItsTableReadsButDoesNotWrite) {
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "T.DB", {{"Id", FieldType::Long, 0, false}});
    auto t = Table::Open(tmp.Path(), "T.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    c->Insert({Value::Int(1)});
    c->LockRecord();
    t.reset();
    EXPECT_EQ(c->Read()[0].AsInt(), 1);
    EXPECT_THROW(c->Insert({Value::Int(2)}), Error);
    c.reset(); // releases its record lock without its table
    auto again = Table::Open(tmp.Path(), "T.DB", OpenMode::Exclusive);
    EXPECT_EQ(again->RecordCount(), 1);
}

// Record numbers over many blocks, on the primary and a secondary order, stay right while rows come and go
// in blocks before the cursor's.
TEST_F(CursorTest, RecordNumbersFollowWritesAcrossBlocks) {
    auto numbered = table->OpenCursor();
    auto byName = table->OpenCursor();
    byName->SetIndex(byName->FindIndexByName("Naziv"));
    char sifra[8];
    auto code = [&](int i) {
        std::snprintf(sifra, sizeof sifra, "S%04d", i);
        return std::string(sifra);
    };
    for (int i = 0; i < 900; i += 2)
        Add(9, code(i), "n" + code(i), 1.0, 738900);
    // Group 9 follows the seven rows of the fixture; names "n…" follow three of its names (null, "Zid",
    // "bez grupe").
    auto expectAt = [&](Cursor& c, std::int64_t number, int i) {
        ASSERT_TRUE(c.SeekRecordNumber(number));
        EXPECT_EQ(c.RecordNumber(), number);
        EXPECT_EQ(c.Read()[1].AsText(), code(i));
    };
    expectAt(*numbered, 8 + 300, 600);
    expectAt(*byName, 3 + 301, 600);
    for (int i = 1; i < 400; i += 2)
        Add(9, code(i), "n" + code(i), 1.0, 738900); // 200 rows before S0600
    expectAt(*numbered, 8 + 500, 600);
    expectAt(*byName, 3 + 501, 600);
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(numbered->FindKey({Value::Int(9), Value::Text(code(i < 50 ? 2 * i : 2 * i + 1))}));
        numbered->Delete(); // 100 rows before S0600 go
    }
    expectAt(*numbered, 8 + 400, 600);
    expectAt(*byName, 3 + 401, 600);
    ASSERT_TRUE(numbered->FindKey({Value::Int(9), Value::Text(code(898))}));
    EXPECT_EQ(numbered->RecordNumber(), numbered->RecordCount());
    EXPECT_FALSE(numbered->SeekRecordNumber(numbered->RecordCount() + 1));
}

} // namespace
