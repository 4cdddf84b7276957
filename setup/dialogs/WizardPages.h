#pragma once
// The wizard's text pages: welcome, licence, readme, the good and bad endings and the reboot choice.

#include "setup/dialogs/DialogManager.h"

#include <QButtonGroup>
#include <QRadioButton>

namespace setup {

// A dialog component of one page form class: enters the form with itself in the page registry.
template <class Page> class TPageDlg : public TCustomBaseInstallDlg {
public:
    std::string FormClass() const override { return Page::ClassName; }
    TBaseInstallForm* MakeForm(fw::Control* parent) override { return new Page(parent); }

protected:
    TPageDlg(std::string name, std::string className, TManagerType kind, int order, int ownCode)
        : TCustomBaseInstallDlg(std::move(name), std::move(className), kind, order, ownCode) {
        PageFormRegistry().push_back(
            {Page::ClassName, [](fw::Control* parent) { return new Page(parent); }, this, 0});
    }
};

class TWelcomeForm : public TBaseInstallForm {
public:
    static constexpr const char* ClassName = "TWelcomeForm";
    explicit TWelcomeForm(fw::Control* parent);
};

class TLicenseForm : public TBaseInstallForm {
public:
    static constexpr const char* ClassName = "TLicenseForm";
    explicit TLicenseForm(fw::Control* parent);
    fw::Memo* Agreement = nullptr;
};

class TReadmeForm : public TBaseInstallForm {
public:
    static constexpr const char* ClassName = "TReadmeForm";
    explicit TReadmeForm(fw::Control* parent);
    fw::Memo* Information = nullptr;
};

// The ending pages: Back, Proceed and Finish, the one of Proceed and Finish that shows takes the focus.
// They come once the run is over, so they offer no cancel: Esc presses the button that shows.
class TEndingForm : public TBaseInstallForm {
public:
    TEndingForm(fw::Control* parent, std::string caption, TManagerType kind, int order);
    void RefreshPage() override;
    void CancelPressed() override;
};

class TGoodInstallForm : public TEndingForm {
public:
    static constexpr const char* ClassName = "TGoodInstallForm";
    explicit TGoodInstallForm(fw::Control* parent);
};

class TBadInstallForm : public TEndingForm {
public:
    static constexpr const char* ClassName = "TBadInstallForm";
    explicit TBadInstallForm(fw::Control* parent);
};

class TRebootForm : public TEndingForm {
public:
    static constexpr const char* ClassName = "TRebootForm";
    explicit TRebootForm(fw::Control* parent);
    void RefreshPage() override;
    fw::GroupBox* RG = nullptr;
    QRadioButton* Yes = nullptr;
    QRadioButton* No = nullptr;
    int ItemIndex() const { return Yes->isChecked() ? 0 : No->isChecked() ? 1 : -1; }
};

class TWelcomeDlg : public TPageDlg<TWelcomeForm> {
public:
    explicit TWelcomeDlg(std::string name = "WelcomeDlg1");
    void AssignDialogProperties() override;
};

class TLicenseDlg : public TPageDlg<TLicenseForm> {
public:
    explicit TLicenseDlg(std::string name = "LicenseDlg1");
    std::vector<std::string> LicenseAgreement;
    void AssignDialogProperties() override;
};

class TReadmeDlg : public TPageDlg<TReadmeForm> {
public:
    explicit TReadmeDlg(std::string name = "ReadmeDlg1");
    std::vector<std::string> ReadmeText;
    void AssignDialogProperties() override;
};

// The ending dialogs hide Back: a page shown alone closes with Proceed or Finish.
template <class Page> class TEndingDlg : public TPageDlg<Page> {
public:
    void AssignDialogProperties() override {
        TPageDlg<Page>::AssignDialogProperties();
        this->PageForm()->BackBtn->Hide();
    }

protected:
    using TPageDlg<Page>::TPageDlg;
};

class TGoodInstallationDlg : public TEndingDlg<TGoodInstallForm> {
public:
    explicit TGoodInstallationDlg(std::string name = "GoodInstallationDlg1");
};

class TBadInstallationDlg : public TEndingDlg<TBadInstallForm> {
public:
    explicit TBadInstallationDlg(std::string name = "BadInstallationDlg1");
};

class TRebootDlg : public TEndingDlg<TRebootForm> {
public:
    explicit TRebootDlg(std::string name = "RebootDlg1");
};

} // namespace setup
