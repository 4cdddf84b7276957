#include "setup/uninstall/Uninstaller.h"

#include "base/FileSystem.h"
#include "base/Text.h"
#include "engine/codec/IndexDefFile.h"
#include "setup/bde/InstallBde.h"
#include "setup/install/InstallTree.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/Registry.h"
#include "setup/kit/StaleTemporaries.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sys/stat.h>

namespace setup {

namespace fs = std::filesystem;

std::string UninstallKeyOf(const std::string& product) {
    const std::string key = UninstallKeyBase + product;
    return !product.empty() && RegKeyExists(HKEY_LOCAL_MACHINE, key) ? key : std::string();
}

bool IsTableFile(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;
    const std::string ext = base::UpperCase(name.substr(dot));
    return ext == ".DB" || ext == ".MB" || ext == ".PX" || ext == ".VAL" || ext == ".JNL" ||
           engine::codec::IsIndexFileExtension(ext, 'X') || engine::codec::IsIndexFileExtension(ext, 'Y');
}

namespace {

struct Recorded {
    std::string path, stamp;
};

std::vector<Recorded> RecordedFiles(const std::string& key) {
    std::vector<Recorded> files;
    for (int i = 0; i <= MaxNumberedKeys; ++i) {
        const std::string sub = key + "\\Files" + (i == 0 ? std::string() : std::to_string(i));
        const long long entries = std::atoll(ReadRegString(HKEY_LOCAL_MACHINE, sub, "Entries", "0").c_str());
        for (long long n = 1; n <= entries; ++n) {
            const std::string path = ReadRegString(HKEY_LOCAL_MACHINE, sub, "File" + std::to_string(n), "");
            if (!path.empty())
                files.push_back(
                    {path, ReadRegString(HKEY_LOCAL_MACHINE, sub, "Stamp" + std::to_string(n), "")});
        }
    }
    return files;
}

// Lowers the file's shared count; true when another installation still counts it.
bool StillShared(const std::string& path) {
    if (!RegValueExists(HKEY_LOCAL_MACHINE, SharedDllsKey, path)) return false;
    const long long count = ReadRegInteger(HKEY_LOCAL_MACHINE, SharedDllsKey, path, 1) - 1;
    if (count > 0) {
        WriteRegInteger(HKEY_LOCAL_MACHINE, SharedDllsKey, path, count);
        return true;
    }
    DeleteRegValue(HKEY_LOCAL_MACHINE, SharedDllsKey, path);
    return false;
}

int Depth(const std::string& path) {
    return static_cast<int>(std::count(path.begin(), path.end(), '/'));
}

bool Unchanged(const Recorded& r) {
    struct stat st {};
    if (::lstat(r.path.c_str(), &st) != 0) return true; // gone already
    if (S_ISLNK(st.st_mode)) return true;
    if (r.stamp == AnyContentStamp) return S_ISREG(st.st_mode);
    return S_ISREG(st.st_mode) && (r.stamp.empty() || StampStillHolds(r.stamp, r.path));
}

std::string Stem(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string Extension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : base::UpperCase(name.substr(dot));
}

// One table: its files as recorded, and every file of its family in the folder now (the engine adds
// indexes and a journal, and a memo file once a text is stored).
struct Table {
    std::vector<Recorded> recorded;
    std::vector<std::string> present;
};

void Remove(const std::string& path, UninstallReport& report) {
    if (base::Fs().Unlink(path.c_str()) == 0)
        report.Removed.push_back(path);
    else
        report.Kept.push_back(path);
}

// A table goes whole or stays whole: it stays when any of its files holds the workshop's changes (a
// recorded file changed, or a data or memo file the installation did not bring); its indexes and journal
// alone hold none. The .DB goes last, so an interrupted uninstall never leaves a memo without its table.
void RemoveTable(Table& table, UninstallReport& report) {
    std::set<std::string> recordedNames;
    bool changed = false, bookkeeping = false;
    for (const Recorded& r : table.recorded) {
        recordedNames.insert(r.path);
        if (r.stamp == AnyContentStamp) bookkeeping = true;
        if (!Unchanged(r)) changed = true;
    }
    std::string db;
    for (const std::string& p : table.present) {
        const std::string ext = Extension(p);
        if (ext == ".DB") db = p;
        if (!recordedNames.count(p) && (ext == ".DB" || ext == ".MB" || ext == ".VAL")) changed = true;
    }
    // The program's own register holds nothing of the workshop's: its memo and indexes go with it.
    if (bookkeeping) changed = false;
    if (changed) {
        for (const std::string& p : table.present)
            report.Kept.push_back(p);
        if (!db.empty()) report.KeptTables.push_back(db);
        return;
    }
    std::stable_partition(table.present.begin(), table.present.end(),
                          [](const std::string& p) { return Extension(p) != ".DB"; });
    for (const std::string& p : table.present)
        Remove(p, report);
}

// The lock files the program's archive command leaves in its folder (".<name>.zip.lock", empty).
void RemoveArchiveLocks(const std::string& folder, UninstallReport& report) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string name = e.path().filename().string();
        const std::string suffix = ".zip.lock";
        if (name.size() <= suffix.size() + 1 || name.front() != '.' ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        std::error_code ec2;
        if (e.is_regular_file(ec2) && !e.is_symlink(ec2) && e.file_size(ec2) == 0)
            Remove(e.path().string(), report);
    }
}

// The database engine counts the installations using it; the product's uninstall key says how many of
// them were its own ("BDE\\Entries").
void ReleaseEngine(const std::string& uninstallKey) {
    const long long own =
        std::atoll(ReadRegString(HKEY_LOCAL_MACHINE, uninstallKey + "\\BDE", "Entries", "0").c_str());
    if (own > 0) ReleaseEngineUses(own);
}

} // namespace

