#pragma once
// The field class of each column type. Text forms are the program's fixed Croatian ones: "1.234,5" for
// display of a float, "1234,5" for editing, "5.3.2024" for a date, "True"/"False" for a logical.

#include "fw/db/Field.h"

#include <memory>
#include <optional>
#include <string>

namespace fw {

class TStringField : public TField {
public:
    explicit TStringField(int size = 20) : TField(ftString, size) {}

    std::string InternalGetAsString() const override;
    // Text longer than Size characters is cut to Size characters; characters the tables cannot hold
    // (outside code page 1250) are refused.
    void InternalSetAsString(const std::string& value) override;
    long long InternalGetAsInteger() const override;
    void InternalSetAsInteger(long long value) override;
    double InternalGetAsFloat() const override;
    void InternalSetAsFloat(double value) override;
    bool InternalGetAsBoolean() const override;
    void InternalSetAsBoolean(bool value) override;
    double InternalGetAsDateTime() const override;
    void InternalSetAsDateTime(double value) override;

protected:
    TStringField(TFieldType type, int size) : TField(type, size) {}
};

// Text of any length; Size is the part kept in the table row.
class TMemoField : public TStringField {
public:
    explicit TMemoField(int size = 0) : TStringField(ftMemo, size) {}
    void InternalSetAsString(const std::string& value) override;
};

// The common base of the integer and float fields (hooks tell numbers apart by it).
class TNumericField : public TField {
public:
    using TField::TField;
};

class TIntegerField : public TNumericField {
public:
    TIntegerField() : TIntegerField(ftInteger, -2147483647LL, 2147483647LL) {}

    // 0 and 0 mean "no range of its own": only the type's range applies.
    long long MinValue = 0;
    long long MaxValue = 0;

    std::string InternalGetAsString() const override;
    void InternalSetAsString(const std::string& value) override;
    long long InternalGetAsInteger() const override;
    void InternalSetAsInteger(long long value) override;
    double InternalGetAsFloat() const override;
    // Rounds half away from zero.
    void InternalSetAsFloat(double value) override;
    std::string InternalGetText(bool displayText) const override;
    void CheckRange(long long value) const;

protected:
    TIntegerField(TFieldType type, long long typeMin, long long typeMax)
        : TNumericField(type, 0), typeMin_(typeMin), typeMax_(typeMax) {}

private:
    long long typeMin_;
    long long typeMax_;
};

// 16-bit; -32768 is left out because the table files cannot tell it from an empty field.
class TSmallintField : public TIntegerField {
public:
    TSmallintField() : TIntegerField(ftSmallint, -32767, 32767) {}
};
class TWordField : public TIntegerField {
public:
    TWordField() : TIntegerField(ftWord, 0, 65535) {}
};
// Numbered by the table when a new row is posted; a value given in a new row is kept.
class TAutoIncField : public TIntegerField {
public:
    TAutoIncField() : TIntegerField(ftAutoInc, 0, 2147483647LL) {}
    // 0 leaves the number to the table.
    void InternalSetAsInteger(long long value) override;
};

class TFloatField : public TNumericField {
public:
    TFloatField() : TNumericField(ftFloat, 0) {}

    // Both 0: no range.
    double MinValue = 0;
    double MaxValue = 0;
    // Display with two decimals and thousands separators.
    bool Currency = false;

    std::string InternalGetAsString() const override;
    void InternalSetAsString(const std::string& value) override;
    long long InternalGetAsInteger() const override;
    void InternalSetAsInteger(long long value) override;
    double InternalGetAsFloat() const override;
    // Refuses NaN and infinities; raises outside MinValue..MaxValue.
    void InternalSetAsFloat(double value) override;
    std::string InternalGetText(bool displayText) const override;
    void CheckRange(double value) const;

protected:
    explicit TFloatField(TFieldType type) : TNumericField(type, 0) {}
};

class TCurrencyField : public TFloatField {
public:
    TCurrencyField() : TFloatField(ftCurrency) { Currency = true; }
};

// A fixed-point number. On a stored BCD column it reads and writes the column's packed decimal digits (as
// many decimals as the column has); elsewhere it holds a float rounded to four decimals.
class TBCDField : public TFloatField {
public:
    TBCDField() : TFloatField(ftBCD) { Currency = true; }
    // The exact decimal text of a stored BCD value.
    std::string InternalGetAsString() const override;
    double InternalGetAsFloat() const override;
    void InternalSetAsFloat(double value) override;
};

// Packed decimal digits of a BCD column (17 bytes) and back; nullopt for bytes that hold no number.
std::optional<std::string> BcdToText(const std::string& bytes);
std::string TextToBcd(double value, int decimals);

class TBooleanField : public TField {
public:
    TBooleanField() : TField(ftBoolean, 0) {}

    // "true text;false text"; reading and writing text use them, and a text matches a value when it is
    // the start of that value's text (case-insensitive).
    void SetDisplayValues(const std::string& values);
    const std::string& DisplayValues() const { return displayValues_; }

    std::string InternalGetAsString() const override;
    void InternalSetAsString(const std::string& value) override;
    bool InternalGetAsBoolean() const override;
    void InternalSetAsBoolean(bool value) override;

private:
    std::string displayValues_ = "True;False";
    std::string trueText_ = "True";
    std::string falseText_ = "False";
};

// Dates and times as TDateTime values; a date field stores only the day, a time field only the time.
class TDateTimeField : public TField {
public:
    TDateTimeField() : TField(ftDateTime, 0) {}

    std::string InternalGetAsString() const override;
    // "d.m.yyyy", "h:mm[:ss]" or both by the field's kind; an empty text clears the field.
    void InternalSetAsString(const std::string& value) override;
    double InternalGetAsFloat() const override { return InternalGetAsDateTime(); }
    void InternalSetAsFloat(double value) override { InternalSetAsDateTime(value); }
    double InternalGetAsDateTime() const override;
    void InternalSetAsDateTime(double value) override;

protected:
    explicit TDateTimeField(TFieldType type) : TField(type, 0) {}
};

class TDateField : public TDateTimeField {
public:
    TDateField() : TDateTimeField(ftDate) {}
};

class TTimeField : public TDateTimeField {
public:
    TTimeField() : TDateTimeField(ftTime) {}
};

// Raw bytes of column types the program never creates (bytes, blobs); read as hexadecimal text.
class TBytesField : public TField {
public:
    explicit TBytesField(TFieldType type = ftBytes, int size = 0) : TField(type, size) {}
    std::string InternalGetAsString() const override;
};

// The field class for a column type, as a dataset creates its fields when it has none of its own.
std::unique_ptr<TField> CreateField(TFieldType type, int size);

} // namespace fw
