#include "engine/codec/MemoFile.h"

#include "engine/codec/Bytes.h"
#include "engine/Errors.h"

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
    singles_.clear();
    free_.clear();
    bigData_.clear();
    size_ = MbUnit;
}

void MemoFile::Load(std::string bytes, const std::string& fileName) {
    Reset();
    fileName_ = fileName;
    if (bytes.size() < static_cast<std::size_t>(MbUnit) || bytes.size() % MbUnit != 0 || bytes[0] != 0)
        ThrowDamaged(fileName);
    size_ = bytes.size();
    const auto* p = Bytes(bytes);
    std::uint64_t off = MbUnit;
    while (off < bytes.size()) {
        const int type = p[off];
        const int units = GetU16(p + off + 1);
        if (units < 1 || off + static_cast<std::uint64_t>(units) * MbUnit > bytes.size())
            ThrowDamaged(fileName);
        if (type == 3) {
            if (units != 1) ThrowDamaged(fileName);
            subs_[off].Bytes = bytes.substr(off, MbUnit);
        } else if (type == 2) {
            const std::uint32_t len = GetU32(p + off + 3);
            if (len + 9ull > static_cast<std::uint64_t>(units) * MbUnit) ThrowDamaged(fileName);
            singles_[off] = units;
            bigData_[off] = bytes.substr(off + 9, len);
        } else if (type == 4) {
            free_[off] = units;
        } else {
            ThrowDamaged(fileName);
        }
        off += static_cast<std::uint64_t>(units) * MbUnit;
    }
}

std::string MemoFile::Read(std::uint32_t location, std::uint32_t length) const {
    const std::uint64_t block = location & ~0xFFull;
    const int index = location & 0xFF;
    if (index == 0xFF) {
        const auto it = bigData_.find(block);
        if (it == bigData_.end() || it->second.size() != length) ThrowDamaged(fileName_);
        return it->second;
    }
    const auto it = subs_.find(block);
    if (it == subs_.end() || index > 63) ThrowDamaged(fileName_);
    const auto* s = Bytes(it->second.Bytes) + 12 + 5 * index;
    const int offset = s[0], chunks = s[1], last = s[4];
    if (offset == 0 || chunks == 0 || last < 1 || last > 16 || offset < FirstDataChunk ||
        offset + chunks > ChunksPerBlock)
        ThrowDamaged(fileName_);
    const std::uint32_t stored = static_cast<std::uint32_t>((chunks - 1) * 16 + last);
    if (stored != length) ThrowDamaged(fileName_);
    return it->second.Bytes.substr(static_cast<std::size_t>(offset) * 16, length);
}

int MemoFile::SubTop(const Sub& s) const {
    int top = FirstDataChunk;
    const auto* p = Bytes(s.Bytes);
    for (int i = 0; i < 64; ++i) {
        const auto* slot = p + 12 + 5 * i;
        if (slot[0] != 0) top = std::max(top, slot[0] + slot[1]);
    }
    return top;
}

std::uint32_t MemoFile::Store(const std::string& data, std::vector<PageWrite>& writes) {
    if (data.size() <= SmallLimit) {
        const int chunks = static_cast<int>((data.size() + 15) / 16);
        for (auto& [off, sub] : subs_) {
            auto* p = Bytes(sub.Bytes);
            int slot = -1;
            for (int i = 63; i >= 0 && slot < 0; --i)
                if (p[12 + 5 * i] == 0) slot = i;
            const int top = SubTop(sub);
            if (slot < 0 || top + chunks > ChunksPerBlock) continue;
            auto* s = p + 12 + 5 * slot;
            s[0] = static_cast<unsigned char>(top);
            s[1] = static_cast<unsigned char>(chunks);
            PutU16(s + 2, 1);
            s[4] = static_cast<unsigned char>(data.size() - (chunks - 1) * 16);
            std::memset(p + top * 16, 0, chunks * 16);
            std::memcpy(p + top * 16, data.data(), data.size());
            writes.push_back({off, sub.Bytes});
            return static_cast<std::uint32_t>(off | slot);
        }
        // A new sub-allocated block: a free unit or the end of the file.
        std::uint64_t off = size_;
        for (auto it = free_.begin(); it != free_.end(); ++it) {
            if (it->second == 1) {
                off = it->first;
                free_.erase(it);
                break;
            }
        }
        if (off == size_) size_ += MbUnit;
        Sub& sub = subs_[off];
        sub.Bytes.assign(MbUnit, '\0');
        auto* p = Bytes(sub.Bytes);
        p[0] = 3;
        PutU16(p + 1, 1);
        return Store(data, writes);
    }
    const int units = static_cast<int>((data.size() + 9 + MbUnit - 1) / MbUnit);
    std::uint64_t off = size_;
    for (auto it = free_.begin(); it != free_.end(); ++it) {
        if (it->second == units) {
            off = it->first;
            free_.erase(it);
            break;
        }
    }
    if (off == size_) size_ += static_cast<std::uint64_t>(units) * MbUnit;
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
        free_[block] = it->second;
        singles_.erase(it);
        bigData_.erase(block);
        return;
    }
    const auto it = subs_.find(block);
    if (it == subs_.end() || index > 63) return;
    auto* p = Bytes(it->second.Bytes);
    std::memset(p + 12 + 5 * index, 0, 5);
    writes.push_back({block, it->second.Bytes});
}

} // namespace engine::codec
