// Stages a program folder as the setup installs it: plom-stage [--sample] <folder>.

#include "program/StageSample.h"

#include <cstring>
#include <exception>
#include <iostream>
#include <string>

namespace {

const char* const usage =
    "usage: plom-stage [--sample] [--] <program folder>\n"
    "Stages a program folder as the setup installs it; files that are there already are kept.\n"
    "  --sample  also write the sample workshop when the registers hold no window system yet\n";

} // namespace

int main(int argc, char** argv) {
    app::StageOptions options;
    const char* folder = nullptr;
    bool options_done = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (!options_done && (a == "--help" || a == "-h")) {
            std::cout << usage;
            return 0;
        }
        if (!options_done && a == "--sample") {
            options.Sample = app::StageSampleWorkshop;
        } else if (!options_done && a == "--") {
            options_done = true;
        } else if (!options_done && a.size() > 1 && a[0] == '-') {
            std::cerr << "plom-stage: unknown option " << a << "\n" << usage;
            return 2;
        } else if (folder) {
            std::cerr << usage;
            return 2;
        } else {
            folder = argv[i];
        }
    }
    if (!folder || !*folder) {
        std::cerr << usage;
        return 2;
    }
    try {
        app::StageProgramFolder(folder, options);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
