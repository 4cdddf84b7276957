#include "app/data/WBegin.h"
#include "app/shell/CodeListOpeners.h"
#include "app/shell/FormOpener.h"
#include "kit/LookupFields.h"
#include "registers/Banke.h"
#include "registers/Openers.h"
#include "registers/Partner.h"
#include "registers/PlainRegisters.h"
#include "registers/Sif_Boja.h"
#include "registers/Sif_Part.h"
#include "tests/registers/RegisterFixture.h"

namespace regtest {
namespace {

using registers::SifBoja;
using registers::SifPart;

// A form that stores a colour: its lookup shows the colour's code.
class ColourCaller : public kit::TMyForm {
public:
    explicit ColourCaller(fw::Component* owner) : kit::TMyForm(owner) {
        resize(300, 100);
        cBoja = new kit::TDBLookupField(this, this);
        cBoja->SetName("cBoja");
        cBoja->SetBounds(10, 10, 150, 24);
        cBoja->SetDataSource(&main);
        cBoja->SetDataField("Boja");
        cBoja->SetLookupSource(&colours);
        cBoja->SetLookupField("Code");
        cBoja->SetLookupDisplay("Sifra");
        cBoja->OnF2Press = [this](fw::Component&) { app::OpenCodeListOf("BOJE.DB", this); };
        tSystems = new kit::TMyTable(this);
        tSystems->SetDatabaseName("Lokal");
        tSystems->SetTableName("WSYSBOJE.DB");
        tSystems->FreeToModify = true;
        main.SetDataSet(tSystems);
        tBoje = new kit::TMyTable(this);
        tBoje->SetDatabaseName("Global");
        tBoje->SetTableName("BOJE.DB");
        tBoje->SetIndexFieldNames("Code");
        tBoje->SetMasterSource(&main);
        tBoje->SetMasterFields("Boja");
        colours.SetDataSet(tBoje);
        SetActiveControl(cBoja);
    }
    fw::TDataSource main, colours;
    kit::TDBLookupField* cBoja;
    kit::TMyTable* tSystems;
    kit::TMyTable* tBoje;
};

// Our company (partner 20, "LUMENO", Croatia, Croatian), a domestic supplier that makes its own profiles
// (partner 21) and a manufacturer's reseller (partner 22, German).
class PartnersTest : public RegisterTest {
protected:
    PartnersTest() {
        app::TPodaciPoduzeca& own = app::WBegin.PodaciPoduzeca;
        own.OwnPartner = 20;
        own.Sifra = "LUMENO";
        own.NazivKratki = "Lumeno";
        own.Mjesto = "Zagreb";
        own.Zemlja = 1;
        own.Jezik = 1;
        Add("Global", "GOVOR.DB", {"Sifra", "Naziv"}, {{"HR", "Hrvatski"}, {"DE", "Njemački"}});
        Add("Global", "ZEMLJA.DB", {"Sifra", "Govor"}, {{"HRVATSKA", "1"}, {"NJEMAČKA", "2"}});
        Add("Global", "PARTNER.DB", {"Sifra", "Naziv", "Zemlja", "Jezik"},
            {{"X", "x", "1", "1"}}); // codes from 2 on below
        SetPartnerCodes();
        Add("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Drzava", "Partner", "Govor"},
            {{"ALU", "D", "T", "21", "1"}, {"NJEM", "D", "I", "22", "2"}, {"KUPAC", "K", "T", "23", "1"}});
        Add("Global", "FIRME.DB", {"Sifra", "Partner"}, {{"ALUPROFIL", "21"}});
    }
    // The companies with the codes the partners name.
    void SetPartnerCodes() {
        fw::TTable t;
        Setup(t, "Global", "PARTNER.DB");
        t.Open();
        t.First();
        t.Delete();
        const std::vector<std::vector<std::string>> rows = {{"20", "LUMENO", "Lumeno d.o.o.", "1", "1"},
                                                            {"21", "ALU", "Aluprofil", "1", "1"},
                                                            {"22", "NJEM", "Profilwerk", "2", "2"},
                                                            {"23", "KUPAC", "Kupac", "1", "1"}};
        for (const auto& r : rows) {
            t.Append();
            t.FieldByName("Code").SetAsString(r[0]);
            t.FieldByName("Sifra").SetAsString(r[1]);
            t.FieldByName("Naziv").SetAsString(r[2]);
            t.FieldByName("Zemlja").SetAsString(r[3]);
            t.FieldByName("Jezik").SetAsString(r[4]);
            t.Post();
        }
    }
    void Enter(fw::Form& form, const QString& text) {
        Type(form, text);
        Press(form, Qt::Key_Return);
    }
};

// A new partner by keys: its code, a new company typed into the company lookup, the company's name and a
// foreign country. The partner becomes a foreign supplier speaking the country's language; the controls
// follow the kind.
TEST_F(PartnersTest, ANewPartnerWithItsCompanyTakesTheKindAndLanguageOfTheCountry) {
    registers::InstallCodeListOpeners();
    registers::PrikaziPartnere(caller.get());
    registers::TSifarnikPartnera* form = Track(SifPart.SifarnikPartnera);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->Caption().toStdString(), "Lumeno Zagreb - Šifarnik partnera");

