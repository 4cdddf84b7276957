#include "tests/support/PowerCutFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {
namespace {

namespace fs = std::filesystem;

std::int64_t MTimeOf(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// The whole file behind a descriptor, read past any layer.
std::string ReadAllOf(int fd) {
    std::string out;
    char buf[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buf, sizeof buf, at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.append(buf, static_cast<std::size_t>(n));
        at += n;
    }
    return out;
}

void Apply(std::string& bytes, const std::string& data, std::uint64_t offset, bool resize) {
    if (resize) {
        bytes.resize(offset, '\0');
        return;
    }
    if (bytes.size() < offset + data.size()) bytes.resize(offset + data.size(), '\0');
    bytes.replace(offset, data.size(), data);
}

} // namespace

PowerCutFileSystem::PowerCutFileSystem(fs::path folder) : folder_(fs::weakly_canonical(folder)) {
    for (const auto& entry : fs::directory_iterator(folder_))
        if (entry.is_regular_file()) Adopt(entry.path().string());
    namesOnDisk_ = names_;
}

int PowerCutFileSystem::Adopt(const std::string& path) {
    File f;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        f.OnDisk = ReadAllOf(fd);
        struct stat st {};
        if (::fstat(fd, &st) == 0) f.MTime = MTimeOf(st);
        ::close(fd);
    }
    files_.push_back(std::move(f));
    const int id = static_cast<int>(files_.size()) - 1;
    names_[path] = id;
    // Whatever was in the folder before this layer saw it is on disk, name and all.
    namesOnDisk_.emplace(path, id);
    return id;
}

std::string PowerCutFileSystem::Inside(const char* path) const {
    fs::path p = fs::path(path).is_absolute() ? fs::path(path) : fs::current_path() / path;
    p = p.lexically_normal();
    if (p.filename().empty()) return {};
    std::error_code ec;
    const fs::path parent = fs::weakly_canonical(p.parent_path(), ec);
    if (ec || parent != folder_) return {};
    return (folder_ / p.filename()).string();
}

std::optional<int> PowerCutFileSystem::Known(const std::string& path) {
    if (const auto it = names_.find(path); it != names_.end()) return it->second;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return Adopt(path);
    return std::nullopt;
}

void PowerCutFileSystem::Record(int fd, Change change) {
    if (const auto it = open_.find(fd); it != open_.end())
        files_[it->second].Unsynced.push_back(std::move(change));
}

int PowerCutFileSystem::Open(const char* path, int flags, mode_t mode) {
    const std::string inside = Inside(path);
    if (inside.empty()) {
        const int fd = FileSystem::Open(path, flags, mode);
        std::error_code ec;
        if (fd >= 0 && (flags & O_DIRECTORY) != 0 && fs::weakly_canonical(path, ec) == folder_)
            folderFds_[fd] = true;
        return fd;
    }
    const std::optional<int> known = Known(inside);
    const int fd = FileSystem::Open(path, flags, mode);
    if (fd < 0) return fd;
    int id = 0;
    if (known) {
        id = *known;
        if ((flags & O_TRUNC) != 0) files_[id].Unsynced.push_back({0, {}, true});
    } else {
        files_.emplace_back(); // made now: nothing of it is on disk, not even its name
        id = static_cast<int>(files_.size()) - 1;
        names_[inside] = id;
    }
    open_[fd] = id;
    return fd;
}

int PowerCutFileSystem::Close(int fd) {
    open_.erase(fd);
    folderFds_.erase(fd);
    return FileSystem::Close(fd);
}

ssize_t PowerCutFileSystem::Write(int fd, const void* data, size_t len) {
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    const ssize_t n = FileSystem::Write(fd, data, len);
    if (n > 0 && at >= 0)
        Record(fd, {static_cast<std::uint64_t>(at), std::string(static_cast<const char*>(data), n), false});
    return n;
}

ssize_t PowerCutFileSystem::PWrite(int fd, const void* data, size_t len, off_t offset) {
    const ssize_t n = FileSystem::PWrite(fd, data, len, offset);
    if (n > 0)
        Record(fd,
               {static_cast<std::uint64_t>(offset), std::string(static_cast<const char*>(data), n), false});
    return n;
}

int PowerCutFileSystem::Truncate(int fd, off_t size) {
    const int rc = FileSystem::Truncate(fd, size);
    if (rc == 0) Record(fd, {static_cast<std::uint64_t>(size), {}, true});
    return rc;
}

