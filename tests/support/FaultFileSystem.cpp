#include "tests/support/FaultFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

bool FaultFileSystem::WritePoint() {
    if (dieAfter_ > 0 && writes_ >= dieAfter_) ::_exit(DiedAtWrite);
    ++writes_;
    if (writes_ != failWrite_) return false;
    failed_ = true;
    errno = error_;
    return true;
}

int FaultFileSystem::Open(const char* path, int flags, mode_t mode) {
    if ((flags & (O_CREAT | O_TRUNC)) != 0 && WritePoint()) return -1;
    return FileSystem::Open(path, flags, mode);
}

ssize_t FaultFileSystem::Write(int fd, const void* data, size_t len) {
    if (WritePoint()) {
        const int error = errno;
        if (len > 1) FileSystem::Write(fd, data, len / 2);
        errno = error;
        return -1;
    }
    return FileSystem::Write(fd, data, len);
}

ssize_t FaultFileSystem::PWrite(int fd, const void* data, size_t len, off_t offset) {
    if (WritePoint()) {
        const int error = errno;
        if (len > 1) FileSystem::PWrite(fd, data, len / 2, offset);
        errno = error;
        return -1;
    }
    return FileSystem::PWrite(fd, data, len, offset);
}

bool FaultFileSystem::SyncPoint(int fd) {
    if (++syncs_ != failSync_) return false;
    struct stat st {};
    failedOnFolder_ = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    failed_ = true;
    errno = error_;
    return true;
}

int FaultFileSystem::Sync(int fd) {
    return SyncPoint(fd) ? -1 : FileSystem::Sync(fd);
}

int FaultFileSystem::SyncData(int fd) {
    return SyncPoint(fd) ? -1 : FileSystem::SyncData(fd);
}

int FaultFileSystem::Truncate(int fd, off_t size) {
    return WritePoint() ? -1 : FileSystem::Truncate(fd, size);
}

int FaultFileSystem::Rename(const char* from, const char* to) {
    return WritePoint() ? -1 : FileSystem::Rename(from, to);
}

int FaultFileSystem::Unlink(const char* path) {
    return WritePoint() ? -1 : FileSystem::Unlink(path);
}

int FaultFileSystem::MakeFolder(const char* path, mode_t mode) {
    return WritePoint() ? -1 : FileSystem::MakeFolder(path, mode);
}

int FaultFileSystem::RemoveFolder(const char* path) {
    return WritePoint() ? -1 : FileSystem::RemoveFolder(path);
}

int FaultFileSystem::ChangeMode(int fd, mode_t mode) {
    return WritePoint() ? -1 : FileSystem::ChangeMode(fd, mode);
}

int FaultFileSystem::ChangeModeOf(const char* path, mode_t mode) {
    return WritePoint() ? -1 : FileSystem::ChangeModeOf(path, mode);
}

} // namespace testsupport