    form->cSifra->SetFocus();
    dialogs.Answer(true); // create the partner's code
    Enter(*form, "PROFIL");
    EXPECT_EQ(ActiveName(*form), "cKraciNaziv");
    dialogs.Answer(true); // create the company
    Enter(*form, "PROFILWERK2");
    form->EditNaziv->SetFocus();
    Enter(*form, "Profilwerk Zwei GmbH");
    form->cZemlja->SetFocus();
    Enter(*form, "NJEMAČKA");
    form->xDobavljac->SetFocus();
    Press(*form, Qt::Key_Space);
    EXPECT_TRUE(form->DobavljacPanel->isVisible());
    EXPECT_TRUE(form->eGovor->Enabled()) << "a foreign partner's language is typed";
    EXPECT_TRUE(form->cValuta->Enabled());
    EXPECT_FALSE(form->cDjelatnost->Enabled());
    EXPECT_TRUE(form->cBanka2->Enabled()) << "a foreign supplier's bank abroad";
    EXPECT_FALSE(form->ePoziv->Enabled());
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*form), "cSifra") << "the save starts the next partner";

    const std::vector<std::string> partners =
        Rows("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Drzava", "Govor"}, "Sifra");
    EXPECT_NE(std::find(partners.begin(), partners.end(), "PROFIL|D|I|2"), partners.end())
        << ::testing::PrintToString(partners);
    const std::vector<std::string> companies =
        Rows("Global", "PARTNER.DB", {"Sifra", "Naziv", "Zemlja", "Jezik"});
    EXPECT_EQ(companies.back(), "PROFILWERK2|Profilwerk Zwei GmbH|2|2");
}

