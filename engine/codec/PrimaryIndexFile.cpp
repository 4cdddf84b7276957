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
    perBlock_ = (PxBlockSize - 6) / entryBytes_;
    image_.clear();
    level1_.clear();
    adopted_ = false;
    pageSums_.clear();
    entries_ = 0;
}

void PrimaryIndexFile::TakeLevel1() {
    if (!adopted_) return;
    const std::size_t pageBytes = static_cast<std::size_t>(perBlock_) * entryBytes_;
    const std::size_t pages1 = (entries_ + perBlock_ - 1) / perBlock_;
    std::string level1;
    level1.reserve(pages1 * pageBytes);
    for (std::size_t page = 0; page < pages1; ++page) {
        const std::size_t count = std::min<std::size_t>(perBlock_, entries_ - page * perBlock_);
        level1.append(reinterpret_cast<const char*>(PageEntries(page)), count * entryBytes_);
        level1.append(pageBytes - count * entryBytes_, '\0');
    }
    level1_ = std::move(level1);
    adopted_ = false;
}

std::string PrimaryIndexFile::EncodeHeader(std::uint32_t entries, std::uint16_t blocks, std::uint16_t root,
                                           int levels) const {
    std::string b(HeaderBytes, '\0');
    auto* p = Bytes(b);
    PutU16(p + 0x00, static_cast<std::uint16_t>(entryBytes_));
    PutU16(p + 0x02, HeaderBytes);
    p[0x04] = 1;
    p[0x05] = PxBlockSize / 1024;
    PutU32(p + 0x06, entries);
    PutU16(p + 0x0A, blocks);
    PutU16(p + 0x0C, blocks);
    PutU16(p + 0x0E, blocks > 0 ? 1 : 0);
    PutU16(p + 0x10, blocks);
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
    const std::size_t pageBytes = static_cast<std::size_t>(perBlock_) * entryBytes_;
    const std::size_t pages1 = (n + perBlock_ - 1) / perBlock_;
    // Nothing shifted when `from` is past the end and the count stayed: only the touched entries are
    // encoded again (the last page's other entries would need their blocks read for nothing).
    const bool shifted = from < n || n != entries_;
    const std::size_t fromPage = shifted ? std::min(from / perBlock_, pages1) : pages1;

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
        if (i / perBlock_ < pages1) redo[i / perBlock_] = true;
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
        const std::size_t end = std::min(n, (page + 1) * perBlock_);
        if (page < fromPage) {
            // Nothing shifted here: only the touched entries change (the others' rows need not be read).
            for (std::size_t i : touched)
                if (i >= page * perBlock_ && i < end) encodeEntry(i);
        } else {
            std::memset(Bytes(level1_) + page * pageBytes, 0, pageBytes);
            for (std::size_t i = page * perBlock_; i < end; ++i)
                encodeEntry(i);
        }
        std::uint32_t sum = 0;
        for (std::size_t i = page * perBlock_; i < end; ++i)
            sum += EntryCount(i);
        pageSums_[page] = sum;
    }
    return EncodeAbove(redo);
}

bool PrimaryIndexFile::UpperLevelsMatch() {
    const std::size_t pages1 = (entries_ + perBlock_ - 1) / perBlock_;
    return EncodeAbove(std::vector<bool>(pages1, false)).empty();
}

