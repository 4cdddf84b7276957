#include "setup/install/Install.h"

#include "base/Exceptions.h"
#include "base/FileSystem.h"
#include "base/Finally.h"
#include "base/ReplaceFile.h"
#include "base/Text.h"
#include "setup/install/InstallUi.h"
#include "setup/install/NetDistribution.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/Registry.h"
#include "setup/kit/RunLock.h"
#include "setup/kit/StaleTemporaries.h"
#include "setup/kit/Translator.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace setup {

namespace fs = std::filesystem;

namespace {

TCustomInstall* theInstall = nullptr;

std::string OwnProgram() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

double Now() {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return DateTimeFromUnix(static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9);
}

RegValue Text(const std::string& s) {
    return RegValue{RegValue::String, s, 0, 0};
}
RegValue Integer(long long v) {
    return RegValue{RegValue::Integer, {}, v, 0};
}
RegValue Float(double v) {
    return RegValue{RegValue::Float, {}, 0, v};
}

} // namespace

TCustomInstall::TCustomInstall(std::string name) : TFileContainer(std::move(name)) {
    if (theInstall)
        throw IEInstall(
            "The TInstall component does not currently support the use of 2 TInstall components in the "
            "same project");
    EnsureStandardKinds(kinds_, true);
    theInstall = this;
    SetCurrentInstall(this);
    SetDestDir("\\MyApplication");
    SetDestDirType(&FindKind<psProgramFiles>());
    SetArchiveFileType(&FindKind<psMainArchiveFile>());
    ProgramFile = OwnProgram();
}

TCustomInstall::~TCustomInstall() {
    // The children forget their root before the path kinds they point at go.
    const std::vector<TInstallContainer*> children = children_;
    for (TInstallContainer* c : children)
        Remove(c);
    if (theInstall == this) theInstall = nullptr;
    if (CurrentInstall() == this) SetCurrentInstall(nullptr);
}

void TCustomInstall::SetDistributeType(TDistributeType type) {
    if (loaded_) throw IEInstall("DistributeType can only be set at design-time");
    distributeType_ = type;
}

// --- command line ---

void TCustomInstall::ParseCommandLine(const std::vector<std::string>& args) {
    switches_.clear();
    for (const std::string& a : args) {
        const char letter =
            a.size() >= 2 ? static_cast<char>(std::tolower(static_cast<unsigned char>(a[1]))) : 0;
        if (a.size() < 2 || a[0] != '-' || std::string("bdfersc").find(letter) == std::string::npos ||
            letter == 0)
            throw IEInstall(
                "Pogrešan parametar <%s>. Pravi parametar komandne linije je: -b (Build), -d (Debug), -f "
                "(Transfer to floppies), -e (Called by self-extractor), -r (After reboot)",
                {a});
        switches_[letter] = a.substr(2);
    }
}

bool TCustomInstall::Switch(char letter) const {
    return switches_.count(letter) != 0;
}

std::string TCustomInstall::SwitchArg(char letter) const {
    const auto it = switches_.find(letter);
    return it == switches_.end() ? std::string() : it->second;
}

void TCustomInstall::Loaded() {
    if (Switch('d') && base::Trim(SwitchArg('s')).empty())
        throw IEInstall(
            "You forgot to pass in the build directory. In Run | Parameters, follow this format: -d "
            "\"-sC:\\My Build\"");
    sourceFolder_ = !base::Trim(SwitchArg('s')).empty() ? RemoveBackslash(SwitchArg('s'))
                                                        : RemoveBackslash(FolderPart(ProgramFile));
    recordKey_ = FindSetupRecord(false);
    SetCurrentInstallType(itAlways);
    const TInstallTypeSet types = InstallTypes();
    for (TInstallType t : {itDefault, itCompact, itFull, itCustom}) {
        if (types & InstallTypeBit(t)) {
            SetCurrentInstallType(t);
            break;
        }
    }
    loaded_ = true;
}

