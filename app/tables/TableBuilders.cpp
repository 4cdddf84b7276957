#include "app/tables/TableBuilders.h"

namespace app::tables {

namespace {

TableDefinition openRegisterTable() {
    return TableDefinition{"OPEN.DB",
                           3,
                           1,
                           1,
                           {
                               FieldDefinition{"File", ftString, true, "", 12, false},
                               FieldDefinition{"Open", ftSmallint, true, "", 0, false},
                               FieldDefinition{"Changed", ftBoolean, true, "", 0, false},
                           },
                           {IndexDefinition{"", "File", TIndexOptions(ixPrimary | ixUnique)}}};
}

} // namespace

std::vector<TableDefinition> BuildTables(std::span<const CatalogueRow> rows) {
    std::vector<TableDefinition> tables;
    for (const CatalogueRow& row : rows) {
        switch (row.Kind) {
        case RowKind::OpenRegister:
            tables.push_back(openRegisterTable());
            break;
        case RowKind::Table:
            tables.push_back(
                TableDefinition{row.Name, row.FieldCount, row.IndexFileCount, row.IndexCount, {}, {}});
            break;
        case RowKind::Field:
            // Memo fields are copied as a whole, not value by value.
            tables.back().Fields.push_back(
                FieldDefinition{row.Name, row.Type, row.Type != ftMemo, row.Text, row.Size, false});
            break;
        case RowKind::Index:
            tables.back().Indexes.push_back(IndexDefinition{row.Name, row.Text, row.Options});
            break;
        }
    }
    return tables;
}

} // namespace app::tables
