#pragma once
#include "setup/kit/DrvnCompress.h"
#include "setup/kit/PathKinds.h"
#include "setup/kit/Version.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace setup {

class TNetInstallLocation;

// The install tree: containers hold install objects, file containers hold files. Every object of the
// tree is itself a container (a file may carry children of its own); `Container` is the parent.

enum TInstallType { itFull, itDefault, itCompact, itAlways, itCustom };
// A set of install types as bits (1 << type).
using TInstallTypeSet = unsigned;
constexpr TInstallTypeSet InstallTypeBit(TInstallType t) {
    return 1u << static_cast<unsigned>(t);
}
constexpr TInstallTypeSet AlwaysTypes = 1u << itAlways;

enum TFileContainerState { fcsNone, fcsCompress, fcsInstall, fcsCopy };
enum TInstallFileState { ifsNone, ifsCompress, ifsInstall, ifsCopying };
enum TInstallFileType {
    iftNormal,
    iftJustADLL,
    iftApplicationSpecificDLL,
    iftVendorSharedDLL,
    iftSystemWideDLL
};
enum TDistributeType { dtTraditional, dtWeb, dtTraditionalNet };

// Options of the pack pass.
enum TCompressOption : unsigned {
    coForceNetFilesLocal = 1,
    coForceFilesNet = 2,
    coIncludeEverything = 4, // every file, selected or not (the build)
};

// Registered types of the children; broadcasts go to type 9000.
inline constexpr int rtFileContainer = 1000;
inline constexpr int rtFile = 2000;
inline constexpr int rtShortcutGroup = 7000;
inline constexpr int rtShortcut = 8000;
inline constexpr int rtDialog = 9000;

// Notification codes, child to container.
enum TNotifyCode : int {
    ncFileInstalled = 1001,
    ncBeforeInstall = 1002,
    ncReplacing = 1003,
    ncBeforePack = 1004,
    ncAfterPack = 1005,
    ncBeforeCopy = 1006,
    ncAfterCopy = 1007,
    ncInstallProgress = 1008,
    ncPackProgress = 1009,
    ncCopyProgress = 1010,
    ncNewDisk = 1011,
    ncPassStarts = 1012,
    ncPassEnds = 1013,
    ncDownloadProgress = 1014,
    ncSkippedByHandler = 1015,
    ncSkippedByRule = 1016,
};

// Objects handed with notifications and broadcasts.
struct TParameter {
    virtual ~TParameter() = default;
};
struct TMessageParameter : TParameter {
    explicit TMessageParameter(std::string text) : Text(std::move(text)) {}
    std::string Text;
};
struct TDiskParameter : TParameter {
    int Disk = 0;
    std::string Path;
    bool Handled = false; // an OnNewDisk handler took the request
};
class TCustomInstallFile;
struct TFileStatusParameter : TParameter {
    TCustomInstallFile* File = nullptr;
    std::uint64_t Bytes = 0;
    std::uint8_t Percent = 0;
    std::string FileName;
    TlzhFileStats Stats;
    std::uint64_t RunningTotal = 0;
    std::uint8_t TotalPercent = 0;
};
struct TDownloadStatusParameter : TParameter {
    std::string FileName;
    std::uint64_t Total = 0, Received = 0;
    std::uint8_t Percent = 0;
};

class TCustomInstall;
class TFileContainer;

class TInstallContainer : public virtual PathComponent {
public:
    explicit TInstallContainer(std::string name);
    ~TInstallContainer() override;
    TInstallContainer(const TInstallContainer&) = delete;
    TInstallContainer& operator=(const TInstallContainer&) = delete;