int TCustomInstall::Execute(const std::vector<std::string>& args) {
    exitCode_ = 0;
    terminated_ = false;
    try {
        ParseCommandLine(args);
        Loaded();
    } catch (const std::exception& e) {
        ShowKitMessage(e.what());
        return 1;
    }
    if (Switch('b')) {
        BuildFromBuildInf();
    } else if (Switch('f')) {
        // "-f<folder>", optionally ",<bytes per volume>"
        std::string folder = SwitchArg('f');
        std::uint64_t capacity = 0;
        const std::size_t comma = folder.rfind(',');
        if (comma != std::string::npos && comma + 1 < folder.size() &&
            folder.find_first_not_of("0123456789", comma + 1) == std::string::npos) {
            capacity = std::stoull(folder.substr(comma + 1));
            folder.resize(comma);
        }
        try {
            TransferToFloppies(folder.empty() ? std::string(".") : folder, capacity);
        } catch (const std::exception& e) {
            ShowKitMessage(e.what());
            exitCode_ = 1;
        }
    } else if (Switch('r') || RunAutomatic) {
        SetupRunLock lock;
        if (!lock.TryTake()) {
            // Another setup is at work on the same records and files: this one leaves it alone.
            ShowKitMessage(SetupAlreadyRunningText);
            Guarded([&] { Cleanup(); });
            return 1;
        }
        Guarded([&] { Switch('r') ? Resume() : Run(); });
        lock.Release();
        // A run that leaves no installation leaves no registry behind either.
        try {
            ForgetUnusedRegistry();
        } catch (const std::exception&) {
        }
    }
    return exitCode_;
}

void TCustomInstall::Guarded(const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        try {
            HandleException(e);
        } catch (const std::exception& again) {
            ShowKitMessage(again.what());
            exitCode_ = 1;
            if (RunAutomatic) terminated_ = true;
        }
    }
}

// --- the run ---

void TCustomInstall::Run() {
    archiveInfoRead_ = false;
    unfinished_ = 0;
    startTime_ = Now();
    installRunning_ = true;
    SetRebootNeeded(false);
    SharedNetLocation().SetLoginInformation(LoginInformation);
    // The self-extracting file is checked whole before anything is written, the setup record included.
    if (Switch('e')) {
        UseSelfExtractingOffset();
    } else {
        SharedCompressor().SetCompressedFile(ArchivePath());
        SharedCompressor().SetOffset(0);
    }
    recordKey_ = FindSetupRecord(true);
    ClearUnfinished();
    newFiles_.clear();
    newFolders_.clear();
    undos_.clear();
    uninstallKeyExisted_ = RegKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyBase + Information.ProductName);
    RemoveTemporariesOfKilledRuns();
    ReadArchiveInfo();
    if (OnStartInstall) OnStartInstall(*this);
    for (int code : {-986, -976, -975, -982, -981, -977, -980})
        Broadcast(this, code, nullptr);
    TFileContainer::Process();
    RecordMadeFolders();
    if (unfinished_ > 0 || RebootNeeded()) RegisterRunOnce();
    // The installation is in place: from here on nothing takes it away again, whatever the pages after
    // it answer.
    installRunning_ = false;
    if (RebootNeeded()) {
        PastTheInstallation([&] { Broadcast(this, -987, nullptr); });
        bool go = true;
        if (OnRebootWindows) OnRebootWindows(*this, go);
        if (go) {
            SaveLanguage();
            RebootWindows();
        }
        terminated_ = true;
        exitCode_ = 3;
        return;
    }
    FinishInstalled();
}

void TCustomInstall::PastTheInstallation(const std::function<void()>& step) {
    try {
        step();
    } catch (const EAIUserAbort&) {
        // a page closed some other way than with its button: the installation stays as it is
    } catch (const base::Abort&) {
    }
}

void TCustomInstall::FinishInstalled() {
    PastTheInstallation([&] { ShowGoodInstall(); });
    Cleanup();
    DeleteSetupRecord();
    if (RunAutomatic) TerminateApp();
}

void TCustomInstall::ForEachFileContainer(const std::function<void(TFileContainer&)>& fn) {
    std::function<void(TInstallContainer&)> walk = [&](TInstallContainer& c) {
        if (auto* fc = dynamic_cast<TFileContainer*>(&c)) fn(*fc);
        for (int i = 0; i < c.Count(); ++i)
            walk(*c.Items(i));
    };
    walk(*this);
}

