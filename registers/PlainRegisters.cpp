#include "registers/PlainRegisters.h"

#include "app/data/Settings.h"
#include "app/shell/CodeListOpeners.h"
#include "app/shell/FocusNavigation.h"
#include "base/ProgramState.h"
#include "fw/ui/DBCtrls.h"
#include "fw/ui/DBMemo.h"
#include "fw/ui/DBRadioGroup.h"
#include "kit/DBChecker.h"
#include "kit/LookupFields.h"
#include "kit/Mycombo2.h"

#include <memory>
#include <string>

namespace registers {

PlainRegisterForms PlainForms;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { PlainForms = PlainRegisterForms(); });

using K = FieldLayout::Kind;

const RegisterLayout GovorLayout{
    "SifarnikGovora", "Šifarnik govornih područja (jezika)", "Govor", "GOVOR.DB", "Sifra",
    "Šifra",          {{"Naziv", "Naziv", K::Name, 200}},    {}};
const RegisterLayout ZemljaLayout{"SifarnikZemalja",
                                  "Šifarnik zemalja",
                                  "Zemlja",
                                  "ZEMLJA.DB",
                                  "Sifra",
                                  "Zemlja",
                                  {},
                                  {{"Govor", "GOVOR.DB", "Jezik"}},
                                  false};
const RegisterLayout PostaLayout{"SifarnikPosti",
                                 "Šifarnik pošti",
                                 "Pošta",
                                 "POSTA.DB",
                                 "Sifra",
                                 "Mjesto",
                                 {{"Broj", "Poštanski broj", K::Var, 80}},
                                 {{"Zemlja", "ZEMLJA.DB", "Zemlja"}}};
const RegisterLayout DjelatnoLayout{"SifarnikDjelatnosti",
                                    "Šifarnik djelatnosti",
                                    "Djelatnost",
                                    "DJELATNO.DB",
                                    "Sifra",
                                    "Šifra",
                                    {{"Naziv", "Naziv", K::Name}},
                                    {}};
const RegisterLayout VrsteLayout{"SifarnikVrstaArtikli",
                                 "Šifarnik vrsta artikli (proizvoda)",
                                 "Vrsta",
                                 "VRSTE.DB",
                                 "Sifra",
                                 "Šifra",
                                 {{"Naziv", "Naziv", K::Name}},
                                 {},
                                 false};
const RegisterLayout AmortLayout{"SifarnikGrupaAmortizacije",
                                 "Šifarnik grupa amortizacije",
                                 "Grupa",
                                 "GR_AMORT.DB",
                                 "Sifra",
                                 "Šifra",
                                 {{"Naziv", "Naziv", K::Name}},
                                 {}};
const RegisterLayout RevalLayout{"SifarnikGrupaRevalorizacije",
                                 "Šifarnik grupa revalorizacije",
                                 "Grupa",
                                 "GR_REVAL.DB",
                                 "Sifra",
                                 "Šifra",
                                 {{"Naziv", "Naziv", K::Name}},
                                 {}};
const RegisterLayout JediniceLayout{
    "SifarnikJedinica", "Jedinice mjera", "Jedinica", "JEDINICE.DB", "Sifra", "Jedinica", {}, {}};
const RegisterLayout ZiroLayout{"SifarnikZiroRn",
                                "Šifarnik žiro-računa",
                                "Žiro-račun",
                                "ZIRO_RN.DB",
                                "Sifra",
                                "Žiro-račun",
                                {{"Naziv", "Naziv", K::Name},
                                 {"Svrha1", "Svrha"},
                                 {"Svrha2", ""},
                                 {"Svrha3", ""},
                                 {"Svrha4", ""},
                                 {"Poziv", "Model", K::Var, 60},
                                 {"Model", "Poziv na broj"},
                                 {"Korist1", "U korist"},
                                 {"Korist2", ""},
                                 {"Korist3", ""},
                                 {"BrojInv", "Broj inv.", K::Var, 60},
                                 {"SifraInv", "Šifra inv.", K::Var, 60}},
                                {},
                                false};
