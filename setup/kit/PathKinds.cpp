#include "setup/kit/PathKinds.h"

#include "base/Text.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/Registry.h"
#include "setup/kit/ShellFolders.h"

#include <algorithm>

namespace setup {

namespace {

InstallRoot* currentInstall = nullptr;

// The lists outlive every kind: kinds held by other statics unregister themselves at exit, after this
// file's statics may already be gone, so the lists are never destroyed.
std::vector<TCustomPathSpecifier*>& Kinds() {
    static auto* list = new std::vector<TCustomPathSpecifier*>;
    return *list;
}

std::vector<TCustomPathSpecifier*>& Standard() {
    static auto* list = new std::vector<TCustomPathSpecifier*>;
    return *list;
}

void Remove(std::vector<TCustomPathSpecifier*>& list, TCustomPathSpecifier* kind) {
    list.erase(std::remove(list.begin(), list.end(), kind), list.end());
}

const std::string NoName = "(unnamed)";

std::string NameOf(const PathComponent* c) {
    return c ? c->Name() : NoName;
}

InstallRoot& RequireInstall(const PathComponent* component) {
    InstallRoot* install = CurrentInstall();
    if (!install)
        throw IEPathSpecifier(
            "There is no TInstall component so the path specifier could not be expanded for %s",
            {NameOf(component)});
    return *install;
}

void RequireInstallObject(const PathComponent* component, const std::string& kind) {
    if (!component || !component->IsInstallObject())
        throw IEPathSpecifier("%s must be a %s to use the %s path specifier",
                              {NameOf(component), "TInstallObject", kind});
}

// Joins a base folder and a configured relative folder ("\Lumeno" or "Lumeno").
std::string Join(const std::string& base, const std::string& rest) {
    std::string tail = NormalizeSeparators(rest);
    if (base.empty()) return tail;
    if (tail.empty()) return base;
    if (base.back() == '/' && tail.front() == '/') return base + tail.substr(1);
    if (base.back() != '/' && tail.front() != '/') return base + "/" + tail;
    return base + tail;
}

// The components whose paths are being expanded on this thread, to catch containers that contain
// themselves (directly or through others) before the recursion runs out of stack.
class ExpansionGuard {
public:
    explicit ExpansionGuard(const PathComponent& component) {
        for (const PathComponent* c : Stack())
            if (c == &component)
                throw IEPathSpecifier("Circular reference: the path of %s depends on itself",
                                      {component.Name()});
        Stack().push_back(&component);
    }
    ~ExpansionGuard() { Stack().pop_back(); }
    ExpansionGuard(const ExpansionGuard&) = delete;
    ExpansionGuard& operator=(const ExpansionGuard&) = delete;

private:
    static std::vector<const PathComponent*>& Stack() {
        static thread_local std::vector<const PathComponent*> stack;
        return stack;
    }
};

std::string Expanded(const TCustomPathSpecifier* kind, const PathComponent& component,
                     const std::string& rest) {
    ExpansionGuard guard(component);
    std::string base;
    if (kind) {
        kind->Check(&component);
        kind->Expand(&component, base);
    }
    // The base is a folder of this system as it stands (a "\" in it is part of a name); only the configured
    // rest may use "\" for its separators.
    return RemoveBackslash(Join(base, rest));
}

} // namespace

InstallRoot* CurrentInstall() {
    return currentInstall;
}

void SetCurrentInstall(InstallRoot* install) {
    currentInstall = install;
}

TCustomPathSpecifier::TCustomPathSpecifier(std::string name) : name_(std::move(name)) {
    AddKind(this);
}

TCustomPathSpecifier::~TCustomPathSpecifier() {
    RemoveKind(this);
}

void TCustomPathSpecifier::Check(const PathComponent*) const {}

void TCustomPathSpecifier::Expand(const PathComponent*, std::string& path) const {
    path.clear();
}

TStandardPathSpecifier::TStandardPathSpecifier(std::string name) : TCustomPathSpecifier(std::move(name)) {
    Standard().push_back(this);
}

TStandardPathSpecifier::~TStandardPathSpecifier() {
    Remove(Standard(), this);
}

const std::vector<TCustomPathSpecifier*>& PathKinds() {
    return Kinds();
}

const std::vector<TCustomPathSpecifier*>& StandardPathKinds() {
    return Standard();
}

void AddKind(TCustomPathSpecifier* kind) {
    if (!kind) throw IEPathSpecifierList("Tried to add a nil object to the path specifier list");
    if (std::find(Kinds().begin(), Kinds().end(), kind) == Kinds().end()) Kinds().push_back(kind);
}

void RemoveKind(TCustomPathSpecifier* kind) {
    Remove(Kinds(), kind);
}

void RaiseKindNotFound() {
    throw IEPathSpecifierList("Could not find the path specifier");
}

namespace {

template <class Kind>
void Ensure(std::vector<std::unique_ptr<TCustomPathSpecifier>>& owner, bool onlyMissing) {
    if (onlyMissing)
        for (TCustomPathSpecifier* k : PathKinds())
            if (dynamic_cast<Kind*>(k)) return;
    owner.push_back(std::make_unique<Kind>());
}

} // namespace

void EnsureStandardKinds(std::vector<std::unique_ptr<TCustomPathSpecifier>>& owner, bool onlyMissing) {
    Ensure<psBDEDLL>(owner, onlyMissing);
    Ensure<psCommonFiles>(owner, onlyMissing);
    Ensure<psContainerArchiveFile>(owner, onlyMissing);
    Ensure<psContainerDestDir>(owner, onlyMissing);
    Ensure<psDesktopMenu>(owner, onlyMissing);
    Ensure<psInstallSource>(owner, onlyMissing);
    Ensure<psMainInstall>(owner, onlyMissing);
    Ensure<psMainArchiveFile>(owner, onlyMissing);
    Ensure<psProgramFiles>(owner, onlyMissing);
    Ensure<psProgramMenu>(owner, onlyMissing);
    Ensure<psStartMenu>(owner, onlyMissing);
    Ensure<psStartupMenu>(owner, onlyMissing);
    Ensure<psSystem>(owner, onlyMissing);
    Ensure<psWindow>(owner, onlyMissing);
}

std::string DestPath(const PathComponent& component) {
    return Expanded(component.DestDirType(), component, component.DestDir());
}

std::string ArchivePath(const PathComponent& component) {
    return Expanded(component.ArchiveFileType(), component, component.ArchiveFile());
}

// --- the built-in kinds ---

void psBDEDLL::Check(const PathComponent*) const {}
void psBDEDLL::Expand(const PathComponent*, std::string& path) const {
    const std::string value =
        ReadRegString(HKEY_LOCAL_MACHINE, "\\Software\\Borland\\Database Engine", "DLLPath", "");
    const std::string first = Field(value, 1, ';');
    path = base::Trim(first).empty() ? ProgramFilesFolder() + "/Borland/Common Files/BDE"
                                     : RemoveBackslash(base::Trim(first));
}
std::string psBDEDLL::Description() const {
    return "Borland Database Engine DLL Path";
}

void psCommonFiles::Check(const PathComponent*) const {}
void psCommonFiles::Expand(const PathComponent*, std::string& path) const {
    path = CommonFilesFolder();
}
std::string psCommonFiles::Description() const {
    return "Path of the common files directory under the program files directory";
}

void psContainerArchiveFile::Check(const PathComponent* component) const {
    RequireInstallObject(component, Name());
    if (!component->Container())
        throw IEPathSpecifier("Cannot use ddContainerArchiveFile for %s unless you assign a Container",
                              {component->Name()});
    if (!component->Container()->IsFileRelated())
        throw IEPathSpecifier("Cannot use the ddContainerArchiveFile path specifier for %s because the "
                              "Container is not a TFileRelated descendant",
                              {component->Name()});
}
void psContainerArchiveFile::Expand(const PathComponent* component, std::string& path) const {
    Check(component);
    path = ArchivePath(*component->Container());
}
std::string psContainerArchiveFile::Description() const {
    return "Path to the archive file of the container";
}

void psContainerDestDir::Check(const PathComponent* component) const {
    RequireInstallObject(component, Name());
    if (!component->Container())
        throw IEPathSpecifier("Cannot use ddContainerDestDir for %s unless you assign a Container",
                              {component->Name()});
}
void psContainerDestDir::Expand(const PathComponent* component, std::string& path) const {
    Check(component);
    path = DestPath(*component->Container());
}
std::string psContainerDestDir::Description() const {
    return "Path of the destination directory of the container";
}

void psDesktopMenu::Check(const PathComponent*) const {}
void psDesktopMenu::Expand(const PathComponent*, std::string& path) const {
    path = DesktopFolder();
}
std::string psDesktopMenu::Description() const {
    return "Path of the Desktop";
}

void psInstallSource::Check(const PathComponent* component) const {
    RequireInstall(component);
}
void psInstallSource::Expand(const PathComponent* component, std::string& path) const {
    path = RemoveBackslash(RequireInstall(component).SourceFolder());
}
std::string psInstallSource::Description() const {
    return "Path from which the user ran the install";
}

void psMainInstall::Check(const PathComponent* component) const {
    const InstallRoot& install = RequireInstall(component);
    if (component == &install)
        throw IEPathSpecifier("Cannot use the ddMainInstallDir path specifier for a TInstall component");
}
void psMainInstall::Expand(const PathComponent* component, std::string& path) const {
    Check(component);
    path = DestPath(*CurrentInstall());
}
std::string psMainInstall::Description() const {
    return "Path of the destination directory of the TInstall";
}

void psMainArchiveFile::Check(const PathComponent* component) const {
    const InstallRoot& install = RequireInstall(component);
    if (install.SelfExtracting() && base::Trim(install.SelfExtractName()).empty())
        throw IEPathSpecifier("You forgot to pass in the name of the self-extracting executable. Usage "
                              "example: \"-eSetup.exe\"");
}
void psMainArchiveFile::Expand(const PathComponent* component, std::string& path) const {
    Check(component);
    const InstallRoot& install = *CurrentInstall();
    const std::string source = RemoveBackslash(install.SourceFolder());
    path = AddBackslash(source) + (install.SelfExtracting() ? install.SelfExtractName() : "files.1");
}
std::string psMainArchiveFile::Description() const {
    return "Archive containing most or all non-internet installation files";
}

void psProgramFiles::Check(const PathComponent*) const {}
void psProgramFiles::Expand(const PathComponent*, std::string& path) const {
    path = ProgramFilesFolder();
}
std::string psProgramFiles::Description() const {
    return "Path of the program files directory";
}

void psProgramMenu::Check(const PathComponent*) const {}
void psProgramMenu::Expand(const PathComponent*, std::string& path) const {
    path = ProgramsFolder();
}
std::string psProgramMenu::Description() const {
    return "Path of the Programs folder under the Start Menu";
}

void psStartMenu::Check(const PathComponent*) const {}
void psStartMenu::Expand(const PathComponent*, std::string& path) const {
    path = StartMenuFolder();
}
std::string psStartMenu::Description() const {
    return "Path of Start Menu";
}

void psStartupMenu::Check(const PathComponent*) const {}
void psStartupMenu::Expand(const PathComponent*, std::string& path) const {
    path = StartupFolder();
}
std::string psStartupMenu::Description() const {
    return "Path of the Startup folder in the Programs folder under the Start Menu";
}

void psSystem::Check(const PathComponent*) const {}
void psSystem::Expand(const PathComponent*, std::string& path) const {
    path = SystemDirectory();
}
std::string psSystem::Description() const {
    return "Path of system directory";
}

void psWindow::Check(const PathComponent*) const {}
void psWindow::Expand(const PathComponent*, std::string& path) const {
    path = WindowsDirectory();
}
std::string psWindow::Description() const {
    return "Path of the Windows directory";
}

} // namespace setup
