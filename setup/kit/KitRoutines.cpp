#include "setup/kit/KitRoutines.h"

#include "base/FileIo.h"
#include "base/FileSystem.h"
#include "setup/kit/KitExceptions.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace setup {

namespace fs = std::filesystem;

int WindowsVersionCode() {
    return 2;
}

std::string ShortPathName(const std::string& path) {
    return path;
}

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

std::string HomeFolder() {
    return EnvOr("HOME", "/");
}

// The process's private temporary folder, made on first use and removed at exit when empty.
class PrivateTempFolder {
public:
    ~PrivateTempFolder() {
        if (!path_.empty()) base::Fs().RemoveFolder(path_.c_str());
    }
    const std::string& Path() {
        std::lock_guard lock(mutex_);
        if (path_.empty()) {
            std::string pattern = EnvOr("TMPDIR", "/tmp") + "/lumeno-setup-XXXXXX";
            if (base::Fs().MakeTemporaryFolder(pattern.data())) path_ = pattern;
        }
        return path_;
    }

private:
    std::mutex mutex_;
    std::string path_;
};

} // namespace

std::string TempFileName(bool keep) {
    static PrivateTempFolder folder;
    const std::string& dir = folder.Path();
    if (dir.empty()) throw EAPIRoutines("Cannot create a temporary file");
    std::string name = dir + "/batXXXXXX";
    if (!base::FileHandle(::mkostemp(name.data(), O_CLOEXEC)))
        throw EAPIRoutines("Cannot create a temporary file");
    if (!keep) base::Fs().Unlink(name.c_str());
    return name;
}

fs::path StateFolder() {
    const char* own = std::getenv(StateFolderVariable);
    if (own && *own) return own;
    if (::geteuid() == 0) return "/var/lib/lumeno-setup";
    return fs::path(EnvOr("XDG_STATE_HOME", HomeFolder() + "/.local/state")) / "lumeno-setup";
}

bool StillNamed(int fd, const std::string& path) {
    struct stat open {
    }, named{};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

std::string SystemDirectory() {
    return (StateFolder() / "system").string();
}

std::string WindowsDirectory() {
    return (StateFolder() / "windows").string();
}

std::string AddBackslash(const std::string& path) {
    if (path.empty() || path.back() == '/') return path;
    return path + "/";
}

std::string RemoveBackslash(const std::string& path) {
    if (path.size() > 1 && path.back() == '/') return path.substr(0, path.size() - 1);
    return path;
}

int FieldCount(std::string_view text, char separator) {
    int n = 0;
    for (char c : text)
        if (c == separator) ++n;
    if (!text.empty() && text.back() != separator) ++n;
    return n;
}

std::string Field(std::string_view text, int n, char separator) {
    if (n < 1) return {};
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) {
        const std::size_t p = text.find(separator, start);
        if (p == std::string_view::npos) return {};
        start = p + 1;
    }
    const std::size_t end = text.find(separator, start);
    return std::string(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
}

std::vector<std::string> SplitList(std::string_view text, char separator) {
    std::vector<std::string> list;
    const int count = FieldCount(text, separator);
    for (int i = 1; i <= count; ++i)
        list.push_back(Field(text, i, separator));
    return list;
}

std::string AfterColon(std::string_view text) {
    const std::size_t p = text.find(':');
    return p == std::string_view::npos ? std::string() : std::string(text.substr(p + 1));
}

std::string SafeFileName(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '/')
            out += '-';
        else if (std::string_view("\"*:;<>?\\|").find(c) == std::string_view::npos)
            out += c;
    }
    return out;
}

namespace {

// A path of this system ("/" in it) is split at "/" only: a "\\" there is part of a name. A configured
// one ("\\Lumeno\\Plom") at "\\".
std::string_view Separators(std::string_view path, bool colon) {
    if (path.find('/') != std::string_view::npos) return "/";
    return colon ? "\\:" : "\\";
}

} // namespace

std::string NamePart(std::string_view path) {
    const std::size_t p = path.find_last_of(Separators(path, true));
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string FolderPart(std::string_view path) {
    const std::size_t p = path.find_last_of(Separators(path, false));
    return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p));
}

std::string NormalizeSeparators(std::string_view path) {
    std::string out(path);
    if (out.find('/') != std::string::npos) return out; // a path of this system: "\\" is part of a name
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

std::string CutBytes(std::string_view utf8, std::size_t maxBytes) {
    if (utf8.size() <= maxBytes) return std::string(utf8);
    std::size_t end = maxBytes;
    // Step back over continuation bytes to the start of the character that does not fit.
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
        --end;
    return std::string(utf8.substr(0, end));
}

} // namespace setup