UninstallReport UninstallProduct(const std::string& product) {
    UninstallReport report;
    const std::string key = UninstallKeyOf(product);
    if (key.empty()) return report;
    std::set<std::string> folders;
    std::map<std::string, Table> tables; // by folder and upper-cased stem
    for (const Recorded& r : RecordedFiles(key)) {
        if (r.path.empty() || r.path.front() != '/') continue;
        if (IsTableFile(NamePart(r.path))) {
            folders.insert(FolderPart(r.path));
            tables[AddBackslash(FolderPart(r.path)) + base::UpperCase(Stem(NamePart(r.path)))]
                .recorded.push_back(r);
            continue;
        }
        struct stat st {};
        if (::lstat(r.path.c_str(), &st) != 0) continue;
        folders.insert(FolderPart(r.path));
        const bool plain = S_ISREG(st.st_mode) || S_ISLNK(st.st_mode);
        if (!plain || !Unchanged(r) || StillShared(r.path)) {
            report.Kept.push_back(r.path);
            continue;
        }
        Remove(r.path, report);
    }
    // Every file of each table's family in its folder now, recorded or not.
    std::set<std::string> tableFolders;
    for (const auto& [id, table] : tables)
        tableFolders.insert(FolderPart(table.recorded.front().path));
    for (const std::string& folder : tableFolders) {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(folder, ec)) {
            const std::string name = e.path().filename().string();
            std::error_code ec2;
            if (!IsTableFile(name) || !e.is_regular_file(ec2)) continue;
            const auto t = tables.find(AddBackslash(folder) + base::UpperCase(Stem(name)));
            if (t != tables.end()) t->second.present.push_back(e.path().string());
        }
    }
    for (auto& [id, table] : tables)
        RemoveTable(table, report);
    for (const std::string& folder : folders)
        RemoveArchiveLocks(folder, report);

    std::vector<std::string> ordered(folders.begin(), folders.end());
    std::sort(ordered.begin(), ordered.end(),
              [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    for (const std::string& folder : ordered) {
        if (folder.empty() || folder == "/") continue;
        RemoveStaleTemporaries(folder, true);
        if (base::Fs().RemoveFolder(folder.c_str()) == 0) report.FoldersRemoved.push_back(folder);
    }
    // The folders the installation made above its files (the menu's folders in a new home, say) go
    // once nothing is left in them.
    std::vector<std::string> made = RegValueNames(HKEY_LOCAL_MACHINE, key + "\\" + MadeFoldersKey);
    std::sort(made.begin(), made.end(),
              [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    for (const std::string& folder : made) {
        if (folder.empty() || folder.front() != '/' || folder == "/") continue;
        if (base::Fs().RemoveFolder(folder.c_str()) == 0) {
            report.FoldersRemoved.push_back(folder);
            folders.insert(folder);
        }
    }
    DropValuesNamingGonePaths(folders, key);
    ReleaseEngine(key);
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, key);
    ForgetUnusedRegistry();
    return report;
}

std::vector<std::string> RunningPrograms(const std::string& product) {
    const std::string key = UninstallKeyOf(product);
    if (key.empty()) return {};
    std::set<std::string> recorded;
    for (const Recorded& r : RecordedFiles(key))
        recorded.insert(r.path);
    std::error_code ec;
    const std::string self = fs::read_symlink("/proc/self/exe", ec).string();
    std::set<std::string> running;
    for (const auto& e : fs::directory_iterator("/proc", ec)) {
        const std::string pid = e.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code ec2;
        const std::string exe = fs::read_symlink(e.path() / "exe", ec2).string();
        if (!ec2 && exe != self && recorded.count(exe)) running.insert(exe);
    }
    return {running.begin(), running.end()};
}

} // namespace setup
