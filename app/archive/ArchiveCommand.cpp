#include "app/archive/ArchiveCommand.h"

#include "app/archive/ZipVerify.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "base/Exceptions.h"
#include "base/FileIo.h"
#include "base/Files.h"
#include "base/ProgramState.h"
#include "base/ReplaceFile.h"
#include "base/Text.h"
#include "engine/Engine.h"
#include "engine/TableCopy.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
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

constexpr const char* BusyText = "Proces arhiviranja je u tijeku....";
constexpr const char* FailedText = "Greška kod arhiviranja!!!";

// Set on the GUI thread while a run is under way, so that a second command is refused.
bool archiving = false;
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { archiving = false; });

// Answers true once the run is to stop.
using StopCheck = std::function<bool()>;

void ThrowIfStopped(const StopCheck& stopped) {
    if (stopped && stopped()) throw base::Abort();
}

// Held (shared) by every run on a program folder; whoever gets it exclusively knows that no process of
// the folder is archiving, so that what lies about of the zip's temporaries is left over from a kill.
class ArchiveLock {
public:
    ArchiveLock(const fs::path& programFolder, const std::string& archiveName, int how)
        : file_(base::FileHandle::Open(programFolder / ("." + archiveName + ".zip.lock"), O_RDWR | O_CREAT)) {
        held_ = file_ && ::flock(file_.Get(), how) == 0;
    }
    bool Held() const { return held_; }

private:
    base::FileHandle file_;
    bool held_ = false;
};