// Linking a partner to our own company makes it our kind and a supplier; the supplier box closes.
// A domestic customer has no bank, reference or model until it is made a supplier.
TEST_F(PartnersTest, OwnCompanyAndDomesticCustomersOpenTheirControls) {
    registers::PrikaziPartnere(caller.get());
    registers::TSifarnikPartnera* form = Track(SifPart.SifarnikPartnera);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->tSifPart->FindKey({engine::Value::Text("KUPAC")}));
    EXPECT_FALSE(form->cBanka->Enabled());
    EXPECT_FALSE(form->xIstiZiroRn->Enabled());
    EXPECT_FALSE(form->eModel->Enabled());
    EXPECT_FALSE(form->DobavljacPanel->isVisible());
    form->xDobavljac->SetFocus();
    Press(*form, Qt::Key_Space);
    EXPECT_TRUE(form->cBanka->Enabled());
    EXPECT_TRUE(form->eModel->Enabled());
    EXPECT_FALSE(form->cBanka2->Enabled()) << "a domestic supplier has no bank abroad";

    // The company's payment model and reference: a reference that fails model 01 is refused and the user
    // stays on it; the corrected one is taken.
    form->ePoziv->SetFocus();
    Enter(*form, "1");
    form->eModel->SetFocus();
    Enter(*form, "12-34-5");
    EXPECT_EQ(ActiveName(*form), "eModel");
    ASSERT_FALSE(Shown().empty());
    EXPECT_EQ(Shown().back(), "Model ne prolazi kontrolu");
    EXPECT_EQ(form->tPartner->FieldByName("Model").AsString(), "");
    form->eModel->SelectAll();
    Enter(*form, "12-34-3");
    EXPECT_NE(ActiveName(*form), "eModel");

    form->cKraciNaziv->SetFocus();
    form->cKraciNaziv->SelectAll();
    Enter(*form, "LUMENO");
    EXPECT_NE(ActiveName(*form), "cKraciNaziv");
    EXPECT_EQ(form->tSifPart->FieldByName("Drzava").AsString(), "J");
    EXPECT_EQ(form->tSifPart->FieldByName("Dobavljac").AsString(), "D");
    EXPECT_FALSE(form->xDobavljac->Enabled());
    EXPECT_EQ(form->lDug->Caption(), "Duguju:");
    form->ZapisiButton->Click();
    EXPECT_NE(Rows("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Drzava", "Partner"}, "Sifra").back(), "");
    const auto rows = Rows("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Drzava", "Partner"}, "Sifra");
    EXPECT_NE(std::find(rows.begin(), rows.end(), "KUPAC|D|J|20"), rows.end())
        << ::testing::PrintToString(rows);
    EXPECT_EQ(Rows("Global", "PARTNER.DB", {"Sifra", "Poziv", "Model"})[3], "KUPAC|1|12-34-3");

    // The notes: Enter moves on as everywhere on the form, Shift+Enter breaks the line, Ctrl+Enter saves the
    // partner. The balances take their place.
    ASSERT_TRUE(form->tSifPart->FindKey({engine::Value::Text("ALU")}));
    form->OstaloMemo->SetFocus();
    Press(*form, Qt::Key_Return);
    EXPECT_NE(ActiveName(*form), "OstaloMemo");
    form->OstaloMemo->SetFocus();
    Type(*form, "Dostava utorkom");
    Press(*form, Qt::Key_Return, Qt::ShiftModifier);
    Type(*form, QString::fromUtf8("Javiti se gđi Šimić"));
    EXPECT_EQ(ActiveName(*form), "OstaloMemo");
    Press(*form, Qt::Key_Return, Qt::ControlModifier);
    const auto notes = Rows("Lokal", "SIF_PART.DB", {"Sifra", "Biljeske"}, "Sifra");
    EXPECT_NE(std::find(notes.begin(), notes.end(), "ALU|Dostava utorkom\r\nJaviti se gđi Šimić"),
              notes.end())
        << ::testing::PrintToString(notes);
    form->SaldoButton->SetChecked(true);
    EXPECT_FALSE(form->OstaloMemo->isVisible());
    form->SaldoButton->SetChecked(false);
    EXPECT_TRUE(form->OstaloMemo->isVisible());
}

