#include "base/Files.h"

#include "base/Exceptions.h"
#include "base/Text.h"
#include "base/Utf8.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

namespace base {

std::optional<fs::path> FindFile(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    if (fs::exists(folder / name, ec)) return folder / name;
    const std::string upper = UpperCase(name);
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string candidate = entry.path().filename().string();
        if (UpperCase(candidate) == upper) return entry.path();
    }
    return std::nullopt;
}

fs::path ResolveFile(const fs::path& folder, const std::string& name) {
    if (auto found = FindFile(folder, name)) return *found;
    return folder / name;
}

bool FileExistsIn(const fs::path& folder, const std::string& name) {
    return FindFile(folder, name).has_value();
}

namespace {
// Characters to match one by one. Bytes that are no UTF-8 (a name written in another encoding) stay apart
// from each other, each as a value outside Unicode, so that only the same bytes match.
std::u32string Decode(const std::string& in) {
    std::u32string out;
    for (std::size_t i = 0; i < in.size();) {
        const std::size_t start = i;
        bool broken = false;
        const char32_t cp = NextCodePoint(in, i, broken);
        if (!broken) {
            out.push_back(cp);
            continue;
        }
        for (std::size_t k = start; k < i; ++k)
            out.push_back(0x110000 + static_cast<unsigned char>(in[k]));
    }
    return out;
}
} // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
    // Greedy wildcard match with backtracking to the last "*"; "?" takes one whole character.
    const std::u32string s = Decode(UpperCase(name));
    const std::u32string m = Decode(UpperCase(mask));
    std::size_t si = 0, mi = 0, star = std::u32string::npos, resume = 0;
    while (si < s.size()) {
        if (mi < m.size() && (m[mi] == U'?' || m[mi] == s[si])) {
            ++si;
            ++mi;
        } else if (mi < m.size() && m[mi] == U'*') {
            star = mi++;
            resume = si;
        } else if (star != std::u32string::npos) {
            mi = star + 1;
            si = ++resume;
        } else {
            return false;
        }
    }
    while (mi < m.size() && m[mi] == U'*')
        ++mi;
    return mi == m.size();
}

std::vector<fs::path> FilesMatching(const fs::path& folder, const std::string& mask) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        if (MatchesMask(entry.path().filename().string(), mask)) out.push_back(entry.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::int64_t FileTime(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) throw Exception("Datoteka " + file.string() + " ne postoji");
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

void SetFileTime(const fs::path& file, std::int64_t nanoseconds) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(nanoseconds / 1'000'000'000);
    times[1].tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
    if (::utimensat(AT_FDCWD, file.c_str(), times, 0) != 0)
        throw Exception("Datumu datoteke " + file.string() + " ne može se promijeniti");
}

} // namespace base
