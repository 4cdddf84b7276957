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

// The form variable: nil until the first opening.
extern TO_Programu* O_Programu;

// Opens the about box over the caller (created on first use, then kept).
void PrikaziOProgramu(fw::Form* caller);

} // namespace kit
