#include "app/data/Dialogs.h"

#include "base/ProgramState.h"
#include "base/Told.h"

#include <iostream>

namespace app {

DialogsState Dialogs;
void (*ShowInfoDefault)(const std::string& text) = nullptr;
bool (*AskYesNoDefault)(const std::string& question) = nullptr;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { Dialogs = DialogsState(); });
} // namespace

void ShowInfo(const std::string& text) {
    const base::Telling telling(text);
    if (Dialogs.ShowInfoHook)
        Dialogs.ShowInfoHook(text);
    else if (ShowInfoDefault)
        ShowInfoDefault(text);
    else
        std::cerr << text << '\n';
}

bool AskYesNo(const std::string& question) {
    if (Dialogs.AskYesNoHook) return Dialogs.AskYesNoHook(question);
    return AskYesNoDefault ? AskYesNoDefault(question) : false;
}

} // namespace app