const RegisterLayout ValutaLayout{
    "SifarnikValuta",
    "Šifarnik valuta",
    "Valuta",
    "VALUTA.DB",
    "Sifra",
    "Šifra",
    {{"Oznaka", "Oznaka", K::Var, 80},
     {"Naziv", "Naziv", K::Name},
     {"Cij", "Cijeli dio"},
     {"Cij1", "iza 1"},
     {"Cij2", "iza 2"},
     {"Cij5", "iza 5"},
     {"ZCij", "Naziv za cijeli dio je ženskog roda ", K::Check},
     {"Dec", "Decimalni dio"},
     {"Dec1", "iza 1"},
     {"Dec2", "iza 2"},
     {"Dec5", "iza 5"},
     {"ZDec", "Naziv za decimalni dio je ženskog roda", K::Check},
     {"Decimale",
      "Decimale",
      K::Radio,
      200,
      {"3 dec. = 4,758", "2 dec. = 4,76", "1 dec. = 4,8", "0 dec. = 5"},
      {"3", "2", "1", "0"}},
     {"Prikaz", "Prikaz", K::Radio, 200, {"1,99 $", "$ 1,99", "2 $", "$ 2"}, {"0", "1", "2", "3"}}},
    {{"Govor", "GOVOR.DB", "Jezik"}}};

// The accounts of a tariff group and the giro accounts beside them: the field and what it is booked for.
struct TariffAccount {
    const char* Konto;
    const char* ZiroRn;
    const char* What;
};
std::vector<LinkLayout> TariffLinks(std::initializer_list<TariffAccount> accounts) {
    // The captions live as long as the layouts.
    static std::vector<std::unique_ptr<std::string>> captions;
    std::vector<LinkLayout> links;
    for (const TariffAccount& a : accounts) {
        captions.push_back(std::make_unique<std::string>(std::string("Konto ") + a.What));
        links.push_back({a.Konto, "KONTA.DB", captions.back()->c_str(), "Konto"});
        captions.push_back(std::make_unique<std::string>(std::string("Žiro-rn. ") + a.What));
        links.push_back({a.ZiroRn, "ZIRO_RN.DB", captions.back()->c_str(), "Sifra"});
    }
    return links;
}
const RegisterLayout PorezLayout{"SifarnikGrupaPoreza",
                                 "Šifarnik tarifnih grupa poreza",
                                 "Tarifa",
                                 "T_POREZA.DB",
                                 "Tarifa",
                                 "Tarifa",
                                 {{"Naziv", "Naziv", K::Name}},
                                 TariffLinks({{"KontoRoba", "ZiroRnRoba", "robe"},
                                              {"KontoRUC", "ZiroRnRUC", "RUC-a"},
                                              {"KontoUsluga", "ZiroRnUsluga", "usluga"},
                                              {"KontoOtpis", "ZiroRnOtpis", "otpisa"},
                                              {"KontoPotrosnja", "ZiroRnPotrosnja", "potrošnje"},
                                              {"KontoDodVrijednost", "ZiroRnDodVrijednost", "dod. vrij."}})};
const RegisterLayout CarinaLayout{"SifarnikGrupaCarine",
                                  "Šifarnik tarifnih grupa carine",
                                  "Tarifa",
                                  "T_CARINE.DB",
                                  "Tarifa",
                                  "Tarifa",
                                  {{"Naziv", "Naziv", K::Name}},
                                  TariffLinks({{"KontoCarine", "ZiroRnCarine", "carine"},
                                               {"KontoEvid", "ZiroRnEvid", "evidencije"},
                                               {"KontoPoreza", "ZiroRnPoreza", "poreza"},
                                               {"KontoPrireza", "ZiroRnPrireza", "prireza"},
                                               {"KontoTrosarine", "ZiroRnTrosarine", "trošarine"}})};

constexpr int RowHeight = 28;
// The tallest window a 1024x768 screen shows whole under a title bar, and where a second column begins.
constexpr int MaxFormHeight = 730;
constexpr int SecondColumn = 345;

} // namespace

