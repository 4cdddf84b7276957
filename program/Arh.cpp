#include "program/Arh.h"

#include "app/archive/ArchiveCommand.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/shell/FormOpener.h"
#include "app/shell/MyDialog.h"
#include "base/CroatianFormat.h"
#include "base/ProgramState.h"
#include "fw/ui/Keys.h"
#include "program/WinGlavna.h"

#include <QHeaderView>

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
    model_.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_.setRootPath(QStringLiteral("/"));
    setModel(&model_);
    for (int c = 1; c < model_.columnCount(); ++c)
        hideColumn(c);
    header()->hide();
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (OnChange) OnChange();
    });
}

std::filesystem::path TDirectoryListBox::Directory() const {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return {};
    return std::filesystem::path(model_.filePath(current).toStdString());
}

void TDirectoryListBox::SetDirectory(const std::filesystem::path& folder) {
    const QModelIndex index = model_.index(QString::fromStdString(folder.string()));
    if (!index.isValid()) return;
    setCurrentIndex(index);
    scrollTo(index);
    if (OnChange) OnChange();
}

bool TDirectoryListBox::WantsKey(std::uint16_t key, fw::Shift shift) const {
    return shift == fw::ssNone && fw::IsArrowKey(key);
}

TArh::TArh(fw::Component* owner) : kit::TMyForm(owner) {
    SetName("Arh");
    SetCaption("Arhiviranje dokumenata...");
    SetBorderStyle(fw::BorderStyle::bsDialog);
    resize(440, 420);
    KeyPreview = true;

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
}

TArh::~TArh() {
    if (ArchiveForm.Arh == this) ArchiveForm.Arh = nullptr;
}

void TArh::FormShow(fw::Component&) {
    const std::filesystem::path folder =
        MainWindow.ProgramFolderPath.empty() ? ProgramFolder() : MainWindow.ProgramFolderPath;
    DirectoryListBox1->SetDirectory(ArchiveFolderText(folder));
    lDir->SetCaption(ArchiveFolderText(folder));
    ArchiveName = ArchiveNameOf(ProgramFile());
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
    hooks.ShowStatus = [this](const std::string& text) {
        pCopy->SetCaption(text);
        pCopy->repaint();
    };
    hooks.Animate = [this](bool running) {
        Animate->setRange(0, running ? 0 : 1);
        Animate->SetVisible(running);
        Animate->repaint();
    };
    hooks.FlushAllTables = [] { FlushAllTables(); };
    LastRunSucceeded = RunArchive(ZipMaster1, job, hooks);
}

void PrikaziArhiviranje(fw::Form* Caller) {
    OpenForm<TArh>(ArchiveForm.Arh, Caller);
}

} // namespace app
