#pragma once
// TZipMaster: the zip component of the archive form. It adds files to a zip archive through ZipDllExec and
// lists the entries of an existing archive by walking its local file headers.

#include "app/archive/ZipDll.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace app {

// A set of enumeration values (Pascal-style "set of").
template <typename E> class TEnumSet {
public:
    TEnumSet() = default;
    TEnumSet(std::initializer_list<E> values) {
        for (E v : values)
            Include(v);
    }
    bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    void Include(E v) { bits_ |= Bit(v); }
    void Exclude(E v) { bits_ &= ~Bit(v); }
    friend bool operator==(const TEnumSet&, const TEnumSet&) = default;

private:
    static std::uint32_t Bit(E v) { return std::uint32_t(1) << static_cast<unsigned>(v); }
    std::uint32_t bits_ = 0;
};

enum AddOptsEnum {
    AddDirNames,
    AddRecurseDirs,
    AddMove,
    AddFreshen,
    AddUpdate,
    AddZipTime,
    AddForceDOS,
    AddHiddenFiles,
    AddEncrypt
};
enum ExtrOptsEnum { ExtrDirNames, ExtrOverWrite, ExtrFreshen, ExtrUpdate };
enum SFXOptsEnum { SFXAskCmdLine, SFXAskFiles, SFXHideOverWriteBox };
enum OvrOpts { OvrConfirm, OvrAlways, OvrNever };
// 0 a new file, 1 progress of the write, 2 end of the batch.
enum ProgrType { NewFile, ProgressUpdate, EndOfBatch };

using AddOpts = TEnumSet<AddOptsEnum>;
using ExtrOpts = TEnumSet<ExtrOptsEnum>;
using SFXOpts = TEnumSet<SFXOptsEnum>;

// One local file header of an archive: the 26 bytes after its signature, then the entry name.
struct ZipDirEntry {
    std::uint16_t Version = 0; // version needed to extract
    std::uint16_t Flag = 0;
    std::uint16_t CompressionMethod = 0;
    std::uint16_t DateTime = 0; // DOS time
    std::uint16_t DateDate = 0; // DOS date
    std::uint32_t CRC32 = 0;
    std::uint32_t CompressedSize = 0;
    std::uint32_t UncompressedSize = 0;
    std::uint16_t FileNameLength = 0;
    std::uint16_t ExtraFieldLength = 0;
    std::string FileName; // UTF-8
};

// Where the component's plain messages go ("Error - no files to zip", "No valid zip entries found", ...).
// The form installs its message box; the default writes to the standard error stream.
using ZipMessageProc = std::function<void(const std::string&)>;
void SetZipShowMessage(ZipMessageProc proc);
void ZipShowMessage(const std::string& text);
// For its lifetime, the messages of the calling thread go to `proc` instead (a run on a worker thread hands
// them to the GUI thread).
class ZipMessageRedirect {
public:
    explicit ZipMessageRedirect(ZipMessageProc proc);
    ~ZipMessageRedirect();
    ZipMessageRedirect(const ZipMessageRedirect&) = delete;
    ZipMessageRedirect& operator=(const ZipMessageRedirect&) = delete;

private:
    ZipMessageProc proc_;
    const ZipMessageProc* previous_;
};

struct ZipMasterState {
    // With this set, the zip library counts as missing, as when it could not be loaded ("ZIPDLL.DLL not
    // found").
    bool ZipDllMissing = false;
    // One zip library per process, shared by every component.
    bool ZipDllLoaded = false;
    // The form installs its message box; the default writes to the standard error stream.
    ZipMessageProc MessageProc;
};
// Reset with the program's state.
extern ZipMasterState ZipMaster;

class TZipMaster {
public:
    TZipMaster();
    TZipMaster(const TZipMaster&) = delete;
    TZipMaster& operator=(const TZipMaster&) = delete;

    bool Verbose = false;
    bool Trace = false;
    int AddCompLevel = 9;
    AddOpts AddOptions;
    std::string ExtrBaseDir;
    ExtrOpts ExtrOptions;
    SFXOpts SFXOptions;
    std::vector<std::string> FSpecArgs;
    std::string Password;
    std::string SFXPath;
    OvrOpts SFXOverWriteMode = OvrConfirm;
    std::string SFXCaption = "Self-extracting Archive";
    std::string SFXDefaultDir;
    std::string SFXCommandLine;

    // Setting it lists the entries of the archive (ReadZipDirectory), which may throw.
    const std::string& ZipFilename() const { return zipFilename_; }
    void SetZipFilename(const std::string& name);
    // Kept without one trailing "/" (or "\").
    const std::string& DLLDirectory() const { return dllDirectory_; }
    void SetDLLDirectory(const std::string& folder);

    std::function<void(TZipMaster& sender)> OnDirUpdate;
    std::function<void(TZipMaster& sender, ProgrType type, const std::string& fileName,
                       std::int64_t fileSize)>
        OnProgress;
    std::function<void(TZipMaster& sender, int errCode, const std::string& message)> OnMessage;
    // Asked at every callback of a run, from the run's thread: true stops the run as the cancel flag does.
    std::function<bool()> StopRequested;
    // When set, gives the file to read for each file added (a copy taken at that moment); see ZipParams.
    std::function<std::string(const std::string& file)> ReadFrom;

    const std::vector<ZipDirEntry>& ZipContents() const { return zipContents_; }
    // Entries added or replaced by the last AddFiles.
    std::int32_t SuccessCount() const { return successCount_; }
    // Why the last AddFiles added nothing; empty after a complete run.
    const std::string& LastError() const { return lastError_; }
    bool Busy() const { return busy_; }
    // Set during a run, it stops the run at the next callback; the archive stays as it was.
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }

    // Adds the files of FSpecArgs to ZipFilename, then clears FSpecArgs. Failures are shown through
    // ZipShowMessage and left in LastError; they do not throw.
    void AddFiles();
    // Lists the archive's entries into ZipContents; throws base::Exception on a damaged archive.
    void ReadZipDirectory();
    void LoadZipDll();
    void UnloadZipDll();
    static bool ZipDllLoaded();

private:
    void RunZipDll();
    ZipParams MakeParams();
    int ZipCallback(const ZipCallbackRecord& record);
    void Fail(const std::string& message);

    std::string zipFilename_;
    std::string dllDirectory_;
    std::vector<ZipDirEntry> zipContents_;
    std::int32_t successCount_ = 0;
    std::string lastError_;
    // Read from the GUI thread while a run on a worker thread sets them.
    std::atomic<bool> busy_ = false;
    std::atomic<bool> cancel_ = false;
};

} // namespace app