    std::string Name() const override { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    // The registered type of the class; a class without one refuses (every concrete class has one).
    virtual int RegisteredType() const;
    virtual std::string ClassName() const;
    bool IsInstallObject() const override { return true; }

    bool Include = true;
    TInstallTypeSet InstallTypes() const { return installTypes_; }
    // An empty set, or one that newly holds itAlways, becomes [itAlways]; else itAlways is dropped.
    void SetInstallTypes(TInstallTypeSet types);
    int Order() const { return order_; }
    // Moves the object among its siblings (removed and added again).
    void SetOrder(int order);
    std::string DestDir() const override { return destDir_; }
    void SetDestDir(std::string dir) { destDir_ = std::move(dir); }
    const TCustomPathSpecifier* DestDirType() const override { return destDirType_; }
    void SetDestDirType(const TCustomPathSpecifier* kind) { destDirType_ = kind; }
    TInstallType CurrentInstallType() const { return current_; }
    // Sets the current install type on this container and all its descendants.
    void SetCurrentInstallType(TInstallType type);
    bool Processed() const { return processed_; }
    // Broadcasts go to this child alone while it is set.
    TInstallContainer* SoleReceiver = nullptr;

    // Children, in order.
    void Add(TInstallContainer* child);
    void Remove(TInstallContainer* child);
    int Count() const { return static_cast<int>(children_.size()); }
    TInstallContainer* Items(int index) const;
    // The index-th child of that registered type.
    TInstallContainer* Comp(int index, int registeredType) const;
    int FileContainerCount() const;
    int FileCount() const;
    // The file whose IncludeFromDir/FileName equals the path, ignoring case, searched in the subtree.
    TCustomInstallFile* FindFile(const std::string& sourcePath) const;
    std::string DestPath() const { return setup::DestPath(*this); }

    // Whether the child takes part in a pass under this container's current install type.
    bool Selected() const;

    // Hands the code to the sole receiver, else to every child of registered type 9000 in order; codes of
    // objects inside the tree reach the receivers under the root as well.
    void Broadcast(TInstallContainer* sender, int code, TParameter* param);
    // A child tells its container; file containers react while a pass runs, then pass it up.
    virtual void Notify(TInstallContainer* child, int code, TParameter* param);
    // A receiver of broadcasts (registered type 9000) gets them here.
    virtual void Receive(TInstallContainer* sender, int code, TParameter* param);

    // The install pass.
    virtual void Process();
    virtual void WriteUninstallData(const std::string& key);
    // The root of the tree, or nullptr when the object hangs in no install.
    virtual TCustomInstall* Root() const;
    void ShowStatus(const std::string& text);
    void HideStatus();

protected:
    virtual void InstallChildren();
    std::vector<TInstallContainer*> children_;
    TInstallContainer* parent_ = nullptr;
    bool processed_ = false;
    friend class TInstallObject;

private:
    void Insert(TInstallContainer* child);
    void Renumber();
    std::string name_;
    TInstallTypeSet installTypes_ = AlwaysTypes;
    int order_ = -1;
    std::string destDir_;
    const TCustomPathSpecifier* destDirType_ = nullptr;
    TInstallType current_ = itAlways;
};

// An object with a parent container.
class TInstallObject : public TInstallContainer {
public:
    using TInstallContainer::TInstallContainer;
    ~TInstallObject() override;
    const PathComponent* Container() const override { return parent_; }
    TInstallContainer* Parent() const { return parent_; }
    // Moves the object to the new container; the destination becomes the container's own folder.
    void SetContainer(TInstallContainer* container);
    TCustomInstall* Root() const override;
};

// A receiver of the engine's broadcast codes (dialog managers, pages, call hooks).
class TBroadcastReceiver : public TInstallObject {
public:
    using TInstallObject::TInstallObject;
    int RegisteredType() const override { return rtDialog; }
};

// Something that lives in an archive.
class TFileRelated : public TInstallObject {
public:
    using TInstallObject::TInstallObject;
    bool IsFileRelated() const override { return true; }
    std::string ArchiveFile() const override { return archiveFile_; }
    void SetArchiveFile(std::string file) { archiveFile_ = std::move(file); }
    const TCustomPathSpecifier* ArchiveFileType() const override { return archiveFileType_; }
    void SetArchiveFileType(const TCustomPathSpecifier* kind) { archiveFileType_ = kind; }
    std::string ArchivePath() const { return setup::ArchivePath(*this); }
    TlzhCommand AddToArchive = lzcOnlyAdd;
    bool Net = false;
    // A location of its own for network distribution (nullptr: the container's, else the install's).
    TNetInstallLocation* NetLocation = nullptr;
    // The local copy of this container's network archive, once downloaded.
    std::string LocalArchive;

private:
    std::string archiveFile_;
    const TCustomPathSpecifier* archiveFileType_ = nullptr;
};

using TInstallContainerNotifyEvent = std::function<void(TInstallContainer&)>;
using TInstallFileNotifyEvent = std::function<void(TCustomInstallFile&)>;
using TInstallFileStatusEvent = std::function<void(TCustomInstallFile&, int filePercent, int totalPercent)>;
using TInstallFileNewDiskEvent = std::function<void(TCustomInstallFile&, int disk, std::string& path)>;
using TAfterProcessFilesEvent = std::function<void(TFileContainer&, bool aborted)>;

class TFileContainer : public TFileRelated {
public:
    explicit TFileContainer(std::string name);
    int RegisteredType() const override { return rtFileContainer; }

