// Tables: creation and read-back, index files, the family of files, writes and their rules.
#include "engine/codec/Bytes.h"
#include "engine/Engine.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace {

using namespace engine;

std::vector<FieldDesc> RadniNalogFields() {
    return {{"Code", FieldType::AutoInc, 0, false},  {"Sifra", FieldType::Alpha, 10, false},
            {"Naziv", FieldType::Alpha, 80, false},  {"Iznos", FieldType::Number, 0, false},
            {"Komada", FieldType::Short, 0, false},  {"Broj", FieldType::Long, 0, false},
            {"Gotov", FieldType::Logical, 0, false}, {"Datum", FieldType::Date, 0, false},
            {"Naputak", FieldType::Memo, 30, false}, {"Opis", FieldType::Memo, 1, false}};
}

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::unique_ptr<Table> MakeRadniNalog(const fs::path& folder) {
    CreateTable(folder, "RADNINAL.DB", RadniNalogFields());
    auto t = Table::Open(folder, "RADNINAL.DB", OpenMode::Exclusive);
    t->AddIndex({"", "Code", true, true, false, false});
    t->AddIndex({"_Sifra", "Sifra", false, false, true, false});
    t->AddIndex({"Broj", "Broj", false, false, false, false});
    t->AddIndex({"_RadniNalog;Artikl", "Broj;Sifra", false, true, true, false});
    t->AddIndex({"PartnerProizvodGrupaSifra", "sifra;NAZIV;Broj", false, false, true, false});
    return t;
}

TEST(TableCreate, ReadBackIsExactlyWhatCreationStored) {
    testsupport::TempFolder tmp;
    MakeRadniNalog(tmp.Path()).reset();
    const TableInfo info = ReadTableInfo(tmp.Path(), "radninal");
    ASSERT_EQ(info.Fields.size(), 10u);
    const auto expected = RadniNalogFields();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(info.Fields[i].Name, expected[i].Name);
        EXPECT_EQ(info.Fields[i].Type, expected[i].Type);
        EXPECT_EQ(info.Fields[i].Size, expected[i].Size);
        EXPECT_FALSE(info.Fields[i].Required);
    }
    ASSERT_EQ(info.Indexes.size(), 5u);
    const IndexDesc& p = info.Indexes[0];
    EXPECT_TRUE(p.Primary && p.Unique && !p.CaseInsensitive && !p.Descending && p.Name.empty());
    EXPECT_EQ(p.FieldsText, "Code");
    auto same = [](const IndexDesc& a, const IndexDesc& b) {
        return a.Name == b.Name && a.FieldsText == b.FieldsText && a.Primary == b.Primary &&
               a.Unique == b.Unique && a.CaseInsensitive == b.CaseInsensitive && a.Descending == b.Descending;
    };
    EXPECT_TRUE(same(info.Indexes[1], {"_Sifra", "Sifra", false, false, true, false}));
    EXPECT_TRUE(same(info.Indexes[2], {"Broj", "Broj", false, false, false, false}));
    EXPECT_TRUE(same(info.Indexes[3], {"_RadniNalog;Artikl", "Broj;Sifra", false, true, true, false}));
    EXPECT_TRUE(
        same(info.Indexes[4], {"PartnerProizvodGrupaSifra", "sifra;NAZIV;Broj", false, false, true, false}));
    EXPECT_EQ(info.RecordCount, 0);
    // One X and one Y per secondary index, a .PX for the primary, a .MB for the memos; no .VAL.
    EXPECT_EQ(FilesIn(tmp.Path()),
              (std::vector<std::string>{"RADNINAL.DB", "RADNINAL.MB", "RADNINAL.PX", "RADNINAL.X06",
                                        "RADNINAL.XG0", "RADNINAL.XG1", "RADNINAL.XG2", "RADNINAL.Y06",
                                        "RADNINAL.YG0", "RADNINAL.YG1", "RADNINAL.YG2"}));
    // The open table reports the same.
    auto t = Table::Open(tmp.Path(), "RADNINAL.DB", OpenMode::Shared);
    EXPECT_EQ(t->Indexes().size(), 5u);
    EXPECT_EQ(t->KeyFieldCount(), 1);
}