void TCustomInstall::RemoveTemporariesOfKilledRuns() {
    // Every folder a file goes to, also those whose files this run leaves as they are.
    std::set<std::string> folders;
    std::function<void(TInstallContainer&)> walk = [&](TInstallContainer& c) {
        if (auto* f = dynamic_cast<TCustomInstallFile*>(&c)) {
            try {
                folders.insert(RemoveBackslash(f->DestPath()));
            } catch (const std::exception&) {
                // a file whose folder cannot be told yet has left nothing there either
            }
        }
        for (int i = 0; i < c.Count(); ++i)
            walk(*c.Items(i));
    };
    walk(*this);
    for (const std::string& folder : folders)
        if (!folder.empty()) RemoveStaleTemporaries(folder, true);
}

void TCustomInstall::ReadArchiveInfo() {
    if (archiveInfoRead_) return;
    if (OnBeforeReadArchiveInfo) OnBeforeReadArchiveInfo(*this);
    Broadcast(this, -984, nullptr);
    {
        BusyCursor busy;
        ShowStatus("Čitam informaciju datoteke...");
        base::TryFinally(
            [&] {
                ForEachFileContainer([](TFileContainer& fc) { fc.TFileContainer::ReadArchiveInfo(); });
                if (distributeType_ != dtTraditional) ReadRemoteFileList(*this);
            },
            [&] { HideStatus(); });
    }
    archiveInfoRead_ = true;
    if (OnAfterReadArchiveInfo) OnAfterReadArchiveInfo(*this);
    Broadcast(this, -983, nullptr);
}

void TCustomInstall::Resume() {
    installRunning_ = true;
    newFiles_.clear();
    newFolders_.clear();
    undos_.clear();
    uninstallKeyExisted_ = true;
    SharedNetLocation().SetLoginInformation(LoginInformation);
    recordKey_ = FindSetupRecord(false);
    RestoreLanguage();
    DoPendingRenames();
    const std::vector<std::string> items = GetUnfinished();
    ClearUnfinished();
    for (const std::string& entry : items) {
        const std::size_t semi = entry.rfind(';');
        const std::string item = entry.substr(0, semi);
        const std::string kind = semi == std::string::npos ? std::string() : entry.substr(semi + 1);
        if (kind.empty() || kind.find_first_not_of("0123456789") != std::string::npos)
            throw IEInstall("There is an invalid entry for the unfinished install list %s", {entry});
        if (kind == "1") {
            base::Fs().Unlink(item.c_str());
        } else if (kind == "0") {
            std::function<void(TInstallContainer&)> walk = [&](TInstallContainer& c) {
                if (auto* f = dynamic_cast<TCustomInstallFile*>(&c); f && base::SameText(f->Name(), item))
                    f->CompleteDeferred();
                for (int i = 0; i < c.Count(); ++i)
                    walk(*c.Items(i));
            };
            walk(*this);
        }
    }
    if (!recordKey_.empty()) {
        const std::string name = ReadRegString(HKEY_LOCAL_MACHINE, recordKey_, "RunOnce", "");
        if (!name.empty()) DeleteRegValue(HKEY_LOCAL_MACHINE, RunOnceKey, name);
    }
    installRunning_ = false;
    FinishInstalled();
}

void TCustomInstall::DoPendingRenames() {
    if (recordKey_.empty()) return;
    const std::string key = recordKey_ + "\\PendingRenames";
    for (const std::string& temporary : RegValueNames(HKEY_LOCAL_MACHINE, key)) {
        const std::string target = ReadRegString(HKEY_LOCAL_MACHINE, key, temporary, "");
        if (!target.empty() && base::Fs().Rename(temporary.c_str(), target.c_str()) != 0 && errno != ENOENT)
            throw IEInstall("Cannot put %s in place of %s", {temporary, target});
        DeleteRegValue(HKEY_LOCAL_MACHINE, key, temporary);
    }
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, key);
}

// --- records ---

