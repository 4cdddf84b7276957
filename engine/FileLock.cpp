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
    fd_ = ::open(db.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0 && (errno == EACCES || errno == EROFS)) {
        fd_ = ::open(db.c_str(), O_RDONLY | O_CLOEXEC);
        writable_ = false;
    }
    if (fd_ < 0) {
        if (errno == ENOENT) ThrowMissing(db.filename().string());
        ThrowIo(db.filename().string(), errno);
    }
}

LockFile::~LockFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool LockFile::TryLock(std::int64_t start, std::int64_t len, LockKind kind) {
    struct flock fl {};
    // A read-only open can only take shared locks; its exclusive requests are refused.
    if (kind == LockKind::Exclusive && !writable_) return false;
    fl.l_type = kind == LockKind::Shared ? F_RDLCK : F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = len;
    while (::fcntl(fd_, F_OFD_SETLK, &fl) != 0) {
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
    while (::fcntl(fd_, F_OFD_GETLK, &fl) != 0)
        if (errno != EINTR) return false;
    return fl.l_type != F_UNLCK;
}

std::int64_t LockFile::FileStamp() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return 0;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec + st.st_size;
}

bool LockFile::LockInTurn(std::int64_t start, std::int64_t len, int stuckMillis) {
    if (!writable_) return false;
    using Clock = std::chrono::steady_clock;
    // A writer that has waited this long queues, and the others give way to it. Until then a writer keeps
    // its turn for a run of writes: each change of hands costs the next writer a read of the table.
    constexpr auto QueueAfter = std::chrono::milliseconds(100);
    const auto stuck = std::chrono::milliseconds(stuckMillis);
    const auto began = Clock::now();
    auto lastChange = began;
    std::int64_t stamp = FileStamp();
    auto moving = [&] {
        const auto now = Clock::now();
        if (const std::int64_t s = FileStamp(); s != stamp) {
            stamp = s;
            lastChange = now;
        }
        return now - lastChange < stuck;
    };
    int pause = 20;
    auto rest = [&] {
        std::this_thread::sleep_for(std::chrono::microseconds(pause));
        pause = std::min(pause * 2, 500);
    };
    while (OthersQueued() && moving())
        rest();
    bool queued = false;
    pause = 20;
    while (!TryLock(start, len, LockKind::Exclusive)) {
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
    while (::fcntl(fd_, F_OFD_SETLK, &fl) != 0 && errno == EINTR) {
    }
}

} // namespace engine
