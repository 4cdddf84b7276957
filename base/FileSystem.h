#pragma once
// The system calls of every file read and write in the program. One process-wide instance does the real
// calls; a test puts its own in place (derived from this one) to make a chosen write or sync fail, or to stop
// the process at a chosen write, and so checks what every write point leaves on disk.

#include <sys/types.h>

namespace base {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Each returns what the system call returns (-1 with errno on failure).
    virtual int Open(const char* path, int flags, mode_t mode);
    virtual int Close(int fd);
    virtual ssize_t Read(int fd, void* data, size_t len);
    virtual ssize_t PRead(int fd, void* data, size_t len, off_t offset);
    virtual ssize_t Write(int fd, const void* data, size_t len);
    virtual ssize_t PWrite(int fd, const void* data, size_t len, off_t offset);
    virtual int Sync(int fd);
    // The contents and size only (the times may follow later): enough for data that is read back, and a
    // disk flush cheaper than Sync's when nothing else of the file changed.
    virtual int SyncData(int fd);
    // Everything written to the file system that holds the open file (syncfs).
    virtual int SyncFileSystem(int fd);
    virtual int Truncate(int fd, off_t size);
    virtual int Rename(const char* from, const char* to);
    virtual int Unlink(const char* path);
    virtual int MakeFolder(const char* path, mode_t mode);
    virtual int RemoveFolder(const char* path);
    // The permission bits of an open file, or of a file by its name.
    virtual int ChangeMode(int fd, mode_t mode);
    virtual int ChangeModeOf(const char* path, mode_t mode);
    // A new folder named by the pattern (its last six characters "XXXXXX" replaced); the pattern itself on
    // success, nullptr with errno on failure.
    virtual char* MakeTemporaryFolder(char* pattern);
};

// Whether Sync reaches the disk (on unless switched off). Only throwaway data, such as a test's temporary
// folder, is worth writing without it.
void SetDiskSync(bool on);

// The instance in use.
FileSystem& Fs();
// Puts another instance in place (nullptr: the real one again); returns the one it replaced.
FileSystem* SetFileSystem(FileSystem* replacement);

// Puts a replacement in place for a scope.
class ScopedFileSystem {
public:
    explicit ScopedFileSystem(FileSystem& replacement) : previous_(SetFileSystem(&replacement)) {}
    ~ScopedFileSystem() { SetFileSystem(previous_); }
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

private:
    FileSystem* previous_;
};

} // namespace base
