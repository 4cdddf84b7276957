#include "tests/support/ProjectFonts.h"

#include <cstdlib>

namespace testsupport {

void UseProjectFonts() {
    // Children started by the tests (the program, a test program in a child role) inherit it.
    setenv("FONTCONFIG_FILE", PLOM_TEST_FONTCONFIG, 1);
    unsetenv("FONTCONFIG_PATH");
    unsetenv("FONTCONFIG_SYSROOT");
}

} // namespace testsupport
