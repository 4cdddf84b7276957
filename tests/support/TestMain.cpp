// The gtest main of the tests without widgets: runs a child role when started as one (see ChildProcess.h).
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramStateReset.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (const auto code = testsupport::RunChildRole(argc, argv)) return *code;
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::ResetProgramStateAroundEachTest();
    return RUN_ALL_TESTS();
}
