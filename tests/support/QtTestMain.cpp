#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramStateReset.h"
#include "tests/support/ProjectFonts.h"

#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    testsupport::UseProjectFonts();
    // Test discovery runs the binary without a display: always fall back to the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // A child role runs with the application built, as the program's own code expects.
    if (const auto code = testsupport::RunChildRole(argc, argv)) return *code;
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::ResetProgramStateAroundEachTest();
    return RUN_ALL_TESTS();
}