TEST(TableCreate, RefusesWhatCannotBeStored) {
    testsupport::TempFolder tmp;
    EXPECT_THROW(CreateTable(tmp.Path(), "A.DB", {{"X", FieldType::Alpha, 0, false}}), Error);
    EXPECT_THROW(CreateTable(tmp.Path(), "A.DB", {{"X", FieldType::Alpha, 256, false}}), Error);
    EXPECT_THROW(CreateTable(tmp.Path(), "A.DB", {{"X", FieldType::Memo, 0, false}}), Error);
    EXPECT_THROW(CreateTable(tmp.Path(), "A.DB", {{"X", FieldType::Long, 0, true}}), Error);
    EXPECT_THROW(CreateTable(tmp.Path(), "A.DB",
                             {{"X", FieldType::Long, 0, false}, {"x", FieldType::Short, 0, false}}),
                 Error);
    EXPECT_THROW(CreateTable(tmp.Path(), "A.DB", {{"X", FieldType::Currency, 0, false}}), Error);
    EXPECT_FALSE(TableExists(tmp.Path(), "A"));
    CreateTable(tmp.Path(), "A.DB", {{"X", FieldType::Long, 0, false}, {"Y", FieldType::Alpha, 5, false}});
    auto t = Table::Open(tmp.Path(), "A", OpenMode::Exclusive);
    EXPECT_THROW(t->AddIndex({"", "Y", true, true, false, false}), Error);       // not the leading field
    EXPECT_THROW(t->AddIndex({"Z", "Nema", false, false, false, false}), Error); // no such field
    t->AddIndex({"Y", "Y", false, false, false, false});
    EXPECT_THROW(t->AddIndex({"y", "X", false, false, false, false}), Error); // name taken
    t.reset();
    auto shared = Table::Open(tmp.Path(), "A", OpenMode::Shared);
    EXPECT_THROW(shared->AddIndex({"W", "X", false, false, false, false}), Error); // needs exclusive
}

TEST(TableCreate, WideTableWithManyFields) {
    testsupport::TempFolder tmp;
    std::vector<FieldDesc> fields{{"Govor", FieldType::Long, 0, false}};
    for (int i = 1; i < 65; ++i)
        fields.push_back({"Broj" + std::to_string(i), FieldType::Alpha, 18, false});
    CreateTable(tmp.Path(), "BROJKE.DB", fields);
    {
        auto t = Table::Open(tmp.Path(), "BROJKE.DB", OpenMode::Exclusive);
        t->AddIndex({"", "Govor", true, true, false, false});
        auto c = t->OpenCursor();
        for (int g = 1; g <= 40; ++g) {
            Row r{Value::Int(g)};
            for (int i = 1; i < 65; ++i)
                r.push_back(Value::Text(std::to_string(g * i)));
            c->Insert(r);
        }
    }
    auto t = Table::Open(tmp.Path(), "BROJKE.DB", OpenMode::Shared);
    EXPECT_EQ(t->Fields().size(), 65u);
    auto c = t->OpenCursor();
    ASSERT_TRUE(c->FindKey({Value::Int(33)}));
    EXPECT_EQ(c->Read()[64].AsText(), std::to_string(33 * 64));
}

TEST(TableFamily, DeleteAndRenameTheWholeFamily) {
    testsupport::TempFolder tmp;
    MakeRadniNalog(tmp.Path())
        ->OpenCursor()
        ->Insert({Value(), Value::Text("S"), Value(), Value(), Value(), Value(), Value(), Value(),
                  Value::Text(std::string(500, 'n')), Value()});
    tmp.Write("RADNINAL.VAL", "x");
    tmp.Write("RADNINAL.PDF", "not ours");
    tmp.Write("RADNINAL.XLS", "not an index");
    tmp.Write("RADNI.DB", "other table");
    {
        auto open = Table::Open(tmp.Path(), "RADNINAL.DB", OpenMode::Shared);
        EXPECT_THROW(RenameTable(tmp.Path(), "RADNINAL", "NOVI"), TableBusy);
        EXPECT_THROW(DeleteTable(tmp.Path(), "RADNINAL"), TableBusy);
    }
    EXPECT_THROW(RenameTable(tmp.Path(), "RADNINAL", "RADNI.DB"), Error);
    RenameTable(tmp.Path(), "radninal.db", "NOVI.DB");
    EXPECT_FALSE(TableExists(tmp.Path(), "RADNINAL"));
    {
        auto t = Table::Open(tmp.Path(), "NOVI", OpenMode::Shared);
        EXPECT_EQ(t->RecordCount(), 1);
        EXPECT_EQ(t->Indexes().size(), 5u);
        auto c = t->OpenCursor();
        c->First();
        EXPECT_EQ(c->Read()[8].AsText(), std::string(500, 'n'));
    }
    DeleteTable(tmp.Path(), "NOVI");
    EXPECT_EQ(FilesIn(tmp.Path()), (std::vector<std::string>{"RADNI.DB", "RADNINAL.PDF", "RADNINAL.XLS"}));
    try {
        DeleteTable(tmp.Path(), "NOVI");
        FAIL();
    } catch (const MissingTable& e) {
        EXPECT_STREQ(e.what(), "Tablica NOVI.DB ne postoji");
    }
    EXPECT_THROW(Table::Open(tmp.Path(), "NOVI", OpenMode::Shared), MissingTable);
    EXPECT_THROW(ReadTableInfo(tmp.Path(), "NOVI"), MissingTable);
}

