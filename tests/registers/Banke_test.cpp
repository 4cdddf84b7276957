#include "registers/Banke.h"
#include "tests/registers/RegisterFixture.h"

namespace regtest {
namespace {

// A bank by keys: its code, its company (made through the lookup), the company's name and the bank's
// commission account (a giro account of the company, made through its lookup); then renamed and deleted.
TEST_F(RegisterTest, ABankIsMadeWithItsCompanyAndAccounts) {
    Make("Global", "PARTNER.DB");
    Make("Global", "ZIREKI.DB");
    Make("Global", "BANKE.DB");
    registers::PrikaziBanke(caller.get());
    registers::TSifarnikBanaka* form = Track(registers::Banke.SifarnikBanaka);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->Caption().toStdString(), "Šifarnik banaka");
    EXPECT_EQ(ActiveName(*form), "gBanke");

    form->eSifra->SetFocus();
    dialogs.Answer(true);
    Type(*form, "zaba");
    Press(*form, Qt::Key_Return);
    form->cPartner->SetFocus();
    dialogs.Answer(true);
    Type(*form, "ZAGREBAČKA");
    Press(*form, Qt::Key_Return);
    dynamic_cast<fw::Control*>(form->FindComponent("eNaziv"))->SetFocus();
    Type(*form, "Zagrebačka banka d.d.");
    Press(*form, Qt::Key_Return);
    form->cZiro[1]->SetFocus();
    dialogs.Answer(true);
    Type(*form, "2360000-1101");
    Press(*form, Qt::Key_Return);
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);

    EXPECT_EQ(Rows("Global", "PARTNER.DB", {"Code", "Sifra", "Naziv"}),
              (std::vector<std::string>{"1|ZAGREBAČKA|Zagrebačka banka d.d."}));
    EXPECT_EQ(Rows("Global", "ZIREKI.DB", {"Code", "Partner", "Sifra"}),
              (std::vector<std::string>{"1|1|2360000-1101"}));
    EXPECT_EQ(Rows("Global", "BANKE.DB", {"Sifra", "Partner", "ZiroRnProvizija", "ZiroRnKrediti"}),
              (std::vector<std::string>{"ZABA|1|1|"}));
    EXPECT_EQ(ActiveName(*form), "eSifra") << "the save waits for the next bank";
    form->gBanke()->SetFocus();
    form->tTable->First();
    EXPECT_EQ(form->tTable->FieldByName("Naziv").AsString(), "Zagrebačka banka d.d.") << "named in the grid";

    // Renamed, then deleted; the company stays in the partners.
    form->eSifra->SetFocus();
    dialogs.Answer(false);
    dialogs.Answer(true);
    Type(*form, "ZB");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "BANKE.DB", {"Sifra", "Partner"}), (std::vector<std::string>{"ZB|1"}));
    form->eSifra->SetFocus();
    dialogs.Answer(true);
    Press(*form, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(Rows("Global", "BANKE.DB", {"Sifra"}).empty());
    EXPECT_EQ(Rows("Global", "PARTNER.DB", {"Sifra"}).size(), 1u);
}

} // namespace
} // namespace regtest
