#include "tests/windows/systems/SystemsFixture.h"
#include "windows/systems/WSistem.h"

#include "app/shell/CodeListOpeners.h"
#include "fw/db/Table.h"
#include "registers/Openers.h"
#include "registers/Partner.h"

#include <algorithm>

namespace systemstest {
namespace {

using windows::TWSistem;
using windows::WSistemForm;
using Lines = std::vector<std::string>;

class WSistemTest : public SystemsTest {
protected:
    TWSistem* Open() {
        windows::PrikaziSisteme(caller.get());
        TWSistem* form = WSistemForm.WSistem;
        if (form && std::find(opened.begin(), opened.end(), form) == opened.end()) Track(form);
        return form;
    }
    void Enter(TWSistem& form, fw::Control* control, const QString& text) {
        control->SetFocus();
        Type(form, text);
        Press(form, Qt::Key_Return);
    }
    Lines Systems() {
        return Rows("Lokal", "WSYSTEM.DB",
                    {"Sifra", "Proizvodi", "Razmak", "Preklapanje", "SmanjenjeStakla", "ReznaPila", "Varenje",
                     "DodatakNaPrecku"},
                    "Sifra");
    }
    Lines Colours() {
        return Rows("Lokal", "WSYSBOJE.DB",
                    {"Sistem", "Boja", "Stok", "ZStoka", "ZSM", "Okvir", "ZOkvira", "ZOM", "Vrata", "Precka",
                     "KlizniOkvir"});
    }
};

// A system made by keys: its code, producer and constants on page 0; per colour of the producer the profile
// articles, each lookup offering only the own articles of its group from that producer.
TEST_F(WSistemTest, ASystemWithItsColoursAndProfilesIsMadeByKeys) {
    TWSistem* form = Open();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->Caption().toStdString(), "Sistemi za izradu prozora");
    EXPECT_EQ(form->Book->PageIndex(), 0);
    EXPECT_EQ(ActiveName(*form), "gSistem");

    // The save button on an empty register appends the first system and goes to its code.
    form->bNoviSistem->SetFocus();
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*form), "eSifra");
    dialogs.Answer(true);
    Type(*form, "PVC70");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*form), "eProizvodi");
    Type(*form, "REH");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(form->lNazivProizvodjaca->Caption(), "Rehau d.o.o.");
    const std::pair<kit::TDBVar*, const char*> constants[] = {
        {form->eRazmak, "3"},          {form->ePreklapanje, "8"}, {form->eSmanjenjeStakla, "12"},
        {form->eDodatakNaPrecku, "6"}, {form->eReznaPila, "4"},   {form->eVarenje, "2"}};
    for (const auto& [edit, text] : constants) {
        EXPECT_EQ(form->ActiveControl(), edit) << "Enter walks the constants in their order";
        Type(*form, text);
        Press(*form, Qt::Key_Return);
    }
    EXPECT_EQ(ActiveName(*form), "bNoviSistem");
    Press(*form, Qt::Key_Return); // saves, and a new empty system waits in the code edit
    EXPECT_EQ(Systems(), Lines{"PVC70|1|3|8|12|4|2|6"});
    EXPECT_EQ(ActiveName(*form), "eSifra");
    form->gSistem->SetFocus(); // the empty new system is dropped on moving back
    Press(*form, Qt::Key_Up);
    EXPECT_EQ(form->tSistem->FieldByName("Sifra").AsString(), "PVC70");

    // Page 1: the producer's colours of the own company.
    form->bStavke->SetFocus();
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(form->Book->PageIndex(), 1);
    EXPECT_EQ(ActiveName(*form), "gSifBoja");
    EXPECT_EQ(form->tSifBoja->RecordCount(), 2);
    EXPECT_EQ(form->tSifBoja->FieldByName("Sifra").AsString(), "BIJELA");

    // A frame article of another producer and a sash article are no frame articles of this system.
    Enter(*form, form->eStok, "S80");
    Enter(*form, form->eStok, "K70");
    EXPECT_EQ(dialogs.Asked(), (Lines{"Novo PVC70", "Nema S80", "Nema K70"}));
    Enter(*form, form->eStok, "S70");
    const std::pair<fw::Control*, const char*> white[] = {
        {form->cZStoka, "Z1"}, {form->eZSM, "10"}, {form->eOkvir, "K70"},
        {form->cZOkvir, "Z1"}, {form->eZOM, "5"},  {form->cVrata, "V70"},
        {form->cZVrata, ""},   {form->eZVM, ""},   {form->ePrecka, "P70"}};
    for (const auto& [control, text] : white) {
        EXPECT_EQ(form->ActiveControl(), control) << control->Name();
        Type(*form, text);
        Press(*form, Qt::Key_Return);
    }
    // Ctrl+Enter settles the field and moves to the next colour's frame article.
    Press(*form, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(form->tSifBoja->FieldByName("Sifra").AsString(), "SMEĐA");
    EXPECT_EQ(ActiveName(*form), "eStok");
    Type(*form, "S70");
    Press(*form, Qt::Key_Return);

    // Esc on page 1 returns to the systems; Esc there closes the form.
    Press(*form, Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Book->PageIndex(), 0);
    EXPECT_EQ(ActiveName(*form), "gSistem");
    Press(*form, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Colours(), (Lines{"1|11|101|105|10|102|105|5|104|103|", "1|12|101||||||||"}));
    EXPECT_TRUE(dialogs.Texts().empty());
}

