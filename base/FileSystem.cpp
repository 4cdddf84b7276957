#include "base/FileSystem.h"

#include "base/ProgramState.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace base {
namespace {

FileSystem& Real() {
    static FileSystem real;
    return real;
}

std::atomic<bool> diskSync{true};

std::atomic<FileSystem*>& Current() {
    static std::atomic<FileSystem*> current{&Real()};
    return current;
}

// The real file system again (the disk-sync switch is the test folders' own business).
[[maybe_unused]] const bool stateResetRegistered =
    RegisterStateReset(StateLayer::Base, [] { Current() = &Real(); });

} // namespace

int FileSystem::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags | O_CLOEXEC, mode);
}

int FileSystem::Close(int fd) {
    return ::close(fd);
}

ssize_t FileSystem::Read(int fd, void* data, size_t len) {
    return ::read(fd, data, len);
}

ssize_t FileSystem::PRead(int fd, void* data, size_t len, off_t offset) {
    return ::pread(fd, data, len, offset);
}

ssize_t FileSystem::Write(int fd, const void* data, size_t len) {
    return ::write(fd, data, len);
}

ssize_t FileSystem::PWrite(int fd, const void* data, size_t len, off_t offset) {
    return ::pwrite(fd, data, len, offset);
}

int FileSystem::Sync(int fd) {
    return diskSync ? ::fsync(fd) : 0;
}

int FileSystem::SyncData(int fd) {
    return diskSync ? ::fdatasync(fd) : 0;
}

int FileSystem::SyncFileSystem(int fd) {
    return diskSync ? ::syncfs(fd) : 0;
}

void SetDiskSync(bool on) {
    diskSync = on;
}

int FileSystem::Truncate(int fd, off_t size) {
    return ::ftruncate(fd, size);
}

int FileSystem::Rename(const char* from, const char* to) {
    return std::rename(from, to);
}

int FileSystem::Unlink(const char* path) {
    return ::unlink(path);
}

int FileSystem::MakeFolder(const char* path, mode_t mode) {
    return ::mkdir(path, mode);
}

int FileSystem::RemoveFolder(const char* path) {
    return ::rmdir(path);
}

int FileSystem::ChangeMode(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}

int FileSystem::ChangeModeOf(const char* path, mode_t mode) {
    return ::chmod(path, mode);
}

char* FileSystem::MakeTemporaryFolder(char* pattern) {
    return ::mkdtemp(pattern);
}

FileSystem& Fs() {
    return *Current().load();
}

FileSystem* SetFileSystem(FileSystem* replacement) {
    FileSystem* previous = Current().exchange(replacement != nullptr ? replacement : &Real());
    return previous == &Real() ? nullptr : previous;
}

} // namespace base
