// Damaged files: a clear error naming the file, never a crash, a hang or a read out of bounds. The mutation
// run is deterministic and bounded, so it belongs in the ordinary suite.
#include "engine/codec/Bytes.h"
#include "engine/codec/FieldCodec.h"
#include "engine/Engine.h"
#include "engine/TableImage.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

using namespace engine;

class DamagedTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateTable(tmp.Path(), "ROBA.DB",
                    {{"Code", FieldType::AutoInc, 0, false},
                     {"Naziv", FieldType::Alpha, 20, false},
                     {"Cijena", FieldType::Number, 0, false},
                     {"Opis", FieldType::Memo, 4, false}});
        auto t = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Exclusive);
        t->AddIndex({"", "Code", true, true, false, false});
        t->AddIndex({"_Naziv", "Naziv", false, false, true, false});
        auto c = t->OpenCursor();
        for (int i = 0; i < 120; ++i)
            c->Insert({Value(), Value::Text("artikl " + std::to_string(i)), Value::Float(i / 4.0),
                       Value::Text(std::string(static_cast<std::size_t>(i * 29 % 3000), 'o'))});
        c.reset();
        t.reset();
        db = tmp.Read("ROBA.DB");
        mb = tmp.Read("ROBA.MB");
    }
    // Opens and reads every row; returns the engine's message, or "" when everything read.
    std::string ReadAll() {
        try {
            auto t = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared);
            auto c = t->OpenCursor();
            for (c->First(); c->OnRow(); c->Next())
                c->Read();
            c->SetIndex(1);
            for (c->Last(); c->OnRow(); c->Prior())
                c->Read();
            ReadTableInfo(tmp.Path(), "ROBA.DB");
            return "";
        } catch (const Error& e) {
            return e.what();
        }
    }
    // A new file each time: rewriting one in place makes the file system flush it at every close.
    void Put(const std::string& name, const std::string& bytes) {
        fs::remove(tmp / name);
        tmp.Write(name, bytes);
    }
    void PutU16(std::string& b, std::size_t off, std::uint16_t v) {
        codec::PutU16(reinterpret_cast<unsigned char*>(b.data()) + off, v);
    }
    testsupport::TempFolder tmp;
    std::string db, mb;
};

TEST_F(DamagedTest, TruncatedFilesNameTheFile) {
    for (std::size_t len :
         {db.size() - 1, db.size() - 2048, std::size_t{2047}, std::size_t{100}, std::size_t{0}}) {
        Put("ROBA.DB", db.substr(0, len));
        EXPECT_EQ(ReadAll(), "Datoteka ROBA.DB je oštećena") << len;
    }
    Put("ROBA.DB", db);
    // A memo file cut short loses only the texts that stood in the lost part; the table still opens.
    Put("ROBA.MB", mb.substr(0, mb.size() - 4096));
    EXPECT_EQ(ReadAll(), "");
    EXPECT_EQ(Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared)->DamageReport(),
              "Datoteka ROBA.MB je oštećena (nečitljivih zapisa: 1)");
    Put("ROBA.MB", mb);
    EXPECT_EQ(ReadAll(), "");
    EXPECT_EQ(Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared)->DamageReport(), "");
}

// A table read by block reads a row's memo texts with its row: damage in the memo file is found when a row
// that points into it is read, and from then on the table is read whole, its texts marked as at any open.
// A table cut back to its header (a copy taken while another station wrote it) claims rows its file does
// not hold: it is damaged, and an open of any kind, a write or a salvage never empties it.
TEST_F(DamagedTest, ATableCutBackToItsHeaderIsDamagedNeverEmptied) {
    const std::string torn = db.substr(0, 2048);
    Put("ROBA.DB", torn);
    EXPECT_EQ(ReadAll(), "Datoteka ROBA.DB je oštećena");
    EXPECT_THROW(Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Exclusive), DamagedFile);
    EXPECT_THROW(ReadTableInfo(tmp.Path(), "ROBA.DB"), DamagedFile);
    EXPECT_EQ(tmp.Read("ROBA.DB"), torn);
}

