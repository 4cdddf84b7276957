// Two real processes on one table: shared and exclusive opens, table and record locks, and change detection.
#include "engine/Engine.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

namespace {

using namespace engine;

// The other process's commands: o/x open shared/exclusive, c close, l/u lock/unlock table,
// r lock record 5, n unlock it, i insert a row, m modify row 5, d delete row 7, e delete row 5. It reads one
// command byte at a time from stdin and answers each with a status byte on stdout.
char RunCommand(const fs::path& folder, char cmd, std::unique_ptr<Table>& table,
                std::unique_ptr<Cursor>& cursor) {
    switch (cmd) {
    case 'o':
        table = Table::Open(folder, "PARTNER.DB", OpenMode::Shared);
        break;
    case 'x':
        table = Table::Open(folder, "PARTNER.DB", OpenMode::Exclusive);
        break;
    case 'c':
        cursor.reset(), table.reset();
        break;
    case 'l':
        table->LockTable();
        break;
    case 'u':
        table->UnlockTable();
        break;
    case 'r':
        cursor = table->OpenCursor();
        if (!cursor->FindKey({Value::Int(5)})) return 'N';
        cursor->LockRecord();
        break;
    case 'n':
        cursor->UnlockRecord();
        break;
    case 'e': {
        auto c = table->OpenCursor();
        if (!c->FindKey({Value::Int(5)})) return 'N';
        c->Delete();
        break;
    }
    case 'i':
        table->OpenCursor()->Insert({Value(), Value::Text("drugi")});
        break;
    case 'd': {
        auto c = table->OpenCursor();
        if (!c->FindKey({Value::Int(7)})) return 'N';
        c->Delete();
        break;
    }
    case 'm': {
        auto c = table->OpenCursor();
        if (!c->FindKey({Value::Int(5)})) return 'N';
        c->Modify({Value::Int(5), Value::Text("izmijenjen")});
        break;
    }
    default:
        return '?';
    }
    return 'K';
}

PLOM_CHILD_ROLE(LocksOther) {
    const fs::path folder = args.at(0);
    std::unique_ptr<Table> table;
    std::unique_ptr<Cursor> cursor;
    char cmd;
    while (::read(STDIN_FILENO, &cmd, 1) == 1) {
        char answer = 'E';
        try {
            answer = RunCommand(folder, cmd, table, cursor);
        } catch (const TableBusy&) {
            answer = 'B';
        } catch (const RecordLocked&) {
            answer = 'L';
        } catch (...) {
            answer = 'X';
        }
        if (::write(STDOUT_FILENO, &answer, 1) != 1) break;
    }
    return 0;
}

// Another process on the test's table that runs one command at a time.
class Other {
public:
    explicit Other(const fs::path& folder)
        : child_(testsupport::ChildProcess::Role("LocksOther", {folder.string()})) {}
    char Do(char cmd) {
        if (!child_->Write(std::string(1, cmd))) return '?';
        return child_->Read(1).value_or("?")[0];
    }
    void Kill() { child_->Kill(); }

private:
    std::unique_ptr<testsupport::ChildProcess> child_;
};

class LocksTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateTable(tmp.Path(), "PARTNER.DB",
                    {{"Code", FieldType::AutoInc, 0, false}, {"Naziv", FieldType::Alpha, 30, false}});
        auto t = Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Exclusive);
        t->AddIndex({"", "Code", true, true, false, false});
        auto c = t->OpenCursor();
        for (int i = 0; i < 10; ++i)
            c->Insert({Value(), Value::Text("P" + std::to_string(i))});
    }

    testsupport::TempFolder tmp;
};

TEST_F(LocksTest, SharedAndExclusiveOpensAcrossProcesses) {
    Other other(tmp.Path());
    ASSERT_EQ(other.Do('o'), 'K');
    EXPECT_THROW(Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Exclusive), TableBusy);
    EXPECT_NO_THROW(Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Shared));
    EXPECT_THROW(DeleteTable(tmp.Path(), "PARTNER.DB"), TableBusy);
    ASSERT_EQ(other.Do('c'), 'K');
    ASSERT_EQ(other.Do('x'), 'K');
    try {
        Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Shared);
        FAIL() << "opened a table another process holds exclusively";
    } catch (const TableBusy& e) {
        EXPECT_STREQ(e.what(), "Tablica PARTNER.DB je zauzeta");
    }
    // The lock goes with the process.
    other.Kill();
    EXPECT_NO_THROW(Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Exclusive));
}

