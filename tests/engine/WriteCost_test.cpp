// What a write puts on disk and how many syncs it costs: a one-row post writes the journal and the row's
// own bytes and syncs each once; a block that splits does not rewrite its neighbour; the folder is synced
// only when a write made a new file; a key range of rows goes in one write.
#include "base/FileSystem.h"
#include "engine/Engine.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>

namespace {

using namespace engine;

// Counts the bytes written into each file and the syncs of each file and of folders.
class CountingFileSystem : public base::FileSystem {
public:
    std::map<std::string, std::size_t> Written;
    std::map<std::string, int> Syncs;
    int FolderSyncs = 0;

    void Reset() {
        Written.clear();
        Syncs.clear();
        FolderSyncs = 0;
    }
    int Open(const char* path, int flags, mode_t mode) override {
        const int fd = FileSystem::Open(path, flags, mode);
        if (fd >= 0) names_[fd] = fs::path(path).filename().string();
        return fd;
    }
    ssize_t PWrite(int fd, const void* data, size_t len, off_t offset) override {
        Written[names_[fd]] += len;
        return FileSystem::PWrite(fd, data, len, offset);
    }
    ssize_t Write(int fd, const void* data, size_t len) override {
        Written[names_[fd]] += len;
        return FileSystem::Write(fd, data, len);
    }
    int Sync(int fd) override {
        Note(fd);
        return FileSystem::Sync(fd);
    }
    int SyncData(int fd) override {
        Note(fd);
        return FileSystem::SyncData(fd);
    }

private:
    void Note(int fd) {
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
            ++FolderSyncs;
        else
            ++Syncs[names_[fd]];
    }
    std::map<int, std::string> names_;
};

constexpr int RecordBytes = 4 + 2 + 20 + 4; // Nalog, Rbr, Naziv, Kol

// Three orders' lists of 300 rows each (key Nalog;Rbr), a secondary index on Naziv.
void MakeLists(const fs::path& folder) {
    CreateTable(folder, "LISTE.DB",
                {{"Nalog", FieldType::Long, 0, false},
                 {"Rbr", FieldType::Short, 0, false},
                 {"Naziv", FieldType::Alpha, 20, false},
                 {"Kol", FieldType::Long, 0, false}});
    auto t = Table::Open(folder, "LISTE.DB", OpenMode::Exclusive);
    t->AddIndex({"", "Nalog;Rbr", true, true, false, false});
    t->AddIndex({"ByNaziv", "Naziv", false, false, true, false});
    std::vector<Row> rows;
    for (int nalog = 1; nalog <= 3; ++nalog)
        for (int rbr = 1; rbr <= 300; ++rbr)
            rows.push_back({Value::Int(nalog), Value::Int(rbr),
                            Value::Text("n" + std::to_string(rbr * 7 % 300)),
                            Value::Int(nalog * 1000 + rbr)});
    t->ReplaceRows({}, {}, rows);
}

struct WriteCost : ::testing::Test {
    testsupport::TempFolder tmp;
    CountingFileSystem counting;
    std::unique_ptr<base::ScopedFileSystem> scope;
    std::unique_ptr<Table> table;
    std::unique_ptr<Cursor> cursor;