TEST_F(DamagedTest, AMemoFileDamagedUnderATableReadByBlockIsFoundWithTheRowsItSpoils) {
    auto walk = [&](Table& t) {
        std::vector<std::string> out;
        auto c = t.OpenCursor();
        for (c->First(); c->OnRow(); c->Next())
            out.push_back(c->Read()[3].IsNull() ? "" : c->Read()[3].AsText());
        return out;
    };
    std::string bad = mb;
    bad[4096] = 9; // the first block after the header: no block type
    for (const std::string& m : {bad, mb.substr(0, mb.size() - 4096)}) {
        Put("ROBA.MB", m);
        SetReadByBlockFrom(4u << 20);
        auto whole = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared);
        const std::string report = whole->DamageReport();
        const auto expected = walk(*whole);
        whole.reset();
        ASSERT_FALSE(report.empty());

        SetReadByBlockFrom(0);
        auto t = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared);
        EXPECT_EQ(t->DamageReport(), ""); // nothing read yet
        auto c = t->OpenCursor();
        // A row the damage leaves alone, with a long text.
        std::size_t sound = 0;
        while (sound < expected.size() && (expected[sound].size() < 2048 || expected[sound].back() != 'o'))
            ++sound;
        ASSERT_LT(sound, expected.size());
        ASSERT_TRUE(c->FindKey({Value::Int(static_cast<std::int64_t>(sound) + 1)}));
        EXPECT_EQ(c->Read()[3].AsText(), expected[sound]);
        EXPECT_EQ(walk(*t), expected);
        EXPECT_EQ(t->DamageReport(), report);
        // Writes go on where the memo file is sound.
        c->Insert({Value(), Value::Text("novi"), Value(), Value::Text(std::string(700, 'n'))});
        c.reset();
        t.reset();
        auto again = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared);
        EXPECT_EQ(walk(*again).back(), std::string(700, 'n'));
    }
}

TEST_F(DamagedTest, BadHeaderValuesAndCounts) {
    struct Case {
        std::size_t Offset;
        std::uint16_t Value;
    };
    for (const Case& k : {Case{0x00, 7}, Case{0x02, 0}, Case{0x02, 0x1000}, Case{0x05, 0}, Case{0x0C, 0xFFFF},
                          Case{0x0E, 0x7FFF}, Case{0x06, 0xFFFF}, Case{0x21, 0x7FFF}, Case{0x21, 0},
                          Case{0x23, 9}, Case{0x39, 0x02}, Case{0x04, 0x07}}) {
        std::string bad = db;
        PutU16(bad, k.Offset, k.Value);
        Put("ROBA.DB", bad);
        EXPECT_EQ(ReadAll(), "Datoteka ROBA.DB je oštećena") << std::hex << k.Offset;
    }
}

TEST_F(DamagedTest, LoopingChainsAndBadBlockCounts) {
    std::string bad = db;
    PutU16(bad, 0x800, 1); // block 1 points at itself
    Put("ROBA.DB", bad);
    EXPECT_EQ(ReadAll(), "Datoteka ROBA.DB je oštećena");
    bad = db;
    PutU16(bad, 0x800 + 4, 0x7FF0); // more records than the block holds
    Put("ROBA.DB", bad);
    EXPECT_EQ(ReadAll(), "Datoteka ROBA.DB je oštećena");
    bad = db;
    PutU16(bad, 0x800 + 4, 5); // not a whole number of records
    Put("ROBA.DB", bad);
    EXPECT_EQ(ReadAll(), "Datoteka ROBA.DB je oštećena");
}

TEST_F(DamagedTest, DamagedIndexDefinitionAndTornJournal) {
    std::string x = tmp.Read("ROBA.XG0"), y = tmp.Read("ROBA.YG0");
    x[12] ^= 0x40;
    y[12] ^= 0x40;
    Put("ROBA.XG0", x);
    Put("ROBA.YG0", y);
    EXPECT_EQ(ReadAll(), "Datoteka ROBA.XG0 je oštećena");
    x[12] ^= 0x40;
    y[12] ^= 0x40;
    Put("ROBA.XG0", x);
    Put("ROBA.YG0", y);
    // A journal torn half way is a write that never happened: the table reads as before.
    std::string jnl(64, '\0');
    std::memcpy(jnl.data(), "PLOMJNL1", 8);
    jnl[16] = 1;  // pending
    jnl[20] = 40; // length
    Put("ROBA.JNL", jnl);
    EXPECT_EQ(ReadAll(), "");
    auto t = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared);
    EXPECT_EQ(t->RecordCount(), 120);
}

