#include "setup/kit/DrvnCompress.h"

#include "base/Exceptions.h"
#include "base/FileIo.h"
#include "base/FileSystem.h"
#include "base/ProgramState.h"
#include "base/ReplaceFile.h"
#include "base/Text.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/StaleTemporaries.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>
#include <zlib.h>

namespace setup {

namespace fs = std::filesystem;

namespace {

std::function<void()>& ProcessHook() {
    static std::function<void()> hook;
    return hook;
}
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { ProcessHook() = nullptr; });

constexpr std::size_t PackBlock = 65536;
constexpr std::size_t InflateInput = 65536;
constexpr std::size_t InflateOutput = 65536;
constexpr std::size_t CopyBlock = 8192;
constexpr int MaxDiskFullRetries = 100;
constexpr int MaxVolumeTries = 4;

} // namespace

// An owned descriptor.
class detail::Fd : public base::FileHandle {
public:
    using base::FileHandle::FileHandle;
    Fd(base::FileHandle handle) : base::FileHandle(std::move(handle)) {}
};

namespace {

using detail::Fd;

// A new file beside a target, renamed over it on Commit and removed otherwise. Its name carries this
// process's id, so a later run (or the uninstaller) knows it for one of a killed setup and removes it.
class TempBeside {
public:
    // Without sync the rename alone keeps a killed process from leaving a half file; the caller then
    // syncs the file system once at the end.
    explicit TempBeside(const std::string& target, bool sync = true) : target_(target), sync_(sync) {
        const std::string folder = fs::path(target).parent_path().string();
        RemoveStaleTemporaries(folder);
        fd_ = OpenPartFile(folder, 0644, temp_);
        if (fd_ < 0) throw EDrvnCompress(FormatText("Ne mogu kreirati datoteku %s", {target_}));
    }
    ~TempBeside() {
        if (fd_ >= 0) base::Fs().Close(fd_);
        if (!committed_) base::Fs().Unlink(temp_.c_str());
    }
    TempBeside(const TempBeside&) = delete;
    TempBeside& operator=(const TempBeside&) = delete;
    int Get() const { return fd_; }
    void Commit() {
        const bool synced = !sync_ || base::SyncFile(fd_) == 0;
        const int closed = base::Fs().Close(fd_);
        fd_ = -1;
        if (!synced || (closed != 0 && errno != EINTR) ||
            base::Fs().Rename(temp_.c_str(), target_.c_str()) != 0)
            throw EDrvnCompress(FormatText("Ne mogu kreirati datoteku %s", {target_}));
        committed_ = true;
        if (sync_ && base::SyncFolder(fs::path(target_).parent_path()) != 0)
            throw EDrvnCompress(FormatText("Ne mogu kreirati datoteku %s", {target_}));
    }

private:
    std::string target_, temp_;
    bool sync_;
    int fd_ = -1;
    bool committed_ = false;
};

unsigned CurrentUmask() {
    const mode_t old = ::umask(022);
    ::umask(old);
    return old;
}

// The last path part, refused when it could name anything but a file inside the target folder.
std::string SafeMemberName(const std::string& name, const std::string& archive) {
    const std::string part = NamePart(name);
    const bool control = std::any_of(part.begin(), part.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
    if (part.empty() || part == "." || part == ".." || control)
        throw EDrvnCompress(FormatText("Nedopušteno ime datoteke <%s> u arhivi <%s>", {name, archive}));
    return part;
}

// The bytes free for us in the folder's file system: a member must fit beside the old file before the
// old one goes, so a full disk is found before writing. Unknown: no limit (the write reports it).
std::uint64_t FreeRoom(const std::string& folder) {
    struct statvfs vfs {};
    if (::statvfs(folder.c_str(), &vfs) != 0) return UINT64_MAX;
    return static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
}

std::string VolumeFileName(const std::string& name, int volume) {
    return fs::path(name).replace_extension("." + std::to_string(volume)).string();
}

bool Exists(const std::string& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0;
}

} // namespace

int ZlibLevel(TCompressionLevel level) {
    switch (level) {
    case colNone:
        return 0;
    case colFastest:
        return 1;
    case colDefault:
        return Z_DEFAULT_COMPRESSION;
    case colMax:
        return 9;
    }
    return 9;
}

std::uint8_t Percent(std::uint64_t part, std::uint64_t whole) {
    if (whole == 0) return 0;
    const double p = std::nearbyint(static_cast<double>(part) / static_cast<double>(whole) * 100.0);
    return static_cast<std::uint8_t>(std::min(p, 255.0));
}

void SetProcessMessagesHook(std::function<void()> hook) {
    ProcessHook() = std::move(hook);
}

void ProcessMessages() {
    // A handler that pumps events may start another long step; that one must not pump again inside.
    static thread_local bool inside = false;
    if (inside || !ProcessHook()) return;
    inside = true;
    try {
        ProcessHook()();
    } catch (...) {
        inside = false;
        throw;
    }
    inside = false;
}

namespace {

unsigned ProgramBits(const unsigned char* first, std::size_t count) {
    const bool program = (count >= 4 && std::memcmp(first,
                                                    "\x7F"
                                                    "ELF",
                                                    4) == 0) ||
                         (count >= 2 && first[0] == '#' && first[1] == '!');
    return program ? 0755u : 0644u;
}

} // namespace

unsigned ExtractedFileMode(const unsigned char* first, std::size_t count) {
    return ProgramBits(first, count) & ~CurrentUmask();
}

// --- properties ---

void TDrvnCompress::SetCompressedFile(const std::string& name) {
    if (name != compressedFile_) loaded_ = false;
    compressedFile_ = name;
}

void TDrvnCompress::SetOffset(std::uint64_t offset) {
    if (offset != offset_) loaded_ = false;
    offset_ = offset;
}

void TDrvnCompress::SetFilesToProcess(const std::vector<std::string>& files) {
    files_.clear();
    for (const auto& f : files)
        if (!base::Trim(f).empty()) files_.push_back(f);
}

// --- directory ---

namespace {

// The file that holds the directory: the archive itself, or volume 1 when another volume is named.
std::string DirectoryFile(const std::string& name) {
    const std::string ext = fs::path(name).extension().string();
    const bool numbered = ext.size() > 1 && ext.find_first_not_of("0123456789", 1) == std::string::npos;
    if (numbered && ext != ".1" && Exists(VolumeFileName(name, 1))) return VolumeFileName(name, 1);
    return name;
}

} // namespace

void TDrvnCompress::ReadHeaders() {
    loaded_ = false;
    Fd fd(base::FileHandle::Open(DirectoryFile(compressedFile_), O_RDONLY));
    if (!fd.Valid())
        throw EDrvnCompress(FormatText("Ne mogu otvoriti kompresiranu datoteku %s", {compressedFile_}));
    headers_.ReadFromStream(fd.Get(), offset_);
    loaded_ = true;
}

void TDrvnCompress::EnsureHeaders() {
    if (!loaded_) ReadHeaders();
}

const TFileHeaders& TDrvnCompress::Headers() {
    if (!packing_) EnsureHeaders();
    return headers_;
}

int TDrvnCompress::FileCount() {
    return Headers().Count();
}

TlzhFileStats TDrvnCompress::GetFileStats(int index) {
    const TFileHeaders& h = Headers();
    if (index < 0 || index >= h.Count())
        throw EDrvnCompress(FormatText("Pokušavam uzeti %d datoteku. Ta datoteka nije definirana", {index}));
    const TFileHeader& r = h.GetFileHeaders(index);
    TlzhFileStats s;
    s.FileName = r.SourceName;
    s.FileSize = r.FileSize;
    s.FileCompressed = r.CompressedSize;
    s.FileRatio = Percent(r.CompressedSize, r.FileSize);
    s.Header = r;
    s.TotalSize = h.TotalSize();
    s.TotalCompressed = h.TotalCompressed();
    s.TotalRatio = Percent(s.TotalCompressed, s.TotalSize);
    return s;
}

int TDrvnCompress::IndexOfFile(const std::string& name) {
    return Headers().IndexOfEntry(name);
}

// --- shared steps ---

EdcDiskFull TDrvnCompress::FullDisk() const {
    // The folder being written to, and what is left of the file being written there.
    const std::string folder = !packing_ && !extractFolder_.empty()
                                   ? extractFolder_
                                   : fs::path(compressedFile_).parent_path().string();
    const std::uint64_t left = stats_.FileSize > stats_.FileDone ? stats_.FileSize - stats_.FileDone : 0;
    return EdcDiskFull(folder.empty() ? std::string(".") : folder, std::max<std::uint64_t>(left, 1));
}

void TDrvnCompress::DiskFull() {
    if (!OnFullDisk) throw FullDisk();
    OnFullDisk(*this);
}

void TDrvnCompress::WriteFully(int fd, const unsigned char* data, std::size_t len) {
    for (int attempt = 0;; ++attempt) {
        const std::size_t n = base::WriteAll(fd, data, len).Done;
        data += n;
        len -= n;
        if (len == 0) return;
        if (attempt >= MaxDiskFullRetries) throw FullDisk();
        DiskFull();
        if (Abort) throw EdcAborted();
    }
}

void TDrvnCompress::Status() {
    if (OnStatus) OnStatus(*this, stats_);
}

void TDrvnCompress::CompressStatus() {
    if (Abort) throw EdcAborted();
    ProcessMessages();
    stats_.FilePercent = Percent(stats_.FileDone, stats_.FileSize);
    stats_.TotalPercent = Percent(stats_.TotalDone, stats_.TotalSize);
    Status();
}

void TDrvnCompress::FinishOperation(const std::function<void()>& body, bool reraiseAbort) {
    try {
        body();
    } catch (const EdcAborted&) {
        Abort = true;
        if (OnAborted) OnAborted(*this);
    } catch (const base::Abort&) {
        if (reraiseAbort) throw;
    } catch (...) {
        Abort = true;
        throw;
    }
}

namespace {

void StartFileStats(TlzhFileStats& s, const TFileHeader& h) {
    s.FilePercent = 0;
    s.FileDone = 0;
    s.FileName = h.SourceName;
    s.FileCompressed = 0;
    s.FileRatio = 0;
    s.FileSize = h.FileSize;
    s.Header = h;
    s.Finished = false;
}

} // namespace

// --- packing ---

class ArchiveOperation {
public:
    // Packs one member at pos (record, then its zlib stream); returns the position after it.
    static std::uint64_t PackMember(TDrvnCompress& c, int fd, std::uint64_t pos, TFileHeader& h) {
        Fd src(base::FileHandle::Open(h.SourceName, O_RDONLY | O_NONBLOCK));
        if (!src.Valid()) throw EDrvnCompress(FormatText("Ne mogu otvoriti datoteku %s", {h.SourceName}));
        StartFileStats(c.stats_, h);
        if (c.OnBeforeAdding) c.OnBeforeAdding(c, c.stats_);
        WriteRecord(c, fd, pos, h);

        z_stream z{};
        if (deflateInit(&z, ZlibLevel(c.CompressionLevel)) != Z_OK) throw EDrvnCompress("zlib: deflateInit");
        std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, deflateEnd);
        std::vector<unsigned char> in(PackBlock), out(PackBlock);
        std::uint64_t outPos = pos + FileHeaderSize, read = 0, compressed = 0;
        int flush = Z_NO_FLUSH;
        while (flush != Z_FINISH) {
            const ssize_t n = base::Fs().Read(src.Get(), in.data(), in.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw EDrvnCompress(FormatText("Ne mogu otvoriti datoteku %s", {h.SourceName}));
            read += static_cast<std::uint64_t>(n);
            flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(n);
            do {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
                deflate(&z, flush);
                const std::size_t have = out.size() - z.avail_out;
                c.WriteAt(fd, out.data(), have, outPos);
                outPos += have;
                compressed += have;
            } while (z.avail_out == 0);
            if (read > MaxArchiveBytes || outPos > MaxArchiveBytes)
                throw EDrvnCompress(
                    FormatText("Datoteka %s je prevelika za arhivu (najviše 2 GB)", {h.SourceName}));
            c.stats_.TotalDone += read - c.stats_.FileDone;
            c.stats_.FileDone = static_cast<std::uint32_t>(read);
            c.stats_.FileCompressed = static_cast<std::uint32_t>(compressed);
            if (flush != Z_FINISH) c.CompressStatus();
        }
        h.FileSize = static_cast<std::uint32_t>(read); // what was packed, even if the file changed meanwhile
        c.stats_.FileSize = h.FileSize;
        c.stats_.FileRatio = Percent(compressed, h.FileSize);
        c.stats_.Finished = true;
        c.CompressStatus();
        c.stats_.Finished = false;

        h.DataStart = static_cast<std::uint32_t>(pos + FileHeaderSize);
        h.CompressedSize = static_cast<std::uint32_t>(compressed);
        h.LastDataByte = static_cast<std::uint32_t>(outPos - 1);
        h.NextHeader = static_cast<std::uint32_t>(outPos);
        h.StartVolume = h.EndVolume = 0;
        WriteRecord(c, fd, pos, h);
        c.stats_.TotalCompressed += compressed;
        c.stats_.Header = h;
        if (c.OnAfterAdding) c.OnAfterAdding(c, c.stats_);
        return outPos;
    }

