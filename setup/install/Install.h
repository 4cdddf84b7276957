#pragma once
#include "setup/install/InstallTree.h"
#include "setup/kit/SelfExtractTrailer.h"
#include "setup/net/NetTransport.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace setup {

struct TBuildInfo {
    std::string AppName, AppURL;
    std::string BuildDirectory = "c:\\build";
    std::string CredentialsFile;
    std::string OCXName = "MySetup";
    std::string PrivateKeyFile;
    bool SignCode = false;
    std::string URLPath = "http://www.example.com/install";
};

// The root of the install tree: reads the command line, decides what this run does (build, transfer,
// resume or install), drives the run with its broadcast codes, keeps a registry record of every setup
// file that ran here, and puts off what cannot be done now to a resumed run ("-r").
class TCustomInstall : public TFileContainer, public InstallRoot {
public:
    explicit TCustomInstall(std::string name = "Install1");
    ~TCustomInstall() override;

    std::string Name() const override { return TFileContainer::Name(); }
    bool IsInstallObject() const override { return true; }
    bool IsFileRelated() const override { return true; }
    const PathComponent* Container() const override { return nullptr; }
    const TCustomPathSpecifier* DestDirType() const override { return TFileContainer::DestDirType(); }
    std::string DestDir() const override { return TFileContainer::DestDir(); }
    const TCustomPathSpecifier* ArchiveFileType() const override { return TFileContainer::ArchiveFileType(); }
    std::string ArchiveFile() const override { return TFileContainer::ArchiveFile(); }
    std::string ClassName() const override { return "TInstall"; }
    TCustomInstall* Root() const override { return const_cast<TCustomInstall*>(this); }

    // InstallRoot
    std::string SourceFolder() const override { return sourceFolder_; }
    bool SelfExtracting() const override { return Switch('e'); }
    std::string SelfExtractName() const override { return SwitchArg('e'); }

    bool AutoMaximizeWindow = true;
    TBuildInfo BuildInfo;
    std::string GroupName = "Main";
    TInstallInformation Information;
    // Where dtWeb and dtTraditionalNet installs fetch their archives (copied into the shared location
    // when a run starts).
    TLoginInformation LoginInformation;
    std::vector<std::string> PresetupFiles;
    bool RunAutomatic = true;
    bool UseLoadingProgram = true;
    TDistributeType DistributeType() const { return distributeType_; }
    // Only before the run starts ("DistributeType can only be set at design-time" afterwards).
    void SetDistributeType(TDistributeType type);
    // The running setup program (by default this process's own file).
    std::string ProgramFile;

    using InstallEvent = std::function<void(TCustomInstall&)>;
    using ContinueEvent = std::function<void(TCustomInstall&, bool&)>;
    InstallEvent OnStartInstall, OnBeforeReadArchiveInfo, OnAfterReadArchiveInfo, OnShowGoodInstall,
        OnShowBadInstall;
    ContinueEvent OnRebootWindows, OnCleanup, OnUserAbort, OnBeforeTerminateApp;

    // The whole run for a command line (without the program name): the switches, then build, transfer,
    // resume or install. Errors are shown; the result is the exit status (0 done, 1 failed, 2 aborted by
    // the user, 3 to be finished by a resumed run).
    int Execute(const std::vector<std::string>& args);
    void ParseCommandLine(const std::vector<std::string>& args);
    bool Switch(char letter) const;
    std::string SwitchArg(char letter) const;
    void Loaded();

    virtual void Run();
    virtual void Resume();
    void ReadArchiveInfo() override;
    // Makes the self-extracting "setup" in buildDir from the loader, "setup.1" (this program and the
    // pre-setup files) and "files.1" (every file of the tree).
    virtual void Build(const std::string& exeName, const std::string& buildDir, bool selfExtracting);
    virtual void MakeSetupArchive(const std::string& buildDir, const std::string& exeName);
    // Joins the loader, setup.1 and files.1 (when it exists) and ends the file with the trailer.
    void AppendArchives(const std::string& setupExe, const std::string& setup1, const std::string& files1);
    void BuildFromBuildInf();
    // Copies the self-extracting file's pieces into a folder: the loader as "setup", "setup.1", and
    // "files.1" with further volumes when a capacity is given.
    void TransferToFloppies(const std::string& folder, std::uint64_t capacity = 0);
    void UseSelfExtractingOffset();

