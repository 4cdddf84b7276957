#pragma once
// The installation of Plom: the install tree with its files and groups, the translator, the dialog
// managers and the pages, as the setup's main window carries them.

#include "setup/bde/InstallBde.h"
#include "setup/dialogs/FileGroupsPage.h"
#include "setup/dialogs/ProgressPages.h"
#include "setup/dialogs/SelectFolderPage.h"
#include "setup/dialogs/WizardPages.h"
#include "setup/install/Install.h"
#include "setup/install/UninstallExe.h"
#include "setup/kit/Translator.h"
#include "setup/links/ShellLinks.h"

#include <memory>
#include <vector>

namespace setup::plom {

inline constexpr const char* CompanyName = "Lumeno d.o.o.";
inline constexpr const char* Product = "Lumeno";
inline constexpr const char* Version = "1.112";
// The engine's install library, shipped before the setup runs (it lies beside the setup then).
inline constexpr const char* EngineLibrary = "libidapinst.so";
inline constexpr const char* EngineConfig = "IDAPI32.CNF";

class PlomSetup {
public:
    PlomSetup();
    ~PlomSetup();
    PlomSetup(const PlomSetup&) = delete;
    PlomSetup& operator=(const PlomSetup&) = delete;

    TInstall Install1{"Install1"};
    TTranslator MainTranslator;
    TUninstallEXE UninstallEXE2{"UninstallEXE2"};
    TInstallFileGroup Global{"Global"}, Lokal{"Lokal"}, Pomoc{"Pomoc"};
    std::vector<std::unique_ptr<TInstallFile>> Files;
    // The engine's group: its configuration only (the program has its own table engine).
    TInstallBDE InstallBDE1{"InstallBDE1"};
    TInstallFile BDEConfigFile{"BDEConfigFile"};
    // The program's folder in the application menu and its shortcuts.
    TMainLinkGroup MainFolder1{"MainFolder1"};
    TInstallMainLink UninstallLink{"UninstallLink"}, ProgramLink{"ProgramLink"}, HelpLink{"HelpLink"};

    TDialogManager DialogManager1{"DialogManager1", dmBeforeInstall};
    TDialogManager DialogManager2{"DialogManager2", dmAfterGoodInstall};
    TDialogManager DialogManager3{"DialogManager3", dmAfterBadInstall};
    TDialogManager DialogManager4{"DialogManager4", dmDuringCopyFiles};
    TDialogManager DialogManager5{"DialogManager5", dmChangeDisk};
    TDialogManager DialogManager6{"DialogManager6", dmReboot};

    // Made after the managers: each takes its phase's manager when it is made.
    std::unique_ptr<TWelcomeDlg> WelcomeDlg2;
    std::unique_ptr<TLicenseDlg> LicenseDlg2;
    std::unique_ptr<TReadmeDlg> ReadmeDlg2;
    std::unique_ptr<TInstallFileGroupsDlg> InstallFileGroupsDlg2;
    std::unique_ptr<TSelectFolderDlg> SelectFolderDlg2;
    std::unique_ptr<TGoodInstallationDlg> GoodInstallationDlg2;
    std::unique_ptr<TBadInstallationDlg> BadInstallationDlg2;
    std::unique_ptr<TChangeDiskDlg> ChangeDiskDlg2;
    std::unique_ptr<TRebootDlg> RebootDlg2;
    std::unique_ptr<TCopyFileDlg> CopyFileDlg2;
    std::unique_ptr<TInstallStatusDlg> InstallStatusDlg2;

private:
    TInstallFile& AddFile(TInstallContainer& container, const std::string& dir, const std::string& name,
                          TOverwriteType mode);
    void AddGroup(TInstallFileGroup& group, const std::string& dir, std::vector<std::string> description,
                  const std::vector<std::string>& files);
    void AddEngine();
    void AddShortcuts();
    void AddDialogs();
};

// The licence and the readme shown before installing.
const std::vector<std::string>& LicenseText();
const std::vector<std::string>& ReadmeText();

} // namespace setup::plom
