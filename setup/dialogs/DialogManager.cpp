#include "setup/dialogs/DialogManager.h"

#include "base/Finally.h"
#include "fw/ui/Application.h"
#include "setup/kit/KitExceptions.h"

#include <algorithm>
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QStyle>

namespace setup {

namespace {

std::vector<TDialogManager*>& Managers() {
    static std::vector<TDialogManager*> all;
    return all;
}

TDialogManager* current = nullptr;
std::function<ScreenMetrics()> screenHook;

TCustomInstall* RunningInstall() {
    return dynamic_cast<TCustomInstall*>(CurrentInstall());
}

// The current manager for the length of a scope.
class CurrentManagerScope {
public:
    explicit CurrentManagerScope(TDialogManager* m) { current = m; }
    ~CurrentManagerScope() { current = nullptr; }
    CurrentManagerScope(const CurrentManagerScope&) = delete;
    CurrentManagerScope& operator=(const CurrentManagerScope&) = delete;
};

void PlaceForm(fw::Form& form, TDorvaneDialogPosition position, int left, int top) {
    const ScreenMetrics s = CurrentScreenMetrics();
    const ScreenPlace p =
        PlaceOnScreen(position, s.Width, s.Height, form.width(), form.height(), left, top, s.CaptionHeight);
    form.move(p.Left, p.Top);
}

template <class Entry> void RemoveEntriesOf(std::vector<Entry>& list, TCustomBaseInstallDlg* dialog) {
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Entry& e) { return e.Dialog == dialog; }),
               list.end());
}

} // namespace

QPixmap InstallTheme() {
    // The picture beside every page: a blue fall with the product's initial. Kept as an image, which may
    // outlive the application.
    static const QImage theme = [] {
        QImage p(136, 316, QImage::Format_RGB32);
        QPainter painter(&p);
        QLinearGradient fall(0, 0, 0, p.height());
        fall.setColorAt(0, QColor(0, 0, 160));
        fall.setColorAt(1, QColor(0, 0, 32));
        painter.fillRect(p.rect(), fall);
        painter.setPen(QColor(255, 255, 255, 200));
        QFont font = painter.font();
        font.setPixelSize(72);
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(p.rect().adjusted(0, 40, 0, 0), Qt::AlignHCenter | Qt::AlignTop, "L");
        return p;
    }();
    return QPixmap::fromImage(theme);
}

base::Exception KitError(const std::string& format, std::initializer_list<FormatArg> args) {
    return base::Exception(FormatText(TranslateText(format), args));
}

std::vector<PageEntry<TBaseInstallForm>>& PageFormRegistry() {
    static std::vector<PageEntry<TBaseInstallForm>> list;
    return list;
}
std::vector<PageEntry<TBaseDuringCopyForm>>& DuringCopyFormRegistry() {
    static std::vector<PageEntry<TBaseDuringCopyForm>> list;
    return list;
}
std::vector<PageEntry<TBaseChangeDiskForm>>& ChangeDiskFormRegistry() {
    static std::vector<PageEntry<TBaseChangeDiskForm>> list;
    return list;
}

const PageEntry<TBaseInstallForm>& PageFormEntry(int index) {
    const auto& list = PageFormRegistry();
    if (index < 0 || index >= static_cast<int>(list.size()))
        throw KitError("%d is an invalid index in the BIFList", {index});
    if (!list[static_cast<std::size_t>(index)].Make)
        throw KitError("The %d 'th entry in the BIFList is NIL", {index});
    return list[static_cast<std::size_t>(index)];
}

TDialogManager* DefaultDialogManager(TManagerType kind) {
    const InstallRoot* install = CurrentInstall();
    if (!install) return nullptr;
    for (TDialogManager* m : Managers())
        if (m->ManagerType == kind && m->Parent() &&
            dynamic_cast<const InstallRoot*>(static_cast<const PathComponent*>(m->Parent())) == install)
            return m;
    return nullptr;
}

TDialogManager* CurrentDialogManager() {
    return current;
}

ScreenMetrics CurrentScreenMetrics() {
    if (screenHook) return screenHook();
    ScreenMetrics m;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        m.Width = screen->geometry().width();
        m.Height = screen->geometry().height();
    }
    m.CaptionHeight = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return m;
}

void SetScreenMetricsHook(std::function<ScreenMetrics()> hook) {
    screenHook = std::move(hook);
}

bool IsWholeCopy(const TInstallContainer* sender) {
    return !sender || dynamic_cast<const TCustomInstall*>(sender) != nullptr;
}

