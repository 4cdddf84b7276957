#include "app/archive/ArchiveCommand.h"

#include "app/archive/ZipVerify.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "base/Exceptions.h"
#include "base/FileIo.h"
#include "base/ProgramState.h"
#include "base/ReplaceFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace app {

namespace fs = std::filesystem;

namespace {

void Show(const ArchiveHooks& h, const std::string& text) {
    if (h.ShowInfo) h.ShowInfo(text);
}
void Status(const ArchiveHooks& h, const std::string& text) {
    if (h.ShowStatus) h.ShowStatus(text);
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string TwoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// Set while a run is under way, so that a second command (from an event handler) is refused.
bool archiving = false;
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { archiving = false; });

class RunGuard {
public:
    RunGuard(const ArchiveHooks& hooks, TZipMaster& zip) : hooks_(hooks), zip_(zip) {
        archiving = true;
        if (hooks_.Animate) hooks_.Animate(true);
    }
    ~RunGuard() {
        archiving = false;
        zip_.UnloadZipDll();
        try {
            if (hooks_.Animate) hooks_.Animate(false);
        } catch (...) {
        }
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    const ArchiveHooks& hooks_;
    TZipMaster& zip_;
};

// The bytes of `from` into the descriptor; a failure throws FileError naming `to`.
void CopyInto(const fs::path& from, int out, const fs::path& to) {
    const base::FileHandle in = base::FileHandle::Open(from, O_RDONLY);
    if (!in) base::ThrowReadError(from, errno);
    std::vector<char> block(1 << 20);
    for (std::uint64_t pos = 0;;) {
        const base::IoResult got = base::ReadAt(in.Get(), block.data(), block.size(), pos);
        if (got.Error != 0) base::ThrowReadError(from, got.Error);
        const base::IoResult put = base::WriteAt(out, block.data(), got.Done, pos);
        if (put.Error != 0) base::ThrowWriteError(to, put.Error);
        pos += got.Done;
        if (got.Done < block.size()) return;
    }
}

// The copy is written beside its target and renamed over it only when whole, so that a failed copy never
// destroys an earlier copy of the same day.
void CopyVerified(const fs::path& from, const fs::path& to) {
    try {
        base::FileReplacement copy(to);
        CopyInto(from, copy.Fd(), to);
        if (!SameFileContents(from.string(), copy.TemporaryPath().string()))
            throw base::Exception("Kopija " + to.string() + " nije jednaka arhivi");
        copy.Commit();
    } catch (const base::FileError& e) {
        throw base::Exception("Kopija " + to.string() + " nije zapisana: " + e.Message());
    }
    if (!SameFileContents(from.string(), to.string()))
        throw base::Exception("Kopija " + to.string() + " nije jednaka arhivi");
}

void Archive(TZipMaster& zip, const ArchiveJob& job, const std::vector<std::string>& specs,
             const ArchiveHooks& hooks) {
    Status(hooks, "Arhiviram i kompresiram.....");
    zip.FSpecArgs.clear();
    const fs::path zipFile = job.ProgramFolder / (job.ArchiveName + ".zip");
    zip.SetZipFilename(zipFile.string());
    if (hooks.FlushAllTables) hooks.FlushAllTables();
    zip.FSpecArgs = specs;
    zip.AddFiles();
    if (!zip.LastError().empty()) throw base::Exception(zip.LastError());
    const std::string password = zip.AddOptions.Contains(AddEncrypt) ? zip.Password : std::string();
    VerifyZipFile(zipFile.string(), password);
    const fs::path copy = job.Destination / DatedCopyName(job.ArchiveName, job.Today);
    CopyVerified(zipFile, copy);
    VerifyZipFile(copy.string(), password);
}

} // namespace

std::string ArchiveNameOf(const fs::path& programFile) {
    return programFile.stem().string();
}

std::string ArchiveFolderText(const fs::path& folder) {
    std::string text = folder.string();
    if (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

AddOpts ArchiveAddOptions(const fs::path& programFolder, const std::string& archiveName) {
    std::error_code ec;
    if (fs::exists(programFolder / (archiveName + ".zip"), ec))
        return {AddDirNames, AddRecurseDirs, AddUpdate};
    return {AddDirNames, AddRecurseDirs};
}

std::vector<std::string> ArchiveFileSpecs(const ArchiveJob& job) {
    const std::string p = WithSlash(ArchiveFolderText(job.ProgramFolder));
    std::vector<std::string> specs;
    for (const char* mask : {"*.ini", "*.db", "*.px", "*.val", "*.xg?", "*.yg?"})
        specs.push_back(p + mask);
    for (const std::string& folder : {job.GlobalFolder, job.LokalFolder, job.LinkFolder}) {
        if (folder.empty()) continue;
        for (const char* mask : {"*.db", "*.mb", "*.dbf"})
            specs.push_back(WithSlash(folder) + mask);
    }
    return specs;
}

std::string DatedCopyName(const std::string& archiveName, const base::Date& day) {
    return archiveName + std::to_string(day.Year) + TwoDigits(day.Month) + TwoDigits(day.Day) + ".zip";
}

ArchiveJob CurrentArchiveJob(const fs::path& destination) {
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return ArchiveJob{ProgramFolder(),     ArchiveNameOf(ec ? fs::path("plom") : program),
                      destination,         base::Today(),
                      WBegin.GlobalFolder, WBegin.LokalFolder,
                      WBegin.LinkFolder};
}

bool RunArchive(TZipMaster& zip, const ArchiveJob& job, const ArchiveHooks& hooks) {
    std::vector<std::string> specs;
    try {
        specs = ArchiveFileSpecs(job);
    } catch (const std::exception&) {
        Show(hooks, "Greška kreiranja liste za arhiviranje!!!");
        return false;
    }
    if (zip.Busy() || archiving) {
        Show(hooks, "Proces arhiviranja je u tijeku....");
        return false;
    }
    Status(hooks, " - početak arhiviranja -");
    RunGuard guard(hooks, zip);
    try {
        Archive(zip, job, specs, hooks);
    } catch (const std::exception& e) {
        Status(hooks, base::IsSilent(e) ? std::string() : e.what());
        Show(hooks, "Greška kod arhiviranja!!!");
        return false;
    }
    Status(hooks, "Arhivirano datoteka: " + std::to_string(zip.SuccessCount()) + ", + Prijenos!!!");
    return true;
}

} // namespace app
