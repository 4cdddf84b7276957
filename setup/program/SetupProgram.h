#pragma once
// The setup program's run: the command line is read before Qt sees it, then the main window shows and
// the installation runs; a build or a transfer needs no screen.

#include <string>
#include <vector>

namespace setup::plom {

// The whole program for its raw command line (without the program name); the exit status.
int RunSetup(int argc, char** argv);

// Set (to anything) in the environment, every page goes on with its default button and messages go to
// standard error: an unattended installation.
inline constexpr const char* UnattendedVariable = "LUMENO_SETUP_UNATTENDED";

} // namespace setup::plom
