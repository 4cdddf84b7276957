// The byte encodings of the table files.
#include "Json.h"

#include "base/CroatianFormat.h"
#include "engine/codec/CodePage.h"
#include "engine/codec/FieldCodec.h"
#include "engine/Engine.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using namespace engine;
using namespace engine::codec;
using enginetest::Json;

std::string Hex(const unsigned char* p, int n) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += digits[p[i] >> 4];
        out += digits[p[i] & 15];
    }
    return out;
}

std::string Encoded(FieldType type, const Value& v, int size = 0) {
    const FieldLayout f = LayoutForNew({"F", type, size, false}, "T.DB");
    unsigned char buf[64];
    EncodeField(f, v, buf, CodePage(1250), "T.DB");
    return Hex(buf, f.Bytes);
}

TEST(Codec, FieldEncodings) {
    EXPECT_EQ(Encoded(FieldType::Short, Value::Int(1)), "8001");
    EXPECT_EQ(Encoded(FieldType::Short, Value::Int(-256)), "7F00");
    EXPECT_EQ(Encoded(FieldType::Short, Value::Int(-32767)), "0001");
    EXPECT_EQ(Encoded(FieldType::Short, Value()), "0000");
    EXPECT_EQ(Encoded(FieldType::Long, Value::Int(0)), "80000000");
    EXPECT_EQ(Encoded(FieldType::Long, Value::Int(-7)), "7FFFFFF9");
    EXPECT_EQ(Encoded(FieldType::AutoInc, Value::Int(2147483647)), "FFFFFFFF");
    EXPECT_EQ(Encoded(FieldType::Number, Value::Float(2.35)), "C002CCCCCCCCCCCD");
    EXPECT_EQ(Encoded(FieldType::Number, Value::Float(-2.5)), "3FFBFFFFFFFFFFFF");
    EXPECT_EQ(Encoded(FieldType::Number, Value::Float(0.0)), "8000000000000000");
    EXPECT_EQ(Encoded(FieldType::Number, Value::Float(-0.0)), "8000000000000000");
    EXPECT_EQ(Encoded(FieldType::Number, Value::Float(0.1)), "BFB999999999999A");
    EXPECT_EQ(Encoded(FieldType::Logical, Value::Bool(true)), "81");
    EXPECT_EQ(Encoded(FieldType::Logical, Value::Bool(false)), "80");
    EXPECT_EQ(
        Encoded(FieldType::Date, Value::Date(static_cast<std::int32_t>(base::DayNumber({2024, 2, 29})))),
        "800B4681");
    EXPECT_EQ(Encoded(FieldType::Alpha, Value::Text("Šifra čćžšđ"), 12), "8A69667261"
                                                                         "20E8E69E9AF000");
    EXPECT_EQ(Encoded(FieldType::Alpha, Value::Text(""), 3), "000000");
    // Values that would collapse into a null are refused.
    EXPECT_THROW(Encoded(FieldType::Short, Value::Int(-32768)), Error);
    EXPECT_THROW(Encoded(FieldType::Long, Value::Int(-2147483648LL)), Error);
    EXPECT_THROW(Encoded(FieldType::Number, Value::Float(std::nan(""))), Error);
    // Logical bytes other than 80/81 read as true; all zeros as null.
    FieldLayout logical = LayoutForNew({"L", FieldType::Logical, 0, false}, "T.DB");
    const unsigned char odd = 0x85;
    EXPECT_TRUE(DecodeField(logical, &odd, CodePage(1250)).AsBool());
}