TEST(TableFamily, CreateReplacesAnExistingTable) {
    testsupport::TempFolder tmp;
    MakeRadniNalog(tmp.Path()).reset();
    CreateTable(tmp.Path(), "radninal.db", {{"Jedino", FieldType::Short, 0, false}});
    EXPECT_EQ(FilesIn(tmp.Path()), (std::vector<std::string>{"radninal.db"}));
    EXPECT_EQ(ReadTableInfo(tmp.Path(), "RADNINAL").Fields.size(), 1u);
}

class WriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        table = MakeRadniNalog(tmp.Path());
        cursor = table->OpenCursor();
    }
    Row Nalog(const Value& code, const std::string& sifra, std::int64_t broj) {
        return {code,
                Value::Text(sifra),
                Value::Text("naziv " + sifra),
                Value::Float(1.25),
                Value::Int(3),
                Value::Int(broj),
                Value::Bool(true),
                Value::Date(738945),
                Value(),
                Value()};
    }
    std::string Files() {
        std::string all;
        for (const auto& name : FilesIn(tmp.Path()))
            all += name + ":" + tmp.Read(name) + "|";
        return all;
    }
    testsupport::TempFolder tmp;
    std::unique_ptr<Table> table;
    std::unique_ptr<Cursor> cursor;
};

TEST_F(WriteTest, AutoIncrementRules) {
    cursor->Insert(Nalog(Value(), "A", 1));
    EXPECT_EQ(cursor->Read()[0].AsInt(), 1);
    cursor->Insert(Nalog(Value(), "B", 2));
    cursor->Insert(Nalog(Value(), "C", 3));
    // Never reused after deletes.
    cursor->Delete();
    cursor->Insert(Nalog(Value(), "D", 4));
    EXPECT_EQ(cursor->Read()[0].AsInt(), 4);
    // An explicit value is kept and the counter never falls below it.
    cursor->Insert(Nalog(Value::Int(100), "E", 5));
    EXPECT_EQ(table->LastAutoIncValue(), 100);
    cursor->Insert(Nalog(Value::Int(50), "F", 6));
    EXPECT_EQ(table->LastAutoIncValue(), 100);
    cursor->Insert(Nalog(Value(), "G", 7));
    EXPECT_EQ(cursor->Read()[0].AsInt(), 101);
    // An edit with a null counter keeps the row's value.
    cursor->Modify(Nalog(Value(), "G2", 7));
    EXPECT_EQ(cursor->Read()[0].AsInt(), 101);
    // Emptying keeps the counter; the counter survives reopening.
    table->Empty();
    EXPECT_EQ(table->RecordCount(), 0);
    cursor.reset();
    table.reset();
    table = Table::Open(tmp.Path(), "RADNINAL.DB", OpenMode::Shared);
    EXPECT_EQ(table->LastAutoIncValue(), 101);
    cursor = table->OpenCursor();
    cursor->Insert(Nalog(Value(), "H", 8));
    EXPECT_EQ(cursor->Read()[0].AsInt(), 102);
}

