#pragma once
// The .MB file: whole 4 KiB units; a header block, sub-allocated blocks holding up to 64 small blobs in
// 16-byte chunks, and single-blob blocks for long ones. Memo text over the leader's length lives here.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace engine::codec {

inline constexpr int MbUnit = 4096;

struct PageWrite {
    std::uint64_t Offset = 0;
    std::string Data;
};

// What a record's memo field says of its text in the .MB: where it is, its length, the modification number
// its block or slot must carry, and the leader (the text's first bytes, which the record keeps as well).
struct MemoRef {
    std::uint32_t Location = 0;
    std::uint32_t Length = 0;
    std::uint16_t Modification = 0;
    std::string_view Leader;
    bool LeaderIsCopy = false; // a memo's leader repeats the text's first bytes (a BLOb's is not checked)
    // The field's bytes: `leader` bytes, then location, length and modification number.
    static MemoRef Of(const unsigned char* field, int leader, bool leaderIsCopy);
};

class MemoFile {
public:
    // A new file: the header block only.
    static std::string NewFileBytes();

    // Reads the block layout. A file whose last block is short (other writers leave it so) reads as if
    // zero-padded to whole units. A block whose header makes no sense is passed over as one damaged unit:
    // the blobs in it do not read, the others do, and nothing is ever stored there. DamagedFile naming the
    // file only when its header block is not a memo file's.
    void Load(std::string bytes, const std::string& fileName);
    void Reset(); // empty file (header only)
    // The blob a record points to. DamagedFile when the file no longer holds it whole as the record
    // describes it: no such block or slot, another length or modification number, data that runs past the
    // block, the file's end or into another slot's, or a text whose first bytes are not the record's leader.
    std::string Read(const MemoRef& ref) const;
    // The same from the file's bytes at the location's block, without loading the file: a single-blob
    // block's first BlobBytesAt(location, length) bytes, or a sub-allocated block's 4 KiB (fewer when the
    // file ends sooner).
    static std::string ReadBlob(std::string_view block, const MemoRef& ref, const std::string& fileName);
    static std::size_t BlobBytesAt(std::uint32_t location, std::uint32_t length) {
        return (location & 0xFF) == 0xFF ? 9 + std::size_t{length} : MbUnit;
    }
    // Units passed over as damaged by Load.
    std::size_t DamagedUnits() const { return damaged_.size(); }

    // Stores a blob; returns the location for the record and adds the pages to write. The cost does not grow
    // with the file: blocks with room are kept by their room, free blocks by their size.
    std::uint32_t Store(const std::string& data, std::vector<PageWrite>& writes);
    void Free(std::uint32_t location, std::vector<PageWrite>& writes);
    std::uint64_t FileSize() const { return size_; }
    // Takes in another writer's writes to the file this layout was read from (or kept since), so the layout
    // is the file's again without reading it: whole blocks written, the heads of blocks freed, the file's new
    // size (-1 unchanged). False when a write does not fit the layout as a block it could have written (the
    // file is then read anew); the layout is of no use then.
    bool TakeIn(const std::vector<PageWrite>& writes, std::int64_t newSize);
    // Drops the copies of long blobs kept for Read (the table keeps its memo texts itself).
    void ReleaseData() { bigData_.clear(); }

private:
    struct Sub {
        std::string Bytes;  // the whole 4 KiB block
        int Room = 0;       // chunks free above the highest blob, 0 when no slot is free
        int Valid = MbUnit; // bytes the file held (a short last block holds fewer)
    };
    static int RoomOf(const Sub& s);
    // Re-files a sub-allocated block under its current room.
    void FileRoom(std::uint64_t offset, Sub& sub);
    std::uint64_t TakeFree(int units);
    void AddFree(std::uint64_t offset, int units);
    // Forgets the block at this offset, of `units` units when it is one (false when it is not).
    bool DropBlock(std::uint64_t offset, int units);

    std::string fileName_;
    std::uint64_t size_ = MbUnit;
    std::map<std::uint64_t, Sub> subs_;                 // sub-allocated blocks by offset
    std::map<int, std::set<std::uint64_t>> roomy_;      // room -> sub-allocated blocks with that room
    std::map<std::uint64_t, int> singles_;              // single-blob blocks: offset -> units
    std::map<std::uint64_t, int> free_;                 // free blocks: offset -> units
    std::map<int, std::set<std::uint64_t>> freeBySize_; // units -> free blocks of that size
    std::set<std::uint64_t> damaged_;                   // units passed over at load
    std::map<std::uint64_t, std::string> bigData_;      // single-blob contents read at load
    std::map<std::uint64_t, std::uint16_t> bigMods_;    // and their modification numbers
};

} // namespace engine::codec
