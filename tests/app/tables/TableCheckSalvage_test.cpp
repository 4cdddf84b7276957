// The thorough check of a table too damaged to open: the rows that can still be read go into the rebuilt
// table, which then takes the table's place with its indexes and its auto-increment counter.

#include "app/tables/EngineTables.h"
#include "app/tables/TableCheck.h"
#include "app/tables/TableFiles.h"
#include "app/tables/TableSchema.h"
#include "base/FileIo.h"
#include "base/Files.h"
#include "engine/codec/Bytes.h"
#include "engine/codec/FieldCodec.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>

using namespace app;
using engine::Value;
namespace fs = std::filesystem;

namespace {

constexpr int Inserted = 205;
constexpr int Kept = 200; // the last rows are deleted again: their numbers stay used

class RecordingLabel : public ProgressText {
public:
    void ShowText(const std::string& text) override { Texts.push_back(text); }
    std::vector<std::string> Texts;
};

class SalvageCheck : public ::testing::Test {
protected:
    void SetUp() override {
        SetTableEngine(&FileTableEngine());
        CheckTables(Folder::Global, Path().string(), "POSTA.DB", false);
        {
            auto table = engine::Table::Open(Path(), "POSTA.DB", engine::OpenMode::Shared);
            auto cursor = table->OpenCursor();
            for (int i = 1; i <= Inserted; ++i)
                cursor->Insert({Value(), Value::Text("mjesto " + std::to_string(i)), Value::Int(10000 + i),
                                Value::Int(i % 3)});
            for (cursor->Last(); cursor->RecordCount() > Kept;)
                cursor->Delete(), cursor->Last();
            for (cursor->First(); cursor->OnRow(); cursor->Next())
                original[cursor->Read()[0].AsInt()] = cursor->Read();
        }
        db = folder.Read("POSTA.DB");
        const auto* p = reinterpret_cast<const unsigned char*>(db.data());
        recordSize = engine::codec::GetU16(p);
        headerSize = engine::codec::GetU16(p + 2);
        blockSize = p[5] * 1024;
        fileBlocks = engine::codec::GetU16(p + 0x0C);
        ASSERT_GE(fileBlocks, 4);
    }
    void TearDown() override {
        HooksOf(Folder::Global).ProgressLabel = nullptr;
        OptionsOf(Folder::Global) = {};
        SetTableEngine(nullptr);
    }
    fs::path Path() const { return folder.Path(); }
    std::size_t BlockStart(int block) const { return headerSize + std::size_t(block - 1) * blockSize; }
    std::set<std::int64_t> KeysIn(int block) const {
        const auto* p = reinterpret_cast<const unsigned char*>(db.data()) + BlockStart(block);
        const auto add = static_cast<std::int16_t>(engine::codec::GetU16(p + 4));
        std::set<std::int64_t> keys;
        for (int i = 0; add >= 0 && i <= add / recordSize; ++i)
            keys.insert(engine::codec::DecodeInt(p + 6 + i * recordSize, 4));
        return keys;
    }
    // Damages the table, runs the thorough check and proves the result holds exactly the expected rows.
    void CheckAfter(const std::function<void(std::string&)>& damage, std::set<std::int64_t> lost) {
        std::string bad = db;
        damage(bad);
        fs::remove(Path() / "POSTA.DB");
        folder.Write("POSTA.DB", bad);
        ASSERT_THROW(engine::Table::Open(Path(), "POSTA.DB", engine::OpenMode::Shared), engine::DamagedFile);

        RecordingLabel label;
        HooksOf(Folder::Global).ProgressLabel = &label;
        OptionsOf(Folder::Global).ShowProgress = true;
        CheckTables(Folder::Global, Path().string(), "POSTA.DB", true);

        const TableDefinition& def = *FindTableDefinition(TablesOf(Folder::Global), "POSTA.DB");
        const auto info = engine::ReadTableInfo(Path(), "POSTA.DB");
        EXPECT_TRUE(SameFields(info.Fields, def));
        EXPECT_TRUE(SameIndexes(info.Indexes, def));
        EXPECT_EQ(ScanIndexFiles(Path(), "POSTA.DB", false).Found, def.IndexFileCount);
        for (const char* name : {NewTableName, OldTableName, SwapJournalName})
            EXPECT_FALSE(base::FindFile(Path(), name)) << name;
        EXPECT_FALSE(engine::TableExists(Path(), std::string(RestructuredPrefix) + "POSTA.DB"));
        // Rows the salvage could not read stay in a copy of the damaged table, kept beside the rebuilt one.
        const auto damagedCopy = base::FindFile(Path(), std::string(DamagedPrefix) + "POSTA.DB");
        EXPECT_EQ(bool(damagedCopy), !lost.empty());
        if (damagedCopy) {
            EXPECT_EQ(folder.Read(damagedCopy->filename().string()), bad);
        }
        const std::string shown = "- spašeno " + std::to_string(Kept - lost.size());
        EXPECT_TRUE(std::any_of(label.Texts.begin(), label.Texts.end(),
                                [&](const std::string& t) { return t.rfind(shown, 0) == 0; }));

        auto table = engine::Table::Open(Path(), "POSTA.DB", engine::OpenMode::Shared);
        auto cursor = table->OpenCursor();
        std::map<std::int64_t, engine::Row> rows;
        for (cursor->First(); cursor->OnRow(); cursor->Next())
            rows[cursor->Read()[0].AsInt()] = cursor->Read();
        auto expected = original;
        for (auto key : lost)
            expected.erase(key);
        EXPECT_EQ(rows, expected);

        // The secondary indexes reach the rows, and the counter goes on after the last number ever used.
        cursor->SetIndex(cursor->FindIndexByName("_Sifra"));
        const auto kept = expected.begin()->second;
        ASSERT_TRUE(cursor->FindKey({Value::Text(kept[1].AsText())}));
        EXPECT_EQ(cursor->Read(), kept);
        cursor->SetIndex(cursor->FindIndexByName("ZemljaCode"));
        cursor->SetRange({Value::Int(1)}, {Value::Int(1)});
        EXPECT_EQ(cursor->RecordCount(), std::count_if(expected.begin(), expected.end(),
                                                       [](auto& r) { return r.second[3].AsInt() == 1; }));
        cursor->CancelRange();
        cursor->Insert({Value(), Value::Text("novo"), Value::Int(1), Value::Int(1)});
        EXPECT_EQ(cursor->Read()[0], Value::Int(Inserted + 1));
    }

