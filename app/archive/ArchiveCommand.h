#pragma once
// The archive command: the program's settings, tables and index files packed into a zip file in the
// program folder, named after the program file, and a copy of it with the date in its name in a folder the
// user picks. The archive form calls these; what it shows goes through ArchiveHooks.

#include "app/archive/ZipMaster.h"
#include "base/CroatianFormat.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace app {

struct ArchiveHooks {
    std::function<void(const std::string&)> ShowInfo;   // the program's message box
    std::function<void(const std::string&)> ShowStatus; // the status panel pCopy, repainted at once
    std::function<void(bool running)> Animate;          // the busy indication
    std::function<void()> FlushAllTables;               // every open table's changes written to its files
    // Runs a call on the GUI thread, in order, once control is back in its event loop (background runs).
    std::function<void(std::function<void()>)> Post;
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

// Removes what runs that were killed left behind: the zip library's unfinished "<name>.zip.XXXXXX" beside the
// zip in the program folder, and our own unfinished dated copies in `destination` (when given). Nothing is
// removed while another process of the folder is archiving.
void RemoveStaleArchiveFiles(const std::filesystem::path& programFolder, const std::string& archiveName,
                             const std::filesystem::path& destination = {});

// Runs the archive command. Answers true, after showing "Arhivirano datoteka: " + N + ", + Prijenos!!!",
// only when the zip was written and its dated copy made, both read back and found whole. A failed zip run
// copies nothing; any failure shows "Greška kod arhiviranja!!!" and leaves its reason in the status panel.
bool RunArchive(TZipMaster& zip, const ArchiveJob& job, const ArchiveHooks& hooks);

// The archive command with the packing and copying on a worker thread, so that the window stays alive (the
// busy indication moves, a second command is answered "Proces arhiviranja je u tijeku...."). Everything the
// run shows reaches the GUI thread through hooks.Post, which must be set. One run at a time.
class ArchiveRunner {
public:
    ArchiveRunner() = default;
    ~ArchiveRunner();
    ArchiveRunner(const ArchiveRunner&) = delete;
    ArchiveRunner& operator=(const ArchiveRunner&) = delete;

    // Starts a run; false when none was started (a run is under way, or the list could not be made: the
    // message is shown). `done` gets the outcome on the GUI thread, as RunArchive answers it.
    bool Start(TZipMaster& zip, const ArchiveJob& job, const ArchiveHooks& hooks,
               std::function<void(bool succeeded)> done);
    bool Running() const { return running_; }
    // Stops a run at its next step and waits for its thread: the zip and any earlier copy stay as they
    // were, nothing more is shown and `done` is not called.
    void Cancel();

private:
    struct Outcome;
    void Finish(const Outcome& outcome);

    std::thread worker_;
    bool running_ = false;
    std::shared_ptr<std::atomic<bool>> stop_;
    TZipMaster* zip_ = nullptr;
    ArchiveHooks hooks_;
    std::function<void(bool)> done_;
};

} // namespace app
