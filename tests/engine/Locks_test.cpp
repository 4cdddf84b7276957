// Two real processes on one table: shared and exclusive opens, table and record locks, and change detection.
#include "engine/Engine.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace engine;

// Another process that runs one command at a time and answers with a status byte.
class Other {
public:
    explicit Other(std::function<char(char)> run) {
        int down[2], up[2];
        if (::pipe(down) != 0 || ::pipe(up) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(down[1]);
            ::close(up[0]);
            char cmd;
            while (::read(down[0], &cmd, 1) == 1) {
                char answer = 'E';
                try {
                    answer = run(cmd);
                } catch (const TableBusy&) {
                    answer = 'B';
                } catch (const RecordLocked&) {
                    answer = 'L';
                } catch (...) {
                    answer = 'X';
                }
                if (::write(up[1], &answer, 1) != 1) break;
            }
            _exit(0);
        }
        ::close(down[0]);
        ::close(up[1]);
        to_ = down[1];
        from_ = up[0];
    }
    ~Other() {
        ::close(to_);
        ::close(from_);
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    char Do(char cmd) {
        char answer = '?';
        if (::write(to_, &cmd, 1) != 1 || ::read(from_, &answer, 1) != 1) return '?';
        return answer;
    }
    void Kill() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }

private:
    pid_t pid_ = -1;
    int to_ = -1, from_ = -1;
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

    // The other process's commands: o/x open shared/exclusive, c close, l/u lock/unlock table,
    // r lock record 5, i insert a row, m modify row 5, d delete row 7.
    std::function<char(char)> Commands() {
        return [this](char cmd) {
            switch (cmd) {
            case 'o':
                table = Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Shared);
                break;
            case 'x':
                table = Table::Open(tmp.Path(), "PARTNER.DB", OpenMode::Exclusive);
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
        };
    }

    testsupport::TempFolder tmp;
    std::unique_ptr<Table> table;
    std::unique_ptr<Cursor> cursor;
};

TEST_F(LocksTest, SharedAndExclusiveOpensAcrossProcesses) {
    Other other(Commands());
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
    Other other(Commands());
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

// A cursor may outlive its table; the table's locks end when the table closes, here and in other processes.
TEST_F(LocksTest, ACursorThatOutlivesItsTableHoldsNoLock) {
    Other other(Commands());
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

    Other other(Commands());
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
    std::vector<pid_t> writers;
    for (int w = 1; w <= 2; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int code = 0;
            try {
                auto t = Table::Open(tmp.Path(), "STAVKE.DB", OpenMode::Shared);
                auto c = t->OpenCursor();
                for (int i = 0; i < PerWriter; ++i)
                    c->Insert({Value(), Value::Int(w), Value::Text("red " + std::to_string(i))});
            } catch (...) {
                code = 1;
            }
            _exit(code);
        }
        writers.push_back(pid);
    }
    auto t = Table::Open(tmp.Path(), "STAVKE.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    bool done = false;
    while (!done) {
        done = true;
        for (pid_t pid : writers) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == 0) done = false;
        }
        t->Refresh();
        std::int64_t n = 0;
        for (c->First(); c->OnRow(); c->Next())
            ++n;
        ASSERT_EQ(n, t->RecordCount());
    }
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

// Two processes insert 20,000 rows each into one table: writers take turns, so none is ever refused and their
// rows interleave.
TEST(ConcurrentWriters, TwoProcessesTakeTurnsWithoutRefusals) {
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "NALOZI.DB",
                {{"Code", FieldType::AutoInc, 0, false},
                 {"Pisac", FieldType::Short, 0, false},
                 {"Tekst", FieldType::Alpha, 40, false}});
    Table::Open(tmp.Path(), "NALOZI.DB", OpenMode::Exclusive)
        ->AddIndex({"", "Code", true, true, false, false});
    constexpr int PerWriter = 20000;
    std::vector<pid_t> writers;
    for (int w = 1; w <= 2; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int refused = 0;
            try {
                auto t = Table::Open(tmp.Path(), "NALOZI.DB", OpenMode::Shared);
                auto c = t->OpenCursor();
                for (int i = 0; i < PerWriter; ++i) {
                    try {
                        c->Insert({Value(), Value::Int(w), Value::Text("stavka " + std::to_string(i))});
                    } catch (const TableBusy&) {
                        ++refused;
                    }
                }
            } catch (...) {
                _exit(101);
            }
            _exit(std::min(refused, 100));
        }
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "refused inserts (101: the writer failed)";
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
