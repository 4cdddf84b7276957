// Salvage reads of damaged tables: every row of the blocks that still hold together, with its values, and
// nothing else; never a crash, a hang or a read out of bounds, whatever the bytes.
#include "engine/codec/Bytes.h"
#include "engine/codec/FieldCodec.h"
#include "engine/Engine.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

namespace {

using namespace engine;

constexpr int Rows = 150;

class SalvageTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateTable(tmp.Path(), "NALOG.DB",
                    {{"Code", FieldType::AutoInc, 0, false},
                     {"Naziv", FieldType::Alpha, 20, false},
                     {"Iznos", FieldType::Number, 0, false},
                     {"Datum", FieldType::Date, 0, false},
                     {"Hitno", FieldType::Logical, 0, false},
                     {"Opis", FieldType::Memo, 6, false}});
        auto t = Table::Open(tmp.Path(), "NALOG.DB", OpenMode::Exclusive);
        t->AddIndex({"", "Code", true, true, false, false});
        auto c = t->OpenCursor();
        for (int i = 1; i <= Rows; ++i)
            c->Insert({Value(), Value::Text("nalog čšž " + std::to_string(i)), Value::Float(i * 1.25),
                       i % 7 == 0 ? Value() : Value::Date(738000 + i), Value::Bool(i % 2 == 0),
                       Value::Text(std::string(static_cast<std::size_t>(i * 37 % 700), 'm') + "!")});
        for (c->First(); c->OnRow(); c->Next())
            original[c->Read()[0].AsInt()] = c->Read();
        c.reset();
        t.reset();
        db = tmp.Read("NALOG.DB");
        recordSize = codec::GetU16(Bytes() + 0x00);
        headerSize = codec::GetU16(Bytes() + 0x02);
        blockSize = Bytes()[0x05] * 1024;
        fileBlocks = codec::GetU16(Bytes() + 0x0C);
        ASSERT_GE(fileBlocks, 4);
    }
    const unsigned char* Bytes() const { return reinterpret_cast<const unsigned char*>(db.data()); }
    std::size_t BlockStart(int block) const { return headerSize + std::size_t(block - 1) * blockSize; }
    // The auto-increment numbers of the rows stored in a block of the undamaged file.
    std::set<std::int64_t> KeysIn(int block) const {
        const auto* p = Bytes() + BlockStart(block);
        const auto add = static_cast<std::int16_t>(codec::GetU16(p + 4));
        std::set<std::int64_t> keys;
        for (int i = 0; add >= 0 && i <= add / recordSize; ++i)
            keys.insert(codec::DecodeInt(p + 6 + i * recordSize, 4));
        return keys;
    }
    std::set<std::int64_t> AllKeysBut(int block) const {
        std::set<std::int64_t> keys;
        for (int b = 1; b <= fileBlocks; ++b)
            if (b != block) keys.merge(KeysIn(b));
        return keys;
    }
    void Put(const std::string& bytes) {
        fs::remove(tmp / "NALOG.DB");
        tmp.Write("NALOG.DB", bytes);
    }
    void ExpectDamaged() { EXPECT_THROW(Table::Open(tmp.Path(), "NALOG.DB", OpenMode::Shared), DamagedFile); }
    // Every salvaged row is the original row of its number, and exactly these numbers were kept.
    void ExpectRows(const SalvagedTable& s, const std::set<std::int64_t>& keys) {
        std::set<std::int64_t> got;
        for (const auto& row : s.Rows) {
            ASSERT_EQ(row.size(), 6u);
            const auto key = row[0].AsInt();
            EXPECT_TRUE(got.insert(key).second) << key;
            ASSERT_TRUE(original.count(key)) << key;
            EXPECT_EQ(row, original.at(key)) << key;
        }
        EXPECT_EQ(got, keys);
        EXPECT_EQ(s.Report.RowsKept, static_cast<std::int64_t>(s.Rows.size()));
    }

    testsupport::TempFolder tmp;
    std::string db;
    std::map<std::int64_t, Row> original;
    int recordSize = 0, headerSize = 0, blockSize = 0, fileBlocks = 0;
};

TEST_F(SalvageTest, ALoopingChainLosesNoRow) {
    std::string bad = db;
    codec::PutU16(reinterpret_cast<unsigned char*>(bad.data()) + BlockStart(3), 1);
    Put(bad);
    ExpectDamaged();
    const SalvagedTable s = SalvageTable(tmp.Path(), "nalog");
    EXPECT_EQ(s.Fields.size(), 6u);
    EXPECT_EQ(s.KeyFieldCount, 1);
    EXPECT_EQ(s.LastAutoIncValue, Rows);
    ExpectRows(s, AllKeysBut(0));
    EXPECT_EQ(s.Report.BlocksDropped, 0);
    EXPECT_EQ(s.Report.RowsDropped + s.Report.DuplicateKeys + s.Report.MemosFromLeader, 0);
}

TEST_F(SalvageTest, ABlockWhoseCountCannotFitIsDropped) {
    std::string bad = db;
    const int tooMany = (blockSize - 6) / recordSize; // one more record than the block holds
    codec::PutU16(reinterpret_cast<unsigned char*>(bad.data()) + BlockStart(2) + 4,
                  static_cast<std::uint16_t>(tooMany * recordSize));
    Put(bad);
    ExpectDamaged();
    const SalvagedTable s = SalvageTable(tmp.Path(), "NALOG.DB");
    ExpectRows(s, AllKeysBut(2));
    EXPECT_EQ(s.Report.BlocksDropped, 1);
}

