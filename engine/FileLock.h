#pragma once
// Cross-process locks: open-file-description locks on bytes far past the end of the .DB file. They conflict
// between separate opens even inside one process and vanish with the process.

#include "base/FileIo.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace engine {

namespace fs = std::filesystem;

namespace lockspace {
inline constexpr std::int64_t Table = std::int64_t{1} << 40; // shared: an open; exclusive: an exclusive open
inline constexpr std::int64_t Write = Table + 1;             // held by LockTable and around each write
inline constexpr std::int64_t Apply = Table + 2;             // writers exclusive, readers of the files shared
inline constexpr std::int64_t Queue = Table + 3;             // shared while an open waits its turn to write
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
    // An exclusive lock taken in turn with the other writers. While the holder goes on writing (`changes`,
    // a count that every finished write raises, keeps moving) a waiter leaves it its run of writes; after a
    // while it queues, and whoever finds others queued lets them go first. Gives up only when the lock stayed
    // held for `stuckMillis` with no change at all (its holder is stuck, or keeps the table locked).
    bool LockInTurn(std::int64_t start, std::int64_t len, int stuckMillis,
                    const std::function<std::uint64_t()>& changes);
    void Unlock(std::int64_t start, std::int64_t len);
    bool CanWrite() const { return writable_; }

private:
    bool OthersQueued() const;
    // Changes whenever a writer changes the .DB file.
    std::int64_t FileStamp() const;

    base::FileHandle fd_;
    bool writable_ = true;
};

} // namespace engine
