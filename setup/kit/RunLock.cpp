#include "setup/kit/RunLock.h"

#include "base/FileSystem.h"
#include "setup/kit/KitRoutines.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace setup {

namespace fs = std::filesystem;

SetupRunLock::~SetupRunLock() {
    Release();
}

bool SetupRunLock::TryTake() {
    if (Held()) return true;
    const fs::path folder = StateFolder();
    std::error_code ec;
    fs::create_directories(folder, ec);
    file_ = (folder / SetupRunLockName).string();
    for (;;) {
        const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        int locked;
        while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
        }
        if (locked != 0) {
            ::close(fd);
            return false;
        }
        // The file is removed when a run ends: a lock won on a file removed meanwhile is taken again.
        if (StillNamed(fd, file_)) {
            fd_ = fd;
            return true;
        }
        ::close(fd);
    }
}

void SetupRunLock::Release() {
    if (!Held()) return;
    base::Fs().Unlink(file_.c_str());
    ::close(fd_);
    fd_ = -1;
}

} // namespace setup
