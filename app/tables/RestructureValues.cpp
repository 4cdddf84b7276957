#include "app/tables/RestructureValues.h"

#include "app/tables/TableSchema.h"
#include "base/CroatianFormat.h"
#include "base/Text.h"

#include <cmath>
#include <cstdio>

namespace app {

using engine::FieldType;
using engine::Value;

namespace {

bool IsNumeric(FieldType t) {
    return t == FieldType::Short || t == FieldType::Long || t == FieldType::AutoInc ||
           t == FieldType::Number || t == FieldType::Currency;
}

bool IsText(FieldType t) {
    return t == FieldType::Alpha || t == FieldType::Memo;
}

// The largest magnitude a whole-number field holds; the most negative value of each width stands for null.
long double IntegerLimit(FieldType t) {
    return t == FieldType::Short ? 32767.0L : 2147483647.0L;
}

std::optional<Value> WholeNumber(long double v, FieldType to) {
    if (v != std::trunc(v) || std::fabs(v) > IntegerLimit(to)) return std::nullopt;
    return Value::Int(static_cast<std::int64_t>(v));
}

std::string TimeText(std::int64_t milliseconds) {
    char text[48];
    const long long seconds = milliseconds / 1000;
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

} // namespace

std::optional<std::string> ValueText(const Value& value, FieldType type) {
    if (value.IsNull()) return std::string();
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Memo:
        return value.AsText();
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
        return std::to_string(value.AsInt());
    case FieldType::Number:
    case FieldType::Currency:
        return base::FloatToText(value.AsFloat());
    case FieldType::Logical:
        return std::string(value.AsBool() ? "True" : "False");
    case FieldType::Date:
        return base::FormatDate(base::FromDayNumber(value.AsDate()));
    case FieldType::Time:
        return TimeText(value.AsInt());
    case FieldType::Timestamp: {
        const double ms = value.AsFloat();
        const auto day = static_cast<long>(std::floor(ms / 86400000.0));
        return base::FormatDate(base::FromDayNumber(day)) + " " +
               TimeText(static_cast<std::int64_t>(ms - double(day) * 86400000.0));
    }
    default:
        return std::nullopt;
    }
}

std::optional<Value> ValueFromText(const std::string& text, const engine::FieldDesc& field) {
    if (text.empty()) return Value();
    switch (field.Type) {
    case FieldType::Alpha:
        return Value::Text(base::CutChars(text, std::size_t(field.Size)));
    case FieldType::Memo:
        return Value::Text(text);
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
        if (const auto n = base::ParseInteger(text))
            return WholeNumber(static_cast<long double>(*n), field.Type);
        if (const auto f = base::ParseFloat(text))
            return WholeNumber(static_cast<long double>(*f), field.Type);
        return std::nullopt;
    case FieldType::Number:
    case FieldType::Currency:
        if (const auto f = base::ParseFloat(text)) return Value::Float(*f);
        return std::nullopt;
    case FieldType::Logical:
        if (base::SameText(text, "True")) return Value::Bool(true);
        if (base::SameText(text, "False")) return Value::Bool(false);
        return std::nullopt;
    case FieldType::Date:
        if (const auto d = base::ParseDate(text)) return Value::Date(std::int32_t(base::DayNumber(*d)));
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<Value> ConvertValue(const Value& value, FieldType from, const engine::FieldDesc& to) {
    if (value.IsNull()) return Value();
    if (from == to.Type) {
        if (to.Type == FieldType::Alpha)
            return Value::Text(base::CutChars(value.AsText(), std::size_t(to.Size)));
        return value;
    }
    if (IsNumeric(from) && IsNumeric(to.Type)) {
        const long double v = value.IsInt() ? static_cast<long double>(value.AsInt()) : value.AsFloat();
        if (to.Type == FieldType::Number || to.Type == FieldType::Currency)
            return Value::Float(static_cast<double>(v));
        return WholeNumber(v, to.Type);
    }
    const auto text = ValueText(value, from);
    if (!text) return std::nullopt;
    return ValueFromText(*text, to);
}

Value CopiedValue(const Value& old, FieldType from, const FieldDefinition& to) {
    const engine::FieldDesc field = EngineField(to);
    if (!to.CopyValue) {
        // Memo fields are taken whole; what cannot be taken leaves a visible mark.
        if (IsText(from) || old.IsNull()) return old.IsNull() ? Value() : Value::Text(old.AsText());
        if (const auto text = ValueText(old, from)) return Value::Text(*text);
        return Value::Text("''");
    }
    if (auto value = ConvertValue(old, from, field)) return *value;
    return MissingFieldValue(to);
}

Value MissingFieldValue(const FieldDefinition& to) {
    if (!to.CopyValue) return Value();
    if (auto value = ValueFromText(to.Default, EngineField(to))) return *value;
    return Value();
}

} // namespace app
