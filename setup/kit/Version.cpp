#include "setup/kit/Version.h"

#include "base/CroatianFormat.h"
#include "base/Exceptions.h"
#include "base/FileIo.h"
#include "base/Files.h"
#include "base/Text.h"
#include "setup/kit/KitExceptions.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace setup {

namespace {

bool RegularFile(const std::string& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Section lookup in a 32- or 64-bit ELF file of either byte order, every offset bounds-checked.
class ElfReader {
public:
    // Only regular files are opened: opening a FIFO or a device for reading could block for ever.
    explicit ElfReader(const std::string& fileName) {
        if (!RegularFile(fileName)) return;
        in_.open(fileName, std::ios::binary);
        if (!in_) return;
        in_.seekg(0, std::ios::end);
        size_ = static_cast<std::uint64_t>(std::max<std::streamoff>(0, in_.tellg()));
    }

    // The section's bytes, or nothing when the file is no ELF or lacks it.
    std::string Section(const std::string& wanted) {
        unsigned char ident[16];
        if (!Bytes(0, ident, 16) || std::memcmp(ident,
                                                "\x7F"
                                                "ELF",
                                                4) != 0)
            return {};
        wide_ = ident[4] == 2;
        big_ = ident[5] == 2;
        if ((ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2)) return {};
        const std::uint64_t shoff = wide_ ? Num(0x28, 8) : Num(0x20, 4);
        const std::uint64_t shentsize = Num(wide_ ? 0x3A : 0x2E, 2);
        const std::uint64_t shnum = Num(wide_ ? 0x3C : 0x30, 2);
        const std::uint64_t shstrndx = Num(wide_ ? 0x3E : 0x32, 2);
        if (!ok_ || shoff == 0 || shnum == 0 || shstrndx >= shnum || shentsize < (wide_ ? 64u : 40u))
            return {};
        if (shoff > size_ || shnum * shentsize > size_ - shoff) return {};
        const std::uint64_t strOff = Field(shoff + shstrndx * shentsize, 4);
        const std::uint64_t strSize = Field(shoff + shstrndx * shentsize, 5);
        for (std::uint64_t i = 0; i < shnum && ok_; ++i) {
            const std::uint64_t sh = shoff + i * shentsize;
            const std::uint64_t nameOff = Num(sh, 4);
            if (nameOff >= strSize) continue;
            if (Text(strOff + nameOff, std::min<std::uint64_t>(strSize - nameOff, 256)) != wanted) continue;
            if (Num(sh + 4, 4) == 8) return {}; // no bits in the file
            const std::uint64_t off = Field(sh, 4), len = Field(sh, 5);
            if (len > 65536 || off > size_ || len > size_ - off) return {};
            std::string data(len, '\0');
            if (!Bytes(off, data.data(), len)) return {};
            return data;
        }
        return {};
    }

private:
    bool Bytes(std::uint64_t off, void* out, std::uint64_t len) {
        if (off > size_ || len > size_ - off) return ok_ = false;
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(off));
        in_.read(static_cast<char*>(out), static_cast<std::streamsize>(len));
        return ok_ = static_cast<bool>(in_);
    }
    std::uint64_t Num(std::uint64_t off, int len) {
        unsigned char b[8] = {};
        if (!Bytes(off, b, static_cast<std::uint64_t>(len))) return 0;
        std::uint64_t v = 0;
        for (int i = 0; i < len; ++i)
            v |= static_cast<std::uint64_t>(b[big_ ? len - 1 - i : i]) << (8 * i);
        return v;
    }
    // Field k of a section header: 4 = offset, 5 = size.
    std::uint64_t Field(std::uint64_t sh, int k) {
        if (wide_) return k == 4 ? Num(sh + 0x18, 8) : Num(sh + 0x20, 8);
        return k == 4 ? Num(sh + 0x10, 4) : Num(sh + 0x14, 4);
    }
    std::string Text(std::uint64_t off, std::uint64_t max) {
        std::string s(max, '\0');
        if (!Bytes(off, s.data(), max)) {
            ok_ = true; // a name running to the end of the file is simply not ours
            return {};
        }
        return s.substr(0, s.find('\0'));
    }

    std::ifstream in_;
    std::uint64_t size_ = 0;
    bool wide_ = false, big_ = false, ok_ = true;
};

void SetNamed(TVersionInfo& info, const std::string& name, const std::string& value) {
    struct Entry {
        const char* name;
        std::string TVersionInfo::*field;
    };
    static const Entry entries[] = {
        {"Comment", &TVersionInfo::Comment},
        {"CompanyName", &TVersionInfo::CompanyName},
        {"FileDescription", &TVersionInfo::FileDescription},
        {"InternalName", &TVersionInfo::InternalName},
        {"LegalCopyright", &TVersionInfo::LegalCopyright},
        {"LegalTradeMarks", &TVersionInfo::LegalTradeMarks},
        {"OriginalFileName", &TVersionInfo::OriginalFileName},
        {"PrivateBuild", &TVersionInfo::PrivateBuild},
        {"ProductName", &TVersionInfo::ProductName},
        {"ProductVersion", &TVersionInfo::ProductVersion},
        {"SpecialBuild", &TVersionInfo::SpecialBuild},
    };
    for (const Entry& e : entries)
        if (base::SameText(e.name, name)) info.*e.field = value;
}

} // namespace

