#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace setup {

// The archive's directory: a 5-byte head (signed 32-bit record count, layout byte) and 164-byte
// records, all little-endian. Positions in a record are relative to the base of its own volume file.
inline constexpr std::size_t ArchiveHeadSize = 5;
inline constexpr std::size_t FileHeaderSize = 164;
inline constexpr std::size_t MaxSourceNameBytes = 100;
inline constexpr std::size_t MaxFileVersionBytes = 20;
inline constexpr const char* CorruptArchiveText =
    "Could not read the file headers for the compressed file. The Archive file could possible be corrupt";
// Positions and sizes are signed 32-bit in the format.
inline constexpr std::uint64_t MaxArchiveBytes = 0x7FFFFFFF;

class TFileHeader {
public:
    bool Valid = false; // read from an archive, as opposed to just filled from a file on disk

    std::int32_t FileNumber = 0;
    double FileDate = 0;
    std::uint8_t EndVolume = 0;
    std::uint32_t LastDataByte = 0;
    std::string SourceName;
    std::uint32_t NextHeader = 0;
    std::uint32_t FileSize = 0;
    std::uint32_t DataStart = 0;
    std::uint32_t CompressedSize = 0;
    std::uint8_t StartVolume = 0;
    std::string FileVersion;

    using Bytes = std::array<unsigned char, FileHeaderSize>;
    Bytes Encode() const;
    // Length bytes beyond 100 and 20 are clamped, so a hostile record never reads past its field.
    static TFileHeader Decode(const Bytes& bytes);

    // Fills the record from a list entry ("path;…"): name, date, size and version of the file. Refuses a
    // name over 100 bytes and a file over 2 GiB (EDrvnCompress); "Ne mogu otvoriti datoteku %s".
    void FillFromFile(const std::string& entry);
};

// The 5-byte head: record count and layout byte.
std::array<unsigned char, ArchiveHeadSize> EncodeHead(std::uint32_t count, std::uint8_t layout);

// The key of a list entry: its first ";" field.
std::string EntryKey(const std::string& entry);

class TFileHeaders {
public:
    std::uint8_t MultiVolume = 0;

    int Count() const { return static_cast<int>(items_.size()); }
    // "%d je pogrešan TFileHeader indeks u TFileHeaders.GetFileHeaders" for a bad index. The writable
    // form drops the name index and the totals, rebuilt on their next use.
    TFileHeader& GetFileHeaders(int index);
    const TFileHeader& GetFileHeaders(int index) const;
    void Add(const TFileHeader& header);
    void Clear();
    // New records for the entries, numbered 1, 2, … in list order; clears the list first unless appending.
    void AddFromList(const std::vector<std::string>& list, bool append);
    // The first record whose SourceName equals the entry's key, ignoring case; -1 when absent. Looked
    // up in an index of the upper-cased names, so a lookup costs the same in any archive.
    int IndexOfEntry(const std::string& entry) const;

    // Reads the directory of the archive open on fd whose first byte is at base. Every structural fault
    // (short file, impossible count, record or data outside the file) raises EDrvnCompress "Could not
    // read the file headers for the compressed file. The Archive file could possible be corrupt".
    void ReadFromStream(int fd, std::uint64_t base);
    // Writes the head and every record one after another from base (the volume-set layout).
    bool WriteToStream(int fd, std::uint64_t base) const;

    std::uint64_t TotalSize() const;
    std::uint64_t TotalCompressed() const;

private:
    void Invalidate();
    void Refresh() const;
    void Index(int position) const;

    std::vector<TFileHeader> items_;
    // Kept with the records; rebuilt lazily after writable access.
    mutable std::unordered_map<std::string, int> byName_;
    mutable std::uint64_t totalSize_ = 0, totalCompressed_ = 0;
    mutable bool fresh_ = true;
};

} // namespace setup
