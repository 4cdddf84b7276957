#pragma once
#include <memory>
#include <string>
#include <vector>

namespace setup {

class TCustomPathSpecifier;

// What the path kinds need to know of the install tree's components. The install objects, containers
// and files of the install tree implement it.
class PathComponent {
public:
    virtual ~PathComponent() = default;
    virtual std::string Name() const = 0;
    // An object of the install tree (containers, files, links), as opposed to any other component.
    virtual bool IsInstallObject() const { return false; }
    // A container that holds files (and therefore an archive).
    virtual bool IsFileRelated() const { return false; }
    virtual const PathComponent* Container() const { return nullptr; }
    virtual const TCustomPathSpecifier* DestDirType() const { return nullptr; }
    virtual std::string DestDir() const { return {}; }
    virtual const TCustomPathSpecifier* ArchiveFileType() const { return nullptr; }
    virtual std::string ArchiveFile() const { return {}; }
};

// The root of the install tree as the path kinds see it.
class InstallRoot : public virtual PathComponent {
public:
    // The folder the installation runs from (the "-s" folder, else the program's folder).
    virtual std::string SourceFolder() const = 0;
    // Started by the self-extracting file ("-e"), and its file name.
    virtual bool SelfExtracting() const = 0;
    virtual std::string SelfExtractName() const = 0;
};

// The process-wide install root (none until the engine sets one).
InstallRoot* CurrentInstall();
void SetCurrentInstall(InstallRoot* install);

// A named base for destination folders and archive locations. Every kind registers itself in the list of
// kinds for its lifetime.
class TCustomPathSpecifier {
public:
    explicit TCustomPathSpecifier(std::string name);
    virtual ~TCustomPathSpecifier();
    TCustomPathSpecifier(const TCustomPathSpecifier&) = delete;
    TCustomPathSpecifier& operator=(const TCustomPathSpecifier&) = delete;

    const std::string& Name() const { return name_; }
    // Refuses a component the kind cannot serve (raises IEPathSpecifier).
    virtual void Check(const PathComponent* component) const;
    // The base folder without a trailing separator; a kind without its own expansion gives "".
    virtual void Expand(const PathComponent* component, std::string& path) const;
    virtual std::string Description() const { return "Unspecified"; }

private:
    std::string name_;
};

// The base of the built-in kinds; they are also listed among the standard kinds.
class TStandardPathSpecifier : public TCustomPathSpecifier {
public:
    explicit TStandardPathSpecifier(std::string name);
    ~TStandardPathSpecifier() override;
};

#define SETUP_PATH_KIND(Kind)                                                                                \
    class Kind : public TStandardPathSpecifier {                                                             \
    public:                                                                                                  \
        Kind() : TStandardPathSpecifier(#Kind) {}                                                            \
        void Check(const PathComponent* component) const override;                                           \
        void Expand(const PathComponent* component, std::string& path) const override;                       \
        std::string Description() const override;                                                            \
    };

SETUP_PATH_KIND(psBDEDLL)
SETUP_PATH_KIND(psCommonFiles)
SETUP_PATH_KIND(psContainerArchiveFile)
SETUP_PATH_KIND(psContainerDestDir)
SETUP_PATH_KIND(psDesktopMenu)
SETUP_PATH_KIND(psInstallSource)
SETUP_PATH_KIND(psMainInstall)
SETUP_PATH_KIND(psMainArchiveFile)
SETUP_PATH_KIND(psProgramFiles)
SETUP_PATH_KIND(psProgramMenu)
SETUP_PATH_KIND(psStartMenu)
SETUP_PATH_KIND(psStartupMenu)
SETUP_PATH_KIND(psSystem)
SETUP_PATH_KIND(psWindow)
#undef SETUP_PATH_KIND

// The process-wide lists, in registration order.
const std::vector<TCustomPathSpecifier*>& PathKinds();
const std::vector<TCustomPathSpecifier*>& StandardPathKinds();
// Registration happens in the constructors; these exist for kinds made elsewhere. nullptr raises
// IEPathSpecifierList "Tried to add a nil object to the path specifier list".
void AddKind(TCustomPathSpecifier* kind);
void RemoveKind(TCustomPathSpecifier* kind);

[[noreturn]] void RaiseKindNotFound();
// The first registered kind of that class; none raises IEPathSpecifierList "Could not find the path
// specifier".
template <class Kind> Kind& FindKind() {
    for (TCustomPathSpecifier* k : PathKinds())
        if (auto* found = dynamic_cast<Kind*>(k)) return *found;
    RaiseKindNotFound();
}

// One kind of each of the 14 built-in classes, in table order, owned by the list handed in; with
// onlyMissing a class already registered is skipped.
void EnsureStandardKinds(std::vector<std::unique_ptr<TCustomPathSpecifier>>& owner, bool onlyMissing);

// The component's DestDirType expanded + its DestDir (DestDir alone without a kind), "\" turned into
// "/", no trailing separator (a lone "/" stays).
std::string DestPath(const PathComponent& component);
// Likewise for ArchiveFileType + ArchiveFile.
std::string ArchivePath(const PathComponent& component);

// "%" variables of shortcut paths: %a the link's destination, %b Programs, %c the link's container's
// destination, %d Desktop, %f common files, %i the install's destination, %m Start Menu, %p program
// files, %s system, %w Windows folder; "%%" a percent sign; another letter is dropped with its "%".
std::string ExpandPathVariables(const std::string& text, const PathComponent* link);

} // namespace setup
