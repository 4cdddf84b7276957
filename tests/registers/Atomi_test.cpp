#include "registers/Atomi.h"
#include "tests/registers/RegisterFixture.h"

namespace regtest {
namespace {

using registers::Atomi;

// Quantities of a packing mode by keys: the form opens on the packing mode given, each new quantity belongs
// to it and marks it as having quantities, deleting the last one clears the mark; the module's tables are
// closed while the form is hidden and opened again with it.
TEST_F(RegisterTest, QuantitiesKeepTheirPackingModesMark) {
    Add("Global", "JEDINICE.DB", {"Sifra"}, {{"KOM"}, {"M"}});
    Add("Global", "PAKUNG.DB", {"Jedinica", "Sifra"}, {{"1", "KUTIJA"}, {"2", "ROLA"}});
    Make("Global", "ATOMI.DB");
    registers::PrikaziAtome(caller.get(), 2);
    ASSERT_NE(Atomi.DSifarnikAtoma, nullptr);
    registers::TSifarnikAtoma* form = Track(Atomi.SifarnikAtoma);
    Track(Atomi.DSifarnikAtoma);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->Caption().toStdString(), "Šifarnik atoma kod načina pakiranja proizvoda");
    registers::TDSifarnikAtoma& m = form->Module();
    EXPECT_EQ(m.tJedinice->FieldByName("Sifra").AsString(), "M");
    EXPECT_EQ(m.tPakung->FieldByName("Sifra").AsString(), "ROLA");
    EXPECT_EQ(ActiveName(*form), "gTable2");
    auto packing = [&] { return Rows("Global", "PAKUNG.DB", {"Sifra", "ImaAtoma"}, "Jedinica;Sifra"); };

    for (const char* quantity : {"50", "100"}) {
        form->cSifra()->SetFocus();
        dialogs.Answer(true);
        Type(*form, quantity);
        Press(*form, Qt::Key_Return);
    }
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Novo 50", "Novo 100"}));
    EXPECT_EQ(Rows("Global", "ATOMI.DB", {"Pakung", "Kolicina"}),
              (std::vector<std::string>{"2|50", "2|100"}));
    EXPECT_EQ(packing(), (std::vector<std::string>{"KUTIJA|", "ROLA|True"}));
    EXPECT_EQ(m.tAtomi->FieldByName("Jedinica").AsString(), "M");

    for (int i = 0; i < 2; ++i) {
        form->gTable2->SetFocus();
        m.tAtomi->First();
        form->cSifra()->SetFocus();
        dialogs.Answer(true);
        Press(*form, Qt::Key_Delete, Qt::ControlModifier);
    }
    EXPECT_TRUE(Rows("Global", "ATOMI.DB", {"Kolicina"}).empty());
    EXPECT_EQ(packing(), (std::vector<std::string>{"KUTIJA|", "ROLA|"}));

    Press(*form, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(m.tAtomi->Active()) << "hidden: the module's tables are closed";
    registers::PrikaziAtome(caller.get(), 1);
    EXPECT_TRUE(m.tAtomi->Active());
    EXPECT_EQ(m.tPakung->FieldByName("Sifra").AsString(), "KUTIJA");
}

} // namespace
} // namespace regtest
