#include "MemoryDataSet.h"

#include "base/CroatianFormat.h"
#include "fw/db/DatabaseError.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace fw;
using fwtest::MemoryDataSet;
using fwtest::MemoryRows;

namespace {

class FieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        rows.Columns = {{"Code", ftInteger, 0, false, 1},     {"Naziv", ftString, 10, false, 2},
                        {"Kol", ftSmallint, 0, false, 3},     {"Cijena", ftFloat, 0, false, 4},
                        {"Aktivan", ftBoolean, 0, false, 5},  {"Datum", ftDate, 0, false, 6},
                        {"Vrijeme", ftDateTime, 0, false, 7}, {"Opis", ftMemo, 1, false, 8},
                        {"Iznos", ftCurrency, 0, false, 9}};
        ds.Open();
        ds.Append();
        ds.FieldByName("Code").SetAsInteger(1);
    }
    TField& F(const char* name) { return ds.FieldByName(name); }
    // Posts and reads the record back from the stored rows.
    void PostAndReread() {
        ds.Post();
        ds.Close();
        ds.Open();
        ds.Edit();
    }

    MemoryRows rows;
    MemoryDataSet ds{rows};
};

TEST_F(FieldTest, DefaultFieldsGetTheClassOfTheirColumn) {
    EXPECT_NE(dynamic_cast<TIntegerField*>(&F("Code")), nullptr);
    EXPECT_NE(dynamic_cast<TStringField*>(&F("naziv")), nullptr);
    EXPECT_NE(dynamic_cast<TSmallintField*>(&F("KOL")), nullptr);
    EXPECT_NE(dynamic_cast<TFloatField*>(&F("Cijena")), nullptr);
    EXPECT_NE(dynamic_cast<TBooleanField*>(&F("Aktivan")), nullptr);
    EXPECT_NE(dynamic_cast<TDateField*>(&F("Datum")), nullptr);
    EXPECT_NE(dynamic_cast<TMemoField*>(&F("Opis")), nullptr);
    EXPECT_NE(dynamic_cast<TCurrencyField*>(&F("Iznos")), nullptr);
    EXPECT_EQ(F("Naziv").Size(), 10);
    EXPECT_EQ(F("Kol").FieldNo(), 3);
    EXPECT_EQ(ds.FindField("Nema"), nullptr);
    EXPECT_THROW(ds.FieldByName("Nema"), EDatabaseError);
}

TEST_F(FieldTest, StringFieldCutsToSizeAndRefusesCharactersOutsideTheCodePage) {
    F("Naziv").SetAsString("Šibenik-Knin županija");
    EXPECT_EQ(F("Naziv").AsString(), "Šibenik-Kn");
    EXPECT_THROW(F("Naziv").SetAsString("Ωmega"), EDatabaseError);
    EXPECT_EQ(F("Naziv").AsString(), "Šibenik-Kn");
    F("Naziv").SetAsString("");
    EXPECT_TRUE(F("Naziv").IsNull());
    PostAndReread();
    EXPECT_TRUE(F("Naziv").IsNull());
}

TEST_F(FieldTest, StringFieldReadsNumbersDatesAndLogicalsInCroatianForm) {
    F("Naziv").SetAsString("2,35");
    EXPECT_DOUBLE_EQ(F("Naziv").AsFloat(), 2.35);
    F("Naziv").SetAsFloat(1234.5);
    EXPECT_EQ(F("Naziv").AsString(), "1234,5");
    F("Naziv").SetAsInteger(-42);
    EXPECT_EQ(F("Naziv").AsInteger(), -42);
    F("Naziv").SetAsString("5.3.2024");
    EXPECT_DOUBLE_EQ(F("Naziv").AsDateTime(), base::ToDateTime({2024, 3, 5}));
    F("Naziv").SetAsBoolean(true);
    EXPECT_TRUE(F("Naziv").AsBoolean());
    F("Naziv").SetAsString("abc");
    EXPECT_THROW(F("Naziv").AsFloat(), EDatabaseError);
    EXPECT_THROW(F("Naziv").AsInteger(), EDatabaseError);
}

