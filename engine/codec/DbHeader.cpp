#include "engine/codec/DbHeader.h"

#include "engine/codec/Bytes.h"
#include "engine/Errors.h"

#include <cstring>

namespace engine::codec {
namespace {

int TableNameArea(std::uint8_t version) {
    return version >= 0x0C ? 261 : 79;
}

// A NUL-terminated string starting at pos, not running past end.
bool ReadCString(const std::string& b, std::size_t& pos, std::size_t end, std::string& out) {
    const std::size_t stop = b.find('\0', pos);
    if (stop == std::string::npos || stop >= end) return false;
    out = b.substr(pos, stop - pos);
    pos = stop + 1;
    return true;
}

} // namespace

std::uint8_t BlockKbForRecord(int recordSize) {
    if (recordSize < 80) return 2;
    if (recordSize < 140) return 3;
    return 16;
}

DbHeader ParseDbHeader(const std::string& b, std::uint64_t fileSize, const std::string& fileName) {
    if (b.size() < 0x78 || fileSize < 0x78) ThrowDamaged(fileName);
    const auto* p = Bytes(b);
    DbHeader h;
    h.RecordSize = GetU16(p + 0x00);
    h.HeaderSize = GetU16(p + 0x02);
    h.FileType = p[0x04];
    h.BlockKb = p[0x05];
    h.NumRecords = GetU32(p + 0x06);
    h.UsedBlocks = GetU16(p + 0x0A);
    h.FileBlocks = GetU16(p + 0x0C);
    h.FirstBlock = GetU16(p + 0x0E);
    h.LastBlock = GetU16(p + 0x10);
    h.IndexFieldNumber = p[0x15];
    const int numFields = GetU16(p + 0x21);
    h.KeyFields = GetU16(p + 0x23);
    h.SortOrderByte = p[0x29];
    h.Version = p[0x39];
    h.AutoInc = GetU32(p + 0x49);
    h.CodePage = GetU16(p + 0x6A);

    const bool known = h.FileType == 0 || h.FileType == 2 || h.FileType == 3 || h.FileType == 5 ||
                       h.FileType == 6 || h.FileType == 8;
    if (!known || h.Version < 5 || h.Version > 0x0C) ThrowDamaged(fileName);
    if (h.HeaderSize < HeaderBytes || h.HeaderSize % HeaderBytes != 0 || h.HeaderSize > b.size() ||
        h.HeaderSize > fileSize)
        ThrowDamaged(fileName);
    if (h.BlockKb < 1 || h.BlockKb > 32) ThrowDamaged(fileName);
    if (numFields < 1 || numFields > 255 || h.KeyFields > numFields) ThrowDamaged(fileName);
    if (h.RecordSize < 1 || h.RecordSize > h.BlockSize() - 6) ThrowDamaged(fileName);
    if (h.FileBlocks > 0 &&
        fileSize < h.HeaderSize + static_cast<std::uint64_t>(h.FileBlocks) * h.BlockSize())
        ThrowDamaged(fileName);
    if (h.FirstBlock > h.FileBlocks || h.LastBlock > h.FileBlocks || h.UsedBlocks > h.FileBlocks ||
        (h.FileBlocks > 0 && h.FirstBlock == 0))
        ThrowDamaged(fileName);
    if (h.NumRecords > static_cast<std::uint64_t>(h.FileBlocks) * h.RecordsPerBlock()) ThrowDamaged(fileName);

    // Variable part: field info, table-name ptr, field-name ptrs, table name, names, numbers, sort-order ID.
    const std::size_t end = h.HeaderSize;
    std::size_t pos = 0x78;
    if (pos + 2 * numFields + 4 + 4 * numFields + TableNameArea(h.Version) > end) ThrowDamaged(fileName);
    int offset = 0;
    for (int i = 0; i < numFields; ++i) {
        FieldLayout f;
        if (!LayoutFromFile(p[pos + 2 * i], p[pos + 2 * i + 1], f)) ThrowDamaged(fileName);
        f.Offset = offset;
        offset += f.Bytes;
        h.Fields.push_back(f);
    }
    if (offset != h.RecordSize) ThrowDamaged(fileName);
    pos += 2 * numFields + 4 + 4 * numFields;
    {
        std::size_t namePos = pos;
        std::string tableName;
        if (ReadCString(b, namePos, pos + TableNameArea(h.Version), tableName)) h.TableName = tableName;
    }
    pos += TableNameArea(h.Version);
    const CodePage cp(h.CodePage);
    for (auto& f : h.Fields) {
        std::string name;
        if (!ReadCString(b, pos, end, name)) ThrowDamaged(fileName);
        f.Desc.Name = cp.ToUtf8(name);
    }
    if (pos + 2 * numFields > end) ThrowDamaged(fileName);
    for (int i = 0; i < numFields; ++i)
        h.FieldNumbers.push_back(GetU16(p + pos + 2 * i));
    pos += 2 * numFields;
    if (!ReadCString(b, pos, end, h.SortOrderId)) ThrowDamaged(fileName);
    if (h.FileType == 6 || h.FileType == 8) {
        std::string name;
        if (ReadCString(b, pos, end, name)) h.IndexName = cp.ToUtf8(name);
    }
    return h;
}

std::string BuildDbHeader(const DbHeader& h) {
    std::string b(h.HeaderSize, '\0');
    auto* p = Bytes(b);
    const int n = static_cast<int>(h.Fields.size());
    p[0x14] = 0;
    PutU16(p + 0x21, static_cast<std::uint16_t>(n));
    PutU32(p + 0x25, 0xFF00FF00u);
    p[0x29] = h.SortOrderByte;
    p[0x2D] = 2;
    p[0x2E] = 1;
    p[0x39] = h.Version;
    p[0x3E] = 0x1F;
    p[0x3F] = 0x0F;
    p[0x56] = 0x20;
    PutU16(p + 0x58, 0x0100 | h.Version);
    PutU16(p + 0x5A, 0x0100 | h.Version);
    PutU16(p + 0x64, static_cast<std::uint16_t>(n + 1));
    PutU16(p + 0x6A, h.CodePage);
    p[0x6C] = 1;
    p[0x6D] = 1;
    PutU16(p + 0x70, 1);
    p[0x12] = 3;

    const CodePage cp(h.CodePage);
    std::size_t pos = 0x78;
    for (int i = 0; i < n; ++i) {
        p[pos++] = h.Fields[i].Code;
        p[pos++] = h.Fields[i].SizeByte;
    }
    pos += 4 + 4 * n;
    std::memcpy(p + pos, h.TableName.data(), std::min<std::size_t>(h.TableName.size(), 260));
    pos += TableNameArea(h.Version);
    for (const auto& f : h.Fields) {
        const std::string name = cp.FromUtf8(f.Desc.Name);
        std::memcpy(p + pos, name.data(), name.size());
        pos += name.size() + 1;
    }
    PutU16(p + 0x66, static_cast<std::uint16_t>(pos - 0x58));
    for (int i = 0; i < n; ++i, pos += 2)
        PutU16(p + pos, static_cast<std::uint16_t>(i + 1));
    PutU16(p + 0x6E, static_cast<std::uint16_t>(pos - 0x58));
    std::memcpy(p + pos, h.SortOrderId.data(), h.SortOrderId.size());
    pos += h.SortOrderId.size() + 1;
    PutU16(p + 0x51, static_cast<std::uint16_t>(pos));
    PatchDbHeader(b, h);
    return b;
}

int DbHeader::IdentityBytes() const {
    if (KeyFields == 0) return RecordSize;
    int n = 0;
    for (int i = 0; i < KeyFields; ++i)
        n += Fields[i].Bytes;
    return n;
}

IndexDesc DbHeader::PrimaryIndex() const {
    IndexDesc p;
    for (int i = 0; i < KeyFields; ++i)
        p.FieldsText += (i ? ";" : "") + Fields[i].Desc.Name;
    p.Primary = p.Unique = true;
    return p;
}

void PatchDbHeader(std::string& b, const DbHeader& h) {
    auto* p = Bytes(b);
    PutU16(p + 0x00, h.RecordSize);
    PutU16(p + 0x02, h.HeaderSize);
    p[0x04] = h.FileType;
    p[0x05] = h.BlockKb;
    PutU32(p + 0x06, h.NumRecords);
    PutU16(p + 0x0A, h.UsedBlocks);
    PutU16(p + 0x0C, h.FileBlocks);
    PutU16(p + 0x0E, h.FirstBlock);
    PutU16(p + 0x10, h.LastBlock);
    PutU16(p + 0x23, h.KeyFields);
    PutU16(p + 0x3A, h.FileBlocks);
    PutU32(p + 0x49, h.AutoInc);
}

} // namespace engine::codec
