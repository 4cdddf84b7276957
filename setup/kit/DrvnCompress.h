#pragma once
#include "setup/kit/FileHeader.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/Version.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace setup {

namespace detail {
class Fd;
}
class VolumeSet;

enum TCompressionLevel { colNone, colFastest, colDefault, colMax };
enum TlzhCommand { lzcOverwrite, lzcOnlyAdd };

// The zlib level of a compression level: 0, 1, the library default, 9.
int ZlibLevel(TCompressionLevel level);

// Progress of the running operation, handed to every event.
struct TlzhFileStats {
    std::uint8_t FilePercent = 0;
    std::uint32_t FileDone = 0;
    std::string FileName;
    std::uint32_t FileCompressed = 0;
    std::uint8_t FileRatio = 0; // compressed size in per cent of FileSize, at most 255
    std::uint32_t FileSize = 0;
    TFileHeader Header;
    bool Finished = false;
    std::uint8_t TotalPercent = 0;
    std::uint64_t TotalDone = 0;
    std::uint64_t TotalCompressed = 0;
    std::uint8_t TotalRatio = 0;
    std::uint64_t TotalSize = 0;
};

// part / whole * 100 rounded to the nearest integer (ties to even), at most 255; 0 when whole is 0.
std::uint8_t Percent(std::uint64_t part, std::uint64_t whole);

// Process-wide hook that lets the user interface handle its events between blocks (so a cancel button
// can set Abort); nothing by default.
void SetProcessMessagesHook(std::function<void()> hook);
void ProcessMessages();

// Writes, extracts and re-packs the setup archive. Layout 0: head, then each record followed by its zlib
// stream; layout 1 (volume set): head and all records, then the streams flowing from volume to volume.
//
// Safety rules of this implementation: member names never write outside ExtractDirectory; a new
// archive is written to a temporary file and renamed into place, an append writes the new count only
// after the new members are complete and cuts them off again on failure, so the old members stay
// readable at any instant; extraction writes a temporary file beside the target and renames it over the
// target only when the size matched; a short write fails the operation unless an OnFullDisk handler made
// room for a retry; keys over 100 bytes, duplicate keys and files over 2 GiB are refused when packing;
// extracted programs (ELF or "#!") get the executable bit.
//
// How an operation ends: stopped through Abort, it calls OnAborted and returns normally with Abort
// still set; a base::Abort from a handler ends Compress and Extract quietly and passes through
// CopyToVolumes; any other failure sets Abort and is raised again. Own errors are EDrvnCompress.
class TDrvnCompress {
public:
    using StatsEvent = std::function<void(TDrvnCompress&, const TlzhFileStats&)>;
    using NotifyEvent = std::function<void(TDrvnCompress&)>;
    using NewDiskEvent = std::function<void(TDrvnCompress&, int diskNumber, std::string& path)>;

    TDrvnCompress() = default;
    virtual ~TDrvnCompress() = default;
    TDrvnCompress(const TDrvnCompress&) = delete;
    TDrvnCompress& operator=(const TDrvnCompress&) = delete;

    // Set by the user interface to stop the running operation at its next block.
    bool Abort = false;
    TCompressionLevel CompressionLevel = colMax;
    std::string ExtractDirectory;
    // The name the next extracted member is written under (its last path part); cleared after every
    // member, whatever the outcome. Empty: the name part of the member's SourceName.
    std::string ExtractName;
    TOverwriteType Overwrite = owAlways;
    // Bytes CopyToVolumes may write into one volume file; 0: as much as the file system takes.
    std::uint64_t VolumeCapacity = 0;

    NotifyEvent OnAborted;
    StatsEvent OnBeforeAdding, OnAfterAdding, OnBeforeExtracting, OnReplace, OnStatus;
    NewDiskEvent OnNewDisk;
    NotifyEvent OnFullDisk;
    // Kept for handlers that assign it; no operation lists members through it.
    StatsEvent OnListing;

    const std::string& CompressedFile() const { return compressedFile_; }
    // Any other name drops the directory in memory.
    void SetCompressedFile(const std::string& name);
    std::uint64_t Offset() const { return offset_; }
    void SetOffset(std::uint64_t offset);
    const std::vector<std::string>& FilesToProcess() const { return files_; }
    // Entries blank after trimming are left out.
    void SetFilesToProcess(const std::vector<std::string>& files);

    // lzcOverwrite: a new archive of FilesToProcess; lzcOnlyAdd: appended to the existing one (a new one
    // when it does not exist). FilesToProcess is empty afterwards.
    void Compress(TlzhCommand command);
    // Extracts every entry of FilesToProcess (matched by name, ignoring case) into ExtractDirectory.
    void Extract();
    // Re-packs CompressedFile as a volume set: DestDir/DestName, then DestName with ".2", ".3", … where a
    // volume is full (OnNewDisk may change the folder for each new volume).
    void CopyToVolumes(const std::string& destDir, const std::string& destName);
    // Copies one plain file under the Overwrite rule; Abort stops it and removes the partial copy.
    void CopySingleFile(const std::string& source, const std::string& dest);

    int FileCount();
    TlzhFileStats GetFileStats(int index);
    int IndexOfFile(const std::string& name);
    const TFileHeaders& Headers();

protected:
    // A write came short: with an OnFullDisk handler the write is retried after it (unless it set
    // Abort), else EdcDiskFull "Disk je pun", naming the folder and the bytes still to be written there.
    virtual void DiskFull();
    EdcDiskFull FullDisk() const;

private:
    friend class ArchiveOperation;
    friend class VolumeSet;
    void ReadHeaders();
    void EnsureHeaders();
    void CompressStatus();
    void FinishOperation(const std::function<void()>& body, bool reraiseAbort);
    // Opens volume n of the archive for reading (asking for it through OnNewDisk); returns the descriptor.
    int OpenVolume(int volume, std::string& fileName);
    void CompressArchive(TlzhCommand command);
    void ExtractOne(const std::string& entry);
    void InflateMember(const TFileHeader& h, detail::Fd& volume, std::string& volumeName, int out);
    void CopyVolumes(const std::string& destDir, const std::string& destName,
                     std::vector<std::string>& created);
    void CopyMemberToVolumes(int src, TFileHeader& h, VolumeSet& set);
    void CopyFile(const std::string& source);
    // Whole writes; a short one goes through DiskFull and is retried (bounded).
    void WriteFully(int fd, const unsigned char* data, std::size_t len);
    void WriteAt(int fd, const unsigned char* data, std::size_t len, std::uint64_t pos);
    void Status();

    std::string compressedFile_;
    std::uint64_t offset_ = 0;
    std::vector<std::string> files_;
    TFileHeaders headers_;
    bool loaded_ = false;
    bool packing_ = false;
    bool extractedSome_ = false;
    // Kept through one Extract: the folder last written to, the free room counted there, the umask.
    std::string extractFolder_;
    std::uint64_t room_ = 0;
    unsigned umask_ = 022;
    std::vector<unsigned char> inflateIn_, inflateOut_;
    int currentVolume_ = 0;
    TlzhFileStats stats_;
};

// The permission bits for an extracted file: 0755 for programs (ELF or "#!"), else 0644, less umask.
unsigned ExtractedFileMode(const unsigned char* firstBytes, std::size_t count);

} // namespace setup
