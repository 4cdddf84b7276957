#pragma once
// The installer's dialogs: managers that gather the pages of one phase of the run into one wizard window,
// the dialog components that name those pages, and the page bases.

#include "base/Exceptions.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/Form.h"
#include "setup/dialogs/FormTranslation.h"
#include "setup/dialogs/PageSequence.h"
#include "setup/install/Install.h"
#include "setup/kit/KitFormat.h"

#include <functional>
#include <memory>
#include <QPixmap>
#include <string>
#include <vector>

namespace setup {

class TDialogManager;
class TCustomBaseInstallDlg;
class TBaseFormContainer;
class TBaseInstallForm;
class TBaseDuringCopyForm;
class TBaseChangeDiskForm;

// One entry of a page registry: the form's class, how to make one, and the dialog component that entered
// it (none for the entry the page's own unit makes).
template <class FormBase> struct PageEntry {
    std::string FormClass;
    std::function<FormBase*(fw::Control* parent)> Make;
    TCustomBaseInstallDlg* Dialog = nullptr;
    int Data = 0;
};

// The wizard pages of the before/after/reboot phases, the during-copy forms and the change-disk forms.
std::vector<PageEntry<TBaseInstallForm>>& PageFormRegistry();
std::vector<PageEntry<TBaseDuringCopyForm>>& DuringCopyFormRegistry();
std::vector<PageEntry<TBaseChangeDiskForm>>& ChangeDiskFormRegistry();
// Reads an entry: a bad index or a missing list raises the registry's messages.
const PageEntry<TBaseInstallForm>& PageFormEntry(int index);

// The first manager of that kind in the current install; nullptr when none.
TDialogManager* DefaultDialogManager(TManagerType kind);
// The manager whose pages are being shown; nullptr outside ShowDialogs and ShowChangeDisk.
TDialogManager* CurrentDialogManager();

// The screen's size and a caption's height, as the placement sees them (tests may replace them).
struct ScreenMetrics {
    int Width = 0, Height = 0, CaptionHeight = 0;
};
ScreenMetrics CurrentScreenMetrics();
void SetScreenMetricsHook(std::function<ScreenMetrics()> hook);

class TDialogManager : public TBroadcastReceiver {
public:
    explicit TDialogManager(std::string name = "DialogManager1", TManagerType type = dmBeforeInstall);
    ~TDialogManager() override;
    std::string ClassName() const override { return "TDialogManager"; }

    int Height = 395;
    int Width = 478;
    TManagerType ManagerType = dmBeforeInstall;
    TDorvaneDialogPosition Position = ddpCenter;
    int RelativeLeftOffset = 0;
    int RelativeTopOffset = 0;

    void AddDialog(TCustomBaseInstallDlg* dialog);
    void RemoveDialog(TCustomBaseInstallDlg* dialog);
    const std::vector<TCustomBaseInstallDlg*>& Dialogs() const { return dialogs_; }

    // Runs the pages of this manager as one wizard; a user abort raises EAIUserAbort.
    void ShowDialogs();
    // Asks for the next disk the file needs; an answer marks the disk parameter handled.
    void ShowChangeDisk(TInstallContainer* file, TParameter* disk);
    // The during-copy forms open now.
    const std::vector<TBaseDuringCopyForm*>& CopyForms() const { return copyForms_; }
    void Receive(TInstallContainer* sender, int code, TParameter* param) override;

private:
    void PassStatus(TParameter* param, bool download);
    void OpenCopyForms();
    void CloseCopyForms();
    std::vector<TCustomBaseInstallDlg*> dialogs_;
    std::vector<TBaseDuringCopyForm*> copyForms_;
};

// A dialog component: names the page it shows and the manager that shows it; without a manager it shows
// its page alone when the engine broadcasts the page's own code.
class TCustomBaseInstallDlg : public TBroadcastReceiver {
public:
    ~TCustomBaseInstallDlg() override;
    std::string ClassName() const override { return className_; }

    bool AutoSetFont = true;
    bool AutoTranslate = true;
    bool OverrideMainTranslator = false;
    TDrvnLanguage TranslateIntoLanguage = dlUser;
    int Order = 0;
    QPixmap ThemeBitmap;
    std::function<void(TCustomBaseInstallDlg&)> OnBeforeExecute, OnAfterExecute;

    TDialogManager* DialogManager() const { return manager_; }
    void SetDialogManager(TDialogManager* manager);
    // The page while it exists.
    TBaseInstallForm* PageForm() const { return form_; }
    void SetPageForm(TBaseInstallForm* form) { form_ = form; }
    // The language the page's texts are in now.
    TDrvnLanguage TextLanguage = dlEnglish;

