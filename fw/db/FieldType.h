#pragma once
#include <cstdint>

namespace fw {

// Field types of the dataset layer; the numbers are those the table definitions store.
enum TFieldType : std::uint8_t {
    ftUnknown = 0,
    ftString = 1,
    ftSmallint = 2,
    ftInteger = 3,
    ftWord = 4,
    ftBoolean = 5,
    ftFloat = 6,
    ftCurrency = 7,
    ftBCD = 8,
    ftDate = 9,
    ftTime = 10,
    ftDateTime = 11,
    ftBytes = 12,
    ftVarBytes = 13,
    ftAutoInc = 14,
    ftBlob = 15,
    ftMemo = 16,
    ftGraphic = 17,
    ftFmtMemo = 18,
    ftParadoxOle = 19,
};

// The kind of value a field type holds: what a field's value is copied as, and which field classes can
// stand for a column of the type.
enum class ValueKind { Text, Integer, Float, Boolean, DateTime, Other };

constexpr ValueKind ValueKindOf(TFieldType type) {
    switch (type) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
        return ValueKind::Text;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return ValueKind::Integer;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return ValueKind::Float;
    case ftBoolean:
        return ValueKind::Boolean;
    case ftDate:
    case ftTime:
    case ftDateTime:
        return ValueKind::DateTime;
    default:
        return ValueKind::Other;
    }
}

// Index options as a bit set: ixPrimary bit 0, ixUnique bit 1, ixDescending bit 2, ixCaseInsensitive bit 3,
// ixExpression bit 4.
enum TIndexOption : std::uint8_t {
    ixPrimary = 1 << 0,
    ixUnique = 1 << 1,
    ixDescending = 1 << 2,
    ixCaseInsensitive = 1 << 3,
    ixExpression = 1 << 4,
};
using TIndexOptions = std::uint8_t;

} // namespace fw
