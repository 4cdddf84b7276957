#include "base/FileIo.h"

#include "base/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace base {

std::string ErrnoText(int error) {
    switch (error) {
    case ENOSPC:
        return "disk je pun";
    case EDQUOT:
        return "prekoračena je kvota diska";
    case EIO:
        return "greška ulaza/izlaza na disku";
    case EACCES:
    case EPERM:
        return "pristup nije dopušten";
    case EROFS:
        return "disk je samo za čitanje";
    case ENOENT:
        return "datoteka ili mapa ne postoji";
    case EEXIST:
        return "datoteka već postoji";
    case EISDIR:
        return "to je mapa";
    case ENOTDIR:
        return "put nije mapa";
    case EMFILE:
    case ENFILE:
        return "previše otvorenih datoteka";
    case EFBIG:
        return "datoteka je prevelika";
    case EBUSY:
        return "datoteka je zauzeta";
    default:
        return std::strerror(error);
    }
}

void ThrowWriteError(const fs::path& file, int error) {
    throw FileError("Datoteka " + file.filename().string() + " se ne može zapisati: " + ErrnoText(error),
                    error);
}

void ThrowReadError(const fs::path& file, int error) {
    throw FileError("Datoteka " + file.filename().string() + " se ne može pročitati: " + ErrnoText(error),
                    error);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.Release();
    }
    return *this;
}

FileHandle FileHandle::Open(const fs::path& path, int flags, mode_t mode) {
    return FileHandle(Fs().Open(path.c_str(), flags | O_CLOEXEC, mode));
}

int FileHandle::Close() {
    if (fd_ < 0) return 0;
    const int rc = Fs().Close(Release());
    // A close interrupted by a signal has closed the descriptor all the same on Linux.
    return rc == 0 || errno == EINTR ? 0 : errno;
}

namespace {

template <typename Call> IoResult Loop(std::size_t len, bool writing, Call call) {
    IoResult r;
    while (r.Done < len) {
        const ssize_t n = call(r.Done);
        if (n < 0) {
            if (errno == EINTR) continue;
            r.Error = errno;
            break;
        }
        if (n == 0) {
            if (writing) r.Error = ENOSPC;
            break;
        }
        r.Done += static_cast<std::size_t>(n);
    }
    return r;
}

} // namespace

IoResult ReadAt(int fd, void* data, std::size_t len, std::uint64_t offset) {
    auto* p = static_cast<char*>(data);
    return Loop(len, false, [&](std::size_t done) {
        return Fs().PRead(fd, p + done, len - done, static_cast<off_t>(offset + done));
    });
}

bool ReadExactlyAt(int fd, void* data, std::size_t len, std::uint64_t offset) {
    const IoResult r = ReadAt(fd, data, len, offset);
    return r.Error == 0 && r.Done == len;
}

IoResult WriteAt(int fd, const void* data, std::size_t len, std::uint64_t offset) {
    const auto* p = static_cast<const char*>(data);
    return Loop(len, true, [&](std::size_t done) {
        return Fs().PWrite(fd, p + done, len - done, static_cast<off_t>(offset + done));
    });
}

IoResult ReadAll(int fd, void* data, std::size_t len) {
    auto* p = static_cast<char*>(data);
    return Loop(len, false, [&](std::size_t done) { return Fs().Read(fd, p + done, len - done); });
}

IoResult WriteAll(int fd, const void* data, std::size_t len) {
    const auto* p = static_cast<const char*>(data);
    return Loop(len, true, [&](std::size_t done) { return Fs().Write(fd, p + done, len - done); });
}

int SyncFile(int fd) {
    while (Fs().Sync(fd) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

int SyncFileData(int fd) {
    while (Fs().SyncData(fd) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

int SyncFolder(const fs::path& folder) {
    FileHandle dir = FileHandle::Open(folder.empty() ? fs::path(".") : folder, O_RDONLY | O_DIRECTORY);
    if (!dir) return errno;
    const int error = SyncFile(dir.Get());
    // Some file systems cannot sync a folder at all; their names are as durable as they get.
    return error == EINVAL || error == EROFS ? 0 : error;
}

int SyncFileSystemOf(const fs::path& folder) {
    FileHandle dir = FileHandle::Open(folder.empty() ? fs::path(".") : folder, O_RDONLY | O_DIRECTORY);
    if (!dir) return errno;
    return Fs().SyncFileSystem(dir.Get()) == 0 ? 0 : errno;
}

int MakeFolders(const fs::path& folder) {
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec)) return 0;
    if (const fs::path parent = folder.parent_path(); !parent.empty() && parent != folder)
        if (const int error = MakeFolders(parent)) return error;
    if (Fs().MakeFolder(folder.c_str(), 0777) != 0 && errno != EEXIST) return errno;
    return 0;
}

int RemoveTree(const fs::path& folder) {
    std::error_code ec;
    const auto status = fs::symlink_status(folder, ec);
    if (ec || !fs::exists(status)) return 0;
    if (!fs::is_directory(status)) return Fs().Unlink(folder.c_str()) == 0 || errno == ENOENT ? 0 : errno;
    int error = 0;
    std::vector<fs::path> entries;
    for (const auto& e : fs::directory_iterator(folder, ec))
        entries.push_back(e.path());
    for (const auto& e : entries)
        if (const int failed = RemoveTree(e); failed != 0 && error == 0) error = failed;
    if (Fs().RemoveFolder(folder.c_str()) != 0 && errno != ENOENT && error == 0) error = errno;
    return error;
}

std::string ReadWholeFile(const fs::path& file, std::size_t limit) {
    FileHandle fd = FileHandle::Open(file, O_RDONLY);
    if (!fd) ThrowReadError(file, errno);
    std::string out;
    struct stat st {};
    if (::fstat(fd.Get(), &st) == 0 && st.st_size > 0)
        out.reserve(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), limit));
    char buf[65536];
    std::uint64_t pos = 0;
    while (out.size() < limit) {
        const std::size_t want = std::min(sizeof buf, limit - out.size());
        const IoResult r = ReadAt(fd.Get(), buf, want, pos);
        if (r.Error != 0) ThrowReadError(file, r.Error);
        out.append(buf, r.Done);
        pos += r.Done;
        if (r.Done < want) break;
    }
    return out;
}

} // namespace base
