#include "program/Arh.h"
#include "kit/FocusCue.h"

#include "app/archive/ArchiveCommand.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/shell/FormOpener.h"
#include "app/shell/MyDialog.h"
#include "base/CroatianFormat.h"
#include "base/ProgramState.h"
#include "fw/ui/Guard.h"
#include "fw/ui/Keys.h"
#include "program/WinGlavna.h"

#include <QApplication>
#include <QHeaderView>
#include <QMetaObject>

namespace app {

ArchiveFormState ArchiveForm;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Program, [] { ArchiveForm = ArchiveFormState(); });
} // namespace

namespace {

std::filesystem::path ProgramFile() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path("plom") : program;
}

} // namespace

TDirectoryListBox::TDirectoryListBox(fw::Control* parent, fw::Component* owner)
    : fw::ControlOf<QTreeView>(parent, owner) {
    SetTabStop(true);
    MarkFocus(false);
    model_.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    // Connected before the view and its selection model are: when a folder's row goes, the current row
    // that they move to its neighbour is not the user's choice.
    connect(&model_, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { removingRows_ = true; });
    connect(&model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { removingRows_ = true; });
    model_.setRootPath(QStringLiteral("/"));
    setModel(&model_);
    // Once the rows have settled, a chosen folder that went is shown as no row at all, never as the
    // neighbour the view moved to.
    auto removed = [this] {
        removingRows_ = false;
        QMetaObject::invokeMethod(
            this, [this] { fw::GuardedEvent([this] { ForgetVanishedRow(); }); }, Qt::QueuedConnection);
    };
    connect(&model_, &QAbstractItemModel::rowsRemoved, this, removed);
    connect(&model_, &QAbstractItemModel::modelReset, this, removed);
    // Folders arrive and get sorted a while after the list opens: the chosen one is kept in view until the
    // user moves.
    auto reveal = [this] {
        if (revealPending_) fw::GuardedEvent([this] { RevealChosen(); });
    };
    connect(&model_, &QFileSystemModel::directoryLoaded, this, reveal);
    connect(&model_, &QAbstractItemModel::rowsInserted, this, reveal, Qt::QueuedConnection);
    connect(&model_, &QAbstractItemModel::layoutChanged, this, reveal, Qt::QueuedConnection);
    for (int c = 1; c < model_.columnCount(); ++c)
        hideColumn(c);
    header()->hide();
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (!removingRows_) fw::Guarded([&] { Choose(current); });
    });
    // A click chooses the folder clicked, also the row the view had made current on its own.
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (!removingRows_) fw::Guarded([&] { Choose(index); });
        if (index.isValid() && !selectionModel()->isSelected(index))
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    });
}

void TDirectoryListBox::ForgetVanishedRow() {
    std::error_code error;
    if (chosen_.empty() || std::filesystem::exists(chosen_, error)) return;
    const QSignalBlocker quiet(selectionModel());
    selectionModel()->clear();
    viewport()->update();
}

void TDirectoryListBox::DoEnter() {
    MarkFocus(true);
    fw::ControlOf<QTreeView>::DoEnter();
}

void TDirectoryListBox::DoExit() {
    MarkFocus(false);
    fw::ControlOf<QTreeView>::DoExit();
}

void TDirectoryListBox::MarkFocus(bool focused) {
    kit::MarkCurrentRow(*this, focused);
}

void TDirectoryListBox::Choose(const QModelIndex& index) {
    if (!index.isValid()) return;
    revealPending_ = false;
    const std::filesystem::path folder(model_.filePath(index).toStdString());
    if (folder == chosen_) return;
    chosen_ = folder;
    if (OnChange) OnChange();
}

void TDirectoryListBox::SetDirectory(const std::filesystem::path& folder) {
    chosen_ = folder;
    revealPending_ = true;
    RevealChosen();
    if (OnChange) OnChange();
}

void TDirectoryListBox::RevealChosen() {
    const QModelIndex index = model_.index(QString::fromStdString(chosen_.string()));
    if (!index.isValid()) return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        expand(up);
    if (currentIndex() != index) {
        const QSignalBlocker quiet(selectionModel());
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        viewport()->update();
    }
    scrollTo(index, QAbstractItemView::PositionAtCenter);
}

bool TDirectoryListBox::WantsKey(std::uint16_t key, fw::Shift shift) const {
    return shift == fw::ssNone && fw::IsArrowKey(key);
}

