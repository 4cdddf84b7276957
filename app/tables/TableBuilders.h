#pragma once
// Shorthands for writing the table lists.

#include "app/tables/TableDefinitions.h"

namespace app::tables {

using namespace fw;

inline FieldDefinition Field(std::string name, TFieldType type, std::uint16_t size = 0,
                             std::string def = {}) {
    return FieldDefinition{std::move(name), type, type != ftMemo, std::move(def), size, false};
}

inline IndexDefinition Primary(std::string fields) {
    return IndexDefinition{"", std::move(fields), TIndexOptions(ixPrimary | ixUnique)};
}

inline IndexDefinition Index(std::string name, std::string fields, TIndexOptions options = 0) {
    return IndexDefinition{std::move(name), std::move(fields), options};
}

inline constexpr TIndexOptions CaseInsensitive = ixCaseInsensitive;
inline constexpr TIndexOptions UniqueCaseInsensitive = TIndexOptions(ixUnique | ixCaseInsensitive);

// The counts are written as well as the lists, so that a list that lost or gained an entry shows up.
inline TableDefinition Table(std::string fileName, int fieldCount, int indexCount, int indexFileCount,
                             std::vector<FieldDefinition> fields, std::vector<IndexDefinition> indexes = {}) {
    return TableDefinition{std::move(fileName), fieldCount,        indexFileCount,
                           indexCount,          std::move(fields), std::move(indexes)};
}

// "OPEN.DB", the register of open and changed tables: the same in every folder.
inline TableDefinition OpenRegisterTable() {
    return Table("OPEN.DB", 3, 1, 1,
                 {
                     Field("File", ftString, 12),
                     Field("Open", ftSmallint),
                     Field("Changed", ftBoolean),
                 },
                 {Primary("File")});
}

} // namespace app::tables
