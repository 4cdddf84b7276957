#pragma once
#include "fw/ui/Component.h"

#include <string>

namespace fw {

class Form;

// The application object: owner of the program's forms, its main form and the quit rule (the program ends
// when the main form closes, not when the last visible window does).
class Application : public Component {
public:
    static Application& Instance();
    // Frees the forms the application owns; call before the QApplication goes.
    static void Shutdown();

    Form* MainForm() const { return mainForm_; }
    void SetMainForm(Form* form) { mainForm_ = form; }
    std::string Title;

    // Ends the message loop once control returns to it; modal loops end with ModalResult cancel. The shown
    // forms store what is typed first; one that refuses keeps the program, unless it must end (a signal
    // from the system: nobody may be there to answer).
    void Terminate(bool mustEnd = false);
    bool Terminated() const { return terminated_; }
    // Withdraws a Terminate the event loop has not acted on yet.
    void CancelTerminate() { terminated_ = mustEnd_ = false; }
    // Shows the main form and runs the message loop until the program terminates.
    int Run();
    static void ProcessMessages();

private:
    Application();
    Form* mainForm_ = nullptr;
    bool terminated_ = false;
    bool mustEnd_ = false;
};

} // namespace fw
