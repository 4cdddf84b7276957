// Every fixture table read through the engine and compared with its JSON description.
#include "Consistency.h"
#include "Json.h"

#include "base/CroatianFormat.h"
#include "engine/codec/Bytes.h"
#include "engine/codec/FieldCodec.h"
#include "engine/Engine.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using enginetest::Json;
using namespace engine;

fs::path FixtureFolder() {
    const fs::path shared = testsupport::SharedFixtures();
    return shared.empty() ? fs::path() : shared / "paradox";
}

// Copies a table's family into the test folder, writable, so the engine may take its locks.
void CopyFamily(const fs::path& from, const std::string& stem, const fs::path& to) {
    for (const auto& e : fs::directory_iterator(from)) {
        const auto name = e.path().filename().string();
        if (e.path().stem().string() != stem || e.path().extension() == ".json") continue;
        fs::copy_file(e.path(), to / name, fs::copy_options::overwrite_existing);
        fs::permissions(to / name, fs::perms::owner_read | fs::perms::owner_write);
    }
}

std::string Hex(const std::string& raw) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : raw) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Unhex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

FieldType TypeOfLetter(const std::string& letter) {
    static const std::map<std::string, FieldType> types = {
        {"A", FieldType::Alpha},   {"S", FieldType::Short},     {"I", FieldType::Long},
        {"N", FieldType::Number},  {"L", FieldType::Logical},   {"D", FieldType::Date},
        {"+", FieldType::AutoInc}, {"M", FieldType::Memo},      {"$", FieldType::Currency},
        {"T", FieldType::Time},    {"@", FieldType::Timestamp}, {"#", FieldType::BCD},
        {"Y", FieldType::Bytes},   {"B", FieldType::Blob}};
    return types.at(letter);
}

std::int32_t DayOf(const std::string& iso) {
    base::Date d{std::stoi(iso.substr(0, 4)), std::stoi(iso.substr(5, 2)), std::stoi(iso.substr(8, 2))};
    return static_cast<std::int32_t>(base::DayNumber(d));
}

void ExpectValue(const FieldDesc& f, const Json& expected, const Value& got, const std::string& where) {
    SCOPED_TRACE(where + " field " + f.Name);
    switch (f.Type) {
    case FieldType::Time:
    case FieldType::Timestamp:
    case FieldType::BCD:
    case FieldType::Bytes:
    case FieldType::Blob: {
        // Foreign types: the JSON gives their raw bytes.
        const std::string raw = Unhex(expected.Text);
        if (raw.find_first_not_of('\0') == std::string::npos) {
            EXPECT_TRUE(got.IsNull());
        } else if (f.Type == FieldType::Time) {
            ASSERT_TRUE(got.IsInt());
            EXPECT_EQ(got.AsInt(), codec::DecodeInt(reinterpret_cast<const unsigned char*>(raw.data()), 4));
        } else if (f.Type == FieldType::Timestamp) {
            ASSERT_TRUE(got.IsFloat());
            EXPECT_EQ(got.AsFloat(), codec::DecodeFloat(reinterpret_cast<const unsigned char*>(raw.data())));
        } else {
            ASSERT_TRUE(got.IsBytes());
            EXPECT_EQ(Hex(got.AsBytes()), expected.Text);
        }
        return;
    }
    default:
        break;
    }
    if (expected.IsNull()) {
        EXPECT_TRUE(got.IsNull());
        return;
    }
    switch (f.Type) {
    case FieldType::Alpha:
    case FieldType::Memo:
        ASSERT_TRUE(got.IsText());
        EXPECT_EQ(got.AsText(), expected.Text);
        break;
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
        ASSERT_TRUE(got.IsInt());
        EXPECT_EQ(got.AsInt(), expected.Int());
        break;
    case FieldType::Number:
    case FieldType::Currency:
        ASSERT_TRUE(got.IsFloat());
        EXPECT_EQ(got.AsFloat(), expected.N);
        break;
    case FieldType::Logical:
        ASSERT_TRUE(got.IsBool());
        EXPECT_EQ(got.AsBool(), expected.B);
        break;
    case FieldType::Date:
        ASSERT_TRUE(got.IsDate());
        EXPECT_EQ(got.AsDate(), DayOf(expected.Text));
        break;
    default:
        FAIL() << "unexpected type";
    }
}

