#include "tests/support/ProgramStateReset.h"

#include "base/ProgramState.h"

#include <gtest/gtest.h>

namespace testsupport {

namespace {

// Before the fixture is made (so its members' hooks survive) and after it has gone.
class StateReset : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override { base::ResetProgramState(); }
    void OnTestEnd(const ::testing::TestInfo&) override { base::ResetProgramState(); }
};

} // namespace

void ResetProgramStateAroundEachTest() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new StateReset);
}

} // namespace testsupport