// The index files hold only what the rows give: a damaged definition comes back from the .Y twin, or from
// the definitions the program registered, and the files are written again.
TEST_F(DamagedTest, ADamagedIndexDefinitionIsRebuiltAtOpen) {
    const std::string x = tmp.Read("ROBA.XG0"), y = tmp.Read("ROBA.YG0");
    auto check = [&] {
        auto t = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared);
        ASSERT_EQ(t->Indexes().size(), 2u);
        EXPECT_EQ(t->Indexes()[1].Name, "_Naziv");
        EXPECT_TRUE(t->Indexes()[1].CaseInsensitive);
        auto c = t->OpenCursor();
        c->SetIndex(c->FindIndexByName("_Naziv"));
        ASSERT_TRUE(c->FindKey({Value::Text("ARTIKL 7")}));
        EXPECT_EQ(c->Read()[0].AsInt(), 8);
    };
    std::string bad = x;
    bad[12] ^= 0x40;
    Put("ROBA.XG0", bad);
    check();
    EXPECT_EQ(tmp.Read("ROBA.XG0"), x);

    // Both files damaged: only the registered definitions can tell.
    Put("ROBA.XG0", bad);
    Put("ROBA.YG0", "smeće");
    EXPECT_EQ(ReadAll(), "Datoteka ROBA.XG0 je oštećena");
    RegisterIndexDefinitions(
        "roba.db", {{"", "Code", true, true, false, false}, {"_Naziv", "Naziv", false, false, true, false}});
    check();
    EXPECT_EQ(tmp.Read("ROBA.XG0"), x);
    EXPECT_EQ(tmp.Read("ROBA.YG0"), y);
    RegisterIndexDefinitions("ROBA.DB", {});
}

// The memo file only holds texts: a damaged block costs the texts in it, marked, and the table reads on.
TEST_F(DamagedTest, ADamagedMemoBlockMarksItsTextsAndTheTableOpens) {
    auto texts = [&] {
        std::vector<std::string> out;
        auto t = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared);
        auto c = t->OpenCursor();
        for (c->First(); c->OnRow(); c->Next())
            out.push_back(c->Read()[3].IsNull() ? "" : c->Read()[3].AsText());
        return out;
    };
    const auto before = texts();
    ASSERT_EQ(before.size(), 120u);
    std::string m = mb;
    m[4096] = 9; // the first block after the header: no block type
    Put("ROBA.MB", m);
    const auto after = texts();
    int marked = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (after[i] == before[i]) continue;
        EXPECT_EQ(after[i], "oooo [oštećeno]") << i;
        ++marked;
    }
    EXPECT_GT(marked, 0);
    auto t = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared);
    EXPECT_EQ(t->DamageReport(),
              "Datoteka ROBA.MB je oštećena (nečitljivih zapisa: " + std::to_string(marked) + ")");
    // Writes go on and never land in the damaged block.
    auto c = t->OpenCursor();
    c->Insert({Value(), Value::Text("novi"), Value(), Value::Text(std::string(700, 'n'))});
    c.reset();
    t.reset();
    auto again = texts();
    EXPECT_EQ(again.back(), std::string(700, 'n'));
    again.pop_back();
    EXPECT_EQ(again, after);

    // A memo file whose header is not one: every long text is marked and the table takes no writes.
    m = mb;
    m[0] = 7;
    Put("ROBA.DB", db);
    Put("ROBA.MB", m);
    EXPECT_EQ(ReadAll(), "");
    t = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared);
    try {
        t->OpenCursor()->Insert({Value(), Value::Text("ne"), Value(), Value()});
        FAIL() << "wrote into a table whose memo file does not read";
    } catch (const DamagedFile& e) {
        EXPECT_STREQ(e.what(), "Datoteka ROBA.MB je oštećena");
    }
    EXPECT_EQ(t->RecordCount(), 120);
}

