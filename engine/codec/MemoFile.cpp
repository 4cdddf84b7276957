#include "engine/codec/MemoFile.h"

#include "engine/codec/Bytes.h"
#include "engine/Errors.h"

#include <algorithm>
#include <cstring>

namespace engine::codec {
namespace {

constexpr int FirstDataChunk = 0x150 / 16;
constexpr int ChunksPerBlock = MbUnit / 16;
constexpr std::size_t SmallLimit = 2048;

} // namespace

std::string MemoFile::NewFileBytes() {
    std::string b(MbUnit, '\0');
    auto* p = Bytes(b);
    p[0x00] = 0;
    PutU16(p + 0x01, 1);
    PutU16(p + 0x03, 1);
    const unsigned char constant[] = {0x82, 0x73, 0x02, 0x00, 0x29, 0x00};
    std::memcpy(p + 0x05, constant, sizeof constant);
    p[0x0C] = 0x10;
    p[0x0E] = 0x10;
    p[0x10] = 0x10;
    p[0x11] = 0x40;
    p[0x14] = 0x08;
    p[0x29] = 0xA1;
    p[0x2A] = 0x02;
    p[0x38] = 0x02;
    p[0x39] = 0x10;
    return b;
}

void MemoFile::Reset() {
    subs_.clear();
    roomy_.clear();
    singles_.clear();
    free_.clear();
    freeBySize_.clear();
    damaged_.clear();
    bigData_.clear();
    bigMods_.clear();
    size_ = MbUnit;
}

void MemoFile::Load(std::string bytes, const std::string& fileName) {
    Reset();
    fileName_ = fileName;
    if (bytes.size() < 0x40 || bytes[0] != 0) ThrowDamaged(fileName);
    // A short last block stands for a whole unit whose missing bytes are zero; only a text that ends past
    // the file's last byte is cut off.
    const std::uint64_t held = bytes.size();
    bytes.resize((bytes.size() + MbUnit - 1) / MbUnit * MbUnit, '\0');
    size_ = bytes.size();
    const auto* p = Bytes(bytes);
    std::uint64_t off = MbUnit;
    while (off < bytes.size()) {
        const int type = p[off];
        const int units = GetU16(p + off + 1);
        const bool fits = units >= 1 && off + static_cast<std::uint64_t>(units) * MbUnit <= bytes.size();
        if (fits && type == 3 && units == 1) {
            Sub& sub = subs_[off];
            sub.Bytes = bytes.substr(off, MbUnit);
            sub.Valid = static_cast<int>(std::min<std::uint64_t>(MbUnit, held - off));
            FileRoom(off, sub);
        } else if (fits && type == 2 &&
                   GetU32(p + off + 3) + 9ull <= static_cast<std::uint64_t>(units) * MbUnit &&
                   off + 9 + GetU32(p + off + 3) <= held) {
            singles_[off] = units;
            bigData_[off] = bytes.substr(off + 9, GetU32(p + off + 3));
            bigMods_[off] = GetU16(p + off + 7);
        } else if (fits && type == 4) {
            AddFree(off, units);
        } else {
            damaged_.insert(off);
            off += MbUnit;
            continue;
        }
        off += static_cast<std::uint64_t>(units) * MbUnit;
    }
}

MemoRef MemoRef::Of(const unsigned char* field, int leader, bool leaderIsCopy) {
    MemoRef ref;
    ref.Location = GetU32(field + leader);
    ref.Length = GetU32(field + leader + 4);
    ref.Modification = GetU16(field + leader + 8);
    ref.Leader = std::string_view(reinterpret_cast<const char*>(field), static_cast<std::size_t>(leader));
    ref.LeaderIsCopy = leaderIsCopy;
    return ref;
}

namespace {

// A text that does not begin as its record's leader is not the text the record was written with.
std::string Checked(std::string text, const MemoRef& ref, const std::string& fileName) {
    if (ref.LeaderIsCopy) {
        const std::size_t n = std::min(text.size(), ref.Leader.size());
        if (ref.Leader.compare(0, n, text, 0, n) != 0) ThrowDamaged(fileName);
    }
    return text;
}

// The blob in slot `index` of a sub-allocated block (`valid` of its bytes held by the file).
std::string SlotBlob(const std::string& block, int valid, const MemoRef& ref, const std::string& fileName) {
    const int index = static_cast<int>(ref.Location & 0xFF);
    if (index > 63 || block.size() < static_cast<std::size_t>(MbUnit)) ThrowDamaged(fileName);
    const auto* slots = Bytes(block) + 12;
    const auto* s = slots + 5 * index;
    const int offset = s[0], chunks = s[1], last = s[4];
    if (offset == 0 || chunks == 0 || last < 1 || last > 16 || offset < FirstDataChunk ||
        offset + chunks > ChunksPerBlock || GetU16(s + 2) != ref.Modification)
        ThrowDamaged(fileName);
    const std::uint32_t stored = static_cast<std::uint32_t>((chunks - 1) * 16 + last);
    if (stored != ref.Length || offset * 16 + static_cast<int>(ref.Length) > valid) ThrowDamaged(fileName);
    // No other slot's data lies in this one's chunks.
    for (int i = 0; i < 64; ++i) {
        const auto* o = slots + 5 * i;
        if (i != index && o[0] != 0 && o[0] < offset + chunks && offset < o[0] + o[1]) ThrowDamaged(fileName);
    }
    return Checked(block.substr(static_cast<std::size_t>(offset) * 16, ref.Length), ref, fileName);
}

} // namespace

std::string MemoFile::Read(const MemoRef& ref) const {
    const std::uint64_t block = ref.Location & ~0xFFull;
    const int index = ref.Location & 0xFF;
    if (index == 0xFF) {
        const auto it = bigData_.find(block);
        const auto mod = bigMods_.find(block);
        if (it == bigData_.end() || it->second.size() != ref.Length || mod == bigMods_.end() ||
            mod->second != ref.Modification)
            ThrowDamaged(fileName_);
        return Checked(it->second, ref, fileName_);
    }
    const auto it = subs_.find(block);
    if (it == subs_.end()) ThrowDamaged(fileName_);
    return SlotBlob(it->second.Bytes, it->second.Valid, ref, fileName_);
}

std::string MemoFile::ReadBlob(std::string_view block, const MemoRef& ref, const std::string& fileName) {
    const auto* p = reinterpret_cast<const unsigned char*>(block.data());
    const std::uint32_t length = ref.Length;
    if ((ref.Location & ~0xFFu) == 0 || block.size() < 9) ThrowDamaged(fileName); // the header holds none
    if ((ref.Location & 0xFF) == 0xFF) {
        const int units = GetU16(p + 1);
        if (p[0] != 2 || units < 1 || GetU32(p + 3) != length || GetU16(p + 7) != ref.Modification ||
            9ull + length > std::uint64_t(units) * MbUnit || block.size() < 9 + std::size_t{length})
            ThrowDamaged(fileName);
        return Checked(std::string(block.substr(9, length)), ref, fileName);
    }
    if (p[0] != 3 || GetU16(p + 1) != 1) ThrowDamaged(fileName);
    std::string whole(block);
    const int valid = static_cast<int>(whole.size());
    whole.resize(MbUnit, '\0');
    return SlotBlob(whole, valid, ref, fileName);
}

int MemoFile::RoomOf(const Sub& s) {
    int top = FirstDataChunk;
    bool slotFree = false;
    const auto* p = Bytes(s.Bytes);
    for (int i = 0; i < 64; ++i) {
        const auto* slot = p + 12 + 5 * i;
        if (slot[0] != 0)
            top = std::max(top, slot[0] + slot[1]);
        else
            slotFree = true;
    }
    return slotFree ? std::max(0, ChunksPerBlock - top) : 0;
}

void MemoFile::FileRoom(std::uint64_t offset, Sub& sub) {
    if (sub.Room > 0) {
        auto it = roomy_.find(sub.Room);
        it->second.erase(offset);
        if (it->second.empty()) roomy_.erase(it);
    }
    sub.Room = RoomOf(sub);
    if (sub.Room > 0) roomy_[sub.Room].insert(offset);
}

void MemoFile::AddFree(std::uint64_t offset, int units) {
    free_[offset] = units;
    freeBySize_[units].insert(offset);
}

// The first free block of exactly this size, or the end of the file.
std::uint64_t MemoFile::TakeFree(int units) {
    const auto it = freeBySize_.find(units);
    if (it == freeBySize_.end()) {
        const std::uint64_t off = size_;
        size_ += static_cast<std::uint64_t>(units) * MbUnit;
        return off;
    }
    const std::uint64_t off = *it->second.begin();
    it->second.erase(it->second.begin());
    if (it->second.empty()) freeBySize_.erase(it);
    free_.erase(off);
    return off;
}

std::uint32_t MemoFile::Store(const std::string& data, std::vector<PageWrite>& writes) {
    if (data.size() <= SmallLimit) {
        const int chunks = static_cast<int>((data.size() + 15) / 16);
        // The first block (by offset) with room enough; there are at most as many rooms as chunks in a block.
        std::uint64_t off = UINT64_MAX;
        for (auto it = roomy_.lower_bound(chunks); it != roomy_.end(); ++it)
            off = std::min(off, *it->second.begin());
        if (off == UINT64_MAX) {
            // A new sub-allocated block: a free unit or the end of the file.
            off = TakeFree(1);
            Sub& fresh = subs_[off];
            fresh.Bytes.assign(MbUnit, '\0');
            fresh.Valid = MbUnit;
            auto* p = Bytes(fresh.Bytes);
            p[0] = 3;
            PutU16(p + 1, 1);
            FileRoom(off, fresh);
        }
        Sub& sub = subs_[off];
        auto* p = Bytes(sub.Bytes);
        int slot = -1;
        for (int i = 63; i >= 0 && slot < 0; --i)
            if (p[12 + 5 * i] == 0) slot = i;
        const int top = ChunksPerBlock - sub.Room;
        auto* s = p + 12 + 5 * slot;
        s[0] = static_cast<unsigned char>(top);
        s[1] = static_cast<unsigned char>(chunks);
        PutU16(s + 2, 1);
        s[4] = static_cast<unsigned char>(data.size() - (chunks - 1) * 16);
        std::memset(p + top * 16, 0, chunks * 16);
        std::memcpy(p + top * 16, data.data(), data.size());
        FileRoom(off, sub);
        sub.Valid = MbUnit; // written whole
        writes.push_back({off, sub.Bytes});
        return static_cast<std::uint32_t>(off | slot);
    }
    const int units = static_cast<int>((data.size() + 9 + MbUnit - 1) / MbUnit);
    const std::uint64_t off = TakeFree(units);
    std::string block(static_cast<std::size_t>(units) * MbUnit, '\0');
    auto* p = Bytes(block);
    p[0] = 2;
    PutU16(p + 1, static_cast<std::uint16_t>(units));
    PutU32(p + 3, static_cast<std::uint32_t>(data.size()));
    PutU16(p + 7, 1);
    std::memcpy(p + 9, data.data(), data.size());
    writes.push_back({off, std::move(block)});
    singles_[off] = units;
    return static_cast<std::uint32_t>(off | 0xFF);
}

void MemoFile::Free(std::uint32_t location, std::vector<PageWrite>& writes) {
    const std::uint64_t block = location & ~0xFFull;
    const int index = location & 0xFF;
    if (index == 0xFF) {
        const auto it = singles_.find(block);
        if (it == singles_.end()) return;
        std::string head(3, '\0');
        head[0] = 4;
        PutU16(Bytes(head) + 1, static_cast<std::uint16_t>(it->second));
        writes.push_back({block, head});
        AddFree(block, it->second);
        singles_.erase(it);
        bigData_.erase(block);
        bigMods_.erase(block);
        return;
    }
    const auto it = subs_.find(block);
    if (it == subs_.end() || index > 63) return;
    auto* p = Bytes(it->second.Bytes);
    std::memset(p + 12 + 5 * index, 0, 5);
    FileRoom(block, it->second);
    it->second.Valid = MbUnit;
    writes.push_back({block, it->second.Bytes});
}

} // namespace engine::codec