TEST_F(FieldTest, IntegerFieldsConvertRoundAndCheckTheirRange) {
    F("Kol").SetAsString(" 123 ");
    EXPECT_EQ(F("Kol").AsInteger(), 123);
    EXPECT_EQ(F("Kol").Text(), "123");
    F("Kol").SetAsFloat(2.5);
    EXPECT_EQ(F("Kol").AsInteger(), 3);
    F("Kol").SetAsFloat(-2.5);
    EXPECT_EQ(F("Kol").AsInteger(), -3);
    EXPECT_THROW(F("Kol").SetAsInteger(40000), EDatabaseError);
    // -32768 cannot be told from an empty field in the table files.
    EXPECT_THROW(F("Kol").SetAsInteger(-32768), EDatabaseError);
    EXPECT_THROW(F("Kol").SetAsString("1,5"), EDatabaseError);
    EXPECT_EQ(F("Kol").AsInteger(), -3);
    auto& kol = static_cast<TIntegerField&>(F("Kol"));
    kol.MinValue = 1;
    kol.MaxValue = 10;
    EXPECT_THROW(kol.SetAsInteger(11), EDatabaseError);
    kol.SetAsInteger(10);
    F("Kol").SetText("");
    EXPECT_TRUE(F("Kol").IsNull());
    EXPECT_EQ(F("Kol").AsInteger(), 0);
    F("Code").SetAsString("77");
    PostAndReread();
    EXPECT_EQ(F("Code").AsInteger(), 77);
}

TEST_F(FieldTest, FloatFieldTextIsCroatianAndCurrencyShowsTwoDecimals) {
    F("Cijena").SetAsString("1.234,5");
    EXPECT_DOUBLE_EQ(F("Cijena").AsFloat(), 1234.5);
    EXPECT_EQ(F("Cijena").Text(), "1234,5");
    EXPECT_EQ(F("Cijena").DisplayText(), "1234,5");
    F("Iznos").SetAsFloat(1234.5);
    EXPECT_EQ(F("Iznos").DisplayText(), "1.234,50");
    EXPECT_EQ(F("Iznos").Text(), "1234,5");
    EXPECT_THROW(F("Cijena").SetAsString("1.2.3"), EDatabaseError);
    EXPECT_THROW(F("Cijena").SetAsFloat(std::nan("")), EDatabaseError);
    EXPECT_THROW(F("Cijena").SetAsFloat(INFINITY), EDatabaseError);
    F("Cijena").SetAsFloat(2.35);
    EXPECT_EQ(F("Cijena").AsInteger(), 2);
    auto& c = static_cast<TFloatField&>(F("Cijena"));
    c.MinValue = 0;
    c.MaxValue = 100;
    EXPECT_THROW(c.SetAsFloat(100.5), EDatabaseError);
    PostAndReread();
    EXPECT_DOUBLE_EQ(F("Cijena").AsFloat(), 2.35);
    EXPECT_DOUBLE_EQ(F("Iznos").AsFloat(), 1234.5);
}

// Round values show without an exponent, and the text read back is the stored value itself.
TEST_F(FieldTest, FloatTextIsFixedAndReadsBackAsTheSameValue) {
    auto& c = static_cast<TFloatField&>(F("Cijena"));
    const struct {
        double Value;
        const char* Text;
    } cases[] = {{10, "10"},
                 {120, "120"},
                 {1500, "1500"},
                 {1e6, "1000000"},
                 {0.1, "0,1"},
                 {1e-7, "0,0000001"},
                 {-1234.5678, "-1234,5678"},
                 {0.1 + 0.2, "0,30000000000000004"},
                 {2e15, "2E+15"}};
    for (const auto& k : cases) {
        c.SetAsFloat(k.Value);
        EXPECT_EQ(c.AsString(), k.Text);
        EXPECT_EQ(c.Text(), k.Text);
        EXPECT_EQ(c.DisplayText(), k.Text);
        c.SetText(c.Text());
        EXPECT_EQ(c.AsFloat(), k.Value) << k.Text;
    }
    c.MinValue = 0;
    c.MaxValue = 10;
    try {
        c.SetAsFloat(1500);
        FAIL() << "accepted a value out of range";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Vrijednost 1500 nije u rasponu od 0 do 10");
    }
}

