#include "setup/bde/InstallBde.h"

#include "base/FileIo.h"
#include "base/FileSystem.h"
#include "base/IniFile.h"
#include "base/ProgramState.h"
#include "base/ReplaceFile.h"
#include "base/Text.h"
#include "setup/install/InstallTree.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitFormat.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/Registry.h"

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace setup {

namespace fs = std::filesystem;

namespace {

struct State {
    TInstallBDE* current = nullptr;
};
State state;
void ResetState() {
    base::Reinitialise(state);
}
[[maybe_unused]] const bool registered = base::RegisterStateReset(base::StateLayer::Kit, &ResetState);

const char* const SystemInitKey = "\\Software\\Borland\\Database Engine\\Settings\\System\\Init";
const char* const ParadoxInitKey = "\\Software\\Borland\\Database Engine\\Settings\\Drivers\\Paradox\\Init";
const char* const DriversKey = "\\Software\\Borland\\Database Engine\\Settings\\Drivers";
const char* const Blw32Key = "\\Software\\Borland\\BLW32";

bool Readable(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return !file.empty() && fs::is_regular_file(file) && in.good();
}

std::string WinIni(const std::string& section, const std::string& key, const std::string& def) {
    return base::IniFile(AddBackslash(WindowsDirectory()) + "win.ini").ReadString(section, key, def);
}

// The name searched in the current folder, the Windows folder and the system folder.
std::string Search(const std::string& name) {
    std::error_code ec;
    for (const std::string& folder : {fs::current_path(ec).string(), WindowsDirectory(), SystemDirectory()}) {
        const std::string candidate = AddBackslash(folder) + name;
        if (Readable(candidate)) return candidate;
    }
    return {};
}

// The entry points of the install library, open for one installation.
class IdapiInst {
public:
    explicit IdapiInst(const std::string& folder) {
        handle_ = ::dlopen((AddBackslash(folder) + IdapiInstLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_) {
            MergeCfg = reinterpret_cast<decltype(MergeCfg)>(::dlsym(handle_, "MergeCfg"));
            IntlConfig = reinterpret_cast<decltype(IntlConfig)>(::dlsym(handle_, "IntlConfig"));
            FixMerge = reinterpret_cast<decltype(FixMerge)>(::dlsym(handle_, "FixMerge"));
            IncrementIDAPIUseCount = reinterpret_cast<decltype(IncrementIDAPIUseCount)>(
                ::dlsym(handle_, "IncrementIDAPIUseCount"));
        }
        if (!MergeCfg || !IntlConfig || !FixMerge || !IncrementIDAPIUseCount)
            throw IEInstallBDE(
                "Could not load IDAPINST.DLL in cmp_TInstallBDE. If you have the UseLoadingProgram "
                "set to FALSE for the TInstall component, then you will need to distribute this "
                "file along with your installation executable file");
    }
    ~IdapiInst() {
        if (handle_) ::dlclose(handle_);
    }
    IdapiInst(const IdapiInst&) = delete;
    IdapiInst& operator=(const IdapiInst&) = delete;

    int (*MergeCfg)(const char*, const char*, const char*, int, int, const char*) = nullptr;
    void (*IntlConfig)(const char*, int, const char*) = nullptr;
    int (*FixMerge)(const char*, int, int, const char*) = nullptr;
    void (*IncrementIDAPIUseCount)() = nullptr;

private:
    void* handle_ = nullptr;
};

std::string ProgramFolder(const TInstallContainer& group) {
    if (const TCustomInstall* root = group.Root(); root && !root->ProgramFile.empty())
        return FolderPart(root->ProgramFile);
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path().string();
}

// The new library path: the engine folder first, then the other entries as they were.
std::string LibraryPath(const std::string& folder, const std::string& old) {
    std::string value = folder;
    for (const std::string& entry : SplitList(old, ';'))
        if (!base::Trim(entry).empty() && base::Trim(entry) != folder) value += ";" + base::Trim(entry);
    return value;
}

void CopyFile(const std::string& from, const std::string& to) {
    std::string bytes;
    try {
        bytes = base::ReadWholeFile(from);
    } catch (const base::FileError&) {
        throw IEInstallBDE("Ne mogu pročitati datoteku %s", {from});
    }
    base::ReplaceFile(to, bytes);
}

} // namespace

TInstallBDE* CurrentInstallBDE() {
    return state.current;
}

TGrabCall::TGrabCall(TInstallBDE& group) : TBroadcastReceiver(group.Name() + "GrabCall"), group_(group) {}

void TGrabCall::Receive(TInstallContainer* sender, int code, TParameter* param) {
    TBroadcastReceiver::Receive(sender, code, param);
    if (code == -986) group_.Discover();
}

TInstallBDE::TInstallBDE(std::string name, TInstallContainer* parent) : TInstallFileGroup(std::move(name)) {
    SetDestDirType(&FindKind<psBDEDLL>());
    GroupName = "Borland Database Engine";
    Description.push_back(TranslateText("This will install the Borland Database Engine."));
    grab_ = std::make_unique<TGrabCall>(*this);
    if (auto* install = dynamic_cast<TCustomInstall*>(CurrentInstall())) grab_->SetContainer(install);
    if (parent) {
        // Made here rather than by the base, so the engine group is put first among its siblings.
        SetArchiveFileType(&FindKind<psContainerArchiveFile>());
        SetContainer(parent);
        SetDestDirType(&FindKind<psBDEDLL>());
    }
    state.current = this;
}

TInstallBDE::~TInstallBDE() {
    if (state.current == this) state.current = nullptr;
}

TCustomInstallFile& TInstallBDE::ConfigFile() const {
    TCustomInstallFile* found = nullptr;
    for (TInstallContainer* c : children_) {
        auto* f = dynamic_cast<TCustomInstallFile*>(c);
        if (!f || !base::SameText(f->FileName, "IDAPI32.CNF")) continue;
        if (found) throw IEInstallBDE("More than one IDAPI.CNF file found for the BDE group");
        found = f;
    }
    if (!found) throw IEInstallBDE("Could not find a IDAPI.CNF file in the TInstallBDE");
    return *found;
}

void TInstallBDE::Discover() {
    existing_ = "***";
    TCustomInstallFile& cnf = ConfigFile();
    const std::string cnfFolder = RemoveBackslash(cnf.DestPath());
    configDir_ = cnfFolder;
    configName_ = "idapi32.cfg";
    const std::string fromRegistry = ReadRegString(HKEY_LOCAL_MACHINE, EngineKey, "CONFIGFILE01", "");
    if (Readable(fromRegistry)) {
        existing_ = fromRegistry;
        configDir_ = RemoveBackslash(FolderPart(fromRegistry));
        configName_ = NamePart(fromRegistry);
    } else {
        for (const std::string& candidate : {WinIni("IDAPI", "CONFIGFILE01", ""), Search("idapi.cfg"),
                                             WinIni("ODAPI", "CONFIGFILE01", ""), Search("odapi.cfg")})
            if (Readable(candidate)) {
                existing_ = candidate;
                break;
            }
    }
    const std::string dllPath = ReadRegString(HKEY_LOCAL_MACHINE, EngineKey, "DLLPATH", "");
    if (!base::Trim(Field(dllPath, 1, ';')).empty()) {
        SetDestDirType(nullptr);
        SetDestDir(base::Trim(Field(dllPath, 1, ';')));
    }
    // The shipped configuration goes beside the one it is merged into.
    cnf.SetDestDirType(nullptr);
    cnf.SetDestDir(configDir_);
}

void TInstallBDE::InstallChildren() {
    IdapiInst lib(ProgramFolder(*this));
    TFileContainer::InstallChildren();
    const std::string newConfig = ConfigFile().TargetPath();
    const std::string folder = RemoveBackslash(DestPath());
    WriteRegString(HKEY_LOCAL_MACHINE, EngineKey, "DLLPATH",
                   LibraryPath(folder, ReadRegString(HKEY_LOCAL_MACHINE, EngineKey, "DLLPATH", "")));
    WriteRegString(HKEY_LOCAL_MACHINE, EngineKey, "CONFIGFILE01", newConfig);
    WriteRegString(HKEY_LOCAL_MACHINE, Blw32Key, "BLAPIPATH", folder);
    int locale = 0;
    for (TInstallContainer* c : children_)
        if (auto* f = dynamic_cast<TCustomInstallFile*>(c);
            f && base::UpperCase(f->DestName).find(".BLL") != std::string::npos)
            WriteRegString(HKEY_LOCAL_MACHINE, Blw32Key, "LOCALE_LIB" + std::to_string(++locale),
                           f->TargetPath());
    lib.IntlConfig(newConfig.c_str(), SaveFor16Bit, LanguageDLL.c_str());
    const std::string target = AddBackslash(configDir_) + configName_;
    // A configuration this run makes goes again when the run fails.
    if (TCustomInstall* root = Root()) {
        const std::string fallbackName = AddBackslash(FolderPart(newConfig)) + "IDAPINEW.CFG";
        for (const std::string& made : {target, fallbackName})
            if (::access(made.c_str(), F_OK) != 0) root->NoteNewFile(made);
    }
    const std::string fallback = AddBackslash(FolderPart(newConfig)) + "IDAPINEW.CFG";
    if (lib.MergeCfg(newConfig.c_str(), existing_.c_str(), target.c_str(), 1, SaveFor16Bit,
                     LanguageDLL.c_str()) != 0) {
        if (OnMergeFailed) OnMergeFailed(*this);
        CopyFile(newConfig, fallback);
        registered_ = fallback;
    } else {
        // The network folder of the system settings moves to the Paradox driver (copied first, so it is
        // never lost when the driver has none yet).
        if (RegValueExists(HKEY_LOCAL_MACHINE, SystemInitKey, "NET DIR")) {
            WriteRegString(HKEY_LOCAL_MACHINE, ParadoxInitKey, "NET DIR",
                           ReadRegString(HKEY_LOCAL_MACHINE, SystemInitKey, "NET DIR", ""));
            DeleteRegValue(HKEY_LOCAL_MACHINE, SystemInitKey, "NET DIR");
        }
        registered_ = target;
        const int flag = base::SameText(WinIni("ODAPI", "CONFIGFILE01", "*ERROR*"), target) ? 0 : 1;
        if (SaveFor16Bit && lib.FixMerge(target.c_str(), flag, SaveFor16Bit, LanguageDLL.c_str()) != 0) {
            if (OnFixFailed) OnFixFailed(*this);
            CopyFile(newConfig, fallback);
            registered_ = fallback;
        } else if (newConfig != target) {
            base::Fs().Unlink(newConfig.c_str());
        }
    }
    Register();
    lib.IncrementIDAPIUseCount();
    // a run that fails after this does not leave the engine counted for an installation that is not there
    if (TCustomInstall* root = Root()) root->NoteUndo([] { ReleaseEngineUses(1); });
}

namespace {

void DropKeyWhenEmpty(const std::string& key) {
    if (RegKeyExists(HKEY_LOCAL_MACHINE, key) && RegValueNames(HKEY_LOCAL_MACHINE, key).empty() &&
        RegSubKeys(HKEY_LOCAL_MACHINE, key).empty())
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, key);
}

} // namespace

void ReleaseEngineUses(long long uses) {
    if (uses <= 0 || !RegValueExists(HKEY_LOCAL_MACHINE, EngineKey, "UseCount")) return;
    const long long left = ReadRegInteger(HKEY_LOCAL_MACHINE, EngineKey, "UseCount", 0) - uses;
    if (left > 0) {
        WriteRegInteger(HKEY_LOCAL_MACHINE, EngineKey, "UseCount", left);
        return;
    }
    DeleteRegValue(HKEY_LOCAL_MACHINE, EngineKey, "UseCount");
    if (!RegValueExists(HKEY_LOCAL_MACHINE, EngineKey, "CONFIGFILE01"))
        DeleteRegValue(HKEY_LOCAL_MACHINE, EngineKey, "SAVECONFIG");
    DropKeyWhenEmpty(EngineKey);
    DropKeyWhenEmpty(Blw32Key);
    DropKeyWhenEmpty("\\Software\\Borland");
}

void TInstallBDE::Register() {
    WriteRegString(HKEY_LOCAL_MACHINE, EngineKey, "CONFIGFILE01", registered_);
    WriteRegString(HKEY_LOCAL_MACHINE, EngineKey, "SAVECONFIG", SaveFor16Bit ? "WIN31" : "WIN32");
    std::string driver, section;
    for (const std::string& line : SQLLinkEntries) {
        for (const char* marker : {"[DB OPEN-", "[INIT-"}) {
            const std::size_t at = line.find(marker);
            if (at == std::string::npos) continue;
            driver = line.substr(at + std::string(marker).size());
            if (const std::size_t close = driver.find(']'); close != std::string::npos) driver.resize(close);
            section = std::string(marker) == "[INIT-" ? "INIT" : "DB OPEN";
        }
        const std::size_t eq = line.find('=');
        if (section.empty() || eq == std::string::npos || line.find('[') != std::string::npos) continue;
        WriteRegString(HKEY_LOCAL_MACHINE, std::string(DriversKey) + "\\" + driver + "\\" + section,
                       line.substr(0, eq), line.substr(eq + 1));
    }
}

void TInstallBDE::WriteUninstallData(const std::string& key) {
    const std::string bde = key + "\\BDE";
    const long long entries = std::atoll(ReadRegString(HKEY_LOCAL_MACHINE, bde, "Entries", "0").c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, bde, "Entries", std::to_string(entries + 1));
    // A run that fails afterwards does not count this installation's use of the engine twice.
    if (TCustomInstall* root = Root())
        root->NoteUndo([key, bde, entries] {
            if (!RegKeyExists(HKEY_LOCAL_MACHINE, key)) return;
            if (entries > 0)
                WriteRegString(HKEY_LOCAL_MACHINE, bde, "Entries", std::to_string(entries));
            else
                DeleteRegKeyTree(HKEY_LOCAL_MACHINE, bde);
        });
    // The configuration the engine now reads is this installation's when it made it (there was none, or
    // the one there came with an earlier installation of it): listed under the name it has, so the
    // uninstaller takes it away. One that belongs to another program stays out of the list.
    const std::string shipped = ConfigFile().TargetPath();
    if (registered_.empty() || registered_ == shipped) return;
    if (existing_ != "***" && !UninstallRecordHolds(key, registered_)) return;
    if (::access(shipped.c_str(), F_OK) != 0)
        RenameUninstallRecord(key, shipped, registered_);
    else
        RecordUninstallFile(key, registered_);
}

} // namespace setup
