#include "app/data/Dialogs.h"

#include <iostream>

namespace app {

std::function<void(const std::string& text)> ShowInfoHook;
std::function<bool(const std::string& question)> AskYesNoHook;
void (*ShowInfoDefault)(const std::string& text) = nullptr;
bool (*AskYesNoDefault)(const std::string& question) = nullptr;

void ShowInfo(const std::string& text) {
    if (ShowInfoHook)
        ShowInfoHook(text);
    else if (ShowInfoDefault)
        ShowInfoDefault(text);
    else
        std::cerr << text << '\n';
}

bool AskYesNo(const std::string& question) {
    if (AskYesNoHook) return AskYesNoHook(question);
    return AskYesNoDefault ? AskYesNoDefault(question) : false;
}

} // namespace app