// Finding a system from the caller's text, renaming it through its code and deleting it from the grid.
TEST_F(WSistemTest, SystemsAreFoundRenamedAndDeleted) {
    Add("Lokal", "WSYSTEM.DB", {"Sifra", "Proizvodi", "Preklapanje"},
        {{"ALU", "2", "5"}, {"PVC60", "1", "6"}, {"PVC70", "1", "8"}});
    caller->eNaziv->SetFocus();
    caller->eNaziv->SetText("pvc65");
    TWSistem* form = Open();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->tSistem->FieldByName("Sifra").AsString(), "PVC70") << "the nearest code";
    EXPECT_EQ(form->lNazivProizvodjaca->Caption(), "Rehau d.o.o.");
    EXPECT_EQ(form->ePreklapanje->Text(), "8");

    // Rename: a new code typed over the current one, not as a new system but as its new code.
    dialogs.Answer(false);
    dialogs.Answer(true);
    Enter(*form, form->eSifra, "PVC76");
    EXPECT_EQ(dialogs.Asked(), (Lines{"Novo PVC76", "Staro PVC70>PVC76"}));
    // Delete from the grid, confirmed.
    form->gSistem->SetFocus();
    Press(*form, Qt::Key_Up);
    EXPECT_EQ(form->tSistem->FieldByName("Sifra").AsString(), "PVC60");
    dialogs.Answer(true);
    Press(*form, Qt::Key_Delete, Qt::ControlModifier);
    form->Close();
    EXPECT_EQ(Rows("Lokal", "WSYSTEM.DB", {"Sifra", "Preklapanje"}, "Sifra"), (Lines{"ALU|5", "PVC76|8"}));
}

// Page 2 lists the producer's article groups with their numbers once, however often Ctrl+G is pressed, and
// again after the form was closed; a colour row without a colour is never stored.
TEST_F(WSistemTest, GroupListAndColourlessRows) {
    Add("Lokal", "WSYSTEM.DB", {"Sifra", "Proizvodi"}, {{"BEZBOJA", "3"}, {"PVC70", "1"}});
    TWSistem* form = Open();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->tSistem->FieldByName("Sifra").AsString(), "BEZBOJA");
    form->gSistem->SetFocus();
    Press(*form, Qt::Key_Down);
    for (int round = 0; round < 2; ++round) {
        for (int press = 0; press < 2; ++press)
            Press(*form, Qt::Key_G, Qt::ControlModifier);
        EXPECT_EQ(form->Book->PageIndex(), 2);
        ASSERT_EQ(form->lGrupe->Count(), 2);
        EXPECT_EQ(form->lGrupe->Item(0), "ARM - Armatura   ->   2");
        EXPECT_EQ(form->lGrupe->Item(1), "PROF - Profili   ->   1");
        Press(*form, Qt::Key_Escape);
        EXPECT_EQ(form->Book->PageIndex(), 0);
        Press(*form, Qt::Key_Escape);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->lGrupe->Count(), 0);
        Open();
        form->gSistem->SetFocus();
        Press(*form, Qt::Key_Down);
    }

    // A producer without colours: the colour grid is empty and an article entered makes no row.
    Press(*form, Qt::Key_Up);
    form->bStavkeClick();
    EXPECT_EQ(form->tSifBoja->RecordCount(), 0);
    form->eStok->SetFocus();
    Type(*form, "S70");
    Press(*form, Qt::Key_Return);
    form->bZaglavljeClick();
    form->Close();
    EXPECT_TRUE(Colours().empty());
}

