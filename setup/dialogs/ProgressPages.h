#pragma once
// The windows of the copy: its progress, the request for the next disk, and the status line.

#include "setup/dialogs/DialogManager.h"

namespace setup {

class TCopyFileForm : public TBaseDuringCopyForm {
public:
    static constexpr const char* ClassName = "TCopyFileForm";
    explicit TCopyFileForm(fw::Component* owner);
    void Status(TFileStatusParameter* file, TDownloadStatusParameter* download) override;

    fw::Gauge* ProgressBar1 = nullptr; // the file
    fw::Gauge* ProgressBar2 = nullptr; // the whole copy
    fw::Gauge* TransferProgress = nullptr;
    fw::Image* TransferBitmap = nullptr;
    TTranslateLabel* lblCopyingFile = nullptr;
    TTranslateBitBtn* CancelBtn = nullptr;

private:
    void ShowName(const std::string& name);
};

// The copy's progress window. While the install has a during-copy manager the manager's window shows the
// progress, so the copy never shows two.
class TCopyFileDlg : public TBroadcastReceiver {
public:
    explicit TCopyFileDlg(std::string name = "CopyFileDlg1");
    ~TCopyFileDlg() override;
    int Height = 146;
    int Width = 474;
    TDorvaneDialogPosition Position = ddpCenter;
    int RelativeLeftOffset = 0;
    int RelativeTopOffset = 0;
    TCopyFileForm* Form() const { return form_.get(); }
    void Receive(TInstallContainer* sender, int code, TParameter* param) override;

private:
    std::unique_ptr<TCopyFileForm> form_;
    bool placed_ = false;
};

class TChangeDiskForm : public TBaseChangeDiskForm {
public:
    static constexpr const char* ClassName = "TChangeDiskForm";
    explicit TChangeDiskForm(fw::Component* owner);
    void RefreshForm() override;

    TTranslateLabel* PromptDiskLabel = nullptr;
    fw::Edit* PathEdit = nullptr;
    TTranslateBitBtn* InstallBtn = nullptr;
    TTranslateBitBtn* BrowseBtn = nullptr;
    TTranslateBitBtn* CancelBtn = nullptr;
};

// Names the manager that asks for disks; the form comes from the change-disk registry.
class TChangeDiskDlg : public TBroadcastReceiver {
public:
    explicit TChangeDiskDlg(std::string name = "ChangeDiskDlg1");
    TDialogManager* DialogManager = nullptr;
};

class TInstallStatusForm : public fw::Form {
public:
    explicit TInstallStatusForm(fw::Component* owner);
    void ShowText(const std::string& text);
    fw::Panel* pnlMessage = nullptr;
    fw::Label* lblMessage = nullptr;
};

// The status line: a stack of texts, the top one shown.
class TInstallStatusDlg : public TBroadcastReceiver {
public:
    explicit TInstallStatusDlg(std::string name = "InstallStatusDlg1");
    ~TInstallStatusDlg() override;
    void Receive(TInstallContainer* sender, int code, TParameter* param) override;
    const std::vector<std::string>& Texts() const { return texts_; }
    TInstallStatusForm* Form() const { return form_.get(); }

private:
    void ShowTop();
    std::vector<std::string> texts_;
    std::unique_ptr<TInstallStatusForm> form_;
};

} // namespace setup
