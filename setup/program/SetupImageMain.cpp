// Lays out the folder the setup is built from: setup-image <folder> <plom> <uninstall> <help page>
// <engine install library>.

#include "setup/program/SetupImage.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: setup-image <folder> <plom program> <uninstall program> <help start page> "
                     "<engine install library>\n";
        return 2;
    }
    try {
        setup::plom::MakeSetupImage(argv[1], {argv[2], argv[3], argv[4], argv[5]});
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