void CheckTable(const fs::path& folder, const std::string& jsonName) {
    SCOPED_TRACE(jsonName);
    const Json j = Json::Parse(testsupport::ReadFile(folder / jsonName));
    const std::string file = j["file"].Text;
    const std::string stem = fs::path(file).stem().string();
    testsupport::TempFolder tmp;
    CopyFamily(folder, stem, tmp.Path());

    auto table = Table::Open(tmp.Path(), file, OpenMode::Shared);
    const auto& fields = table->Fields();
    ASSERT_EQ(fields.size(), j["fields"].Size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Json& f = j["fields"][i];
        EXPECT_EQ(fields[i].Name, f["name"].Text);
        EXPECT_EQ(fields[i].Type, TypeOfLetter(f["type"].Text));
        const int size = static_cast<int>(f["size"].Int());
        if (fields[i].Type == FieldType::Alpha || fields[i].Type == FieldType::BCD) {
            EXPECT_EQ(fields[i].Size, size);
        }
        if (fields[i].Type == FieldType::Memo) {
            EXPECT_EQ(fields[i].Size, size - 10);
        }
        EXPECT_FALSE(fields[i].Required);
    }
    EXPECT_EQ(table->KeyFieldCount(), j["primary_key_fields"].Int());
    EXPECT_EQ(table->RecordCount(), j["num_records"].Int());
    EXPECT_EQ(table->LastAutoIncValue(), j["autoinc_last_value"].Int());

    // Rows in the stored order, every value.
    auto cursor = table->OpenCursor();
    cursor->First();
    const Json& rows = j["rows"];
    std::size_t n = 0;
    for (; cursor->OnRow(); cursor->Next(), ++n) {
        ASSERT_LT(n, rows.Size());
        const Row& row = cursor->Read();
        for (std::size_t i = 0; i < fields.size(); ++i)
            ExpectValue(fields[i], rows[n][i], row[i], "row " + std::to_string(n));
    }
    EXPECT_EQ(n, rows.Size());

    // Secondary index files: their definition as the index list.
    std::vector<IndexDesc> secondary;
    for (const auto& ix : table->Indexes())
        if (!ix.Primary) secondary.push_back(ix);
    std::vector<const Json*> xFiles;
    if (j.Has("index_files"))
        for (const auto& ix : j["index_files"].A)
            if (ix.Has("field_numbers")) xFiles.push_back(&ix);
    ASSERT_EQ(secondary.size(), xFiles.size());
    for (std::size_t i = 0; i < xFiles.size(); ++i) {
        const Json& x = *xFiles[i];
        const std::string indexed = x["fields"][0]["name"].Text;
        EXPECT_EQ(secondary[i].FieldsText, indexed);
        EXPECT_EQ(secondary[i].Name, x.Has("index_name") ? x["index_name"].Text : indexed);
        // The secondary order walks the rows as the .X file lists them.
        cursor->SetIndex(cursor->FindIndexByName(secondary[i].Name));
        if (x.Has("rows")) {
            const int field = static_cast<int>(x["field_numbers"][0].Int()) - 1;
            std::size_t k = 0;
            for (cursor->First(); cursor->OnRow(); cursor->Next(), ++k) {
                ASSERT_LT(k, x["rows"].Size());
                ExpectValue(fields[field], x["rows"][k][0], cursor->Read()[field], "index row");
            }
            EXPECT_EQ(k, x["rows"].Size());
        }
    }
    ReadTableInfo(tmp.Path(), file); // must read as well
}

TEST(Fixtures, EveryTableReadsAsItsJsonDescribes) {
    const fs::path folder = FixtureFolder();
    if (folder.empty()) GTEST_SKIP() << "shared fixtures not present";
    int checked = 0;
    for (const fs::path& sub : {folder, folder / "real"}) {
        for (const auto& e : fs::directory_iterator(sub)) {
            if (e.path().extension() != ".json") continue;
            CheckTable(sub, e.path().filename().string());
            ++checked;
        }
    }
    EXPECT_GE(checked, 12);
}

} // namespace