TVersionResource::TVersionResource() : TVersionResource("/proc/self/exe") {}

TVersionResource::TVersionResource(std::string fileName) : fileName_(std::move(fileName)) {
    Read();
}

void TVersionResource::SetFileName(const std::string& fileName) {
    fileName_ = fileName;
    Read();
}

void TVersionResource::SetLanguage(version::TLanguage language) {
    language_ = language;
    Read();
}

void TVersionResource::SetCharacterSet(version::TCharacterSet characterSet) {
    characterSet_ = characterSet;
    Read();
}

void TVersionResource::Read() {
    info_ = TVersionInfo();
    std::string text = ElfReader(fileName_).Section(VersionSection);
    text = text.substr(0, text.find('\0'));
    std::istringstream lines(text);
    std::string line;
    bool first = true;
    while (std::getline(lines, line)) {
        line = base::Trim(line);
        const std::size_t eq = line.find('=');
        if (first && eq == std::string::npos) {
            info_.FileVersion = line;
            info_.ProductVersion = line;
        } else if (eq != std::string::npos) {
            SetNamed(info_, base::Trim(line.substr(0, eq)), base::Trim(line.substr(eq + 1)));
        }
        first = false;
    }
    if (!info_.FileVersion.empty()) info_.FileOS = "Linux";
}

std::string FileVersionOf(const std::string& fileName) {
    static std::mutex mutex;
    static TVersionResource shared;
    std::lock_guard lock(mutex);
    shared.SetFileName(fileName);
    return shared.VersionInfo().FileVersion;
}

namespace {

bool AllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// <0, 0, >0 for two parts: numbers by value (of any length), other parts as bytes.
int ComparePart(const std::string& a, const std::string& b) {
    if (AllDigits(a) && AllDigits(b)) {
        const std::string x = a.substr(std::min(a.find_first_not_of('0'), a.size()));
        const std::string y = b.substr(std::min(b.find_first_not_of('0'), b.size()));
        if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
        return x.compare(y);
    }
    return a.compare(b);
}

std::string Part(const std::string& s, int n) {
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) {
        const std::size_t p = s.find('.', start);
        if (p == std::string::npos) return {};
        start = p + 1;
    }
    return s.substr(start, s.find('.', start) - start);
}

} // namespace

int CompareVersions(const std::string& a, const std::string& b) {
    for (int n = 1;; ++n) {
        const std::string pa = Part(a, n), pb = Part(b, n);
        if (pa.empty() || pb.empty()) {
            if (pa.empty() && pb.empty()) return 0;
            return pb.empty() ? 1 : 2;
        }
        const int c = ComparePart(pa, pb);
        if (c != 0) return c < 0 ? 2 : 1;
    }
}