std::string TCustomInstall::FindSetupRecord(bool create) {
    struct stat st {};
    if (ProgramFile.empty() || ::stat(ProgramFile.c_str(), &st) != 0) return {};
    const long long size = static_cast<long long>(st.st_size);
    const double date = DateTimeFromUnix(static_cast<double>(st.st_mtim.tv_sec) + st.st_mtim.tv_nsec / 1e9);
    std::string found;
    try {
        RegistryStore().Update(HKEY_LOCAL_MACHINE, [&](RegistryHive& h) {
            const std::vector<std::string> subKeys = h.SubKeys(SetupRecordsKey);
            for (const std::string& sub : subKeys) {
                const std::string key = std::string(SetupRecordsKey) + "\\" + sub;
                const auto path = h.Value(key, "Path"), created = h.Value(key, "CreationDate"),
                           bytes = h.Value(key, "Size");
                if (!path || !created || !bytes || created->kind != RegValue::Float ||
                    bytes->kind != RegValue::Integer)
                    continue;
                if (std::fabs(date - created->real) < 1e-7 && bytes->integer == size) {
                    h.SetValue(key, "LastRunDate", Float(startTime_));
                    h.SetValue(key, "Path", Text(ProgramFile));
                    found = key;
                    return true;
                }
            }
            if (!create) return false;
            for (int n = 0; n <= MaxNumberedKeys * 10; ++n) {
                const std::string name = "Install" + std::to_string(n);
                if (h.KeyExists(std::string(SetupRecordsKey) + "\\" + name)) continue;
                found = std::string(SetupRecordsKey) + "\\" + name;
                h.SetValue(found, "Path", Text(ProgramFile));
                h.SetValue(found, "LastRunDate", Float(startTime_));
                h.SetValue(found, "CreationDate", Float(date));
                h.SetValue(found, "Size", Integer(size));
                if (Switch('e'))
                    h.SetValue(found, "SelfExtract", Text(AddBackslash(sourceFolder_) + SwitchArg('e')));
                return true;
            }
            return false;
        });
    } catch (const std::exception&) {
        // the record is a help for resuming; without a registry the run goes on without one
    }
    return found;
}

void TCustomInstall::DeleteSetupRecord() {
    if (recordKey_.empty()) return;
    for (const std::string& sub : RegSubKeys(HKEY_LOCAL_MACHINE, recordKey_)) {
        const std::string key = recordKey_ + "\\" + sub;
        const std::string local = ReadRegString(HKEY_LOCAL_MACHINE, key, "LocalFile", "");
        if (!local.empty()) base::Fs().Unlink(local.c_str());
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, key);
    }
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, recordKey_);
    recordKey_.clear();
    if (RegSubKeys(HKEY_LOCAL_MACHINE, SetupRecordsKey).empty()) {
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, SetupRecordsKey);
        if (RegSubKeys(HKEY_LOCAL_MACHINE, "\\Software\\Dorvane").empty())
            DeleteRegKeyTree(HKEY_LOCAL_MACHINE, "\\Software\\Dorvane");
    }
}

namespace {

[[noreturn]] void NoRecord() {
    throw IEInstall("The TInstall could not either write or read unfinished business from the registry");
}

} // namespace

void TCustomInstall::AddUnfinished(const std::string& item, int kind) {
    if (recordKey_.empty()) NoRecord();
    ++unfinished_;
    WriteRegString(HKEY_LOCAL_MACHINE, recordKey_ + "\\Unfinished", item, std::to_string(kind));
}

std::vector<std::string> TCustomInstall::GetUnfinished() const {
    if (recordKey_.empty()) NoRecord();
    std::vector<std::string> list;
    const std::string key = recordKey_ + "\\Unfinished";
    for (const std::string& name : RegValueNames(HKEY_LOCAL_MACHINE, key))
        list.push_back(name + ";" + ReadRegString(HKEY_LOCAL_MACHINE, key, name, ""));
    return list;
}

void TCustomInstall::ClearUnfinished() {
    if (recordKey_.empty()) NoRecord();
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, recordKey_ + "\\Unfinished");
}

