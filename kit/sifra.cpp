#include "kit/sifra.h"

#include "base/ProgramState.h"
#include "fw/ui/Application.h"

#include <memory>
#include <QApplication>
#include <QProxyStyle>

namespace kit {

SifraState Sifra;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Kit, [] { Sifra = SifraState(); });
} // namespace

namespace {

// Hides the typed text with "*" rather than the style's bullet.
class StarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

TNalozi_Password::TNalozi_Password(fw::Component* owner) : fw::Form(owner) {
    SetName("Nalozi_Password");
    SetCaption("Šifra:");
    SetBorderStyle(fw::BorderStyle::bsDialog);
    SetStayOnTop(true);
    resize(200, 90);
    KeyPreview = true;
    eSifra = new fw::Edit(this, this);
    eSifra->SetName("eSifra");
    eSifra->SetBounds(10, 10, 180, 24);
    eSifra->SetPasswordChar('*');
    auto* star = new StarPasswordStyle();
    star->setParent(this);
    eSifra->setStyle(star);
    bOK = new fw::Button(this, this);
    bOK->SetName("bOK");
    bOK->SetCaption("O K");
    bOK->SetBounds(60, 50, 80, 30);
    bOK->ModalResult = fw::mrOk;
    bOK->OnClick = [this](fw::Component& sender) { bOKClick(sender); };
    OnKeyDown = [this](fw::Component& sender, std::uint16_t& key, fw::Shift shift) {
        FormKeyDown(sender, key, shift);
    };
    SetActiveControl(eSifra);
}

void TNalozi_Password::bOKClick(fw::Component&) {
    Close();
}

void TNalozi_Password::FormKeyDown(fw::Component&, std::uint16_t& key, fw::Shift) {
    if (key == fw::VK_RETURN) {
        key = 0;
        bOK->Click();
    }
}

bool AskWorkOrderPassword() {
    std::unique_ptr<TNalozi_Password> prompt(fw::CreateForm<TNalozi_Password>(nullptr));
    // Over the main window, which asks it (the active window when that is hidden).
    QWidget* owner = fw::Application::Instance().MainForm();
    if (!owner || !owner->isVisible()) owner = QApplication::activeWindow();
    prompt->CentreOver(owner);
    prompt->ShowModal();
    return prompt->eSifra->Text() == Sifra.WorkOrderPassword;
}

} // namespace kit