// A company's banks and giro account are picked with F2 from their registers; a bank must exist, a giro
// account picked from the register becomes the company's own. A payment model that its reference fails is
// refused, and the language chosen for a company becomes its country's.
TEST_F(PartnersTest, ACompanyTakesItsBanksAndGiroAccountFromTheirRegisters) {
    registers::InstallCodeListOpeners();
    Add("Global", "BANKE.DB", {"Sifra", "Partner"}, {{"ZABA", "24"}, {"PBZ", "25"}});
    Add("Global", "ZIRO_RN.DB", {"Sifra", "Naziv"},
        {{"2360000-1101234567", "Porezna uprava"}, {"2484008-1100000001", "Aluprofil"}});
    Make("Global", "ZIREKI.DB");
    registers::PrikaziPoduzeca(caller.get());
    registers::TSifarnikPoduzeca* form = Track(registers::Companies.SifarnikPoduzeca);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    ASSERT_TRUE(form->tTable->FindKey({engine::Value::Text("ALU")}));

    // The banks open on the first by code; the one below it goes back into the lookup.
    form->cBanka->SetFocus();
    Press(*form, Qt::Key_F2);
    registers::TSifarnikBanaka* banks = Track(registers::Banke.SifarnikBanaka);
    ASSERT_NE(banks, nullptr);
    ASSERT_TRUE(banks->isVisible());
    EXPECT_EQ(banks->tTable->FieldByName("Sifra").AsString(), "PBZ");
    Press(*banks, Qt::Key_Down);
    Press(*banks, Qt::Key_Escape);
    EXPECT_EQ(form->cBanka->Text(), "ZABA");
    Press(*form, Qt::Key_Return);
    EXPECT_NE(ActiveName(*form), "cBanka");
    // A bank abroad that is no bank is refused; a bank is taken.
    form->cBanka2->SetFocus();
    Enter(*form, "NEMA");
    EXPECT_EQ(ActiveName(*form), "cBanka2");
    EXPECT_EQ(form->tTable->FieldByName("InoBanka").AsString(), "");
    form->cBanka2->SelectAll();
    Enter(*form, "PBZ");
    EXPECT_NE(ActiveName(*form), "cBanka2");

    // The giro accounts' register opens on its first account; the second becomes the company's.
    form->cZiroRn->SetFocus();
    Press(*form, Qt::Key_F2);
    registers::TSifarnikZiroRn* giro = Track(registers::PlainForms.SifarnikZiroRn);
    ASSERT_NE(giro, nullptr);
    ASSERT_TRUE(giro->isVisible());
    Press(*giro, Qt::Key_Down);
    Press(*giro, Qt::Key_Escape);
    EXPECT_EQ(form->cZiroRn->Text(), "2484008-1100000001");
    dialogs.Answer(true); // the company gets the account
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "ZIREKI.DB", {"Code", "Partner", "Sifra"}),
              (std::vector<std::string>{"1|21|2484008-1100000001"}));

    // Model 01 with a reference that fails it is refused; the right one is taken; then model 05, which
    // that reference fails, is refused too.
    auto& ePoziv = *dynamic_cast<fw::Edit*>(form->FindComponent("ePoziv"));
    auto& eModel = *dynamic_cast<fw::Edit*>(form->FindComponent("eModel"));
    ePoziv.SetFocus();
    Enter(*form, "1");
    eModel.SetFocus();
    Enter(*form, "12-34-5");
    EXPECT_EQ(ActiveName(*form), "eModel");
    ASSERT_FALSE(Shown().empty());
    EXPECT_EQ(Shown().back(), "Model ne prolazi kontrolu");
    eModel.SelectAll();
    Enter(*form, "12-34-3");
    EXPECT_NE(ActiveName(*form), "eModel");
    ePoziv.SetFocus();
    ePoziv.SelectAll();
    const std::size_t shown = Shown().size();
    Enter(*form, "5");
    EXPECT_EQ(ActiveName(*form), "ePoziv");
    EXPECT_EQ(Shown().size(), shown + 1);
    ePoziv.SelectAll();
    Enter(*form, "1");
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "PARTNER.DB", {"Sifra", "Banka", "InoBanka", "ZiroRN", "Poziv", "Model"})[1],
              "ALU|24|25|1|1|12-34-3");

    // The language chosen for the German company becomes Germany's.
    ASSERT_TRUE(form->tTable->FindKey({engine::Value::Text("NJEM")}));
    form->eGovor->SetFocus();
    form->eGovor->SelectAll();
    Enter(*form, "HR");
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "ZEMLJA.DB", {"Sifra", "Govor"}),
              (std::vector<std::string>{"HRVATSKA|1", "NJEMAČKA|1"}));
    EXPECT_EQ(Rows("Global", "PARTNER.DB", {"Sifra", "Jezik"})[2], "NJEM|1");
}

