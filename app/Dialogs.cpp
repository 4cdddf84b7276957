#include "app/Dialogs.h"

#include <iostream>

namespace app {

std::function<void(const std::string& text)> ShowInfoHook;
std::function<bool(const std::string& question)> AskYesNoHook;

void ShowInfo(const std::string& text) {
    if (ShowInfoHook)
        ShowInfoHook(text);
    else
        std::cerr << text << '\n';
}

bool AskYesNo(const std::string& question) {
    return AskYesNoHook ? AskYesNoHook(question) : false;
}

} // namespace app