TEST_F(SalvageTest, GarbageInOneBlockKeepsTheOthers) {
    std::string bad = db;
    std::mt19937 random(7);
    for (std::size_t i = BlockStart(2); i < BlockStart(3); ++i)
        bad[i] = static_cast<char>(random());
    Put(bad);
    ExpectDamaged();
    ExpectRows(SalvageTable(tmp.Path(), "NALOG.DB"), AllKeysBut(2));
}

TEST_F(SalvageTest, ATruncatedLastBlockKeepsItsWholeRecords) {
    const int wholeRecords = 3;
    Put(db.substr(0, BlockStart(fileBlocks) + 6 + wholeRecords * recordSize + recordSize / 2));
    ExpectDamaged();
    const SalvagedTable s = SalvageTable(tmp.Path(), "NALOG.DB");
    auto keys = AllKeysBut(fileBlocks);
    auto last = KeysIn(fileBlocks);
    ASSERT_GT(last.size(), std::size_t(wholeRecords));
    keys.insert(last.begin(), std::next(last.begin(), wholeRecords));
    ExpectRows(s, keys);
    EXPECT_EQ(s.Report.RowsDropped, static_cast<std::int64_t>(last.size()) - wholeRecords);
}

TEST_F(SalvageTest, DuplicateKeysKeepTheFirstAndBadValuesDropTheRow) {
    std::string bad = db;
    auto* p = reinterpret_cast<unsigned char*>(bad.data());
    const std::size_t first = BlockStart(1) + 6;
    // The second record of block 1 takes the first one's number; the third gets an impossible logical.
    std::memcpy(p + first + recordSize, p + first, 4);
    p[first + 2 * recordSize + 4 + 20 + 8 + 4] = 0x42;
    codec::PutU16(p + BlockStart(2), 2000); // and the chain leads out of the file
    Put(bad);
    ExpectDamaged();
    const SalvagedTable s = SalvageTable(tmp.Path(), "NALOG.DB");
    const auto block1 = KeysIn(1);
    auto keys = AllKeysBut(0);
    keys.erase(*std::next(block1.begin(), 1));
    keys.erase(*std::next(block1.begin(), 2));
    ExpectRows(s, keys);
    EXPECT_EQ(s.Report.DuplicateKeys, 1);
    EXPECT_EQ(s.Report.RowsDropped, 1);
}

TEST_F(SalvageTest, MemosFallBackToTheTextTheRecordKeeps) {
    fs::remove(tmp / "NALOG.MB");
    std::string bad = db;
    codec::PutU16(reinterpret_cast<unsigned char*>(bad.data()) + BlockStart(2), 1);
    Put(bad);
    const SalvagedTable s = SalvageTable(tmp.Path(), "NALOG.DB");
    ASSERT_EQ(s.Rows.size(), original.size());
    std::int64_t fromMb = 0;
    for (const auto& row : s.Rows) {
        const std::string& full = original.at(row[0].AsInt())[5].AsText();
        if (full.size() > 6) ++fromMb;
        EXPECT_EQ(row[5].AsText(), full.substr(0, 6));
    }
    EXPECT_EQ(s.Report.MemosFromLeader, fromMb);
}

TEST_F(SalvageTest, AnUnreadableHeaderIsStillAnError) {
    Put(db.substr(0, 100));
    EXPECT_THROW(SalvageTable(tmp.Path(), "NALOG.DB"), DamagedFile);
    EXPECT_THROW(SalvageTable(tmp.Path(), "NEMA.DB"), MissingTable);
}

// Bounded and deterministic: byte changes anywhere and cuts at any length either salvage or raise the
// engine's error; the rows kept have valid numbers, each primary key once, none above the counter.
TEST_F(SalvageTest, MutationsNeverCrashOrHang) {
    std::mt19937 random(20261208);
    for (int run = 0; run < 300; ++run) {
        std::string bad = db;
        const int changes = 1 + int(random() % 8);
        for (int i = 0; i < changes; ++i) {
            // Half of the changes hit the first 0x80 bytes, where the counts and pointers are.
            const std::size_t at = random() % 2 ? random() % 0x80 : random() % bad.size();
            bad[at] = static_cast<char>(random());
        }
        if (run % 5 == 0) bad.resize(random() % bad.size());
        Put(bad);
        try {
            const SalvagedTable s = SalvageTable(tmp.Path(), "NALOG.DB");
            std::set<std::int64_t> keys;
            for (const auto& row : s.Rows) {
                ASSERT_EQ(row.size(), s.Fields.size());
                if (s.Fields[0].Type != FieldType::AutoInc) continue;
                ASSERT_TRUE(row[0].IsInt());
                EXPECT_GT(row[0].AsInt(), 0);
                EXPECT_LE(row[0].AsInt(), s.LastAutoIncValue);
                if (s.KeyFieldCount == 1) {
                    EXPECT_TRUE(keys.insert(row[0].AsInt()).second);
                }
            }
            EXPECT_EQ(s.Report.RowsKept, static_cast<std::int64_t>(s.Rows.size()));
        } catch (const Error&) {
        }
    }
}

} // namespace
