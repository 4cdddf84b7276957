#include "engine/FileLock.h"

#include "engine/Errors.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
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