bool AskUserAbort() {
    TCustomInstall* install = RunningInstall();
    return install ? install->UserAbort() : true;
}

// --- TDialogManager ---

TDialogManager::TDialogManager(std::string name, TManagerType type)
    : TBroadcastReceiver(std::move(name)), ManagerType(type) {
    Managers().push_back(this);
}

TDialogManager::~TDialogManager() {
    CloseCopyForms();
    for (TCustomBaseInstallDlg* d : std::vector<TCustomBaseInstallDlg*>(dialogs_))
        if (d->DialogManager() == this) d->SetDialogManager(nullptr);
    auto& all = Managers();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    if (current == this) current = nullptr;
}

void TDialogManager::AddDialog(TCustomBaseInstallDlg* dialog) {
    if (!dialog) throw KitError("Cannot add a NIL Dialog to the Dialog Manager %s", {Name()});
    if (std::find(dialogs_.begin(), dialogs_.end(), dialog) == dialogs_.end()) dialogs_.push_back(dialog);
}

void TDialogManager::RemoveDialog(TCustomBaseInstallDlg* dialog) {
    dialogs_.erase(std::remove(dialogs_.begin(), dialogs_.end(), dialog), dialogs_.end());
}

void TDialogManager::ShowDialogs() {
    CurrentManagerScope scope(this);
    std::unique_ptr<TBaseFormContainer> host(fw::CreateForm<TBaseFormContainer>(nullptr));
    host->resize(Width, Height);
    PlaceForm(*host, Position, RelativeLeftOffset, RelativeTopOffset);
    if (host->CollectPages() == 0) return;
    if (host->ShowModal() == fw::mrAbort) throw EAIUserAbort();
    if (fw::Form* main = fw::Application::Instance().MainForm()) main->update();
    QCoreApplication::processEvents();
}

void TDialogManager::ShowChangeDisk(TInstallContainer* file, TParameter* disk) {
    auto& list = ChangeDiskFormRegistry();
    if (list.empty()) return;
    std::unique_ptr<TBaseChangeDiskForm> form(list.front().Make(nullptr));
    if (form->DM != this) return;
    CurrentManagerScope scope(this);
    if (!disk)
        throw KitError("The ParameterObject is Nil in the TDialogManager. Cannot show the change disk form");
    if (!dynamic_cast<TCustomInstallFile*>(file))
        throw base::Exception("TChangeDiskDlg says bad first parameter");
    auto* d = dynamic_cast<TDiskParameter*>(disk);
    if (!d) throw base::Exception("TChangeDiskDlg says bad second parameter");
    // Asked once: the container passes the same request on after the file.
    if (d->Handled) return;
    form->Disk = d;
    form->RefreshForm();
    if (form->ShowModal() == fw::mrAbort) throw EAIUserAbort();
    d->Handled = true;
}

void TDialogManager::PassStatus(TParameter* param, bool download) {
    if (!param) throw IException("%s got a nil PO parameter", {Name()});
    auto* file = dynamic_cast<TFileStatusParameter*>(param);
    auto* net = dynamic_cast<TDownloadStatusParameter*>(param);
    if (!download && !file)
        throw IException("The PO object passed to %s is not a TFileStatusParameter object", {Name()});
    if (download && !net)
        throw IException("The PO object passed to %s is not a TDownloadStatusParameter object", {Name()});
    OpenCopyForms();
    for (TBaseDuringCopyForm* f : copyForms_)
        f->Status(download ? nullptr : file, download ? net : nullptr);
}

void TDialogManager::OpenCopyForms() {
    if (!copyForms_.empty()) return;
    for (const auto& entry : DuringCopyFormRegistry()) {
        std::unique_ptr<TBaseDuringCopyForm> form(entry.Make(nullptr));
        if (form->DM != this) continue;
        PlaceForm(*form, Position, RelativeLeftOffset, RelativeTopOffset);
        form->Show();
        copyForms_.push_back(form.release());
    }
    // On the screen before the first file is written, not once the copy leaves time to paint.
    if (!copyForms_.empty()) QCoreApplication::processEvents();
}

void TDialogManager::CloseCopyForms() {
    const std::vector<TBaseDuringCopyForm*> forms = std::move(copyForms_);
    copyForms_.clear();
    for (TBaseDuringCopyForm* f : forms)
        delete f; // made by the registry's factory without an owner
}

