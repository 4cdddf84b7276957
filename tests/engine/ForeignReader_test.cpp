// The tables the engine writes read by another Paradox library (pxlib): its primary-index reader must take
// the engine's .PX of small, two-level and three-level indexes, and every record it then reads through that
// index must be the one the engine stored.
#include "base/FileSystem.h"
#include "Consistency.h"
#include "engine/codec/Bytes.h"
#include "engine/Engine.h"
#include "engine/TableHandle.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#ifdef PLOM_HAVE_PXLIB
extern "C" {
#include <paradox.h>
}
#endif

#ifdef PLOM_HAVE_PXLIB
// pxlib does not free the index it reads; its leaks are not ours (the sanitizer build asks for this).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libpx.so\n";
}
#endif

namespace {

namespace fs = std::filesystem;
using namespace engine;
using codec::GetU16;
using codec::PutU16;

struct Shape {
    const char* Name;
    int Rows;
    int KeyText; // 0: the key is a Long; else an Alpha of this size
};

std::string KeyText(int i) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08d", i * 3);
    return std::string("K") + digits;
}

void MakeTable(const fs::path& folder, const Shape& s) {
    base::SetDiskSync(false);
    std::vector<FieldDesc> fields;
    if (s.KeyText > 0)
        fields.push_back({"Kljuc", FieldType::Alpha, s.KeyText, false});
    else
        fields.push_back({"Code", FieldType::Long, 0, false});
    fields.push_back({"Naziv", FieldType::Alpha, 30, false});
    fields.push_back({"Kolicina", FieldType::Long, 0, false});
    CreateTable(folder, s.Name, fields);
    auto t = Table::Open(folder, s.Name, OpenMode::Exclusive);
    t->AddIndex({"", fields[0].Name, true, true, false, false});
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(s.Rows));
    for (int i = 0; i < s.Rows; ++i)
        rows.push_back({s.KeyText > 0 ? Value::Text(KeyText(i)) : Value::Int(i * 3 + 1),
                        Value::Text("Artikl " + std::to_string(i)), Value::Int(i)});
    t->ReplaceRows({}, {}, rows);
    t.reset();
    base::SetDiskSync(true);
}

// The level-1 entries of a .PX, walked down from its root.
std::vector<std::string> Level1Entries(const std::string& px) {
    const auto* h = reinterpret_cast<const unsigned char*>(px.data());
    const int entry = GetU16(h), levels = h[0x20];
    const std::size_t block = std::size_t{h[0x05]} * 1024;
    std::vector<std::string> out;
    std::function<void(int, int)> walk = [&](int b, int level) {
        const auto* p = h + 0x800 + (b - 1) * block;
        const int count = static_cast<std::int16_t>(GetU16(p + 4)) / entry + 1;
        for (int i = 0; i < count; ++i) {
            const auto* e = p + 6 + i * entry;
            if (level == 1)
                out.emplace_back(reinterpret_cast<const char*>(e), entry);
            else
                walk(static_cast<int>(codec::DecodeInt(e + entry - 6, 2)), level - 1);
        }
    };
    walk(GetU16(h + 0x1E), levels);
    return out;
}

// The same index as the engine's older builds laid it out: 2 KiB blocks filled to the last entry, level 1
// first, each level above after it, chained in file order, the root last.
std::string OlderLayout(const std::string& px) {
    const int entry = GetU16(reinterpret_cast<const unsigned char*>(px.data()));
    const int keyBytes = entry - 6;
    const std::size_t per = (2048 - 6) / entry;
    std::vector<std::vector<std::string>> levels = {Level1Entries(px)};
    std::vector<std::string> pages; // every block's entries, in file order
    std::size_t total = 0;
    for (;;) {
        const auto& level = levels.back();
        total += level.size();
        std::vector<std::string> above;
        for (std::size_t i = 0; i < level.size(); i += per) {
            std::string page;
            std::int64_t sum = 0;
            for (std::size_t k = i; k < std::min(level.size(), i + per); ++k) {
                page += level[k];
                sum += codec::DecodeInt(
                    reinterpret_cast<const unsigned char*>(level[k].data()) + keyBytes + 2, 2);
            }
            pages.push_back(page);
            std::string up = level[i].substr(0, static_cast<std::size_t>(keyBytes)) + std::string(6, '\0');
            auto* u = reinterpret_cast<unsigned char*>(up.data()) + keyBytes;
            codec::EncodeInt(static_cast<std::int64_t>(pages.size()), u, 2);
            codec::EncodeInt(sum, u + 2, 2);
            codec::EncodeInt(0, u + 4, 2);
            above.push_back(up);
        }
        if (level.size() <= per) break;
        levels.push_back(above);
    }
    const auto blocks = static_cast<std::uint16_t>(pages.size());
    std::string out = px.substr(0, 0x800) + std::string(blocks * 2048u, '\0');
    auto* h = reinterpret_cast<unsigned char*>(out.data());
    h[0x05] = 2;
    codec::PutU32(h + 0x06, static_cast<std::uint32_t>(total));
    for (const int at : {0x0A, 0x0C, 0x10, 0x1E, 0x3A})
        PutU16(h + at, blocks);
    PutU16(h + 0x0E, 1);
    h[0x20] = static_cast<unsigned char>(levels.size());
    for (std::uint16_t b = 1; b <= blocks; ++b) {
        auto* p = h + 0x800 + (b - 1) * 2048u;
        const std::string& page = pages[b - 1];
        PutU16(p, b < blocks ? b + 1 : 0);
        PutU16(p + 2, b - 1);
        PutU16(p + 4, static_cast<std::uint16_t>(page.size() - entry));
        std::copy(page.begin(), page.end(), p + 6);
    }
    return out;
}

