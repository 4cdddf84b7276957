// A cursor step that finds the table changed by another station is done again on a fresh look. A write is
// done once all the same: when the other station writes after this one's write went through, while the cursor
// is being placed on its row (a block read for the order by name), the row is in once, the edit stays as the
// other station left it after it, and a delete takes out one row.
#include "base/FileSystem.h"
#include "Consistency.h"
#include "engine/Engine.h"
#include "engine/FileLock.h"
#include "engine/TableImage.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

using namespace engine;

const char* const Name = "NALOZI.DB";
constexpr int Rows = 3000; // about 60 blocks

std::string NameOf(int code) {
    std::string digits = std::to_string(code);
    return "Nalog " + std::string(5 - digits.size(), '0') + digits; // the order by name is the order by code
}

Row MakeRow(int code, const std::string& name, int quantity) {
    return {code > 0 ? Value::Int(code) : Value(), Value::Text(name), Value::Int(quantity)};
}

void Fill(const fs::path& folder) {
    base::SetDiskSync(false);
    CreateTable(folder, Name,
                {{"Code", FieldType::AutoInc, 0, false},
                 {"Naziv", FieldType::Alpha, 30, false},
                 {"Kolicina", FieldType::Long, 0, false}});
    auto t = Table::Open(folder, Name, OpenMode::Exclusive);
    t->AddIndex({"", "Code", true, true, false, false});
    t->AddIndex({"_Naziv", "Naziv", false, false, true, false});
    std::vector<Row> rows;
    for (int i = 1; i <= Rows; ++i)
        rows.push_back(MakeRow(i, NameOf(i), i));
    t->ReplaceRows({Value::Int(1)}, {Value::Int(Rows)}, rows);
}

// The other station. Each argument after the folder is one write: "+NAME" inserts a row of that name (the
// counter gives its code), "=CODE:QTY" gives row CODE that quantity, "*FROM:COUNT" gives COUNT rows from
// FROM on the quantity 7, each in a write of its own.
PLOM_CHILD_ROLE(CursorRetryStation) {
    base::SetDiskSync(false);
    auto t = Table::Open(args.at(0), Name, OpenMode::Shared);
    auto c = t->OpenCursor();
    auto setQuantity = [&](int code, int quantity) {
        if (!c->FindKey({Value::Int(code)})) return false;
        c->Modify(MakeRow(code, c->Read()[1].AsText(), quantity));
        return true;
    };
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const std::string rest = a.substr(1);
        const std::size_t colon = rest.find(':');
        if (a[0] == '+') {
            c->Insert(MakeRow(0, rest, 1));
        } else if (a[0] == '=') {
            if (!setQuantity(std::stoi(rest.substr(0, colon)), std::stoi(rest.substr(colon + 1)))) return 3;
        } else if (a[0] == '*') {
            const int from = std::stoi(rest.substr(0, colon));
            for (int k = 0; k < std::stoi(rest.substr(colon + 1)); ++k)
                if (!setQuantity(from + k, 7)) return 3;
        }
    }
    return 0;
}

void OtherStationWrites(const fs::path& folder, const std::vector<std::string>& writes) {
    std::vector<std::string> args = {folder.string()};
    args.insert(args.end(), writes.begin(), writes.end());
    auto other = testsupport::ChildProcess::Role("CursorRetryStation", args);
    const auto end = other->Wait(std::chrono::seconds(60));
    ASSERT_TRUE(end && end->Success()) << (end ? end->Describe() : "still running") << other->Errors();
}

// The file layer under this process: once armed, each of the next reads of the table's .DB first runs one
// of the steps (the other station's write), in their order. A step armed for after a write waits for a read
// after a write went through (a sync was made and the write lock is free again).
class OtherStationBetween : public base::FileSystem {
public:
    explicit OtherStationBetween(fs::path db) : db_(std::move(db)) {}

