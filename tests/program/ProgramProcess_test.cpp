// The plom program itself, started as its own process in a staged program folder.

#include "app/tables/StageFolder.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramRegister.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <thread>

namespace {

namespace fs = std::filesystem;

using testsupport::OpenTablesRegister;
using testsupport::WaitUntil;

// The program's exit code once it ends (at most a minute); -1 when it had to be killed, -2 when a signal
// ended it.
int WaitForExit(testsupport::ChildProcess& program) {
    const auto status = program.Wait(std::chrono::minutes(1));
    if (!status) {
        program.Kill();
        return -1;
    }
    return status->Exited ? status->Code : -2;
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
        // The program reads no command line, Qt's own options included: the second run's unknown
        // platform is passed over, not fatal.
        const std::vector<std::string> args =
            run == 0 ? std::vector<std::string>{} : std::vector<std::string>{"-platform", "nosuchplatform"};
        testsupport::ChildProcess program(folder / "plom", args, {{"QT_QPA_PLATFORM", "offscreen"}});
        // The company was looked up once both tables were opened and closed again.
        ASSERT_TRUE(WaitUntil([&] {
            auto g = OpenTablesRegister(folder / "global");
            auto l = OpenTablesRegister(folder / "lokal");
            return g.count("PARTNER.DB") && g["PARTNER.DB"] == 0 && l.count("SIF_PART.DB") &&
                   l["SIF_PART.DB"] == 0;
        })) << "run "
            << run;
        program.Signal(SIGTERM);
        EXPECT_EQ(WaitForExit(program), 0) << "run " << run << ": " << program.Errors();
        for (const char* sub : {"global", "lokal"})
            for (const auto& [file, open] : OpenTablesRegister(folder / sub))
                EXPECT_EQ(open, 0) << sub << "/" << file;
    }
    EXPECT_FALSE(fs::exists(folder / "lokal" / "Restructured_SIF_PART.DB"));
}

} // namespace