TEST_F(FieldTest, BooleanFieldTextRoundTrip) {
    F("Aktivan").SetAsString("True");
    EXPECT_TRUE(F("Aktivan").AsBoolean());
    EXPECT_EQ(F("Aktivan").AsString(), "True");
    F("Aktivan").SetAsString("f");
    EXPECT_FALSE(F("Aktivan").AsBoolean());
    EXPECT_FALSE(F("Aktivan").IsNull());
    EXPECT_EQ(F("Aktivan").Text(), "False");
    EXPECT_THROW(F("Aktivan").SetAsString("možda"), EDatabaseError);
    auto& b = static_cast<TBooleanField&>(F("Aktivan"));
    b.SetDisplayValues("Da;Ne");
    b.SetAsString("da");
    EXPECT_EQ(b.DisplayText(), "Da");
    PostAndReread();
    EXPECT_TRUE(F("Aktivan").AsBoolean());
}

TEST_F(FieldTest, DateFieldsHoldDateTimeValuesAndStoreDayNumbers) {
    F("Datum").SetAsString("29.2.2024");
    EXPECT_DOUBLE_EQ(F("Datum").AsDateTime(), base::ToDateTime({2024, 2, 29}));
    EXPECT_EQ(F("Datum").StoredValue(), engine::Value::Date(738945));
    EXPECT_EQ(F("Datum").Value(), engine::Value::Float(base::ToDateTime({2024, 2, 29})));
    F("Vrijeme").Assign(&F("Datum"));
    EXPECT_EQ(F("Vrijeme").AsString(), "29.2.2024");
    F("Naziv").Assign(&F("Datum"));
    EXPECT_EQ(F("Naziv").AsString(), "29.2.2024");
    F("Datum").SetValue(engine::Value::Date(738946));
    EXPECT_EQ(F("Datum").Text(), "1.3.2024");
    F("Datum").SetValue(F("Vrijeme").Value());
    EXPECT_EQ(F("Datum").Text(), "29.2.2024");
    EXPECT_THROW(F("Datum").SetAsString("30.2.2024"), EDatabaseError);
    EXPECT_EQ(F("Datum").Text(), "29.2.2024");
    F("Datum").SetAsDateTime(base::ToDateTime({2024, 3, 5}) + 0.75);
    EXPECT_EQ(F("Datum").AsString(), "5.3.2024");
    F("Vrijeme").SetAsString("5.3.2024 13:45:10");
    EXPECT_EQ(F("Vrijeme").AsString(), "5.3.2024 13:45:10");
    EXPECT_NEAR(F("Vrijeme").AsDateTime(),
                base::ToDateTime({2024, 3, 5}) + (13 * 3600 + 45 * 60 + 10) / 86400.0, 1e-9);
    PostAndReread();
    EXPECT_EQ(F("Datum").AsString(), "5.3.2024");
    EXPECT_EQ(F("Vrijeme").AsString(), "5.3.2024 13:45:10");
    F("Datum").SetText("");
    EXPECT_TRUE(F("Datum").IsNull());
}

TEST_F(FieldTest, MemoKeepsLongTextAndOtherTypesCopyThroughAssign) {
    std::string text(5000, 'x');
    F("Opis").SetAsString(text + "č");
    F("Naziv").Assign(&F("Code"));
    EXPECT_EQ(F("Naziv").AsString(), "1");
    F("Cijena").Assign(&F("Code"));
    EXPECT_DOUBLE_EQ(F("Cijena").AsFloat(), 1);
    F("Cijena").Assign(nullptr);
    EXPECT_TRUE(F("Cijena").IsNull());
    PostAndReread();
    EXPECT_EQ(F("Opis").AsString(), text + "č");
}