TPlainCodeList::TPlainCodeList(fw::Component* owner, const RegisterLayout& layout)
    : TCodeListForm(owner), layout_(layout) {
    SetName(layout.Name);
    SetCaption(layout.Caption);
    SelectOnWriteBack = layout.SelectOnWriteBack;
    fw::TDataSource& main = NewSource(nullptr);
    // The height the fields take (below the key edit's row), and the links.
    int fieldsHeight = 0;
    for (const FieldLayout& f : layout.Fields)
        if (f.EditKind == K::Radio)
            fieldsHeight += 34 + static_cast<int>(f.Items.size()) * 22;
        else
            fieldsHeight += f.EditKind == K::Memo ? 2 * RowHeight : RowHeight;
    const int linksHeight = static_cast<int>(layout.Links.size()) * RowHeight;
    auto heightFor = [](int content) { return std::max(400, 110 + RowHeight + content); };
    // A register too long for one column of a 1024x768 screen puts its links in a second column.
    const bool twoColumns = heightFor(fieldsHeight + linksHeight) > MaxFormHeight;
    const int height =
        twoColumns ? heightFor(std::max(fieldsHeight, linksHeight)) : heightFor(fieldsHeight + linksHeight);
    BuildFrame(layout.KeyField, layout.KeyCaption, layout.Noun, twoColumns ? 1010 : 900, height);
    if (twoColumns) gTable->SetBounds(2 * SecondColumn, 10, 1010 - 2 * SecondColumn - 10, height - 60);
    int top = 10 + RowHeight;
    for (const FieldLayout& f : layout.Fields) {
        const std::string name = std::string("e") + f.Field;
        switch (f.EditKind) {
        case K::Var:
            AddEdit<kit::TDBVar>(main, f.Field, name, f.Caption, top, f.Width);
            break;
        case K::Name:
            AddEdit<kit::TDBName>(main, f.Field, name, f.Caption, top, f.Width);
            break;
        case K::Check: {
            auto* check = new kit::TDBChecker(this, this);
            check->SetName(std::string("x") + f.Field);
            check->SetCaption(f.Caption);
            // As wide as its caption needs: a check box's text is never cut.
            check->SetBounds(135, top, std::max(f.Width, check->sizeHint().width()), 24);
            check->SetDataSource(&main);
            check->SetDataField(f.Field);
            check->SetValueChecked("Da;True");
            check->SetValueUnchecked("Ne;False");
            break;
        }
        case K::Memo: {
            AddLabel(f.Caption, 10, top + 3);
            auto* memo = new fw::DBMemo(this, this);
            memo->SetName(name);
            memo->SetBounds(135, top, f.Width, 2 * RowHeight - 4);
            memo->SetDataSource(&main);
            memo->SetDataField(f.Field);
            top += RowHeight;
            break;
        }
        case K::Radio: {
            auto* group = new fw::DBRadioGroup(this, this);
            group->SetName(std::string("r") + f.Field);
            const int height = 30 + static_cast<int>(f.Items.size()) * 22;
            group->SetBounds(135, top, f.Width, height);
            group->SetCaption(f.Caption);
            group->SetItems(f.Items);
            group->SetValues(f.Values);
            group->SetDataSource(&main);
            group->SetDataField(f.Field);
            top += height - RowHeight + 4;
            break;
        }
        }
        top += RowHeight;
    }
    // The linked codes: a lookup per link on a slave table of the linked register; F2 opens that register.
    if (twoColumns) {
        fieldLeft_ = SecondColumn;
        top = 10 + RowHeight;
    }
    std::vector<fw::TDataSource*> linkSources;
    for (const LinkLayout& l : layout.Links) {
        fw::TDataSource& source = NewSource(nullptr);
        linkSources.push_back(&source);
        AddLabel(l.Caption, fieldLeft_ + 10, top + 3);
        kit::LookupControl* lookup =
            l.MustExist ? static_cast<kit::LookupControl*>(new kit::TDBJustLookup(this, this))
                        : new kit::TDBLookupField(this, this);
        lookup->SetName(*l.Name ? std::string(l.Name) : std::string("c") + l.Field);
        lookup->SetBounds(fieldLeft_ + 135, top, 200, 24);
        lookup->SetDataSource(&main);
        lookup->SetDataField(l.Field);
        lookup->SetLookupSource(&source);
        lookup->SetLookupField(l.LookupField);
        lookup->SetLookupDisplay(l.Display);
        lookup->DisplayName = l.Caption;
        const std::string table = *l.Register ? l.Register : l.Table;
        lookup->OnF2Press = [this, table](fw::Component&) { app::OpenCodeListOf(table, this); };
        Lookups.push_back(lookup);
        top += RowHeight;
    }
    fieldLeft_ = 0;
    tTable = AddTable("tTable", "Global", layout.Table, layout.KeyField);
    tTable->FreeToModify = false;
    main.SetDataSet(tTable);
    for (std::size_t i = 0; i < layout.Links.size(); ++i) {
        const LinkLayout& l = layout.Links[i];
        kit::TMyTable* t = AddTable(std::string("t") + l.Field, "Global", l.Table, l.Index);
        t->SetMasterSource(&main);
        t->SetMasterFields(*l.MasterFields ? l.MasterFields : l.Field);
        linkSources[i]->SetDataSet(t);
        LinkTables.push_back(t);
    }
    SetActiveControl(gTable);
}

