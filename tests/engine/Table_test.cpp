#include "engine/Engine.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using namespace engine;

std::vector<FieldDesc> RobaFields() {
    return {{"Code", FieldType::AutoInc, 0, false},   {"Sifra", FieldType::Alpha, 10, false},
            {"Naziv", FieldType::Alpha, 40, false},   {"Cijena", FieldType::Number, 0, false},
            {"Kolicina", FieldType::Short, 0, false}, {"Aktivan", FieldType::Logical, 0, false},
            {"Datum", FieldType::Date, 0, false},     {"Opis", FieldType::Memo, 1, false}};
}

TEST(TableSmoke, CreateInsertReadBack) {
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "ROBA.DB", RobaFields());
    {
        auto t = Table::Open(tmp.Path(), "ROBA", OpenMode::Exclusive);
        t->AddIndex({"", "Code", true, true, false, false});
        t->AddIndex({"_Naziv", "Naziv", false, false, true, false});
        auto c = t->OpenCursor();
        for (int i = 0; i < 50; ++i)
            c->Insert({Value(), Value::Text("S" + std::to_string(i)), Value::Text(i % 2 ? "šljiva" : "Šećer"),
                       Value::Float(i * 1.5), Value::Int(i), Value::Bool(i % 3 == 0), Value::Date(738945 + i),
                       Value::Text(std::string(i * 10, 'x'))});
        EXPECT_EQ(t->RecordCount(), 50);
        EXPECT_EQ(t->LastAutoIncValue(), 50);
    }
    auto t = Table::Open(tmp.Path(), "roba.db", OpenMode::Shared);
    EXPECT_EQ(t->RecordCount(), 50);
    auto c = t->OpenCursor();
    ASSERT_TRUE(c->FindKey({Value::Int(17)}));
    EXPECT_EQ(c->Read()[1].AsText(), "S16");
    EXPECT_EQ(c->Read()[7].AsText(), std::string(160, 'x'));
    c->SetIndex(c->FindIndexByName("_naziv"));
    c->First();
    EXPECT_EQ(c->Read()[2].AsText(), "Šećer");
}

} // namespace
