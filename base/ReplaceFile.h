#pragma once
// The one way a whole file is written: into a new file of a unique name beside it (several processes share a
// data folder, so no two writers ever share a temporary), synced as asked, renamed over the old one and the
// folder synced as asked. A reader sees the old file or the new one, never a part; on any failure the
// temporary is removed and the old file stays as it was.

#include <filesystem>
#include <functional>
#include <string_view>
#include <sys/types.h>

namespace base {

namespace fs = std::filesystem;

struct ReplaceOptions {
    bool SyncFile = true;   // the contents are on disk before the name points at them
    bool SyncFolder = true; // the new name itself is on disk when the routine returns
    mode_t Mode = 0644;
};

// A new file being written beside its target: Commit syncs it as asked, renames it over the target and syncs
// the folder as asked. Removed when it goes uncommitted. Throws FileError naming the target.
class FileReplacement {
public:
    explicit FileReplacement(fs::path target, const ReplaceOptions& options = {});
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    int Fd() const { return fd_; }
    const fs::path& Target() const { return target_; }
    const fs::path& TemporaryPath() const { return temp_; }
    void Commit();

private:
    fs::path target_;
    fs::path temp_;
    ReplaceOptions options_;
    int fd_ = -1;
    bool committed_ = false;
};

// Throws FileError naming the target.
void ReplaceFile(const fs::path& target, std::string_view bytes, const ReplaceOptions& options = {});
// For contents written in pieces: `write` gets the temporary's descriptor and throws when it fails.
void ReplaceFile(const fs::path& target, const std::function<void(int fd)>& write,
                 const ReplaceOptions& options = {});

// A free name beside the target for a new file ("." + name + random + tail), created empty and opened for
// reading and writing; the descriptor is returned through fd. Throws FileError naming the target.
fs::path CreateTemporaryBeside(const fs::path& target, int& fd, mode_t mode = 0644,
                               std::string_view tail = ".tmp");

} // namespace base
