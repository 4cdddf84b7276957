// The plom program itself, started as its own process in a staged program folder.

#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "program/StageFolder.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// {File: Open} of a register; empty when it cannot be read yet.
std::map<std::string, int> Register(const fs::path& folder) {
    std::map<std::string, int> rows;
    try {
        fw::TTable t;
        t.SetDatabaseName(folder.string());
        t.SetTableName("OPEN.DB");
        t.Open();
        for (t.First(); !t.Eof(); t.Next())
            rows[t.FieldByName("File").AsString()] = static_cast<int>(t.FieldByName("Open").AsInteger());
    } catch (const std::exception&) {
        rows.clear();
    }
    return rows;
}

pid_t StartProgram(const fs::path& program) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string path = program.string();
    char* argv[] = {path.data(), nullptr};
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ), 0);
    return pid;
}

// Waits (at most a minute, a guard against a hang rather than a speed target) for the condition.
template <class Condition> bool WaitFor(Condition&& condition) {
    for (int i = 0; i < 1200; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

int WaitForExit(pid_t pid) {
    int status = 0;
    const bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

TEST(ProgramProcess, StartsFindsTheCompanyAndEndsCleanlyOnATerminateSignal) {
    testsupport::TempFolder folder;
    app::StageProgramFolder(folder.Path());
    fs::copy_file(fs::path(PLOM_BINARY_DIR) / "program" / "plom", folder / "plom");
    for (int run = 0; run < 2; ++run) {
        // Fresh registers, so that their rows show this run's progress.
        for (const char* sub : {"global", "lokal"})
            for (const auto& e : fs::directory_iterator(folder / sub))
                if (e.path().stem() == "OPEN") fs::remove(e.path());
        const pid_t pid = StartProgram(folder / "plom");
        // The company was looked up once both tables were opened and closed again.
        ASSERT_TRUE(WaitFor([&] {
            auto g = Register(folder / "global");
            auto l = Register(folder / "lokal");
            return g.count("PARTNER.DB") && g["PARTNER.DB"] == 0 && l.count("SIF_PART.DB") &&
                   l["SIF_PART.DB"] == 0;
        })) << "run "
            << run;
        kill(pid, SIGTERM);
        EXPECT_EQ(WaitForExit(pid), 0) << "run " << run;
        for (const char* sub : {"global", "lokal"})
            for (const auto& [file, open] : Register(folder / sub))
                EXPECT_EQ(open, 0) << sub << "/" << file;
    }
    EXPECT_FALSE(fs::exists(folder / "lokal" / "Restructured_SIF_PART.DB"));
}

} // namespace
