#pragma once
// The archive command: the program's settings, tables and index files packed into a zip file in the
// program folder, named after the program file, and a copy of it with the date in its name in a folder the
// user picks. The archive form calls these; what it shows goes through ArchiveHooks.

#include "app/archive/ZipMaster.h"
#include "base/CroatianFormat.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace app {

struct ArchiveHooks {
    std::function<void(const std::string&)> ShowInfo;   // the program's message box
    std::function<void(const std::string&)> ShowStatus; // the status panel pCopy, repainted at once
    std::function<void(bool running)> Animate;          // the busy indication
    std::function<void()> FlushAllTables;               // every open table's changes written to its files
};

struct ArchiveJob {
    std::filesystem::path ProgramFolder;
    std::string ArchiveName;           // the zip is ProgramFolder / ArchiveName + ".zip"
    std::filesystem::path Destination; // where the dated copy goes
    base::Date Today;
    std::string GlobalFolder; // the database folders; an empty one is left out
    std::string LokalFolder;
    std::string LinkFolder;
};

// The program file's name without its extension: "plom" for ".../plom".
std::string ArchiveNameOf(const std::filesystem::path& programFile);
// The folder as the folder list shows it: without a trailing "/" unless it is "/".
std::string ArchiveFolderText(const std::filesystem::path& folder);
// Updating once the zip exists, creating it otherwise.
AddOpts ArchiveAddOptions(const std::filesystem::path& programFolder, const std::string& archiveName);
// In this order: the program folder's "*.ini", "*.db", "*.px", "*.val", "*.xg?", "*.yg?", then "*.db",
// "*.mb", "*.dbf" of each non-empty database folder.
std::vector<std::string> ArchiveFileSpecs(const ArchiveJob& job);
// "plom" and 8.3.2026 give "plom20260308.zip".
std::string DatedCopyName(const std::string& archiveName, const base::Date& day);
// A job for the running program: its folder and name, today's date and the database folders in use.
ArchiveJob CurrentArchiveJob(const std::filesystem::path& destination);

// Runs the archive command. Answers true, after showing "Arhivirano datoteka: " + N + ", + Prijenos!!!",
// only when the zip was written and its dated copy made, both read back and found whole. A failed zip run
// copies nothing; any failure shows "Greška kod arhiviranja!!!" and leaves its reason in the status panel.
bool RunArchive(TZipMaster& zip, const ArchiveJob& job, const ArchiveHooks& hooks);

} // namespace app
