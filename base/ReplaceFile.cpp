#include "base/ReplaceFile.h"

#include "base/FileIo.h"
#include "base/FileSystem.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace base {

fs::path CreateTemporaryBeside(const fs::path& target, int& fd, mode_t mode, std::string_view tail) {
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    std::mt19937_64 rng((static_cast<std::uint64_t>(seed()) << 32) ^ static_cast<std::uint64_t>(::getpid()) ^
                        counter.fetch_add(1));
    const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix;
        for (int i = 0; i < 8; ++i)
            suffix += digits[rng() % 36];
        const fs::path temp =
            target.parent_path() / ("." + target.filename().string() + "." + suffix + std::string(tail));
        fd = Fs().Open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) return temp;
        if (errno != EEXIST) ThrowWriteError(target, errno);
    }
    ThrowWriteError(target, EEXIST);
}

FileReplacement::FileReplacement(fs::path target, const ReplaceOptions& options)
    : target_(std::move(target)), options_(options) {
    temp_ = CreateTemporaryBeside(target_, fd_, options_.Mode);
}

FileReplacement::~FileReplacement() {
    if (fd_ >= 0) Fs().Close(fd_);
    if (!committed_) Fs().Unlink(temp_.c_str());
}

void FileReplacement::Commit() {
    if (options_.SyncFile)
        if (const int error = SyncFile(fd_)) ThrowWriteError(target_, error);
    const int closed = Fs().Close(fd_);
    fd_ = -1;
    if (closed != 0 && errno != EINTR) ThrowWriteError(target_, errno);
    if (Fs().Rename(temp_.c_str(), target_.c_str()) != 0) ThrowWriteError(target_, errno);
    committed_ = true;
    // The new contents are in place; a folder that cannot be synced is still reported.
    if (options_.SyncFolder)
        if (const int error = SyncFolder(target_.parent_path())) ThrowWriteError(target_, error);
}

void ReplaceFile(const fs::path& target, const std::function<void(int fd)>& write,
                 const ReplaceOptions& options) {
    FileReplacement file(target, options);
    write(file.Fd());
    file.Commit();
}

void ReplaceFile(const fs::path& target, std::string_view bytes, const ReplaceOptions& options) {
    ReplaceFile(
        target,
        [&](int fd) {
            const IoResult r = WriteAt(fd, bytes.data(), bytes.size(), 0);
            if (r.Error != 0) ThrowWriteError(target, r.Error);
        },
        options);
}

} // namespace base