TArh::TArh(fw::Component* owner) : kit::TMyForm(owner) {
    SetName("Arh");
    SetCaption("Arhiviranje dokumenata...");
    SetBorderStyle(fw::BorderStyle::bsDialog);
    resize(440, 420);
    setFixedSize(size());
    KeyPreview = true;
    // The component's plain messages ("No valid zip entries found", ...) are the user's to read.
    if (!ZipMaster.MessageProc) SetZipShowMessage([](const std::string& text) { fw::ShowMessage(text); });

    Label1 = new fw::Label(this, this);
    Label1->SetName("Label1");
    Label1->SetCaption("Odredište arhive:");
    Label1->SetBounds(16, 12, 200, 20);
    DirectoryListBox1 = new TDirectoryListBox(this, this);
    DirectoryListBox1->SetName("DirectoryListBox1");
    DirectoryListBox1->SetBounds(16, 36, 408, 220);
    lDir = new fw::Label(this, this);
    lDir->SetName("lDir");
    lDir->SetAutoSize(false);
    lDir->SetBounds(16, 262, 408, 20);
    DirectoryListBox1->OnChange = [this] {
        lDir->SetCaption(ArchiveFolderText(DirectoryListBox1->Directory()));
    };
    pCopy = new fw::Panel(this, this);
    pCopy->SetName("pCopy");
    pCopy->SetFontColor(fw::clRed);
    pCopy->SetBounds(16, 290, 408, 32);
    Animate = new fw::Gauge(this, this);
    Animate->SetName("Animate");
    Animate->SetBounds(16, 330, 408, 16);
    Animate->SetVisible(false);
    bArhiviraj = new kit::TMyBitBtn(this, this);
    bArhiviraj->SetName("bArhiviraj");
    bArhiviraj->SetCaption("Arhiviraj");
    bArhiviraj->SetBounds(150, 360, 140, 40);
    bArhiviraj->OnClick = [this](fw::Component& s) { bArhivirajClick(s); };

    ZipMaster1.AddCompLevel = 9;
    ZipMaster1.AddOptions = {AddDirNames, AddRecurseDirs};
    ZipMaster1.ExtrOptions = {ExtrDirNames, ExtrUpdate};
    kit::TMyForm::OnShow = [this](fw::Component& s) { FormShow(s); };
    // Leaving while a run is under way would leave its result unseen.
    kit::TMyForm::OnCloseQuery = [this](fw::Component&, bool& canClose) {
        if (!runner_.Running()) return;
        canClose = false;
        ShowInfo("Proces arhiviranja je u tijeku....");
    };
}

TArh::~TArh() {
    runner_.Cancel();
    if (ArchiveForm.Arh == this) ArchiveForm.Arh = nullptr;
}

void TArh::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) runner_.Cancel();
    kit::TMyForm::hideEvent(event);
}

void TArh::ShowStatus(const std::string& text) {
    pCopy->SetCaption(text);
    // A long text is cut in the panel: the whole of it is a hover away.
    pCopy->setToolTip(pCopy->ShownCaption() == QString::fromStdString(text) ? QString()
                                                                            : QString::fromStdString(text));
    pCopy->repaint();
}

void TArh::FormShow(fw::Component&) {
    const std::filesystem::path folder =
        MainWindow.ProgramFolderPath.empty() ? ProgramFolder() : MainWindow.ProgramFolderPath;
    CentreOnScreen();
    DirectoryListBox1->SetDirectory(ArchiveFolderText(folder));
    lDir->SetCaption(ArchiveFolderText(folder));
    ArchiveName = ArchiveNameOf(ProgramFile());
    RemoveStaleArchiveFiles(folder, ArchiveName);
    ZipMaster1.AddOptions = ArchiveAddOptions(folder, ArchiveName);
}

void TArh::bArhivirajClick(fw::Component&) {
    LastRunSucceeded = false;
    ArchiveJob job;
    job.ProgramFolder = MainWindow.ProgramFolderPath.empty() ? ProgramFolder() : MainWindow.ProgramFolderPath;
    job.ArchiveName = ArchiveName;
    job.Destination = DirectoryListBox1->Directory();
    job.Today = base::Today();
    job.GlobalFolder = WBegin.GlobalFolder;
    job.LokalFolder = WBegin.LokalFolder;
    job.LinkFolder = WBegin.LinkFolder;
    ArchiveHooks hooks;
    hooks.ShowInfo = [](const std::string& text) { ShowInfo(text); };
    hooks.ShowStatus = [this](const std::string& text) { ShowStatus(text); };
    hooks.Animate = [this](bool running) {
        Animate->setRange(0, running ? 0 : 1);
        Animate->SetVisible(running);
        Animate->repaint();
    };
    hooks.FlushAllTables = [] { FlushAllTables(); };
    hooks.Post = [this](std::function<void()> call) {
        QMetaObject::invokeMethod(
            this, [call = std::move(call)] { fw::Guarded(call); }, Qt::QueuedConnection);
    };
    RemoveStaleArchiveFiles(job.ProgramFolder, job.ArchiveName, job.Destination);
    runner_.Start(ZipMaster1, job, hooks, [this](bool succeeded) {
        LastRunSucceeded = succeeded;
        if (OnArchived) OnArchived(succeeded);
    });
}

void PrikaziArhiviranje(fw::Form* Caller) {
    OpenForm<TArh>(ArchiveForm.Arh, Caller);
}

} // namespace app
