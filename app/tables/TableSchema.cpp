#include "app/tables/TableSchema.h"

namespace app {

using engine::FieldType;

engine::FieldType EngineFieldType(fw::TFieldType type) {
    switch (type) {
    case fw::ftString:
        return FieldType::Alpha;
    case fw::ftSmallint:
        return FieldType::Short;
    case fw::ftInteger:
        return FieldType::Long;
    case fw::ftBoolean:
        return FieldType::Logical;
    case fw::ftFloat:
        return FieldType::Number;
    case fw::ftDate:
        return FieldType::Date;
    case fw::ftAutoInc:
        return FieldType::AutoInc;
    case fw::ftMemo:
        return FieldType::Memo;
    default:
        break;
    }
    throw base::Exception("Tip polja " + std::to_string(int(type)) + " se ne može spremiti u tablicu");
}

fw::TFieldType DefinitionFieldType(engine::FieldType type) {
    switch (type) {
    case FieldType::Alpha:
        return fw::ftString;
    case FieldType::Short:
        return fw::ftSmallint;
    case FieldType::Long:
        return fw::ftInteger;
    case FieldType::Number:
        return fw::ftFloat;
    case FieldType::Logical:
        return fw::ftBoolean;
    case FieldType::Date:
        return fw::ftDate;
    case FieldType::AutoInc:
        return fw::ftAutoInc;
    case FieldType::Memo:
        return fw::ftMemo;
    case FieldType::Currency:
        return fw::ftCurrency;
    case FieldType::Time:
        return fw::ftTime;
    case FieldType::Timestamp:
        return fw::ftDateTime;
    case FieldType::BCD:
        return fw::ftBCD;
    case FieldType::Bytes:
        return fw::ftBytes;
    case FieldType::Blob:
        return fw::ftBlob;
    }
    return fw::ftUnknown;
}

engine::FieldDesc EngineField(const FieldDefinition& field) {
    return engine::FieldDesc{field.Name, EngineFieldType(field.DataType), field.Size, field.Required};
}

std::vector<engine::FieldDesc> EngineFields(const TableDefinition& table) {
    std::vector<engine::FieldDesc> fields;
    for (const auto& f : table.Fields)
        fields.push_back(EngineField(f));
    return fields;
}

engine::IndexDesc EngineIndex(const IndexDefinition& index) {
    engine::IndexDesc d;
    d.Name = index.Name;
    d.FieldsText = index.Fields;
    d.Primary = index.Options & fw::ixPrimary;
    d.Unique = index.Options & fw::ixUnique;
    d.CaseInsensitive = index.Options & fw::ixCaseInsensitive;
    d.Descending = index.Options & fw::ixDescending;
    return d;
}

fw::TIndexOptions IndexOptions(const engine::IndexDesc& index) {
    return fw::TIndexOptions((index.Primary ? fw::ixPrimary : 0) | (index.Unique ? fw::ixUnique : 0) |
                             (index.CaseInsensitive ? fw::ixCaseInsensitive : 0) |
                             (index.Descending ? fw::ixDescending : 0));
}

bool SameFields(const std::vector<engine::FieldDesc>& stored, const TableDefinition& table) {
    if (stored.size() != table.Fields.size()) return false;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const auto& s = stored[i];
        const auto& d = table.Fields[i];
        if (s.Name != d.Name || DefinitionFieldType(s.Type) != d.DataType || s.Size != d.Size ||
            s.Required != d.Required)
            return false;
    }
    return true;
}

namespace {

// The stored index compared with a definition: a named one is looked up among the secondary entries, the
// unnamed primary (and anything not found) is compared with the first entry.
const engine::IndexDesc& FindIndexDef(const std::vector<engine::IndexDesc>& stored, const std::string& name) {
    if (stored.size() >= 2)
        for (std::size_t i = 1; i < stored.size(); ++i)
            if (stored[i].Name == name) return stored[i];
    return stored[0];
}

} // namespace

bool SameIndexes(const std::vector<engine::IndexDesc>& stored, const TableDefinition& table) {
    if (stored.size() != table.Indexes.size()) return false;
    for (const auto& d : table.Indexes) {
        const auto& s = FindIndexDef(stored, d.Name);
        if (s.Name != d.Name || s.FieldsText != d.Fields || IndexOptions(s) != d.Options) return false;
    }
    return true;
}

} // namespace app