void TDialogManager::Receive(TInstallContainer* sender, int code, TParameter* param) {
    TBroadcastReceiver::Receive(sender, code, param);
    switch (code) {
    case -980:
        if (ManagerType == dmBeforeInstall) ShowDialogs();
        break;
    case -979:
        if (ManagerType == dmAfterGoodInstall) ShowDialogs();
        break;
    case -978:
        if (ManagerType == dmAfterBadInstall) ShowDialogs();
        break;
    case -987:
        if (ManagerType == dmReboot) ShowDialogs();
        break;
    case -998:
        if (ManagerType == dmDuringCopyFiles) PassStatus(param, false);
        break;
    case -988:
        if (ManagerType == dmDuringCopyFiles) PassStatus(param, true);
        break;
    case -992:
        if (ManagerType == dmDuringCopyFiles && IsWholeCopy(sender)) OpenCopyForms();
        break;
    case -996:
        if (ManagerType == dmDuringCopyFiles && IsWholeCopy(sender)) CloseCopyForms();
        break;
    case -993:
        if (ManagerType == dmChangeDisk) ShowChangeDisk(sender, param);
        break;
    default:
        break;
    }
}

// --- TCustomBaseInstallDlg ---

TCustomBaseInstallDlg::TCustomBaseInstallDlg(std::string name, std::string className, TManagerType kind,
                                             int order, int ownCode)
    : TBroadcastReceiver(std::move(name)), Order(order), className_(std::move(className)), ownCode_(ownCode) {
    SetDialogManager(DefaultDialogManager(kind));
}

TCustomBaseInstallDlg::~TCustomBaseInstallDlg() {
    RemoveEntriesOf(PageFormRegistry(), this);
    if (manager_) manager_->RemoveDialog(this);
}

void TCustomBaseInstallDlg::SetDialogManager(TDialogManager* manager) {
    if (manager == manager_) return;
    if (manager) manager->AddDialog(this);
    if (manager_) manager_->RemoveDialog(this);
    manager_ = manager;
}

void TCustomBaseInstallDlg::Translate() {
    TTranslator* t = MainTranslator();
    if (!form_ || !t) return;
    if (AutoSetFont) {
        if (OverrideMainTranslator) {
            const TDrvnLanguage old = t->TranslateIntoLanguage();
            t->SetTranslateIntoLanguage(TranslateIntoLanguage);
            base::TryFinally([&] { SetObjectFonts(*t, form_); }, [&] { t->SetTranslateIntoLanguage(old); });
        } else {
            SetObjectFonts(*t, form_);
        }
    }
    if (AutoTranslate) {
        TextLanguage = OverrideMainTranslator
                           ? TranslateObjectInto(*t, form_, TextLanguage, TranslateIntoLanguage)
                           : TranslateObject(*t, form_, TextLanguage);
    }
}

void TCustomBaseInstallDlg::AssignDialogProperties() {
    if (!form_) throw KitError("Cannot AssignDialogProperties for %s because the Dialog is Nil", {Name()});
    form_->AutoSetFont = AutoSetFont;
    form_->AutoTranslate = AutoTranslate;
    form_->Container = Parent();
    form_->OverrideMainTranslator = OverrideMainTranslator;
    form_->TranslateIntoLanguage = TranslateIntoLanguage;
    form_->DC = this;
    if (!ThemeBitmap.isNull()) form_->Picture->SetPicture(ThemeBitmap);
    Translate();
}

bool TCustomBaseInstallDlg::Execute() {
    bool result = false;
    try {
        if (OnBeforeExecute) OnBeforeExecute(*this);
        result = ShowDialog();
        QCoreApplication::processEvents();
        if (OnAfterExecute) OnAfterExecute(*this);
    } catch (const base::Abort&) {
        return false;
    }
    return result;
}

bool TCustomBaseInstallDlg::ShowDialog() {
    if (!ShouldShow()) return true;
    std::unique_ptr<TBaseFormContainer> host(fw::CreateForm<TBaseFormContainer>(nullptr));
    host->resize(478, 395);
    TBaseInstallForm* page = MakeForm(host->DisplayPanel);
    page->Order = Order;
    form_ = page;
    int result = fw::mrNone;
    base::TryFinally(
        [&] {
            AssignDialogProperties();
            host->AddPage(page);
            result = host->ShowModal();
        },
        [&] { form_ = nullptr; });
    if (result != fw::mrOk) throw EAIUserAbort();
    return true;
}

void TCustomBaseInstallDlg::Receive(TInstallContainer* sender, int code, TParameter* param) {
    TBroadcastReceiver::Receive(sender, code, param);
    if (!manager_ && code == ownCode_) Execute();
}