void TCustomInstall::AddPendingRename(const std::string& temporary, const std::string& target) {
    if (recordKey_.empty()) NoRecord();
    WriteRegString(HKEY_LOCAL_MACHINE, recordKey_ + "\\PendingRenames", temporary, target);
}

std::string TCustomInstall::StartedSetupFile() const {
    if (Switch('e')) return AddBackslash(sourceFolder_) + SwitchArg('e');
    if (!recordKey_.empty()) {
        const std::string recorded = ReadRegString(HKEY_LOCAL_MACHINE, recordKey_, "Path", "");
        if (!recorded.empty()) return recorded;
    }
    return ProgramFile;
}

std::string TCustomInstall::ResumeCommand() const {
    std::string cmd = Quoted(ProgramFile) + " -r";
    if (Switch('e'))
        cmd += " " + Quoted("-e" + SwitchArg('e')) + " " + Quoted("-s" + RemoveBackslash(sourceFolder_));
    else
        cmd += " " + Quoted("-s" + RemoveBackslash(FolderPart(StartedSetupFile())));
    if (Switch('c')) cmd += " -c";
    return cmd;
}

void TCustomInstall::RegisterRunOnce() {
    const std::string cmd = ResumeCommand();
    // The value name taken is kept with the record, so the resumed run removes exactly its own command.
    std::string taken;
    for (int i = 0; i <= MaxNumberedNames && taken.empty(); ++i) {
        const std::string name = "DorvaneUnfinished" + (i == 0 ? std::string() : std::to_string(i));
        if (!RegValueExists(HKEY_LOCAL_MACHINE, RunOnceKey, name)) taken = name;
    }
    if (taken.empty() || !AddRunOnce(taken, cmd, false))
        throw IEInstall("Cannot register the install to be run on reboot in the RunOnce key in the registry");
    if (!recordKey_.empty()) WriteRegString(HKEY_LOCAL_MACHINE, recordKey_, "RunOnce", taken);
}

// --- endings ---

void TCustomInstall::ShowGoodInstall() {
    if (OnShowGoodInstall) OnShowGoodInstall(*this);
    Broadcast(this, -995, nullptr);
    Broadcast(this, -979, nullptr);
}

void TCustomInstall::ShowBadInstall() {
    if (OnShowBadInstall) OnShowBadInstall(*this);
    Broadcast(this, -994, nullptr);
    Broadcast(this, -978, nullptr);
}

void TCustomInstall::TerminateApp() {
    bool quit = true;
    if (OnBeforeTerminateApp) OnBeforeTerminateApp(*this, quit);
    if (quit) terminated_ = true;
}

bool TCustomInstall::UserAbort() {
    bool quit = true;
    if (OnUserAbort) OnUserAbort(*this, quit);
    return quit;
}

void TCustomInstall::HandleException(const std::exception& e) {
    if (!installRunning_) {
        ShowKitMessage(e.what());
        exitCode_ = 1;
        return;
    }
    installRunning_ = false;
    // Nothing is left half done for a later run to find: what this run added goes, and the loader's
    // temporary folder with the setup record.
    const bool removed = RollBack();
    if (dynamic_cast<const EAIUserAbort*>(&e) || dynamic_cast<const base::Abort*>(&e)) {
        exitCode_ = 2;
        ShowBadInstall();
        Cleanup();
        DeleteSetupRecord();
        if (RunAutomatic) TerminateApp();
        return;
    }
    exitCode_ = 1;
    // What went wrong is said first, then the page that the installation is not finished.
    ShowKitMessage(removed ? std::string(e.what()) + "\n\n" + RolledBackText : std::string(e.what()));
    ShowBadInstall();
    Cleanup();
    DeleteSetupRecord();
    TerminateApp();
}

void TCustomInstall::NoteNewFolders(const std::string& folder) {
    std::vector<std::string> missing;
    for (fs::path p = folder; !p.empty() && p != p.root_path(); p = p.parent_path()) {
        std::error_code ec;
        if (fs::exists(fs::symlink_status(p, ec))) break;
        missing.push_back(p.string());
    }
    // outermost first, so removing them in reverse goes deepest first
    newFolders_.insert(newFolders_.end(), missing.rbegin(), missing.rend());
}

