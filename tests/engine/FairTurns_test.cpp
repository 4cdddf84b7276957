// Two stations writing one table take turns: neither is starved, and a station killed while it waits for
// its turn leaves the turn to the others.
#include "engine/Engine.h"
#include "engine/FileLock.h"
#include "engine/TableImage.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

using namespace engine;

void CreateOrders(const fs::path& folder) {
    CreateTable(folder, "NARUDZBE.DB",
                {{"Code", FieldType::AutoInc, 0, false},
                 {"Stanica", FieldType::Short, 0, false},
                 {"Redni", FieldType::Long, 0, false},
                 {"Tekst", FieldType::Alpha, 40, false}});
    auto t = Table::Open(folder, "NARUDZBE.DB", OpenMode::Exclusive);
    t->AddIndex({"", "Code", true, true, false, false});
    t->AddIndex({"StanicaRedni", "Stanica;Redni", false, false, false, false});
}

// The orders the stations find, written in one go (station 0).
constexpr int Earlier = 20000;
void AddEarlierOrders(const fs::path& folder) {
    std::vector<Row> rows;
    for (int i = 0; i < Earlier; ++i)
        rows.push_back(
            {Value::Int(i + 1), Value::Int(0), Value::Int(i), Value::Text("ranija " + std::to_string(i))});
    Table::Open(folder, "NARUDZBE.DB", OpenMode::Shared)
        ->ReplaceRows({Value::Int(1)}, {Value::Int(Earlier)}, rows);
}

