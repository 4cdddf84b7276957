#include "engine/FileLock.h"

#include "engine/Errors.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace engine {

LockFile::LockFile(const fs::path& db) {
    fd_ = base::FileHandle::Open(db, O_RDWR);
    if (!fd_ && (errno == EACCES || errno == EROFS)) {
        fd_ = base::FileHandle::Open(db, O_RDONLY);
        writable_ = false;
    }
    if (!fd_) {
        if (errno == ENOENT) ThrowMissing(db.filename().string());
        ThrowIo(db.filename().string(), errno);
    }
}

LockFile::~LockFile() = default;

bool LockFile::TryLock(std::int64_t start, std::int64_t len, LockKind kind) {
    struct flock fl {};
    // A read-only open can only take shared locks; its exclusive requests are refused.
    if (kind == LockKind::Exclusive && !writable_) return false;
    fl.l_type = kind == LockKind::Shared ? F_RDLCK : F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = len;
    while (::fcntl(fd_.Get(), F_OFD_SETLK, &fl) != 0) {
        if (errno == EINTR) continue;
        return false;
    }
    return true;
}

bool LockFile::LockWithin(std::int64_t start, std::int64_t len, LockKind kind, int millis) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
    int pause = 50;
    while (!TryLock(start, len, kind)) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(pause));
        pause = std::min(pause * 2, 5000);
    }
    return true;
}

bool LockFile::OthersQueued() const {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = lockspace::Queue;
    fl.l_len = 1;
    while (::fcntl(fd_.Get(), F_OFD_GETLK, &fl) != 0)
        if (errno != EINTR) return false;
    return fl.l_type != F_UNLCK;
}

std::int64_t LockFile::FileStamp() const {
    struct stat st {};
    if (::fstat(fd_.Get(), &st) != 0) return 0;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec + st.st_size;
}

bool LockFile::LockInTurn(std::int64_t start, std::int64_t len, int stuckMillis,
                          const std::function<std::uint64_t()>& changes) {
    if (!writable_) return false;
    using Clock = std::chrono::steady_clock;
    // A writer keeps its turn this long for a run of writes: each change of hands costs the next writer a
    // read of the table. Then the waiter queues and the holder gives way at its next write.
    constexpr auto QueueAfter = std::chrono::milliseconds(200);
    const auto stuck = std::chrono::milliseconds(stuckMillis);
    const auto began = Clock::now();
    auto lastChange = began;
    auto stamp = [&] { return changes() * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(FileStamp()); };
    std::uint64_t seen = stamp();
    auto moving = [&] {
        const auto now = Clock::now();
        if (const std::uint64_t s = stamp(); s != seen) {
            seen = s;
            lastChange = now;
        }
        return now - lastChange < stuck;
    };
    // The holder is in a run of writes while it finished one lately (its pauses between them can be long on
    // a busy machine).
    constexpr auto RunPause = std::chrono::milliseconds(20);
    int pause = 20;
    auto rest = [&] {
        std::this_thread::sleep_for(std::chrono::microseconds(pause));
        pause = std::min(pause * 2, 500);
    };
    while (OthersQueued() && moving())
        rest();
    bool queued = false;
    pause = 20;
    for (bool first = true;; first = false) {
        // A holder in the middle of a run is not interrupted between two of its writes.
        if ((first || queued || Clock::now() - lastChange >= RunPause) &&
            TryLock(start, len, LockKind::Exclusive))
            break;
        if (!moving()) {
            if (queued) Unlock(lockspace::Queue, 1);
            return false;
        }
        if (!queued && Clock::now() - began >= QueueAfter)
            queued = TryLock(lockspace::Queue, 1, LockKind::Shared);
        rest();
    }
    if (queued) Unlock(lockspace::Queue, 1);
    return true;
}

void LockFile::Unlock(std::int64_t start, std::int64_t len) {
    struct flock fl {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = len;
    while (::fcntl(fd_.Get(), F_OFD_SETLK, &fl) != 0 && errno == EINTR) {
    }
}

} // namespace engine