TableImage& ImageOf(Table& t) {
    return dynamic_cast<TableHandle&>(t).Image();
}

// A table whose .PX an older build wrote still opens by its .PX and answers every search; its first write
// lays the .PX out anew, whole and consistent.
TEST(PrimaryIndexLayout, AnOlderBuildsIndexOpensByBlockAndTheFirstWriteLaysItOutAnew) {
    testsupport::TempFolder dir;
    const Shape s{"STARI.DB", 20000, 0};
    MakeTable(dir.Path(), s);
    const std::string px = dir.Read("STARI.PX");
    const std::string older = OlderLayout(px);
    ASSERT_NE(older, px);
    ASSERT_EQ(Level1Entries(older), Level1Entries(px));
    dir.Write("STARI.PX", older);
    EXPECT_EQ(enginetest::CheckConsistency(dir.Path(), s.Name), ".PX chain does not start at the root");

    const std::uint64_t byBlockFrom = ReadByBlockFrom();
    SetReadByBlockFrom(0);
    {
        auto t = Table::Open(dir.Path(), s.Name, OpenMode::Shared);
        EXPECT_FALSE(ImageOf(*t).ReadWhole());
        auto c = t->OpenCursor();
        for (const int i : {0, 1, 7343, 7344, 12345, 19999}) {
            ASSERT_TRUE(c->FindKey({Value::Int(i * 3 + 1)})) << i;
            EXPECT_EQ(c->Read()[2].AsInt(), i);
            EXPECT_FALSE(c->FindKey({Value::Int(i * 3 + 2)})) << i;
        }
        EXPECT_EQ(dir.Read("STARI.PX"), older); // reading leaves the file as it is
        ASSERT_TRUE(c->FindKey({Value::Int(3 * 500 + 1)}));
        c->Modify({Value::Int(3 * 500 + 1), Value::Text("Izmijenjen"), Value::Int(-1)});
        c->Insert({Value::Int(3 * 500 + 2), Value::Text("Novi"), Value::Int(-2)});
    }
    SetReadByBlockFrom(byBlockFrom);
    EXPECT_EQ(enginetest::CheckConsistency(dir.Path(), s.Name), "");
    EXPECT_NE(dir.Read("STARI.PX"), older);
}

// A table with a long key grows, a batch at a time, past what 2 KiB index blocks hold in two levels, and
// shrinks back: each write leaves the .PX consistent, and an open by the .PX finds every row.
TEST(PrimaryIndexLayout, TheBlockSizeFollowsTheTableAsItGrowsAndShrinks) {
    testsupport::TempFolder dir;
    const Shape s{"RASTE.DB", 1000, 120};
    MakeTable(dir.Path(), s);
    const std::uint64_t byBlockFrom = ReadByBlockFrom();
    SetReadByBlockFrom(0);
    std::vector<int> sizes;
    int rows = s.Rows;
    for (const int change : {12000, 12000, 12000, -30000}) {
        {
            auto t = Table::Open(dir.Path(), s.Name, OpenMode::Shared);
            EXPECT_FALSE(ImageOf(*t).ReadWhole());
            std::vector<Row> add;
            for (int i = rows; i < rows + change; ++i)
                add.push_back(
                    {Value::Text(KeyText(i)), Value::Text("Artikl " + std::to_string(i)), Value::Int(i)});
            if (change > 0) {
                t->ReplaceRows({Value::Text(KeyText(rows))}, {}, add);
                rows += change;
            } else {
                rows += change;
                t->DeleteRows({Value::Text(KeyText(rows))}, {});
            }
        }
        EXPECT_EQ(enginetest::CheckConsistency(dir.Path(), s.Name), "") << rows;
        sizes.push_back(static_cast<unsigned char>(dir.Read("RASTE.PX")[0x05]));
        auto t = Table::Open(dir.Path(), s.Name, OpenMode::Shared);
        EXPECT_EQ(t->RecordCount(), rows);
        auto c = t->OpenCursor();
        for (const int i : {0, rows / 3, rows - 1}) {
            ASSERT_TRUE(c->FindKey({Value::Text(KeyText(i))})) << i;
            EXPECT_EQ(c->Read()[2].AsInt(), i);
        }
    }
    SetReadByBlockFrom(byBlockFrom);
    EXPECT_EQ(sizes.front(), 2);
    EXPECT_GT(*std::max_element(sizes.begin(), sizes.end()), 2);
    EXPECT_EQ(sizes.back(), 2);
}