    bool AllowChangeDir = true;
    bool AllowChoice = true;
    std::vector<std::string> Description;
    TFileContainerState State() const { return state_; }
    // Runs the pass at once: fcsCompress packs, fcsInstall installs, fcsCopy copies.
    void SetState(TFileContainerState state);

    TInstallContainerNotifyEvent OnBeforeProcess, OnAfterProcess;
    TInstallFileStatusEvent OnStatus;
    TInstallFileNewDiskEvent OnNewDisk;
    TInstallFileNotifyEvent OnReplacing;
    std::function<void(TFileContainer&)> OnShowCopyFileDlg;
    TAfterProcessFilesEvent OnCloseCopyFileDlg;

    void Process() override;
    void Notify(TInstallContainer* child, int code, TParameter* param) override;
    // The pack pass into the archives (build time).
    void Compress(unsigned options);
    // Copies every file from its source to its destination.
    void Copy();
    // Each file's size, date and version from its archive record.
    virtual void ReadArchiveInfo();
    // Each file's size, date and version from its source file.
    void ReadSourceInfo();
    // Bytes of the selected files below (all of them with all).
    std::uint64_t TotalSize(bool all) const;

protected:
    void InstallChildren() override;

private:
    void RunPass(TFileContainerState state, const std::function<void()>& body);
    TFileContainerState state_ = fcsNone;
    std::uint64_t passTotal_ = 0, passDone_ = 0;
    bool inPass_ = false;
};

class TInstallFileGroup : public TFileContainer {
public:
    // Named "Group #<n>" after the file containers already in the parent.
    explicit TInstallFileGroup(std::string name, TInstallContainer* parent = nullptr);
    std::string GroupName;
};

// One file: its source at build time (IncludeFromDir/FileName), its record in an archive, its target.
class TCustomInstallFile : public TFileRelated {
public:
    explicit TCustomInstallFile(std::string name);
    int RegisteredType() const override { return rtFile; }

    std::string FileName;
    std::string IncludeFromDir;
    std::string DestName;
    TInstallFileType FileType = iftNormal;
    TOverwriteType OverwriteMode = owAlways;
    bool RegisterAsHelp = false;
    bool UpdateDLLCounter = false;
    bool ActiveX = false; // no component of this system registers itself: kept for the records
    // Written by the program itself as it runs (its register of open tables), never by the user: the
    // uninstaller takes it away (a table with its memo and indexes) whatever it holds by then.
    bool ProgramBookkeeping = false;
    TInstallFileState State() const { return state_; }

    TInstallFileNotifyEvent OnBeforeCompress, OnAfterCompress, OnBeforeCopy, OnAfterCopy, OnBeforeInstall,
        OnAfterInstall, OnReplacing;
    TInstallFileStatusEvent OnStatus;
    TInstallFileNewDiskEvent OnNewDisk;