TEST(Codec, ForeignCodePagesReadAndWriteTheirOwnBytes) {
    const CodePage cp1252(1252), cp850(850), cp1250(1250);
    EXPECT_EQ(cp1252.ToUtf8("\x80\x9C\xE9\x81"), "€œé\xEF\xBF\xBD"); // 0x81 is undefined in 1252
    EXPECT_EQ(cp1252.FromUtf8("€œé"), "\x80\x9C\xE9");
    EXPECT_EQ(cp850.ToUtf8("\x9A\x82"), "Üé");
    EXPECT_EQ(cp850.FromUtf8("Üé"), "\x9A\x82");
    EXPECT_EQ(cp1250.FromUtf8("Šč"), "\x8A\xE8");
    try {
        cp1252.FromUtf8("ač");
        ADD_FAILURE() << "č was stored in code page 1252";
    } catch (const base::Exception& e) {
        EXPECT_STREQ(e.what(), "Znak \"č\" se ne može spremiti u tablicu");
    }
    EXPECT_THROW(cp850.FromUtf8("a\xC3"), base::Exception);
    EXPECT_EQ(cp850.Upper('a'), 'A');
    EXPECT_EQ(cp1250.Upper(0x9A), 0x8A);
}

// A table written here holds exactly the data blocks the reference writer produced for the same rows.
TEST(Codec, WrittenBlocksMatchTheReferenceFileByteForByte) {
    const auto shared = testsupport::SharedFixtures();
    if (shared.empty()) GTEST_SKIP() << "shared fixtures not present";
    const std::string reference = testsupport::ReadFile(shared / "paradox" / "TIPOVI.DB");
    const Json j = Json::Parse(testsupport::ReadFile(shared / "paradox" / "TIPOVI.json"));
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "TIPOVI.DB",
                {{"Naziv", FieldType::Alpha, 20, false},
                 {"Kolicina", FieldType::Short, 0, false},
                 {"Iznos", FieldType::Long, 0, false},
                 {"Cijena", FieldType::Number, 0, false},
                 {"Aktivan", FieldType::Logical, 0, false},
                 {"Datum", FieldType::Date, 0, false},
                 {"Redni", FieldType::AutoInc, 0, false}});
    {
        auto t = Table::Open(tmp.Path(), "TIPOVI.DB", OpenMode::Shared);
        auto c = t->OpenCursor();
        for (const Json& r : j["rows"].A) {
            Row row;
            row.push_back(r[0].IsNull() ? Value() : Value::Text(r[0].Text));
            row.push_back(r[1].IsNull() ? Value() : Value::Int(r[1].Int()));
            row.push_back(r[2].IsNull() ? Value() : Value::Int(r[2].Int()));
            row.push_back(r[3].IsNull() ? Value() : Value::Float(r[3].N));
            row.push_back(r[4].IsNull() ? Value() : Value::Bool(r[4].B));
            const std::string& d = r[5].Text;
            row.push_back(r[5].IsNull() ? Value()
                                        : Value::Date(static_cast<std::int32_t>(base::DayNumber(
                                              {std::stoi(d.substr(0, 4)), std::stoi(d.substr(5, 2)),
                                               std::stoi(d.substr(8, 2))}))));
            row.push_back(Value::Int(r[6].Int()));
            c->Insert(row);
        }
    }
    const std::string ours = tmp.Read("TIPOVI.DB");
    ASSERT_EQ(ours.size(), reference.size());
    EXPECT_EQ(ours.substr(0x800), reference.substr(0x800));
    // Header: the structural values and the field list are the same; pointers, time and language driver
    // differ.
    for (std::size_t off : {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x0A, 0x0C, 0x0E,
                            0x10, 0x21, 0x23, 0x25, 0x26, 0x27, 0x28, 0x39, 0x3A, 0x3E, 0x3F,
                            0x49, 0x56, 0x58, 0x59, 0x5A, 0x64, 0x66, 0x6A, 0x6B, 0x6C, 0x6D})
        EXPECT_EQ(ours[off], reference[off]) << std::hex << off;
    EXPECT_EQ(ours.substr(0x78, 14), reference.substr(0x78, 14));
    const std::size_t names = 0x78 + 14 + 4 + 28 + 261;
    EXPECT_EQ(ours.substr(names, 48), reference.substr(names, 48));
}

} // namespace
