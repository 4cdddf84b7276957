#include "fw/db/FieldClasses.h"

#include "base/Cp1250.h"
#include "base/CroatianFormat.h"
#include "base/Text.h"
#include "fw/db/DatabaseError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace fw {

namespace {

constexpr double MsPerDay = 86400000.0;

long long IntOf(const engine::Value& v) {
    if (v.IsInt()) return v.AsInt();
    if (v.IsFloat()) return std::llround(v.AsFloat());
    if (v.IsBool()) return v.AsBool() ? 1 : 0;
    if (v.IsDate()) return v.AsDate();
    return 0;
}

double FloatOf(const engine::Value& v) {
    if (v.IsFloat()) return v.AsFloat();
    if (v.IsInt()) return static_cast<double>(v.AsInt());
    if (v.IsBool()) return v.AsBool() ? 1 : 0;
    if (v.IsBytes()) DatabaseError("Vrijednost polja ne može se pročitati kao broj");
    return 0;
}

// Refuses text the tables cannot hold, with the engine-independent message of the code page.
void CheckStorable(const std::string& text) {
    if (base::IsCp1250Text(text)) return;
    try {
        base::Utf8ToCp1250(text);
    } catch (const base::Exception& e) {
        DatabaseError(e.Message());
    }
    DatabaseError("Tekst sadrži znak koji se ne može spremiti");
}

std::string TimeText(double dateTime, bool always) {
    double frac = dateTime - std::floor(dateTime);
    long long ms = std::llround(frac * MsPerDay);
    if (ms >= static_cast<long long>(MsPerDay)) ms = 0;
    if (ms == 0 && !always) return "";
    long long s = ms / 1000;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

// "h:mm" or "h:mm:ss" as a fraction of a day.
std::optional<double> ParseTime(const std::string& text) {
    int h = 0, m = 0, s = 0;
    char extra = 0;
    int n = std::sscanf(text.c_str(), "%d:%d:%d%c", &h, &m, &s, &extra);
    if (n < 2 || n > 3) return std::nullopt;
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return std::nullopt;
    return (h * 3600.0 + m * 60.0 + s) / 86400.0;
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

} // namespace

// --------------------------------------------------------------------------------------------- strings

std::string TStringField::InternalGetAsString() const {
    const engine::Value& v = StoredValue();
    return v.IsText() ? v.AsText() : std::string();
}

void TStringField::InternalSetAsString(const std::string& value) {
    CheckStorable(value);
    std::string text = Size() > 0 ? base::CutChars(value, static_cast<std::size_t>(Size())) : value;
    // The tables cannot tell an empty text from an empty field.
    StoreValue(text.empty() ? engine::Value() : engine::Value::Text(std::move(text)));
}

long long TStringField::InternalGetAsInteger() const {
    std::string text = base::Trim(InternalGetAsString());
    if (text.empty()) return 0;
    if (auto v = base::ParseInteger(text)) return *v;
    DatabaseError(Quoted(text) + " nije ispravan cijeli broj");
}

void TStringField::InternalSetAsInteger(long long value) {
    InternalSetAsString(base::FormatInteger(value, false));
}

double TStringField::InternalGetAsFloat() const {
    std::string text = base::Trim(InternalGetAsString());
    if (text.empty()) return 0;
    if (auto v = base::ParseFloat(text)) return *v;
    DatabaseError(Quoted(text) + " nije ispravan broj");
}

void TStringField::InternalSetAsFloat(double value) {
    InternalSetAsString(base::FloatToText(value));
}

bool TStringField::InternalGetAsBoolean() const {
    std::string text = base::UpperCase(base::Trim(InternalGetAsString()));
    if (text.empty()) return false;
    char c = text[0];
    if (c == 'T' || c == 'Y' || c == 'D') return true;
    if (c == 'F' || c == 'N') return false;
    DatabaseError(Quoted(text) + " nije ispravna logička vrijednost");
}

void TStringField::InternalSetAsBoolean(bool value) {
    InternalSetAsString(value ? "T" : "F");
}

double TStringField::InternalGetAsDateTime() const {
    std::string text = base::Trim(InternalGetAsString());
    if (text.empty()) return 0;
    if (auto d = base::ParseDate(text)) return base::ToDateTime(*d);
    DatabaseError(Quoted(text) + " nije ispravan datum");
}

void TStringField::InternalSetAsDateTime(double value) {
    std::string text = base::FormatDate(base::FromDateTime(value));
    std::string time = TimeText(value, false);
    InternalSetAsString(time.empty() ? text : text + " " + time);
}

void TMemoField::InternalSetAsString(const std::string& value) {
    CheckStorable(value);
    StoreValue(value.empty() ? engine::Value() : engine::Value::Text(value));
}

// --------------------------------------------------------------------------------------------- integers

std::string TIntegerField::InternalGetAsString() const {
    const engine::Value& v = StoredValue();
    return v.IsNull() ? std::string() : base::FormatInteger(IntOf(v), false);
}

void TIntegerField::InternalSetAsString(const std::string& value) {
    std::string text = base::Trim(value);
    if (text.empty()) return Clear();
    auto v = base::ParseInteger(text);
    if (!v) DatabaseError(Quoted(text) + " nije ispravan cijeli broj");
    InternalSetAsInteger(*v);
}

long long TIntegerField::InternalGetAsInteger() const {
    return IntOf(StoredValue());
}
double TIntegerField::InternalGetAsFloat() const {
    return static_cast<double>(IntOf(StoredValue()));
}

void TIntegerField::InternalSetAsInteger(long long value) {
    CheckRange(value);
    StoreValue(engine::Value::Int(value));
}

void TIntegerField::InternalSetAsFloat(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 9.0e18)
        DatabaseError("Vrijednost " + base::FloatToText(value) + " nije ispravan cijeli broj");
    InternalSetAsInteger(std::llround(value));
}

std::string TIntegerField::InternalGetText(bool) const {
    return InternalGetAsString();
}

void TIntegerField::CheckRange(long long value) const {
    long long lo = typeMin_, hi = typeMax_;
    if (MinValue != 0 || MaxValue != 0) {
        lo = std::max(lo, MinValue);
        hi = std::min(hi, MaxValue);
    }
    if (value < lo || value > hi)
        DatabaseError("Vrijednost " + std::to_string(value) + " nije u rasponu od " + std::to_string(lo) +
                      " do " + std::to_string(hi));
}

void TAutoIncField::InternalSetAsInteger(long long value) {
    if (value == 0) return Clear();
    TIntegerField::InternalSetAsInteger(value);
}

// --------------------------------------------------------------------------------------------- floats

std::string TFloatField::InternalGetAsString() const {
    return StoredValue().IsNull() ? std::string() : base::FloatToText(InternalGetAsFloat());
}

void TFloatField::InternalSetAsString(const std::string& value) {
    std::string text = base::Trim(value);
    if (text.empty()) return Clear();
    auto v = base::ParseFloat(text);
    if (!v) DatabaseError(Quoted(text) + " nije ispravan broj");
    InternalSetAsFloat(*v);
}

long long TFloatField::InternalGetAsInteger() const {
    double v = InternalGetAsFloat();
    if (std::fabs(v) > 9.0e18)
        DatabaseError("Vrijednost " + base::FloatToText(v) + " je prevelika za cijeli broj");
    return std::llround(v);
}

void TFloatField::InternalSetAsInteger(long long value) {
    InternalSetAsFloat(static_cast<double>(value));
}
double TFloatField::InternalGetAsFloat() const {
    return FloatOf(StoredValue());
}

void TFloatField::InternalSetAsFloat(double value) {
    if (!std::isfinite(value)) DatabaseError("Vrijednost nije ispravan broj");
    CheckRange(value);
    StoreValue(engine::Value::Float(value == 0 ? 0.0 : value));
}

std::string TFloatField::InternalGetText(bool displayText) const {
    if (StoredValue().IsNull()) return "";
    if (displayText && Currency) return base::FormatFloat(InternalGetAsFloat(), 2, true);
    return InternalGetAsString();
}

void TFloatField::CheckRange(double value) const {
    if (MinValue == 0 && MaxValue == 0) return;
    if (value < MinValue || value > MaxValue)
        DatabaseError("Vrijednost " + base::FloatToText(value) + " nije u rasponu od " +
                      base::FloatToText(MinValue) + " do " + base::FloatToText(MaxValue));
}

std::optional<std::string> BcdToText(const std::string& bytes) {
    if (bytes.size() != 17) return std::nullopt;
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    bool negative = (byte(0) & 0x80) == 0;
    int decimals = byte(0) & 0x3F;
    if (decimals > 32) return std::nullopt;
    std::string digits;
    for (std::size_t i = 1; i < 17; ++i)
        for (int nibble : {byte(i) >> 4, byte(i) & 15}) {
            if (negative) nibble = 15 - nibble;
            if (nibble > 9) return std::nullopt;
            digits += static_cast<char>('0' + nibble);
        }
    std::string whole = digits.substr(0, digits.size() - static_cast<std::size_t>(decimals));
    std::string fraction = digits.substr(whole.size());
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.empty()) whole = "0";
    fraction.erase(fraction.find_last_not_of('0') + 1);
    std::string text = fraction.empty() ? whole : whole + "," + fraction;
    return negative && text != "0" ? "-" + text : text;
}