void TCustomInstall::NoteNewFile(const std::string& path) {
    newFiles_.push_back(path);
}

void TCustomInstall::NoteUndo(std::function<void()> undo) {
    undos_.push_back(std::move(undo));
}

void TCustomInstall::RecordMadeFolders() {
    const std::string key = UninstallKeyBase + Information.ProductName;
    if (newFolders_.empty() || !RegKeyExists(HKEY_LOCAL_MACHINE, key)) return;
    for (const std::string& folder : newFolders_)
        WriteRegString(HKEY_LOCAL_MACHINE, key + "\\" + MadeFoldersKey, folder, "");
}

bool TCustomInstall::RollBack() {
    bool removed = false;
    std::set<std::string> folders;
    if (!recordKey_.empty()) {
        const std::string key = recordKey_ + "\\PendingRenames";
        for (const std::string& temporary : RegValueNames(HKEY_LOCAL_MACHINE, key))
            if (base::Fs().Unlink(temporary.c_str()) == 0) removed = true;
    }
    for (auto f = newFiles_.rbegin(); f != newFiles_.rend(); ++f) {
        if (base::Fs().Unlink(f->c_str()) == 0) removed = true;
        folders.insert(FolderPart(*f));
    }
    for (auto d = newFolders_.rbegin(); d != newFolders_.rend(); ++d) {
        RemoveStaleTemporaries(*d, true);
        if (base::Fs().RemoveFolder(d->c_str()) == 0) removed = true;
        folders.insert(*d);
    }
    const std::string uninstallKey = UninstallKeyBase + Information.ProductName;
    if (!uninstallKeyExisted_ && RegKeyExists(HKEY_LOCAL_MACHINE, uninstallKey)) {
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, uninstallKey);
        removed = true;
    }
    if (removed && !folders.empty()) DropValuesNamingGonePaths(folders, recordKey_);
    for (auto undo = undos_.rbegin(); undo != undos_.rend(); ++undo) {
        (*undo)();
        removed = true;
    }
    newFiles_.clear();
    newFolders_.clear();
    undos_.clear();
    return removed;
}

void TCustomInstall::RebootWindows() {
    // Nothing here needs a restart: files in use wait for the resumed run, which the user starts.
    ShowKitMessage(FormatText(TranslateText("Some files were in use and could not be replaced. To finish the "
                                            "installation run: %s"),
                              {ResumeCommand()}));
}

void TCustomInstall::Cleanup() {
    if (!UseLoadingProgram || !Switch('c') || Switch('d')) return;
    bool go = true;
    if (OnCleanup) OnCleanup(*this, go);
    if (!go) return;
    const std::string folder = FolderPart(ProgramFile);
    for (const std::string& pre : PresetupFiles)
        if (!base::Trim(pre).empty()) base::Fs().Unlink((AddBackslash(folder) + NamePart(pre)).c_str());
    base::Fs().Unlink(ProgramFile.c_str());
    // Only the loader's own temporary folder goes, and only when nothing else is left in it.
    const std::string marker = AddBackslash(folder) + LoaderMarker;
    struct stat st {};
    if (!folder.empty() && ::lstat(marker.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        base::Fs().Unlink(marker.c_str());
        if (base::Fs().RemoveFolder(folder.c_str()) != 0) {
            // Not empty: it stays the loader's folder.
            try {
                base::ReplaceFile(marker, std::string_view{});
            } catch (const base::Exception&) {
            }
        }
    }
}

void TCustomInstall::SaveLanguage() {
    if (recordKey_.empty() || !MainTranslator()) return;
    WriteRegInteger(HKEY_LOCAL_MACHINE, recordKey_, "Language", MainTranslator()->TranslateIntoLanguage());
}

void TCustomInstall::RestoreLanguage() {
    if (recordKey_.empty() || !MainTranslator()) return;
    const long long lang =
        ReadRegInteger(HKEY_LOCAL_MACHINE, recordKey_, "Language", MainTranslator()->TranslateIntoLanguage());
    MainTranslator()->SetTranslateIntoLanguage(static_cast<TDrvnLanguage>(lang));
}

} // namespace setup
