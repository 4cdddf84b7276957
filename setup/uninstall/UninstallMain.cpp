// "uninstall <product name>": asks, then removes what the product's installation recorded.
#include "setup/uninstall/Uninstaller.h"

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    std::string product;
    for (int i = 1; i < argc; ++i)
        product += (i > 1 ? " " : "") + std::string(argv[i]);
    if (product.empty()) {
        std::fprintf(stderr, "Upotreba: uninstall <naziv programa>\n");
        return 1;
    }
    try {
        if (setup::UninstallKeyOf(product).empty()) {
            std::fprintf(stderr, "%s nije instaliran.\n", product.c_str());
            return 1;
        }
        std::printf("Ukloniti %s i sve njegove datoteke s računala? (Da/Ne) ", product.c_str());
        std::fflush(stdout);
        std::string answer;
        if (!std::getline(std::cin, answer) || answer.empty() || (answer[0] != 'D' && answer[0] != 'd')) {
            std::printf("\nNišta nije uklonjeno.\n");
            return 2;
        }
        const setup::UninstallReport r = setup::UninstallProduct(product);
        std::printf("Uklonjeno datoteka: %zu.\n", r.Removed.size());
        if (!r.Kept.empty()) {
            std::printf("Zadržane su datoteke koje su promijenjene nakon instalacije ili ih koristi drugi "
                        "program:\n");
            for (const std::string& f : r.Kept)
                std::printf("  %s\n", f.c_str());
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