std::string TextToBcd(double value, int decimals) {
    decimals = std::clamp(decimals, 0, 32);
    if (!std::isfinite(value) || std::fabs(value) >= std::pow(10.0, 32 - decimals))
        DatabaseError("Vrijednost " + base::FloatToText(value) + " ne stane u BCD polje");
    std::vector<char> buf(80);
    // Half away from zero, like the rest of the program's rounding.
    if (decimals <= 15)
        std::snprintf(buf.data(), buf.size(), "%.0f",
                      std::round(std::fabs(value) * std::pow(10.0, decimals)));
    else
        std::snprintf(buf.data(), buf.size(), "%.*f", decimals, std::fabs(value));
    std::string digits;
    for (char c : std::string(buf.data()))
        if (c >= '0' && c <= '9') digits += c;
    digits = std::string(32 - std::min<std::size_t>(32, digits.size()), '0') +
             digits.substr(digits.size() > 32 ? digits.size() - 32 : 0);
    bool negative = value < 0 && digits.find_first_not_of('0') != std::string::npos;
    std::string bytes(17, '\0');
    bytes[0] = static_cast<char>((negative ? 0x40 : 0xC0) | decimals);
    for (std::size_t i = 0; i < 16; ++i) {
        int hi = digits[2 * i] - '0', lo = digits[2 * i + 1] - '0';
        if (negative) hi = 15 - hi, lo = 15 - lo;
        bytes[i + 1] = static_cast<char>(hi << 4 | lo);
    }
    return bytes;
}

