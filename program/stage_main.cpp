// Stages a program folder as the setup installs it: plom-stage <folder>.

#include "program/StageFolder.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: plom-stage <program folder>\n";
        return 2;
    }
    try {
        app::StageProgramFolder(argv[1]);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
