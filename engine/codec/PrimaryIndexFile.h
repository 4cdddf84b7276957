#pragma once
// The .PX file of a keyed table: level 1 holds one entry per .DB block (first key, block, record count); each
// higher level one entry per block of the level below. Laid out as other Paradox readers take it: every block
// leaves one entry free, the block chain starts at the root (then the levels below it, level 1 last), and the
// block size grows with the table so that the index keeps to two levels as long as it can (readers that
// know no deeper index then still read it). The level-1 blocks come first in the file, the levels above
// after them. Kept as a byte image in memory; an update re-encodes from the first changed block on and
// reports the byte ranges that changed.
//
// Files of older builds (2 KiB blocks filled to the last entry, chained in file order, root last) are read
// as they are; the first update lays them out anew.

#include "engine/ChunkedOrder.h"
#include "engine/codec/DbHeader.h"
#include "engine/codec/FieldCodec.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace engine::codec {

// The block sizes a .PX may have; the smallest that keeps the index to two levels is taken.
inline constexpr int PxMinBlockSize = 2048;
inline constexpr int PxMaxBlockSize = 32768;

struct ByteRange {
    std::size_t Offset = 0;
    std::size_t Length = 0;
};

class PrimaryIndexFile {
public:
    // keyFields: layouts of the leading key fields; the key is the record's first keyBytes. changeCount: the
    // .DB header's byte 0x2D, which the .PX repeats.
    void Reset(const std::vector<FieldLayout>& keyFields, const std::string& tableName,
               std::uint8_t sortOrder, std::uint8_t changeCount);
    // Re-encodes the entries from chunk `from` on (where chunks were added or removed; 0 = everything) and
    // the `touched` chunks' entries. `record(id)` gives the encoded record of a row. `known(id)`, when
    // given, gives it only when it is in memory: a block whose first row is not was not written since the
    // entries were last encoded, so a shifted entry keeps the key its block had (no block is read for it).
    std::vector<ByteRange> Update(const std::vector<std::unique_ptr<Chunk>>& chunks, std::size_t from,
                                  const std::set<std::size_t>& touched,
                                  const std::function<const unsigned char*(RowId)>& record,
                                  const std::function<const unsigned char*(RowId)>& known = {});
    const std::string& Image() const { return image_; }
    // Takes the level-1 entries of `entries` .DB blocks from the disk image as they stand (blocks 1.. of the
    // file, as Update lays them out); false when the image is not laid out so.
    bool AdoptLevel1(std::size_t entries);
    // Whether the header and the levels above level 1 are what the level-1 entries make: the file is one
    // this engine wrote, not a stale or foreign one.
    bool UpperLevelsMatch();
    // The records under all level-1 entries (after AdoptLevel1 or Update).
    std::uint64_t Records() const {
        std::uint64_t n = 0;
        for (const std::uint32_t sum : pageSums_)
            n += sum;
        return n;
    }
    // The records before every EntryGroup-th level-1 entry (0, EntryGroup, ...), as AdoptLevel1 added them
    // up (taken once): a row's entry is found by adding up at most EntryGroup - 1 counts.
    static constexpr std::size_t EntryGroup = 32;
    std::vector<RowId> TakeEntryFirst() { return std::move(entryFirst_); }
    // The .DB block and record count of level-1 entry i (after AdoptLevel1 or Update): Paradox shorts,
    // big-endian with the sign bit flipped.
    std::uint16_t EntryBlock(std::size_t i) const { return EntryShort(i, 0); }
    std::uint16_t EntryCount(std::size_t i) const { return EntryShort(i, 2); }
    // The key of level-1 entry i: the first key of that .DB block, as the record's leading bytes.
    const unsigned char* EntryKey(std::size_t i) const {
        return PageEntries(i / perPage_) + (i % perPage_) * static_cast<std::size_t>(entryBytes_);
    }
    std::size_t Entries() const { return entries_; }
    // The bytes of the file as they are on disk, so the next update reports only what differs.
    void SetDiskImage(std::string bytes) {
        TakeLevel1();
        image_ = std::move(bytes);
    }
    // Another process wrote these bytes into the file (or cut it to this size).
    void PatchDiskImage(std::size_t offset, const std::string& bytes) {
        TakeLevel1();
        if (image_.size() < offset + bytes.size()) image_.resize(offset + bytes.size(), '\0');
        image_.replace(offset, bytes.size(), bytes);
    }
    void ResizeDiskImage(std::size_t size) {
        TakeLevel1();
        image_.resize(size, '\0');
    }

private:
    // The entries of level-1 page `page`, one after another.
    const unsigned char* PageEntries(std::size_t page) const {
        const auto* base = reinterpret_cast<const unsigned char*>(adopted_ ? image_.data() : level1_.data());
        return adopted_ ? base + HeaderBytes + page * static_cast<std::size_t>(blockSize_) + 6
                        : base + page * static_cast<std::size_t>(perPage_) * entryBytes_;
    }
    // The layout of `entries` entries: block size, entries a block holds (legacy: the older builds' full
    // 2 KiB blocks).
    void SetLayout(std::size_t entries, bool legacy);
    // Whether the adopted image's level-1 page heads fit the present layout; sums the pages' records.
    bool AdoptPages(std::size_t entries);
    // Adopted entries are read where the disk image holds them; before the image changes they are copied out.
    void TakeLevel1();
    std::uint16_t EntryShort(std::size_t i, int at) const {
        const unsigned char* p = EntryKey(i) + keyBytes_ + at;
        return static_cast<std::uint16_t>(((p[0] << 8) | p[1]) ^ 0x8000);
    }
    // The header and every level-1 page's head, the `redo` pages whole, and the levels above; the ranges
    // that changed.
    std::vector<ByteRange> EncodeAbove(const std::vector<bool>& redo);
    std::string EncodeHeader(std::uint32_t entries, std::uint16_t blocks, std::uint16_t root,
                             std::uint16_t first, std::uint16_t last, int levels) const;

    std::vector<FieldLayout> keyFields_;
    std::string tableName_;
    std::uint8_t sortOrder_ = 0x6F;
    std::uint8_t changeCount_ = 2;
    int keyBytes_ = 0;
    int entryBytes_ = 0;
    int blockSize_ = PxMinBlockSize;
    int perPage_ = 0;     // entries written to a block, of every level
    bool legacy_ = false; // the image has the older builds' layout (until the next update)
    std::string image_;
    std::string level1_;                  // level-1 entries one after another (pages without their headers)
    bool adopted_ = false;                // ... or still in the disk image, as AdoptLevel1 found them
    std::vector<std::uint32_t> pageSums_; // records under each level-1 page
    std::vector<RowId> entryFirst_;       // records before every EntryGroup-th entry, after AdoptLevel1
    std::size_t entries_ = 0;
};

} // namespace engine::codec