TEST_F(LocksTest, ExclusiveHoldsInsideTheProcessToo) {
    auto a = Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Exclusive);
    EXPECT_THROW(Table::Open(tmp.Path(), "partner", OpenMode::Shared), TableBusy);
    a.reset();
    auto b = Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Shared);
    EXPECT_THROW(Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Exclusive), TableBusy);
}

TEST_F(LocksTest, TableLockAndRecordLocksAcrossProcesses) {
    Other other(tmp.Path());
    ASSERT_EQ(other.Do('o'), 'K');
    auto t = Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Shared);
    auto c = t->OpenCursor();

    ASSERT_EQ(other.Do('r'), 'K');
    ASSERT_TRUE(c->FindKey({Value::Int(5)}));
    try {
        c->LockRecord();
        FAIL() << "locked a record another process holds";
    } catch (const RecordLocked& e) {
        EXPECT_STREQ(e.what(), "Slog je zaključan (PARTNER.DB)");
    }
    ASSERT_TRUE(c->FindKey({Value::Int(6)}));
    EXPECT_NO_THROW(c->LockRecord());
    c->UnlockRecord();

    ASSERT_EQ(other.Do('l'), 'K');
    EXPECT_THROW(c->Insert({Value(), Value::Text("blokiran")}), TableBusy);
    EXPECT_EQ(t->RecordCount(), 10);
    ASSERT_EQ(other.Do('u'), 'K');
    EXPECT_NO_THROW(c->Insert({Value(), Value::Text("slobodan")}));

    // Our table lock stops the other process's writes.
    t->LockTable();
    EXPECT_EQ(other.Do('i'), 'B');
    t->UnlockTable();
    EXPECT_EQ(other.Do('i'), 'K');
}

// A record held for an edit by another open cannot be deleted under it: not from this process, not from
// another one; once the holder lets go, the delete goes through.
TEST_F(LocksTest, ADeleteWaitsForTheRecordLockOfAnotherOpen) {
    auto t = Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    {
        auto holder = Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Shared);
        auto edit = holder->OpenCursor();
        ASSERT_TRUE(edit->FindKey({Value::Int(3)}));
        edit->LockRecord();
        ASSERT_TRUE(c->FindKey({Value::Int(3)}));
        try {
            c->Delete();
            FAIL() << "deleted a record another open holds";
        } catch (const RecordLocked& e) {
            EXPECT_STREQ(e.what(), "Slog je zaključan (PARTNER.DB)");
        }
        EXPECT_EQ(t->RecordCount(), 10);
        // The holder's post still finds its row.
        EXPECT_NO_THROW(edit->Modify({Value::Int(3), Value::Text("uređen")}));
        edit->UnlockRecord();
    }
    ASSERT_TRUE(c->FindKey({Value::Int(3)}));
    EXPECT_NO_THROW(c->Delete());
    EXPECT_FALSE(c->FindKey({Value::Int(3)}));
    // A cursor's own lock does not stand in its way, and goes with the row.
    ASSERT_TRUE(c->FindKey({Value::Int(4)}));
    c->LockRecord();
    EXPECT_NO_THROW(c->Delete());

    Other station(tmp.Path());
    ASSERT_EQ(station.Do('o'), 'K');
    ASSERT_EQ(station.Do('r'), 'K');
    ASSERT_TRUE(c->FindKey({Value::Int(5)}));
    EXPECT_THROW(c->Delete(), RecordLocked);
    ASSERT_EQ(station.Do('n'), 'K');
    EXPECT_NO_THROW(c->Delete());
    // Nor can the other process delete the row our cursor holds.
    ASSERT_TRUE(c->FindKey({Value::Int(7)}));
    c->LockRecord();
    EXPECT_EQ(station.Do('d'), 'L');
    c->UnlockRecord();
    EXPECT_EQ(station.Do('d'), 'K');
    t->Refresh();
    EXPECT_EQ(t->RecordCount(), 6);
}

