#pragma once
#include <functional>
#include <string>

namespace setup {

// What the engine asks of a user interface. The setup program's windows install their own answers;
// without them a message goes to standard error and a question is asked on the terminal (no terminal:
// the answer is No).
struct InstallUi {
    std::function<void(const std::string& text)> ShowMessage;
    std::function<bool(const std::string& question)> Confirm;
    std::function<void(bool busy)> SetBusy;
};

InstallUi& Ui();
void ShowKitMessage(const std::string& text);
bool ConfirmKit(const std::string& question);

// The busy cursor for the length of a scope.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace setup