    static void WriteRecord(TDrvnCompress& c, int fd, std::uint64_t pos, const TFileHeader& h) {
        const auto bytes = h.Encode();
        c.WriteAt(fd, bytes.data(), bytes.size(), pos);
    }
};

void TDrvnCompress::WriteAt(int fd, const unsigned char* data, std::size_t len, std::uint64_t pos) {
    for (int attempt = 0;; ++attempt) {
        const std::size_t n = base::WriteAt(fd, data, len, pos).Done;
        data += n;
        len -= n;
        pos += n;
        if (len == 0) return;
        if (attempt >= MaxDiskFullRetries) throw FullDisk();
        DiskFull();
        if (Abort) throw EdcAborted();
    }
}

void TDrvnCompress::Compress(TlzhCommand command) {
    Abort = false;
    packing_ = true;
    SetOffset(0);
    try {
        FinishOperation([&] { CompressArchive(command); }, false);
    } catch (...) {
        packing_ = false;
        loaded_ = false;
        files_.clear();
        throw;
    }
    packing_ = false;
    loaded_ = false;
    files_.clear();
}

namespace {

// A key may be in an archive once: lookups by name would only ever find the first.
void RefuseDuplicates(const TFileHeaders& old, const TFileHeaders& fresh, const std::string& archive) {
    for (int i = 0; i < fresh.Count(); ++i) {
        const std::string& name = fresh.GetFileHeaders(i).SourceName;
        if (old.IndexOfEntry(name) >= 0 || fresh.IndexOfEntry(name) < i)
            throw EDrvnCompress(FormatText("Datoteka <%s> je već u arhivi <%s>", {name, archive}));
    }
}

} // namespace

void TDrvnCompress::CompressArchive(TlzhCommand command) {
    const std::string path = compressedFile_;
    if (base::Trim(path).empty()) throw EDrvnCompress(FormatText("Ne mogu kreirati datoteku %s", {path}));
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty()) base::MakeFolders(folder);