double DateTimeFromUnix(double seconds) {
    const std::time_t whole = static_cast<std::time_t>(std::floor(seconds));
    std::tm local{};
    localtime_r(&whole, &local);
    const double days = base::ToDateTime(base::Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
    const double secs =
        local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + (seconds - std::floor(seconds));
    return days + secs / 86400.0;
}

bool IsValidFileDate(double dateTime) {
    return std::isfinite(dateTime) && dateTime >= -657434.0 && dateTime < 2958466.0;
}

double UnixFromDateTime(double dateTime) {
    if (!IsValidFileDate(dateTime)) throw base::Exception("Invalid date-time value");
    const double dayPart = std::floor(dateTime);
    const double secs = std::round((dateTime - dayPart) * 86400.0 * 1000.0) / 1000.0;
    const base::Date date = base::FromDateTime(dayPart);
    std::tm local{};
    local.tm_year = date.Year - 1900;
    local.tm_mon = date.Month - 1;
    local.tm_mday = date.Day;
    const double whole = std::floor(secs);
    local.tm_hour = static_cast<int>(whole) / 3600;
    local.tm_min = static_cast<int>(whole) / 60 % 60;
    local.tm_sec = static_cast<int>(whole) % 60;
    local.tm_isdst = -1;
    return static_cast<double>(std::mktime(&local)) + (secs - whole);
}

double FileDateTime(const std::string& fileName) {
    return DateTimeFromUnix(static_cast<double>(base::FileTime(fileName)) / 1e9);
}

namespace {

constexpr double OneSecond = 1.0 / 86400.0;

int ByVersion(int cmp) {
    return cmp == 0 ? 1 : cmp == 1 ? 2 : 3;
}

int ByDate(double newDate, double oldDate) {
    if (std::fabs(newDate - oldDate) <= OneSecond) return 1;
    return newDate > oldDate ? 2 : 3;
}

// A regular file that can be opened for reading. Opened without blocking, so a FIFO at the name is
// refused instead of waiting for a writer.
bool Readable(const std::string& file) {
    const base::FileHandle fd = base::FileHandle::Open(file, O_RDONLY | O_NONBLOCK);
    struct stat st {};
    return fd && ::fstat(fd.Get(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Exists(const std::string& file) {
    struct stat st {};
    return !base::Trim(file).empty() && ::stat(file.c_str(), &st) == 0;
}

} // namespace

int IsFileNewer(const std::string& newVersion, const std::string& oldFile, TOverwriteType mode,
                double newDate) {
    switch (mode) {
    case owAlways:
        return 2;
    case owNever:
        return Exists(oldFile) ? 3 : 2;
    case owVersion:
        // Something that is not a file (a FIFO, a device, a folder) has no version or date to compare.
        if (!Readable(oldFile)) return 0;
        return ByVersion(CompareVersions(newVersion, FileVersionOf(oldFile)));
    case owDate:
    case owVersionDate: {
        if (!Readable(oldFile)) return 0;
        if (mode == owVersionDate) {
            const int cmp = CompareVersions(newVersion, FileVersionOf(oldFile));
            if (cmp != 0) return ByVersion(cmp);
        }
        try {
            return ByDate(newDate, FileDateTime(oldFile));
        } catch (const base::Exception&) {
            return 0;
        }
    }
    }
    return 0;
}

int IsFileNewerByName(const std::string& newFile, const std::string& oldFile, TOverwriteType mode) {
    if (mode == owAlways || mode == owNever) return IsFileNewer("", oldFile, mode, 0);
    const std::string newVersion = FileVersionOf(newFile);
    if (mode == owVersion) return IsFileNewer(newVersion, oldFile, mode, 0);
    if (!Readable(newFile)) return 0;
    try {
        return IsFileNewer(newVersion, oldFile, mode, FileDateTime(newFile));
    } catch (const base::Exception&) {
        return 0;
    }
}

std::vector<std::string> ListIniSections(const std::string& fileName) {
    std::vector<std::string> sections;
    std::ifstream in(fileName, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        line = base::Trim(line);
        if (line.size() > 1 && line.front() == '[') sections.push_back(line.substr(1, line.size() - 2));
    }
    return sections;
}

std::string MakeUniqueName(const std::string& base,
                           const std::function<bool(const std::string&)>& trySetName) {
    for (int i = 0; i <= MaxUniqueNameTries; ++i) {
        const std::string name = i == 0 ? base : base + std::to_string(i);
        if (trySetName(name)) return name;
    }
    throw IException("Could not find a free name for %s", {base});
}

} // namespace setup