// F2 on another form's system lookup opens the systems as a picker on the lookup's code; the system chosen
// there is written back and settled into the caller's record.
TEST_F(WSistemTest, ASystemIsPickedIntoALookupWithF2) {
    windows::InstallSystemOpeners();
    Add("Lokal", "WSYSTEM.DB", {"Sifra", "Proizvodi"}, {{"ALU", "2"}, {"PVC60", "1"}, {"PVC70", "1"}});
    Add("Lokal", "WINGL.DB", {"Sifra", "Naziv", "Code", "Sistem"}, {{"T1", "Jednokrilni", "101", "2"}});
    fw::TDataSource sTip, sSistem;
    auto types = std::unique_ptr<kit::TMyForm>(fw::CreateForm<kit::TMyForm>(nullptr));
    types->resize(300, 100);
    auto* lookup = new kit::TDBJustLookup(types.get(), types.get());
    lookup->SetName("eSistem");
    lookup->SetBounds(10, 10, 150, 24);
    lookup->SetDataSource(&sTip);
    lookup->SetDataField("Sistem");
    lookup->SetLookupSource(&sSistem);
    lookup->SetLookupField("Code");
    lookup->SetLookupDisplay("Sifra");
    lookup->OnF2Press = [&](fw::Component&) { app::OpenCodeListOf("WSYSTEM.DB", types.get()); };
    auto* tSistemi = new kit::TMyTable(types.get());
    tSistemi->SetDatabaseName("Lokal");
    tSistemi->SetTableName("WSYSTEM.DB");
    tSistemi->SetIndexFieldNames("Code");
    sSistem.SetDataSet(tSistemi);
    auto* tTip = new kit::TMyTable(types.get());
    tTip->SetDatabaseName("Lokal");
    tTip->SetTableName("WINGL.DB");
    tTip->FreeToModify = true;
    sTip.SetDataSet(tTip);
    tTip->Open();
    tSistemi->Open();
    fwtest::ShowActive(*types);
    lookup->SetFocus();
    EXPECT_EQ(lookup->Text(), "PVC60");

    kittest::Key(*types, Qt::Key_F2);
    TWSistem* form = WSistemForm.WSistem;
    ASSERT_NE(form, nullptr);
    Track(form);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->Caller, types.get());
    EXPECT_EQ(form->tSistem->FieldByName("Sifra").AsString(), "PVC60");
    Press(*form, Qt::Key_Down);
    Press(*form, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(lookup->Text(), "PVC70");
    kittest::Key(*types, Qt::Key_Return);
    tTip->Close();
    tSistemi->Close();
    EXPECT_EQ(Rows("Lokal", "WINGL.DB", {"Sifra", "Sistem"}), Lines{"T1|3"});
}

// F2 on the producer opens the manufacturers' register; the code chosen there is one the producer field
// takes, and the system stores that manufacturer's company.
TEST_F(WSistemTest, TheProducerIsPickedFromTheManufacturers) {
    registers::InstallCodeListOpeners();
    Add("Lokal", "WSYSTEM.DB", {"Sifra", "Proizvodi"}, {{"ALU", "2"}});
    TWSistem* form = Open();
    ASSERT_NE(form, nullptr);
    form->eProizvodi->SetFocus();
    EXPECT_EQ(form->eProizvodi->Text(), "VEK");
    Press(*form, Qt::Key_F2);
    registers::TSifarnikFirmi* firme = Track(registers::Companies.SifarnikFirmi);
    ASSERT_NE(firme, nullptr);
    ASSERT_TRUE(firme->isVisible());
    EXPECT_EQ(firme->Caption().toStdString(), "Šifarnik proizvođača");
    EXPECT_EQ(firme->tTable->FieldByName("Sifra").AsString(), "VEK") << "starts on the field's code";
    Press(*firme, Qt::Key_Up);
    Press(*firme, Qt::Key_Escape);
    EXPECT_FALSE(firme->isVisible());
    EXPECT_EQ(form->eProizvodi->Text(), "REH");
    Press(*form, Qt::Key_Return);
    EXPECT_TRUE(dialogs.Texts().empty()) << ::testing::PrintToString(dialogs.Texts());
    EXPECT_EQ(form->lNazivProizvodjaca->Caption(), "Rehau d.o.o.");
    form->Close();
    EXPECT_EQ(Systems(), Lines{"ALU|1||||||"});
}

// The colour rows on page 1 are the rows of the system chosen on page 0, whichever of two systems of one
// producer it is, from the first showing on: a shortening typed there changes only that system's row.
TEST_F(WSistemTest, TheColourPageEditsTheRowsOfTheSystemChosen) {
    Add("Lokal", "WSYSTEM.DB", {"Sifra", "Proizvodi"}, {{"PVC70", "1"}, {"PVC76", "1"}});
    Add("Lokal", "WSYSBOJE.DB", {"Sistem", "Boja", "Stok", "ZSM"},
        {{"1", "11", "101", "5"}, {"2", "11", "101", "7"}});
    for (const bool second : {true, false}) {
        TWSistem* form = Open();
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->tSistem->FieldByName("Sifra").AsString(), "PVC70");
        form->gSistem->SetFocus();
        if (second) Press(*form, Qt::Key_Down);
        form->bStavke->SetFocus();
        Press(*form, Qt::Key_Return);
        ASSERT_EQ(form->Book->PageIndex(), 1);
        EXPECT_EQ(form->tSifBoja->FieldByName("Sifra").AsString(), "BIJELA");
        EXPECT_EQ(form->eZSM->Text(), second ? "7" : "5") << "the chosen system's row is shown";
        form->eZSM->SetFocus();
        form->eZSM->SelectAll();
        Type(*form, second ? "11" : "3");
        Press(*form, Qt::Key_Return);
        Press(*form, Qt::Key_Escape);
        Press(*form, Qt::Key_Escape);
        EXPECT_FALSE(form->isVisible());
    }
    EXPECT_EQ(Colours(), (Lines{"1|11|101||3||||||", "2|11|101||11||||||"}));
    EXPECT_TRUE(dialogs.Texts().empty()) << ::testing::PrintToString(dialogs.Texts());
}

} // namespace
} // namespace systemstest
