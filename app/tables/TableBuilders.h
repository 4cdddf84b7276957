#pragma once
// The table lists as constant plain data: one flat array of rows per folder, each table row followed by the
// rows of its fields and indexes. The rows cost nothing to compile and are built into the definitions on
// first use.

#include "app/tables/TableDefinitions.h"

#include <cstdint>
#include <span>
#include <vector>

namespace app::tables {

using namespace fw;

enum class RowKind : std::uint8_t { OpenRegister, Table, Field, Index };

struct CatalogueRow {
    RowKind Kind = RowKind::Table;
    const char* Name = "";       // file, field or index name ("" for the primary index)
    const char* Text = "";       // a field's default, an index's fields
    TFieldType Type = ftUnknown; // a field's type
    std::uint16_t Size = 0;      // a field's size
    TIndexOptions Options = 0;   // an index's options
    // A table's declared counts, written as well as the lists so that a list that lost or gained an entry
    // shows up.
    std::int16_t FieldCount = 0;
    std::int16_t IndexCount = 0;
    std::int16_t IndexFileCount = 0;
};

inline constexpr TIndexOptions CaseInsensitive = ixCaseInsensitive;
inline constexpr TIndexOptions UniqueCaseInsensitive = TIndexOptions(ixUnique | ixCaseInsensitive);

// "OPEN.DB", the register of open and changed tables: the same in every folder.
constexpr CatalogueRow OpenRegister() {
    return {.Kind = RowKind::OpenRegister};
}
constexpr CatalogueRow Table(const char* fileName, std::int16_t fieldCount, std::int16_t indexCount,
                             std::int16_t indexFileCount) {
    return {.Kind = RowKind::Table,
            .Name = fileName,
            .FieldCount = fieldCount,
            .IndexCount = indexCount,
            .IndexFileCount = indexFileCount};
}
constexpr CatalogueRow Field(const char* name, TFieldType type, std::uint16_t size = 0,
                             const char* def = "") {
    return {.Kind = RowKind::Field, .Name = name, .Text = def, .Type = type, .Size = size};
}
constexpr CatalogueRow Primary(const char* fields) {
    return {
        .Kind = RowKind::Index, .Name = "", .Text = fields, .Options = TIndexOptions(ixPrimary | ixUnique)};
}
constexpr CatalogueRow Index(const char* name, const char* fields, TIndexOptions options = 0) {
    return {.Kind = RowKind::Index, .Name = name, .Text = fields, .Options = options};
}

// True when the rows start with a table and every table's declared field and index counts match its rows.
constexpr bool CountsMatch(std::span<const CatalogueRow> rows) {
    if (rows.empty() || (rows[0].Kind != RowKind::Table && rows[0].Kind != RowKind::OpenRegister))
        return false;
    const CatalogueRow* table = nullptr;
    int fields = 0;
    int indexes = 0;
    auto tableDone = [&] { return !table || (table->FieldCount == fields && table->IndexCount == indexes); };
    for (const CatalogueRow& row : rows) {
        if (row.Kind == RowKind::Field) {
            ++fields;
        } else if (row.Kind == RowKind::Index) {
            ++indexes;
        } else {
            if (!tableDone()) return false;
            table = row.Kind == RowKind::Table ? &row : nullptr;
            fields = indexes = 0;
        }
    }
    return tableDone();
}

// The definitions the rows describe, in their order.
std::vector<TableDefinition> BuildTables(std::span<const CatalogueRow> rows);

} // namespace app::tables
