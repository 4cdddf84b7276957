// "uninstall <product name>": asks, then removes what the product's installation recorded.
#include "setup/uninstall/UninstallUi.h"

int main(int argc, char** argv) {
    return setup::RunUninstaller(argc, argv);
}
