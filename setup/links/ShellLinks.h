#pragma once
#include "setup/install/InstallTree.h"

#include <string>
#include <vector>

namespace setup {

// Shortcuts and the program's folder in the application menu. A shortcut is written as a desktop entry
// ("<name>.desktop"), an internet shortcut as a desktop entry of type Link, and the main group becomes a
// folder of the applications folder with a folder entry (".directory") and a merged menu file that shows
// it as a sub-menu. Every file written is listed for the uninstaller.

enum TMethodType { mtAutoDetect, mtShellLinkInterface, mtProgramManager };

class TCustomShellLinkGroup : public TInstallObject {
public:
    using TInstallObject::TInstallObject;
    int RegisteredType() const override { return rtShortcutGroup; }
    std::string ClassName() const override { return "TCustomShellLinkGroup"; }
    TInstallContainerNotifyEvent OnBeforeProcess, OnAfterProcess;
    // Broadcasts -991 (the folder page may still change the folder), makes the folder, installs the links.
    void Process() override;
};

// The program's folder in the menu; one per project. Its kind is always the menu's Programs folder, and
// its folder starts as "\" + the product name.
class TMainLinkGroup : public TCustomShellLinkGroup {
public:
    explicit TMainLinkGroup(std::string name = "MainLinkGroup1");
    ~TMainLinkGroup() override;
    std::string ClassName() const override { return "TMainLinkGroup"; }
    const TCustomPathSpecifier* DestDirType() const override;
    std::string DestDir() const override;
    void SetDestDir(std::string dir);
    void SetDestDirType(const TCustomPathSpecifier*) {}
    // The folder entry and the merged menu file, once written.
    const std::vector<std::string>& MenuFiles() const { return menuFiles_; }
    void WriteUninstallData(const std::string& key) override;

protected:
    void InstallChildren() override;

private:
    std::string folder_;
    bool folderSet_ = false;
    std::vector<std::string> menuFiles_;
};

TMainLinkGroup* MainLinkGroup();

class TCustomInstallShellLink : public TInstallObject {
public:
    explicit TCustomInstallShellLink(std::string name);
    ~TCustomInstallShellLink() override;
    int RegisteredType() const override { return rtShortcut; }
    std::string ClassName() const override { return "TCustomInstallShellLink"; }

    // The shortcut's file name with ".LNK" or ".URL". A name without either gets the previous name's
    // extension (".LNK" when it had none); ".URL" drops ObjectLink.
    const std::string& LinkName() const { return linkName_; }
    void SetLinkName(std::string name);
    // The file or group the shortcut starts: the location kind becomes psObjectLink and the name follows
    // the object's (its DestName, GroupName or Name + ".lnk"); nullptr clears both.
    TInstallContainer* ObjectLink() const { return objectLink_; }
    void SetObjectLink(TInstallContainer* object);
    // A path below ObjectLocationType, or a web address ("http://…" names the shortcut "….URL").
    const std::string& ObjectLocation() const { return objectLocation_; }
    void SetObjectLocation(std::string location);
    const TCustomPathSpecifier* ObjectLocationType() const { return objectLocationType_; }
    void SetObjectLocationType(const TCustomPathSpecifier* kind);

    TMethodType Method = mtAutoDetect;
    int HotKey = 0;         // kept; desktop entries have no hot key
    std::string Parameters; // command-line arguments; "%" variables are expanded
    TInstallContainerNotifyEvent OnBeforeProcess, OnAfterProcess;

    // What the shortcut opens: the kind's path for this link + ObjectLocation.
    std::string Target() const;
    // The file this run wrote (empty before, and for a Program Manager item).
    const std::string& WrittenFile() const { return written_; }

    void Process() override;
    void WriteUninstallData(const std::string& key) override;

protected:
    void InstallChildren() override;

private:
    void WriteShellLink();
    void WriteInternetShortcut();
    void WriteProgramManagerItem();
    void RequireLinkName() const;
    std::string linkName_;
    TInstallContainer* objectLink_ = nullptr;
    std::string objectLocation_;
    const TCustomPathSpecifier* objectLocationType_ = nullptr;
    std::string written_;
};

// A shortcut in the main group (the only container it accepts).
class TInstallMainLink : public TCustomInstallShellLink {
public:
    explicit TInstallMainLink(std::string name = "InstallMainLink1");
    std::string ClassName() const override { return "TInstallMainLink"; }
    void SetContainer(TInstallContainer* container);
};

// "Path of the file or file group in the ObjectLink property": a file's full destination path, a
// container's folder.
class psObjectLink : public TCustomPathSpecifier {
public:
    psObjectLink() : TCustomPathSpecifier("psObjectLink") {}
    void Check(const PathComponent* component) const override;
    void Expand(const PathComponent* component, std::string& path) const override;
    std::string Description() const override {
        return "Path of the file or file group in the ObjectLink property";
    }
};
// The registered psObjectLink kind, made when the first shortcut is.
psObjectLink& ObjectLinkKind();

// Every shortcut of the process, in creation order.
const std::vector<TCustomInstallShellLink*>& ShellLinks();

// Where the menu's folder entries and merged menu files go: beside the applications folder
// ("desktop-directories"), and the registry's "Merged Menus" shell folder, else
// $XDG_CONFIG_HOME/menus/applications-merged (/etc/xdg/… for root).
std::string DesktopDirectoriesFolder();
std::string MergedMenusFolder();

} // namespace setup
