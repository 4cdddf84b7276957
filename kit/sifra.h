#pragma once
// The password prompt asked before the work-order menu item is revealed.

#include "fw/ui/Form.h"
#include "fw/ui/StdCtrls.h"

#include <string>

namespace kit {

class TNalozi_Password : public fw::Form {
public:
    explicit TNalozi_Password(fw::Component* owner);
    fw::Edit* eSifra;
    fw::Button* bOK;
    void bOKClick(fw::Component& sender);
    void FormKeyDown(fw::Component& sender, std::uint16_t& key, fw::Shift shift);
};

struct SifraState {
    // The text the entry must equal; the main window sets it (to the empty text).
    std::string WorkOrderPassword;
};
// Reset with the program's state.
extern SifraState Sifra;

// Shows the prompt modally and compares the entry with WorkOrderPassword, exactly, however the prompt was
// closed (its close button after typing nothing also answers true).
bool AskWorkOrderPassword();

} // namespace kit