TEST_F(FieldTest, EventsOfTheFieldRunAroundTheValue) {
    std::vector<std::string> calls;
    F("Naziv").OnValidate = [&](TField& f) {
        calls.push_back("validate " + f.AsString());
        if (f.AsString() == "loše") throw base::Exception("Ne valja");
    };
    F("Naziv").OnChange = [&](TField& f) { calls.push_back("change " + f.AsString()); };
    F("Naziv").SetAsString("dobro");
    EXPECT_THROW(F("Naziv").SetAsString("loše"), base::Exception);
    EXPECT_EQ(F("Naziv").AsString(), "dobro");
    EXPECT_EQ(calls, (std::vector<std::string>{"validate dobro", "change dobro", "validate loše"}));

    F("Naziv").OnGetText = [](TField& f, std::string& text, bool display) {
        text = (display ? "<" : "[") + f.AsString() + (display ? ">" : "]");
    };
    EXPECT_EQ(F("Naziv").Text(), "[dobro]");
    EXPECT_EQ(F("Naziv").DisplayText(), "<dobro>");
    F("Naziv").OnSetText = [](TField& f, const std::string& text) { f.SetAsString(text + "!"); };
    F("Naziv").SetText("da");
    EXPECT_EQ(F("Naziv").AsString(), "da!");
}

TEST_F(FieldTest, WritesNeedAnEditStateAndAWritableField) {
    ds.Post();
    EXPECT_THROW(F("Naziv").SetAsString("x"), EDatabaseError);
    ds.Edit();
    F("Naziv").ReadOnly = true;
    EXPECT_THROW(F("Naziv").SetAsString("x"), EDatabaseError);
    EXPECT_FALSE(F("Naziv").CanModify());
    EXPECT_TRUE(F("Kol").CanModify());
}

TEST_F(FieldTest, RemovingAFieldOfAnOpenDataSetClosesItFirst) {
    ds.Cancel();
    TField& kol = F("Kol");
    ds.RemoveField(kol);
    EXPECT_EQ(ds.State(), dsInactive);
    EXPECT_EQ(ds.FindField("Kol"), nullptr);
}

// A hook object that stores zero as an empty field, as the program's field layer does.
class ZeroAsNull : public TFieldHooks {
public:
    void SetAsFloat(TField& field, double value) override {
        if (value == 0) return field.Clear();
        TFieldHooks::SetAsFloat(field, std::round(value * 100) / 100);
    }
    void SetText(TField& field, const std::string& text) override {
        ++texts;
        TFieldHooks::SetText(field, text);
    }
    int texts = 0;
};

TEST_F(FieldTest, InstalledHooksChangeEveryFieldsConversions) {
    ZeroAsNull hooks;
    InstallFieldHooks(&hooks);
    F("Cijena").SetAsFloat(0);
    EXPECT_TRUE(F("Cijena").IsNull());
    F("Cijena").SetAsFloat(2.345);
    EXPECT_DOUBLE_EQ(F("Cijena").AsFloat(), 2.35);
    F("Naziv").SetText("abc");
    EXPECT_EQ(hooks.texts, 1);
    InstallFieldHooks(nullptr);
    F("Cijena").SetAsFloat(0);
    EXPECT_FALSE(F("Cijena").IsNull());
}

TEST(FieldClasses, CalculatedFieldsAreFilledByOnCalcFields) {
    MemoryRows rows;
    rows.Columns = {{"Code", ftInteger, 0, false, 1}, {"Kol", ftInteger, 0, false, 2}};
    rows.Rows = {{1, {engine::Value::Int(1), engine::Value::Int(3)}},
                 {2, {engine::Value::Int(2), engine::Value::Int(5)}}};
    MemoryDataSet ds(rows);
    ds.AddField(std::make_unique<TIntegerField>(), "Code");
    ds.AddField(std::make_unique<TIntegerField>(), "Kol");
    auto& dvostruko = ds.AddField(std::make_unique<TIntegerField>(), "Dvostruko", fkCalculated);
    std::vector<TDataSetState> states;
    ds.OnCalcFields = [&](TDataSet& d) {
        states.push_back(d.State());
        d.FieldByName("Dvostruko").SetAsInteger(d.FieldByName("Kol").AsInteger() * 2);
    };
    ds.Open();
    EXPECT_EQ(dvostruko.AsInteger(), 6);
    ds.Next();
    EXPECT_EQ(dvostruko.AsInteger(), 10);
    ds.Edit();
    ds.FieldByName("Kol").SetAsInteger(7);
    EXPECT_EQ(dvostruko.AsInteger(), 14);
    EXPECT_THROW(dvostruko.SetAsInteger(1), EDatabaseError);
    for (auto s : states)
        EXPECT_EQ(s, dsCalcFields);
    EXPECT_EQ(ds.State(), dsEdit);
}

} // namespace
