#include "fw/print/PdfFile.h"

#include "base/FileIo.h"
#include "base/FileSystem.h"
#include "base/ReplaceFile.h"
#include "fw/print/PrinterDevice.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>

namespace fw {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view TemporaryTail = ".part";
constexpr std::size_t FlushAt = 1 << 20;

// ".<name>.pdf.<8 of [0-9a-z]>.part"
bool IsPdfTemporary(std::string_view name) {
    constexpr std::string_view pdf = ".pdf.";
    const std::size_t random = 8;
    if (name.size() < 1 + pdf.size() + random + TemporaryTail.size() || name.front() != '.') return false;
    if (name.substr(name.size() - TemporaryTail.size()) != TemporaryTail) return false;
    name.remove_suffix(TemporaryTail.size());
    for (char c : name.substr(name.size() - random))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
    name.remove_suffix(random);
    return name.size() > pdf.size() && name.substr(name.size() - pdf.size()) == pdf;
}

// Whether the descriptor still holds the file under the name (a sweep may have taken the name away
// between its creation and its lock).
bool StillNamed(int fd, const std::string& path) {
    struct stat open {
    }, named{};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_ino == named.st_ino &&
           open.st_dev == named.st_dev;
}

} // namespace

std::string PdfWriteError(const std::string& file, int error) {
    return "Ispis u datoteku \"" + file + "\" nije uspio: " + base::ErrnoText(error);
}

PdfFile::PdfFile(std::string target) : target_(std::move(target)) {
    for (int attempt = 0; fd_ < 0; ++attempt) {
        int fd = -1;
        fs::path temp;
        try {
            temp = base::CreateTemporaryBeside(target_, fd, 0644, TemporaryTail);
        } catch (const base::FileError& e) {
            throw EPrinter(PdfWriteError(target_, e.Error()));
        }
        // Held for as long as the file is written: the mark of a print that is still alive.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd, temp.string())) {
            fd_ = fd;
            temp_ = temp.string();
        } else {
            base::Fs().Close(fd);
            if (attempt == 10) throw EPrinter(PdfWriteError(target_, EBUSY));
        }
    }
    open(QIODevice::WriteOnly);
}

PdfFile::~PdfFile() {
    if (fd_ >= 0) base::Fs().Close(fd_);
    if (!committed_) base::Fs().Unlink(temp_.c_str());
}

qint64 PdfFile::readData(char*, qint64) {
    return -1;
}

qint64 PdfFile::writeData(const char* data, qint64 len) {
    if (error_ != 0) return -1;
    if (pos() != bufferAt_ + static_cast<qint64>(buffer_.size())) {
        Flush();
        bufferAt_ = pos();
    }
    buffer_.append(data, static_cast<std::size_t>(len));
    if (buffer_.size() >= FlushAt) Flush();
    return error_ != 0 ? -1 : len;
}

void PdfFile::Flush() {
    if (error_ != 0 || buffer_.empty()) return;
    const base::IoResult r =
        base::WriteAt(fd_, buffer_.data(), buffer_.size(), static_cast<std::uint64_t>(bufferAt_));
    if (r.Error != 0) error_ = r.Error;
    bufferAt_ += static_cast<qint64>(buffer_.size());
    buffer_.clear();
}

void PdfFile::Commit(const std::string& target) {
    Flush();
    if (error_ == 0) error_ = base::SyncFile(fd_);
    if (error_ != 0) throw EPrinter(PdfWriteError(target, error_));
    if (base::Fs().Rename(temp_.c_str(), target.c_str()) != 0) throw EPrinter(PdfWriteError(target, errno));
    committed_ = true;
    target_ = target;
    base::Fs().Close(fd_);
    fd_ = -1;
    // The printout is whole under its name; a folder that cannot be synced is still told.
    if (const int error = base::SyncFolder(fs::path(target).parent_path()))
        throw EPrinter(PdfWriteError(target, error));
}

void RemoveStalePdfTemporaries(const std::string& folder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? fs::path(".") : fs::path(folder), ec)) {
        if (!IsPdfTemporary(entry.path().filename().string()) || !entry.is_regular_file(ec)) continue;
        const std::string path = entry.path().string();
        const int fd = base::Fs().Open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
        if (fd < 0) continue;
        // Nobody holds it: the print that wrote it is gone.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) base::Fs().Unlink(path.c_str());
        base::Fs().Close(fd);
    }
}

} // namespace fw