    TFileHeaders fresh;
    fresh.AddFromList(files_, false);
    const bool append = command == lzcOnlyAdd && Exists(path);
    TFileHeaders all;
    Fd fd;
    std::unique_ptr<TempBeside> temp;
    std::uint64_t end = ArchiveHeadSize;
    if (append) {
        fd = Fd(base::FileHandle::Open(path, O_RDWR));
        if (!fd.Valid()) throw EDrvnCompress(FormatText("Ne mogu otvoriti kompresiranu datoteku %s", {path}));
        all.ReadFromStream(fd.Get(), 0);
        if (all.MultiVolume != 0)
            throw EDrvnCompress(
                FormatText("Ne mogu dodati datoteke u arhivu %s podijeljenu na više diskova", {path}));
        if (all.Count() > 0) end = std::as_const(all).GetFileHeaders(all.Count() - 1).NextHeader;
    } else {
        temp = std::make_unique<TempBeside>(path);
    }
    const int out = append ? fd.Get() : temp->Get();
    RefuseDuplicates(all, fresh, path);
    const std::uint64_t oldEnd = end;
    const auto oldHead = EncodeHead(static_cast<std::uint32_t>(all.Count()), 0);
    const char* const headError = "Ne mogu zapisati glavu datoteke za kompresiranu datoteku";
    try {
        if (!append) WriteAt(out, oldHead.data(), oldHead.size(), 0);
        stats_ = TlzhFileStats();
        stats_.TotalSize = all.TotalSize() + fresh.TotalSize();
        for (int i = 0; i < fresh.Count(); ++i) {
            TFileHeader h = std::as_const(fresh).GetFileHeaders(i);
            end = ArchiveOperation::PackMember(*this, out, end, h);
            all.Add(h);
        }
        // The count goes in last, after the members are on disk: until then the archive holds exactly
        // its old members.
        if (append && (base::Fs().Truncate(out, static_cast<off_t>(end)) != 0 || base::SyncFile(out) != 0))
            throw EDrvnCompress(headError);
        const auto head = EncodeHead(static_cast<std::uint32_t>(all.Count()), 0);
        if (base::WriteAt(out, head.data(), head.size(), 0).Done != head.size())
            throw EDrvnCompress(headError);
        if (append) {
            if (base::SyncFile(out) != 0) throw EDrvnCompress(headError);
        } else {
            base::Fs().ChangeMode(out, 0666 & ~CurrentUmask());
            temp->Commit();
        }
    } catch (...) {
        if (append) {
            base::WriteAt(out, oldHead.data(), oldHead.size(), 0);
            if (base::Fs().Truncate(out, static_cast<off_t>(oldEnd)) == 0) base::SyncFile(out);
        }
        throw;
    }
}

