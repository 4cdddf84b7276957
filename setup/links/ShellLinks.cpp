#include "setup/links/ShellLinks.h"

#include "base/FileIo.h"
#include "base/ProgramState.h"
#include "base/ReplaceFile.h"
#include "base/Text.h"
#include "setup/install/Install.h"
#include "setup/install/UninstallExe.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/Registry.h"
#include "setup/kit/ShellFolders.h"
#include "setup/links/DesktopEntry.h"
#include "setup/links/ProgramManager.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace setup {

namespace fs = std::filesystem;

namespace {

struct State {
    TMainLinkGroup* mainGroup = nullptr;
    std::vector<TCustomInstallShellLink*> links;
    std::unique_ptr<psObjectLink> objectLinkKind;
};
State state;
void ResetState() {
    base::Reinitialise(state);
}
[[maybe_unused]] const bool registered = base::RegisterStateReset(base::StateLayer::Kit, &ResetState);

// The run notes the folders it makes and the entries it adds (not those an earlier installation
// wrote), so that a run failing later takes them away again.
void MakeFolder(const std::string& folder, TCustomInstall* root) {
    if (root) root->NoteNewFolders(RemoveBackslash(folder));
    if (const int error = base::MakeFolders(folder))
        throw IEInstallShellLink("Cannot create the folder %s: %s", {folder, std::strerror(error)});
}

void WriteEntryFile(const std::string& file, const std::string& text, TCustomInstall* root,
                    const base::ReplaceOptions& options = {}) {
    const bool existed = ::access(file.c_str(), F_OK) == 0;
    base::ReplaceFile(file, text, options);
    if (root && !existed) root->NoteNewFile(file);
}

std::string Extension(const std::string& name) {
    const std::string part = NamePart(name);
    const std::size_t dot = part.rfind('.');
    return dot == std::string::npos ? std::string() : base::UpperCase(part.substr(dot));
}

std::string Stem(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    const std::size_t sep = name.find_last_of("/\\");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return name;
    return name.substr(0, dot);
}

// "Lumeno Test" as part of a file name in the menu folders.
std::string MenuId(const std::string& name) {
    std::string id = SafeFileName(name);
    std::replace(id.begin(), id.end(), ' ', '-');
    return id;
}

// The kind that finally decides the folder, following the containers' own folders upwards.
const TCustomPathSpecifier* EffectiveKind(const PathComponent* c) {
    for (int depth = 0; c && depth < 100; ++depth) {
        const TCustomPathSpecifier* kind = c->DestDirType();
        if (!dynamic_cast<const psContainerDestDir*>(kind)) return kind;
        c = c->Container();
    }
    return nullptr;
}

} // namespace

std::string DesktopDirectoriesFolder() {
    return AddBackslash(FolderPart(StartMenuFolder())) + "desktop-directories";
}

std::string MergedMenusFolder() {
    // Redirected like the other shell folders when the value is there.
    if (RegValueExists(HKEY_CURRENT_USER, ShellFoldersKey, "Merged Menus"))
        return RemoveBackslash(ReadRegString(HKEY_CURRENT_USER, ShellFoldersKey, "Merged Menus", ""));
    if (::geteuid() == 0) return "/etc/xdg/menus/applications-merged";
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = config && *config ? config : std::string(home ? home : "") + "/.config";
    return RemoveBackslash(base) + "/menus/applications-merged";
}

// --- groups ---

void TCustomShellLinkGroup::Process() {
    if (OnBeforeProcess) OnBeforeProcess(*this);
    Broadcast(this, -991, nullptr);
    if (Include && Selected()) MakeFolder(DestPath(), Root());
    TInstallObject::Process();
    if (OnAfterProcess) OnAfterProcess(*this);
}

TMainLinkGroup::TMainLinkGroup(std::string name) : TCustomShellLinkGroup(std::move(name)) {
    if (state.mainGroup)
        throw IEShellLinkGroup("You can only have one TMainLinkGroup component in your project");
    state.mainGroup = this;
}

