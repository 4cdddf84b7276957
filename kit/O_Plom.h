#pragma once
// The about box.

#include "fw/ui/ExtCtrls.h"
#include "fw/ui/StdCtrls.h"
#include "kit/KitButtons.h"
#include "kit/MyForm.h"

namespace kit {

class TO_Programu : public TMyForm {
public:
    explicit TO_Programu(fw::Component* owner);
    fw::Image* Image1;
    fw::Label* PlLabel1;
    fw::Memo* Memo1;
    TMyBitBtn* BitBtn1;
};

struct OPlomState {
    // The form variable: nil until the first opening.
    TO_Programu* O_Programu = nullptr;
};
// Reset with the program's state: the next opening makes a new box (the old one stays with its owner).
extern OPlomState OPlom;

// Opens the about box over the caller (created on first use, then kept).
void PrikaziOProgramu(fw::Form* caller);

} // namespace kit