// --- extraction ---

int TDrvnCompress::OpenVolume(int volume, std::string& fileName) {
    for (int attempt = 0; attempt < MaxVolumeTries; ++attempt) {
        const std::string name = headers_.MultiVolume == 1 ? VolumeFileName(fileName, volume) : fileName;
        if (Exists(name)) {
            const int fd = base::FileHandle::Open(name, O_RDONLY).Release();
            if (fd < 0) throw EDrvnCompress(FormatText("Ne mogu otvoriti kompresiranu datoteku %s", {name}));
            fileName = name;
            return fd;
        }
        if (!OnNewDisk)
            throw EDrvnCompress(FormatText("Ne mogu na disku otvoriti pravilnu datoteku %d", {volume}));
        std::string folder = RemoveBackslash(fs::path(name).parent_path().string());
        OnNewDisk(*this, volume, folder);
        fileName = AddBackslash(folder) + fs::path(name).filename().string();
    }
    throw EDrvnCompress(FormatText("Ne mogu otvoriti kompresiranu datoteku %s", {fileName}));
}

void TDrvnCompress::Extract() {
    Abort = false;
    packing_ = false;
    extractedSome_ = false;
    extractFolder_.clear();
    umask_ = CurrentUmask();
    // Whatever the outcome, what was extracted is put on disk before the operation returns.
    struct SyncAtEnd {
        TDrvnCompress& zip;
        ~SyncAtEnd() {
            if (!zip.extractedSome_) return;
            base::SyncFileSystemOf(zip.ExtractDirectory);
        }
    } syncAtEnd{*this};
    try {
        FinishOperation(
            [&] {
                EnsureHeaders();
                currentVolume_ = 0;
                stats_ = TlzhFileStats();
                stats_.TotalSize = headers_.TotalSize();
                stats_.TotalCompressed = headers_.TotalCompressed();
                stats_.TotalRatio = Percent(stats_.TotalCompressed, stats_.TotalSize);
                for (const std::string& entry : files_)
                    ExtractOne(entry);
            },
            false);
    } catch (...) {
        files_.clear();
        ExtractName.clear();
        throw;
    }
    files_.clear();
    ExtractName.clear();
}