TEST_F(WriteTest, KeyViolationsChangeNothing) {
    cursor->Insert(Nalog(Value(), "A", 1));
    cursor->Insert(Nalog(Value(), "B", 2));
    const std::string before = Files();
    const auto counter = table->LastAutoIncValue();
    try {
        cursor->Insert(Nalog(Value::Int(1), "X", 9));
        FAIL();
    } catch (const KeyViolation& e) {
        EXPECT_STREQ(e.what(), "Ključ već postoji (RADNINAL.DB)");
    }
    // The unique secondary index "_RadniNalog;Artikl" (Broj;Sifra, case-insensitive).
    EXPECT_THROW(cursor->Insert(Nalog(Value(), "b", 2)), KeyViolation);
    ASSERT_TRUE(cursor->FindKey({Value::Int(1)}));
    EXPECT_THROW(cursor->Modify(Nalog(Value::Int(2), "A", 1)), KeyViolation);
    EXPECT_THROW(cursor->Modify(Nalog(Value::Int(1), "B", 2)), KeyViolation);
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(table->LastAutoIncValue(), counter);
    EXPECT_EQ(table->RecordCount(), 2);
    EXPECT_EQ(cursor->Read()[1].AsText(), "A");
    // A unique index over repeated keys is refused as a whole.
    cursor->Insert(Nalog(Value(), "dup", 7));
    cursor->Insert(Nalog(Value(), "dup2", 7));
    EXPECT_THROW(table->AddIndex({"BrojU", "Broj", false, true, false, false}), KeyViolation);
    EXPECT_EQ(table->Indexes().size(), 5u);
}

TEST_F(WriteTest, ValuesOutsideTheFieldAreRefusedNotChanged) {
    EXPECT_THROW(cursor->Insert({Value(), Value::Text("A"), Value(), Value(), Value::Int(-32768), Value(),
                                 Value(), Value(), Value(), Value()}),
                 Error);
    EXPECT_THROW(cursor->Insert({Value(), Value::Text("A"), Value(), Value(), Value(), Value::Int(1LL << 31),
                                 Value(), Value(), Value(), Value()}),
                 Error);
    EXPECT_THROW(cursor->Insert({Value(), Value::Text("€ ok, but 中 not"), Value(), Value(), Value(), Value(),
                                 Value(), Value(), Value(), Value()}),
                 Error);
    EXPECT_THROW(cursor->Insert({Value(), Value::Int(5), Value(), Value(), Value(), Value(), Value(), Value(),
                                 Value(), Value()}),
                 Error);
    EXPECT_THROW(cursor->Insert({Value()}), Error);
    EXPECT_EQ(table->RecordCount(), 0);
    // Text longer than the field is cut on its characters; -0.0 is kept as 0.
    cursor->Insert({Value(), Value::Text("ŠŠŠŠŠčččččžžž"), Value(), Value::Float(-0.0), Value::Int(32767),
                    Value::Int(-2147483647), Value::Bool(false), Value::Date(1), Value(), Value()});
    const Row& r = cursor->Read();
    EXPECT_EQ(r[1].AsText(), "ŠŠŠŠŠččččč");
    EXPECT_EQ(r[3].AsFloat(), 0.0);
    EXPECT_EQ(r[4].AsInt(), 32767);
    EXPECT_EQ(r[5].AsInt(), -2147483647);
    EXPECT_FALSE(r[6].AsBool());
    EXPECT_EQ(r[7].AsDate(), 1);
}

