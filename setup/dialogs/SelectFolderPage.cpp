#include "setup/dialogs/SelectFolderPage.h"

#include "base/Text.h"
#include "fw/ui/Guard.h"
#include "setup/install/InstallUi.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/ShellFolders.h"
#include "setup/links/ShellLinks.h"

#include <algorithm>
#include <filesystem>

namespace setup {

namespace fs = std::filesystem;

namespace {

const bool entered = [] {
    PageFormRegistry().push_back({TSelectFolderForm::ClassName,
                                  [](fw::Control* parent) { return new TSelectFolderForm(parent); }, nullptr,
                                  0});
    return true;
}();

bool IsShortcutGroup(const TInstallContainer* c) {
    return dynamic_cast<const TCustomShellLinkGroup*>(c) != nullptr;
}

} // namespace

bool ValidMenuFolder(const std::string& name) {
    const std::string n = base::Trim(name);
    return !n.empty() && n != "." && n != ".." && n.find('/') == std::string::npos &&
           n.find('\\') == std::string::npos;
}

std::vector<std::string> ExistingMenuFolders() {
    std::vector<std::string> names;
    std::error_code ec;
    const std::string menu = ProgramsFolder();
    if (menu.empty()) return names;
    for (fs::directory_iterator it(menu, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec)) names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TSelectFolderForm::TSelectFolderForm(fw::Control* parent)
    : TBaseInstallForm(parent, "Odabir kataloga za meni pokretanja aplikacije", dmBeforeInstall, 60) {
    (void)entered;
    AddText(0, "Upišite ili odaberite katalog izbornika u koji će se smjestiti prečaci aplikacije.", 36);
    FolderEdit = new fw::Edit(TextPanel);
    FolderEdit->SetTabStop(true);
    FolderEdit->SetBounds(12, nextTextTop_, 310, 22);
    Folders = new TListBox(TextPanel);
    Folders->SetBounds(12, nextTextTop_ + 30, 310, 200);
    FolderEdit->OnChange = [this](fw::Component&) { EditChanged(); };
    QObject::connect(Folders, &QListWidget::currentTextChanged, Folders, [this](const QString& text) {
        if (!text.isEmpty()) FolderEdit->SetText(text.toStdString());
    });
}

TInstallContainer* TSelectFolderForm::Group() const {
    return IsShortcutGroup(Container) ? Container : nullptr;
}

bool TSelectFolderForm::SkipPage() const {
    return Group() == nullptr;
}

void TSelectFolderForm::RefreshPage() {
    if (!filled_ && Group()) {
        filled_ = true;
        Folders->clear();
        const std::vector<std::string> existing = ExistingMenuFolders();
        for (const std::string& name : existing)
            Folders->addItem(QString::fromStdString(name));
        std::string start;
        if (Group()->DestDirType() == &FindKind<psProgramMenu>() || dynamic_cast<TMainLinkGroup*>(Group()))
            start = NamePart(Group()->DestDir());
        if (start.empty() && !existing.empty()) start = existing.front();
        FolderEdit->SetText(start);
    }
    TBaseInstallForm::RefreshPage();
}

void TSelectFolderForm::EditChanged() {
    TInstallContainer* group = Group();
    const std::string name = base::Trim(FolderEdit->Text());
    // A name that would leave the menu folder is never taken.
    if (!group || !ValidMenuFolder(name)) return;
    // The main group's folder always lies in the menu; another group is pointed at the menu here.
    if (auto* main = dynamic_cast<TMainLinkGroup*>(group)) {
        main->SetDestDir("\\" + name);
        return;
    }
    group->SetDestDirType(&FindKind<psProgramMenu>());
    group->SetDestDir("\\" + name);
}

void TSelectFolderForm::GoNext() {
    if (!ValidMenuFolder(FolderEdit->Text())) {
        fw::MessageBeep(0);
        ShowKitMessage("Katalog izbornika mora biti jedno ime, bez znakova \"/\" i \"\\\" i različito od "
                       "\".\" i \"..\": <" +
                       FolderEdit->Text() + ">");
        FolderEdit->SetFocus();
        return;
    }
    TBaseInstallForm::GoNext();
}

TSelectFolderDlg::TSelectFolderDlg(std::string name)
    : TPageDlg(std::move(name), "TSelectFolderDlg", dmBeforeInstall, 60, -991) {}

bool TSelectFolderDlg::ShouldShow() {
    return IsShortcutGroup(Parent());
}

void TSelectFolderDlg::AssignDialogProperties() {
    if (!Parent()) throw KitError("Cannot run this dialog %s with a blank Container property", {Name()});
    if (!IsShortcutGroup(Parent()))
        throw KitError("The container for %s must be a TCustomShellLinkGroup", {Name()});
    TPageDlg::AssignDialogProperties();
}

} // namespace setup