void TDrvnCompress::ExtractOne(const std::string& entry) {
    const int index = headers_.IndexOfEntry(entry);
    if (index < 0)
        throw EDrvnCompress(
            FormatText("Datoteka <%s> nije pronađena u arhivi <%s>", {entry, compressedFile_}));
    const TFileHeader h = std::as_const(headers_).GetFileHeaders(index);
    StartFileStats(stats_, h);
    stats_.FileRatio = Percent(h.CompressedSize, h.FileSize);
    if (base::Trim(ExtractName).empty()) ExtractName = NamePart(h.SourceName);
    if (OnBeforeExtracting) OnBeforeExtracting(*this, stats_);
    auto targetPath = [&] {
        const std::string dir = ExtractDirectory;
        return (dir.empty() ? std::string() : AddBackslash(dir)) +
               SafeMemberName(ExtractName, compressedFile_);
    };
    std::string target = targetPath();
    if (Exists(target)) {
        const int decision = IsFileNewer(h.FileVersion, target, Overwrite, h.FileDate);
        if (decision == 0) throw EDrvnCompress("Greška komparacije verzije datoteke TDrvnCompress");
        if (decision != 2) {
            stats_.Finished = true;
            Status();
            ExtractName.clear();
            return;
        }
        if (OnReplace) OnReplace(*this, stats_);
        target = targetPath();
    }
    std::string volumeName = compressedFile_;
    Fd volume(OpenVolume(std::max<int>(h.StartVolume, 1), volumeName));
    currentVolume_ = h.StartVolume;
    const fs::path folder = fs::path(target).parent_path();
    const std::string dir = folder.empty() ? std::string(".") : folder.string();
    if (dir != extractFolder_) { // members of one extraction mostly share their folder
        if (!folder.empty()) base::MakeFolders(folder);
        extractFolder_ = dir;
        room_ = 0;
    }
    // The free space is asked again only when the room counted since is used up.
    if (h.FileSize > room_) room_ = FreeRoom(dir);
    if (h.FileSize > room_) throw EdcDiskFull(dir, h.FileSize - room_);
    room_ -= h.FileSize;
    TempBeside temp(target, false); // one syncfs at the end of Extract instead of one fsync per member
    InflateMember(h, volume, volumeName, temp.Get());
    if (stats_.FileDone != h.FileSize)
        throw EDrvnCompress(FormatText(
            "Veličina dekomresiranih datoteka ne odgovara stvarnoj veličini.  Datoteka %s", {h.SourceName}));
    unsigned char first[4] = {};
    const bool haveFirst = base::ReadExactlyAt(temp.Get(), first, std::min<std::size_t>(4, h.FileSize), 0);
    base::Fs().ChangeMode(temp.Get(),
                          ProgramBits(first, haveFirst ? std::min<std::size_t>(4, h.FileSize) : 0) & ~umask_);
    if (!IsValidFileDate(h.FileDate))
        throw EDrvnCompress("Ne mogu postaviti datum datoteke koja je upravo raširena.");
    const double when = UnixFromDateTime(h.FileDate);
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(std::floor(when));
    times[0].tv_nsec = times[1].tv_nsec = static_cast<long>((when - std::floor(when)) * 1e9);
    if (::futimens(temp.Get(), times) != 0)
        throw EDrvnCompress("Ne mogu postaviti datum datoteke koja je upravo raširena.");
    temp.Commit();
    extractedSome_ = true;
    stats_.Finished = true;
    Status();
    ExtractName.clear();
}