std::string TBCDField::InternalGetAsString() const {
    const engine::Value& v = StoredValue();
    if (!v.IsBytes()) return TFloatField::InternalGetAsString();
    auto text = BcdToText(v.AsBytes());
    if (!text) DatabaseError("Polje '" + FieldName() + "' ne sadrži ispravan broj");
    return *text;
}

double TBCDField::InternalGetAsFloat() const {
    const engine::Value& v = StoredValue();
    if (!v.IsBytes()) return TFloatField::InternalGetAsFloat();
    auto number = base::ParseFloat(InternalGetAsString());
    if (!number) DatabaseError("Polje '" + FieldName() + "' ne sadrži ispravan broj");
    return *number;
}

void TBCDField::InternalSetAsFloat(double value) {
    if (ColumnType() == ftBCD) {
        if (!std::isfinite(value)) DatabaseError("Vrijednost nije ispravan broj");
        CheckRange(value);
        return StoreValue(engine::Value::Bytes(TextToBcd(value, ColumnSize())));
    }
    if (std::isfinite(value) && std::fabs(value) < 1.0e14) value = std::round(value * 1.0e4) / 1.0e4;
    TFloatField::InternalSetAsFloat(value);
}

// --------------------------------------------------------------------------------------------- logicals

void TBooleanField::SetDisplayValues(const std::string& values) {
    auto sep = values.find(';');
    trueText_ = values.substr(0, sep);
    falseText_ = sep == std::string::npos ? std::string() : values.substr(sep + 1);
    displayValues_ = values;
}

std::string TBooleanField::InternalGetAsString() const {
    const engine::Value& v = StoredValue();
    if (v.IsNull()) return "";
    return InternalGetAsBoolean() ? trueText_ : falseText_;
}

void TBooleanField::InternalSetAsString(const std::string& value) {
    std::string text = base::Trim(value);
    if (text.empty()) return Clear();
    auto isStartOf = [&](const std::string& full) {
        return base::SameText(base::CutChars(full, base::CharCount(text)), text);
    };
    if (isStartOf(falseText_)) return InternalSetAsBoolean(false);
    if (isStartOf(trueText_)) return InternalSetAsBoolean(true);
    DatabaseError(Quoted(text) + " nije ispravna logička vrijednost");
}

