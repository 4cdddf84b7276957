#pragma once
// Cross-process locks: open-file-description locks on bytes far past the end of the .DB file. They conflict
// between separate opens even inside one process and vanish with the process.

#include "base/FileIo.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace engine {

namespace fs = std::filesystem;

namespace lockspace {
inline constexpr std::int64_t Table = std::int64_t{1} << 40; // shared: an open; exclusive: an exclusive open
inline constexpr std::int64_t Write = Table + 1;             // held by LockTable and around each write
inline constexpr std::int64_t Apply = Table + 2;             // writers exclusive, readers of the files shared
inline constexpr std::int64_t Turn = Table + 3;              // the next turn to write, held by the open next
inline constexpr std::int64_t Records = Table + 0x1000;      // one byte per record (by a hash of its key)
inline constexpr std::int64_t RecordSpan = std::int64_t{1} << 31;
} // namespace lockspace

enum class LockKind { Shared, Exclusive };

// One open description of the .DB file that holds locks.
class LockFile {
public:
    explicit LockFile(const fs::path& db);
    ~LockFile();
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    bool TryLock(std::int64_t start, std::int64_t len, LockKind kind);
    // Waits while another process holds a conflicting lock, at most about `millis` milliseconds.
    bool LockWithin(std::int64_t start, std::int64_t len, LockKind kind, int millis);
    // An exclusive lock taken in turn with the other writers: a waiter first takes the next turn (the Turn
    // byte), so the holder, coming back for its next write, waits behind it instead of taking the lock again
    // at once. Two writers so take alternate turns; more share them. Gives up only when the lock stayed held
    // for `stuckMillis` with no change at all (`changes`, a count that every finished write raises, and the
    // .DB file stood still: its holder is stuck, or keeps the table locked).
    bool LockInTurn(std::int64_t start, std::int64_t len, int stuckMillis,
                    const std::function<std::uint64_t()>& changes);
    // A lock that writers hold while they write, waited for at most about `millis` milliseconds. While it
    // waits it holds the next turn, so a writer that has just finished cannot start the next write before
    // it; it still takes the lock whenever it is free (a writer waiting for the next turn does not hold it).
    bool LockBetweenWrites(std::int64_t start, std::int64_t len, LockKind kind, int millis);
    void Unlock(std::int64_t start, std::int64_t len);
    bool CanWrite() const { return writable_; }

private:
    // Changes whenever a writer changes the .DB file.
    std::int64_t FileStamp() const;

    base::FileHandle fd_;
    bool writable_ = true;
};

// Keeps other stations from starting a write for a while, so that a read their writes keep spoiling can be
// done again on a fresh look at the table: holds the next turn on a lock description of its own (the open's
// own locks stay as they are), waited for at most `millis` milliseconds; without it the read is simply
// tried again. This process's own writes meanwhile go straight for the write lock.
class WritersHeldOff {
public:
    WritersHeldOff(const fs::path& db, int millis);
    ~WritersHeldOff();
    WritersHeldOff(const WritersHeldOff&) = delete;
    WritersHeldOff& operator=(const WritersHeldOff&) = delete;

private:
    std::optional<LockFile> lock_;
    bool held_ = false;
};

} // namespace engine
