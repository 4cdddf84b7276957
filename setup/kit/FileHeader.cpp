#include "setup/kit/FileHeader.h"

#include "base/FileIo.h"
#include "base/Text.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/LittleEndian.h"
#include "setup/kit/Version.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace setup {

namespace {

void PutShort(unsigned char* p, const std::string& s, std::size_t max) {
    const std::size_t n = std::min(s.size(), max);
    p[0] = static_cast<unsigned char>(n);
    std::memcpy(p + 1, s.data(), n);
}

std::string GetShort(const unsigned char* p, std::size_t max) {
    const std::size_t n = std::min<std::size_t>(p[0], max);
    return std::string(reinterpret_cast<const char*>(p + 1), n);
}

} // namespace

TFileHeader::Bytes TFileHeader::Encode() const {
    Bytes b{};
    Put32(&b[0], static_cast<std::uint32_t>(FileNumber));
    std::uint64_t date;
    static_assert(sizeof date == sizeof FileDate);
    std::memcpy(&date, &FileDate, sizeof date);
    for (int i = 0; i < 8; ++i)
        b[4 + static_cast<std::size_t>(i)] = static_cast<unsigned char>(date >> (8 * i));
    b[12] = EndVolume;
    Put32(&b[16], LastDataByte);
    PutShort(&b[20], SourceName, MaxSourceNameBytes);
    Put32(&b[124], NextHeader);
    Put32(&b[128], FileSize);
    Put32(&b[132], DataStart);
    Put32(&b[136], CompressedSize);
    b[140] = StartVolume;
    PutShort(&b[141], FileVersion, MaxFileVersionBytes);
    return b;
}

TFileHeader TFileHeader::Decode(const Bytes& b) {
    TFileHeader h;
    h.FileNumber = static_cast<std::int32_t>(Get32(&b[0]));
    std::uint64_t date = 0;
    for (int i = 0; i < 8; ++i)
        date |= static_cast<std::uint64_t>(b[4 + static_cast<std::size_t>(i)]) << (8 * i);
    std::memcpy(&h.FileDate, &date, sizeof date);
    h.EndVolume = b[12];
    h.LastDataByte = Get32(&b[16]);
    h.SourceName = GetShort(&b[20], MaxSourceNameBytes);
    h.NextHeader = Get32(&b[124]);
    h.FileSize = Get32(&b[128]);
    h.DataStart = Get32(&b[132]);
    h.CompressedSize = Get32(&b[136]);
    h.StartVolume = b[140];
    h.FileVersion = GetShort(&b[141], MaxFileVersionBytes);
    return h;
}

std::array<unsigned char, ArchiveHeadSize> EncodeHead(std::uint32_t count, std::uint8_t layout) {
    std::array<unsigned char, ArchiveHeadSize> head{};
    Put32(head.data(), count);
    head[4] = layout;
    return head;
}

std::string EntryKey(const std::string& entry) {
    return Field(entry, 1, ';');
}