TEST_F(WriteTest, MemosShortAndLongSurviveEditsAndReopen) {
    const std::string small = "kratko";
    const std::string mid(700, 'm');
    const std::string big = std::string(9000, 'b') + "ćž";
    Row r = Nalog(Value(), "M", 1);
    r[8] = Value::Text(small);
    r[9] = Value::Text(mid);
    cursor->Insert(r);
    r = Nalog(Value(), "N", 2);
    r[8] = Value::Text(big);
    cursor->Insert(r);
    // Edit: long to short, short to long.
    ASSERT_TRUE(cursor->FindKey({Value::Int(1)}));
    r = cursor->Read();
    r[8] = Value::Text(big + "x");
    r[9] = Value::Text("y");
    cursor->Modify(r);
    ASSERT_TRUE(cursor->FindKey({Value::Int(2)}));
    r = cursor->Read();
    r[8] = Value();
    r[9] = Value::Text(mid + "z");
    cursor->Modify(r);
    cursor.reset();
    table.reset();
    auto t = Table::Open(tmp.Path(), "RADNINAL.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    ASSERT_TRUE(c->FindKey({Value::Int(1)}));
    EXPECT_EQ(c->Read()[8].AsText(), big + "x");
    EXPECT_EQ(c->Read()[9].AsText(), "y");
    ASSERT_TRUE(c->FindKey({Value::Int(2)}));
    EXPECT_TRUE(c->Read()[8].IsNull());
    EXPECT_EQ(c->Read()[9].AsText(), mid + "z");
    // The .MB stays whole 4 KiB units.
    EXPECT_EQ(tmp.Read("RADNINAL.MB").size() % 4096, 0u);
}

// Posting a row as it stands (a key field written back with its own value) writes nothing, while a change
// anywhere, the tail of a long memo included, still reaches the files.
TEST_F(WriteTest, AnEditThatChangesNothingWritesNothing) {
    const std::string big = std::string(5000, 'b');
    Row r = Nalog(Value(), "M", 1);
    r[8] = Value::Text(big);
    r[9] = Value::Text("k");
    cursor->Insert(r);
    cursor->Insert(Nalog(Value(), "N", 2));
    const std::string before = Files();
    for (std::int64_t code : {1, 2}) {
        ASSERT_TRUE(cursor->FindKey({Value::Int(code)}));
        cursor->Modify(cursor->Read());
    }
    EXPECT_EQ(Files(), before);

    ASSERT_TRUE(cursor->FindKey({Value::Int(1)}));
    r = cursor->Read();
    r[8] = Value::Text(std::string(4999, 'b') + "c");
    cursor->Modify(r);
    ASSERT_TRUE(cursor->FindKey({Value::Int(2)}));
    Row s = cursor->Read();
    s[9] = Value::Text("d");
    cursor->Modify(s);
    EXPECT_NE(Files(), before);
    cursor.reset();
    table.reset();
    auto t = Table::Open(tmp.Path(), "RADNINAL.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    ASSERT_TRUE(c->FindKey({Value::Int(1)}));
    EXPECT_EQ(c->Read()[8].AsText(), std::string(4999, 'b') + "c");
    ASSERT_TRUE(c->FindKey({Value::Int(2)}));
    EXPECT_EQ(c->Read()[9].AsText(), "d");
}

TEST_F(WriteTest, ManyRowsSplitAndMergeBlocks) {
    for (int i = 0; i < 600; ++i)
        cursor->Insert(Nalog(Value::Int((i * 37) % 600 + 1), "S" + std::to_string(i), i));
    const auto grown = tmp.Read("RADNINAL.DB").size();
    for (int i = 1; i <= 600; i += 2) {
        ASSERT_TRUE(cursor->FindKey({Value::Int(i)}));
        cursor->Delete();
    }
    EXPECT_LE(tmp.Read("RADNINAL.DB").size(), grown);
    std::int64_t expect = 2;
    for (cursor->First(); cursor->OnRow(); cursor->Next(), expect += 2)
        EXPECT_EQ(cursor->Read()[0].AsInt(), expect);
    EXPECT_EQ(expect, 602);
    cursor->SetIndex(cursor->FindIndexByName("Broj"));
    EXPECT_EQ(cursor->RecordCount(), 300);
}

// Many rows replaced in one write: the range goes, the new rows come, every index follows; a write that
// fails on any row leaves the files untouched and the open usable.
TEST_F(WriteTest, ReplaceRowsIsOneWriteOfAllOrNothing) {
    for (int i = 1; i <= 600; ++i)
        cursor->Insert(Nalog(Value::Int(i), "S" + std::to_string(i), i));
    std::vector<Row> fresh;
    for (int i = 0; i < 500; ++i) // keys 601..1100 by the counter, then one explicit key inside the range
        fresh.push_back(Nalog(Value(), "N" + std::to_string(i), 5000 + i));
    fresh.push_back(Nalog(Value::Int(250), "M", 250));

    struct Failing {
        const char* What;
        Row Bad;
    };
    const std::string before = Files();
    const auto counter = table->LastAutoIncValue();
    for (const Failing& f : {
             Failing{"key repeated by a new row", Nalog(Value::Int(1001), "X", 1)},
             Failing{"key of a row outside the range", Nalog(Value::Int(50), "Y", 2)},
             Failing{"unique secondary key (case-insensitive)", Nalog(Value(), "s5", 5)},
             Failing{"value the field cannot hold", Nalog(Value(), "Z", 1LL << 40)},
         }) {
        std::vector<Row> rows = fresh;
        rows.push_back(f.Bad);
        EXPECT_THROW(table->ReplaceRows({Value::Int(100)}, {Value::Int(400)}, rows), Error) << f.What;
        EXPECT_EQ(Files(), before) << f.What;
        EXPECT_EQ(table->RecordCount(), 600) << f.What;
        EXPECT_EQ(table->LastAutoIncValue(), counter) << f.What;
        ASSERT_TRUE(cursor->FindKey({Value::Int(300)})) << f.What;
        EXPECT_EQ(cursor->Read()[1].AsText(), "S300") << f.What;
    }

    table->ReplaceRows({Value::Int(100)}, {Value::Int(400)}, fresh);
    EXPECT_EQ(table->RecordCount(), 600 - 301 + 501);
    EXPECT_EQ(table->LastAutoIncValue(), 1100);
    EXPECT_TRUE(cursor->FindKey({Value::Int(250)}));
    EXPECT_FALSE(cursor->FindKey({Value::Int(251)}));
    // What this open sees is what a fresh open reads, in both orders.
    auto keysOf = [](Cursor& c) {
        std::vector<std::int64_t> keys;
        for (c.First(); c.OnRow(); c.Next())
            keys.push_back(c.Read()[0].AsInt());
        return keys;
    };
    cursor->SetIndex(cursor->FindIndexByName("Broj"));
    const auto byBroj = keysOf(*cursor);
    cursor->SetIndex(-1);
    const auto byKey = keysOf(*cursor);
    ASSERT_EQ(byKey.size(), 800u);
    EXPECT_TRUE(std::is_sorted(byKey.begin(), byKey.end()));
    EXPECT_EQ(byKey[99], 250);
    EXPECT_EQ(byKey[100], 401);
    EXPECT_EQ(byKey.back(), 1100);
    cursor.reset();
    table.reset();
    table = Table::Open(tmp.Path(), "RADNINAL.DB", OpenMode::Shared);
    auto oc = table->OpenCursor();
    EXPECT_EQ(keysOf(*oc), byKey);
    oc->SetIndex(oc->FindIndexByName("Broj"));
    EXPECT_EQ(keysOf(*oc), byBroj);

    // Open ends: everything from 1000 on goes; a range on an unkeyed table is refused.
    table->ReplaceRows({Value::Int(1000)}, {}, {});
    EXPECT_EQ(table->RecordCount(), 699);
    CreateTable(tmp.Path(), "BEZKLJ.DB", {{"A", FieldType::Long, 0, false}});
    auto unkeyed = Table::Open(tmp.Path(), "BEZKLJ.DB", OpenMode::Shared);
    EXPECT_THROW(unkeyed->ReplaceRows({Value::Int(1)}, {}, {{Value::Int(1)}}), Error);
    unkeyed->ReplaceRows({}, {}, {{Value::Int(1)}, {Value::Int(2)}});
    unkeyed->ReplaceRows({}, {}, {{Value::Int(3)}});
    EXPECT_EQ(unkeyed->RecordCount(), 1);
}

} // namespace

namespace {

TEST(UnkeyedTable, KeepsTheStoredOrderAndGetsAPrimaryKeyLater) {
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "KNJIZI.DB",
                {{"Broj", FieldType::Long, 0, false}, {"Tekst", FieldType::Alpha, 100, false}});
    auto t = Table::Open(tmp.Path(), "KNJIZI.DB", OpenMode::Exclusive);
    EXPECT_EQ(t->KeyFieldCount(), 0);
    EXPECT_TRUE(t->Indexes().empty());
    auto c = t->OpenCursor();
    for (int i : {5, 3, 9, 1, 7, 3})
        c->Insert({Value::Int(i), Value::Text(std::string(90, static_cast<char>('a' + i)))});
    auto walk = [&] {
        std::vector<std::int64_t> out;
        for (c->First(); c->OnRow(); c->Next())
            out.push_back(c->Read()[0].AsInt());
        return out;
    };
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{5, 3, 9, 1, 7, 3}));
    EXPECT_THROW(c->FindKey({Value::Int(9)}), Error); // the stored order has no key
    // Delete in the middle: the cursor goes to the next stored row.
    c->First();
    c->Next();
    c->Delete();
    EXPECT_EQ(c->Read()[0].AsInt(), 9);
    c->Modify({Value::Int(10), Value::Text("deset")});
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{5, 10, 1, 7, 3}));
    // Another cursor deletes our row: we stand on the row after it.
    auto other = t->OpenCursor();
    c->First();
    c->Next();
    other->First();
    other->Next();
    other->Delete();
    EXPECT_EQ(c->Read()[0].AsInt(), 1);
    // A primary key over rows that repeat it is refused and changes nothing.
    c->Insert({Value::Int(7), Value()});
    EXPECT_THROW(t->AddIndex({"", "Broj", true, true, false, false}), KeyViolation);
    EXPECT_EQ(t->KeyFieldCount(), 0);
    c->Last();
    c->Delete();
    t->AddIndex({"", "broj", true, true, false, false});
    EXPECT_EQ(t->KeyFieldCount(), 1);
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{1, 3, 5, 7}));
    EXPECT_TRUE(fs::exists(tmp / "KNJIZI.PX"));
    t->AddIndex({"Tekst", "Tekst", false, false, false, false});
    EXPECT_TRUE(fs::exists(tmp / "KNJIZI.X02"));
    t->DeleteIndex("TEKST");
    EXPECT_FALSE(fs::exists(tmp / "KNJIZI.X02"));
    EXPECT_FALSE(fs::exists(tmp / "KNJIZI.Y02"));
    EXPECT_THROW(t->DeleteIndex("Tekst"), Error);
    t->DeleteIndex("");
    EXPECT_EQ(t->KeyFieldCount(), 0);
    EXPECT_FALSE(fs::exists(tmp / "KNJIZI.PX"));
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{1, 3, 5, 7}));
}

