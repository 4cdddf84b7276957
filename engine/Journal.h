#pragma once
// Redo journal beside the table ("<base>.JNL", a name no table mask matches). A write first puts the new
// bytes of every touched range of the .DB, .PX and .MB into the journal in one write with a checksum, then
// applies them to the files and marks the journal done. The journal is on disk before a file changes and the
// files are before the journal is marked done, so a power cut, not only a killed process, leaves the table
// whole. The files are written and synced one after the other, each before the files that point into it
// (.MB, then .DB, then .PX). A kill before the journal is complete leaves the files as they were; a kill
// after it is replayed by the next writer or opener. The journal also carries the table's change
// generation, which tells other processes that the table changed.

#include "base/FileIo.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace engine {

namespace fs = std::filesystem;

enum class TableFile : std::uint8_t { Db = 0, Px = 1, Mb = 2 };

// The three data files of a table, opened on demand.
class TableFiles {
public:
    TableFiles(fs::path db, fs::path px, fs::path mb, std::string displayName);
    ~TableFiles();
    TableFiles(const TableFiles&) = delete;
    TableFiles& operator=(const TableFiles&) = delete;

    // The descriptor of a file; create = make it when missing (for writing). -1 when missing and not created.
    int Fd(TableFile f, bool create);
    const fs::path& Path(TableFile f) const { return paths_[static_cast<int>(f)]; }
    const std::string& DisplayName() const { return name_; }
    bool ReadOnly() const { return readOnly_; }
    void Close(TableFile f);
    void CloseAll();
    // Syncs the folder when a file was made since it was last synced (its name must survive a power cut).
    void SyncNewNames();

private:
    std::array<fs::path, 3> paths_;
    std::array<base::FileHandle, 3> fds_;
    std::string name_;
    bool readOnly_ = false;
    bool created_ = false;
};

struct JournalWrite {
    TableFile File = TableFile::Db;
    std::uint64_t Offset = 0;
    std::string Data;
};

struct Transaction {
    std::vector<JournalWrite> Writes;
    std::array<std::int64_t, 3> NewSize{-1, -1, -1}; // -1 = unchanged
    // What the write changed, in the table's own terms, for other processes that catch up (kept for the
    // last few generations).
    std::string Note;
    // For each write, a checksum of each of its sectors as the file held it before (read back from a
    // journal: empty when it carries none).
    std::vector<std::uint64_t> Before;
    bool Empty() const { return Writes.empty() && NewSize[0] < 0 && NewSize[1] < 0 && NewSize[2] < 0; }
};

class Journal {
public:
    Journal(fs::path path, std::string tableName);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // The change generation (0 when there is no journal).
    std::uint64_t Generation();
    // Replays a complete pending transaction; returns true when it did. Caller holds the write lock.
    bool Recover(TableFiles& files);
    // What other processes changed after generation `from`, up to the journal's finished generation `to`:
    // the notes of every write in between, oldest first, and the last write itself. False when the journal
    // no longer tells (too many writes since, or a big write that is cut away once done).
    bool ChangesSince(TableFiles& files, std::uint64_t from, std::uint64_t to,
                      std::vector<std::string>& notes, Transaction& last);
    // Journals and applies a transaction; returns the new generation. Caller holds the write lock. A failure
    // before the journal is on disk leaves the files as they were; one after it is mended by applying the
    // journal once more, and only reported when that fails too (the next writer or opener then replays it).
    std::uint64_t Commit(const Transaction& t, TableFiles& files);
    void Close();
    // Deletes the journal file (no write pending; nobody else has the table open).
    void Remove();

private:
    int Fd(bool create);
    // Writes the transaction into the files and syncs every file it touched.
    void Apply(const Transaction& t, TableFiles& files);
    void MarkIdle(int fd);
    bool ReadTransaction(TableFiles& files, std::uint32_t& status, std::uint64_t& generation, Transaction& t,
                         std::vector<std::pair<std::uint64_t, std::string>>* notes = nullptr);
    // The notes the finished journal on disk carries (none when it carries none, or is not finished).
    std::vector<std::pair<std::uint64_t, std::string>> ReadNotes(int fd);
    static std::uint64_t TableIdentity(TableFiles& files);
    // The checksums of the sectors of every write's range as the files hold them now.
    static std::vector<std::uint64_t> SectorSums(const Transaction& t, TableFiles& files);
    // Whether the files hold, sector by sector, what the transaction wrote or what was there before it.
    static bool HoldsBeforeOrAfter(const Transaction& t, TableFiles& files);

    fs::path path_;
    std::string tableName_;
    base::FileHandle fd_;
};

} // namespace engine