// Other writers leave the memo file's last block short: it reads as zero-padded, and so does the salvage.
TEST_F(DamagedTest, AShortLastMemoBlockReadsWhole) {
    std::string m = mb;
    while (m.back() == '\0')
        m.pop_back();
    ASSERT_NE(m.size() % 4096, 0u);
    Put("ROBA.MB", m);
    EXPECT_EQ(ReadAll(), "");
    const SalvagedTable s = SalvageTable(tmp.Path(), "ROBA.DB");
    EXPECT_EQ(s.Report.MemosFromLeader, 0);
    {
        auto t = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared);
        EXPECT_EQ(t->DamageReport(), "");
        auto c = t->OpenCursor();
        std::size_t n = 0;
        for (c->First(); c->OnRow(); c->Next(), ++n) {
            const Row r = c->Read();
            EXPECT_EQ(r, s.Rows[n]);
            EXPECT_EQ(r[3].IsNull() ? 0u : r[3].AsText().size(), n * 29 % 3000) << n;
        }
        c->Insert({Value(), Value::Text("novi"), Value(), Value::Text(std::string(100, 'x'))});
    }
    EXPECT_EQ(tmp.Read("ROBA.MB").size() % 4096, 0u);
    EXPECT_EQ(ReadAll(), "");
    // A text cut off by the end of the file is damage, not zeros.
    Put("ROBA.DB", db);
    Put("ROBA.MB", m.substr(0, m.size() - 1));
    EXPECT_EQ(Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared)->DamageReport(),
              "Datoteka ROBA.MB je oštećena (nečitljivih zapisa: 1)");
}

// Random byte changes in the .DB, the .MB and the index file; every outcome is either a full read or the
// damaged-file error (or another engine error with its message), never a crash.
TEST_F(DamagedTest, MutationRunOverTheReader) {
    std::mt19937 rng(2026);
    const std::string x = tmp.Read("ROBA.XG0");
    int refused = 0, read = 0;
    for (int round = 0; round < 600; ++round) {
        std::string d = db, m = mb, xx = x;
        std::string& target = round % 5 == 3 ? m : round % 5 == 4 ? xx : d;
        const int changes = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < changes; ++k) {
            // Mostly the header and the first block headers, where the structure lives.
            const std::size_t limit =
                (rng() % 2) ? std::min<std::size_t>(target.size(), 0x900) : target.size();
            const std::size_t at = rng() % limit;
            target[at] = static_cast<char>(rng() % 3 == 0 ? 0xFF : rng() % 256);
        }
        if (rng() % 10 == 0) target.resize(rng() % target.size());
        Put("ROBA.DB", d);
        Put("ROBA.MB", m);
        Put("ROBA.XG0", xx);
        const std::string outcome = ReadAll();
        if (outcome.empty())
            ++read;
        else
            ++refused;
        if (!outcome.empty()) {
            EXPECT_NE(outcome.find("ROBA."), std::string::npos) << outcome;
        }
    }
    EXPECT_GT(refused, 50);
    EXPECT_GT(read, 50);
}

} // namespace

namespace {

// The same mutation run over tables written by other programs.
TEST(DamagedFixtures, MutationRunOverForeignTables) {
    const auto shared = testsupport::SharedFixtures();
    if (shared.empty()) GTEST_SKIP() << "shared fixtures not present";
    const fs::path paradox = shared / "paradox";
    struct Case {
        fs::path Folder;
        std::string Table;
        std::vector<std::string> Files;
    };
    const std::vector<Case> cases = {
        {paradox, "KLJUC.DB", {"KLJUC.DB"}},
        {paradox / "real", "CUSTOMER.DB", {"CUSTOMER.DB", "CUSTOMER.MB", "CUSTOMER.X06"}},
        {paradox / "real", "AREACODES.DB", {"AREACODES.DB", "AREACODES.XG0"}},
        {paradox / "real", "memo.db", {"memo.db", "memo.mb"}}};
    std::mt19937 rng(99);
    for (const auto& k : cases) {
        SCOPED_TRACE(k.Table);
        testsupport::TempFolder tmp;
        std::vector<std::string> originals;
        for (const auto& f : k.Files)
            originals.push_back(testsupport::ReadFile(k.Folder / f));
        for (int round = 0; round < 120; ++round) {
            for (std::size_t i = 0; i < k.Files.size(); ++i) {
                std::string bytes = originals[i];
                if (i == static_cast<std::size_t>(round) % k.Files.size()) {
                    for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n) {
                        const std::size_t limit =
                            (rng() % 2) ? std::min<std::size_t>(bytes.size(), 0x900) : bytes.size();
                        bytes[rng() % limit] = static_cast<char>(rng() % 256);
                    }
                    if (rng() % 10 == 0) bytes.resize(rng() % bytes.size());
                }
                fs::remove(tmp / k.Files[i]);
                tmp.Write(k.Files[i], bytes);
            }
            try {
                auto t = Table::Open(tmp.Path(), k.Table, OpenMode::Shared);
                auto c = t->OpenCursor();
                for (c->First(); c->OnRow(); c->Next())
                    c->Read();
                for (int index = 0; index < static_cast<int>(t->Indexes().size()); ++index) {
                    c->SetIndex(index);
                    for (c->Last(); c->OnRow(); c->Prior())
                        c->Read();
                }
            } catch (const Error& e) {
                EXPECT_NE(std::string(e.what()).find(fs::path(k.Table).stem().string()), std::string::npos)
                    << e.what();
            }
        }
    }
}

} // namespace

