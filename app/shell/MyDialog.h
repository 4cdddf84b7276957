#pragma once
// AskYesNo and ShowInfo themselves are declared in app/data/Dialogs.h; the widget layer routes them here.
#include "app/data/Dialogs.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/Form.h"
#include "fw/ui/StdCtrls.h"

#include <string>

namespace app {

// The program's one message box: borderless, sized to its text and centred on the screen, with a question
// page ("&Da"/"&Ne") and an information page ("OK").
class TPitanje : public fw::Form {
public:
    explicit TPitanje(fw::Component* owner);

    // Fill the box for the text, size and centre it, and show it modally. Ask answers Da.
    bool Ask(const std::string& text);
    void Inform(const std::string& text);

    fw::Panel* Panel3;
    fw::Shape* Shape;
    fw::Shape* Shape2;
    fw::Bevel* Bevel;
    fw::Label* Tekst;
    fw::Panel* Panel;
    fw::Notebook* Book;
    fw::Panel* Panel1;
    fw::Panel* Panel2;
    fw::Button* DaButton;
    fw::Button* NeButton;
    fw::Button* OKButton;

    void FormKeyPress(fw::Component& sender, std::uint8_t& key);
    void FormShow(fw::Component& sender);
    void DaButtonEnter(fw::Component& sender);
    void NeButtonEnter(fw::Component& sender);
    void OKButtonEnter(fw::Component& sender);

    // The smallest widths of the two pages.
    static constexpr int QuestionMinWidth = 181;
    static constexpr int InfoMinWidth = 70;

private:
    void Prepare(const std::string& text, int page);
    void LayOutButtons();
};

struct MyDialogState {
    // The kept box, created on first use (owner: the application).
    TPitanje* Pitanje = nullptr;
};
// Reset with the program's state: the next use makes a new box (the old one stays with its owner).
extern MyDialogState MyDialog;

// The real box, whatever the dialog handler is.
bool AskYesNoBox(const std::string& text);
void ShowInfoBox(const std::string& text);

} // namespace app
