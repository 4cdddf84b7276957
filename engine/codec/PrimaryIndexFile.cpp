#include "engine/codec/PrimaryIndexFile.h"

#include "engine/codec/Bytes.h"
#include "engine/codec/DbHeader.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace engine::codec {
namespace {

void PutShort(unsigned char* p, std::int64_t v) {
    EncodeInt(v, p, 2);
}

struct Entry {
    const unsigned char* Key;
    std::uint32_t Block;
    std::uint32_t Count;
};

} // namespace

void PrimaryIndexFile::Reset(const std::vector<FieldLayout>& keyFields, const std::string& tableName,
                             std::uint8_t sortOrder, std::uint8_t changeCount) {
    changeCount_ = changeCount;
    keyFields_ = keyFields;
    tableName_ = tableName;
    sortOrder_ = sortOrder;
    keyBytes_ = 0;
    for (const auto& f : keyFields_)
        keyBytes_ += f.Bytes;
    entryBytes_ = keyBytes_ + 6;
    image_.clear();
    level1_.clear();
    adopted_ = false;
    pageSums_.clear();
    entries_ = 0;
    SetLayout(0, false);
}

void PrimaryIndexFile::SetLayout(std::size_t entries, bool legacy) {
    legacy_ = legacy;
    if (legacy) {
        blockSize_ = PxMinBlockSize;
        perPage_ = std::max(1, (blockSize_ - 6) / entryBytes_);
        return;
    }
    // One entry of each block is left free, as real files do. An index of one block, or of level-1 blocks
    // that one root block holds, is two levels at most.
    for (blockSize_ = PxMinBlockSize;; blockSize_ *= 2) {
        perPage_ = std::max(2, (blockSize_ - 6) / entryBytes_ - 1);
        const std::size_t pages = (entries + perPage_ - 1) / perPage_;
        if (pages <= static_cast<std::size_t>(perPage_) || blockSize_ == PxMaxBlockSize) break;
    }
}

void PrimaryIndexFile::TakeLevel1() {
    if (!adopted_) return;
    const std::size_t pageBytes = static_cast<std::size_t>(perPage_) * entryBytes_;
    const std::size_t pages1 = (entries_ + perPage_ - 1) / perPage_;
    std::string level1;
    level1.reserve(pages1 * pageBytes);
    for (std::size_t page = 0; page < pages1; ++page) {
        const std::size_t count = std::min<std::size_t>(perPage_, entries_ - page * perPage_);
        level1.append(reinterpret_cast<const char*>(PageEntries(page)), count * entryBytes_);
        level1.append(pageBytes - count * entryBytes_, '\0');
    }
    level1_ = std::move(level1);
    adopted_ = false;
}

std::string PrimaryIndexFile::EncodeHeader(std::uint32_t entries, std::uint16_t blocks, std::uint16_t root,
                                           std::uint16_t first, std::uint16_t last, int levels) const {
    std::string b(HeaderBytes, '\0');
    auto* p = Bytes(b);
    PutU16(p + 0x00, static_cast<std::uint16_t>(entryBytes_));
    PutU16(p + 0x02, HeaderBytes);
    p[0x04] = 1;
    p[0x05] = static_cast<unsigned char>(blockSize_ / 1024);
    PutU32(p + 0x06, entries);
    PutU16(p + 0x0A, blocks);
    PutU16(p + 0x0C, blocks);
    PutU16(p + 0x0E, first);
    PutU16(p + 0x10, last);
    PutU16(p + 0x12, 17);
    PutU16(p + 0x1E, root);
    p[0x20] = static_cast<unsigned char>(levels);
    PutU16(p + 0x21, static_cast<std::uint16_t>(keyFields_.size()));
    p[0x29] = sortOrder_;
    p[0x2C] = changeCount_;
    p[0x39] = 0x0C;
    PutU16(p + 0x3A, blocks);
    PutU32(p + 0x49, 1);
    std::size_t pos = 0x58;
    for (const auto& f : keyFields_) {
        p[pos++] = f.Code;
        p[pos++] = f.SizeByte;
    }
    pos += 4;
    std::memcpy(p + pos, tableName_.data(), std::min<std::size_t>(tableName_.size(), 260));
    pos += 261;
    PutU16(p + 0x51, static_cast<std::uint16_t>(pos));
    return b;
}