    void Arm(std::vector<std::function<void()>> steps, bool afterWrite = true) {
        steps_ = std::move(steps);
        afterWrite_ = afterWrite;
        syncs_ = 0;
        fired_ = 0;
    }
    int Fired() const { return fired_; }

    ssize_t PRead(int fd, void* data, size_t len, off_t offset) override {
        if (fired_ < static_cast<int>(steps_.size()) && (!afterWrite_ || syncs_ > 0) && IsDb(fd) &&
            WriteLockFree())
            steps_[static_cast<std::size_t>(fired_++)]();
        return base::FileSystem::PRead(fd, data, len, offset);
    }
    int Sync(int fd) override {
        ++syncs_;
        return base::FileSystem::Sync(fd);
    }
    int SyncData(int fd) override {
        ++syncs_;
        return base::FileSystem::SyncData(fd);
    }

private:
    bool WriteLockFree() const {
        LockFile probe(db_);
        if (!probe.TryLock(lockspace::Write, 2, LockKind::Exclusive)) return false;
        probe.Unlock(lockspace::Write, 2);
        return true;
    }
    bool IsDb(int fd) const {
        struct stat a {
        }, b{};
        return ::fstat(fd, &a) == 0 && ::stat(db_.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
               a.st_ino == b.st_ino;
    }

    fs::path db_;
    std::vector<std::function<void()>> steps_;
    bool afterWrite_ = true;
    int syncs_ = 0;
    int fired_ = 0;
};

class CursorRetry : public ::testing::Test {
protected:
    void SetUp() override {
        Fill(tmp.Path());
        SetReadByBlockFrom(0); // large: read by block, so a block read finds the other station's write
    }
    void TearDown() override {
        SetReadByBlockFrom(byBlockFrom);
        base::SetDiskSync(true);
    }

    // The rows the files hold now, by a fresh look at them.
    std::vector<Row> RowsNow(Table& t) {
        t.Refresh();
        std::vector<Row> rows;
        auto c = t.OpenCursor();
        for (c->First(); c->OnRow(); c->Next())
            rows.push_back(c->Read());
        return rows;
    }
    static int CountNamed(const std::vector<Row>& rows, const std::string& name) {
        int n = 0;
        for (const Row& r : rows)
            n += r[1].AsText() == name ? 1 : 0;
        return n;
    }

    const std::uint64_t byBlockFrom = ReadByBlockFrom();
    testsupport::TempFolder tmp;
    OtherStationBetween files{tmp.Path() / Name};
};

// The cursor is on the order by name, not made yet: placing it on the new row reads the table along.
TEST_F(CursorRetry, AnInsertGoesInOnceWhenAnotherStationWritesWhileTheCursorIsPlaced) {
    const base::ScopedFileSystem seam(files);
    auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
    auto c = t->OpenCursor();
    c->SetIndex(c->FindIndexByName("_Naziv"));
    files.Arm({[&] { OtherStationWrites(tmp.Path(), {"+Druga stanica"}); }});

    ASSERT_NO_THROW(c->Insert(MakeRow(0, "Nova", 5)));
    ASSERT_EQ(files.Fired(), 1);
    ASSERT_TRUE(c->OnRow());
    EXPECT_EQ(c->Read()[1].AsText(), "Nova");
    EXPECT_EQ(c->Read()[0].AsInt(), Rows + 1);

    const auto rows = RowsNow(*t);
    EXPECT_EQ(rows.size(), static_cast<std::size_t>(Rows + 2));
    EXPECT_EQ(CountNamed(rows, "Nova"), 1);
    EXPECT_EQ(CountNamed(rows, "Druga stanica"), 1);
    EXPECT_EQ(t->LastAutoIncValue(), Rows + 2);
    t.reset();
    EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), Name), "");
}

