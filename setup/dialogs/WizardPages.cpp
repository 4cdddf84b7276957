#include "setup/dialogs/WizardPages.h"

namespace setup {

namespace {

// Each page form is entered once for itself when the program starts (its dialogs enter it again).
template <class PageForm> bool EnterPageForm() {
    PageFormRegistry().push_back(
        {PageForm::ClassName, [](fw::Control* parent) { return new PageForm(parent); }, nullptr, 0});
    return true;
}
const bool entered = EnterPageForm<TWelcomeForm>() && EnterPageForm<TLicenseForm>() &&
                     EnterPageForm<TReadmeForm>() && EnterPageForm<TGoodInstallForm>() &&
                     EnterPageForm<TBadInstallForm>() && EnterPageForm<TRebootForm>();

fw::Memo* TextBox(TBaseInstallForm& page, int top) {
    auto* memo = new fw::Memo(page.TextPanel);
    memo->setReadOnly(true);
    memo->SetTabStop(false);
    memo->SetColor(fw::clBtnFace);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->SetBounds(12, top, 310, 300 - top);
    return memo;
}

void Fill(fw::Memo& memo, const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + lines[i];
    memo.SetText(text);
}

} // namespace

TWelcomeForm::TWelcomeForm(fw::Control* parent)
    : TBaseInstallForm(parent, "Dobro došli", dmBeforeInstall, 5) {
    (void)entered;
    BackBtn->SetCaption("< Prije");
    AddText(10, "Dobro došli u instalaciju aplikacije.", 40);
    AddText(11,
            "Ovaj program će instalirati aplikaciju na vaše računalo. Prije nastavka zatvorite sve "
            "druge programe.",
            60);
    AddText(12, "Pritisnite Dalje > za nastavak ili Opoziv za izlaz iz instalacije.", 40);
}

TLicenseForm::TLicenseForm(fw::Control* parent)
    : TBaseInstallForm(parent, "Uvjeti dozvole korištenja aplikacije (licence agreement)", dmBeforeInstall,
                       20) {
    AddText(2, "Pažljivo pročitajte uvjete korištenja aplikacije.", 20);
    AddText(3, "Pritiskom na Dalje > prihvaćate uvjete.", 20);
    Agreement = TextBox(*this, nextTextTop_);
}

TReadmeForm::TReadmeForm(fw::Control* parent) : TBaseInstallForm(parent, "Informacija", dmBeforeInstall, 30) {
    AddText(8, "Prije instalacije pročitajte sljedeće:", 20);
    Information = TextBox(*this, nextTextTop_);
}

TEndingForm::TEndingForm(fw::Control* parent, std::string caption, TManagerType kind, int order)
    : TBaseInstallForm(parent, std::move(caption), kind, order) {
    // An ending comes after the point where there is nothing left to cancel: Esc goes on like the
    // button that shows, towards Kraj.
    CancelBtn->Cancel = false;
    CancelBtn->Hide();
    NextBtn->Cancel = true;
    FinishBtn->Cancel = true;
}

void TEndingForm::CancelPressed() {
    GoNext();
}

void TEndingForm::RefreshPage() {
    BackBtn->SetVisible(!IsFirstPage());
    CancelBtn->Hide();
    const bool last = IsLastPage() || !Host();
    NextBtn->SetVisible(!last);
    FinishBtn->SetVisible(last);
    fw::Button* focus = last ? FinishBtn : NextBtn;
    if (ParentForm() && ParentForm()->isVisible()) focus->SetFocus();
}

TGoodInstallForm::TGoodInstallForm(fw::Control* parent)
    : TEndingForm(parent, "Aplikacija je kompletirana", dmAfterGoodInstall, 10) {
    BackBtn->SetCaption("< Prijeđ");
    NextBtn->SetCaption("Next >");
    AddText(38, "Aplikacija je uspješno instalirana. Pritisnite Kraj za izlaz iz instalacije.", 60);
}

TBadInstallForm::TBadInstallForm(fw::Control* parent)
    : TEndingForm(parent, "Nedovršen Setup", dmAfterBadInstall, 10) {
    NextBtn->SetCaption("Next >");
    AddText(60,
            "Instalacija nije dovršena. Aplikacija nije instalirana u potpunosti; pokrenite instalaciju "
            "ponovo.",
            60);
}

TRebootForm::TRebootForm(fw::Control* parent) : TEndingForm(parent, "Restartanje Windows-a", dmReboot, 10) {
    NextBtn->SetCaption("Next >");
    RG = new fw::GroupBox(TextPanel);
    RG->SetBounds(12, 12, 310, 90);
    RG->SetTabStop(true);
    Yes = new QRadioButton("Da, želim restartati Windows-e.", RG);
    No = new QRadioButton("Ne, ne želim restartati Windows-e.", RG);
    Yes->setGeometry(10, 20, 290, 24);
    No->setGeometry(10, 50, 290, 24);
    auto* group = new QButtonGroup(RG);
    group->addButton(Yes);
    group->addButton(No);
    // The choice and the flag the run reads afterwards always agree.
    QObject::connect(Yes, &QRadioButton::toggled, RG, [](bool on) {
        if (on) SetRebootNeeded(true);
    });
    QObject::connect(No, &QRadioButton::toggled, RG, [](bool on) {
        if (on) SetRebootNeeded(false);
    });
}

void TRebootForm::RefreshPage() {
    (RebootNeeded() ? Yes : No)->setChecked(true);
    TEndingForm::RefreshPage();
}

TWelcomeDlg::TWelcomeDlg(std::string name)
    : TPageDlg(std::move(name), "TWelcomeDlg", dmBeforeInstall, 10, -982) {}

void TWelcomeDlg::AssignDialogProperties() {
    TPageDlg::AssignDialogProperties();
    PageForm()->BackBtn->Hide();
}

TLicenseDlg::TLicenseDlg(std::string name)
    : TPageDlg(std::move(name), "TLicenseDlg", dmBeforeInstall, 20, -981) {}

void TLicenseDlg::AssignDialogProperties() {
    if (!PageForm()) TPageDlg::AssignDialogProperties(); // raises the missing-page error
    Fill(*static_cast<TLicenseForm*>(PageForm())->Agreement, LicenseAgreement);
    TPageDlg::AssignDialogProperties();
}

TReadmeDlg::TReadmeDlg(std::string name)
    : TPageDlg(std::move(name), "TReadmeDlg", dmBeforeInstall, 30, -977) {}

void TReadmeDlg::AssignDialogProperties() {
    if (!PageForm()) TPageDlg::AssignDialogProperties(); // raises the missing-page error
    Fill(*static_cast<TReadmeForm*>(PageForm())->Information, ReadmeText);
    TPageDlg::AssignDialogProperties();
    PageForm()->BackBtn->Hide();
}

TGoodInstallationDlg::TGoodInstallationDlg(std::string name)
    : TEndingDlg(std::move(name), "TGoodInstallationDlg", dmAfterGoodInstall, 10, -995) {}

TBadInstallationDlg::TBadInstallationDlg(std::string name)
    : TEndingDlg(std::move(name), "TBadInstallationDlg", dmAfterBadInstall, 10, -994) {}

TRebootDlg::TRebootDlg(std::string name) : TEndingDlg(std::move(name), "TRebootDlg", dmReboot, 10, -987) {}

} // namespace setup
