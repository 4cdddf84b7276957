#pragma once
// File descriptors and whole reads and writes, every call through the process's FileSystem. Every open
// closes on exec, so a started program never inherits a table file or its locks.

#include "base/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace base {

namespace fs = std::filesystem;

// A failed file operation: the user's text names the file and says what went wrong.
class FileError : public Exception {
public:
    FileError(const std::string& message, int error) : Exception(message), error_(error) {}
    int Error() const { return error_; }

private:
    int error_;
};

// What a system error means, in words the user reads ("disk je pun").
std::string ErrnoText(int error);
// "Datoteka <name> se ne može zapisati: <reason>".
[[noreturn]] void ThrowWriteError(const fs::path& file, int error);
[[noreturn]] void ThrowReadError(const fs::path& file, int error);

// An owned descriptor, closed when it goes.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() { Close(); }
    FileHandle(FileHandle&& other) noexcept : fd_(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Invalid on failure, errno telling why.
    static FileHandle Open(const fs::path& path, int flags, mode_t mode = 0644);

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    explicit operator bool() const { return Valid(); }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now; 0 or the error of the close.
    int Close();

private:
    int fd_ = -1;
};

// The outcome of a whole read or write: the bytes done, and the error that stopped it (0: none; a read
// that ends early without an error reached the end of the file).
struct IoResult {
    std::size_t Done = 0;
    int Error = 0;
};

// Everything at an offset, again after a signal or a short count.
IoResult ReadAt(int fd, void* data, std::size_t len, std::uint64_t offset);
// True when all len bytes were read at the offset.
bool ReadExactlyAt(int fd, void* data, std::size_t len, std::uint64_t offset);
IoResult WriteAt(int fd, const void* data, std::size_t len, std::uint64_t offset);
// Everything at the descriptor's position (pipes, streams). A write the medium takes no more of ends with
// ENOSPC.
IoResult ReadAll(int fd, void* data, std::size_t len);
IoResult WriteAll(int fd, const void* data, std::size_t len);

// 0 or the error.
int SyncFile(int fd);
// The contents and size only (not the file's times). 0 or the error.
int SyncFileData(int fd);
// Makes a new or renamed name inside the folder durable. 0 or the error.
int SyncFolder(const fs::path& folder);

// Syncs the whole file system the folder is on. 0 or the error.
int SyncFileSystemOf(const fs::path& folder);
// Makes the folder and the folders above it that are missing. 0 or the error.
int MakeFolders(const fs::path& folder);
// Removes the folder with everything in it (links are removed, never followed); a missing one is no error.
// 0 or the first error.
int RemoveTree(const fs::path& folder);

// The whole file (at most `limit` bytes); throws FileError when it cannot be read.
std::string ReadWholeFile(const fs::path& file, std::size_t limit = SIZE_MAX);

} // namespace base