    testsupport::TempFolder folder;
    std::string db;
    std::map<std::int64_t, engine::Row> original;
    int recordSize = 0, headerSize = 0, blockSize = 0, fileBlocks = 0;
};

} // namespace

TEST_F(SalvageCheck, ALoopingChainKeepsEveryRow) {
    CheckAfter([&](std::string& b) { engine::codec::PutU16(engine::codec::Bytes(b) + BlockStart(3), 2); },
               {});
}

TEST_F(SalvageCheck, ABlockCountTooLargeLosesOnlyThatBlock) {
    CheckAfter(
        [&](std::string& b) {
            const int tooMany = (blockSize - 6) / recordSize;
            engine::codec::PutU16(engine::codec::Bytes(b) + BlockStart(2) + 4,
                                  static_cast<std::uint16_t>(tooMany * recordSize));
        },
        KeysIn(2));
}

TEST_F(SalvageCheck, GarbageInOneBlockLosesOnlyThatBlock) {
    CheckAfter(
        [&](std::string& b) {
            std::mt19937 random(3);
            for (std::size_t i = BlockStart(3); i < BlockStart(4); ++i)
                b[i] = static_cast<char>(random());
        },
        KeysIn(3));
}

TEST_F(SalvageCheck, ATruncatedLastBlockKeepsItsWholeRecords) {
    const auto last = KeysIn(fileBlocks);
    ASSERT_GT(last.size(), 2u);
    CheckAfter([&](std::string& b) { b.resize(BlockStart(fileBlocks) + 6 + 2 * recordSize + 5); },
               {std::next(last.begin(), 2), last.end()});
}

// Every file of a folder, by name, with its bytes.
std::map<std::string, std::string> FolderFiles(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = base::ReadWholeFile(entry.path());
    return files;
}

// A table cut back to its header (a copy taken while another station wrote it) claims rows its file does
// not hold. Nothing of them can be read: every check that gives up on it, thorough or quick (an index file
// missing), with restructuring off, or beside a partial copy kept before, leaves every file of the folder as
// it found it, and the open reports the damage; a second check too.
TEST_F(SalvageCheck, ACheckThatGivesUpOnACutTableLeavesTheFolderAsItFoundIt) {
    struct Case {
        const char* Name;
        bool Thorough;
        std::function<void()> Prepare;
    };
    const std::vector<Case> cases = {
        {"thorough", true, [] {}},
        {"quick, its .PX missing", false, [&] { fs::remove(Path() / "POSTA.PX"); }},
        {"restructuring off", true, [] { OptionsOf(Folder::Global).NoRestructure = true; }},
        {"beside an older partial copy", true,
         [&] {
             engine::CreateTable(Path(), std::string(RestructuredPrefix) + "POSTA.DB",
                                 {{"A", engine::FieldType::Long, 0, false}});
         }},
    };
    const std::string torn = db.substr(0, std::size_t(headerSize));
    const auto intact = FolderFiles(Path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (const auto& entry : fs::directory_iterator(Path()))
            fs::remove(entry.path());
        for (const auto& [name, bytes] : intact)
            folder.Write(name, name == "POSTA.DB" ? torn : bytes);
        OptionsOf(Folder::Global) = {};
        c.Prepare();
        const auto found = FolderFiles(Path());
        RecordingLabel label;
        HooksOf(Folder::Global).ProgressLabel = &label;
        OptionsOf(Folder::Global).ShowProgress = true;
        for (int check = 0; check < 2; ++check) {
            CheckTables(Folder::Global, Path().string(), "POSTA.DB", c.Thorough);
            EXPECT_EQ(FolderFiles(Path()), found);
            try {
                engine::Table::Open(Path(), "POSTA.DB", engine::OpenMode::Shared);
                ADD_FAILURE() << "a cut table opened";
            } catch (const engine::DamagedFile& e) {
                EXPECT_STREQ(e.what(), "Datoteka POSTA.DB je oštećena");
            }
            EXPECT_EQ(FolderFiles(Path()), found);
        }
        if (!OptionsOf(Folder::Global).NoRestructure) {
            EXPECT_TRUE(std::any_of(label.Texts.begin(), label.Texts.end(), [](const std::string& t) {
                return t == "- tablica POSTA.DB je oštećena: nijedan od 200 slogova nije čitljiv -";
            }));
        }
    }
}