namespace {

// Tables written elsewhere take our writes: the original rows stay intact, the files stay consistent.
TEST(Fixtures, ForeignTablesTakeWritesAndKeepTheirRows) {
    const fs::path folder = FixtureFolder();
    if (folder.empty()) GTEST_SKIP() << "shared fixtures not present";
    struct Case {
        fs::path From;
        std::string File;
    };
    for (const Case& k : {Case{folder, "KLJUC.DB"}, Case{folder, "SLOZENI.DB"}, Case{folder, "TIPOVI.DB"},
                          Case{folder / "real", "CUSTOMER.DB"}, Case{folder / "real", "HERCULES.DB"},
                          Case{folder / "real", "memo.db"}}) {
        SCOPED_TRACE(k.File);
        testsupport::TempFolder tmp;
        CopyFamily(k.From, fs::path(k.File).stem().string(), tmp.Path());
        std::vector<Row> before;
        {
            auto t = Table::Open(tmp.Path(), k.File, OpenMode::Shared);
            auto c = t->OpenCursor();
            for (c->First(); c->OnRow(); c->Next())
                before.push_back(c->Read());
            // Edit the first row (its memo too, when it has one), delete the second, add a copy of the third
            // under a new key where the key is a counter or a number.
            c->First();
            Row first = c->Read();
            for (std::size_t i = 0; i < first.size(); ++i)
                if (t->Fields()[i].Type == FieldType::Memo) first[i] = Value::Text(std::string(3000, 'q'));
            if (t->KeyFieldCount() == 0 || t->Fields()[0].Type != FieldType::Alpha) c->Modify(first);
            before[0] = c->Read();
            c->Next();
            c->Delete();
            before.erase(before.begin() + 1);
        }
        {
            auto t = Table::Open(tmp.Path(), k.File, OpenMode::Shared);
            auto c = t->OpenCursor();
            std::size_t n = 0;
            for (c->First(); c->OnRow(); c->Next(), ++n) {
                ASSERT_LT(n, before.size());
                EXPECT_EQ(c->Read(), before[n]) << "row " << n;
            }
            EXPECT_EQ(n, before.size());
        }
        EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), k.File), "");
    }
}

} // namespace

namespace {

// Files other writers leave: an empty block in the chain is read and the next write rewrites the blocks into
// a clean chain. Keys out of order are damage: the open names the file, and a salvage still reads every row.
TEST(ForeignLayout, EmptyBlocksAreRepairedAndUnsortedKeysReportedDamaged) {
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "NERED.DB",
                {{"Id", FieldType::Long, 0, false}, {"Tekst", FieldType::Alpha, 200, false}});
    {
        auto t = Table::Open(tmp.Path(), "NERED.DB", OpenMode::Exclusive);
        t->AddIndex({"", "Id", true, true, false, false});
        auto c = t->OpenCursor();
        for (int i = 1; i <= 30; ++i)
            c->Insert({Value::Int(i), Value::Text("red " + std::to_string(i))});
    }
    const std::string clean = tmp.Read("NERED.DB");
    const int rec = 204, bs = 16384; // a 204-byte record takes 16 KiB blocks: all 30 rows in block 1
    // Append an empty block 2 to the chain.
    std::string db = clean;
    db.resize(db.size() + bs, '\0');
    auto* p = reinterpret_cast<unsigned char*>(db.data());
    codec::PutU16(p + 0x800, 2);                                         // block 1 -> 2
    codec::PutU16(p + 0x800 + bs + 2, 1);                                // block 2 <- 1
    codec::PutU16(p + 0x800 + bs + 4, static_cast<std::uint16_t>(-rec)); // empty
    codec::PutU16(p + 0x0A, 2);
    codec::PutU16(p + 0x0C, 2);
    codec::PutU16(p + 0x10, 2);
    fs::remove(tmp / "NERED.DB");
    tmp.Write("NERED.DB", db);
    {
        auto t = Table::Open(tmp.Path(), "NERED.DB", OpenMode::Shared);
        auto c = t->OpenCursor();
        std::int64_t expect = 1;
        for (c->First(); c->OnRow(); c->Next(), ++expect)
            EXPECT_EQ(c->Read()[0].AsInt(), expect);
        EXPECT_EQ(expect, 31);
        c->Insert({Value::Int(31), Value::Text("novi")});
    }
    EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), "NERED.DB"), "");

    // Swap the first and the last record of block 1; then repeat the first key in the second record.
    for (int damage = 0; damage < 2; ++damage) {
        db = clean;
        if (damage == 0) {
            const std::string first = db.substr(0x800 + 6, rec), last = db.substr(0x800 + 6 + 29 * rec, rec);
            db.replace(0x800 + 6, rec, last);
            db.replace(0x800 + 6 + 29 * rec, rec, first);
        } else {
            db.replace(0x800 + 6 + rec, 4, db.substr(0x800 + 6, 4));
        }
        fs::remove(tmp / "NERED.DB");
        fs::remove(tmp / "NERED.PX");
        tmp.Write("NERED.DB", db);
        try {
            Table::Open(tmp.Path(), "NERED.DB", OpenMode::Shared);
            FAIL() << "opened a table whose keys are " << (damage == 0 ? "out of order" : "repeated");
        } catch (const DamagedFile& e) {
            EXPECT_STREQ(e.what(), "Datoteka NERED.DB je oštećena");
        }
        const SalvagedTable s = SalvageTable(tmp.Path(), "NERED.DB");
        EXPECT_EQ(s.Rows.size(), damage == 0 ? 30u : 29u);
        EXPECT_EQ(s.Report.DuplicateKeys, damage);
    }
}

} // namespace
