#include "app/data/ChangedFields.h"

#include "app/data/DBMine.h"
#include "app/data/Dialogs.h"
#include "app/data/Useful.h"
#include "base/CroatianFormat.h"
#include "fw/db/DatabaseError.h"
#include "fw/db/FieldClasses.h"

#include <cmath>

namespace app {

namespace {

bool IsText(const fw::TField& f) {
    return f.DataType() == fw::ftString;
}
// Float fields that round by Tag and read typed text as an expression (not the fixed-point BCD field).
bool IsRoundedFloat(const fw::TField& f) {
    return f.DataType() == fw::ftFloat || f.DataType() == fw::ftCurrency;
}
bool IsFloat(const fw::TField& f) {
    return IsRoundedFloat(f) || f.DataType() == fw::ftBCD;
}
bool IsInteger(const fw::TField& f) {
    return dynamic_cast<const fw::TIntegerField*>(&f) != nullptr;
}
bool IsDateTime(const fw::TField& f) {
    return f.DataType() == fw::ftDate || f.DataType() == fw::ftTime || f.DataType() == fw::ftDateTime;
}

// The part of a date-time value that the field stores: the day, the time or both.
bool StoredFormIsZero(const fw::TField& f, double value) {
    switch (f.DataType()) {
    case fw::ftDate:
        return std::trunc(value) == 0;
    case fw::ftTime:
        return value - std::floor(value) == 0;
    default:
        return value == 0;
    }
}

double ExpressionValue(const std::string& text) {
    long double v = EvaluateExpression(text);
    return static_cast<double>(v);
}

// The value of typed text. The very text a float field shows stands for exactly its value: the expression
// reader would read an exponent's letter as a separator and round a long fraction twice.
double TypedFloat(const std::string& text) {
    const std::string trimmed = TrimBlanks(text);
    if (const auto v = base::ParseFloat(trimmed); v && base::FloatToText(*v) == trimmed) return *v;
    return ExpressionValue(text);
}

} // namespace

double RoundByTag(int tag, double value) {
    switch (tag < 0 ? -tag : tag) {
    case 0:
        return RoundTo9(value);
    case 1:
    case 11:
        return Useful.RoundSlot1(value);
    case 2:
    case 12:
        return Useful.RoundSlot2(value);
    case 3:
    case 13:
        return Useful.RoundSlot3(value);
    case 4:
    case 14:
        return Useful.RoundSlot4(value);
    default:
        return RoundTo7(value);
    }
}

void ChangedFieldLayer::SetAsString(fw::TField& field, const std::string& value) {
    if (value.empty() && (IsText(field) || IsFloat(field) || IsDateTime(field))) return field.Clear();
    if (IsRoundedFloat(field)) return SetAsFloat(field, TypedFloat(value));
    if (field.DataType() == fw::ftDate) return SetAsDateTime(field, CheckDate(value));
    if (IsDateTime(field)) {
        field.InternalSetAsString(value);
        if (!field.IsNull() && StoredFormIsZero(field, field.InternalGetAsDateTime())) field.Clear();
        return;
    }
    if (IsInteger(field)) {
        const std::string text = TrimBlanks(value);
        if (text.empty()) return field.Clear();
        auto number = base::ParseInteger(text);
        if (!number) fw::DatabaseError("'" + text + "' nije ispravan cijeli broj");
        return SetAsInteger(field, *number);
    }
    if (field.DataType() == fw::ftBoolean) {
        field.InternalSetAsString(value);
        if (!field.IsNull() && !field.InternalGetAsBoolean()) field.Clear();
        return;
    }
    fw::TFieldHooks::SetAsString(field, value);
}

void ChangedFieldLayer::SetText(fw::TField& field, const std::string& text) {
    SetAsString(field, text);
}

void ChangedFieldLayer::SetAsInteger(fw::TField& field, long long value) {
    if (IsInteger(field)) {
        // The field's range is checked also for 0.
        static_cast<fw::TIntegerField&>(field).CheckRange(value);
        if (value == 0) return field.Clear();
        return field.InternalSetAsInteger(value);
    }
    if (IsFloat(field)) return SetAsFloat(field, static_cast<double>(value));
    if (value == 0 && IsText(field)) return field.Clear();
    fw::TFieldHooks::SetAsInteger(field, value);
}

void ChangedFieldLayer::SetAsFloat(fw::TField& field, double value) {
    if (field.DataType() == fw::ftBCD) {
        static_cast<fw::TFloatField&>(field).CheckRange(value);
        if (value == 0) return field.Clear();
        return field.InternalSetAsFloat(value);
    }
    if (value == 0 && (IsRoundedFloat(field) || IsInteger(field) || IsText(field))) return field.Clear();
    if (IsRoundedFloat(field)) {
        if (!std::isfinite(value)) fw::DatabaseError("Vrijednost nije ispravan broj");
        return field.InternalSetAsFloat(RoundByTag(field.Tag, value));
    }
    if (IsInteger(field)) return SetAsInteger(field, RoundToInteger(value));
    fw::TFieldHooks::SetAsFloat(field, value);
}

void ChangedFieldLayer::SetAsBoolean(fw::TField& field, bool value) {
    if (!value && field.DataType() == fw::ftBoolean) return field.Clear();
    fw::TFieldHooks::SetAsBoolean(field, value);
}

void ChangedFieldLayer::SetAsDateTime(fw::TField& field, double value) {
    if (IsDateTime(field) && StoredFormIsZero(field, value)) return field.Clear();
    if (value == 0 && IsText(field)) return field.Clear();
    fw::TFieldHooks::SetAsDateTime(field, value);
}

long long ChangedFieldLayer::GetAsInteger(const fw::TField& field) {
    if (IsFloat(field)) return RoundToInteger(field.InternalGetAsFloat());
    return fw::TFieldHooks::GetAsInteger(field);
}

double ChangedFieldLayer::GetAsFloat(const fw::TField& field) {
    if (IsText(field)) return ExpressionValue(field.InternalGetAsString());
    return fw::TFieldHooks::GetAsFloat(field);
}

void ChangedFieldLayer::Assign(fw::TField& field, const fw::TField* source) {
    if (!source) return field.Clear();
    fw::TFieldHooks::Assign(field, source);
}

void ChangedFieldLayer::CloseDataSetOfField(fw::TDataSet& dataSet) {
    CloseQuietly(dataSet);
}

void InstallChangedFieldLayer() {
    static ChangedFieldLayer layer;
    fw::InstallFieldHooks(&layer);
}

bool ConfirmGridDelete(bool confirmDelete) {
    return !confirmDelete || AskYesNo("Želite li obrisati slog ?");
}

} // namespace app