// The bytes of `from` into the descriptor; a failure throws FileError naming `to`.
void CopyInto(const fs::path& from, int out, const fs::path& to, const StopCheck& stopped) {
    const base::FileHandle in = base::FileHandle::Open(from, O_RDONLY);
    if (!in) base::ThrowReadError(from, errno);
    std::vector<char> block(1 << 20);
    for (std::uint64_t pos = 0;;) {
        ThrowIfStopped(stopped);
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
void CopyVerified(const fs::path& from, const fs::path& to, const StopCheck& stopped) {
    try {
        base::FileReplacement copy(to);
        CopyInto(from, copy.Fd(), to, stopped);
        if (!SameFileContents(from.string(), copy.TemporaryPath().string()))
            throw base::Exception("Kopija " + to.string() + " nije jednaka arhivi");
        copy.Commit();
    } catch (const base::FileError& e) {
        throw base::Exception("Kopija " + to.string() + " nije zapisana: " + e.Message());
    }
    if (!SameFileContents(from.string(), to.string()))
        throw base::Exception("Kopija " + to.string() + " nije jednaka arhivi");
}

// Where a run keeps the copies of what it packs: hidden in the program folder, so that no pattern selects
// it, one for each process, and gone with the run (RemoveStaleArchiveFiles takes what a killed run left).
std::string CopiesPrefix(const std::string& archiveName) {
    return "." + archiveName + ".zip.copies.";
}
fs::path CopiesFolder(const fs::path& programFolder, const std::string& archiveName) {
    return programFolder / (CopiesPrefix(archiveName) + std::to_string(::getpid()));
}

bool IsTableFileExtension(std::string ext) {
    ext = base::UpperCase(ext);
    if (ext == ".DB" || ext == ".PX" || ext == ".MB" || ext == ".VAL") return true;
    return ext.size() == 4 && (ext[1] == 'X' || ext[1] == 'Y');
}

// The copies the zip reads its entries from, each taken as its file is added, so that a size and the bytes
// packed always belong together. A table is copied with all its files at once, between two writes of other
// stations, then opened from the copy and walked: a table that does not read back whole stops the run.
class ArchiveCopies {
public:
    explicit ArchiveCopies(fs::path folder) : folder_(std::move(folder)) {
        std::error_code ec;
        fs::remove_all(folder_, ec);
        fs::create_directories(folder_, ec);
        if (ec) base::ThrowWriteError(folder_, ec.value());
    }
    ~ArchiveCopies() {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    ArchiveCopies(const ArchiveCopies&) = delete;
    ArchiveCopies& operator=(const ArchiveCopies&) = delete;

    std::string Of(const std::string& name) {
        const fs::path file(name);
        if (const auto it = copies_.find(file); it != copies_.end()) return it->second.string();
        const fs::path from = file.parent_path();
        const fs::path to = FolderFor(from);
        const std::string db = file.stem().string() + ".DB";
        if (IsTableFileExtension(file.extension().string()) && engine::TableExists(from, db)) {
            CopyTable(from, db, to);
        } else {
            std::error_code ec;
            fs::copy_file(file, to / file.filename(), fs::copy_options::overwrite_existing, ec);
            if (ec) base::ThrowReadError(file, ec.value());
            base::SetFileTime(to / file.filename(), base::FileTime(file));
            copies_[file] = to / file.filename();
        }
        const auto it = copies_.find(file);
        if (it == copies_.end()) throw base::Exception("Datoteka " + name + " nije arhivirana: nema je više");
        return it->second.string();
    }

private:
    // One folder of copies for each folder of originals: tables of one name in two folders stay apart.
    fs::path FolderFor(const fs::path& from) {
        auto [it, added] = folders_.emplace(from, folder_ / std::to_string(folders_.size()));
        if (added) {
            std::error_code ec;
            fs::create_directories(it->second, ec);
            if (ec) base::ThrowWriteError(it->second, ec.value());
        }
        return it->second;
    }

    void CopyTable(const fs::path& from, const std::string& db, const fs::path& to) {
        const std::vector<std::string> names = engine::CopyTableFiles(from, db, to);
        std::vector<std::pair<fs::path, std::int64_t>> times;
        for (const auto& n : names)
            times.emplace_back(to / n, base::FileTime(to / n));
        const std::string shown = (from / db).string();
        try {
            // The engine's own reading: header, blocks and primary index must agree, and every row read.
            auto table = engine::Table::Open(to, db, engine::OpenMode::Exclusive);
            auto cursor = table->OpenCursor();
            cursor->SetIndex(-1);
            std::int64_t rows = 0;
            for (cursor->First(); cursor->OnRow(); cursor->Next())
                ++rows;
            if (rows != table->RecordCount())
                throw base::Exception("pročitano " + std::to_string(rows) + " od " +
                                      std::to_string(table->RecordCount()) + " slogova");
        } catch (const base::Exception& e) {
            throw base::Exception("Tablica " + shown + " nije arhivirana: " + e.Message());
        }
        // The open may have written the copy (a journal replayed, an index file made anew): its files keep
        // the times of the originals.
        for (const auto& [path, time] : times) {
            std::error_code ec;
            if (fs::exists(path, ec)) base::SetFileTime(path, time);
        }
        for (const auto& n : names)
            if (base::UpperCase(fs::path(n).extension().string()) != ".JNL") copies_[from / n] = to / n;
    }

    fs::path folder_;
    std::map<fs::path, fs::path> folders_;
    std::map<fs::path, fs::path> copies_;
};

[[noreturn]] void ZipBlocks(const fs::path& zipFile, const std::string& why) {
    throw base::Exception("Arhiva " + zipFile.string() + " je oštećena (" + why +
                          "): premjestite ili obrišite tu datoteku pa arhivirajte ponovo.");
}

// The zip already in the program folder is added to: one that cannot be read stops the run, named, and is
// left as it is for the user to look at.
void OpenExistingZip(TZipMaster& zip, const fs::path& zipFile) {
    try {
        zip.SetZipFilename(zipFile.string());
    } catch (const base::Exception& e) {
        ZipBlocks(zipFile, e.Message());
    }
    std::error_code ec;
    if (zip.ZipContents().empty() && fs::exists(zipFile, ec)) {
        const std::string why = ZipOpenProblem(zipFile.string());
        if (!why.empty()) ZipBlocks(zipFile, why);
    }
}

void Archive(TZipMaster& zip, const ArchiveJob& job, const std::vector<std::string>& specs,
             const ArchiveHooks& hooks, const StopCheck& stopped) {
    const fs::path copy = job.Destination / DatedCopyName(job.ArchiveName, job.Today);
    // The chosen folder is gone (a stick pulled out): the copy goes nowhere else.
    std::error_code ec;
    if (job.Destination.empty() || !fs::is_directory(job.Destination, ec))
        throw base::Exception("Odredište arhive " + job.Destination.string() + " ne postoji: kopija " +
                              copy.filename().string() + " nije zapisana");
    Status(hooks, "Arhiviram i kompresiram.....");
    zip.FSpecArgs.clear();
    const fs::path zipFile = job.ProgramFolder / (job.ArchiveName + ".zip");
    OpenExistingZip(zip, zipFile);
    ThrowIfStopped(stopped);
    zip.FSpecArgs = specs;
    {
        ArchiveCopies copies(CopiesFolder(job.ProgramFolder, job.ArchiveName));
        zip.ReadFrom = [&copies](const std::string& file) { return copies.Of(file); };
        try {
            zip.AddFiles();
        } catch (...) {
            zip.ReadFrom = nullptr;
            throw;
        }
        zip.ReadFrom = nullptr;
    }
    ThrowIfStopped(stopped);
    if (!zip.LastError().empty()) throw base::Exception(zip.LastError());
    const std::string password = zip.AddOptions.Contains(AddEncrypt) ? zip.Password : std::string();
    VerifyZipFile(zipFile.string(), password);
    ThrowIfStopped(stopped);
    CopyVerified(zipFile, copy, stopped);
    VerifyZipFile(copy.string(), password);
}

// The list of file specifications, or none after its failure was shown; a run under way is refused.
bool Prepare(TZipMaster& zip, const ArchiveJob& job, const ArchiveHooks& hooks,
             std::vector<std::string>& specs) {
    try {
        specs = ArchiveFileSpecs(job);
    } catch (const std::exception&) {
        Show(hooks, "Greška kreiranja liste za arhiviranje!!!");
        return false;
    }
    if (zip.Busy() || archiving) {
        Show(hooks, BusyText);
        return false;
    }
    Status(hooks, " - početak arhiviranja -");
    return true;
}

std::string SuccessText(const TZipMaster& zip) {
    return "Arhivirano datoteka: " + std::to_string(zip.SuccessCount()) + ", + Prijenos!!!";
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

namespace {

// "<zip>.XXXXXX": the zip library's new archive before it is renamed over the zip.
bool IsZipTemporary(const std::string& file, const std::string& zipName) {
    if (file.size() != zipName.size() + 7 || file.compare(0, zipName.size() + 1, zipName + ".") != 0)
        return false;
    return std::all_of(file.begin() + std::ptrdiff_t(zipName.size()) + 1, file.end(),
                       [](unsigned char c) { return std::isalnum(c) != 0; });
}

// ".<name>YYYYMMDD.zip.<random>.tmp": a dated copy being written.
bool IsCopyTemporary(const std::string& file, const std::string& archiveName) {
    const std::string head = "." + archiveName;
    if (file.size() < head.size() + 18 || file.compare(0, head.size(), head) != 0) return false;
    const std::string rest = file.substr(head.size());
    return std::all_of(rest.begin(), rest.begin() + 8,
                       [](unsigned char c) { return std::isdigit(c) != 0; }) &&
           rest.compare(8, 5, ".zip.") == 0 && rest.size() > 17 &&
           rest.compare(rest.size() - 4, 4, ".tmp") == 0;
}

void RemoveMatching(const fs::path& folder, const std::function<bool(const std::string&)>& stale) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.is_regular_file(ec) && stale(entry.path().filename().string()))
            fs::remove(entry.path(), ec);
    }
}

} // namespace

void RemoveStaleArchiveFiles(const fs::path& programFolder, const std::string& archiveName,
                             const fs::path& destination) {
    const ArchiveLock lock(programFolder, archiveName, LOCK_EX | LOCK_NB);
    if (!lock.Held()) return;
    const std::string zipName = archiveName + ".zip";
    RemoveMatching(programFolder, [&](const std::string& f) { return IsZipTemporary(f, zipName); });
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(programFolder, ec))
        if (entry.path().filename().string().rfind(CopiesPrefix(archiveName), 0) == 0) {
            std::error_code removeError;
            fs::remove_all(entry.path(), removeError);
        }
    if (!destination.empty())
        RemoveMatching(destination, [&](const std::string& f) { return IsCopyTemporary(f, archiveName); });
}