void TDrvnCompress::InflateMember(const TFileHeader& h, detail::Fd& volume, std::string& volumeName,
                                  int out) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw EDrvnCompress("zlib: inflateInit");
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, inflateEnd);
    // The buffers live as long as the compressor: a member of a few bytes costs no 128 KB to clear.
    inflateIn_.resize(InflateInput);
    inflateOut_.resize(InflateOutput);
    std::vector<unsigned char>&in = inflateIn_, &buf = inflateOut_;
    int vol = std::max<int>(h.StartVolume, 1);
    const int endVol = std::max<int>(h.EndVolume, 1);
    std::uint64_t pos = (vol == 1 ? offset_ : 0) + h.DataStart;
    std::uint64_t remaining = h.CompressedSize;
    auto broken = [&](const char* why) {
        return EDrvnCompress(FormatText("Greška dekompresije datoteke %s: %s", {h.SourceName, why}));
    };
    int ret = Z_OK;
    while (ret != Z_STREAM_END) {
        if (z.avail_in == 0) {
            std::uint64_t want = std::min<std::uint64_t>(in.size(), remaining);
            if (vol == endVol) {
                const std::uint64_t limit = (vol == 1 ? offset_ : 0) + std::uint64_t(h.LastDataByte) + 1;
                want = pos < limit ? std::min(want, limit - pos) : 0;
            }
            ssize_t n = 0;
            if (want > 0) {
                do
                    n = base::Fs().PRead(volume.Get(), in.data(), want, static_cast<off_t>(pos));
                while (n < 0 && errno == EINTR);
            }
            if (n < 0) throw broken("čitanje nije uspjelo");
            if (n == 0) {
                if (vol >= endVol || remaining == 0) throw broken("podaci su nepotpuni");
                ++vol;
                currentVolume_ = vol;
                volume = Fd(OpenVolume(vol, volumeName));
                pos = 0;
                continue;
            }
            pos += static_cast<std::uint64_t>(n);
            remaining -= static_cast<std::uint64_t>(n);
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(n);
        }
        z.next_out = buf.data();
        z.avail_out = static_cast<uInt>(buf.size());
        ret = inflate(&z, Z_NO_FLUSH);
        if (ret == Z_NEED_DICT || ret == Z_DATA_ERROR || ret == Z_MEM_ERROR || ret == Z_STREAM_ERROR)
            throw broken(z.msg ? z.msg : "oštećeni podaci");
        const std::size_t have = buf.size() - z.avail_out;
        if (have == 0) continue;
        if (std::uint64_t(stats_.FileDone) + have > h.FileSize)
            throw EDrvnCompress(
                FormatText("Veličina dekomresiranih datoteka ne odgovara stvarnoj veličini.  Datoteka %s",
                           {h.SourceName}));
        if (Abort) throw EdcAborted();
        ProcessMessages();
        WriteFully(out, buf.data(), have);
        stats_.FileDone += static_cast<std::uint32_t>(have);
        stats_.TotalDone += have;
        stats_.FilePercent = Percent(stats_.FileDone, stats_.FileSize);
        stats_.TotalPercent = Percent(stats_.TotalDone, stats_.TotalSize);
        Status();
    }
}

// --- volumes ---

namespace {

// One output volume that takes at most `capacity` bytes (0: no limit) and reports a short write when full.
class VolumeWriter {
public:
    // Written beside the volume's file and put in its place when the volume is full or done: a failed copy
    // keeps a file of that name as it was.
    VolumeWriter(const std::string& path, std::uint64_t capacity, std::vector<std::string>& created)
        : capacity_(capacity), path_(path), created_(created) {
        const fs::path folder = fs::path(path).parent_path();
        if (!folder.empty()) base::MakeFolders(folder);
        base::ReplaceOptions options;
        options.Mode = 0666;
        try {
            file_ = std::make_unique<base::FileReplacement>(path, options);
        } catch (const base::FileError&) {
            throw EDrvnCompress(FormatText("Ne mogu kreirati datoteku %s", {path}));
        }
    }
    std::size_t Write(const unsigned char* data, std::size_t len) {
        std::size_t allowed = len;
        if (capacity_ > 0)
            allowed =
                static_cast<std::size_t>(std::min<std::uint64_t>(len, capacity_ - std::min(capacity_, pos_)));
        const std::size_t n = base::WriteAt(file_->Fd(), data, allowed, pos_).Done;
        pos_ += n;
        return n;
    }
    std::uint64_t Position() const { return pos_; }
    void Close() {
        if (!file_) return;
        try {
            file_->Commit();
        } catch (const base::FileError&) {
            throw EDrvnCompress(NoRoomText);
        }
        file_.reset();
        created_.push_back(path_);
    }

    static constexpr const char* NoRoomText = "Premalo je prostora na disku za operaciju";

private:
    std::unique_ptr<base::FileReplacement> file_;
    std::uint64_t capacity_;
    std::uint64_t pos_ = 0;
    std::string path_;
    std::vector<std::string>& created_;
};

} // namespace

// The files of a volume set being written: volume 1 in the destination folder, then one file per new
// disk, in the folder the new-disk handler names.
class VolumeSet {
public:
    VolumeSet(TDrvnCompress& zip, const std::string& folder, const std::string& baseName,
              std::vector<std::string>& created)
        : zip_(zip), folder_(folder), baseName_(baseName), created_(created),
          firstPath_(AddBackslash(RemoveBackslash(folder)) + baseName) {
        zip_.currentVolume_ = 1;
        volume_ = std::make_unique<VolumeWriter>(firstPath_, zip_.VolumeCapacity, created_);
    }