std::vector<fw::TTable*> TPlainCodeList::PostedTables() const {
    std::vector<fw::TTable*> tables{tTable};
    tables.insert(tables.end(), LinkTables.begin(), LinkTables.end());
    return tables;
}

TSifarnikGovora::TSifarnikGovora(fw::Component* owner) : TPlainCodeList(owner, GovorLayout) {}
TSifarnikZemalja::TSifarnikZemalja(fw::Component* owner) : TPlainCodeList(owner, ZemljaLayout) {}
TSifarnikPosti::TSifarnikPosti(fw::Component* owner) : TPlainCodeList(owner, PostaLayout) {}
TSifarnikDjelatnosti::TSifarnikDjelatnosti(fw::Component* owner) : TPlainCodeList(owner, DjelatnoLayout) {}
TSifarnikVrstaArtikli::TSifarnikVrstaArtikli(fw::Component* owner) : TPlainCodeList(owner, VrsteLayout) {}
TSifarnikGrupaAmortizacije::TSifarnikGrupaAmortizacije(fw::Component* owner)
    : TPlainCodeList(owner, AmortLayout) {}
TSifarnikGrupaRevalorizacije::TSifarnikGrupaRevalorizacije(fw::Component* owner)
    : TPlainCodeList(owner, RevalLayout) {}
TSifarnikJedinica::TSifarnikJedinica(fw::Component* owner) : TPlainCodeList(owner, JediniceLayout) {}
TSifarnikZiroRn::TSifarnikZiroRn(fw::Component* owner) : TPlainCodeList(owner, ZiroLayout) {}
TSifarnikValuta::TSifarnikValuta(fw::Component* owner) : TPlainCodeList(owner, ValutaLayout) {}

TSifarnikGrupaPoreza::TSifarnikGrupaPoreza(fw::Component* owner) : TPlainCodeList(owner, PorezLayout) {
    tTable->OnNewRecord = [this](fw::TDataSet& ds) { tTableNewRecord(ds); };
}

void TSifarnikGrupaPoreza::tTableNewRecord(fw::TDataSet& ds) {
    const auto& k = app::Settings.CommonSettings.Konta_Porez;
    const std::pair<const char*, const std::string*> accounts[] = {
        {"KontoRoba", &k.Roba},           {"KontoRUC", &k.RUC},
        {"KontoUsluga", &k.Usluga},       {"KontoOtpis", &k.Otpis},
        {"KontoPotrosnja", &k.Potrosnja}, {"KontoDodVrijednost", &k.DodVrijednost}};
    for (const auto& [field, konto] : accounts)
        ds.FieldByName(field).SetAsInteger(app::StrToCode(*konto));
}

