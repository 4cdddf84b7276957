#include "registers/Partner.h"

#include "app/data/DataSetServices.h"
#include "app/shell/EditControls.h"
#include "base/ProgramState.h"
#include "registers/CompanyModel.h"

namespace registers {

CompanyForms Companies;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { Companies = CompanyForms(); });

using K = FieldLayout::Kind;

const RegisterLayout PoduzecaLayout{
    "SifarnikPoduzeca",
    "Šifarnik poduzeća",
    "Poduzeće",
    "PARTNER.DB",
    "Sifra",
    "Skraćeni naziv poduzeća",
    {{"Naziv", "Naziv poduzeća", K::Var, 200},
     {"Mjesto", "Mjesto"},
     {"UlicaBroj", "Ulica i broj"},
     {"Telefon", "Telefon"},
     {"Telefax", "Telefax"},
     {"Mobitel", "Mobitel"},
     {"Modem", "Modem"},
     {"OstaliTelefoni", "Ostali telefoni", K::Memo},
     {"KontaktOsoba", "Kontakt osoba"},
     {"Maticni", "Matični broj"},
     {"Poziv", "Model", K::Var, 60},
     {"Model", "Poziv na broj"},
     {"Rabat2", "Poduzeće daje dodatni rabat.", K::Check},
     {"Rabat2Kolicina", "Dodatni rabat je na veće količine robe.", K::Check}},
    {{"Zemlja", "ZEMLJA.DB", "Zemlja"},
     // The post offices of the chosen country.
     {.Field = "Posta",
      .Table = "POSTA.DB",
      .Caption = "Pošta",
      .Index = "Zemlja;Code",
      .MasterFields = "Zemlja;Posta"},
     {.Field = "Jezik", .Table = "GOVOR.DB", .Caption = "Jezik", .Name = "eGovor"},
     {"Djelatnost", "DJELATNO.DB", "Djelatnost"},
     // A bank is a company of this register: the banks are found by it.
     {.Field = "Banka",
      .Table = "BANKE.DB",
      .Caption = "Banka",
      .Index = "Partner",
      .LookupField = "Partner",
      .Name = "cBanka",
      .MustExist = true},
     {.Field = "InoBanka",
      .Table = "BANKE.DB",
      .Caption = "Banka za inozemstvo",
      .Index = "Partner",
      .LookupField = "Partner",
      .Name = "cBanka2",
      .MustExist = true},
     {"Valuta", "VALUTA.DB", "Valuta"},
     // The company's own giro accounts; a number picked from the register of giro accounts is taken as
     // the company's account.
     {.Field = "ZiroRN",
      .Table = "ZIREKI.DB",
      .Caption = "Žiro-račun",
      .Index = "Partner;Code",
      .MasterFields = "Code;ZiroRN",
      .Name = "cZiroRn",
      .Register = "ZIRO_RN.DB"}}};

const RegisterLayout FirmeLayout{
    "SifarnikFirmi",
    "Šifarnik proizvođača",
    "Proizvođač",
    "FIRME.DB",
    "Sifra",
    "Šifra proizvođača",
    {{"BarKodVelicina", "EAN", K::Var, 40}, {"BarKodOsnova", "Bar-kôd osnova", K::Var, 120}},
    {{"Partner", "PARTNER.DB", "Poduzeće"}}};

} // namespace

TSifarnikPoduzeca::TSifarnikPoduzeca(fw::Component* owner) : TPlainCodeList(owner, PoduzecaLayout) {
    tTable->FreeToModify = true;
    auto lookup = [this](const char* name) { return dynamic_cast<kit::LookupControl*>(FindComponent(name)); };
    auto table = [this](const char* name) { return dynamic_cast<kit::TMyTable*>(FindComponent(name)); };
    cZemlja = lookup("cZemlja");
    cPosta = lookup("cPosta");
    eGovor = lookup("eGovor");
    cBanka = lookup("cBanka");
    cBanka2 = lookup("cBanka2");
    cZiroRn = lookup("cZiroRn");
    tZemlja = table("tZemlja");
    tPosta = table("tPosta");
    tGovor = table("tJezik");
    tDjelatnost = table("tDjelatnost");
    tValuta = table("tValuta");
    cZemlja->OnExit = [this](fw::Component& s) { cZemljaExit(s); };
    eGovor->OnExit = [this](fw::Component& s) { eGovorExit(s); };
    xPlus = dynamic_cast<kit::TDBChecker*>(FindComponent("xRabat2"));
    xVise = dynamic_cast<kit::TDBChecker*>(FindComponent("xRabat2Kolicina"));
    xPlus->OnChange = [this](fw::Component& s) { xPlusChange(s); };
    tTable->AfterOpen = [](fw::TDataSet& ds) {
        HideHousekeepingFields(ds);
        WatchCompanyModel(ds);
    };
}

std::vector<fw::TTable*> TSifarnikPoduzeca::PostedTables() const {
    return {tTable, tValuta, tDjelatnost, tPosta, tZemlja, tGovor};
}

void TSifarnikPoduzeca::PositionOnCaller() {
    TPlainCodeList::PositionOnCaller();
    xPlusChange(*this);
}

namespace {
// A row already being edited stays so; another is posted if new and put into edit.
bool IntoEdit(fw::TDataSet* t) {
    return (t && t->State() == fw::dsEdit) || app::PostInsertAndEdit(t);
}
} // namespace

void TSifarnikPoduzeca::cZemljaExit(fw::Component&) {
    if (!app::HasRecords(tTable) || !app::HasRecords(tZemlja)) return;
    const std::int64_t govor = tZemlja->FieldByName("Govor").AsInteger();
    if (tTable->FieldByName("Jezik").AsInteger() != govor && IntoEdit(tTable))
        tTable->FieldByName("Jezik").SetAsInteger(govor);
}

void TSifarnikPoduzeca::eGovorExit(fw::Component&) {
    if (!app::HasRecords(tTable) || !app::HasRecords(tZemlja)) return;
    const std::int64_t govor = tTable->FieldByName("Jezik").AsInteger();
    if (tZemlja->FieldByName("Govor").AsInteger() != govor && IntoEdit(tZemlja))
        tZemlja->FieldByName("Govor").SetAsInteger(govor);
}

void TSifarnikPoduzeca::xPlusChange(fw::Component&) {
    xPlus->Checked() ? app::EnableCheck(*xVise) : app::DisableCheck(*xVise);
}

TSifarnikFirmi::TSifarnikFirmi(fw::Component* owner) : TPlainCodeList(owner, FirmeLayout) {
    tTable->SetName("tFirme");
    gTable->SetName("gSifPart");
    Lookups.front()->Required = true;
}

void PrikaziPoduzeca(fw::Form* caller) {
    app::OpenForm<TSifarnikPoduzeca>(Companies.SifarnikPoduzeca, caller,
                                     [caller](auto& f) { f.Caller = caller; });
}

void PrikaziFirme(fw::Form* caller) {
    app::OpenForm<TSifarnikFirmi>(Companies.SifarnikFirmi, caller, [caller](auto& f) { f.Caller = caller; });
}

} // namespace registers