std::vector<ByteRange> PrimaryIndexFile::EncodeAbove(const std::vector<bool>& redo) {
    const std::size_t n = entries_;
    const std::size_t pageBytes = static_cast<std::size_t>(perBlock_) * entryBytes_;
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
            for (std::size_t i = 0; i < below.size(); i += perBlock_) {
                std::uint32_t sum = 0;
                for (std::size_t k = i; k < std::min(below.size(), i + perBlock_); ++k)
                    sum += below[k].Count;
                level.push_back({below[i].Key, nextBlock++, sum});
            }
            levels.push_back(below);
            below = level;
        }
    }
    // `levels` holds the entries of levels 2.. (as their children lists); encode their pages.
    std::size_t totalEntries = n;
    std::uint32_t blocks = static_cast<std::uint32_t>(pages1);
    std::vector<std::string> upperPages;
    for (const auto& children : levels) {
        for (std::size_t i = 0; i < children.size(); i += perBlock_) {
            std::string page(pageBytes, '\0');
            auto* out = Bytes(page);
            for (std::size_t k = i; k < std::min(children.size(), i + perBlock_); ++k) {
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
    blocks += static_cast<std::uint32_t>(upperPages.size());
    const int levelCount = n == 0 ? 0 : static_cast<int>(levels.size()) + 1;
    const std::uint16_t root = static_cast<std::uint16_t>(blocks == 0 ? 1 : blocks);

    // Patch the image in place and note every range that changed.
    std::vector<ByteRange> changed;
    const std::size_t oldSize = image_.size();
    const std::size_t newSize = HeaderBytes + static_cast<std::size_t>(blocks) * PxBlockSize;
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
        const std::string header = EncodeHeader(static_cast<std::uint32_t>(totalEntries),
                                                static_cast<std::uint16_t>(blocks), root, levelCount);
        std::size_t first = 0;
        while (first < header.size() && first < oldSize && header[first] == image_[first])
            ++first;
        std::size_t last = header.size();
        while (last > first && last <= oldSize && header[last - 1] == image_[last - 1])
            --last;
        if (last > first) put(first, Bytes(header) + first, last - first);
    }
    std::string block(PxBlockSize, '\0');
    auto encodeBlock = [&](std::uint32_t number, const unsigned char* entries, std::size_t count,
                           bool headOnly) {
        auto* b = Bytes(block);
        PutU16(b, static_cast<std::uint16_t>(number < blocks ? number + 1 : 0));
        PutU16(b + 2, static_cast<std::uint16_t>(number - 1));
        PutU16(b + 4, static_cast<std::uint16_t>(count == 0 ? -entryBytes_ : (count - 1) * entryBytes_));
        const std::size_t off = HeaderBytes + (number - 1) * static_cast<std::size_t>(PxBlockSize);
        if (headOnly) return put(off, b, 6);
        std::memset(b + 6, 0, PxBlockSize - 6);
        std::memcpy(b + 6, entries, count * entryBytes_);
        put(off, b, PxBlockSize);
    };
    for (std::size_t page = 0; page < pages1; ++page) {
        const std::size_t count = std::min<std::size_t>(perBlock_, n - page * perBlock_);
        const bool headOnly = !redo[page] && HeaderBytes + (page + 1) * PxBlockSize <= oldSize;
        encodeBlock(static_cast<std::uint32_t>(page + 1), PageEntries(page), count, headOnly);
    }
    std::uint32_t number = static_cast<std::uint32_t>(pages1) + 1;
    std::size_t li = 0, consumed = 0;
    for (auto& page : upperPages) {
        const std::size_t count = std::min<std::size_t>(perBlock_, levels[li].size() - consumed);
        encodeBlock(number++, Bytes(page), count, false);
        consumed += count;
        if (consumed >= levels[li].size()) {
            ++li;
            consumed = 0;
        }
    }
    return changed;
}

bool PrimaryIndexFile::AdoptLevel1(std::size_t entries) {
    if (perBlock_ <= 0) return false;
    const std::size_t pages1 = (entries + perBlock_ - 1) / perBlock_;
    if (image_.size() < HeaderBytes + pages1 * PxBlockSize) return false;
    // The entries stay where the image holds them until it changes.
    level1_.clear();
    adopted_ = true;
    pageSums_.assign(pages1, 0);
    entries_ = entries;
    for (std::size_t page = 0; page < pages1; ++page) {
        const auto* b = Bytes(image_) + HeaderBytes + page * PxBlockSize;
        const std::size_t count = std::min<std::size_t>(perBlock_, entries - page * perBlock_);
        if (GetU16(b + 4) != static_cast<std::uint16_t>((count - 1) * entryBytes_)) return false;
        // Each entry's record count (a Paradox short), stepping along the page: every open of a large table
        // adds up all of them.
        std::uint32_t sum = 0;
        const unsigned char* e = b + 6 + keyBytes_ + 2;
        for (std::size_t k = 0; k < count; ++k, e += entryBytes_)
            sum += static_cast<std::uint16_t>(((e[0] << 8) | e[1]) ^ 0x8000);
        pageSums_[page] = sum;
    }
    return true;
}

} // namespace engine::codec
