#pragma once
// A file layer for tests that knows what a disk holds after a power cut. It watches the files of one folder:
// what they hold when it starts counts as on disk; a file's later writes reach the disk only with a sync of
// that file, and a name made, renamed or removed in the folder only with a sync of the folder. Cutting the
// power puts the folder back to that: each file as its last sync left it (its date as its last full sync
// left it: a sync of the contents alone need not carry the date), each
// name as the folder's last sync left it; a file made since and never named on disk is gone. It can cut the
// power at a chosen sync point, just before that sync reaches the disk, and end the process there.
//
// A disk that honours syncs and nothing more may still have written some of the other writes by itself: with
// KeepSomeUnsynced each file keeps a random run of its first unsynced writes (a write is kept whole or not
// at all).

#include "base/FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace testsupport {

class PowerCutFileSystem : public base::FileSystem {
public:
    // The exit status of a process whose power was cut.
    static constexpr int PowerWentOff = 78;

    explicit PowerCutFileSystem(std::filesystem::path folder);

    int Syncs() const { return syncs_; }
    // The Nth sync (1-based) never happens: the power goes just before it and the process ends (_exit).
    void CutAtSync(int n) { cutAt_ = n; }
    void KeepSomeUnsynced(std::uint64_t seed) {
        keepSome_ = true;
        random_.seed(seed);
    }
    // The files come back as copies (other inodes), as when the folder is copied or a shared folder is
    // mounted anew after the cut.
    void ComeBackAsCopies() { copies_ = true; }
    // Puts the folder as a disk would hold it now, were the power cut. The files go on from there (the
    // layer watches them as on disk again).
    void CutPower();

    int Open(const char* path, int flags, mode_t mode) override;
    int Close(int fd) override;
    ssize_t Write(int fd, const void* data, size_t len) override;
    ssize_t PWrite(int fd, const void* data, size_t len, off_t offset) override;
    int Sync(int fd) override;
    int SyncData(int fd) override;
    int Truncate(int fd, off_t size) override;
    int Rename(const char* from, const char* to) override;
    int Unlink(const char* path) override;

private:
    // A change of a file's bytes not yet synced: a write (Data at Offset) or a new size (Data empty).
    struct Change {
        std::uint64_t Offset = 0;
        std::string Data;
        bool Resize = false;
    };
    struct File {
        std::string OnDisk; // as the last sync left it
        std::int64_t MTime = 0;
        std::vector<Change> Unsynced;
    };
    // The file's number when the path is in the folder (made known as on disk when first seen).
    std::optional<int> Known(const std::string& path);
    int Adopt(const std::string& path);
    std::string Inside(const char* path) const;
    // A sync of the contents only (times false) leaves the file's date on disk as it was.
    bool SyncPoint(int fd, bool times);
    void Record(int fd, Change change);

    std::filesystem::path folder_;
    std::vector<File> files_;
    std::map<std::string, int> names_;       // as they stand
    std::map<std::string, int> namesOnDisk_; // as the folder's last sync left them
    std::map<int, int> open_;                // descriptor -> file
    std::map<int, bool> folderFds_;
    int syncs_ = 0;
    int cutAt_ = 0;
    bool keepSome_ = false;
    bool copies_ = false;
    std::mt19937_64 random_;
};

} // namespace testsupport