std::vector<ByteRange> PrimaryIndexFile::Update(const std::vector<std::unique_ptr<Chunk>>& chunks,
                                                std::size_t from, const std::set<std::size_t>& touched,
                                                const std::function<const unsigned char*(RowId)>& record,
                                                const std::function<const unsigned char*(RowId)>& known) {
    TakeLevel1();
    const std::size_t n = chunks.size();
    // A file of an older build, or one whose block size no longer fits the count, is laid out anew whole.
    const int oldBlockSize = blockSize_;
    const bool wasLegacy = legacy_;
    SetLayout(n, false);
    if (wasLegacy || blockSize_ != oldBlockSize) from = 0;
    const std::size_t pageBytes = static_cast<std::size_t>(perPage_) * entryBytes_;
    const std::size_t pages1 = (n + perPage_ - 1) / perPage_;
    // Nothing shifted when `from` is past the end and the count stayed: only the touched entries are
    // encoded again (the last page's other entries would need their blocks read for nothing).
    const bool shifted = from < n || n != entries_;
    const std::size_t fromPage = shifted ? std::min(from / perPage_, pages1) : pages1;

    // The keys the entries had, by block, for shifted entries whose rows are not in memory.
    std::string oldLevel1;
    std::vector<std::uint32_t> oldEntryOf; // block -> old entry + 1 (0: none)
    if (known && shifted) {
        oldLevel1 = level1_;
        oldEntryOf.assign(std::size_t{UINT16_MAX} + 1, 0);
        for (std::size_t i = 0; i < entries_; ++i)
            oldEntryOf[EntryBlock(i)] = static_cast<std::uint32_t>(i + 1);
    }
    auto firstKey = [&](const Chunk& c) -> const unsigned char* {
        if (known) {
            if (const unsigned char* rec = known(c.Front())) return rec;
            if (const std::uint32_t e = oldEntryOf.empty() ? 0 : oldEntryOf[c.Block]; e > 0) {
                const std::size_t i = e - 1;
                return Bytes(oldLevel1) + i * entryBytes_;
            }
        }
        return record(c.Front());
    };

    // Level 1: re-encode the pages from the first shifted entry on, and the pages of entries that changed.
    level1_.resize(pages1 * pageBytes);
    pageSums_.resize(pages1);
    entries_ = n;
    std::vector<bool> redo(pages1, false);
    for (std::size_t page = fromPage; page < pages1; ++page)
        redo[page] = true;
    for (std::size_t i : touched)
        if (i / perPage_ < pages1) redo[i / perPage_] = true;
    auto encodeEntry = [&](std::size_t i) {
        auto* out = Bytes(level1_) + i * entryBytes_;
        const Chunk& c = *chunks[i];
        std::memcpy(out, firstKey(c), keyBytes_);
        PutShort(out + keyBytes_, c.Block);
        PutShort(out + keyBytes_ + 2, static_cast<std::int64_t>(c.Count()));
        PutShort(out + keyBytes_ + 4, 0);
    };
    for (std::size_t page = 0; page < pages1; ++page) {
        if (!redo[page]) continue;
        const std::size_t end = std::min(n, (page + 1) * perPage_);
        if (page < fromPage) {
            // Nothing shifted here: only the touched entries change (the others' rows need not be read).
            for (std::size_t i : touched)
                if (i >= page * perPage_ && i < end) encodeEntry(i);
        } else {
            std::memset(Bytes(level1_) + page * pageBytes, 0, pageBytes);
            for (std::size_t i = page * perPage_; i < end; ++i)
                encodeEntry(i);
        }
        std::uint32_t sum = 0;
        for (std::size_t i = page * perPage_; i < end; ++i)
            sum += EntryCount(i);
        pageSums_[page] = sum;
    }
    return EncodeAbove(redo);
}

bool PrimaryIndexFile::UpperLevelsMatch() {
    const std::size_t pages1 = (entries_ + perPage_ - 1) / perPage_;
    return EncodeAbove(std::vector<bool>(pages1, false)).empty();
}

