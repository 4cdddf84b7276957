#include "tests/app/data/DataLayerFixture.h"

#include "app/data/ChangedFields.h"
#include "app/tables/RestructureValues.h"
#include "base/CroatianFormat.h"

#include <gmock/gmock.h>

using namespace app;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

class ChangedFieldsTest : public apptest::DataLayerTest {
protected:
    void SetUp() override {
        DataLayerTest::SetUp();
        fw::TTable c;
        c.SetDatabaseName("Lokal");
        c.SetTableName("STAVKE.DB");
        c.FieldDefs().Add("Code", fw::ftAutoInc);
        c.FieldDefs().Add("Naziv", fw::ftString, 20);
        c.FieldDefs().Add("Cijena", fw::ftFloat);
        c.FieldDefs().Add("Kolicina", fw::ftInteger);
        c.FieldDefs().Add("Broj", fw::ftSmallint);
        c.FieldDefs().Add("Aktivan", fw::ftBoolean);
        c.FieldDefs().Add("Datum", fw::ftDate);
        c.IndexDefs().Add("", "Code", fw::ixPrimary | fw::ixUnique);
        c.CreateTable();
        Setup(t, "Lokal", "STAVKE.DB");
        t.Open();
        t.Append();
    }
    fw::TField& F(const char* name) { return t.FieldByName(name); }
    // The value as it is stored in the row after a post.
    engine::Value Stored(const char* name) {
        t.Post();
        engine::Value v = F(name).Value();
        t.Edit();
        return v;
    }
    std::string Error(const std::function<void()>& call) {
        try {
            call();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "accepted";
    }
    TMyTableX t;
};

TEST_F(ChangedFieldsTest, FloatsAreRoundedByTheFieldsTag) {
    fw::TField& c = F("Cijena");
    for (int tag : {1, 11, -1, -11}) {
        c.Tag = tag;
        c.SetAsFloat(2.345);
        EXPECT_DOUBLE_EQ(c.AsFloat(), 2.35) << tag;
    }
    c.Tag = 0;
    c.SetAsFloat(1.0 / 3);
    EXPECT_DOUBLE_EQ(c.AsFloat(), 0.333333333);
    c.Tag = 7;
    c.SetAsFloat(1.0 / 3);
    EXPECT_DOUBLE_EQ(c.AsFloat(), 0.3333333);
    c.Tag = -15;
    c.SetAsFloat(2.0 / 3);
    EXPECT_DOUBLE_EQ(c.AsFloat(), 0.6666667);
    c.Tag = 2; // slot 2: five decimals
    c.SetAsFloat(1.234567);
    EXPECT_DOUBLE_EQ(c.AsFloat(), 1.23457);
    c.Tag = 13; // slot 3: two decimals
    c.SetAsInteger(7);
    EXPECT_DOUBLE_EQ(c.AsFloat(), 7.0);
    c.SetAsFloat(0.004); // rounds to 0 but is not an exact 0: stored as 0, not cleared
    EXPECT_FALSE(c.IsNull());
    EXPECT_DOUBLE_EQ(c.AsFloat(), 0.0);
    EXPECT_EQ(Stored("Cijena").AsFloat(), 0.0);
}

// Typed text goes through the expression reader: the text a float shows reads back as the same value, and a
// restructure's copy into a text field writes that same text.
TEST_F(ChangedFieldsTest, FloatTextReadsBackThroughTheExpressionReader) {
    auto& c = static_cast<fw::TFloatField&>(F("Cijena"));
    for (double v : {10.0, 120.0, 1500.0, 1e6, 0.5, 2.35, -0.000001, 123456.789, 987654321.5, 3e15}) {
        c.SetAsFloat(v);
        const std::string text = c.Text();
        c.SetText(text);
        EXPECT_EQ(c.AsFloat(), v) << text;
        const auto copied = app::ConvertValue(engine::Value::Float(v), engine::FieldType::Number,
                                              {"Tekst", engine::FieldType::Alpha, 30, false});
        ASSERT_TRUE(copied.has_value());
        EXPECT_EQ(copied->AsText(), text);
        EXPECT_EQ(app::ValueFromText(copied->AsText(), {"Broj", engine::FieldType::Number, 0, false}),
                  engine::Value::Float(v));
    }
}

TEST_F(ChangedFieldsTest, TheRangeIsCheckedAfterRoundingAndNotForZero) {
    auto& c = static_cast<fw::TFloatField&>(F("Cijena"));
    c.Tag = 1;
    c.MinValue = 1;
    c.MaxValue = 2;
    c.SetAsFloat(2.004); // 2.00 after rounding
    EXPECT_DOUBLE_EQ(c.AsFloat(), 2.0);
    EXPECT_NE(Error([&] { c.SetAsFloat(2.006); }), "accepted");
    EXPECT_DOUBLE_EQ(c.AsFloat(), 2.0);
    c.SetAsFloat(0);
    EXPECT_TRUE(c.IsNull());
}

TEST_F(ChangedFieldsTest, ZeroFalseZeroDateAndEmptyTextAreStoredAsNull) {
    F("Naziv").SetAsString("Prozor");
    F("Cijena").SetAsFloat(3.5);
    F("Kolicina").SetAsInteger(4);
    F("Broj").SetAsInteger(2);
    F("Aktivan").SetAsBoolean(true);
    F("Datum").SetAsDateTime(45000);
    t.Post();
    t.Edit();
    F("Naziv").SetAsString("");
    F("Cijena").SetAsFloat(0);
    F("Kolicina").SetAsFloat(0.3); // rounds to 0, and 0 clears
    F("Broj").SetAsInteger(0);
    F("Aktivan").SetAsBoolean(false);
    F("Datum").SetAsDateTime(0.75); // day 0 with a time: a zero date
    t.Post();
    for (const char* name : {"Naziv", "Cijena", "Kolicina", "Broj", "Aktivan", "Datum"})
        EXPECT_TRUE(F(name).IsNull()) << name;
    EXPECT_EQ(F("Cijena").DisplayText(), "");
    EXPECT_EQ(F("Aktivan").DisplayText(), "");
    t.Edit();
    F("Aktivan").SetAsString("False");
    F("Kolicina").SetAsString("0");
    F("Naziv").SetAsInteger(0);
    EXPECT_TRUE(F("Aktivan").IsNull());
    EXPECT_TRUE(F("Kolicina").IsNull());
    EXPECT_TRUE(F("Naziv").IsNull());
    F("Aktivan").SetAsString("True");
    F("Naziv").SetAsFloat(2.5);
    EXPECT_TRUE(F("Aktivan").AsBoolean());
    EXPECT_EQ(F("Naziv").AsString(), "2,5");
}

TEST_F(ChangedFieldsTest, IntegersUseTheProgramsRounding) {
    F("Kolicina").SetAsFloat(2.5);
    EXPECT_EQ(F("Kolicina").AsInteger(), 3);
    F("Kolicina").SetAsFloat(-2.5);
    EXPECT_EQ(F("Kolicina").AsInteger(), -3);
    F("Cijena").SetAsFloat(2.5);
    EXPECT_EQ(F("Cijena").AsInteger(), 3);
    F("Cijena").SetAsFloat(-7.5);
    EXPECT_EQ(F("Cijena").AsInteger(), -8);
    EXPECT_NE(Error([&] { F("Broj").SetAsInteger(40000); }), "accepted");
    EXPECT_NE(Error([&] { F("Kolicina").SetAsFloat(3e9); }), "accepted");
    EXPECT_EQ(F("Kolicina").AsInteger(), -3);
}

TEST_F(ChangedFieldsTest, TextTypedIntoAFloatFieldIsAnExpression) {
    fw::TField& c = F("Cijena");
    c.Tag = 2;
    c.SetText("10/4");
    EXPECT_DOUBLE_EQ(c.AsFloat(), 2.5);
    c.SetText("2*3+1");
    EXPECT_DOUBLE_EQ(c.AsFloat(), 7);
    c.SetAsString("1/3");
    EXPECT_DOUBLE_EQ(c.AsFloat(), 0.33333);
    EXPECT_EQ(Error([&] { c.SetText("5/0"); }), "Floating point division by zero");
    EXPECT_NE(Error([&] { c.SetText("1,2,3"); }), "accepted");
    EXPECT_DOUBLE_EQ(c.AsFloat(), 0.33333);
    c.SetText("");
    EXPECT_TRUE(c.IsNull());
    // A text field read as a float is evaluated too.
    F("Naziv").SetAsString("2*3+1");
    EXPECT_DOUBLE_EQ(F("Naziv").AsFloat(), 7);
    F("Naziv").SetAsString("1,2,3");
    EXPECT_NE(Error([&] { F("Naziv").AsFloat(); }), "accepted");
}

TEST_F(ChangedFieldsTest, DateTextGoesThroughTheDateCheck) {
    F("Datum").SetText("5");
    base::Date d = base::FromDateTime(F("Datum").AsDateTime());
    base::Date today = base::Today();
    EXPECT_EQ(d, (base::Date{today.Year, today.Month, 5}));
    F("Datum").SetText("3112");
    EXPECT_EQ(base::FromDateTime(F("Datum").AsDateTime()), (base::Date{today.Year, 12, 31}));
    EXPECT_THAT(Error([&] { F("Datum").SetText("32.1.2001"); }), HasSubstr("Krivi datum: "));
    EXPECT_EQ(base::FromDateTime(F("Datum").AsDateTime()), (base::Date{today.Year, 12, 31}));
    F("Datum").SetAsString("");
    EXPECT_TRUE(F("Datum").IsNull());
    F("Datum").SetAsDateTime(1.5); // not a zero date
    EXPECT_FALSE(F("Datum").IsNull());
}

TEST_F(ChangedFieldsTest, AssigningNothingClearsAndAFieldCopiesItsValue) {
    F("Naziv").SetAsString("Okvir");
    F("Naziv").Assign(nullptr);
    EXPECT_TRUE(F("Naziv").IsNull());
    F("Cijena").SetAsFloat(12.5);
    F("Kolicina").Assign(&F("Cijena"));
    EXPECT_EQ(F("Kolicina").AsInteger(), 13);
}

TEST_F(ChangedFieldsTest, RemovingAFieldOfAnOpenTableClosesItForReal) {
    t.Cancel();
    t.SoftClose = true;
    t.RemoveField(F("Broj"));
    EXPECT_EQ(t.State(), fw::dsInactive);
    EXPECT_EQ(t.Handle(), nullptr);
    EXPECT_FALSE(t.IsOpen);
    EXPECT_EQ(DistinctOpen(), 0);
    EXPECT_TRUE(t.SoftClose);
}

TEST_F(ChangedFieldsTest, TheGridAsksBeforeItDeletesWithCtrlDel) {
    answer = false;
    EXPECT_FALSE(ConfirmGridDelete(true));
    answer = true;
    EXPECT_TRUE(ConfirmGridDelete(true));
    EXPECT_THAT(asked, ElementsAre("Želite li obrisati slog ?", "Želite li obrisati slog ?"));
    asked.clear();
    EXPECT_TRUE(ConfirmGridDelete(false));
    EXPECT_THAT(asked, IsEmpty());
}

} // namespace