    // Bytes that must stay on the current volume (the directory).
    void WriteWhole(const unsigned char* data, std::size_t len) {
        if (volume_->Write(data, len) != len) throw EDrvnCompress(VolumeWriter::NoRoomText);
    }

    // Writes every byte, going on to the next volume whenever one is full. Where the first byte landed
    // goes to startVolume and start (unless it already has a place).
    void Write(const unsigned char* data, std::size_t len, bool& started, std::uint8_t& startVolume,
               std::uint32_t& start) {
        std::size_t written = 0;
        for (;;) {
            const std::uint64_t at = volume_->Position();
            const std::size_t n = volume_->Write(data + written, len - written);
            if (n > 0 && !started) {
                started = true;
                startVolume = static_cast<std::uint8_t>(zip_.currentVolume_);
                start = static_cast<std::uint32_t>(at);
            }
            written += n;
            if (written == len) return;
            if (n == 0 && volume_->Position() == 0) throw EDrvnCompress(VolumeWriter::NoRoomText);
            NextVolume();
        }
    }

    std::uint64_t Position() const { return volume_->Position(); }
    void Finish() {
        volume_->Close();
        volume_.reset();
    }

    // Volume 1 again, to receive the final records (its disk is asked for when it is not there).
    std::string FirstVolume() {
        std::string first = firstPath_;
        for (int attempt = 0; !Exists(first); ++attempt) {
            if (!zip_.OnNewDisk || attempt >= MaxVolumeTries)
                throw EDrvnCompress(FormatText("Ne mogu na disku otvoriti pravilnu datoteku %d", {1}));
            std::string dir = RemoveBackslash(fs::path(first).parent_path().string());
            zip_.OnNewDisk(zip_, 1, dir);
            first = AddBackslash(dir) + baseName_;
        }
        return first;
    }

private:
    void NextVolume() {
        volume_->Close();
        if (zip_.currentVolume_ >= 255) throw EDrvnCompress(VolumeWriter::NoRoomText);
        ++zip_.currentVolume_;
        if (!zip_.OnNewDisk)
            throw EDrvnCompress("There was no event handler for the OnNewDisk event, therefore no new disk "
                                "could be inserted");
        zip_.OnNewDisk(zip_, zip_.currentVolume_, folder_);
        volume_ = std::make_unique<VolumeWriter>(AddBackslash(RemoveBackslash(folder_)) +
                                                     VolumeFileName(baseName_, zip_.currentVolume_),
                                                 zip_.VolumeCapacity, created_);
    }

    TDrvnCompress& zip_;
    std::string folder_, baseName_;
    std::vector<std::string>& created_;
    std::string firstPath_;
    std::unique_ptr<VolumeWriter> volume_;
};

void TDrvnCompress::CopyToVolumes(const std::string& destDir, const std::string& destName) {
    Abort = false;
    std::vector<std::string> created;
    bool done = false;
    try {
        FinishOperation(
            [&] {
                CopyVolumes(destDir, destName, created);
                done = true;
            },
            true);
    } catch (...) {
        for (const auto& f : created)
            base::Fs().Unlink(f.c_str());
        loaded_ = false;
        throw;
    }
    if (!done)
        for (const auto& f : created)
            base::Fs().Unlink(f.c_str());
    loaded_ = false;
}

void TDrvnCompress::CopyVolumes(const std::string& destDir, const std::string& destName,
                                std::vector<std::string>& created) {
    EnsureHeaders();
    if (headers_.MultiVolume != 0)
        throw EDrvnCompress(FormatText("Arhiva %s je već podijeljena na više diskova", {compressedFile_}));
    TFileHeaders out = headers_;
    out.MultiVolume = 1;
    stats_ = TlzhFileStats();
    stats_.TotalSize = out.TotalSize();
    stats_.TotalCompressed = out.TotalCompressed();
    Fd src(base::FileHandle::Open(compressedFile_, O_RDONLY));
    if (!src.Valid())
        throw EDrvnCompress(FormatText("Ne mogu otvoriti kompresiranu datoteku %s", {compressedFile_}));
    const std::string baseName = fs::path(NormalizeSeparators(destName)).filename().string();
    VolumeSet set(*this, destDir, baseName, created);

    // The directory first, with its final size; the positions are filled in as the data goes out.
    for (int i = 0; i < out.Count(); ++i)
        out.GetFileHeaders(i).NextHeader =
            static_cast<std::uint32_t>(ArchiveHeadSize + FileHeaderSize * (i + 1));
    std::vector<unsigned char> dir(ArchiveHeadSize + FileHeaderSize * static_cast<std::size_t>(out.Count()),
                                   0);
    set.WriteWhole(dir.data(), dir.size());
    for (int i = 0; i < out.Count(); ++i)
        CopyMemberToVolumes(src.Get(), out.GetFileHeaders(i), set);
    set.Finish();

    Fd fd(base::FileHandle::Open(set.FirstVolume(), O_RDWR));
    if (!fd.Valid() || !out.WriteToStream(fd.Get(), 0) || base::SyncFile(fd.Get()) != 0)
        throw EDrvnCompress("Ne mogu zapisati glavu datoteke za kompresiranu datoteku");
}

