#include "registers/Partner.h"

#include "app/data/DataSetServices.h"
#include "app/shell/EditControls.h"
#include "base/ProgramState.h"

namespace registers {

CompanyForms Companies;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { Companies = CompanyForms(); });

using K = FieldLayout::Kind;

const RegisterLayout PoduzecaLayout{"SifarnikPoduzeca",
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
                                     {"KontaktOsoba", "Kontakt osoba"},
                                     {"Maticni", "Matični broj"},
                                     {"Poziv", "Model", K::Var, 60},
                                     {"Model", "Poziv na broj"},
                                     {"Rabat2", "Poduzeće daje dodatni rabat.", K::Check},
                                     {"Rabat2Kolicina", "Dodatni rabat je na veće količine robe.", K::Check}},
                                    {{"Zemlja", "ZEMLJA.DB", "Zemlja"},
                                     {"Posta", "POSTA.DB", "Pošta"},
                                     {"Jezik", "GOVOR.DB", "Jezik"},
                                     {"Djelatnost", "DJELATNO.DB", "Djelatnost"},
                                     {"Valuta", "VALUTA.DB", "Valuta"}}};

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
    cZemlja = Lookups.front();
    cZemlja->OnExit = [this](fw::Component& s) { cZemljaExit(s); };
    xPlus = dynamic_cast<kit::TDBChecker*>(FindComponent("xRabat2"));
    xVise = dynamic_cast<kit::TDBChecker*>(FindComponent("xRabat2Kolicina"));
    xPlus->OnChange = [this](fw::Component& s) { xPlusChange(s); };
}

void TSifarnikPoduzeca::PositionOnCaller() {
    TPlainCodeList::PositionOnCaller();
    xPlusChange(*this);
}

void TSifarnikPoduzeca::cZemljaExit(fw::Component&) {
    fw::TTable* zemlja = LinkTables.front();
    if (!app::HasRecords(tTable) || !app::HasRecords(zemlja)) return;
    const std::int64_t govor = zemlja->FieldByName("Govor").AsInteger();
    if (tTable->FieldByName("Jezik").AsInteger() != govor && app::PostInsertAndEdit(tTable))
        tTable->FieldByName("Jezik").SetAsInteger(govor);
}

void TSifarnikPoduzeca::xPlusChange(fw::Component&) {
    xPlus->Checked() ? app::EnableCheck(*xVise) : app::DisableCheck(*xVise);
}

TSifarnikFirmi::TSifarnikFirmi(fw::Component* owner) : TPlainCodeList(owner, FirmeLayout) {
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
