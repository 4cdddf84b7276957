#pragma once
// The .MB file: whole 4 KiB units; a header block, sub-allocated blocks holding up to 64 small blobs in
// 16-byte chunks, and single-blob blocks for long ones. Memo text over the leader's length lives here.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace engine::codec {

inline constexpr int MbUnit = 4096;

struct PageWrite {
    std::uint64_t Offset = 0;
    std::string Data;
};

class MemoFile {
public:
    // A new file: the header block only.
    static std::string NewFileBytes();

    // Reads the block layout; DamagedFile naming the file when it is not a memo file.
    void Load(std::string bytes, const std::string& fileName);
    void Reset(); // empty file (header only)
    // The blob at a record's location with the record's length; DamagedFile when the location is not valid.
    std::string Read(std::uint32_t location, std::uint32_t length) const;

    // Stores a blob; returns the location for the record and adds the pages to write.
    std::uint32_t Store(const std::string& data, std::vector<PageWrite>& writes);
    void Free(std::uint32_t location, std::vector<PageWrite>& writes);
    std::uint64_t FileSize() const { return size_; }
    // Drops the copies of long blobs kept for Read (the table keeps its memo texts itself).
    void ReleaseData() { bigData_.clear(); }

private:
    struct Sub {
        std::string Bytes; // the whole 4 KiB block
    };
    int SubTop(const Sub& s) const;

    std::string fileName_;
    std::string raw_; // file bytes while loading (released after)
    std::uint64_t size_ = MbUnit;
    std::map<std::uint64_t, Sub> subs_;            // sub-allocated blocks by offset
    std::map<std::uint64_t, int> singles_;         // single-blob blocks: offset -> units
    std::map<std::uint64_t, int> free_;            // free blocks: offset -> units
    std::map<std::uint64_t, std::string> bigData_; // single-blob contents read at load
};

} // namespace engine::codec
