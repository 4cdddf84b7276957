#pragma once
#include <string>

namespace app {

// Every message box and code dialog of the program is asked through the current handler: the real
// dialogs, or a script that answers them (tests, automated runs).
class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    virtual bool AskYesNo(const std::string& text) = 0;
    virtual void ShowInfo(const std::string& text) = 0;
    virtual bool ShowNema(const std::string& caption, const std::string& code) = 0;
    virtual bool AskStaro(const std::string& caption, const std::string& oldCode,
                          const std::string& newCode) = 0;
    virtual bool AskNovo(const std::string& caption, const std::string& code) = 0;
    virtual bool AskBrisi(const std::string& caption, const std::string& code) = 0;
};

// The real dialogs.
DialogHandler& RealDialogs();
DialogHandler& CurrentDialogs();
// Installs a handler (nullptr: the real dialogs) and returns the previous one. Also makes failures caught
// by the framework's guard show in the information box.
DialogHandler* SetDialogHandler(DialogHandler* handler);
// Points the framework's guard at ShowInfo; SetDialogHandler does it too.
void InstallMessageHook();

} // namespace app
