#include "setup/dialogs/ProgressPages.h"

#include "setup/kit/KitExceptions.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QStyle>

namespace setup {

namespace {

const bool entered = [] {
    DuringCopyFormRegistry().push_back({TCopyFileForm::ClassName,
                                        [](fw::Control*) { return fw::CreateForm<TCopyFileForm>(nullptr); },
                                        nullptr, 0});
    ChangeDiskFormRegistry().push_back({TChangeDiskForm::ClassName,
                                        [](fw::Control*) { return fw::CreateForm<TChangeDiskForm>(nullptr); },
                                        nullptr, 0});
    return true;
}();

std::string Translated(const std::string& text) {
    const TTranslator* t = MainTranslator();
    return t ? t->TranslateText(dlEnglish, text) : text;
}

void TranslateForm(fw::Form& form) {
    if (TTranslator* t = MainTranslator()) {
        SetObjectFonts(*t, &form);
        TranslateObject(*t, &form, dlEnglish);
    }
}

TTranslateBitBtn* Button(fw::Control* parent, int glid, const std::string& caption, int left, int top) {
    auto* b = new TTranslateBitBtn(parent);
    b->GLID = glid;
    b->SetCaption(caption);
    b->SetTabStop(true);
    b->SetBounds(left, top, 82, 25);
    return b;
}

} // namespace

TCopyFileForm::TCopyFileForm(fw::Component* owner) : TBaseDuringCopyForm(owner, dmDuringCopyFiles) {
    (void)entered;
    SetCaption("Kopiranje instalacijskih datoteka");
    SetBorderStyle(fw::BorderStyle::bsDialog);
    resize(474, 146);
    lblCopyingFile = new TTranslateLabel(this);
    lblCopyingFile->SetAutoSize(false);
    lblCopyingFile->SetBounds(12, 10, 450, 18);
    ProgressBar1 = new fw::Gauge(this);
    ProgressBar1->SetBounds(12, 34, 450, 18);
    ProgressBar2 = new fw::Gauge(this);
    ProgressBar2->SetBounds(12, 60, 450, 18);
    TransferProgress = new fw::Gauge(this);
    TransferProgress->SetBounds(60, 34, 402, 18);
    TransferProgress->Hide();
    TransferBitmap = new fw::Image(this);
    TransferBitmap->SetBounds(12, 30, 40, 40);
    TransferBitmap->SetPicture(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
    TransferBitmap->Hide();
    CancelBtn = Button(this, 6, "Opoziv", 380, 108);
    CancelBtn->Cancel = true;
    CancelBtn->OnClick = [this](fw::Component&) { CancelPressed(); };
    for (fw::Gauge* g : {ProgressBar1, ProgressBar2, TransferProgress}) {
        g->SetMinValue(0);
        g->SetMaxValue(100);
    }
}

void TCopyFileForm::ShowName(const std::string& name) {
    lblCopyingFile->SetPathCaption(name);
}

void TCopyFileForm::Status(TFileStatusParameter* file, TDownloadStatusParameter* download) {
    if (!isVisible()) Show();
    const bool net = download != nullptr;
    ProgressBar1->SetVisible(!net);
    ProgressBar2->SetVisible(!net);
    TransferProgress->SetVisible(net);
    TransferBitmap->SetVisible(net);
    if (net) {
        TransferProgress->setValue(download->Percent);
        ShowName(download->FileName);
    } else if (file) {
        ProgressBar1->setValue(file->Percent);
        ProgressBar2->setValue(file->TotalPercent);
        ShowName(file->FileName);
    }
    repaint();
}

TCopyFileDlg::TCopyFileDlg(std::string name) : TBroadcastReceiver(std::move(name)) {}

TCopyFileDlg::~TCopyFileDlg() = default;

void TCopyFileDlg::Receive(TInstallContainer* sender, int code, TParameter* param) {
    TBroadcastReceiver::Receive(sender, code, param);
    if (code != -998 && code != -988 && code != -996) return;
    if (DefaultDialogManager(dmDuringCopyFiles)) return; // the manager's window shows the copy
    if (code == -996) {
        if (form_ && IsWholeCopy(sender)) form_->Hide();
        return;
    }
    if (!param) throw IException("%s got a nil PO parameter", {Name()});
    auto* file = dynamic_cast<TFileStatusParameter*>(param);
    auto* net = dynamic_cast<TDownloadStatusParameter*>(param);
    if (code == -998 && !file)
        throw IException("The PO object passed to %s is not a TFileStatusParameter object", {Name()});
    if (code == -988 && !net)
        throw IException("The PO object passed to %s is not a TDownloadStatusParameter object", {Name()});
    if (!form_) {
        form_.reset(fw::CreateForm<TCopyFileForm>(nullptr));
        TranslateForm(*form_);
    }
    if (!placed_) {
        placed_ = true;
        form_->resize(Width, Height);
        const ScreenMetrics s = CurrentScreenMetrics();
        const ScreenPlace p = PlaceOnScreen(Position, s.Width, s.Height, Width, Height, RelativeLeftOffset,
                                            RelativeTopOffset, s.CaptionHeight);
        form_->move(p.Left, p.Top);
    }
    form_->Status(file, net);
}

TChangeDiskForm::TChangeDiskForm(fw::Component* owner) : TBaseChangeDiskForm(owner, dmChangeDisk) {
    SetCaption("Setup treba slijedeći disk");
    SetBorderStyle(fw::BorderStyle::bsDialog);
    resize(400, 150);
    PromptDiskLabel = new TTranslateLabel(this);
    PromptDiskLabel->SetBounds(12, 12, 376, 18);
    PathEdit = new fw::Edit(this);
    PathEdit->SetTabStop(true);
    PathEdit->SetBounds(12, 40, 280, 22);
    BrowseBtn = Button(this, 0, "&Prikaz...", 300, 38);
    InstallBtn = Button(this, 0, "Prosljedi", 200, 110);
    InstallBtn->Default = true;
    InstallBtn->ModalResult = fw::mrOk;
    CancelBtn = Button(this, 6, "Opoziv", 300, 110);
    CancelBtn->Cancel = true;
    CancelBtn->OnClick = [this](fw::Component&) { CancelPressed(); };
    PathEdit->OnChange = [this](fw::Component&) {
        if (Disk) Disk->Path = PathEdit->Text();
    };
    BrowseBtn->OnClick = [this](fw::Component&) {
        const QString chosen =
            QFileDialog::getExistingDirectory(this, QString(), QString::fromStdString(PathEdit->Text()));
        if (!chosen.isEmpty() && Disk) Disk->Path = chosen.toStdString();
        RefreshForm();
    };
}

void TChangeDiskForm::RefreshForm() {
    TranslateForm(*this);
    PromptDiskLabel->SetCaption(
        FormatText(Translated("Please insert disk number %d"), {Disk ? Disk->Disk : 0}));
    PathEdit->SetText(Disk ? Disk->Path : std::string());
    SetActiveControl(InstallBtn);
}

TChangeDiskDlg::TChangeDiskDlg(std::string name) : TBroadcastReceiver(std::move(name)) {
    DialogManager = DefaultDialogManager(dmChangeDisk);
}

TInstallStatusForm::TInstallStatusForm(fw::Component* owner) : fw::Form(owner) {
    SetBorderStyle(fw::BorderStyle::bsDialog);
    pnlMessage = new fw::Panel(this);
    pnlMessage->SetAlign(fw::Align::alClient);
    auto* picture = new fw::Image(pnlMessage);
    picture->SetBounds(5, 5, 49, 49);
    picture->SetPicture(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    lblMessage = new fw::Label(pnlMessage);
    lblMessage->SetLeft(60);
}

void TInstallStatusForm::ShowText(const std::string& text) {
    lblMessage->SetCaption(text);
    lblMessage->adjustSize();
    // As wide as the picture and the text need, never wider than the screen.
    const int width =
        std::min(lblMessage->Left() + lblMessage->Width() + 25, std::max(200, CurrentScreenMetrics().Width));
    const int height = std::max(60, lblMessage->Height() + 20);
    resize(width, height);
    lblMessage->SetTop((height - lblMessage->Height()) / 2);
    const ScreenMetrics s = CurrentScreenMetrics();
    move((s.Width - width) / 2, y());
}

TInstallStatusDlg::TInstallStatusDlg(std::string name) : TBroadcastReceiver(std::move(name)) {}

TInstallStatusDlg::~TInstallStatusDlg() = default;

void TInstallStatusDlg::ShowTop() {
    if (texts_.empty()) {
        if (form_) form_->Hide();
        return;
    }
    if (!form_) form_.reset(fw::CreateForm<TInstallStatusForm>(nullptr));
    form_->ShowText(texts_.back());
    if (TTranslator* t = MainTranslator()) {
        SetObjectFonts(*t, form_.get());
        TranslateObject(*t, form_.get(), dlEnglish);
    }
    form_->Show();
    form_->repaint();
    QCoreApplication::processEvents();
}

void TInstallStatusDlg::Receive(TInstallContainer* sender, int code, TParameter* param) {
    TBroadcastReceiver::Receive(sender, code, param);
    if (code == -974) {
        if (!param) throw IException("%s got a nil PO parameter", {Name()});
        auto* message = dynamic_cast<TMessageParameter*>(param);
        if (!message)
            throw IException("The PO object passed to %s is not a TMessageParameter object", {Name()});
        texts_.push_back(message->Text);
        ShowTop();
    } else if (code == -973) {
        if (!texts_.empty()) texts_.pop_back();
        ShowTop();
    }
}

} // namespace setup