void TDrvnCompress::CopyMemberToVolumes(int src, TFileHeader& h, VolumeSet& set) {
    std::uint64_t srcPos = offset_ + h.DataStart;
    std::uint64_t remaining = h.CompressedSize;
    bool started = false;
    StartFileStats(stats_, h);
    stats_.FileCompressed = h.CompressedSize;
    std::vector<unsigned char> block(CopyBlock);
    while (remaining > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), remaining));
        if (!base::ReadExactlyAt(src, block.data(), n, srcPos)) throw EDrvnCompress(CorruptArchiveText);
        set.Write(block.data(), n, started, h.StartVolume, h.DataStart);
        srcPos += n;
        remaining -= n;
        stats_.FileDone += static_cast<std::uint32_t>(n);
        stats_.FilePercent = Percent(stats_.FileDone, stats_.FileCompressed);
        stats_.TotalDone += n;
        stats_.TotalPercent = Percent(stats_.TotalDone, stats_.TotalCompressed);
        Status();
        ProcessMessages();
        if (Abort) throw EdcAborted();
    }
    h.LastDataByte = static_cast<std::uint32_t>(set.Position() - 1);
    h.EndVolume = static_cast<std::uint8_t>(currentVolume_);
}

// --- plain copy ---

void TDrvnCompress::CopySingleFile(const std::string& source, const std::string& dest) {
    Abort = false;
    SetOffset(0);
    ExtractDirectory = FolderPart(dest);
    ExtractName = fs::path(NormalizeSeparators(dest)).filename().string();
    try {
        FinishOperation([&] { CopyFile(source); }, false);
    } catch (...) {
        ExtractName.clear();
        throw;
    }
    ExtractName.clear();
}

void TDrvnCompress::CopyFile(const std::string& source) {
    Fd src(base::FileHandle::Open(source, O_RDONLY | O_NONBLOCK));
    struct stat st {};
    if (!src.Valid() || ::fstat(src.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw EDrvnCompress(FormatText("Ne mogu otvoriti datoteku %s", {source}));
    auto targetPath = [&] {
        const std::string dir = ExtractDirectory;
        return (dir.empty() ? std::string() : AddBackslash(dir)) + ExtractName;
    };
    stats_ = TlzhFileStats();
    stats_.FileName = source;
    stats_.FileSize = static_cast<std::uint32_t>(std::min<std::uint64_t>(st.st_size, 0xFFFFFFFFu));
    stats_.TotalSize = static_cast<std::uint64_t>(st.st_size);
    std::string target = targetPath();
    if (Exists(target)) {
        const int decision = IsFileNewerByName(source, target, Overwrite);
        if (decision == 0) throw EDrvnCompress("Greška komparacije verzije datoteke TDrvnCompress");
        if (decision != 2) {
            stats_.Finished = true;
            Status();
            return;
        }
        if (OnReplace) OnReplace(*this, stats_);
        target = targetPath();
    }
    const fs::path folder = fs::path(target).parent_path();
    if (!folder.empty()) base::MakeFolders(folder);
    TempBeside temp(target);
    std::vector<unsigned char> block(CopyBlock);
    for (;;) {
        ssize_t n;
        do
            n = base::Fs().Read(src.Get(), block.data(), block.size());
        while (n < 0 && errno == EINTR);
        if (n < 0) throw EDrvnCompress(FormatText("Ne mogu otvoriti datoteku %s", {source}));
        WriteFully(temp.Get(), block.data(), static_cast<std::size_t>(n));
        stats_.FileDone += static_cast<std::uint32_t>(n);
        stats_.TotalDone += static_cast<std::uint64_t>(n);
        stats_.FilePercent = Percent(stats_.FileDone, stats_.TotalSize);
        stats_.TotalPercent = stats_.FilePercent;
        Status();
        ProcessMessages();
        if (Abort) return; // the partial copy goes with the temporary file
        if (static_cast<std::size_t>(n) < block.size()) break;
    }
    base::Fs().ChangeMode(temp.Get(), st.st_mode & 07777);
    if (::futimens(temp.Get(), std::array<struct timespec, 2>{st.st_atim, st.st_mtim}.data()) != 0)
        throw EDrvnCompress("Ne mogu postaviti datum datoteke koja je upravo raširena.");
    temp.Commit();
    stats_.Finished = true;
    Status();
}

} // namespace setup
