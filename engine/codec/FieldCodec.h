#pragma once
// One field in a record: its type code, its bytes, and the value encodings (null = all bytes zero).

#include "engine/codec/CodePage.h"
#include "engine/Engine.h"

#include <cstdint>
#include <string>

namespace engine::codec {

struct FieldLayout {
    FieldDesc Desc;
    std::uint8_t Code = 0;     // type code in the file
    std::uint8_t SizeByte = 0; // size byte in the file
    int Bytes = 0;             // bytes taken in the record
    int Offset = 0;            // offset inside the record
};

// The layout of a field we create; throws Error with the reason when the description cannot be stored.
FieldLayout LayoutForNew(const FieldDesc& desc, const std::string& fileName);
// The layout of a stored field; false when the type code or size is not a valid one.
bool LayoutFromFile(std::uint8_t code, std::uint8_t sizeByte, FieldLayout& out);

bool IsAllZero(const unsigned char* p, int n);
bool IsMemoType(std::uint8_t code);
inline int MemoLeader(const FieldLayout& f) {
    return f.Bytes - 10;
}

// Decodes a non-memo field (memo fields are decoded by the table, which owns the .MB).
Value DecodeField(const FieldLayout& f, const unsigned char* p, const CodePage& cp);
// Encodes a non-memo value; throws Error naming the field and the file for a value the field cannot hold.
void EncodeField(const FieldLayout& f, const Value& v, unsigned char* p, const CodePage& cp,
                 const std::string& fileName);
// Memo text (or raw bytes for a blob) converted to the bytes stored in the file.
std::string EncodeMemoText(const FieldLayout& f, const Value& v, const CodePage& cp,
                           const std::string& fileName);
Value DecodeMemoText(const FieldLayout& f, const std::string& bytes, const CodePage& cp);

std::int64_t DecodeInt(const unsigned char* p, int n);
void EncodeInt(std::int64_t v, unsigned char* p, int n);
double DecodeFloat(const unsigned char* p);
void EncodeFloat(double v, unsigned char* p);

} // namespace engine::codec