// Keys out of order or repeated: the table is damaged, and the check keeps every row but a repeated key's
// later one.
TEST_F(SalvageCheck, KeysOutOfOrderKeepEveryRow) {
    CheckAfter(
        [&](std::string& b) {
            auto* p = engine::codec::Bytes(b);
            for (int i = 0; i < recordSize; ++i)
                std::swap(p[BlockStart(2) + 6 + i], p[BlockStart(3) + 6 + i]);
        },
        {});
}

TEST_F(SalvageCheck, ARepeatedKeyLosesTheLaterRow) {
    const auto keys = KeysIn(2);
    ASSERT_GE(keys.size(), 2u);
    CheckAfter(
        [&](std::string& b) {
            auto* p = engine::codec::Bytes(b) + BlockStart(2) + 6;
            std::memcpy(p + recordSize, p, 4);
        },
        {*std::next(keys.begin())});
}

namespace {

// PARTNER.DB with one long "OstaliTelefoni" text: a memo file that no longer reads leaves the table open with
// the text marked; the thorough check rebuilds it so it takes writes again. Index files damaged through and
// through come back from the definitions the table set registered.
TEST(DamagedCompanions, TheCheckRebuildsAroundAMemoFileAndIndexFiles) {
    testsupport::TempFolder folder;
    SetTableEngine(&FileTableEngine());
    InstallTableSet(Folder::Global);
    ASSERT_EQ(engine::RegisteredIndexDefinitions("partner.db").size(), 3u);
    CheckTables(Folder::Global, folder.Path().string(), "PARTNER.DB", false);
    const std::string telefoni = "01 2345 678, 098 765 4321, 091 111 2222, 099 333 4444";
    {
        auto table = engine::Table::Open(folder.Path(), "PARTNER.DB", engine::OpenMode::Shared);
        engine::Row row(table->Fields().size());
        row[1] = Value::Text("P1");
        row[2] = Value::Text("Prvi partner");
        row[21] = Value::Text(telefoni);
        table->OpenCursor()->Insert(row);
    }
    for (const char* name : {"PARTNER.XG0", "PARTNER.YG0"})
        folder.Write(name, "oštećeno");
    std::string mb = folder.Read("PARTNER.MB");
    mb[0] = 5;
    fs::remove(folder / "PARTNER.MB");
    folder.Write("PARTNER.MB", mb);
    const std::string marked = telefoni.substr(0, 30) + " [oštećeno]";
    {
        auto table = engine::Table::Open(folder.Path(), "PARTNER.DB", engine::OpenMode::Shared);
        EXPECT_EQ(table->DamageReport(), "Datoteka PARTNER.MB je oštećena (nečitljivih zapisa: 1)");
        auto cursor = table->OpenCursor();
        cursor->SetIndex(cursor->FindIndexByName("_Sifra"));
        ASSERT_TRUE(cursor->FindKey({Value::Text("p1")}));
        EXPECT_EQ(cursor->Read()[21].AsText(), marked);
        EXPECT_THROW(cursor->Delete(), engine::DamagedFile);
    }
    CheckTables(Folder::Global, folder.Path().string(), "PARTNER.DB", true);
    auto table = engine::Table::Open(folder.Path(), "PARTNER.DB", engine::OpenMode::Shared);
    EXPECT_EQ(table->DamageReport(), "");
    auto cursor = table->OpenCursor();
    cursor->First();
    EXPECT_EQ(cursor->Read()[21].AsText(), marked);
    engine::Row row(table->Fields().size());
    row[1] = Value::Text("P2");
    row[21] = Value::Text(telefoni);
    cursor->Insert(row);
    EXPECT_EQ(cursor->Read()[21].AsText(), telefoni);
    EXPECT_EQ(table->RecordCount(), 2);
    SetTableEngine(nullptr);
}

} // namespace
