#include "fw/db/Field.h"

#include "base/CroatianFormat.h"
#include "base/ProgramState.h"
#include "fw/db/DatabaseError.h"
#include "fw/db/DataSet.h"

namespace fw {

namespace {
TFieldHooks defaultHooks;
TFieldHooks* installedHooks = nullptr;
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::DataFramework, [] { installedHooks = nullptr; });
} // namespace

void InstallFieldHooks(TFieldHooks* hooks) {
    installedHooks = hooks;
}
TFieldHooks& FieldHooks() {
    return installedHooks ? *installedHooks : defaultHooks;
}

void TFieldHooks::SetAsString(TField& field, const std::string& value) {
    field.InternalSetAsString(value);
}
void TFieldHooks::SetAsInteger(TField& field, long long value) {
    field.InternalSetAsInteger(value);
}
void TFieldHooks::SetAsFloat(TField& field, double value) {
    field.InternalSetAsFloat(value);
}
void TFieldHooks::SetAsBoolean(TField& field, bool value) {
    field.InternalSetAsBoolean(value);
}
void TFieldHooks::SetAsDateTime(TField& field, double value) {
    field.InternalSetAsDateTime(value);
}
void TFieldHooks::SetText(TField& field, const std::string& text) {
    field.InternalSetText(text);
}
std::string TFieldHooks::GetText(const TField& field, bool displayText) {
    return field.InternalGetText(displayText);
}
long long TFieldHooks::GetAsInteger(const TField& field) {
    return field.InternalGetAsInteger();
}
double TFieldHooks::GetAsFloat(const TField& field) {
    return field.InternalGetAsFloat();
}
void TFieldHooks::Assign(TField& field, const TField* source) {
    field.InternalAssign(source);
}
void TFieldHooks::CloseDataSetOfField(TDataSet& dataSet) {
    dataSet.Close();
}

TField::TField(TFieldType dataType, int size) : dataType_(dataType), size_(size) {}

TField::~TField() = default;

int TField::Index() const {
    if (!dataSet_) return -1;
    for (int i = 0; i < dataSet_->FieldCount(); ++i)
        if (&dataSet_->Fields(i) == this) return i;
    return -1;
}

bool TField::IsNull() const {
    return StoredValue().IsNull();
}
void TField::Clear() {
    StoreValue(engine::Value());
}

std::string TField::AsString() const {
    return InternalGetAsString();
}
void TField::SetAsString(const std::string& value) {
    FieldHooks().SetAsString(*this, value);
}
long long TField::AsInteger() const {
    return FieldHooks().GetAsInteger(*this);
}
void TField::SetAsInteger(long long value) {
    FieldHooks().SetAsInteger(*this, value);
}
double TField::AsFloat() const {
    return FieldHooks().GetAsFloat(*this);
}
void TField::SetAsFloat(double value) {
    FieldHooks().SetAsFloat(*this, value);
}
bool TField::AsBoolean() const {
    return InternalGetAsBoolean();
}
void TField::SetAsBoolean(bool value) {
    FieldHooks().SetAsBoolean(*this, value);
}
double TField::AsDateTime() const {
    return InternalGetAsDateTime();
}
void TField::SetAsDateTime(double value) {
    FieldHooks().SetAsDateTime(*this, value);
}

namespace {
bool IsDateTimeType(TFieldType t) {
    return t == ftDate || t == ftTime || t == ftDateTime;
}
} // namespace

engine::Value TField::Value() const {
    const engine::Value& v = StoredValue();
    if (IsDateTimeType(dataType_) && !v.IsNull()) return engine::Value::Float(AsDateTime());
    return v;
}

void TField::SetValue(const engine::Value& value) {
    if (value.IsNull()) return Clear();
    if (value.IsText()) return SetAsString(value.AsText());
    if (value.IsInt()) return SetAsInteger(value.AsInt());
    if (value.IsFloat()) return SetAsFloat(value.AsFloat());
    if (value.IsBool()) return SetAsBoolean(value.AsBool());
    if (value.IsDate()) return SetAsDateTime(static_cast<double>(value.AsDate() - base::DateTimeEpoch));
    StoreValue(value);
}

engine::Value TField::OldValue() const {
    if (!dataSet_) DatabaseError("Polje '" + fieldName_ + "' ne pripada skupu podataka");
    return dataSet_->OldFieldValue(*this);
}

std::string TField::Text() const {
    if (OnGetText) {
        std::string text;
        OnGetText(const_cast<TField&>(*this), text, false);
        return text;
    }
    return FieldHooks().GetText(*this, false);
}

std::string TField::DisplayText() const {
    if (OnGetText) {
        std::string text;
        OnGetText(const_cast<TField&>(*this), text, true);
        return text;
    }
    return FieldHooks().GetText(*this, true);
}

void TField::SetText(const std::string& text) {
    if (OnSetText)
        OnSetText(*this, text);
    else
        FieldHooks().SetText(*this, text);
}

void TField::Assign(const TField* source) {
    FieldHooks().Assign(*this, source);
}

void TField::InternalAssign(const TField* source) {
    if (!source || source->IsNull()) return Clear();
    switch (ValueKindOf(source->DataType())) {
    case ValueKind::Text:
        return SetAsString(source->AsString());
    case ValueKind::Integer:
        return SetAsInteger(source->AsInteger());
    case ValueKind::Float:
        return SetAsFloat(source->AsFloat());
    case ValueKind::Boolean:
        return SetAsBoolean(source->AsBoolean());
    case ValueKind::DateTime:
        return SetAsDateTime(source->AsDateTime());
    case ValueKind::Other:
        return StoreValue(source->StoredValue());
    }
}

bool TField::CanModify() const {
    return dataSet_ && dataSet_->FieldWritable(*this);
}

std::string TField::InternalGetAsString() const {
    ConversionError("tekst");
}
void TField::InternalSetAsString(const std::string&) {
    ConversionError("tekst");
}
long long TField::InternalGetAsInteger() const {
    ConversionError("cijeli broj");
}
void TField::InternalSetAsInteger(long long) {
    ConversionError("cijeli broj");
}
double TField::InternalGetAsFloat() const {
    ConversionError("broj");
}
void TField::InternalSetAsFloat(double) {
    ConversionError("broj");
}
bool TField::InternalGetAsBoolean() const {
    ConversionError("logičku vrijednost");
}
void TField::InternalSetAsBoolean(bool) {
    ConversionError("logičku vrijednost");
}
double TField::InternalGetAsDateTime() const {
    ConversionError("datum");
}
void TField::InternalSetAsDateTime(double) {
    ConversionError("datum");
}
std::string TField::InternalGetText(bool) const {
    return InternalGetAsString();
}

const engine::Value& TField::StoredValue() const {
    if (!dataSet_) DatabaseError("Polje '" + fieldName_ + "' ne pripada skupu podataka");
    return dataSet_->FieldValue(*this);
}

void TField::StoreValue(engine::Value value) {
    if (!dataSet_) DatabaseError("Polje '" + fieldName_ + "' ne pripada skupu podataka");
    dataSet_->SetFieldValue(*this, std::move(value));
}

void TField::ConversionError(const char* kind) const {
    DatabaseError("Polje '" + fieldName_ + "' ne može se koristiti kao " + kind);
}

} // namespace fw
