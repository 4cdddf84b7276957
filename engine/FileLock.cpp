#include "engine/FileLock.h"

#include "engine/Errors.h"

#include <atomic>
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

std::int64_t LockFile::FileStamp() const {
    struct stat st {};
    if (::fstat(fd_.Get(), &st) != 0) return 0;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec + st.st_size;
}

namespace {

using Clock = std::chrono::steady_clock;

// How many WritersHeldOff of this process hold the next turn now.
std::atomic<int> turnsHeldHere{0};

// Short pauses between two tries: a turn handed over is taken within a fraction of a write.
class Pause {
public:
    void operator()() {
        std::this_thread::sleep_for(std::chrono::microseconds(micros_));
        micros_ = std::min(micros_ * 2, 200);
    }

private:
    int micros_ = 10;
};

// Whether the holder of the lock we wait for still gets on: true while the writes' count or the file changed
// within the last `stuck`.
class Progress {
public:
    Progress(std::chrono::milliseconds stuck, std::function<std::uint64_t()> stamp)
        : stuck_(stuck), stamp_(std::move(stamp)), seen_(stamp_()), lastChange_(Clock::now()) {}
    bool Moving() {
        const auto now = Clock::now();
        if (const std::uint64_t s = stamp_(); s != seen_) {
            seen_ = s;
            lastChange_ = now;
        }
        return now - lastChange_ < stuck_;
    }

private:
    std::chrono::milliseconds stuck_;
    std::function<std::uint64_t()> stamp_;
    std::uint64_t seen_;
    Clock::time_point lastChange_;
};

} // namespace

bool LockFile::LockInTurn(std::int64_t start, std::int64_t len, int stuckMillis,
                          const std::function<std::uint64_t()>& changes) {
    if (!writable_) return false;
    Progress progress(std::chrono::milliseconds(stuckMillis), [&] {
        return changes() * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(FileStamp());
    });
    // First the next turn: only one open waits with it, and the holder's next write waits behind that one.
    // (This process holds it already while it holds the other stations off.)
    const bool turnHere = turnsHeldHere > 0;
    Pause pause;
    while (!turnHere && !TryLock(lockspace::Turn, 1, LockKind::Exclusive)) {
        if (!progress.Moving()) return false;
        pause();
    }
    pause = Pause();
    while (!TryLock(start, len, LockKind::Exclusive)) {
        if (!progress.Moving()) {
            if (!turnHere) Unlock(lockspace::Turn, 1);
            return false;
        }
        pause();
    }
    if (!turnHere) Unlock(lockspace::Turn, 1);
    return true;
}

bool LockFile::LockBetweenWrites(std::int64_t start, std::int64_t len, LockKind kind, int millis) {
    if (TryLock(start, len, kind)) return true;
    const auto until = Clock::now() + std::chrono::milliseconds(millis);
    bool turn = false;
    Pause pause;
    for (;;) {
        // The turn only keeps writers from starting again; the lock is taken whenever it is free, as a
        // writer that waits with the turn may be waiting for a table lock this open holds.
        if (!turn) turn = TryLock(lockspace::Turn, 1, LockKind::Exclusive);
        if (TryLock(start, len, kind)) break;
        if (Clock::now() >= until) {
            if (turn) Unlock(lockspace::Turn, 1);
            return false;
        }
        pause();
    }
    if (turn) Unlock(lockspace::Turn, 1);
    return true;
}

WritersHeldOff::WritersHeldOff(const fs::path& db, int millis) {
    try {
        lock_.emplace(db);
    } catch (const std::exception&) {
        return; // the read, tried again, tells what is wrong
    }
    // A read-only open cannot take the turn: its read is only tried again.
    if (!lock_->CanWrite()) return;
    const auto until = Clock::now() + std::chrono::milliseconds(millis);
    Pause pause;
    while (!(held_ = lock_->TryLock(lockspace::Turn, 1, LockKind::Exclusive)) && Clock::now() < until)
        pause();
    if (held_) ++turnsHeldHere;
}

WritersHeldOff::~WritersHeldOff() {
    if (held_) --turnsHeldHere;
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
