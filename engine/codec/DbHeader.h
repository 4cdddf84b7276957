#pragma once
// The header of a .DB file (and of a Paradox .X file, which has the same layout).

#include "engine/codec/FieldCodec.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine::codec {

inline constexpr int HeaderBytes = 0x800;
inline constexpr std::uint8_t FileKeyed = 0;
inline constexpr std::uint8_t FileUnkeyed = 2;

struct DbHeader {
    std::uint16_t RecordSize = 0;
    std::uint16_t HeaderSize = HeaderBytes;
    std::uint8_t FileType = FileUnkeyed;
    std::uint8_t BlockKb = 2;
    std::uint32_t NumRecords = 0;
    std::uint16_t UsedBlocks = 0;
    std::uint16_t FileBlocks = 0;
    std::uint16_t FirstBlock = 0;
    std::uint16_t LastBlock = 0;
    std::uint16_t KeyFields = 0;
    std::uint8_t IndexFieldNumber = 0; // .X files: the (first) indexed field
    std::uint8_t SortOrderByte = 0x6F;
    std::uint8_t Version = 0x0C;
    std::uint32_t AutoInc = 0; // the last value handed out
    std::uint16_t CodePage = 1250;
    std::string SortOrderId = "ansislov";
    std::string TableName; // as stored (informational)
    std::string IndexName; // .XGn files: the name after the sort-order ID
    std::vector<FieldLayout> Fields;
    std::vector<std::uint16_t> FieldNumbers;

    int BlockSize() const { return BlockKb * 1024; }
    int RecordsPerBlock() const { return (BlockSize() - 6) / RecordSize; }
    // The leading bytes of a record that tell it from every other: its key, or all of it when unkeyed.
    int IdentityBytes() const;
    // The primary index of a keyed table, described by its key fields.
    IndexDesc PrimaryIndex() const;
};

// Reads and checks every header value against the file's size; DamagedFile naming the file otherwise.
DbHeader ParseDbHeader(const std::string& bytes, std::uint64_t fileSize, const std::string& fileName);
// The header of a new table (code page 1250), zero in every unused byte.
std::string BuildDbHeader(const DbHeader& h);
// Writes the values that change with the rows into existing header bytes (foreign headers keep the rest).
void PatchDbHeader(std::string& bytes, const DbHeader& h);
// Block size for a new table by its record size.
std::uint8_t BlockKbForRecord(int recordSize);

} // namespace engine::codec
