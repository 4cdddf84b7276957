// The gtest main of the tests without widgets: runs a child role when started as one (see ChildProcess.h).
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramStateReset.h"
#include "tests/support/ProjectFonts.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testsupport::UseProjectFonts();
    if (const auto code = testsupport::RunChildRole(argc, argv)) return *code;
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::ResetProgramStateAroundEachTest();
    return RUN_ALL_TESTS();
}