    virtual void ShowBadInstall();
    virtual void ShowGoodInstall();
    void DeleteSetupRecord();
    std::string FindSetupRecord(bool create);
    const std::string& RecordKey() const { return recordKey_; }
    void AddUnfinished(const std::string& item, int kind);
    // "item;kind" for each unfinished item.
    std::vector<std::string> GetUnfinished() const;
    void ClearUnfinished();
    // A file installed beside its target (the target was in use) goes in place on the resumed run.
    void AddPendingRename(const std::string& temporary, const std::string& target);
    void RegisterRunOnce();
    std::string ResumeCommand() const;
    virtual void HandleException(const std::exception& e);
    virtual bool UserAbort();
    virtual void Cleanup();
    void TerminateApp();
    void RebootWindows();
    void SaveLanguage();
    void RestoreLanguage();
    // What this run made that was not there before, so that a run that fails or is cancelled takes it
    // away again: the folders missing above one about to be made, and new files once in place.
    void NoteNewFolders(const std::string& folder);
    void NoteNewFile(const std::string& path);
    // Something else to give back when the run fails (run last first, after the files went).
    void NoteUndo(std::function<void()> undo);
    // Removes what was noted (files first, then the folders left empty), the files waiting beside
    // targets in use, the uninstall key when this run made it, and the registry values that named what
    // went. True when anything was removed.
    bool RollBack();
    // Lists the folders the finished run made under the uninstall key, so that the uninstaller takes
    // them away again once they are empty.
    void RecordMadeFolders();
    bool Terminated() const { return terminated_; }
    bool InstallRunning() const { return installRunning_; }

private:
    void Guarded(const std::function<void()>& body);
    // Runs a step after the installation is in place, where a user abort only ends the step.
    void PastTheInstallation(const std::function<void()>& step);
    // The success page, the clean-up and the end of a run whose installation is in place.
    void FinishInstalled();
    // The temporaries that setups killed while writing left in the folders of the installation.
    void RemoveTemporariesOfKilledRuns();
    void DoPendingRenames();
    void ForEachFileContainer(const std::function<void(TFileContainer&)>& fn);
    std::string StartedSetupFile() const;

    std::vector<std::string> newFiles_, newFolders_;
    std::vector<std::function<void()>> undos_;
    bool uninstallKeyExisted_ = true;
    std::vector<std::unique_ptr<TCustomPathSpecifier>> kinds_;
    TDistributeType distributeType_ = dtTraditional;
    std::map<char, std::string> switches_;
    std::string sourceFolder_;
    std::string recordKey_;
    double startTime_ = 0;
    int unfinished_ = 0;
    bool archiveInfoRead_ = false;
    bool installRunning_ = false;
    bool loaded_ = false;
    bool terminated_ = false;
    int exitCode_ = 0;
};

class TInstall : public TCustomInstall {
public:
    using TCustomInstall::TCustomInstall;
};

// The registry key of the setup records.
inline constexpr const char* SetupRecordsKey = "\\SOFTWARE\\Dorvane\\Install";
// The file in a loader's temporary folder that says the folder is the loader's and may go.
inline constexpr const char* LoaderMarker = ".lumeno-loader";
// The file that marks the kit's folder (where the loader program lies).
inline constexpr const char* KitMarker = "D32V31.TXT";
inline constexpr const char* LoaderProgramName = "setup-loader";
// Added to the error of a run that failed once it took away what it had added.
inline constexpr const char* RolledBackText =
    "Instalacija nije dovršena: uklonjeno je sve što je ova instalacija dodala.";
inline constexpr const char* KitFolderVariable = "LUMENO_SETUP_KIT";

} // namespace setup