TMainLinkGroup::~TMainLinkGroup() {
    if (state.mainGroup == this) state.mainGroup = nullptr;
}

TMainLinkGroup* MainLinkGroup() {
    return state.mainGroup;
}

const TCustomPathSpecifier* TMainLinkGroup::DestDirType() const {
    return &FindKind<psProgramMenu>();
}

std::string TMainLinkGroup::DestDir() const {
    if (folderSet_) return folder_;
    if (const TCustomInstall* root = Root()) return "\\" + root->Information.ProductName;
    return "\\MainFolderName";
}

void TMainLinkGroup::SetDestDir(std::string dir) {
    folder_ = std::move(dir);
    folderSet_ = true;
}

void TMainLinkGroup::InstallChildren() {
    menuFiles_.clear();
    TCustomShellLinkGroup::InstallChildren();
    // The folder shows in the menu through a sub-menu of its own listing the entries written into it.
    const std::string apps = AddBackslash(StartMenuFolder());
    const std::string folder = DestPath();
    if (folder.rfind(apps, 0) != 0 || folder.size() == apps.size()) return;
    std::vector<std::string> ids;
    for (int i = 0; i < Count(); ++i) {
        auto* link = dynamic_cast<TCustomInstallShellLink*>(Items(i));
        if (!link || link->WrittenFile().rfind(apps, 0) != 0) continue;
        std::string id = link->WrittenFile().substr(apps.size());
        std::replace(id.begin(), id.end(), '/', '-');
        ids.push_back(id);
    }
    const std::string title = NamePart(folder);
    const std::string id = "lumeno-" + MenuId(title);
    DesktopEntry dir;
    dir.Type = "Directory";
    dir.Name = title;
    TCustomInstall* root = Root();
    MakeFolder(DesktopDirectoriesFolder(), root);
    MakeFolder(MergedMenusFolder(), root);
    const std::string directoryFile = DesktopDirectoriesFolder() + "/" + id + ".directory";
    const std::string menuFile = MergedMenusFolder() + "/" + id + ".menu";
    WriteEntryFile(directoryFile, FormatDesktopEntry(dir), root);
    WriteEntryFile(menuFile, FormatMergedMenu(title, id + ".directory", ids), root);
    menuFiles_ = {directoryFile, menuFile};
}

void TMainLinkGroup::WriteUninstallData(const std::string& key) {
    for (const std::string& f : menuFiles_)
        RecordUninstallFile(key, f);
}

// --- shortcuts ---

psObjectLink& ObjectLinkKind() {
    for (TCustomPathSpecifier* k : PathKinds())
        if (auto* found = dynamic_cast<psObjectLink*>(k)) return *found;
    if (!state.objectLinkKind) state.objectLinkKind = std::make_unique<psObjectLink>();
    return *state.objectLinkKind;
}

const std::vector<TCustomInstallShellLink*>& ShellLinks() {
    return state.links;
}

void psObjectLink::Check(const PathComponent* component) const {
    const auto* link = dynamic_cast<const TCustomInstallShellLink*>(component);
    if (!link)
        throw IEPathSpecifier(
            "%s must be a %s to use the %s path specifier",
            {component ? component->Name() : std::string(), "TCustomInstallShellLink", Name()});
    if (!link->ObjectLink())
        throw IEPathSpecifier("Cannot use ddObjectLink for %s unless you assign a value to ObjectLink",
                              {link->Name()});
}

void psObjectLink::Expand(const PathComponent* component, std::string& path) const {
    Check(component);
    const TInstallContainer* object = dynamic_cast<const TCustomInstallShellLink*>(component)->ObjectLink();
    if (const auto* file = dynamic_cast<const TCustomInstallFile*>(object))
        path = file->TargetPath();
    else
        path = object->DestPath();
}

TCustomInstallShellLink::TCustomInstallShellLink(std::string name) : TInstallObject(std::move(name)) {
    ObjectLinkKind();
    state.links.push_back(this);
}