    void SetUp() override {
        MakeLists(tmp.Path());
        scope = std::make_unique<base::ScopedFileSystem>(counting);
        table = Table::Open(tmp.Path(), "LISTE.DB", OpenMode::Shared);
        cursor = table->OpenCursor();
    }
    void TearDown() override {
        cursor.reset();
        table.reset();
        scope.reset();
    }
    void Edit(int nalog, int rbr, std::int64_t kol) {
        ASSERT_TRUE(cursor->FindKey({Value::Int(nalog), Value::Int(rbr)}));
        Row r = cursor->Read();
        r[3] = Value::Int(kol);
        counting.Reset();
        cursor->Modify(r);
        table->SaveChanges();
    }
};

TEST_F(WriteCost, APostWritesItsRowAndSyncsTheJournalAndTheTableOnce) {
    Edit(2, 150, 7);
    // The first write of the open makes the journal, whose name the folder sync makes durable.
    EXPECT_EQ(counting.FolderSyncs, 1);
    EXPECT_EQ(counting.Syncs, (std::map<std::string, int>{{"LISTE.JNL", 1}, {"LISTE.DB", 1}}));
    EXPECT_EQ(counting.Written["LISTE.DB"], static_cast<std::size_t>(RecordBytes));
    EXPECT_EQ(counting.Written.count("LISTE.PX"), 0u);
    const auto journalSize = fs::file_size(tmp / "LISTE.JNL");

    for (int rbr : {3, 299, 150}) {
        SCOPED_TRACE(rbr);
        Edit(1, rbr, rbr * 11);
        EXPECT_EQ(counting.FolderSyncs, 0);
        EXPECT_EQ(counting.Syncs, (std::map<std::string, int>{{"LISTE.JNL", 1}, {"LISTE.DB", 1}}));
        EXPECT_EQ(counting.Written["LISTE.DB"], static_cast<std::size_t>(RecordBytes));
        EXPECT_EQ(fs::file_size(tmp / "LISTE.JNL"), journalSize);
    }

    // A new row in a block with room rewrites that block (and the header's count), at most one block of
    // the primary index, and syncs each file once.
    counting.Reset();
    cursor->Insert({Value::Int(3), Value::Int(1000), Value::Text("nova"), Value::Int(1)});
    EXPECT_EQ(counting.FolderSyncs, 0);
    EXPECT_EQ(counting.Syncs["LISTE.JNL"], 1);
    EXPECT_EQ(counting.Syncs["LISTE.DB"], 1);
    EXPECT_LE(counting.Syncs["LISTE.PX"], 1);
    EXPECT_LE(counting.Written["LISTE.DB"], 2048u + 64u);
    EXPECT_LE(counting.Written["LISTE.PX"], 16u); // the block's count, not its page
    // A row into a full block in the middle splits it: both halves are written whole, the block after them
    // only its links.
    counting.Reset();
    cursor->Insert({Value::Int(1), Value::Int(1500), Value::Text("nova"), Value::Int(2)});
    EXPECT_LE(counting.Written["LISTE.DB"], 2 * 2048u + 64u);

    // What was posted is what a fresh open reads.
    cursor.reset();
    table.reset();
    table = Table::Open(tmp.Path(), "LISTE.DB", OpenMode::Shared);
    cursor = table->OpenCursor();
    ASSERT_TRUE(cursor->FindKey({Value::Int(1), Value::Int(299)}));
    EXPECT_EQ(cursor->Read()[3].AsInt(), 299 * 11);
    ASSERT_TRUE(cursor->FindKey({Value::Int(2), Value::Int(150)}));
    EXPECT_EQ(cursor->Read()[3].AsInt(), 7);
    ASSERT_TRUE(cursor->FindKey({Value::Int(1), Value::Int(1500)}));
    EXPECT_EQ(cursor->Read()[3].AsInt(), 2);
    EXPECT_EQ(table->RecordCount(), 902);
}

TEST_F(WriteCost, DeleteRowsTakesOneListAwayInOneWrite) {
    cursor->SetIndex(cursor->FindIndexByName("ByNaziv"));
    counting.Reset();
    table->DeleteRows({Value::Int(2)}, {Value::Int(2)});
    EXPECT_EQ(counting.Syncs["LISTE.JNL"], 1);
    EXPECT_EQ(counting.Syncs["LISTE.DB"], 1);
    EXPECT_LE(counting.Syncs["LISTE.PX"], 1);
    EXPECT_EQ(table->RecordCount(), 600);

    // A range that holds no row writes nothing.
    counting.Reset();
    table->DeleteRows({Value::Int(2)}, {Value::Int(2)});
    table->DeleteRows({Value::Int(7)}, {});
    EXPECT_TRUE(counting.Syncs.empty());
    EXPECT_TRUE(counting.Written.empty());

    // The other lists are whole in both orders, in this open and in a fresh one.
    auto check = [](Cursor& c) {
        std::map<std::int64_t, int> perNalog;
        std::string last;
        for (c.First(); c.OnRow(); c.Next()) {
            const Row& r = c.Read();
            ++perNalog[r[0].AsInt()];
            EXPECT_EQ(r[3].AsInt(), r[0].AsInt() * 1000 + r[1].AsInt());
            EXPECT_LE(last, r[2].AsText());
            last = r[2].AsText();
        }
        EXPECT_EQ(perNalog, (std::map<std::int64_t, int>{{1, 300}, {3, 300}}));
        c.SetIndex(-1);
        EXPECT_FALSE(c.FindKey({Value::Int(2)}));
        ASSERT_TRUE(c.FindKey({Value::Int(3), Value::Int(1)}));
        c.Prior();
        EXPECT_EQ(c.Read()[0].AsInt(), 1);
        EXPECT_EQ(c.Read()[1].AsInt(), 300);
    };
    check(*cursor);
    cursor.reset();
    table.reset();
    table = Table::Open(tmp.Path(), "LISTE.DB", OpenMode::Shared);
    cursor = table->OpenCursor();
    cursor->SetIndex(cursor->FindIndexByName("ByNaziv"));
    check(*cursor);

    // Both ends open: every row.
    table->DeleteRows({}, {});
    EXPECT_EQ(table->RecordCount(), 0);
}

} // namespace
