#include "setup/install/InstallUi.h"

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace setup {

InstallUi& Ui() {
    static InstallUi ui;
    return ui;
}

void ShowKitMessage(const std::string& text) {
    if (Ui().ShowMessage)
        Ui().ShowMessage(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

bool ConfirmKit(const std::string& question) {
    if (Ui().Confirm) return Ui().Confirm(question);
    if (!::isatty(STDIN_FILENO)) return false;
    std::fprintf(stderr, "%s (Da/Ne) ", question.c_str());
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return !answer.empty() && (answer[0] == 'D' || answer[0] == 'd' || answer[0] == 'Y' || answer[0] == 'y');
}

BusyCursor::BusyCursor() {
    if (Ui().SetBusy) Ui().SetBusy(true);
}

BusyCursor::~BusyCursor() {
    if (Ui().SetBusy) Ui().SetBusy(false);
}

} // namespace setup
