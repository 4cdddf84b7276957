#pragma once
// A file layer for tests that counts the write points (every call that changes a file or a name: a write,
// a truncate, a rename, an unlink, an open that may create) and the sync points of whatever runs under it,
// and can make the Nth of them fail or end the process just before the write after the Nth.

#include "base/FileSystem.h"

namespace testsupport {

class FaultFileSystem : public base::FileSystem {
public:
    // The exit status of a process ended at a write point.
    static constexpr int DiedAtWrite = 77;

    int Writes() const { return writes_; }
    int Syncs() const { return syncs_; }
    // The Nth write (1-based) fails once with the error; a write of more than one byte first puts half of
    // its bytes into the file, as a full disk or a failing medium may.
    void FailWrite(int n, int error) {
        failWrite_ = n;
        error_ = error;
    }
    void FailSync(int n, int error) {
        failSync_ = n;
        error_ = error;
    }
    // The process ends (_exit) when it comes to the write after the Nth: that one and every later one never
    // reach the files.
    void DieAfterWrite(int n) { dieAfter_ = n; }
    bool Failed() const { return failed_; }
    // The failed sync was a folder's (a new name was already in place).
    bool FailedOnFolder() const { return failedOnFolder_; }

    int Open(const char* path, int flags, mode_t mode) override;
    ssize_t Write(int fd, const void* data, size_t len) override;
    ssize_t PWrite(int fd, const void* data, size_t len, off_t offset) override;
    int Sync(int fd) override;
    int SyncData(int fd) override;
    int Truncate(int fd, off_t size) override;
    int Rename(const char* from, const char* to) override;
    int Unlink(const char* path) override;
    int MakeFolder(const char* path, mode_t mode) override;
    int RemoveFolder(const char* path) override;
    int ChangeMode(int fd, mode_t mode) override;
    int ChangeModeOf(const char* path, mode_t mode) override;

private:
    // True when this write point is to fail (errno set).
    bool WritePoint();
    // True when this sync point is to fail (errno set).
    bool SyncPoint(int fd);

    int writes_ = 0;
    int syncs_ = 0;
    int failWrite_ = 0;
    int failSync_ = 0;
    int dieAfter_ = 0;
    int error_ = 0;
    bool failed_ = false;
    bool failedOnFolder_ = false;
};

} // namespace testsupport