TCustomInstallShellLink::~TCustomInstallShellLink() {
    state.links.erase(std::remove(state.links.begin(), state.links.end(), this), state.links.end());
}

void TCustomInstallShellLink::SetLinkName(std::string name) {
    const std::string ext = Extension(name);
    if (ext == ".URL") {
        objectLink_ = nullptr;
    } else if (ext != ".LNK" && !name.empty()) {
        const std::string previous = Extension(linkName_);
        name += previous.empty() ? std::string(".LNK")
                                 : NamePart(linkName_).substr(NamePart(linkName_).rfind('.'));
    }
    linkName_ = std::move(name);
}

void TCustomInstallShellLink::SetObjectLink(TInstallContainer* object) {
    if (!object) {
        objectLink_ = nullptr;
        objectLocationType_ = nullptr;
        return;
    }
    objectLink_ = object;
    SetObjectLocationType(&ObjectLinkKind());
    if (const auto* file = dynamic_cast<const TCustomInstallFile*>(object))
        linkName_ = file->DestName + ".lnk";
    else if (const auto* group = dynamic_cast<const TInstallFileGroup*>(object))
        linkName_ = group->GroupName + ".lnk";
    else
        linkName_ = object->Name() + ".lnk";
    if (!Parent()) SetContainer(object);
}

void TCustomInstallShellLink::SetObjectLocation(std::string location) {
    objectLocation_ = std::move(location);
    if (dynamic_cast<const psObjectLink*>(objectLocationType_)) objectLocation_.clear();
    if (objectLocation_.empty() || !(linkName_.empty() || Extension(linkName_) == ".LNK")) return;
    const std::string upper = base::UpperCase(objectLocation_);
    for (const char* scheme : {"HTTP://", "FTP://"}) {
        const std::size_t at = upper.find(scheme);
        if (at != std::string::npos) {
            SetLinkName(SafeFileName(objectLocation_.substr(at + std::string(scheme).size())) + ".URL");
            return;
        }
    }
    SetLinkName(Stem(NamePart(objectLocation_)));
}

void TCustomInstallShellLink::SetObjectLocationType(const TCustomPathSpecifier* kind) {
    if (kind) kind->Check(this);
    objectLocationType_ = kind;
    if (dynamic_cast<const psObjectLink*>(kind)) objectLocation_.clear();
}

std::string TCustomInstallShellLink::Target() const {
    const std::string location = RemoveBackslash(NormalizeSeparators(objectLocation_));
    if (!objectLocationType_) return location;
    std::string base;
    objectLocationType_->Check(this);
    objectLocationType_->Expand(this, base);
    base = RemoveBackslash(base);
    if (location.empty()) return base;
    return RemoveBackslash(base) + (location.front() == '/' ? "" : "/") + location;
}

void TCustomInstallShellLink::RequireLinkName() const {
    if (base::Trim(linkName_).empty())
        throw IEInstallShellLink("The LinkName is blank for %s and therefore could not be installed",
                                 {Name()});
}

void TCustomInstallShellLink::Process() {
    written_.clear();
    if (OnBeforeProcess) OnBeforeProcess(*this);
    TInstallObject::Process();
    if (OnAfterProcess) OnAfterProcess(*this);
}

void TCustomInstallShellLink::InstallChildren() {
    if (dynamic_cast<TUninstallEXE*>(objectLink_)) {
        const TCustomInstall* root = Root();
        if (!root)
            throw IEInstallShellLink("%s cannot perform operation because there is no TInstall component",
                                     {Name()});
        Parameters = root->Information.ProductName;
    }
    if (Extension(linkName_) == ".URL")
        WriteInternetShortcut();
    else if (Method == mtShellLinkInterface ||
             (Method == mtAutoDetect && (WindowsVersionCode() == 1 || WindowsVersionCode() == 2)))
        WriteShellLink();
    else
        WriteProgramManagerItem();
    TInstallObject::InstallChildren();
}

