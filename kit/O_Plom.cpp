#include "kit/O_Plom.h"

#include "base/ProgramState.h"
#include "fw/ui/Color.h"
#include "kit/KitButtons.h"

#include <QTextDocument>
#include <QTextOption>

namespace kit {

OPlomState OPlom;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Kit, [] { OPlom = OPlomState(); });
} // namespace

TO_Programu::TO_Programu(fw::Component* owner) : TMyForm(owner) {
    SetName("O_Programu");
    SetCaption("O programu");
    SetBorderStyle(fw::BorderStyle::bsDialog);
    resize(330, 220);
    Image1 = new fw::Image(this, this);
    Image1->SetName("Image1");
    Image1->SetBounds(10, 10, 48, 48);
    PlLabel1 = new fw::Label(this, this);
    PlLabel1->SetName("PlLabel1");
    PlLabel1->SetBounds(70, 20, 240, 24);
    PlLabel1->SetFont("Arial", 14, true);
    PlLabel1->SetCaption("\"Lumeno\" ver. 1.112");
    Memo1 = new fw::Memo(this, this);
    Memo1->SetName("Memo1");
    Memo1->SetBounds(10, 70, 310, 80);
    Memo1->SetReadOnly(true);
    Memo1->SetTabStop(false);
    Memo1->SetText("aplikacija namijenjena kao podrška \npri proizvodnji prozora, prvenstveno\nonih iz "
                   "plastike i aluminija");
    Memo1->SetFont("Arial", 10, true);
    Memo1->SetColor(fw::clBtnFace);
    Memo1->SetFontColor(fw::clNavy);
    // The plain-text layout takes its alignment from the document's text option, not from block formats.
    QTextOption centred = Memo1->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    Memo1->document()->setDefaultTextOption(centred);
    BitBtn1 = new TMyBitBtn(this, this);
    BitBtn1->SetName("BitBtn1");
    BitBtn1->SetCaption("O K");
    BitBtn1->SetBounds(125, 170, 80, 30);
    BitBtn1->ModalResult = fw::mrOk;
    // Shown modelessly the box has no modal loop for the result to end: the button closes it.
    BitBtn1->OnClick = [this](fw::Component&) {
        if (!Modal()) Close();
    };
    SetActiveControl(BitBtn1);
}

void PrikaziOProgramu(fw::Form* caller) {
    // Over the window it was opened from.
    app::OpenForm<TO_Programu>(OPlom.O_Programu, caller,
                               [caller](TO_Programu& box) { box.CentreOver(caller); });
}

} // namespace kit
