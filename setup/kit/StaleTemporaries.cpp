#include "setup/kit/StaleTemporaries.h"

#include "base/FileSystem.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace setup {

std::string PartTemplate(const std::string& folder) {
    return (folder.empty() ? std::string(".") : folder) + "/" + PartPrefix + std::to_string(::getpid()) +
           "-XXXXXX";
}

int OpenPartFile(const std::string& folder, unsigned mode, std::string& path) {
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    std::mt19937 rng(seed() ^ counter.fetch_add(1));
    const char* letters = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = PartTemplate(folder);
        for (std::size_t i = path.size() - 6; i < path.size(); ++i)
            path[i] = letters[rng() % 36];
        const int fd =
            base::Fs().Open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

namespace {

// The writer's process id of a temporary's name, or 0 when the name is not one of ours.
pid_t WriterOf(std::string_view name) {
    const std::string_view prefix = PartPrefix;
    if (name.substr(0, prefix.size()) != prefix) return 0;
    name.remove_prefix(prefix.size());
    const std::size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || name.size() - dash - 1 != 6) return 0;
    pid_t pid = 0;
    for (char c : name.substr(0, dash)) {
        if (c < '0' || c > '9' || pid > 4194304) return 0;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

// ".<name>.<8 of [0-9a-z]>.tmp"
bool ReplacementTemporary(std::string_view name) {
    constexpr std::string_view tail = ".tmp";
    if (name.size() < 1 + 1 + 1 + 8 + tail.size() || name.front() != '.' ||
        name.substr(name.size() - tail.size()) != tail)
        return false;
    const std::string_view rest = name.substr(0, name.size() - tail.size());
    const std::string_view suffix = rest.substr(rest.size() - 8);
    if (rest[rest.size() - 9] != '.') return false;
    for (char c : suffix)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
    return true;
}

bool Alive(pid_t pid) {
    return pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH;
}

} // namespace

int RemoveStaleTemporaries(const std::string& folder, bool force) {
    static std::mutex mutex;
    static std::set<std::string> swept;
    const std::string dir = folder.empty() ? std::string(".") : folder;
    {
        std::lock_guard lock(mutex);
        if (!swept.insert(dir).second && !force) return 0;
    }
    DIR* d = ::opendir(dir.c_str());
    if (!d) return 0;
    int removed = 0;
    const time_t now = ::time(nullptr);
    while (const dirent* e = ::readdir(d)) {
        const pid_t pid = WriterOf(e->d_name);
        const bool replacement = pid <= 0 && ReplacementTemporary(e->d_name);
        if ((pid <= 0 && !replacement) || (pid > 0 && Alive(pid))) continue;
        const std::string path = dir + "/" + e->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (replacement && now - st.st_mtime < StaleAgeSeconds) continue;
        if (base::Fs().Unlink(path.c_str()) == 0) ++removed;
    }
    ::closedir(d);
    return removed;
}

} // namespace setup