namespace {

// A memo file changed in its structure (block headers, slot tables, lengths, modification numbers), or cut
// short: every text either reads as written, or is marked and reported as damage; never another text, never
// one cut off. Both ways of reading: the table read whole, and read by block.
class MemoDamageTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) SetReadByBlockFrom(0);
        CreateTable(tmp.Path(), "ROBA.DB",
                    {{"Id", FieldType::Long, 0, false}, {"Opis", FieldType::Memo, 10, false}});
        auto t = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Exclusive);
        t->AddIndex({"", "Id", true, true, false, false});
        auto c = t->OpenCursor();
        for (int i = 0; i < 90; ++i) {
            std::string text = "tekst " + std::to_string(i) + ":";
            for (int k = 0; k < i * 53 % 3500; ++k)
                text += static_cast<char>('a' + (i + k * 7) % 26);
            texts[i] = text;
            c->Insert({Value::Int(i), Value::Text(text)});
        }
        c.reset();
        t.reset();
        db = tmp.Read("ROBA.DB");
        mb = tmp.Read("ROBA.MB");
    }
    void TearDown() override { SetReadByBlockFrom(4u << 20); }

    void Put(const std::string& name, const std::string& bytes) {
        fs::remove(tmp / name);
        tmp.Write(name, bytes);
    }
    // "" when every row read gives its own text or a marked one with the damage reported; else what is wrong.
    std::string Check(const std::string& d, const std::string& m) {
        Put("ROBA.DB", d);
        Put("ROBA.MB", m);
        reported = true;
        try {
            auto t = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared);
            auto c = t->OpenCursor();
            std::vector<std::int64_t> marked;
            for (c->First(); c->OnRow(); c->Next()) {
                const Row& r = c->Read();
                const std::int64_t id = r[0].AsInt();
                const std::string text = r[1].IsNull() ? std::string() : r[1].AsText();
                if (text == texts[id]) continue;
                const std::string mark = " [oštećeno]";
                if (text.size() < mark.size() ||
                    text.compare(text.size() - mark.size(), mark.size(), mark) != 0)
                    return "row " + std::to_string(id) + " reads another text: \"" + text.substr(0, 40) +
                           "\"";
                marked.push_back(id);
            }
            reported = !t->DamageReport().empty();
            if (!marked.empty() && t->DamageReport().find("ROBA.MB") == std::string::npos)
                return "row " + std::to_string(marked.front()) + " is marked, but no damage is reported";
            return "";
        } catch (const Error& e) {
            const std::string what = e.what();
            return what.find("ROBA.") != std::string::npos ? "" : "refused without naming the file: " + what;
        }
    }

    testsupport::TempFolder tmp;
    bool reported = false; // the last check found damage (reported or refused)
    std::map<std::int64_t, std::string> texts;
    std::string db, mb;
};