    // Values of the archive record (or the source file at build time).
    std::uint32_t FileSize = 0, CompressedSize = 0;
    double FileDate = 0;
    std::string FileVersion;

    // The archive key: IncludeFromDir/FileName with "/" separators.
    std::string SourcePath() const;
    // The destination folder + DestName.
    std::string TargetPath() const;
    // Created or replaced by this run (only those are recorded for uninstalling).
    bool InstalledThisRun() const { return installed_; }
    bool ReplacedLater() const { return replacedLater_; }

    void Process() override;
    void WriteUninstallData(const std::string& key) override;
    void Pack();
    void CopyFile();
    void ReadSourceInfo();
    void ReadArchiveInfo(TDrvnCompress& archive);
    // The deferred work after a pending replacement was put in place (resumed run).
    virtual void CompleteDeferred();

protected:
    virtual void AfterInstall();

private:
    void Install();
    void PrepareReplacement(std::string& extractName);
    void Extract(const std::string& extractName);
    void StatusStep(TDrvnCompress& zip, const TlzhFileStats& stats, int code);
    TInstallFileState state_ = ifsNone;
    bool existed_ = false, installed_ = false, replacedLater_ = false;
    std::string pendingPath_; // where a file in use was installed until the resumed run
};

class TInstallFile : public TCustomInstallFile {
public:
    using TCustomInstallFile::TCustomInstallFile;
};

// The archive shared by every file of the main archive (process-wide).
TDrvnCompress& SharedCompressor();
// The compressor that reads an item's archive: the shared one for the install's main archive (it knows
// the offset inside a self-extracting file), else a private one made in own.
TDrvnCompress& ArchiveFor(const TInstallContainer& item, const std::string& archive,
                          std::unique_ptr<TDrvnCompress>& own);

// Test seam for files in use: answers whether the target cannot be replaced now. On this system a
// running program can be replaced, so nothing is locked unless a test says so.
void SetTargetLockedHook(std::function<bool(const std::string& target)> hook);
bool TargetLocked(const std::string& target);

// Set when a file had to be put in place later (the resumed run does it).
bool RebootNeeded();
void SetRebootNeeded(bool needed);

// Lists a file this run wrote under the uninstall key's "Files" (Files1, Files2, … when one cannot be
// written), stamped with the size, date and contents of stampedFile (the target itself when empty), so
// the uninstaller removes it only while nobody has changed it.
void RecordUninstallFile(const std::string& key, const std::string& target,
                         const std::string& stampedFile = {});
// The entry of `from` (or a new one when it is not listed) names `to` from now on, stamped as `to` stands:
// for a file the run put under another name after it was listed.
void RenameUninstallRecord(const std::string& key, const std::string& from, const std::string& to);
// Whether the file is listed under the uninstall key.
bool UninstallRecordHolds(const std::string& key, const std::string& target);

// The stamp of a file the uninstaller removes whatever it holds (ProgramBookkeeping).
inline constexpr const char* AnyContentStamp = "*";
// "size;modification time in nanoseconds;CRC-32 of the contents" of a file, empty when it cannot be read.
std::string FileStamp(const std::string& path);
// Whether the file still holds what the stamp recorded: the same size and contents (the engine sets the
// times of a table's files alike without changing them); a stamp without contents ("size;time", of older
// setups) by size and time.
bool StampStillHolds(const std::string& stamp, const std::string& path);

// Registry keys of the records.
inline constexpr const char* SharedDllsKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr const char* HelpKey = "\\SOFTWARE\\Microsoft\\Windows\\Help";
inline constexpr const char* UninstallKeyBase = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
// The sub-key of an uninstall key whose value names are the folders the installation made.
inline constexpr const char* MadeFoldersKey = "Folders";
inline constexpr int MaxNumberedKeys = 100;

} // namespace setup