TSifarnikGrupaCarine::TSifarnikGrupaCarine(fw::Component* owner) : TPlainCodeList(owner, CarinaLayout) {
    tTable->OnNewRecord = [this](fw::TDataSet& ds) { tTableNewRecord(ds); };
}

void TSifarnikGrupaCarine::tTableNewRecord(fw::TDataSet& ds) {
    const auto& k = app::Settings.CommonSettings.Konta_Carina;
    const std::pair<const char*, const std::string*> accounts[] = {{"KontoCarine", &k.Carina},
                                                                   {"KontoEvid", &k.Evidencija},
                                                                   {"KontoPoreza", &k.Porez},
                                                                   {"KontoPrireza", &k.Prirez},
                                                                   {"KontoTrosarine", &k.Trosarina}};
    for (const auto& [field, konto] : accounts)
        ds.FieldByName(field).SetAsInteger(app::StrToCode(*konto));
}

void PrikaziGovore(fw::Form* caller) {
    app::OpenForm<TSifarnikGovora>(PlainForms.SifarnikGovora, caller,
                                   [caller](auto& f) { f.Caller = caller; });
}
void PrikaziZemlje(fw::Form* caller) {
    app::OpenForm<TSifarnikZemalja>(PlainForms.SifarnikZemalja, caller,
                                    [caller](auto& f) { f.Caller = caller; });
}
void PrikaziPoste(fw::Form* caller) {
    app::OpenForm<TSifarnikPosti>(PlainForms.SifarnikPosti, caller, [caller](auto& f) { f.Caller = caller; });
}
void PrikaziDjelatnosti(fw::Form* caller) {
    app::OpenForm<TSifarnikDjelatnosti>(PlainForms.SifarnikDjelatnosti, caller,
                                        [caller](auto& f) { f.Caller = caller; });
}
void PrikaziVrsteArtikala(fw::Form* caller) {
    app::OpenForm<TSifarnikVrstaArtikli>(PlainForms.SifarnikVrstaArtikli, caller,
                                         [caller](auto& f) { f.Caller = caller; });
}
void PrikaziGrupeAmortizacije(fw::Form* caller) {
    app::OpenForm<TSifarnikGrupaAmortizacije>(PlainForms.SifarnikGrupaAmortizacije, caller,
                                              [caller](auto& f) { f.Caller = caller; });
}
void PrikaziGrupeRevalorizacije(fw::Form* caller) {
    app::OpenForm<TSifarnikGrupaRevalorizacije>(PlainForms.SifarnikGrupaRevalorizacije, caller,
                                                [caller](auto& f) { f.Caller = caller; });
}
void PrikaziJedinice(fw::Form* caller) {
    app::OpenForm<TSifarnikJedinica>(PlainForms.SifarnikJedinica, caller,
                                     [caller](auto& f) { f.Caller = caller; });
}
void PrikaziZiroRacune(fw::Form* caller) {
    app::OpenForm<TSifarnikZiroRn>(PlainForms.SifarnikZiroRn, caller,
                                   [caller](auto& f) { f.Caller = caller; });
}
void PrikaziValute(fw::Form* caller) {
    app::OpenForm<TSifarnikValuta>(PlainForms.SifarnikValuta, caller,
                                   [caller](auto& f) { f.Caller = caller; });
}
void PrikaziGrupePoreza(fw::Form* caller) {
    app::OpenForm<TSifarnikGrupaPoreza>(PlainForms.SifarnikGrupaPoreza, caller,
                                        [caller](auto& f) { f.Caller = caller; });
}
void PrikaziGrupeCarine(fw::Form* caller) {
    app::OpenForm<TSifarnikGrupaCarine>(PlainForms.SifarnikGrupaCarine, caller,
                                        [caller](auto& f) { f.Caller = caller; });
}

} // namespace registers
