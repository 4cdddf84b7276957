#pragma once
// How a restructure fills the fields of a new row from the old row: by value where the old and new types are
// equal or both numeric (a float never changes its value), through the text form across other type changes,
// and the definition's default where nothing fits.

#include "app/tables/TableDefinitions.h"
#include "engine/Engine.h"

#include <optional>
#include <string>

namespace app {

// The text form of a stored value, or none for a type without one (raw bytes).
std::optional<std::string> ValueText(const engine::Value& value, engine::FieldType type);
// The value of a text for a field; empty text is null; none when the text does not fit the type.
std::optional<engine::Value> ValueFromText(const std::string& text, const engine::FieldDesc& field);
// The old value in the new field's type, or none when it cannot be held there.
std::optional<engine::Value> ConvertValue(const engine::Value& value, engine::FieldType from,
                                          const engine::FieldDesc& to);

// The new field's value from the old field of the same name.
engine::Value CopiedValue(const engine::Value& old, engine::FieldType from, const FieldDefinition& to);
// The new field's value when the old table has no field of that name.
engine::Value MissingFieldValue(const FieldDefinition& to);

} // namespace app
