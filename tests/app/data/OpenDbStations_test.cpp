// Two program processes on one data folder: the test starts a second process of this test program (one of
// the DISABLED_ station tests below, which run only as that second process) and both work on the same
// "OPEN.DB" registers through the real table engine and its file locks.

#include "app/data/OpenDbRegister.h"

#include "app/data/DataSetServices.h"
#include "base/Files.h"
#include "tests/app/data/ServicesFixture.h"

#include <gmock/gmock.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
    ~StationTest() override {
        for (pid_t pid : children)
            if (pid > 0) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
            }
    }
    static bool SecondProcess() { return std::getenv("PLOM_SERVICES_FOLDER") != nullptr; }

    // Starts the station test of that name as a second process on this test's folder.
    pid_t Start(const std::string& station) {
        const std::string self = fs::read_symlink("/proc/self/exe").string();
        const std::string filter = "--gtest_filter=StationTest.DISABLED_" + station;
        const std::string folder = root.string();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("PLOM_SERVICES_FOLDER", folder.c_str(), 1);
            const int devnull = ::open("/dev/null", O_WRONLY);
            if (devnull >= 0) ::dup2(devnull, STDOUT_FILENO);
            ::execl(self.c_str(), self.c_str(), filter.c_str(), "--gtest_also_run_disabled_tests",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        children.push_back(pid);
        return pid;
    }
    // The second process's end: its exit code, or 128 + the signal that killed it.
    int Wait(pid_t pid) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        std::erase(children, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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
    std::vector<pid_t> children;
};

// ------------------------------------------------------------------------------------------- second station

TEST_F(StationTest, DISABLED_OpensTheTableUntilTold) {
    if (!SecondProcess()) GTEST_SKIP() << "only run as the second process";
    RegisterTableOpen(wingl);
    Signal("opened");
    ASSERT_TRUE(WaitFor("close"));
    UnregisterTableOpen(wingl);
    DestroyOpenDbTables();
}

TEST_F(StationTest, DISABLED_ChangesTheTableAndDiesHoldingItsRow) {
    if (!SecondProcess()) GTEST_SKIP() << "only run as the second process";
    RegisterTableOpen(wingl);
    MarkTableChanged(wingl);
    ASSERT_TRUE(OpenDbLokal->FindKey({engine::Value::Text("WINGL.DB")}));
    OpenDbLokal->Edit(); // holds the row's record lock when it dies
    ::raise(SIGKILL);
}

TEST_F(StationTest, DISABLED_HoldsTheRowForAWhile) {
    if (!SecondProcess()) GTEST_SKIP() << "only run as the second process";
    fw::TTable reg;
    reg.SetDatabaseName("Lokal");
    reg.SetTableName("OPEN.DB");
    reg.Open();
    ASSERT_TRUE(reg.FindKey({engine::Value::Text("WINGL.DB")}));
    reg.Edit();
    Signal("holding");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    reg.Cancel();
}

// ------------------------------------------------------------------------------------------- tests

TEST_F(StationTest, TwoStationsCountTheirOpenersTogether) {
    if (SecondProcess()) GTEST_SKIP();
    RegisterTableOpen(wingl); // first opener: the table is made
    ASSERT_TRUE(Has("WINGL.PX"));
    const pid_t other = Start("OpensTheTableUntilTold");
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
    EXPECT_EQ(Wait(other), 0);
    EXPECT_EQ(Row("lokal", "WINGL.DB").first, 0);
    EXPECT_EQ(base::FileTime(root / "lokal" / "WINGL.PX"), base::FileTime(root / "lokal" / "WINGL.DB"));
    EXPECT_TRUE(shown.empty());
}

TEST_F(StationTest, ARegisterRowHeldByAnotherStationIsWaitedFor) {
    if (SecondProcess()) GTEST_SKIP();
    RegisterTableOpen(wingl);
    const pid_t other = Start("HoldsTheRowForAWhile");
    ASSERT_TRUE(WaitFor("holding"));
    TMyTableX second;
    second.SetDatabaseName("LOKAL2");
    second.SetTableName("WINGL.DB");
    RegisterTableOpen(second); // waits until the other station lets the row go
    EXPECT_EQ(Row("lokal", "WINGL.DB").first, 2);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(Wait(other), 0);
    UnregisterTableOpen(second);
    UnregisterTableOpen(wingl);
    EXPECT_EQ(Row("lokal", "WINGL.DB").first, 0);
}

TEST_F(StationTest, AStationKilledWithATableOpenIsRecoveredByTheNextLoneStation) {
    if (SecondProcess()) GTEST_SKIP();
    const pid_t other = Start("ChangesTheTableAndDiesHoldingItsRow");
    EXPECT_EQ(Wait(other), 128 + SIGKILL);
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(1, true)); // left open and changed
    ASSERT_TRUE(Has("WINGL.PX"));

    // The dead station's record lock went with it: this station can still register the table (the
    // dead station stays counted until the register is swept).
    RegisterTableOpen(wingl);
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(2, true));
    UnregisterTableOpen(wingl);
    OpenDbLokal->Close();

    // A new run that finds the register unused: index files of the changed table go, the register empties.
    ASSERT_TRUE(OpenDbAlone(*OpenDbLokal));
    OpenDbLokal->Open();
    ASSERT_TRUE(SweepOpenDb(*OpenDbLokal));
    EXPECT_TRUE(OpenDbLokal->IsEmpty());
    EXPECT_FALSE(Has("WINGL.PX"));
    EXPECT_TRUE(Has("WINGL.DB"));

    // Its first opener is a new row again: the check rebuilds the index files.
    RegisterTableOpen(wingl);
    EXPECT_TRUE(Has("WINGL.PX"));
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(1, false));
    UnregisterTableOpen(wingl);
}

