#include "setup/uninstall/Uninstaller.h"

#include "setup/install/InstallTree.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/Registry.h"
#include "setup/kit/StaleTemporaries.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace setup {

std::string UninstallKeyOf(const std::string& product) {
    const std::string key = UninstallKeyBase + product;
    return !product.empty() && RegKeyExists(HKEY_LOCAL_MACHINE, key) ? key : std::string();
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

std::string StampOf(const struct stat& st) {
    return std::to_string(st.st_size) + ";" +
           std::to_string(static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec);
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

} // namespace

UninstallReport UninstallProduct(const std::string& product) {
    UninstallReport report;
    const std::string key = UninstallKeyOf(product);
    if (key.empty()) return report;
    std::set<std::string> folders;
    for (const Recorded& r : RecordedFiles(key)) {
        struct stat st {};
        if (r.path.empty() || r.path.front() != '/' || ::lstat(r.path.c_str(), &st) != 0) continue;
        folders.insert(FolderPart(r.path));
        const bool plain = S_ISREG(st.st_mode) || S_ISLNK(st.st_mode);
        const bool changed = S_ISREG(st.st_mode) && !r.stamp.empty() && r.stamp != StampOf(st);
        if (!plain || changed || StillShared(r.path)) {
            report.Kept.push_back(r.path);
            continue;
        }
        if (::unlink(r.path.c_str()) == 0)
            report.Removed.push_back(r.path);
        else
            report.Kept.push_back(r.path);
    }
    std::vector<std::string> ordered(folders.begin(), folders.end());
    std::sort(ordered.begin(), ordered.end(),
              [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    for (const std::string& folder : ordered) {
        if (folder.empty() || folder == "/") continue;
        RemoveStaleTemporaries(folder, true);
        if (::rmdir(folder.c_str()) == 0) report.FoldersRemoved.push_back(folder);
    }
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, key);
    return report;
}

} // namespace setup