bool RunArchive(TZipMaster& zip, const ArchiveJob& job, const ArchiveHooks& hooks) {
    std::vector<std::string> specs;
    if (!Prepare(zip, job, hooks, specs)) return false;
    archiving = true;
    if (hooks.Animate) hooks.Animate(true);
    bool ok = false;
    std::string status;
    try {
        const ArchiveLock lock(job.ProgramFolder, job.ArchiveName, LOCK_SH);
        if (hooks.FlushAllTables) hooks.FlushAllTables();
        Archive(zip, job, specs, hooks, {});
        ok = true;
        status = SuccessText(zip);
    } catch (const std::exception& e) {
        status = base::IsSilent(e) ? std::string() : e.what();
    }
    archiving = false;
    zip.UnloadZipDll();
    try {
        if (hooks.Animate) hooks.Animate(false);
    } catch (...) {
    }
    Status(hooks, status);
    if (!ok) Show(hooks, FailedText);
    return ok;
}

// ------------------------------------------------------------------------------------------- runner

struct ArchiveRunner::Outcome {
    bool Succeeded = false;
    std::string Status;
};

ArchiveRunner::~ArchiveRunner() {
    Cancel();
}

bool ArchiveRunner::Start(TZipMaster& zip, const ArchiveJob& job, const ArchiveHooks& hooks,
                          std::function<void(bool)> done) {
    std::vector<std::string> specs;
    if (running_) {
        Show(hooks, BusyText);
        return false;
    }
    if (!Prepare(zip, job, hooks, specs)) return false;
    archiving = true;
    running_ = true;
    zip_ = &zip;
    hooks_ = hooks;
    done_ = std::move(done);
    auto stop = std::make_shared<std::atomic<bool>>(false);
    stop_ = stop;
    if (hooks_.Animate) hooks_.Animate(true);
    try {
        // The tables belong to the GUI thread: they are written out before the worker reads their files.
        if (hooks_.FlushAllTables) hooks_.FlushAllTables();
    } catch (const std::exception& e) {
        Finish({false, base::IsSilent(e) ? std::string() : e.what()});
        return true;
    }
    zip.StopRequested = [stop] { return stop->load(); };
    const auto post = hooks_.Post;
    // What the worker shows goes through the GUI thread, and nothing of it once the run was cancelled.
    auto onGui = [post, stop](std::function<void()> call) {
        post([stop, call = std::move(call)] {
            if (!stop->load()) call();
        });
    };
    ArchiveHooks worker;
    const auto status = hooks_.ShowStatus;
    worker.ShowStatus = [onGui, status](const std::string& text) {
        if (status) onGui([status, text] { status(text); });
    };
    worker.ShowInfo = [onGui, info = hooks_.ShowInfo](const std::string& text) {
        if (info) onGui([info, text] { info(text); });
    };
    worker_ = std::thread([this, &zip, job, specs = std::move(specs), worker, onGui, stop] {
        const ZipMessageRedirect messages(
            [onGui](const std::string& text) { onGui([text] { ZipShowMessage(text); }); });
        Outcome outcome;
        try {
            const ArchiveLock lock(job.ProgramFolder, job.ArchiveName, LOCK_SH);
            Archive(zip, job, specs, worker, [stop] { return stop->load(); });
            outcome = {true, SuccessText(zip)};
        } catch (const std::exception& e) {
            outcome = {false, base::IsSilent(e) ? std::string() : e.what()};
        }
        onGui([this, outcome] { Finish(outcome); });
    });
    return true;
}

void ArchiveRunner::Finish(const Outcome& outcome) {
    if (worker_.joinable()) worker_.join();
    running_ = false;
    archiving = false;
    if (zip_) {
        zip_->StopRequested = nullptr;
        zip_->UnloadZipDll();
    }
    const ArchiveHooks hooks = hooks_;
    auto done = std::move(done_);
    done_ = nullptr;
    try {
        if (hooks.Animate) hooks.Animate(false);
    } catch (...) {
    }
    Status(hooks, outcome.Status);
    if (!outcome.Succeeded) Show(hooks, FailedText);
    if (done) done(outcome.Succeeded);
}

void ArchiveRunner::Cancel() {
    if (!running_) return;
    if (stop_) stop_->store(true);
    if (worker_.joinable()) worker_.join();
    running_ = false;
    archiving = false;
    if (zip_) {
        zip_->StopRequested = nullptr;
        zip_->UnloadZipDll();
    }
    done_ = nullptr;
}

} // namespace app
