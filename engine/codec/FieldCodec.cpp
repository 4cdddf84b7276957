#include "engine/codec/FieldCodec.h"

#include "engine/Errors.h"

#include <cmath>
#include <cstring>

namespace engine::codec {
namespace {

[[noreturn]] void BadValue(const FieldLayout& f, const std::string& fileName) {
    throw Error("Neispravna vrijednost polja " + f.Desc.Name + " (" + fileName + ")");
}

} // namespace

bool IsAllZero(const unsigned char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != 0) return false;
    return true;
}

bool IsMemoType(std::uint8_t code) {
    return code >= 0x0C && code <= 0x10;
}

FieldLayout LayoutForNew(const FieldDesc& desc, const std::string& fileName) {
    FieldLayout f;
    f.Desc = desc;
    auto fixed = [&](std::uint8_t code, int bytes) {
        if (desc.Size != 0) throw Error("Polje " + desc.Name + " ne može imati veličinu (" + fileName + ")");
        f.Code = code;
        f.SizeByte = static_cast<std::uint8_t>(bytes);
        f.Bytes = bytes;
    };
    switch (desc.Type) {
    case FieldType::Alpha:
        if (desc.Size < 1 || desc.Size > 255)
            throw Error("Neispravna veličina polja " + desc.Name + " (" + fileName + ")");
        f.Code = 0x01;
        f.SizeByte = static_cast<std::uint8_t>(desc.Size);
        f.Bytes = desc.Size;
        break;
    case FieldType::Memo:
        if (desc.Size < 1 || desc.Size > 240)
            throw Error("Neispravna veličina polja " + desc.Name + " (" + fileName + ")");
        f.Code = 0x0C;
        f.SizeByte = static_cast<std::uint8_t>(desc.Size + 10);
        f.Bytes = desc.Size + 10;
        break;
    case FieldType::Short:
        fixed(0x03, 2);
        break;
    case FieldType::Long:
        fixed(0x04, 4);
        break;
    case FieldType::Number:
        fixed(0x06, 8);
        break;
    case FieldType::Logical:
        fixed(0x09, 1);
        break;
    case FieldType::Date:
        fixed(0x02, 4);
        break;
    case FieldType::AutoInc:
        fixed(0x16, 4);
        break;
    default:
        throw Error("Tip polja " + desc.Name + " se ne može stvoriti (" + fileName + ")");
    }
    return f;
}

bool LayoutFromFile(std::uint8_t code, std::uint8_t sizeByte, FieldLayout& f) {
    f.Code = code;
    f.SizeByte = sizeByte;
    f.Desc.Size = 0;
    auto fixed = [&](FieldType t, int bytes) {
        f.Desc.Type = t;
        f.Bytes = bytes;
        return sizeByte == bytes;
    };
    switch (code) {
    case 0x01:
        f.Desc.Type = FieldType::Alpha;
        f.Desc.Size = sizeByte;
        f.Bytes = sizeByte;
        return sizeByte >= 1;
    case 0x02:
        return fixed(FieldType::Date, 4);
    case 0x03:
        return fixed(FieldType::Short, 2);
    case 0x04:
        return fixed(FieldType::Long, 4);
    case 0x05:
        return fixed(FieldType::Currency, 8);
    case 0x06:
        return fixed(FieldType::Number, 8);
    case 0x09:
        return fixed(FieldType::Logical, 1);
    case 0x14:
        return fixed(FieldType::Time, 4);
    case 0x15:
        return fixed(FieldType::Timestamp, 8);
    case 0x16:
        return fixed(FieldType::AutoInc, 4);
    case 0x17:
        // The size byte of a BCD field is its digits after the point; the field always takes 17 bytes.
        f.Desc.Type = FieldType::BCD;
        f.Desc.Size = sizeByte;
        f.Bytes = 17;
        return sizeByte <= 32;
    case 0x18:
        f.Desc.Type = FieldType::Bytes;
        f.Desc.Size = sizeByte;
        f.Bytes = sizeByte;
        return sizeByte >= 1;
    case 0x0C:
    case 0x0D:
    case 0x0E:
    case 0x0F:
    case 0x10:
        f.Desc.Type = code == 0x0C ? FieldType::Memo : FieldType::Blob;
        f.Desc.Size = sizeByte - 10;
        f.Bytes = sizeByte;
        return sizeByte >= 10 && (code != 0x0C || sizeByte > 10);
    default:
        return false;
    }
}

std::int64_t DecodeInt(const unsigned char* p, int n) {
    std::uint64_t u = 0;
    for (int i = 0; i < n; ++i)
        u = (u << 8) | p[i];
    const std::uint64_t sign = 1ull << (8 * n - 1);
    u ^= sign;
    // Sign-extend the n-byte two's complement value.
    if (n < 8 && (u & sign)) u |= ~((sign << 1) - 1);
    return static_cast<std::int64_t>(u);
}

void EncodeInt(std::int64_t v, unsigned char* p, int n) {
    const std::uint64_t sign = 1ull << (8 * n - 1);
    const std::uint64_t u = (static_cast<std::uint64_t>(v) ^ sign) & (n == 8 ? ~0ull : (1ull << (8 * n)) - 1);
    for (int i = n - 1; i >= 0; --i)
        p[n - 1 - i] = static_cast<unsigned char>(u >> (8 * i));
}