TEST_P(MemoDamageTest, AChangedOrCutMemoFileIsReportedNeverServed) {
    ASSERT_EQ(Check(db, mb), "");
    // Where the structure lives: each block's header, and a sub-allocated block's slot table.
    std::vector<std::size_t> structure;
    for (std::size_t off = 4096; off + 9 <= mb.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(mb.data()) + off;
        const std::size_t units = std::max<std::size_t>(1, codec::GetU16(p + 1));
        for (std::size_t i = 0; i < (p[0] == 3 ? 12u + 5 * 64 : 9u); ++i)
            structure.push_back(off + i);
        off += units * 4096;
    }
    ASSERT_GT(structure.size(), 1000u);
    std::mt19937 rng(43);
    int damaged = 0;
    for (std::size_t n = 0; n < structure.size(); n += 1 + rng() % 5) {
        std::string m = mb;
        m[structure[n]] = static_cast<char>(m[structure[n]] ^ (1 + rng() % 255));
        const std::string problem = Check(db, m);
        ASSERT_EQ(problem, "") << "byte " << structure[n] << " of the memo file changed";
        damaged += reported ? 1 : 0;
    }
    EXPECT_GT(damaged, 100);
    // Cut short anywhere: at whole units, at sectors and at odd lengths.
    for (std::size_t len = 4096; len < mb.size(); len += 512 + (len / 512 % 3 == 0 ? rng() % 512 : 0))
        ASSERT_EQ(Check(db, mb.substr(0, len)), "") << "the memo file cut to " << len << " bytes";
    // The modification number a row's memo field carries no longer matches its text's.
    std::string d = db;
    const auto* bytes = reinterpret_cast<const unsigned char*>(d.data());
    std::size_t record = codec::GetU16(bytes + 2) + 6;  // the first row of the first block
    while (codec::GetU32(bytes + record + 4 + 10) == 0) // the first whose text is in the memo file
        record += 4 + 20;
    const std::size_t trailer = record + 4 + 10 + 8;
    d[trailer] = static_cast<char>(d[trailer] + 1);
    ASSERT_EQ(Check(d, mb), "");
    EXPECT_TRUE(reported);
}

// The memo file has no checksum: a text is judged by what the row's field says of it, its first bytes by the
// leader the record keeps. A byte changed among them is seen; one changed after them is not, and the text is
// served as the file holds it.
TEST_P(MemoDamageTest, ATextIsCheckedUpToItsLeaderOnly) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(db.data());
    std::size_t record = codec::GetU16(bytes + 2) + 6;
    while (codec::GetU32(bytes + record + 4 + 10) == 0 || codec::GetU32(bytes + record + 4 + 14) < 40)
        record += 4 + 20; // the first row whose text is in the memo file, 40 bytes or more
    const std::int64_t id = codec::DecodeInt(bytes + record, 4);
    const std::uint32_t location = codec::GetU32(bytes + record + 4 + 10);
    const std::size_t block = location & ~0xFFu;
    const auto* mbBytes = reinterpret_cast<const unsigned char*>(mb.data());
    const std::size_t text =
        (location & 0xFF) == 0xFF ? block + 9 : block + 16u * mbBytes[block + 12 + 5 * (location & 0xFF)];
    ASSERT_EQ(mb.compare(text, 10, texts[id], 0, 10), 0);
    for (const std::size_t at : {std::size_t{3}, std::size_t{25}}) {
        SCOPED_TRACE(at);
        std::string m = mb;
        m[text + at] = static_cast<char>(m[text + at] ^ 0x20);
        Put("ROBA.DB", db);
        Put("ROBA.MB", m);
        auto t = Table::Open(tmp.Path(), "ROBA.DB", OpenMode::Shared);
        auto c = t->OpenCursor();
        ASSERT_TRUE(c->FindKey({Value::Int(id)}));
        if (at < 10) {
            EXPECT_EQ(c->Read()[1].AsText(), texts[id].substr(0, 10) + " [oštećeno]");
            EXPECT_EQ(t->DamageReport(), "Datoteka ROBA.MB je oštećena (nečitljivih zapisa: 1)");
        } else {
            std::string changed = texts[id];
            changed[at] = static_cast<char>(changed[at] ^ 0x20);
            EXPECT_EQ(c->Read()[1].AsText(), changed);
            EXPECT_EQ(t->DamageReport(), "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Reads, MemoDamageTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "ByBlock" : "Whole"; });

} // namespace
