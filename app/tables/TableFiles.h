#pragma once
// The files of a table in its folder: the .DB, the memo file .MB, the primary index .PX, the secondary index
// files .Xnn/.Ynn (.XGn/.YGn) and a validity file .VAL. Names are matched case-insensitively.

#include <cstdint>
#include <filesystem>
#include <string>

namespace app {

// The file name up to its first ".", at most 30 characters.
std::string TableBaseName(const std::string& fileName);

// A plain file name of the folder: no path separator, no wildcard, not "." or "..". Only such names are used
// to delete files.
bool IsPlainTableName(const std::string& name);

// Deletes <base>.PX, <base>.VAL and the secondary index files <base>.X?? and <base>.Y??. Other files that
// merely start with the same letters (a spreadsheet "ROBA.XLSX") are left alone. Returns the files deleted.
int DeleteIndexFiles(const std::filesystem::path& folder, const std::string& baseName);
// A check that rebuilds a table's index files first sets the old ones aside under this prefix (renamed, the
// folder synced): a check that gives up puts them back, so the folder holds what it held, and one that
// succeeds lets them go. Set-aside files a check cut short left behind are put back by the next check.
inline constexpr const char* AsidePrefix = "_ASIDE_";
// Returns the files set aside. Raises when a rename fails (the files set aside so far stay aside).
int SetIndexFilesAside(const std::filesystem::path& folder, const std::string& baseName);
// Deletes the index files the table has now and gives the set-aside ones their names back; nothing when
// none are aside. Raises when a rename fails.
void PutIndexFilesBack(const std::filesystem::path& folder, const std::string& baseName);
void DropIndexFilesAside(const std::filesystem::path& folder, const std::string& baseName);
// DeleteIndexFiles, then <base>.DB; the memo file stays.
int DeleteTableFiles(const std::filesystem::path& folder, const std::string& baseName);
// Deletes every file of the folder that matches the mask ("*" and "?", case-insensitive).
int DeleteFilesByMask(const std::filesystem::path& folder, const std::string& mask);

// Gives every file <base>.* of the folder the date of <folder>/<file name> when that file exists.
void StampTableFiles(const std::string& folder, const std::string& fileName);

// The index files found beside a table.
struct IndexFileScan {
    bool Reindex = false;       // thorough only: an index file does not carry the .DB file's date
    int Found = 0;              // files counted: .PX, .X?? and .Y??
    std::int64_t TableTime = 0; // the .DB file's modification time
};
IndexFileScan ScanIndexFiles(const std::filesystem::path& folder, const std::string& fileName, bool thorough);

} // namespace app