// A supplier that makes its colours gets a colour with its code; a name typed in its language names the
// colour and the code. Another supplier coding the colour under the manufacturer's code takes the colour
// and its name.
TEST_F(PartnersTest, ColoursFollowTheirManufacturersCodeAndNames) {
    registers::PrikaziBoje(caller.get(), 21, 21);
    registers::TSifarnikBoja* form = Track(SifBoja.SifarnikBoja);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible()) << ::testing::PrintToString(dialogs.Texts());
    EXPECT_EQ(form->tSifPart->FieldByName("Sifra").AsString(), "ALU");
    EXPECT_EQ(form->tFirme->FieldByName("Sifra").AsString(), "ALUPROFIL");
    EXPECT_EQ(ActiveName(*form), "gSifBoje");
    EXPECT_FALSE(form->cOznaka->Enabled()) << "the supplier is the manufacturer";
    EXPECT_EQ(form->lOznaka->FontColor(), fw::clGray);
    EXPECT_EQ(form->GovorLabel->Caption(), "(Hrvatski)");

    form->cSifra->SetFocus();
    dialogs.Answer(true);
    Enter(*form, "RAL9016");
    form->eNaziv2->SetFocus();
    Enter(*form, "Bijela");
    const auto colours = Rows("Global", "BOJE.DB", {"Code", "Sifra", "Proizvodi", "Naziv"});
    ASSERT_EQ(colours.size(), 1u);
    EXPECT_EQ(colours[0], "1|RAL9016|21|Bijela");
    EXPECT_EQ(Rows("Global", "IME_BOJA.DB", {"Boja", "Govor", "Naziv"}),
              (std::vector<std::string>{"1|1|Bijela"}));
    EXPECT_EQ(Rows("Global", "SIF_BOJA.DB", {"Partner", "Proizvodi", "Sifra", "Code", "Naziv"}),
              (std::vector<std::string>{"21|21|RAL9016|1|Bijela"}));
    Press(*form, Qt::Key_Escape);

    // The German reseller codes the colour as "W1" under the manufacturer's "RAL9016".
    registers::PrikaziBoje(caller.get(), 22, 21);
    EXPECT_EQ(form->tSifPart->FieldByName("Sifra").AsString(), "NJEM");
    EXPECT_TRUE(form->cOznaka->Enabled());
    EXPECT_EQ(form->GovorLabel->Caption(), "(Njemački)");
    form->cSifra->SetFocus();
    dialogs.Answer(true);
    Enter(*form, "W1");
    form->cOznaka->SetFocus();
    Enter(*form, "RAL9016");
    EXPECT_EQ(Rows("Global", "SIF_BOJA.DB", {"Partner", "Proizvodi", "Sifra", "Code", "Naziv"}),
              (std::vector<std::string>{"21|21|RAL9016|1|Bijela", "22|21|W1|1|Bijela"}));
    // Its first German name leaves the names already given as they are.
    form->eNaziv2->SetFocus();
    Enter(*form, "Weiss");
    EXPECT_EQ(Rows("Global", "SIF_BOJA.DB", {"Sifra", "Naziv"}),
              (std::vector<std::string>{"RAL9016|Bijela", "W1|Bijela"}));
    EXPECT_EQ(Rows("Global", "IME_BOJA.DB", {"Boja", "Govor", "Naziv"}),
              (std::vector<std::string>{"1|1|Bijela", "1|2|Weiss"}));
    EXPECT_EQ(Rows("Global", "BOJE.DB", {"Naziv"}), (std::vector<std::string>{"Bijela"}));

    // Our own code of the colour is a row of ours under the manufacturer, written without a question;
    // retyped, the same row takes the new code.
    ASSERT_TRUE(form->eSifra2->Enabled());
    form->eSifra2->SetFocus();
    Enter(*form, "n1");
    const std::vector<std::string> fields{"Partner", "Proizvodi", "Sifra", "Code"};
    EXPECT_EQ(Rows("Global", "SIF_BOJA.DB", fields),
              (std::vector<std::string>{"20|21|N1|1", "21|21|RAL9016|1", "22|21|W1|1"}));
    EXPECT_NE(ActiveName(*form), "eSifra2");
    form->eSifra2->SetFocus();
    Enter(*form, "N2");
    EXPECT_EQ(Rows("Global", "SIF_BOJA.DB", fields),
              (std::vector<std::string>{"20|21|N2|1", "21|21|RAL9016|1", "22|21|W1|1"}));
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Novo RAL9016", "Novo W1"}))
        << "no question for our own code";
}