// A cursor may outlive its table; the table's locks end when the table closes, here and in other processes.
TEST_F(LocksTest, ACursorThatOutlivesItsTableHoldsNoLock) {
    Other other(tmp.Path());
    auto t = Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Exclusive);
    auto c = t->OpenCursor();
    ASSERT_TRUE(c->FindKey({Value::Int(5)}));
    c->LockRecord();
    t->LockTable();
    EXPECT_EQ(other.Do('o'), 'B');
    t.reset();
    EXPECT_THROW(c->Insert({Value(), Value::Text("bez tablice")}), Error);
    ASSERT_EQ(other.Do('x'), 'K');
    ASSERT_EQ(other.Do('r'), 'K');
    ASSERT_EQ(other.Do('l'), 'K');
    ASSERT_EQ(other.Do('c'), 'K');
    EXPECT_NO_THROW(Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Exclusive));
    c.reset();
}

TEST_F(LocksTest, RefreshShowsAnotherProcesssChanges) {
    auto t = Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    ASSERT_TRUE(c->FindKey({Value::Int(7)}));
    const Bookmark mark = c->GetBookmark();
    EXPECT_FALSE(t->Refresh());

    Other other(tmp.Path());
    ASSERT_EQ(other.Do('o'), 'K');
    ASSERT_EQ(other.Do('i'), 'K');
    ASSERT_EQ(other.Do('m'), 'K');
    EXPECT_EQ(t->RecordCount(), 10); // not yet seen
    EXPECT_TRUE(t->Refresh());
    EXPECT_EQ(t->RecordCount(), 11);
    EXPECT_EQ(t->LastAutoIncValue(), 11);
    EXPECT_FALSE(t->Refresh());
    // The cursor stays on its row, and bookmarks still name their rows.
    EXPECT_EQ(c->Read()[0].AsInt(), 7);
    ASSERT_TRUE(c->FindKey({Value::Int(5)}));
    EXPECT_EQ(c->Read()[1].AsText(), "izmijenjen");
    ASSERT_TRUE(c->GotoBookmark(mark));
    EXPECT_EQ(c->Read()[0].AsInt(), 7);

    // The other deletes the row we stand on: after the refresh we stand on the row that took its place.
    ASSERT_EQ(other.Do('d'), 'K');
    EXPECT_TRUE(t->Refresh());
    ASSERT_TRUE(c->OnRow());
    EXPECT_EQ(c->Read()[0].AsInt(), 8);
    EXPECT_FALSE(c->GotoBookmark(mark));

    // A write of ours first takes in the other's change: the counter goes on from its value.
    ASSERT_EQ(other.Do('i'), 'K');
    c->Insert({Value(), Value::Text("naš")});
    EXPECT_EQ(c->Read()[0].AsInt(), 13);
    EXPECT_EQ(t->RecordCount(), 12);
}

} // namespace