std::vector<ByteRange> PrimaryIndexFile::EncodeAbove(const std::vector<bool>& redo) {
    const std::size_t n = entries_;
    const std::size_t per = static_cast<std::size_t>(perPage_);
    const std::size_t bs = static_cast<std::size_t>(blockSize_);
    const std::size_t pages1 = redo.size();

    // Higher levels, each one entry per page of the level below, until one page holds them all.
    std::vector<std::vector<Entry>> levels;
    // The first key of every level-1 page, copied: the image may move while the levels above are written.
    std::string pageKeys(pages1 * keyBytes_, '\0');
    {
        std::vector<Entry> below;
        for (std::size_t page = 0; page < pages1; ++page) {
            auto* key = Bytes(pageKeys) + page * keyBytes_;
            std::memcpy(key, PageEntries(page), keyBytes_);
            below.push_back({key, static_cast<std::uint32_t>(page + 1), pageSums_[page]});
        }
        std::uint32_t nextBlock = static_cast<std::uint32_t>(pages1) + 1;
        while (below.size() > 1) {
            std::vector<Entry> level;
            for (std::size_t i = 0; i < below.size(); i += per) {
                std::uint32_t sum = 0;
                for (std::size_t k = i; k < std::min(below.size(), i + per); ++k)
                    sum += below[k].Count;
                level.push_back({below[i].Key, nextBlock++, sum});
            }
            levels.push_back(below);
            below = level;
        }
    }
    // `levels` holds the entries of levels 2.. (as their children lists); encode their pages, the blocks
    // after level 1's in the file, level by level up to the root.
    std::size_t totalEntries = n;
    std::uint32_t blocks = static_cast<std::uint32_t>(pages1);
    std::vector<std::string> upperPages;
    std::vector<std::size_t> levelStart; // the first upper page of each level (2, 3, ...), and the end
    for (const auto& children : levels) {
        levelStart.push_back(upperPages.size());
        for (std::size_t i = 0; i < children.size(); i += per) {
            std::string page(per * entryBytes_, '\0');
            auto* out = Bytes(page);
            for (std::size_t k = i; k < std::min(children.size(), i + per); ++k) {
                std::memcpy(out, children[k].Key, keyBytes_);
                PutShort(out + keyBytes_, children[k].Block);
                PutShort(out + keyBytes_ + 2, children[k].Count);
                PutShort(out + keyBytes_ + 4, 0);
                out += entryBytes_;
                ++totalEntries;
            }
            upperPages.push_back(std::move(page));
        }
    }
    levelStart.push_back(upperPages.size());
    blocks += static_cast<std::uint32_t>(upperPages.size());
    const int levelCount = n == 0 ? 0 : static_cast<int>(levels.size()) + 1;
    const std::uint16_t root = static_cast<std::uint16_t>(blocks == 0 ? 1 : blocks);

    // The chain: the older builds' in file order; else from the root down, each level's blocks in order,
    // level 1 last (a reader that walks the chain takes its first block for the root).
    std::vector<std::uint32_t> chain;
    chain.reserve(blocks);
    if (legacy_) {
        for (std::uint32_t b = 1; b <= blocks; ++b)
            chain.push_back(b);
    } else {
        for (std::size_t level = levels.size(); level-- > 0;)
            for (std::size_t page = levelStart[level]; page < levelStart[level + 1]; ++page)
                chain.push_back(static_cast<std::uint32_t>(pages1 + 1 + page));
        for (std::uint32_t b = 1; b <= pages1; ++b)
            chain.push_back(b);
    }
    std::vector<std::uint16_t> next(blocks + 1, 0), prev(blocks + 1, 0);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (i + 1 < chain.size()) next[chain[i]] = static_cast<std::uint16_t>(chain[i + 1]);
        if (i > 0) prev[chain[i]] = static_cast<std::uint16_t>(chain[i - 1]);
    }

    // Patch the image in place and note every range that changed.
    std::vector<ByteRange> changed;
    const std::size_t oldSize = image_.size();
    const std::size_t newSize = HeaderBytes + static_cast<std::size_t>(blocks) * bs;
    image_.resize(newSize, '\0');
    auto put = [&](std::size_t off, const unsigned char* data, std::size_t len) {
        if (off + len <= oldSize) {
            // Only the bytes that differ from what the file holds are written.
            const auto* old = Bytes(image_) + off;
            std::size_t first = 0, last = len;
            while (first < len && old[first] == data[first])
                ++first;
            if (first == len) return;
            while (old[last - 1] == data[last - 1])
                --last;
            off += first;
            data += first;
            len = last - first;
        }
        std::memcpy(Bytes(image_) + off, data, len);
        if (!changed.empty() && changed.back().Offset + changed.back().Length == off)
            changed.back().Length += len;
        else
            changed.push_back({off, len});
    };
    {
        const std::string header =
            EncodeHeader(static_cast<std::uint32_t>(totalEntries), static_cast<std::uint16_t>(blocks), root,
                         static_cast<std::uint16_t>(chain.empty() ? 0 : chain.front()),
                         static_cast<std::uint16_t>(chain.empty() ? 0 : chain.back()), levelCount);
        std::size_t first = 0;
        while (first < header.size() && first < oldSize && header[first] == image_[first])
            ++first;
        std::size_t last = header.size();
        while (last > first && last <= oldSize && header[last - 1] == image_[last - 1])
            --last;
        if (last > first) put(first, Bytes(header) + first, last - first);
    }
    std::string block(bs, '\0');
    auto encodeBlock = [&](std::uint32_t number, const unsigned char* entries, std::size_t count,
                           bool headOnly) {
        auto* b = Bytes(block);
        PutU16(b, next[number]);
        PutU16(b + 2, prev[number]);
        PutU16(b + 4, static_cast<std::uint16_t>(count == 0 ? -entryBytes_ : (count - 1) * entryBytes_));
        const std::size_t off = HeaderBytes + (number - 1) * bs;
        if (headOnly) return put(off, b, 6);
        std::memset(b + 6, 0, bs - 6);
        std::memcpy(b + 6, entries, count * entryBytes_);
        put(off, b, bs);
    };
    for (std::size_t page = 0; page < pages1; ++page) {
        const std::size_t count = std::min(per, n - page * per);
        const bool headOnly = !redo[page] && HeaderBytes + (page + 1) * bs <= oldSize;
        encodeBlock(static_cast<std::uint32_t>(page + 1), PageEntries(page), count, headOnly);
    }
    for (std::size_t level = 0; level < levels.size(); ++level)
        for (std::size_t page = levelStart[level]; page < levelStart[level + 1]; ++page) {
            const std::size_t count = std::min(per, levels[level].size() - (page - levelStart[level]) * per);
            encodeBlock(static_cast<std::uint32_t>(pages1 + 1 + page), Bytes(upperPages[page]), count, false);
        }
    return changed;
}

