// The setup program: installs Plom, or builds its self-extracting setup ("-b").

#include "setup/program/SetupProgram.h"

int main(int argc, char** argv) {
    return setup::plom::RunSetup(argc, argv);
}
