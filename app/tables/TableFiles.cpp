#include "app/tables/TableFiles.h"

#include "base/Exceptions.h"
#include "base/FileIo.h"
#include "base/Files.h"
#include "base/FileSystem.h"
#include "base/Text.h"

#include <cerrno>
#include <system_error>
#include <vector>

namespace app {

namespace fs = std::filesystem;

namespace {

enum class FileKind { Other, Primary, Validity, Secondary };

// The kind of a table's file by its extension (without the dot).
FileKind KindOf(const std::string& extension) {
    const std::string e = base::UpperCase(extension);
    if (e == "PX") return FileKind::Primary;
    if (e == "VAL") return FileKind::Validity;
    if (e.size() == 3 && (e[0] == 'X' || e[0] == 'Y')) return FileKind::Secondary;
    return FileKind::Other;
}

// The extension of a file named <base>.<extension>, or none when the name has another base.
bool ExtensionOf(const fs::path& file, const std::string& baseName, std::string& extension) {
    const std::string name = file.filename().string();
    if (name.size() <= baseName.size() || name[baseName.size()] != '.') return false;
    if (!base::SameText(name.substr(0, baseName.size()), baseName)) return false;
    extension = name.substr(baseName.size() + 1);
    return true;
}

void RequirePlain(const std::string& name) {
    if (!IsPlainTableName(name)) throw base::Exception("Neispravno ime tablice: \"" + name + "\"");
}

bool Remove(const fs::path& file) {
    return base::Fs().Unlink(file.c_str()) == 0;
}

// The index files of <base>, found under <prefix><base>.
std::vector<fs::path> IndexFiles(const fs::path& folder, const std::string& prefix,
                                 const std::string& baseName) {
    std::vector<fs::path> files;
    for (const auto& file : base::FilesMatching(folder, prefix + baseName + ".*")) {
        std::string extension;
        if (ExtensionOf(file.filename().string().substr(prefix.size()), baseName, extension) &&
            KindOf(extension) != FileKind::Other)
            files.push_back(file);
    }
    return files;
}

void Rename(const fs::path& from, const fs::path& to) {
    if (base::Fs().Rename(from.c_str(), to.c_str()) != 0) base::ThrowWriteError(from, errno);
}

// A folder that does not sync is reported under the name of a file whose rename or removal it holds.
void SyncFolderOf(const fs::path& folder, const fs::path& file) {
    if (const int error = base::SyncFolder(folder)) base::ThrowWriteError(file, error);
}

} // namespace

std::string TableBaseName(const std::string& fileName) {
    return base::CutChars(fileName.substr(0, fileName.find('.')), 30);
}

bool IsPlainTableName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\*?") == std::string::npos &&
           name.find("..") == std::string::npos;
}

int DeleteIndexFiles(const fs::path& folder, const std::string& baseName) {
    RequirePlain(baseName);
    int deleted = 0;
    for (const auto& file : IndexFiles(folder, "", baseName))
        deleted += Remove(file) ? 1 : 0;
    return deleted;
}

int SetIndexFilesAside(const fs::path& folder, const std::string& baseName) {
    RequirePlain(baseName);
    const std::vector<fs::path> files = IndexFiles(folder, "", baseName);
    for (const auto& file : files)
        Rename(file, folder / (AsidePrefix + file.filename().string()));
    if (!files.empty()) SyncFolderOf(folder, files.front());
    return static_cast<int>(files.size());
}

void PutIndexFilesBack(const fs::path& folder, const std::string& baseName) {
    RequirePlain(baseName);
    const std::vector<fs::path> aside = IndexFiles(folder, AsidePrefix, baseName);
    if (aside.empty()) return;
    DeleteIndexFiles(folder, baseName);
    const std::size_t prefix = std::string(AsidePrefix).size();
    for (const auto& file : aside)
        Rename(file, folder / file.filename().string().substr(prefix));
    SyncFolderOf(folder, aside.front());
}

void DropIndexFilesAside(const fs::path& folder, const std::string& baseName) {
    RequirePlain(baseName);
    const std::vector<fs::path> aside = IndexFiles(folder, AsidePrefix, baseName);
    for (const auto& file : aside)
        Remove(file);
    if (!aside.empty()) SyncFolderOf(folder, aside.front());
}

int DeleteTableFiles(const fs::path& folder, const std::string& baseName) {
    int deleted = DeleteIndexFiles(folder, baseName);
    if (const auto table = base::FindFile(folder, baseName + ".DB")) deleted += Remove(*table) ? 1 : 0;
    return deleted;
}

int DeleteFilesByMask(const fs::path& folder, const std::string& mask) {
    if (mask.find('/') != std::string::npos || mask.find("..") != std::string::npos)
        throw base::Exception("Neispravno ime datoteke: \"" + mask + "\"");
    int deleted = 0;
    for (const auto& file : base::FilesMatching(folder, mask))
        deleted += Remove(file) ? 1 : 0;
    return deleted;
}

IndexFileScan ScanIndexFiles(const fs::path& folder, const std::string& fileName, bool thorough) {
    IndexFileScan scan;
    const std::string baseName = TableBaseName(fileName);
    RequirePlain(baseName);
    scan.TableTime = base::FileTime(base::ResolveFile(folder, fileName));
    for (const auto& file : base::FilesMatching(folder, baseName + ".*")) {
        std::string extension;
        if (!ExtensionOf(file, baseName, extension)) continue;
        const FileKind kind = KindOf(extension);
        if (kind == FileKind::Other) continue;
        if (thorough && base::FileTime(file) != scan.TableTime) {
            scan.Reindex = true;
            return scan;
        }
        if (kind != FileKind::Validity) ++scan.Found;
    }
    return scan;
}

void StampTableFiles(const std::string& folder, const std::string& fileName) {
    if (!IsPlainTableName(fileName)) throw base::Exception("Neispravno ime tablice: \"" + fileName + "\"");
    const auto table = base::FindFile(folder, fileName);
    if (!table) return;
    const std::int64_t time = base::FileTime(*table);
    for (const auto& file : base::FilesMatching(folder, TableBaseName(fileName) + ".*"))
        if (base::FileTime(file) != time) base::SetFileTime(file, time);
}

} // namespace app