bool PrimaryIndexFile::AdoptLevel1(std::size_t entries) {
    // The layout this engine writes, else the one older builds wrote; the header tells the block size.
    if (image_.size() < HeaderBytes || entryBytes_ <= 0) return false;
    const int kb = static_cast<unsigned char>(image_[0x05]);
    for (const bool legacy : {false, true}) {
        SetLayout(entries, legacy);
        if (kb * 1024 == blockSize_ && AdoptPages(entries)) return true;
    }
    SetLayout(entries, false);
    return false;
}

bool PrimaryIndexFile::AdoptPages(std::size_t entries) {
    const std::size_t per = static_cast<std::size_t>(perPage_);
    const std::size_t bs = static_cast<std::size_t>(blockSize_);
    const std::size_t pages1 = (entries + per - 1) / per;
    if (image_.size() < HeaderBytes + pages1 * bs) return false;
    // The entries stay where the image holds them until it changes.
    level1_.clear();
    adopted_ = true;
    pageSums_.assign(pages1, 0);
    entries_ = entries;
    entryFirst_.clear();
    entryFirst_.reserve(entries / EntryGroup + 1);
    std::uint64_t before = 0;
    for (std::size_t page = 0; page < pages1; ++page) {
        const auto* b = Bytes(image_) + HeaderBytes + page * bs;
        const std::size_t count = std::min(per, entries - page * per);
        if (GetU16(b + 4) != static_cast<std::uint16_t>((count - 1) * entryBytes_)) {
            adopted_ = false;
            entries_ = 0;
            pageSums_.clear();
            entryFirst_.clear();
            return false;
        }
        // Each entry's record count (a Paradox short), stepping along the page: every open of a large table
        // adds up all of them, and keeps the rows before each entry.
        std::uint32_t sum = 0;
        const unsigned char* e = b + 6 + keyBytes_ + 2;
        for (std::size_t k = 0; k < count; ++k, e += entryBytes_) {
            if ((page * per + k) % EntryGroup == 0) entryFirst_.push_back(static_cast<RowId>(before + sum));
            sum += static_cast<std::uint16_t>(((e[0] << 8) | e[1]) ^ 0x8000);
        }
        pageSums_[page] = sum;
        before += sum;
    }
    return true;
}

} // namespace engine::codec
