#pragma once
// Every test starts and ends with the program's process-wide values at their defaults
// (base::ResetProgramState), whatever the tests before it did: the test mains install this.

namespace testsupport {

void ResetProgramStateAroundEachTest();

} // namespace testsupport
