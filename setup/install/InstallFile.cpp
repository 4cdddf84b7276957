#include "base/Exceptions.h"
#include "base/FileIo.h"
#include "base/Finally.h"
#include "base/Text.h"
#include "setup/install/Install.h"
#include "setup/install/InstallTree.h"
#include "setup/install/InstallUi.h"
#include "setup/install/NetDistribution.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/Registry.h"
#include "setup/kit/SelfExtractTrailer.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <vector>

namespace setup {

namespace fs = std::filesystem;

TCustomInstallFile::TCustomInstallFile(std::string name) : TFileRelated(std::move(name)) {}

std::string TCustomInstallFile::SourcePath() const {
    const std::string dir = RemoveBackslash(NormalizeSeparators(IncludeFromDir));
    return dir.empty() ? FileName : AddBackslash(dir) + FileName;
}

std::string TCustomInstallFile::TargetPath() const {
    return AddBackslash(DestPath()) + DestName;
}

void TCustomInstallFile::ReadSourceInfo() {
    TFileHeader h;
    try {
        h.FillFromFile(SourcePath());
    } catch (const EDrvnCompress&) {
        throw IECustomInstallFile(
            "Could not open or find the following file when trying to read the Size, Date, and Version :%s",
            {SourcePath()});
    }
    FileSize = h.FileSize;
    FileDate = h.FileDate;
    FileVersion = h.FileVersion;
}

void TCustomInstallFile::ReadArchiveInfo(TDrvnCompress& archive) {
    const int index = archive.IndexOfFile(SourcePath());
    if (index < 0) return;
    const TFileHeader& h = archive.Headers().GetFileHeaders(index);
    FileSize = h.FileSize;
    CompressedSize = h.CompressedSize;
    FileDate = h.FileDate;
    FileVersion = h.FileVersion;
}

void TCustomInstallFile::Process() {
    if (!Selected()) return;
    installed_ = replacedLater_ = false;
    Install();
    processed_ = true;
    if (installed_)
        if (TCustomInstall* root = Root())
            WriteUninstallData(UninstallKeyBase + root->Information.ProductName);
}

namespace {

// What the copy window shows of a file: where it goes (its component's name is nothing to the user).
std::string ShownName(const TCustomInstallFile& file) {
    try {
        return file.TargetPath();
    } catch (const std::exception&) {
        return file.DestName;
    }
}

TFileStatusParameter FinishedStatus(TCustomInstallFile& file) {
    TFileStatusParameter p;
    p.File = &file;
    p.FileName = ShownName(file);
    p.Stats.FileSize = file.FileSize;
    p.Stats.FileDone = file.FileSize;
    p.Stats.Finished = true;
    p.Bytes = file.FileSize;
    p.Percent = 100;
    return p;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

void TCustomInstallFile::Install() {
    Notify(this, ncBeforeInstall, nullptr);
    try {
        if (OnBeforeInstall) OnBeforeInstall(*this);
    } catch (const base::Abort&) {
        TFileStatusParameter p = FinishedStatus(*this);
        Notify(this, ncSkippedByHandler, &p);
        return;
    }
    if (base::Trim(DestPath()).empty())
        throw IECustomInstallFile(
            "Cannot compress,copy, or install the following file because it's destination "
            "directory is blank. File is :%s",
            {Name()});
    const std::string target = TargetPath();
    existed_ = Exists(target);
    // A target that cannot be compared (not a regular file) is replaced, like a newer one.
    const int decision = existed_ ? IsFileNewer(FileVersion, target, OverwriteMode, FileDate) : 2;
    if (decision == 1 || decision == 3) {
        TFileStatusParameter p = FinishedStatus(*this);
        Notify(this, ncSkippedByRule, &p);
        if (OnAfterInstall) OnAfterInstall(*this);
        Notify(this, ncFileInstalled, nullptr);
        return;
    }
    std::string extractName = DestName;
    try {
        PrepareReplacement(extractName);
    } catch (const base::Abort&) {
        TFileStatusParameter p = FinishedStatus(*this);
        Notify(this, ncSkippedByHandler, &p);
        return;
    }
    state_ = ifsInstall;
    base::TryFinally(
        [&] {
            Extract(extractName);
            installed_ = true;
            if (!existed_)
                if (TCustomInstall* root = Root()) root->NoteNewFile(target);
            AfterInstall();
            if (OnAfterInstall) OnAfterInstall(*this);
            Notify(this, ncFileInstalled, nullptr);
            InstallChildren();
        },
        [&] {
            state_ = ifsNone;
            Broadcast(this, -996, nullptr);
        });
}

void TCustomInstallFile::PrepareReplacement(std::string& extractName) {
    if (OnReplacing) OnReplacing(*this);
    Broadcast(this, -997, nullptr);
    Notify(this, ncReplacing, nullptr);
    const std::string target = TargetPath();
    if (!existed_ || !TargetLocked(target)) return;
    // The target is in use: install beside it under a free numbered name and put it in place on the
    // resumed run. DestName stays the real name for the records and links.
    const std::string folder = AddBackslash(DestPath());
    for (int i = 1; i <= MaxNumberedKeys; ++i) {
        const std::string candidate = DestName + "." + std::to_string(i);
        if (Exists(folder + candidate)) continue;
        TCustomInstall* root = Root();
        if (!root)
            throw IECustomInstallFile(
                "%s cannot register a routine in the register to move the files after the "
                "computer is reboot",
                {Name()});
        root->AddPendingRename(folder + candidate, target);
        pendingPath_ = folder + candidate;
        replacedLater_ = true;
        SetRebootNeeded(true);
        extractName = candidate;
        return;
    }
    throw IECustomInstallFile(
        "%s cannot register a routine in the register to move the files after the computer "
        "is reboot",
        {Name()});
}

void TCustomInstallFile::Extract(const std::string& extractName) {
    const std::string archive = ArchivePath();
    if (base::Trim(archive).empty())
        throw IECustomInstallFile(
            "Cannot either compress or decompress the following file because it's archive "
            "file property is blank. File is :%s",
            {Name()});
    if (TCustomInstall* root = Root()) root->NoteNewFolders(RemoveBackslash(DestPath()));
    base::MakeFolders(DestPath());
    std::unique_ptr<TDrvnCompress> own;
    TFileContainer* container = IsNetFile(*this) ? ArchiveContainer(*this) : nullptr;
    if (IsNetFile(*this) && !NetLocation && !container)
        throw IEFileRelated(
            "%s cannot perform ReadInfoFromArchive because either no container is assigned or "
            "the container is not TFileContainer",
            {Name()});
    const std::string source = !IsNetFile(*this) ? archive
                               : NetLocation     ? DownloadedArchive(*this)
                                                 : DownloadedArchive(*container);
    TDrvnCompress& zip = ArchiveFor(*this, source, own);
    zip.ExtractDirectory = DestPath();
    zip.ExtractName = extractName;
    zip.Overwrite = owAlways; // decided above, by the file's own rule
    zip.OnAborted = [](TDrvnCompress&) { throw EAIUserAbort(); };
    zip.OnStatus = [this](TDrvnCompress& z, const TlzhFileStats& s) { StatusStep(z, s, ncInstallProgress); };
    zip.OnNewDisk = [this](TDrvnCompress& z, int disk, std::string& path) {
        TDiskParameter p;
        p.Disk = disk;
        p.Path = path;
        if (OnNewDisk) {
            OnNewDisk(*this, disk, p.Path);
            p.Handled = true;
        }
        Broadcast(this, -993, &p);
        Notify(this, ncNewDisk, &p);
        if (!p.Handled && !ConfirmKit(FormatText(TranslateText("Please insert disk #%d"), {disk})))
            z.Abort = true;
        path = p.Path;
    };
    base::TryFinally(
        [&] {
            zip.SetFilesToProcess({SourcePath()});
            zip.Extract();
        },
        [&] {
            zip.OnAborted = nullptr;
            zip.OnStatus = nullptr;
            zip.OnNewDisk = nullptr;
            if (&zip != &SharedCompressor() && zip.Abort) SharedCompressor().Abort = true;
        });
    if (zip.Abort) throw EAIUserAbort();
}

void TCustomInstallFile::StatusStep(TDrvnCompress&, const TlzhFileStats& stats, int code) {
    TFileStatusParameter p;
    p.File = this;
    p.FileName = ShownName(*this);
    p.Stats = stats;
    p.Bytes = stats.FileDone;
    p.Percent = stats.FilePercent;
    if (OnStatus) OnStatus(*this, p.Percent, 0);
    Notify(this, code, &p);
}

void TCustomInstallFile::AfterInstall() {
    const std::string folder = DestPath();
    const std::string target = TargetPath();
    if (RegisterAsHelp) WriteRegString(HKEY_LOCAL_MACHINE, HelpKey, base::UpperCase(DestName), folder);
    if (UpdateDLLCounter) {
        try {
            const long long count = ReadRegInteger(HKEY_LOCAL_MACHINE, SharedDllsKey, target, 0);
            WriteRegInteger(HKEY_LOCAL_MACHINE, SharedDllsKey, target, count + 1);
        } catch (const std::exception&) {
            throw IECustomInstallFile("Cannot update the DLL count for the following file :%s:", {target});
        }
    }
    if (replacedLater_)
        if (TCustomInstall* root = Root()) root->AddUnfinished(Name(), 0);
}

void TCustomInstallFile::CompleteDeferred() {
    // Nothing of this system registers itself once in place: the pending rename was the deferred work.
}

std::string FileStamp(const std::string& path) {
    const base::FileHandle file = base::FileHandle::Open(path, O_RDONLY);
    struct stat st {};
    if (!file || ::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    std::uint32_t crc = 0;
    if (!Crc32Of(file.Get(), 0, static_cast<std::uint64_t>(st.st_size), crc)) return {};
    return std::to_string(st.st_size) + ";" +
           std::to_string(static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec) +
           ";" + std::to_string(crc);
}

bool StampStillHolds(const std::string& stamp, const std::string& path) {
    const std::string now = FileStamp(path);
    if (now.empty()) return false;
    const auto parts = [](const std::string& s) {
        std::vector<std::string> out;
        std::size_t from = 0;
        for (std::size_t semi; (semi = s.find(';', from)) != std::string::npos; from = semi + 1)
            out.push_back(s.substr(from, semi - from));
        out.push_back(s.substr(from));
        return out;
    };
    const std::vector<std::string> was = parts(stamp), is = parts(now);
    if (was.size() == 3) return was[0] == is[0] && was[2] == is[2];
    return was.size() == 2 && was[0] == is[0] && was[1] == is[1];
}

namespace {

// Each "Files" key of the uninstall key in turn, until one of them answers true.
bool ForEachFilesKey(const std::string& key, const std::function<bool(const std::string& files)>& fn) {
    for (int i = 0; i <= MaxNumberedKeys; ++i)
        if (fn(key + "\\Files" + (i == 0 ? std::string() : std::to_string(i)))) return true;
    return false;
}

// The number of the entry that lists the file, or 0.
long long EntryOf(const RegistryHive& hive, const std::string& files, const std::string& target) {
    const long long entries = std::atoll(hive.Value(files, "Entries").value_or(RegValue{}).text.c_str());
    for (long long n = 1; n <= entries; ++n) {
        const auto v = hive.Value(files, "File" + std::to_string(n));
        if (v && v->text == target) return n;
    }
    return 0;
}

// Lists the file under key\files: its existing entry (else that of `listedAs`) gets the new name and stamp,
// else a new "File<n>".
// Takes entry n out of the list: the last entry moves into its place.
void DropEntry(RegistryHive& hive, const std::string& key, long long n) {
    const long long last = std::atoll(hive.Value(key, "Entries").value_or(RegValue{}).text.c_str());
    if (n < 1 || n > last) return;
    for (const char* part : {"File", "Stamp"}) {
        const auto moved = hive.Value(key, part + std::to_string(last));
        if (n != last && moved) hive.SetValue(key, part + std::to_string(n), *moved);
        hive.DeleteValue(key, part + std::to_string(last));
    }
    hive.SetValue(key, "Entries", RegValue{RegValue::String, std::to_string(last - 1), 0, 0});
}

bool RecordFile(RegistryHive& hive, const std::string& key, const std::string& target,
                const std::string& stamp, const std::string& listedAs) {
    long long n = EntryOf(hive, key, target);
    const long long was = listedAs == target ? 0 : EntryOf(hive, key, listedAs);
    if (n == 0) {
        n = was;
    } else if (was != 0) {
        // Listed under both names (an earlier run renamed it already): the old name goes.
        const long long last = std::atoll(hive.Value(key, "Entries").value_or(RegValue{}).text.c_str());
        DropEntry(hive, key, was);
        if (n == last) n = was;
    }
    if (n == 0) {
        n = std::atoll(hive.Value(key, "Entries").value_or(RegValue{}).text.c_str()) + 1;
        hive.SetValue(key, "Entries", RegValue{RegValue::String, std::to_string(n), 0, 0});
    }
    hive.SetValue(key, "File" + std::to_string(n), RegValue{RegValue::String, target, 0, 0});
    hive.SetValue(key, "Stamp" + std::to_string(n), RegValue{RegValue::String, stamp, 0, 0});
    return true;
}

void Record(const std::string& key, const std::string& target, const std::string& stamp,
            const std::string& listedAs) {
    std::string lastError;
    const bool done = ForEachFilesKey(key, [&](const std::string& files) {
        try {
            return RegistryStore().Update(HKEY_LOCAL_MACHINE, [&](RegistryHive& h) {
                return RecordFile(h, files, target, stamp, listedAs);
            });
        } catch (const std::exception& e) {
            lastError = e.what();
            return false;
        }
    });
    if (!done)
        throw IECustomInstallFile("Cannot write the uninstall information of %s: %s", {target, lastError});
}

} // namespace

void RecordUninstallFile(const std::string& key, const std::string& target, const std::string& stampedFile) {
    Record(key, target, FileStamp(stampedFile.empty() ? target : stampedFile), target);
}

void RenameUninstallRecord(const std::string& key, const std::string& from, const std::string& to) {
    Record(key, to, FileStamp(to), from);
}

bool UninstallRecordHolds(const std::string& key, const std::string& target) {
    const RegistryHive hive = RegistryStore().Load(HKEY_LOCAL_MACHINE);
    return ForEachFilesKey(key, [&](const std::string& files) { return EntryOf(hive, files, target) != 0; });
}

void TCustomInstallFile::WriteUninstallData(const std::string& key) {
    // The file the run put in place: under its real name, stamped as it will stand after the rename.
    if (ProgramBookkeeping)
        Record(key, TargetPath(), AnyContentStamp, TargetPath());
    else
        RecordUninstallFile(key, TargetPath(), replacedLater_ ? pendingPath_ : std::string());
}

void TCustomInstallFile::Pack() {
    state_ = ifsCompress;
    base::TryFinally(
        [&] {
            if (OnBeforeCompress) OnBeforeCompress(*this);
            Notify(this, ncBeforePack, nullptr);
            const std::string archive = ArchivePath();
            if (base::Trim(archive).empty())
                throw IECustomInstallFile(
                    "Cannot either compress or decompress the following file because it's "
                    "archive file property is blank. File is :%s",
                    {Name()});
            const fs::path folder = fs::path(archive).parent_path();
            if (!folder.empty()) base::MakeFolders(folder);
            TDrvnCompress& zip = SharedCompressor();
            zip.SetCompressedFile(archive);
            zip.OnStatus = [this](TDrvnCompress& z, const TlzhFileStats& s) {
                StatusStep(z, s, ncPackProgress);
            };
            base::TryFinally(
                [&] {
                    zip.SetFilesToProcess({SourcePath()});
                    zip.Compress(AddToArchive);
                },
                [&] { zip.OnStatus = nullptr; });
            if (zip.Abort) throw EAIUserAbort();
            if (OnAfterCompress) OnAfterCompress(*this);
            Notify(this, ncAfterPack, nullptr);
        },
        [&] { state_ = ifsNone; });
}

void TCustomInstallFile::CopyFile() {
    state_ = ifsCopying;
    base::TryFinally(
        [&] {
            if (OnBeforeCopy) OnBeforeCopy(*this);
            Notify(this, ncBeforeCopy, nullptr);
            TDrvnCompress zip;
            zip.Overwrite = OverwriteMode;
            zip.OnStatus = [this](TDrvnCompress& z, const TlzhFileStats& s) {
                StatusStep(z, s, ncCopyProgress);
            };
            zip.CopySingleFile(SourcePath(), TargetPath());
            if (zip.Abort) throw base::Abort();
            if (OnAfterCopy) OnAfterCopy(*this);
            Notify(this, ncAfterCopy, nullptr);
        },
        [&] { state_ = ifsNone; });
}

} // namespace setup