// --- TBaseFormContainer ---

TBaseFormContainer::TBaseFormContainer(fw::Component* owner) : fw::Form(owner) {
    SetBorderStyle(fw::BorderStyle::bsDialog);
    DisplayPanel = new fw::Panel(this);
    DisplayPanel->SetAlign(fw::Align::alClient);
    resize(478, 395);
    sequence_.OnShowPage = [this](int index) { ShowIndex(index); };
}

int TBaseFormContainer::CollectPages() {
    TDialogManager* manager = CurrentDialogManager();
    if (!manager) throw KitError("The current dialog manager is not defined");
    const auto& list = PageFormRegistry();
    // A dialog entry taken for this manager stands for its form: the form's own entry is not shown again.
    std::vector<std::string> withDialog;
    for (const auto& e : list)
        if (e.Dialog && e.Dialog->DialogManager() == manager && e.Dialog->ShouldShow())
            withDialog.push_back(e.FormClass);
    for (int i = 0; i < static_cast<int>(list.size()); ++i) {
        const PageEntry<TBaseInstallForm> entry = PageFormEntry(i);
        if (entry.Dialog) {
            if (entry.Dialog->DialogManager() != manager || !entry.Dialog->ShouldShow()) continue;
        } else if (std::find(withDialog.begin(), withDialog.end(), entry.FormClass) != withDialog.end()) {
            continue;
        }
        TBaseInstallForm* page = entry.Make(DisplayPanel);
        if (!entry.Dialog && page->DM != manager) {
            delete page;
            continue;
        }
        if (entry.Dialog) {
            page->DC = entry.Dialog;
            page->Container = entry.Dialog->Parent();
            page->Order = entry.Dialog->Order;
            entry.Dialog->SetPageForm(page);
            entry.Dialog->AssignDialogProperties();
        }
        AddPage(page);
    }
    sequence_.SortByOrder();
    std::vector<TBaseInstallForm*> sorted;
    for (int i = 0; i < sequence_.Count(); ++i)
        sorted.push_back(static_cast<TBaseInstallForm*>(sequence_.Page(i)));
    pages_ = sorted;
    return static_cast<int>(pages_.size());
}

void TBaseFormContainer::AddPage(TBaseInstallForm* page) {
    page->SetBounds(0, 0, DisplayPanel->Width(), DisplayPanel->Height());
    page->Hide();
    pages_.push_back(page);
    sequence_.Append(page);
}

TBaseInstallForm* TBaseFormContainer::CurrentPage() const {
    const int i = const_cast<PageSequence&>(sequence_).Current();
    return i >= 0 && i < static_cast<int>(pages_.size()) ? pages_[static_cast<std::size_t>(i)] : nullptr;
}

void TBaseFormContainer::ShowIndex(int index) {
    TBaseInstallForm* page = pages_.at(static_cast<std::size_t>(index));
    for (TBaseInstallForm* p : pages_)
        if (p != page) p->Hide();
    SetCaption(page->PageCaption());
    page->PageShow();
}

void TBaseFormContainer::ShowHook() {
    fw::Form::ShowHook();
    if (started_) return;
    started_ = true;
    for (TBaseInstallForm* p : pages_)
        p->SetBounds(0, 0, DisplayPanel->Width(), DisplayPanel->Height());
    sequence_.Start();
}

void TBaseFormContainer::ResizeHook() {
    fw::Form::ResizeHook();
    for (TBaseInstallForm* p : pages_)
        p->SetBounds(0, 0, DisplayPanel->Width(), DisplayPanel->Height());
}

void TBaseFormContainer::Back() {
    sequence_.Back();
}

void TBaseFormContainer::Next() {
    if (sequence_.Next()) SetModalResult(fw::mrOk);
}

void TBaseFormContainer::ChangeTab(int index) {
    if (TBaseInstallForm* page = CurrentPage()) page->PageLeave();
    if (!sequence_.ShowPage(index, PageSequence::Backwards))
        sequence_.ShowPage(index, PageSequence::Forwards);
}

// --- page bases ---