// Another writer left the blocks of an unkeyed table in another chain order, with an empty block among them:
// the rows read back in the chain's order, not in the order this process first saw them.
TEST(UnkeyedTable, ReadsARechainedFileInItsNewOrder) {
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "KNJIZI.DB",
                {{"Broj", FieldType::Long, 0, false}, {"Tekst", FieldType::Alpha, 200, false}});
    auto t = Table::Open(tmp.Path(), "KNJIZI.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    const std::string empty = tmp.Read("KNJIZI.DB");
    const auto* h = reinterpret_cast<const unsigned char*>(empty.data());
    const std::size_t head = codec::GetU16(h + 2), bs = h[5] * 1024u, size = codec::GetU16(h);
    const int per = static_cast<int>((bs - 6) / size);
    for (int i = 0; i < 2 * per; ++i)
        c->Insert({Value::Int(i), Value::Text("red")});
    std::string db = tmp.Read("KNJIZI.DB");
    auto* p = reinterpret_cast<unsigned char*>(db.data());
    ASSERT_EQ(codec::GetU16(p + 0x0C), 2); // two full blocks
    db.append(bs, '\0');
    p = reinterpret_cast<unsigned char*>(db.data());
    auto link = [&](int block, int next, int prev) {
        codec::PutU16(p + head + (block - 1) * bs, static_cast<std::uint16_t>(next));
        codec::PutU16(p + head + (block - 1) * bs + 2, static_cast<std::uint16_t>(prev));
    };
    link(2, 1, 0);
    link(1, 3, 2);
    link(3, 0, 1);
    codec::PutU16(p + head + 2 * bs + 4, static_cast<std::uint16_t>(-static_cast<int>(size))); // empty
    for (std::size_t at : {0x0A, 0x0C})
        codec::PutU16(p + at, 3);
    codec::PutU16(p + 0x0E, 2);
    codec::PutU16(p + 0x10, 3);
    {
        std::ofstream out(tmp / "KNJIZI.DB", std::ios::binary | std::ios::in | std::ios::out);
        out.write(db.data(), static_cast<std::streamsize>(db.size()));
    }
    ASSERT_TRUE(t->Refresh());
    std::vector<std::int64_t> order;
    for (c->First(); c->OnRow(); c->Next())
        order.push_back(c->Read()[0].AsInt());
    std::vector<std::int64_t> expected;
    for (int i = 0; i < 2 * per; ++i)
        expected.push_back((i + per) % (2 * per));
    EXPECT_EQ(order, expected);
}

