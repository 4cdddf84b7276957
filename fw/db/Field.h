#pragma once
// Fields of a dataset: one object per column (data fields) or per computed value (calculated fields), with
// the value and text conversions in the program's fixed Croatian format.
//
// Every conversion a caller starts (SetAsFloat, SetText, AsInteger ...) goes through one process-wide hook
// object, TFieldHooks. Its default methods call the field's own conversion (the Internal... methods), so
// without an installed hook object the fields behave as the classic field classes do. The program's
// changed field layer derives from TFieldHooks, overrides what it changes for every field of the program
// (zero and empty stored as null, float rounding by Tag, expressions typed into float fields, the date
// check) and calls the Internal... methods or StoreValue for the rest:
//
//     class ChangedFieldLayer : public fw::TFieldHooks {
//         void SetAsFloat(fw::TField& f, double v) override {
//             if (v == 0) return f.Clear();
//             if (f.DataType() == fw::ftFloat) return f.InternalSetAsFloat(RoundByTag(f.Tag, v));
//             fw::TFieldHooks::SetAsFloat(f, v);
//         }
//     };
//     fw::InstallFieldHooks(&layer);

#include "engine/Engine.h"
#include "fw/db/FieldType.h"

#include <functional>
#include <memory>
#include <string>

namespace fw {

class TDataSet;
class TField;

enum TFieldKind { fkData, fkCalculated };

class TFieldHooks {
public:
    virtual ~TFieldHooks() = default;

    virtual void SetAsString(TField& field, const std::string& value);
    virtual void SetAsInteger(TField& field, long long value);
    virtual void SetAsFloat(TField& field, double value);
    virtual void SetAsBoolean(TField& field, bool value);
    virtual void SetAsDateTime(TField& field, double value);
    // Text typed by the user (after OnSetText, which replaces it when assigned).
    virtual void SetText(TField& field, const std::string& text);
    virtual std::string GetText(const TField& field, bool displayText);
    virtual long long GetAsInteger(const TField& field);
    virtual double GetAsFloat(const TField& field);
    // nullptr clears the field; another field copies its value.
    virtual void Assign(TField& field, const TField* source);
    // A field of an open dataset is being destroyed: the dataset has to be closed first.
    virtual void CloseDataSetOfField(TDataSet& dataSet);
};

// Installs the hook object (not owned; nullptr restores the fields' own behaviour).
void InstallFieldHooks(TFieldHooks* hooks);
TFieldHooks& FieldHooks();

class TField {
public:
    TField(TFieldType dataType, int size);
    virtual ~TField();
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    // --- identity
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& name) { fieldName_ = name; }
    TFieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    void SetSize(int size) { size_ = size; }
    // 1-based column of the table for a bound data field, 0 otherwise.
    int FieldNo() const { return fieldNo_; }
    // Type and size of the table column the field is bound to (ftUnknown and 0 while unbound).
    TFieldType ColumnType() const { return columnType_; }
    int ColumnSize() const { return columnSize_; }
    TFieldKind FieldKind() const { return kind_; }
    void SetFieldKind(TFieldKind kind) { kind_ = kind; }
    bool Calculated() const { return kind_ == fkCalculated; }
    TDataSet* DataSet() const { return dataSet_; }
    // Position in the dataset's field list.
    int Index() const;

    int Tag = 0;
    bool Visible = true;
    bool ReadOnly = false;
    bool Required = false;
    int DisplayWidth = 0;
    std::string DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(const std::string& label) { displayLabel_ = label; }

    // --- value
    bool IsNull() const;
    void Clear();
    std::string AsString() const;
    void SetAsString(const std::string& value);
    long long AsInteger() const;
    void SetAsInteger(long long value);
    double AsFloat() const;
    void SetAsFloat(double value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    // Days since 30.12.1899 with the time as the fraction.
    double AsDateTime() const;
    void SetAsDateTime(double value);
    // The value as a variant: as stored, except that dates and times are TDateTime floats. Setting converts
    // by the value's kind (a day number sets a date).
    engine::Value Value() const;
    void SetValue(const engine::Value& value);
    // The value before the current edit began (the stored row's value).
    engine::Value OldValue() const;
    // Text for editing and text for display; OnGetText replaces both when assigned.
    std::string Text() const;
    void SetText(const std::string& text);
    std::string DisplayText() const;
    void Assign(const TField* source);
    // True when the field may be written in the dataset's current state.
    bool CanModify() const;

    std::function<void(TField& sender, std::string& text, bool displayText)> OnGetText;
    std::function<void(TField& sender, const std::string& text)> OnSetText;
    // Runs with the new value in place; raising rejects it and the old value comes back.
    std::function<void(TField& sender)> OnValidate;
    std::function<void(TField& sender)> OnChange;

    // --- the field's own conversions (what the hooks fall back to)
    virtual std::string InternalGetAsString() const;
    virtual void InternalSetAsString(const std::string& value);
    virtual long long InternalGetAsInteger() const;
    virtual void InternalSetAsInteger(long long value);
    virtual double InternalGetAsFloat() const;
    virtual void InternalSetAsFloat(double value);
    virtual bool InternalGetAsBoolean() const;
    virtual void InternalSetAsBoolean(bool value);
    virtual double InternalGetAsDateTime() const;
    virtual void InternalSetAsDateTime(double value);
    virtual std::string InternalGetText(bool displayText) const;
    virtual void InternalSetText(const std::string& text) { InternalSetAsString(text); }
    void InternalAssign(const TField* source);

    // The stored value, and the write every conversion ends in: state and read-only checks, OnValidate,
    // then the dataset marks the record modified and OnChange runs.
    const engine::Value& StoredValue() const;
    void StoreValue(engine::Value value);

protected:
    [[noreturn]] void ConversionError(const char* kind) const;

private:
    friend class TDataSet;
    std::string fieldName_;
    std::string displayLabel_;
    TFieldType dataType_;
    int size_;
    int fieldNo_ = 0;
    int calcIndex_ = -1;
    TFieldType columnType_ = ftUnknown;
    int columnSize_ = 0;
    TFieldKind kind_ = fkData;
    TDataSet* dataSet_ = nullptr;
};

} // namespace fw