bool TBooleanField::InternalGetAsBoolean() const {
    const engine::Value& v = StoredValue();
    return v.IsBool() ? v.AsBool() : IntOf(v) != 0;
}

void TBooleanField::InternalSetAsBoolean(bool value) {
    StoreValue(engine::Value::Bool(value));
}

// --------------------------------------------------------------------------------------------- dates

double TDateTimeField::InternalGetAsDateTime() const {
    const engine::Value& v = StoredValue();
    if (v.IsDate()) return static_cast<double>(v.AsDate() - base::DateTimeEpoch);
    if (DataType() == ftTime) return FloatOf(v) / MsPerDay;
    if (v.IsFloat()) return v.AsFloat() / MsPerDay - static_cast<double>(base::DateTimeEpoch);
    return 0;
}

void TDateTimeField::InternalSetAsDateTime(double value) {
    if (!std::isfinite(value)) DatabaseError("Vrijednost nije ispravan datum");
    double days = value + static_cast<double>(base::DateTimeEpoch);
    if (DataType() != ftTime && (days < 1 || days > 3652059.0))
        DatabaseError("Datum je izvan dopuštenog raspona");
    if (DataType() == ftDate)
        return StoreValue(engine::Value::Date(static_cast<std::int32_t>(std::floor(days))));
    if (DataType() == ftTime) {
        double frac = value - std::floor(value);
        return StoreValue(engine::Value::Int(std::llround(frac * MsPerDay)));
    }
    StoreValue(engine::Value::Float(std::round(days * MsPerDay)));
}

std::string TDateTimeField::InternalGetAsString() const {
    if (StoredValue().IsNull()) return "";
    double dt = InternalGetAsDateTime();
    if (DataType() == ftTime) return TimeText(dt, true);
    std::string date = base::FormatDate(base::FromDateTime(dt));
    if (DataType() == ftDate) return date;
    std::string time = TimeText(dt, false);
    return time.empty() ? date : date + " " + time;
}

void TDateTimeField::InternalSetAsString(const std::string& value) {
    std::string text = base::Trim(value);
    if (text.empty()) return Clear();
    if (DataType() == ftTime) {
        auto t = ParseTime(text);
        if (!t) DatabaseError(Quoted(text) + " nije ispravno vrijeme");
        return InternalSetAsDateTime(*t);
    }
    std::string datePart = text, timePart;
    if (auto sp = text.find(' '); sp != std::string::npos && DataType() == ftDateTime) {
        datePart = text.substr(0, sp);
        timePart = base::Trim(text.substr(sp + 1));
    }
    auto d = base::ParseDate(datePart);
    if (!d) DatabaseError(Quoted(text) + " nije ispravan datum");
    double dt = base::ToDateTime(*d);
    if (!timePart.empty()) {
        auto t = ParseTime(timePart);
        if (!t) DatabaseError(Quoted(text) + " nije ispravan datum");
        dt += dt < 0 ? -*t : *t;
    }
    InternalSetAsDateTime(dt);
}

// --------------------------------------------------------------------------------------------- bytes

std::string TBytesField::InternalGetAsString() const {
    const engine::Value& v = StoredValue();
    if (!v.IsBytes()) return "";
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : v.AsBytes()) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::unique_ptr<TField> CreateField(TFieldType type, int size) {
    switch (type) {
    case ftString:
        return std::make_unique<TStringField>(size);
    case ftSmallint:
        return std::make_unique<TSmallintField>();
    case ftInteger:
        return std::make_unique<TIntegerField>();
    case ftWord:
        return std::make_unique<TWordField>();
    case ftBoolean:
        return std::make_unique<TBooleanField>();
    case ftFloat:
        return std::make_unique<TFloatField>();
    case ftCurrency:
        return std::make_unique<TCurrencyField>();
    case ftBCD: {
        auto field = std::make_unique<TBCDField>();
        field->SetSize(size);
        return field;
    }
    case ftDate:
        return std::make_unique<TDateField>();
    case ftTime:
        return std::make_unique<TTimeField>();
    case ftDateTime:
        return std::make_unique<TDateTimeField>();
    case ftAutoInc:
        return std::make_unique<TAutoIncField>();
    case ftMemo:
    case ftFmtMemo:
        return std::make_unique<TMemoField>(size);
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
        return std::make_unique<TBytesField>(type, size);
    default:
        DatabaseError("Nepoznata vrsta polja " + std::to_string(static_cast<int>(type)));
    }
}

} // namespace fw