    virtual std::string FormClass() const = 0;
    virtual TBaseInstallForm* MakeForm(fw::Control* parent) = 0;
    virtual bool ShouldShow() { return true; }
    // Puts the dialog's settings on its page, then translates it.
    virtual void AssignDialogProperties();
    void Translate();
    // The page alone, as a modal window: OnBeforeExecute, the page, OnAfterExecute; false when a silent
    // abort stopped it.
    bool Execute();
    // True when the page closed with Proceed, or need not show; any other end is a user abort.
    bool ShowDialog();
    void Receive(TInstallContainer* sender, int code, TParameter* param) override;

protected:
    // Enters the page's form with this dialog in the registry and takes the phase's default manager.
    TCustomBaseInstallDlg(std::string name, std::string className, TManagerType kind, int order, int ownCode);
    int OwnCode() const { return ownCode_; }

private:
    std::string className_;
    TDialogManager* manager_ = nullptr;
    TBaseInstallForm* form_ = nullptr;
    int ownCode_ = 0;
};

// The wizard window: one page at a time over the display panel, Back and Next through the sequence.
class TBaseFormContainer : public fw::Form {
public:
    explicit TBaseFormContainer(fw::Component* owner);
    fw::Panel* DisplayPanel = nullptr;
    // Collects the current manager's pages; the number taken.
    int CollectPages();
    // Takes a page made elsewhere (a page shown alone).
    void AddPage(TBaseInstallForm* page);
    PageSequence& Sequence() { return sequence_; }
    TBaseInstallForm* CurrentPage() const;
    const std::vector<TBaseInstallForm*>& Pages() const { return pages_; }
    void Back();
    void Next();
    // The page the tab strip asked for: the current page is left first.
    void ChangeTab(int index);

protected:
    void ShowHook() override;
    void ResizeHook() override;

private:
    void ShowIndex(int index);
    PageSequence sequence_;
    std::vector<TBaseInstallForm*> pages_;
    bool started_ = false;
};

// A page of the before/after/reboot phases: a picture on the left, the texts on the right, the buttons
// along the bottom.
class TBaseInstallForm : public fw::Panel, public SequencePage {
public:
    TBaseInstallForm(fw::Control* parent, std::string caption, TManagerType kind, int order);

    TCustomBaseInstallDlg* DC = nullptr;
    TDialogManager* DM = nullptr;
    int Order = 0;
    TInstallContainer* Container = nullptr;
    bool AutoSetFont = true, AutoTranslate = true, OverrideMainTranslator = false;
    TDrvnLanguage TranslateIntoLanguage = dlUser;
    // The caption the wizard shows above the page (translated with the page's texts).
    std::string PageCaption() const { return windowTitle().toStdString(); }

    int PageOrder() const override { return Order; }
    bool SkipPage() const override { return false; }
    TBaseFormContainer* Host() const;
    virtual bool IsFirstPage() const;
    virtual bool IsLastPage() const;
    virtual void PageLeave() {}
    void AbortPages();
    virtual void GoNext();
    virtual void GoBack();
    // Shown as the current page: refreshed and made visible.
    virtual void PageShow();
    // Asks the install whether to stop; on yes the wizard ends as a user abort.
    virtual void CancelPressed();
    // Brings the controls up to date before the page shows.
    virtual void RefreshPage();

    fw::Panel* PicturePanel = nullptr;
    fw::Image* Picture = nullptr;
    fw::Panel* TextPanel = nullptr;
    fw::Panel* ButtonPanel = nullptr;
    TTranslateBitBtn* BackBtn = nullptr;
    TTranslateBitBtn* NextBtn = nullptr;
    TTranslateBitBtn* FinishBtn = nullptr;
    TTranslateBitBtn* CancelBtn = nullptr;

protected:
    // A text label on the text panel, one below the other.
    TTranslateLabel* AddText(int glid, const std::string& text, int height);
    int nextTextTop_ = 12;
};

// A form shown while files are copied; it receives each status.
class TBaseDuringCopyForm : public fw::Form {
public:
    TBaseDuringCopyForm(fw::Component* owner, TManagerType kind);
    TDialogManager* DM = nullptr;
    // The copy stops only when the user confirms; the form itself always ends with cancel.
    virtual void CancelPressed();
    virtual void Status(TFileStatusParameter* file, TDownloadStatusParameter* download) {
        (void)file, (void)download;
    }
};

// A form that asks for the next disk.
class TBaseChangeDiskForm : public fw::Form {
public:
    TBaseChangeDiskForm(fw::Component* owner, TManagerType kind);
    TDialogManager* DM = nullptr;
    TDiskParameter* Disk = nullptr;
    virtual void CancelPressed();
    virtual void RefreshForm() {}
};

// The picture on the left of the pages when the dialog gives none.
QPixmap InstallTheme();

// Whether a pass's start (-992) or end (-996) is that of the whole copy: the install's own pass, not that
// of a group inside it (the copy window stays open from the first file to the last).
bool IsWholeCopy(const TInstallContainer* sender);

// The install's answer to "stop the installation?" (yes without an install).
bool AskUserAbort();

// A plain error whose text passes through the translator first.
base::Exception KitError(const std::string& format, std::initializer_list<FormatArg> args = {});

} // namespace setup