// The table changes again while the cursor is placed anew (a third station waiting for its turn keeps the
// writers from being held off): the insert that went through is not reported as failed, and the cursor finds
// its row at its next step.
TEST_F(CursorRetry, AnInsertIsNotReportedAsFailedWhenTheCursorCannotBePlacedAtOnce) {
    const base::ScopedFileSystem seam(files);
    auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
    auto c = t->OpenCursor();
    c->SetIndex(c->FindIndexByName("_Naziv"));
    const fs::path db = tmp.Path() / Name;
    files.Arm({[&] { OtherStationWrites(tmp.Path(), {"+Druga stanica"}); },
               [&] { fs::last_write_time(db, fs::last_write_time(db) + std::chrono::seconds(1)); }});

    ASSERT_NO_THROW(c->Insert(MakeRow(0, "Nova", 5)));
    ASSERT_EQ(files.Fired(), 2);
    ASSERT_TRUE(c->OnRow());
    EXPECT_EQ(c->Read()[1].AsText(), "Nova");
    EXPECT_FALSE(c->Next()); // the last by name
    c->Last();
    ASSERT_TRUE(c->Prior());
    EXPECT_EQ(c->Read()[1].AsText(), NameOf(Rows));
    const auto rows = RowsNow(*t);
    EXPECT_EQ(rows.size(), static_cast<std::size_t>(Rows + 2));
    EXPECT_EQ(CountNamed(rows, "Nova"), 1);
}

// The cursor stands on a row of the order by name: finding the next row in that order once its row is gone
// reads blocks.
TEST_F(CursorRetry, ADeleteTakesOutOneRowWhenAnotherStationWritesWhileTheCursorMovesOn) {
    const base::ScopedFileSystem seam(files);
    auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
    auto c = t->OpenCursor();
    c->SetIndex(c->FindIndexByName("_Naziv"));
    ASSERT_TRUE(c->FindKey({Value::Text(NameOf(1500))}));
    files.Arm({[&] { OtherStationWrites(tmp.Path(), {"=2900:77"}); }});

    ASSERT_NO_THROW(c->Delete());
    ASSERT_EQ(files.Fired(), 1);
    ASSERT_TRUE(c->OnRow());
    EXPECT_EQ(c->Read()[0].AsInt(), 1501);

    const auto rows = RowsNow(*t);
    EXPECT_EQ(rows.size(), static_cast<std::size_t>(Rows - 1));
    EXPECT_EQ(CountNamed(rows, NameOf(1500)), 0);
    EXPECT_EQ(CountNamed(rows, NameOf(1501)), 1);
    ASSERT_TRUE(c->FindKey({Value::Text(NameOf(2900))}));
    EXPECT_EQ(c->Read()[2].AsInt(), 77);
    t.reset();
    EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), Name), "");
}

// A move over many rows that finds the table changed on a block read, and changed again while the step is
// done anew (a third station waiting for its turn keeps the writers from being held off): the move goes on
// from where it got to and counts every row it passed.
TEST_F(CursorRetry, AMoveThatIsDoneAgainCountsEveryRow) {
    struct SmallCache { // no read-ahead: a block read at a time
        SmallCache() { SetBlockCacheBytes(3 * 2048); }
        ~SmallCache() { SetBlockCacheBytes(old); }
        std::uint64_t old = BlockCacheBytes();
    } cache;
    const base::ScopedFileSystem seam(files);
    auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
    auto c = t->OpenCursor();
    c->First();
    const fs::path db = tmp.Path() / Name;
    files.Arm({[&] { OtherStationWrites(tmp.Path(), {"=2900:77"}); },
               [&] { fs::last_write_time(db, fs::last_write_time(db) + std::chrono::seconds(1)); }},
              false);

    EXPECT_EQ(c->MoveBy(200), 200);
    EXPECT_EQ(files.Fired(), 2);
    EXPECT_EQ(c->Read()[0].AsInt(), 201);
    EXPECT_EQ(c->MoveBy(-150), 150);
    EXPECT_EQ(c->Read()[0].AsInt(), 51);
}

} // namespace
