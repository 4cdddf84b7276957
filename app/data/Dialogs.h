#pragma once
// The information box and the yes/no question as the data layer sees them. The widget layer installs the
// real message boxes into the hooks at start-up; tests install scripted answers.

#include <functional>
#include <string>

namespace app {

struct DialogsState {
    // Shows a text and waits until the user has read it.
    std::function<void(const std::string& text)> ShowInfoHook;
    // Asks a question; true for "Da".
    std::function<bool(const std::string& question)> AskYesNoHook;
};
// Reset with the program's state.
extern DialogsState Dialogs;

// What the widget layer puts in place when no hook is installed (the real message box). Set once at static
// initialisation when the widget layer is linked in, never changed afterwards: not part of the reset.
extern void (*ShowInfoDefault)(const std::string& text);
extern bool (*AskYesNoDefault)(const std::string& question);

// Without an installed hook or widget layer the text goes to the standard error output.
void ShowInfo(const std::string& text);
// Without either the answer is "Ne": nothing is done that the user did not agree to.
bool AskYesNo(const std::string& question);

} // namespace app