namespace {

// One of the concurrent writers: inserts its rows (folder, writer number, row count) into "STAVKE.DB".
PLOM_CHILD_ROLE(InsertingWriter) {
    auto t = Table::Open(args.at(0), "STAVKE.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    const int w = std::stoi(args.at(1));
    for (int i = 0; i < std::stoi(args.at(2)); ++i)
        c->Insert({Value(), Value::Int(w), Value::Text("red " + std::to_string(i))});
    return 0;
}

// Two processes insert into one table at once while this one keeps refreshing and reading: every row arrives
// once, the counter hands out every value once, and no read ever sees a half-written table.
TEST(ConcurrentWriters, TwoProcessesInsertWhileAThirdReads) {
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "STAVKE.DB",
                {{"Code", FieldType::AutoInc, 0, false},
                 {"Pisac", FieldType::Short, 0, false},
                 {"Tekst", FieldType::Alpha, 40, false}});
    {
        auto t = Table::Open(tmp.Path(), "STAVKE.DB", OpenMode::Exclusive);
        t->AddIndex({"", "Code", true, true, false, false});
        t->AddIndex({"PisacTekst", "Pisac;Tekst", false, false, true, false});
    }
    constexpr int PerWriter = 150;
    std::vector<std::unique_ptr<testsupport::ChildProcess>> writers;
    for (int w = 1; w <= 2; ++w)
        writers.push_back(testsupport::ChildProcess::Role(
            "InsertingWriter", {tmp.Path().string(), std::to_string(w), std::to_string(PerWriter)}));
    auto t = Table::Open(tmp.Path(), "STAVKE.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    bool done = false;
    while (!done) {
        done = true;
        for (const auto& writer : writers)
            if (!writer->Poll()) done = false;
        t->Refresh();
        std::int64_t n = 0;
        for (c->First(); c->OnRow(); c->Next())
            ++n;
        ASSERT_EQ(n, t->RecordCount());
    }
    for (const auto& writer : writers)
        EXPECT_TRUE(writer->Poll()->Success()) << writer->Errors();
    t->Refresh();
    EXPECT_EQ(t->RecordCount(), 2 * PerWriter);
    EXPECT_EQ(t->LastAutoIncValue(), 2 * PerWriter);
    std::int64_t expect = 1;
    for (c->First(); c->OnRow(); c->Next(), ++expect)
        EXPECT_EQ(c->Read()[0].AsInt(), expect);
    c->SetIndex(c->FindIndexByName("PisacTekst"));
    c->SetRange({Value::Int(2)}, {Value::Int(2)});
    EXPECT_EQ(c->RecordCount(), PerWriter);
}

} // namespace

namespace {

// One of the turn-taking writers (folder, writer number, row count): its exit code counts its refused
// inserts (at most 100), 101 when it failed.
PLOM_CHILD_ROLE(TurnTakingWriter) {
    int refused = 0;
    try {
        auto t = Table::Open(args.at(0), "NALOZI.DB", OpenMode::Shared);
        auto c = t->OpenCursor();
        const int w = std::stoi(args.at(1));
        for (int i = 0; i < std::stoi(args.at(2)); ++i) {
            try {
                c->Insert({Value(), Value::Int(w), Value::Text("stavka " + std::to_string(i))});
            } catch (const TableBusy&) {
                ++refused;
            }
        }
    } catch (...) {
        return 101;
    }
    return std::min(refused, 100);
}

// Two processes insert 5,000 rows each into one table: writers take turns, so none is ever refused and their
// rows interleave.
TEST(ConcurrentWriters, TwoProcessesTakeTurnsWithoutRefusals) {
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "NALOZI.DB",
                {{"Code", FieldType::AutoInc, 0, false},
                 {"Pisac", FieldType::Short, 0, false},
                 {"Tekst", FieldType::Alpha, 40, false}});
    Table::Open(tmp.Path(), "NALOZI.DB", OpenMode::Exclusive)
        ->AddIndex({"", "Code", true, true, false, false});
    constexpr int PerWriter = 5000;
    std::vector<std::unique_ptr<testsupport::ChildProcess>> writers;
    for (int w = 1; w <= 2; ++w)
        writers.push_back(testsupport::ChildProcess::Role(
            "TurnTakingWriter", {tmp.Path().string(), std::to_string(w), std::to_string(PerWriter)}));
    for (const auto& writer : writers) {
        const auto status = writer->Wait(std::chrono::minutes(5));
        ASSERT_TRUE(status && status->Exited) << writer->Errors();
        EXPECT_EQ(status->Code, 0) << "refused inserts (101: the writer failed)";
    }
    auto t = Table::Open(tmp.Path(), "NALOZI.DB", OpenMode::Shared);
    EXPECT_EQ(t->RecordCount(), 2 * PerWriter);
    auto c = t->OpenCursor();
    std::int64_t expect = 1, turns = 0, previous = 0;
    for (c->First(); c->OnRow(); c->Next(), ++expect) {
        const Row& r = c->Read();
        ASSERT_EQ(r[0].AsInt(), expect);
        if (r[1].AsInt() != previous) ++turns;
        previous = r[1].AsInt();
    }
    EXPECT_EQ(expect, 2 * PerWriter + 1);
    EXPECT_GE(turns, 4) << "the writers did not take turns";
}

} // namespace