#ifdef PLOM_HAVE_PXLIB

// The messages the library reports, collected so that a refusal says why.
void Collect(pxdoc_t*, int, const char* msg, void* data) {
    static_cast<std::string*>(data)->append(msg).append("; ");
}

// Opens the table with the library, its .PX read by the library's primary-index reader and given to the
// table; then reads the records (every one, or a sample of a large table) and checks them.
void ReadWithPxlib(const fs::path& folder, const Shape& s) {
    SCOPED_TRACE(s.Name);
    const std::string stem = fs::path(s.Name).stem().string();
    std::string dbErrors, pxErrors;
    pxdoc_t* px = PX_new3(Collect, nullptr, nullptr, nullptr, &pxErrors);
    pxdoc_t* db = PX_new3(Collect, nullptr, nullptr, nullptr, &dbErrors);
    ASSERT_TRUE(px && db);
    ASSERT_EQ(PX_open_file(px, (folder / (stem + ".PX")).c_str()), 0) << pxErrors;
    ASSERT_EQ(PX_open_file(db, (folder / s.Name).c_str()), 0) << dbErrors;
    EXPECT_EQ(PX_read_primary_index(px), 0) << pxErrors;
    EXPECT_EQ(PX_add_primary_index(db, px), 0) << dbErrors << pxErrors;
    ASSERT_EQ(PX_get_num_records(db), s.Rows);

    // Level-1 entries, in order, cover every record once, and each block's count is the .DB block's.
    const auto* entries = static_cast<const pxpindex_t*>(px->px_data);
    long covered = 0;
    for (int i = 0; i < px->px_datalen; ++i)
        if (entries[i].level == 1) covered += entries[i].numrecords;
    EXPECT_EQ(covered, s.Rows);

    std::vector<char> record(static_cast<std::size_t>(PX_get_recordsize(db)));
    pxfield_t* fields = PX_get_fields(db);
    int wrong = 0;
    const int step = s.Rows > 20000 ? 97 : 1; // a sample of a large table's records
    for (int i = 0; i < s.Rows; i += step) {
        if (!PX_get_record(db, i, record.data())) {
            ADD_FAILURE() << "record " << i << " not read: " << dbErrors;
            return;
        }
        bool same = false;
        if (s.KeyText > 0) {
            char* text = nullptr;
            if (PX_get_data_alpha(db, record.data(), fields[0].px_flen, &text) > 0) {
                same = KeyText(i) == text;
                db->free(db, text);
            }
        } else {
            long value = 0;
            same = PX_get_data_long(db, record.data(), 4, &value) > 0 && value == i * 3 + 1;
        }
        if (!same) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    PX_close(db);
    PX_close(px);
    PX_delete(db);
    PX_delete(px);
}

void MakeAndRead(const std::vector<Shape>& shapes) {
    PX_boot();
    testsupport::TempFolder dir;
    for (const Shape& s : shapes) {
        MakeTable(dir.Path(), s);
        ReadWithPxlib(dir.Path(), s);
        EXPECT_EQ(enginetest::CheckConsistency(dir.Path(), s.Name), "") << s.Name;
        fs::remove(dir / s.Name);
    }
}

// No row, one row, one level (a handful of blocks, and one just short of a second level-1 block), two levels
// (20,000 rows: several level-1 blocks under one root), and a long key (few entries to a 2 KiB block: larger
// blocks keep it to two levels).
TEST(ForeignReader, PrimaryIndexReadsWithPxlib) {
    MakeAndRead({{"PRAZNA.DB", 0, 0},
                 {"JEDAN.DB", 1, 0},
                 {"MALA.DB", 500, 0},
                 {"SITNI.DB", 7400, 0},
                 {"SREDNJA.DB", 20000, 0},
                 {"DUGI.DB", 20000, 120}});
}

// A million rows (some 15 s): run under CI, or with PLOM_LARGE_TESTS=1.
TEST(ForeignReader, MillionRowPrimaryIndexReadsWithPxlib) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "a million rows take minutes under the sanitizers: the normal build reads them";
#endif
    if (!testsupport::InCI() && std::getenv("PLOM_LARGE_TESTS") == nullptr)
        GTEST_SKIP() << "a million rows: set PLOM_LARGE_TESTS=1";
    MakeAndRead({{"MILIJUN.DB", 1000000, 0}});
}

#else

TEST(ForeignReader, PrimaryIndexReadsWithPxlib) {
    PLOM_SKIP_OUTSIDE_CI("pxlib is not installed");
}

#endif

} // namespace