namespace {

// Launchers on the desktop must be executable to be started; menu entries need not be.
mode_t EntryMode(const std::string& folder) {
    return RemoveBackslash(folder) == RemoveBackslash(DesktopFolder()) ? 0755 : 0644;
}

} // namespace

namespace {

// Whether a shortcut's target is started itself: an executable file.
bool RunsAsProgram(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) return S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0;
    // Not installed (yet): a name without an extension, as programs have here, or a script's.
    const std::string ext = Extension(target);
    return ext.empty() || ext == ".SH";
}

} // namespace

void TCustomInstallShellLink::WriteShellLink() {
    TCustomInstall* root = Root();
    if (auto* group = dynamic_cast<TCustomShellLinkGroup*>(objectLink_)) MakeFolder(group->DestPath(), root);
    RequireLinkName();
    const std::string folder = DestPath();
    MakeFolder(folder, root);
    try {
        const std::string target = Target();
        DesktopEntry e;
        e.Name = Stem(base::Trim(linkName_));
        // A document or a folder opens in the desktop's own program for it.
        e.Exec = RunsAsProgram(target)
                     ? ExecLine(target, ExpandPathVariables(Parameters, this))
                     : DocumentOpener + (" " + ExecLine(target, ExpandPathVariables(Parameters, this)));
        e.Path = RemoveBackslash(FolderPart(target));
        const std::string file = AddBackslash(folder) + SafeFileName(e.Name) + ".desktop";
        base::ReplaceOptions options;
        options.Mode = EntryMode(folder);
        WriteEntryFile(file, FormatDesktopEntry(e), root, options);
        written_ = file;
    } catch (const std::exception& e) {
        throw IEInstallShellLink(
            "The TCustomInstallShellLink %s name could not be installed. The following error was reported %s",
            {Name(), e.what()});
    }
}

void TCustomInstallShellLink::WriteInternetShortcut() {
    RequireLinkName();
    TCustomInstall* root = Root();
    const std::string folder = DestPath();
    MakeFolder(folder, root);
    DesktopEntry e;
    e.Type = "Link";
    e.Name = Stem(base::Trim(linkName_));
    e.URL = objectLocation_;
    const std::string file = AddBackslash(folder) + SafeFileName(e.Name) + ".desktop";
    base::ReplaceOptions options;
    options.Mode = EntryMode(folder);
    WriteEntryFile(file, FormatDesktopEntry(e), root, options);
    written_ = file;
}

void TCustomInstallShellLink::WriteProgramManagerItem() {
    if (!dynamic_cast<const psProgramMenu*>(EffectiveKind(this))) return;
    const std::string group = NamePart(RemoveBackslash(DestPath()));
    if (base::Trim(group).empty())
        throw IEInstallShellLink("The LinkName is blank for %s and therefore could not be installed",
                                 {Name()});
    TProgramManager& pm = ProgramManager();
    pm.CreateGroup(group);
    const std::string name = Stem(linkName_);
    if (pm.FindItem(name) > 0) pm.ReplaceItem(name);
    const std::string target = Target();
    pm.AddItem("\"" + target + "\" " + ExpandPathVariables(Parameters, this), name, 0,
               "\"" + RemoveBackslash(FolderPart(target)) + "\"", 0, "");
}

void TCustomInstallShellLink::WriteUninstallData(const std::string& key) {
    if (!written_.empty()) RecordUninstallFile(key, written_);
}

TInstallMainLink::TInstallMainLink(std::string name) : TCustomInstallShellLink(std::move(name)) {
    if (!MainLinkGroup())
        throw IEInstallShellLink(
            "To create a TInstallMainLink you must first have a TMainLinkGroup component in your project");
    TInstallObject::SetContainer(MainLinkGroup());
}

void TInstallMainLink::SetContainer(TInstallContainer* container) {
    if (container != MainLinkGroup())
        throw IEInstallShellLink(
            "The TMainLinkGroup component must be the Container for TInstallMainLink and "
            "TSubLinkGroup components");
    TInstallObject::SetContainer(container);
}

} // namespace setup