void TFileHeader::FillFromFile(const std::string& entry) {
    const std::string name = EntryKey(entry);
    if (name.size() > MaxSourceNameBytes)
        throw EDrvnCompress(
            FormatText("Naziv datoteke %s je predug za arhivu (najviše 100 bajtova)", {name}));
    const base::FileHandle fd = base::FileHandle::Open(name, O_RDONLY | O_NONBLOCK);
    struct stat st {};
    if (!fd || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw EDrvnCompress(FormatText("Ne mogu otvoriti datoteku %s", {name}));
    if (static_cast<std::uint64_t>(st.st_size) > MaxArchiveBytes)
        throw EDrvnCompress(FormatText("Datoteka %s je prevelika za arhivu (najviše 2 GB)", {name}));
    Valid = false;
    SourceName = name;
    FileSize = static_cast<std::uint32_t>(st.st_size);
    FileDate = DateTimeFromUnix(static_cast<double>(st.st_mtim.tv_sec) + st.st_mtim.tv_nsec / 1e9);
    FileVersion = CutBytes(FileVersionOf(name), MaxFileVersionBytes);
}

namespace {

[[noreturn]] void BadIndex(int index) {
    throw EDrvnCompress(
        FormatText("%d je pogrešan TFileHeader indeks u TFileHeaders.GetFileHeaders", {index}));
}

} // namespace

TFileHeader& TFileHeaders::GetFileHeaders(int index) {
    if (index < 0 || index >= Count()) BadIndex(index);
    Invalidate();
    return items_[static_cast<std::size_t>(index)];
}

const TFileHeader& TFileHeaders::GetFileHeaders(int index) const {
    if (index < 0 || index >= Count()) BadIndex(index);
    return items_[static_cast<std::size_t>(index)];
}

void TFileHeaders::Add(const TFileHeader& header) {
    if (base::Trim(header.SourceName).empty()) throw EDrvnCompress("Pokušano je dodati krivu glavu datoteke");
    items_.push_back(header);
    if (fresh_) Index(Count() - 1);
}

void TFileHeaders::Clear() {
    items_.clear();
    byName_.clear();
    totalSize_ = totalCompressed_ = 0;
    fresh_ = true;
}

void TFileHeaders::Invalidate() {
    fresh_ = false;
}

void TFileHeaders::Index(int position) const {
    const TFileHeader& h = items_[static_cast<std::size_t>(position)];
    byName_.emplace(base::UpperCase(h.SourceName), position); // the first of equal names wins
    totalSize_ += h.FileSize;
    totalCompressed_ += h.CompressedSize;
}

void TFileHeaders::Refresh() const {
    if (fresh_) return;
    byName_.clear();
    totalSize_ = totalCompressed_ = 0;
    for (int i = 0; i < Count(); ++i)
        Index(i);
    fresh_ = true;
}

void TFileHeaders::AddFromList(const std::vector<std::string>& list, bool append) {
    if (!append) Clear();
    std::int32_t number = 0;
    for (const std::string& entry : list) {
        TFileHeader h;
        h.FillFromFile(entry);
        h.FileNumber = ++number;
        Add(h);
    }
}

int TFileHeaders::IndexOfEntry(const std::string& entry) const {
    Refresh();
    const auto it = byName_.find(base::UpperCase(EntryKey(entry)));
    return it == byName_.end() ? -1 : it->second;
}

namespace {

// A volume-set record whose data cannot lie where it says: before the directory or beyond volume 1,
// or ending on an earlier volume than it starts.
bool BadVolumeRecord(const TFileHeader& h, std::uint64_t count, std::uint64_t avail) {
    const int start = std::max<int>(h.StartVolume, 1), end = std::max<int>(h.EndVolume, 1);
    const std::uint64_t directoryEnd = ArchiveHeadSize + count * FileHeaderSize;
    if (start > end || h.CompressedSize == 0) return true;
    if (start == 1 && (h.DataStart < directoryEnd || h.DataStart > avail)) return true;
    return end == 1 && (h.LastDataByte < h.DataStart || h.LastDataByte >= avail);
}

} // namespace

void TFileHeaders::ReadFromStream(int fd, std::uint64_t base) {
    Clear();
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<std::uint64_t>(st.st_size) < base + ArchiveHeadSize)
        throw EDrvnCompress(CorruptArchiveText);
    const std::uint64_t avail = static_cast<std::uint64_t>(st.st_size) - base;
    unsigned char head[ArchiveHeadSize];
    if (!base::ReadExactlyAt(fd, head, sizeof head, base)) throw EDrvnCompress(CorruptArchiveText);
    const std::int32_t count = static_cast<std::int32_t>(Get32(head));
    MultiVolume = head[4];
    if (count < 0 || MultiVolume > 1 || static_cast<std::uint64_t>(count) * FileHeaderSize > avail)
        throw EDrvnCompress(CorruptArchiveText);
    std::uint64_t pos = ArchiveHeadSize;
    for (std::int32_t i = 0; i < count; ++i) {
        TFileHeader::Bytes bytes;
        if (pos < ArchiveHeadSize || pos + FileHeaderSize > avail ||
            !base::ReadExactlyAt(fd, bytes.data(), bytes.size(), base + pos))
            throw EDrvnCompress(CorruptArchiveText);
        TFileHeader h = TFileHeader::Decode(bytes);
        h.Valid = true;
        const std::uint64_t dataEnd = std::uint64_t(h.DataStart) + h.CompressedSize;
        const bool badData = MultiVolume == 0 ? (h.DataStart < pos + FileHeaderSize || dataEnd > avail ||
                                                 h.CompressedSize == 0 || h.LastDataByte != dataEnd - 1)
                                              : BadVolumeRecord(h, static_cast<std::uint64_t>(count), avail);
        // The packer never writes a member over its limit: a larger size is a damaged or hostile record.
        if (base::Trim(h.SourceName).empty() || h.NextHeader > avail || badData ||
            h.FileSize > MaxArchiveBytes)
            throw EDrvnCompress(CorruptArchiveText);
        pos = h.NextHeader;
        items_.push_back(std::move(h));
        Index(Count() - 1);
    }
}

bool TFileHeaders::WriteToStream(int fd, std::uint64_t base) const {
    const auto head = EncodeHead(static_cast<std::uint32_t>(items_.size()), MultiVolume);
    if (base::WriteAt(fd, head.data(), head.size(), base).Done != head.size()) return false;
    std::uint64_t pos = base + ArchiveHeadSize;
    for (const TFileHeader& h : items_) {
        const auto bytes = h.Encode();
        if (base::WriteAt(fd, bytes.data(), bytes.size(), pos).Done != bytes.size()) return false;
        pos += FileHeaderSize;
    }
    return true;
}

std::uint64_t TFileHeaders::TotalSize() const {
    Refresh();
    return totalSize_;
}

std::uint64_t TFileHeaders::TotalCompressed() const {
    Refresh();
    return totalCompressed_;
}

} // namespace setup
