#pragma once
// The table definitions in the engine's terms, and the comparisons of a stored structure with its definition.

#include "app/tables/TableDefinitions.h"
#include "engine/Engine.h"

#include <vector>

namespace app {

engine::FieldType EngineFieldType(fw::TFieldType type);
// Types the definitions never use map to types no definition has, so a comparison with them fails.
fw::TFieldType DefinitionFieldType(engine::FieldType type);

engine::FieldDesc EngineField(const FieldDefinition& field);
std::vector<engine::FieldDesc> EngineFields(const TableDefinition& table);
engine::IndexDesc EngineIndex(const IndexDefinition& index);
fw::TIndexOptions IndexOptions(const engine::IndexDesc& index);

// The stored field list equals the definition: count, and per position name (exact), type, size and the
// required flag.
bool SameFields(const std::vector<engine::FieldDesc>& stored, const TableDefinition& table);
// The stored index list equals the definition: count, and for each definition the stored index found by
// name has the same name, field list and options.
bool SameIndexes(const std::vector<engine::IndexDesc>& stored, const TableDefinition& table);

} // namespace app
