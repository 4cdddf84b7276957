// Two program processes on one data folder: the test starts a second process of this test program (one of
// the station roles below) and both work on the same "OPEN.DB" registers through the real table engine and
// its file locks.

#include "app/data/OpenDbRegister.h"

#include "app/data/DataSetServices.h"
#include "base/Files.h"
#include "tests/app/data/ServicesFixture.h"
#include "tests/support/ChildProcess.h"

#include <gmock/gmock.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

using namespace app;
using apptest::ServicesTest;
namespace fs = std::filesystem;

namespace {

class StationTest : public ServicesTest {
protected:
    StationTest() {
        CreateOpenDbTables();
        wingl.SetDatabaseName("Lokal");
        wingl.SetTableName("WINGL.DB");
    }
    // Starts the station role of that name as a second process on this test's folder.
    std::unique_ptr<testsupport::ChildProcess> Start(const std::string& station) {
        return testsupport::ChildProcess::Role(station, {}, {{"PLOM_SERVICES_FOLDER", root.string()}});
    }
    // The second process's end: its exit code, or 128 + the signal that killed it.
    static int Wait(testsupport::ChildProcess& other) {
        const auto status = other.Wait();
        if (!status) return -1;
        return status->Exited ? status->Code : 128 + status->Signal;
    }
    void Signal(const std::string& name) { std::ofstream(root / name) << name; }
    // Waits for the other process's signal file (at most ten seconds, so a broken peer cannot hang the run).
    bool WaitFor(const std::string& name) {
        for (int i = 0; i < 1000; ++i) {
            if (fs::exists(root / name)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    bool Has(const std::string& file) { return base::FindFile(root / "lokal", file).has_value(); }

    TMyTableX wingl;
};

// ------------------------------------------------------------------------------------------- second station

// The station's fixture in the second process.
class Station : public StationTest {
public:
    void TestBody() override {}
    using StationTest::Signal;
    using StationTest::WaitFor;
    using StationTest::wingl;
};

PLOM_CHILD_ROLE(OpensTheTableUntilTold) {
    Station s;
    RegisterTableOpen(s.wingl);
    s.Signal("opened");
    if (!s.WaitFor("close")) return 1;
    UnregisterTableOpen(s.wingl);
    DestroyOpenDbTables();
    return 0;
}

PLOM_CHILD_ROLE(ChangesTheTableAndDiesHoldingItsRow) {
    Station s;
    RegisterTableOpen(s.wingl);
    MarkTableChanged(s.wingl);
    if (!OpenDbRegister.OpenDbLokal->FindKey({engine::Value::Text("WINGL.DB")})) return 1;
    OpenDbRegister.OpenDbLokal->Edit(); // holds the row's record lock when it dies
    ::raise(SIGKILL);
    return 2;
}

PLOM_CHILD_ROLE(HoldsTheRowForAWhile) {
    Station s;
    fw::TTable reg;
    reg.SetDatabaseName("Lokal");
    reg.SetTableName("OPEN.DB");
    reg.Open();
    if (!reg.FindKey({engine::Value::Text("WINGL.DB")})) return 1;
    reg.Edit();
    s.Signal("holding");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    reg.Cancel();
    return 0;
}

// ------------------------------------------------------------------------------------------- tests

TEST_F(StationTest, TwoStationsCountTheirOpenersTogether) {
    RegisterTableOpen(wingl); // first opener: the table is made
    ASSERT_TRUE(Has("WINGL.PX"));
    const auto other = Start("OpensTheTableUntilTold");
    ASSERT_TRUE(WaitFor("opened"));
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(2, false));
    EXPECT_EQ(TableOpenCount(wingl), 2);

    // This station closes first: the other still has the table open, so no stamping.
    const std::int64_t old = 1'600'000'000'000'000'000;
    base::SetFileTime(root / "lokal" / "WINGL.PX", old);
    UnregisterTableOpen(wingl);
    EXPECT_EQ(Row("lokal", "WINGL.DB").first, 1);
    EXPECT_EQ(base::FileTime(root / "lokal" / "WINGL.PX"), old);

    // The other station is the last closer and stamps the files.
    Signal("close");
    EXPECT_EQ(Wait(*other), 0);
    EXPECT_EQ(Row("lokal", "WINGL.DB").first, 0);
    EXPECT_EQ(base::FileTime(root / "lokal" / "WINGL.PX"), base::FileTime(root / "lokal" / "WINGL.DB"));
    EXPECT_TRUE(shown.empty());
}

TEST_F(StationTest, ARegisterRowHeldByAnotherStationIsWaitedFor) {
    RegisterTableOpen(wingl);
    const auto other = Start("HoldsTheRowForAWhile");
    ASSERT_TRUE(WaitFor("holding"));
    TMyTableX second;
    second.SetDatabaseName("LOKAL2");
    second.SetTableName("WINGL.DB");
    RegisterTableOpen(second); // waits until the other station lets the row go
    EXPECT_EQ(Row("lokal", "WINGL.DB").first, 2);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(Wait(*other), 0);
    UnregisterTableOpen(second);
    UnregisterTableOpen(wingl);
    EXPECT_EQ(Row("lokal", "WINGL.DB").first, 0);
}

TEST_F(StationTest, AStationKilledWithATableOpenIsRecoveredByTheNextLoneStation) {
    const auto other = Start("ChangesTheTableAndDiesHoldingItsRow");
    EXPECT_EQ(Wait(*other), 128 + SIGKILL);
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(1, true)); // left open and changed
    ASSERT_TRUE(Has("WINGL.PX"));

    // The dead station's record lock went with it: this station can still register the table (the
    // dead station stays counted until the register is swept).
    RegisterTableOpen(wingl);
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(2, true));
    UnregisterTableOpen(wingl);
    OpenDbRegister.OpenDbLokal->Close();