bool PowerCutFileSystem::SyncPoint(int fd, bool times) {
    if (++syncs_ == cutAt_) {
        CutPower();
        ::_exit(PowerWentOff);
    }
    if (folderFds_.count(fd) != 0) {
        namesOnDisk_ = names_;
        return true;
    }
    const auto it = open_.find(fd);
    if (it == open_.end()) return true;
    File& f = files_[it->second];
    f.OnDisk = ReadAllOf(fd);
    f.Unsynced.clear();
    struct stat st {};
    if (times && ::fstat(fd, &st) == 0) f.MTime = MTimeOf(st);
    return true;
}

int PowerCutFileSystem::Sync(int fd) {
    SyncPoint(fd, true);
    return FileSystem::Sync(fd);
}

int PowerCutFileSystem::SyncData(int fd) {
    SyncPoint(fd, false);
    return FileSystem::SyncData(fd);
}

int PowerCutFileSystem::Rename(const char* from, const char* to) {
    const std::string a = Inside(from), b = Inside(to);
    const std::optional<int> known = a.empty() ? std::nullopt : Known(a);
    const int rc = FileSystem::Rename(from, to);
    if (rc != 0) return rc;
    if (!a.empty()) names_.erase(a);
    if (!b.empty()) {
        if (known) {
            names_[b] = *known;
        } else {
            files_.emplace_back();
            files_.back().OnDisk = {};
            names_[b] = static_cast<int>(files_.size()) - 1;
        }
    }
    return rc;
}

int PowerCutFileSystem::Unlink(const char* path) {
    const std::string a = Inside(path);
    if (!a.empty()) Known(a);
    const int rc = FileSystem::Unlink(path);
    if (rc == 0 && !a.empty()) names_.erase(a);
    return rc;
}

void PowerCutFileSystem::CutPower() {
    // Each file on disk keeps its inode (a journal knows its table by it): a file still under its name is
    // written back in place, one renamed since goes back to its name, only one removed since is made anew.
    std::map<int, std::string> current;
    for (const auto& [name, id] : names_)
        current[id] = name;
    std::set<std::string> kept;
    for (const auto& [name, id] : namesOnDisk_) {
        const auto it = current.find(id);
        if (it != current.end() && it->second != name && kept.count(it->second) == 0) {
            ::rename(it->second.c_str(), name.c_str());
            names_.erase(it->second);
        } else if (it == current.end()) {
            ::unlink(name.c_str());
        }
        names_[name] = id;
        kept.insert(name);
    }
    for (const auto& [name, id] : names_)
        if (kept.count(name) == 0) ::unlink(name.c_str());
    for (const auto& [name, id] : namesOnDisk_) {
        File& f = files_[id];
        std::string bytes = f.OnDisk;
        if (keepSome_ && !f.Unsynced.empty()) {
            const std::size_t keep = random_() % (f.Unsynced.size() + 1);
            for (std::size_t i = 0; i < keep; ++i)
                Apply(bytes, f.Unsynced[i].Data, f.Unsynced[i].Offset, f.Unsynced[i].Resize);
            // The write after them may have reached the disk in part: some of its first sectors.
            if (keep < f.Unsynced.size() && !f.Unsynced[keep].Resize) {
                const Change& torn = f.Unsynced[keep];
                const std::size_t sectors = (torn.Data.size() + 511) / 512;
                const std::size_t part = std::min(torn.Data.size(), random_() % (sectors + 1) * 512);
                Apply(bytes, torn.Data.substr(0, part), torn.Offset, false);
            }
        }
        if (copies_) ::unlink(name.c_str());
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) continue;
        if (::ftruncate(fd, 0) != 0) {
            ::close(fd);
            continue;
        }
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n =
                ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        // The date the file had when it last reached the disk.
        const struct timespec times[2] = {{0, UTIME_OMIT},
                                          {static_cast<time_t>(f.MTime / 1000000000), f.MTime % 1000000000}};
        ::futimens(fd, times);
        ::close(fd);
    }
    // From here on the folder is as the disk holds it.
    files_.clear();
    names_.clear();
    namesOnDisk_.clear();
    open_.clear();
    folderFds_.clear();
    for (const auto& entry : fs::directory_iterator(folder_))
        if (entry.is_regular_file()) Adopt(entry.path().string());
}

} // namespace testsupport
