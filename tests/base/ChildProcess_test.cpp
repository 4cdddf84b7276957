// The tests' child-process helper: arguments, environment, the three pipes, timeouts, kill and exit status.
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

using testsupport::ChildProcess;

// Echoes its arguments and PLOM_CHILD_TEST to stdout, a line to stderr, then copies stdin to stdout in
// upper case until it closes; ends with the exit code given as its first argument.
PLOM_CHILD_ROLE(Echo) {
    std::cout << args.size();
    for (const auto& a : args)
        std::cout << '[' << a << ']';
    const char* env = std::getenv("PLOM_CHILD_TEST");
    std::cout << (env ? env : "-") << '\n' << std::flush;
    std::cerr << "to stderr\n";
    char c;
    while (::read(STDIN_FILENO, &c, 1) == 1) {
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (::write(STDOUT_FILENO, &upper, 1) != 1) return 9;
    }
    return std::stoi(args.at(0));
}

PLOM_CHILD_ROLE(Sleeper) {
    ::sleep(60);
    return 0;
}

TEST(ChildProcess, PassesArgumentsAndEnvironmentAndTalksThroughItsPipes) {
    auto child = ChildProcess::Role("Echo", {"3", "two words", ""}, {{"PLOM_CHILD_TEST", "set"}});
    const std::string first = "3[3][two words][]set\n";
    EXPECT_EQ(child->Read(first.size()), first);
    ASSERT_TRUE(child->Write("abc"));
    EXPECT_EQ(child->Read(3), "ABC");
    child->CloseInput();
    EXPECT_EQ(child->ReadAll(), "");
    const auto status = child->Wait();
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->Exited);
    EXPECT_EQ(status->Code, 3);
    EXPECT_FALSE(status->Success());
    EXPECT_EQ(child->Errors(), "to stderr\n");
}

TEST(ChildProcess, TimesOutKillsAndReportsTheSignal) {
    auto child = ChildProcess::Role("Sleeper");
    EXPECT_FALSE(child->Read(1, std::chrono::milliseconds(50))); // nothing written in time
    EXPECT_FALSE(child->Wait(std::chrono::milliseconds(50)));    // still running
    EXPECT_FALSE(child->Poll());
    const auto status = child->Kill();
    EXPECT_TRUE(status.KilledBy(SIGKILL));
    EXPECT_EQ(status.Describe(), "signal 9");
    EXPECT_TRUE(child->Poll()->KilledBy(SIGKILL));
    EXPECT_FALSE(child->Write("x")); // the child is gone: no SIGPIPE, just a refusal
}

TEST(ChildProcess, AnUnknownRoleOrProgramEndsWithAnErrorCode) {
    auto unknown = ChildProcess::Role("NoSuchRole");
    const auto status = unknown->Wait();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->Code, 64);
    EXPECT_NE(unknown->Errors().find("no child role NoSuchRole"), std::string::npos);
    ChildProcess missing("/nonexistent/program", {});
    EXPECT_EQ(missing.Wait()->Code, 127);
}

} // namespace