// A station as a user's desk works (folder, station number, rows): each insert followed by taking in the
// other's rows and reading an earlier row by its key, from a table read by block (so most reads read a
// block while the other station may be writing). Its exit code counts refused inserts (at most 100), 101
// when it failed otherwise (the failure on stderr).
PLOM_CHILD_ROLE(StationWithReads) {
    int refused = 0;
    SetReadByBlockFrom(0);
    try {
        auto t = Table::Open(args.at(0), "NARUDZBE.DB", OpenMode::Shared);
        auto c = t->OpenCursor();
        auto reader = t->OpenCursor();
        const int station = std::stoi(args.at(1));
        const int rows = std::stoi(args.at(2));
        for (int i = 0; i < rows; ++i) {
            try {
                c->Insert({Value(), Value::Int(station), Value::Int(i),
                           Value::Text("stavka " + std::to_string(i))});
            } catch (const TableBusy&) {
                ++refused;
            }
            t->Refresh();
            const int earlier =
                1 + static_cast<int>((static_cast<long long>(i) * 7919 + station * 4001) % Earlier);
            if (!reader->FindKey({Value::Int(earlier)}))
                throw Error("missing row " + std::to_string(earlier));
            reader->Read();
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 101;
    }
    return std::min(refused, 100);
}

// Both stations finish with every row in place; when the first is done the other has most of its rows in
// too (a starved station would have a handful).
TEST(FairTurns, TwoStationsWithReadsBetweenBothGetThrough) {
    testsupport::TempFolder tmp;
    CreateOrders(tmp.Path());
    AddEarlierOrders(tmp.Path());
    constexpr int PerStation = 1000;
    std::vector<std::unique_ptr<testsupport::ChildProcess>> stations;
    for (int s = 1; s <= 2; ++s)
        stations.push_back(testsupport::ChildProcess::Role(
            "StationWithReads", {tmp.Path().string(), std::to_string(s), std::to_string(PerStation)}));
    for (const auto& station : stations) {
        const auto status = station->Wait(std::chrono::minutes(10));
        ASSERT_TRUE(status && status->Exited) << station->Errors();
        EXPECT_EQ(status->Code, 0) << "refused inserts (101: the station failed)\n" << station->Errors();
    }

    auto t = Table::Open(tmp.Path(), "NARUDZBE.DB", OpenMode::Shared);
    ASSERT_EQ(t->RecordCount(), Earlier + 2 * PerStation);
    auto c = t->OpenCursor();
    // The stations' rows in the order they were written (the counter); where each wrote its last row.
    std::vector<int> writer;
    for (c->First(); c->OnRow(); c->Next())
        if (const int s = static_cast<int>(c->Read()[1].AsInt()); s != 0) writer.push_back(s);
    ASSERT_EQ(writer.size(), std::size_t{2 * PerStation});
    const auto lastOf = [&](int s) {
        return static_cast<std::size_t>(std::find(writer.rbegin(), writer.rend(), s) - writer.rbegin());
    };
    const int firstDone = lastOf(1) > lastOf(2) ? 1 : 2; // further from the end: finished first
    const std::size_t firstDoneAt = writer.size() - lastOf(firstDone);
    const auto otherBefore =
        std::count(writer.begin(), writer.begin() + static_cast<std::ptrdiff_t>(firstDoneAt), 3 - firstDone);
    EXPECT_GE(otherBefore, PerStation / 2) << "station " << 3 - firstDone << " was kept waiting";

    // Every station's rows are all there, each once.
    c->SetIndex(c->FindIndexByName("StanicaRedni"));
    for (int s = 1; s <= 2; ++s) {
        c->SetRange({Value::Int(s)}, {Value::Int(s)});
        std::int64_t expect = 0;
        for (c->First(); c->OnRow(); c->Next(), ++expect)
            ASSERT_EQ(c->Read()[2].AsInt(), expect) << "station " << s;
        EXPECT_EQ(expect, PerStation) << "station " << s;
    }
}

// A station that inserts one row when told ('i'), answering 'K' when it got through, 'B' when refused.
PLOM_CHILD_ROLE(InsertOnCommand) {
    auto t = Table::Open(args.at(0), "NARUDZBE.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    char cmd;
    while (::read(STDIN_FILENO, &cmd, 1) == 1) {
        char answer = 'K';
        try {
            c->Insert({Value(), Value::Int(9), Value::Int(0), Value::Text("na poziv")});
        } catch (const TableBusy&) {
            answer = 'B';
        }
        if (::write(STDOUT_FILENO, &answer, 1) != 1) break;
    }
    return 0;
}

// A station killed while it waits for its turn (the table is locked by another) holds the next turn no more:
// once the table is free, the other stations write at once.
TEST(FairTurns, AKilledWaiterLeavesTheTurnToTheOthers) {
    testsupport::TempFolder tmp;
    CreateOrders(tmp.Path());
    auto t = Table::Open(tmp.Path(), "NARUDZBE.DB", OpenMode::Shared);
    t->LockTable();
    auto waiter = testsupport::ChildProcess::Role("InsertOnCommand", {tmp.Path().string()});
    ASSERT_TRUE(waiter->Write("i"));
    // The waiter takes the next turn as it starts waiting.
    LockFile probe(tmp.Path() / "NARUDZBE.DB");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool turnHeld = false;
    while (!turnHeld && std::chrono::steady_clock::now() < until) {
        if (probe.TryLock(lockspace::Turn, 1, LockKind::Exclusive))
            probe.Unlock(lockspace::Turn, 1);
        else
            turnHeld = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(turnHeld) << "the waiting station did not take the next turn";
    waiter->Kill();

    t->UnlockTable();
    auto other = testsupport::ChildProcess::Role("InsertOnCommand", {tmp.Path().string()});
    ASSERT_TRUE(other->Write("i"));
    EXPECT_EQ(other->Read(1).value_or("?"), "K");
    auto c = t->OpenCursor();
    EXPECT_NO_THROW(c->Insert({Value(), Value::Int(1), Value::Int(0), Value::Text("naša")}));
    t->Refresh();
    EXPECT_EQ(t->RecordCount(), 2);
    // The next turn is free again.
    EXPECT_TRUE(probe.TryLock(lockspace::Turn, 1, LockKind::Exclusive));
}

} // namespace

namespace {

// A read that another station's writes spoiled is done again while the other stations start no new write;
// this station's own writes go on meanwhile, and the others' wait only until the read is done.
TEST(FairTurns, ARetriedReadHoldsTheOtherStationsWritesOff) {
    testsupport::TempFolder tmp;
    CreateOrders(tmp.Path());
    auto t = Table::Open(tmp.Path(), "NARUDZBE.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    auto other = testsupport::ChildProcess::Role("InsertOnCommand", {tmp.Path().string()});
    {
        const WritersHeldOff calm(tmp.Path() / "NARUDZBE.DB", 500);
        ASSERT_TRUE(other->Write("i"));
        EXPECT_FALSE(other->Read(1, std::chrono::milliseconds(300))) << "the other station wrote meanwhile";
        EXPECT_NO_THROW(c->Insert({Value(), Value::Int(1), Value::Int(0), Value::Text("naša")}));
    }
    EXPECT_EQ(other->Read(1).value_or("?"), "K");
    t->Refresh();
    EXPECT_EQ(t->RecordCount(), 2);
}

} // namespace