TBaseInstallForm::TBaseInstallForm(fw::Control* parent, std::string caption, TManagerType kind, int order)
    : fw::Panel(parent), DM(DefaultDialogManager(kind)), Order(order) {
    setWindowTitle(QString::fromStdString(caption));
    SetBevelOuter(fw::BevelCut::bvNone);
    resize(470, 368);
    ButtonPanel = new fw::Panel(this);
    ButtonPanel->SetBevelOuter(fw::BevelCut::bvNone);
    ButtonPanel->SetHeight(52);
    ButtonPanel->SetAlign(fw::Align::alBottom);
    auto* bevel = new fw::Bevel(ButtonPanel);
    bevel->SetBounds(0, 0, 470, 2);
    PicturePanel = new fw::Panel(this);
    PicturePanel->SetBevelOuter(fw::BevelCut::bvNone);
    PicturePanel->SetWidth(136);
    PicturePanel->SetAlign(fw::Align::alLeft);
    Picture = new fw::Image(PicturePanel);
    Picture->SetAlign(fw::Align::alClient);
    Picture->SetPicture(InstallTheme());
    TextPanel = new fw::Panel(this);
    TextPanel->SetBevelOuter(fw::BevelCut::bvNone);
    TextPanel->SetAlign(fw::Align::alClient);

    const auto button = [this](int glid, const std::string& caption, int left) {
        auto* b = new TTranslateBitBtn(ButtonPanel);
        b->GLID = glid;
        b->SetCaption(caption);
        b->SetTabStop(true);
        b->SetBounds(left, 14, 82, 25);
        return b;
    };
    BackBtn = button(4, "< Prije", 180);
    NextBtn = button(5, "Dalje >", 264);
    FinishBtn = button(72, "Kraj", 264);
    FinishBtn->Hide();
    CancelBtn = button(6, "Opoziv", 370);
    CancelBtn->Cancel = true;
    // Return in a page's field goes on, as it does on the buttons.
    NextBtn->Default = true;
    FinishBtn->Default = true;
    BackBtn->OnClick = [this](fw::Component&) { GoBack(); };
    NextBtn->OnClick = [this](fw::Component&) { GoNext(); };
    FinishBtn->OnClick = [this](fw::Component&) { GoNext(); };
    CancelBtn->OnClick = [this](fw::Component&) { CancelPressed(); };
}

TTranslateLabel* TBaseInstallForm::AddText(int glid, const std::string& text, int height) {
    auto* l = new TTranslateLabel(TextPanel);
    l->GLID = glid;
    l->SetAutoSize(false);
    l->SetWordWrap(true);
    l->SetCaption(text);
    l->SetBounds(12, nextTextTop_, 310, height);
    nextTextTop_ += height + 8;
    return l;
}

TBaseFormContainer* TBaseInstallForm::Host() const {
    return dynamic_cast<TBaseFormContainer*>(ParentForm());
}

bool TBaseInstallForm::IsFirstPage() const {
    TBaseFormContainer* host = Host();
    return host && host->Sequence().IsFirstPage();
}

bool TBaseInstallForm::IsLastPage() const {
    TBaseFormContainer* host = Host();
    return host && host->Sequence().IsLastPage();
}

void TBaseInstallForm::AbortPages() {
    if (fw::Form* f = ParentForm()) f->SetModalResult(fw::mrAbort);
}

void TBaseInstallForm::GoNext() {
    if (TBaseFormContainer* host = Host()) host->Next();
}

void TBaseInstallForm::GoBack() {
    if (TBaseFormContainer* host = Host()) host->Back();
}

void TBaseInstallForm::PageShow() {
    // Shown first: only a visible button can take the focus.
    Show();
    RefreshPage();
}

void TBaseInstallForm::RefreshPage() {
    BackBtn->SetVisible(!IsFirstPage());
    if (NextBtn->isVisibleTo(this) && ParentForm() && ParentForm()->isVisible()) NextBtn->SetFocus();
}

void TBaseInstallForm::CancelPressed() {
    if (AskUserAbort()) AbortPages();
}

TBaseDuringCopyForm::TBaseDuringCopyForm(fw::Component* owner, TManagerType kind)
    : fw::Form(owner), DM(DefaultDialogManager(kind)) {}

void TBaseDuringCopyForm::CancelPressed() {
    // The archive checks its flag between blocks; the engine ends the run as a user abort.
    if (AskUserAbort()) SharedCompressor().Abort = true;
    SetModalResult(fw::mrCancel);
}

TBaseChangeDiskForm::TBaseChangeDiskForm(fw::Component* owner, TManagerType kind)
    : fw::Form(owner), DM(DefaultDialogManager(kind)) {}

void TBaseChangeDiskForm::CancelPressed() {
    if (AskUserAbort()) SetModalResult(fw::mrAbort);
}

} // namespace setup