namespace engine::codec {

bool MemoFile::DropBlock(std::uint64_t offset, int units) {
    if (const auto it = free_.find(offset); it != free_.end()) {
        if (it->second != units) return false;
        auto& bySize = freeBySize_[units];
        bySize.erase(offset);
        if (bySize.empty()) freeBySize_.erase(units);
        free_.erase(it);
        return true;
    }
    if (const auto it = singles_.find(offset); it != singles_.end()) {
        if (it->second != units) return false;
        singles_.erase(it);
        bigData_.erase(offset);
        bigMods_.erase(offset);
        return true;
    }
    if (const auto it = subs_.find(offset); it != subs_.end()) {
        if (units != 1) return false;
        if (const int room = it->second.Room; room > 0) {
            auto& offsets = roomy_[room];
            offsets.erase(offset);
            if (offsets.empty()) roomy_.erase(room);
        }
        subs_.erase(it);
        return true;
    }
    return offset >= size_; // past the end: new; otherwise inside another block, or a damaged unit
}

bool MemoFile::TakeIn(const std::vector<PageWrite>& writes, std::int64_t newSize) {
    if (newSize >= 0 && static_cast<std::uint64_t>(newSize) < size_) return false;
    const std::uint64_t size =
        newSize >= 0 ? (static_cast<std::uint64_t>(newSize) + MbUnit - 1) / MbUnit * MbUnit : size_;
    for (const PageWrite& w : writes) {
        const auto* p = Bytes(w.Data);
        // The header block is only written when the file is made: a file made anew is read anew.
        if (w.Offset == 0 || w.Offset % MbUnit != 0 || w.Data.size() < 3) return false;
        const int units = GetU16(p + 1);
        if (units < 1 || w.Offset + static_cast<std::uint64_t>(units) * MbUnit > size) return false;
        const int type = p[0];
        const bool whole = w.Data.size() == static_cast<std::size_t>(units) * MbUnit;
        if (type == 3 && units == 1 && whole) {
            if (!DropBlock(w.Offset, 1)) return false;
            Sub& sub = subs_[w.Offset];
            sub.Bytes = w.Data;
            sub.Room = 0;
            sub.Valid = MbUnit;
            FileRoom(w.Offset, sub);
        } else if (type == 2 && whole) {
            if (!DropBlock(w.Offset, units)) return false;
            singles_[w.Offset] = units;
        } else if (type == 4 && w.Data.size() == 3) {
            if (!DropBlock(w.Offset, units)) return false;
            AddFree(w.Offset, units);
        } else {
            return false;
        }
    }
    size_ = size;
    return true;
}

} // namespace engine::codec