TEST_F(StationTest, ARegisterThatAnotherStationUsesIsNotAlone) {
    if (SecondProcess()) GTEST_SKIP();
    RegisterTableOpen(wingl);
    MarkTableChanged(wingl);
    OpenDbLokal->Close();
    const pid_t other = Start("OpensTheTableUntilTold");
    ASSERT_TRUE(WaitFor("opened"));
    EXPECT_FALSE(OpenDbAlone(*OpenDbLokal));
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(2, true));
    Signal("close");
    EXPECT_EQ(Wait(other), 0);
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(1, true));
    EXPECT_TRUE(OpenDbAlone(*OpenDbLokal));
    OpenDbLokal->Open();
    UnregisterTableOpen(wingl);
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(0, true));
}

TEST_F(StationTest, TheSweepDeletesOnlyPlainTableNamesOfItsFolder) {
    if (SecondProcess()) GTEST_SKIP();
    fs::create_directories(root / "other");
    std::ofstream(root / "other" / "KEEP.PX") << "x";
    std::ofstream(root / "lokal" / "ROBA.PX") << "x";
    std::ofstream(root / "lokal" / "ROBA.X02") << "x";
    RegisterTableOpen(wingl);
    UnregisterTableOpen(wingl);
    for (const char* name : {"../other/KEEP", "*", "ROBA.DB"}) {
        OpenDbLokal->Append();
        OpenDbLokal->FieldByName("File").SetAsString(name);
        OpenDbLokal->FieldByName("Open").SetAsInteger(1);
        OpenDbLokal->FieldByName("Changed").SetAsBoolean(true);
        OpenDbLokal->Post();
    }
    OpenDbLokal->Close();
    ASSERT_TRUE(OpenDbAlone(*OpenDbLokal));
    OpenDbLokal->Open();
    ASSERT_TRUE(SweepOpenDb(*OpenDbLokal));
    EXPECT_TRUE(OpenDbLokal->IsEmpty());
    EXPECT_TRUE(fs::exists(root / "other" / "KEEP.PX"));
    EXPECT_TRUE(Has("WINGL.PX")); // closed properly: its row said so
    EXPECT_FALSE(Has("ROBA.PX"));
    EXPECT_FALSE(Has("ROBA.X02"));
}

} // namespace
