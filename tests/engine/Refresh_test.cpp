// Two processes take turns writing one table: each catches up with the other's writes, most of them from
// the blocks the other wrote. After every turn this process's view, in every order, must hold exactly the
// rows the files hold, and its own writes must leave the files consistent.
#include "Consistency.h"
#include "engine/Engine.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <unistd.h>

namespace {

using namespace engine;

constexpr int KeySpace = 400;

std::string Memo(std::mt19937& rng) {
    // Mostly texts the record holds whole, some long enough for the memo file.
    const std::size_t n = rng() % 4 == 0 ? 200 + rng() % 3000 : rng() % 9;
    return std::string(n, static_cast<char>('a' + rng() % 26));
}

Row MakeRow(std::int64_t key, std::mt19937& rng) {
    const std::string name = std::string(rng() % 2 ? "Ab" : "aB") + std::to_string(rng() % 40);
    return {Value::Int(key), Value::Text(name), Value::Int(static_cast<std::int64_t>(rng() % 100000) + 1),
            Value::Text(Memo(rng))};
}

// Puts the cursor on some row (by key when keyed); false when the table has none there.
bool Seek(Cursor& c, bool keyed, std::mt19937& rng) {
    if (keyed) return c.FindKey({Value::Int(1 + rng() % KeySpace)});
    const std::int64_t n = c.RecordCount();
    if (n == 0) return false;
    c.First();
    c.MoveBy(static_cast<std::int64_t>(rng() % static_cast<unsigned>(n)));
    return c.OnRow();
}

void RandomWrite(Cursor& c, bool keyed, std::mt19937& rng) {
    const unsigned r = rng() % 10;
    try {
        if (r < 5) {
            c.Insert(MakeRow(1 + rng() % KeySpace, rng));
        } else if (!Seek(c, keyed, rng)) {
            return;
        } else if (r < 8) {
            Row row = MakeRow(c.Read()[0].AsInt(), rng);
            if (r == 7) row[0] = Value::Int(1 + rng() % KeySpace); // a new key moves the row
            c.Modify(row);
        } else {
            c.Delete();
        }
    } catch (const KeyViolation&) {
    }
}

// Writes a few rows (many for 'B') for each command byte on stdin, answering one byte when done.
PLOM_CHILD_ROLE(TurnWriter) {
    auto t = Table::Open(args.at(0), args.at(1), OpenMode::Shared);
    auto c = t->OpenCursor();
    std::mt19937 rng(static_cast<unsigned>(std::stoul(args.at(2))));
    const bool keyed = t->KeyFieldCount() > 0;
    char cmd = 0;
    while (::read(STDIN_FILENO, &cmd, 1) == 1) {
        const int n = cmd == 'B' ? 80 : 1 + static_cast<int>(rng() % 3);
        for (int i = 0; i < n; ++i)
            RandomWrite(*c, keyed, rng);
        if (::write(STDOUT_FILENO, "k", 1) != 1) return 3;
    }
    return 0;
}

std::string Signature(const Row& r) {
    return std::to_string(r[0].IsNull() ? 0 : r[0].AsInt()) + "|" + (r[1].IsNull() ? "" : r[1].AsText()) +
           "|" + std::to_string(r[2].IsNull() ? 0 : r[2].AsInt()) + "|" +
           (r[3].IsNull() ? "" : r[3].AsText());
}

std::string Upper(std::string s) {
    for (char& ch : s)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
}

// Compares this process's view with the rows in the files; "" when they agree.
std::string CompareWithFiles(const fs::path& folder, const std::string& name, Table& t, Cursor& byKey,
                             Cursor& byName) {
    std::multiset<std::string> files;
    for (const Row& r : SalvageTable(folder, name).Rows)
        files.insert(Signature(r));
    if (t.RecordCount() != static_cast<std::int64_t>(files.size())) return "record count";

    std::multiset<std::string> walked;
    std::int64_t lastKey = -1;
    for (byKey.First(); byKey.OnRow(); byKey.Next()) {
        const Row& r = byKey.Read();
        if (t.KeyFieldCount() > 0 && r[0].AsInt() <= lastKey) return "primary order";
        lastKey = r[0].AsInt();
        walked.insert(Signature(r));
    }
    if (walked != files) return "rows in the primary order";

    walked.clear();
    std::string lastName;
    for (byName.First(); byName.OnRow(); byName.Next()) {
        const Row& r = byName.Read();
        if (Upper(r[1].AsText()) < lastName) return "secondary order";
        lastName = Upper(r[1].AsText());
        walked.insert(Signature(r));
    }
    if (walked != files) return "rows in the secondary order";
    if (byName.RecordCount() != static_cast<std::int64_t>(files.size())) return "secondary count";

    // Every row is found again by each of its keys.
    for (const std::string& s : files) {
        const auto bar = s.find('|');
        const std::string id = s.substr(0, bar);
        const std::string rowName = s.substr(bar + 1, s.find('|', bar + 1) - bar - 1);
        if (!byName.FindKey({Value::Text(Upper(rowName))})) return "search by name " + rowName;
        if (t.KeyFieldCount() > 0 &&
            (!byKey.FindKey({Value::Int(std::stoll(id))}) || Signature(byKey.Read()) != s))
            return "search by key " + id;
    }
    return "";
}

TEST(CrossProcessRefresh, EachSideSeesExactlyWhatTheFilesHoldAfterEveryTurn) {
    for (const bool keyed : {true, false}) {
        SCOPED_TRACE(keyed ? "keyed" : "unkeyed");
        testsupport::TempFolder tmp;
        const std::string name = "TURN.DB";
        CreateTable(tmp.Path(), name,
                    {{"Id", FieldType::Long, 0, false},
                     {"Name", FieldType::Alpha, 20, false},
                     {"Qty", FieldType::Long, 0, false},
                     {"Note", FieldType::Memo, 10, false}});
        {
            auto t = Table::Open(tmp.Path(), name, OpenMode::Exclusive);
            if (keyed) t->AddIndex({"", "Id", true, true, false, false});
            t->AddIndex({"ByName", "Name", false, false, true, false});
        }
        auto t = Table::Open(tmp.Path(), name, OpenMode::Shared);
        auto byKey = t->OpenCursor();
        auto byName = t->OpenCursor();
        byName->SetIndex(byName->FindIndexByName("ByName"));
        std::mt19937 rng(keyed ? 11 : 12);
        // Enough rows for many blocks, so splits and emptied blocks happen on both sides.
        for (int i = 0; i < 150; ++i)
            RandomWrite(*byKey, keyed, rng);

        auto child = testsupport::ChildProcess::Role("TurnWriter", {tmp.Path().string(), name, "5"});
        for (int round = 0; round < 60; ++round) {
            ASSERT_TRUE(child->Write(round % 20 == 19 ? "B" : "s"));
            ASSERT_TRUE(child->Read(1)) << child->Errors();
            t->Refresh();
            ASSERT_EQ(CompareWithFiles(tmp.Path(), name, *t, *byKey, *byName), "") << "round " << round;
            if (round % 3 == 0) {
                for (int i = 0; i < 3; ++i)
                    RandomWrite(*byKey, keyed, rng);
                ASSERT_EQ(enginetest::CheckConsistency(tmp.Path(), name), "") << "round " << round;
            }
        }
        child->CloseInput();
        ASSERT_TRUE(child->Wait()->Success()) << child->Errors();
        ASSERT_EQ(CompareWithFiles(tmp.Path(), name, *t, *byKey, *byName), "");
    }
}

} // namespace