TEST(ReadOnlyTable, ReadsButRefusesWrites) {
    if (::geteuid() == 0) GTEST_SKIP() << "file permissions do not bind the superuser";
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "LINK.DB", {{"Ime", FieldType::Alpha, 10, false}});
    Table::Open(tmp.Path(), "LINK.DB", OpenMode::Shared)->OpenCursor()->Insert({Value::Text("jedan")});
    fs::permissions(tmp / "LINK.DB", fs::perms::owner_read);
    auto t = Table::Open(tmp.Path(), "LINK.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    c->First();
    EXPECT_EQ(c->Read()[0].AsText(), "jedan");
    EXPECT_THROW(c->Insert({Value::Text("dva")}), Error);
    EXPECT_EQ(t->RecordCount(), 1);
    EXPECT_THROW(Table::Open(tmp.Path(), "LINK.DB", OpenMode::Exclusive), TableBusy);
    fs::permissions(tmp / "LINK.DB", fs::perms::owner_read | fs::perms::owner_write);
}

} // namespace

namespace {

// The table's files deleted or replaced under a running open (another station, a restore): every write
// and the refresh of that open are refused naming the table, nothing goes into the files it still holds,
// and an open made afterwards reads the table the folder holds now.
TEST(TableReplaced, AnOpenWhoseFilesWereDeletedOrReplacedWritesNothingAndSaysSo) {
    const std::string told = "Datoteka tablice GRUPE.DB više ne postoji ili je zamijenjena";
    struct Case {
        const char* Name;
        bool Restored; // false: the files are gone; true: a copy of them took their place
    };
    struct Write {
        const char* Name;
        std::function<void(Cursor&)> Do;
    };
    const std::vector<Write> writes = {
        {"insert", [](Cursor& c) { c.Insert({Value::Text("B")}); }},
        {"modify",
         [](Cursor& c) {
             ASSERT_TRUE(c.FindKey({Value::Text("A")}));
             c.Modify({Value::Text("A2")});
         }},
        {"delete",
         [](Cursor& c) {
             ASSERT_TRUE(c.FindKey({Value::Text("A")}));
             c.Delete();
         }},
    };
    for (const Case& k : {Case{"deleted", false}, Case{"restored", true}}) {
        for (const Write& w : writes) {
            SCOPED_TRACE(std::string(k.Name) + " / " + w.Name);
            testsupport::TempFolder tmp;
            CreateTable(tmp.Path(), "GRUPE.DB", {{"Sifra", FieldType::Alpha, 10, false}});
            Table::Open(tmp.Path(), "GRUPE.DB", OpenMode::Exclusive)->AddIndex({"", "Sifra", true, true});
            auto t = Table::Open(tmp.Path(), "GRUPE.DB", OpenMode::Shared);
            auto c = t->OpenCursor();
            c->Insert({Value::Text("A")});
            for (const std::string& name : FilesIn(tmp.Path())) {
                const fs::path p = tmp.Path() / name;
                if (!k.Restored) {
                    fs::remove(p);
                    continue;
                }
                fs::copy_file(p, tmp.Path() / (name + ".copy"));
                fs::rename(tmp.Path() / (name + ".copy"), p);
            }
            try {
                w.Do(*c);
                ADD_FAILURE() << "the write went into files that are no longer the table's";
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()), told);
            }
            try {
                t->Refresh();
                ADD_FAILURE() << "the refresh did not see it";
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()), told);
            }
            if (!k.Restored) {
                EXPECT_TRUE(FilesIn(tmp.Path()).empty()) << "nothing made anew";
                continue;
            }
            // While the old open lives on, a new one has the restored table, whole, and writes into it.
            auto fresh = Table::Open(tmp.Path(), "GRUPE.DB", OpenMode::Shared);
            auto fc = fresh->OpenCursor();
            fc->Insert({Value::Text("C")});
            std::vector<std::string> keys;
            for (fc->First(); fc->OnRow(); fc->Next())
                keys.push_back(fc->Read()[0].AsText());
            EXPECT_EQ(keys, (std::vector<std::string>{"A", "C"}));
            EXPECT_THROW(c->Insert({Value::Text("D")}), Error);
        }
    }
}

} // namespace