// F2 on lookups of another form opens the partners and the colours as pickers; the chosen code goes back.
TEST_F(PartnersTest, PartnersAndColoursArePickedIntoAnotherFormsLookup) {
    registers::InstallCodeListOpeners();
    Add("Global", "SIF_BOJA.DB", {"Partner", "Proizvodi", "Sifra", "Code"},
        {{"21", "21", "RAL9010", "1"}, {"21", "21", "RAL9016", "2"}});
    // The partners' own grid lists them by code: ALU, KUPAC, NJEM.
    registers::PrikaziPartnere(caller.get());
    registers::TSifarnikPartnera* partners = Track(SifPart.SifarnikPartnera);
    Press(*partners, Qt::Key_Escape);

    // The register of companies: F2 on the partner's company lookup picks one.
    registers::PrikaziPartnere(caller.get());
    ASSERT_TRUE(partners->tSifPart->FindKey({engine::Value::Text("KUPAC")}));
    partners->cKraciNaziv->SetFocus();
    Press(*partners, Qt::Key_F2);
    registers::TSifarnikPoduzeca* companies = Track(registers::Companies.SifarnikPoduzeca);
    ASSERT_NE(companies, nullptr);
    ASSERT_TRUE(companies->isVisible());
    registers::TSifarnikPoduzeca* picker = companies;
    EXPECT_EQ(picker->tTable->FieldByName("Sifra").AsString(), "KUPAC") << "starts on the lookup's code";
    Press(*companies, Qt::Key_Up);
    EXPECT_EQ(picker->tTable->FieldByName("Sifra").AsString(), "ALU");
    Press(*companies, Qt::Key_Escape);
    EXPECT_EQ(partners->cKraciNaziv->Text(), "ALU");
    Press(*partners, Qt::Key_Return);
    EXPECT_EQ(partners->tSifPart->FieldByName("Partner").AsInteger(), 21);
    Press(*partners, Qt::Key_Escape);

    // A colour lookup of another form: F2 opens the colours with no manufacturer chosen; the user picks the
    // manufacturer and the code, and Esc writes the code back.
    Add("Global", "BOJE.DB", {"Sifra", "Proizvodi", "Naziv"},
        {{"RAL9010", "21", "Bijela"}, {"RAL9016", "21", "Bijela"}});
    Add("Lokal", "WSYSBOJE.DB", {"Sistem", "Boja"}, {{"1", "1"}});
    ColourCaller form(nullptr);
    ASSERT_TRUE(app::OpenFormTables(&form));
    fwtest::ShowActive(form);
    form.cBoja->SetFocus();
    Press(form, Qt::Key_F2);
    registers::TSifarnikBoja* colours = Track(SifBoja.SifarnikBoja);
    ASSERT_NE(colours, nullptr);
    ASSERT_TRUE(colours->isVisible());
    EXPECT_EQ(ActiveName(*colours), "gFirme") << "no manufacturer given: the choice starts there";
    Press(*colours, Qt::Key_Tab);
    EXPECT_EQ(ActiveName(*colours), "gSifBoje");
    EXPECT_EQ(colours->tSifBoje->FieldByName("Sifra").AsString(), "RAL9010");
    Press(*colours, Qt::Key_Down);
    Press(*colours, Qt::Key_Escape);
    EXPECT_FALSE(colours->isVisible());
    EXPECT_EQ(form.cBoja->Text(), "RAL9016");
    EXPECT_EQ(form.cBoja->selectedText().toStdString(), "RAL9016");
}

} // namespace
} // namespace regtest