    // A new run that finds the register unused: index files of the changed table go, the register empties.
    ASSERT_TRUE(OpenDbAlone(*OpenDbRegister.OpenDbLokal));
    OpenDbRegister.OpenDbLokal->Open();
    ASSERT_TRUE(SweepOpenDb(*OpenDbRegister.OpenDbLokal));
    EXPECT_TRUE(OpenDbRegister.OpenDbLokal->IsEmpty());
    EXPECT_FALSE(Has("WINGL.PX"));
    EXPECT_TRUE(Has("WINGL.DB"));

    // Its first opener is a new row again: the check rebuilds the index files.
    RegisterTableOpen(wingl);
    EXPECT_TRUE(Has("WINGL.PX"));
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(1, false));
    UnregisterTableOpen(wingl);
}

TEST_F(StationTest, ARegisterThatAnotherStationUsesIsNotAlone) {
    RegisterTableOpen(wingl);
    MarkTableChanged(wingl);
    OpenDbRegister.OpenDbLokal->Close();
    const auto other = Start("OpensTheTableUntilTold");
    ASSERT_TRUE(WaitFor("opened"));
    EXPECT_FALSE(OpenDbAlone(*OpenDbRegister.OpenDbLokal));
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(2, true));
    Signal("close");
    EXPECT_EQ(Wait(*other), 0);
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(1, true));
    EXPECT_TRUE(OpenDbAlone(*OpenDbRegister.OpenDbLokal));
    OpenDbRegister.OpenDbLokal->Open();
    UnregisterTableOpen(wingl);
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(0, true));
}

TEST_F(StationTest, TheSweepDeletesOnlyPlainTableNamesOfItsFolder) {
    fs::create_directories(root / "other");
    std::ofstream(root / "other" / "KEEP.PX") << "x";
    std::ofstream(root / "lokal" / "ROBA.PX") << "x";
    std::ofstream(root / "lokal" / "ROBA.X02") << "x";
    RegisterTableOpen(wingl);
    UnregisterTableOpen(wingl);
    for (const char* name : {"../other/KEEP", "*", "ROBA.DB"}) {
        OpenDbRegister.OpenDbLokal->Append();
        OpenDbRegister.OpenDbLokal->FieldByName("File").SetAsString(name);
        OpenDbRegister.OpenDbLokal->FieldByName("Open").SetAsInteger(1);
        OpenDbRegister.OpenDbLokal->FieldByName("Changed").SetAsBoolean(true);
        OpenDbRegister.OpenDbLokal->Post();
    }
    OpenDbRegister.OpenDbLokal->Close();
    ASSERT_TRUE(OpenDbAlone(*OpenDbRegister.OpenDbLokal));
    OpenDbRegister.OpenDbLokal->Open();
    ASSERT_TRUE(SweepOpenDb(*OpenDbRegister.OpenDbLokal));
    EXPECT_TRUE(OpenDbRegister.OpenDbLokal->IsEmpty());
    EXPECT_TRUE(fs::exists(root / "other" / "KEEP.PX"));
    EXPECT_TRUE(Has("WINGL.PX")); // closed properly: its row said so
    EXPECT_FALSE(Has("ROBA.PX"));
    EXPECT_FALSE(Has("ROBA.X02"));
}

} // namespace