double DecodeFloat(const unsigned char* p) {
    std::uint64_t u = 0;
    for (int i = 0; i < 8; ++i)
        u = (u << 8) | p[i];
    if (u & 0x8000000000000000ull)
        u &= 0x7FFFFFFFFFFFFFFFull;
    else
        u = ~u;
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}

void EncodeFloat(double v, unsigned char* p) {
    if (v == 0.0) v = 0.0; // -0.0 is kept as +0.0
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    if (u & 0x8000000000000000ull)
        u = ~u;
    else
        u |= 0x8000000000000000ull;
    for (int i = 7; i >= 0; --i)
        p[7 - i] = static_cast<unsigned char>(u >> (8 * i));
}

Value DecodeField(const FieldLayout& f, const unsigned char* p, const CodePage& cp) {
    if (IsAllZero(p, f.Bytes)) return {};
    switch (f.Desc.Type) {
    case FieldType::Alpha: {
        int n = 0;
        while (n < f.Bytes && p[n] != 0)
            ++n;
        return Value::Text(cp.ToUtf8(std::string_view(reinterpret_cast<const char*>(p), n)));
    }
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
    case FieldType::Time:
        return Value::Int(DecodeInt(p, f.Bytes));
    case FieldType::Date:
        return Value::Date(static_cast<std::int32_t>(DecodeInt(p, 4)));
    case FieldType::Number:
    case FieldType::Currency:
    case FieldType::Timestamp:
        return Value::Float(DecodeFloat(p));
    case FieldType::Logical:
        return Value::Bool((p[0] & 0x7F) != 0);
    default:
        return Value::Bytes(std::string(reinterpret_cast<const char*>(p), f.Bytes));
    }
}

void EncodeField(const FieldLayout& f, const Value& v, unsigned char* p, const CodePage& cp,
                 const std::string& fileName) {
    std::memset(p, 0, f.Bytes);
    if (v.IsNull()) return;
    auto integer = [&](std::int64_t lo, std::int64_t hi) {
        std::int64_t i;
        if (v.IsInt()) {
            i = v.AsInt();
        } else if (v.IsFloat() && std::nearbyint(v.AsFloat()) == v.AsFloat() &&
                   std::fabs(v.AsFloat()) < 1e18) {
            i = static_cast<std::int64_t>(v.AsFloat());
        } else {
            BadValue(f, fileName);
        }
        // The lowest value of each width would be stored as all zeros, which reads back as null.
        if (i < lo || i > hi)
            throw Error("Vrijednost polja " + f.Desc.Name + " je izvan raspona (" + fileName + ")");
        EncodeInt(i, p, f.Bytes);
    };
    switch (f.Desc.Type) {
    case FieldType::Alpha: {
        if (!v.IsText()) BadValue(f, fileName);
        std::string bytes;
        try {
            bytes = cp.FromUtf8(v.AsText());
        } catch (const base::Exception& e) {
            throw Error(e.Message() + " (" + fileName + ")");
        }
        std::memcpy(p, bytes.data(), std::min<std::size_t>(bytes.size(), f.Bytes));
        return;
    }
    case FieldType::Short:
        return integer(-32767, 32767);
    case FieldType::Long:
    case FieldType::AutoInc:
    case FieldType::Time:
        return integer(-2147483647, 2147483647);
    case FieldType::Date:
        if (v.IsDate()) {
            if (v.AsDate() == INT32_MIN) BadValue(f, fileName);
            EncodeInt(v.AsDate(), p, 4);
            return;
        }
        return integer(-2147483647, 2147483647);
    case FieldType::Number:
    case FieldType::Currency:
    case FieldType::Timestamp: {
        double d;
        if (v.IsFloat())
            d = v.AsFloat();
        else if (v.IsInt())
            d = static_cast<double>(v.AsInt());
        else
            BadValue(f, fileName);
        if (std::isnan(d)) BadValue(f, fileName);
        EncodeFloat(d, p);
        return;
    }
    case FieldType::Logical:
        if (!v.IsBool()) BadValue(f, fileName);
        p[0] = v.AsBool() ? 0x81 : 0x80;
        return;
    default:
        if (!v.IsBytes() || v.AsBytes().size() != static_cast<std::size_t>(f.Bytes)) BadValue(f, fileName);
        std::memcpy(p, v.AsBytes().data(), f.Bytes);
        return;
    }
}

std::string EncodeMemoText(const FieldLayout& f, const Value& v, const CodePage& cp,
                           const std::string& fileName) {
    if (v.IsNull()) return {};
    if (f.Desc.Type == FieldType::Memo) {
        if (!v.IsText()) BadValue(f, fileName);
        try {
            return cp.FromUtf8(v.AsText());
        } catch (const base::Exception& e) {
            throw Error(e.Message() + " (" + fileName + ")");
        }
    }
    if (!v.IsBytes()) BadValue(f, fileName);
    return v.AsBytes();
}

Value DecodeMemoText(const FieldLayout& f, const std::string& bytes, const CodePage& cp) {
    if (bytes.empty()) return {};
    if (f.Desc.Type == FieldType::Memo) return Value::Text(cp.ToUtf8(bytes));
    return Value::Bytes(bytes);
}

} // namespace engine::codec
