#include "registers/Sif_Part.h"

#include "app/data/DataSetServices.h"
#include "app/data/WBegin.h"
#include "app/shell/EditControls.h"
#include "base/ProgramState.h"
#include "fw/ui/DBCtrls.h"
#include "fw/ui/DBMemo.h"
#include "registers/CalcFields.h"
#include "registers/CompanyModel.h"
#include "registers/Grupe.h"
#include "registers/PartnerKind.h"
#include "registers/Placing.h"

#include <limits>

namespace registers {

PartnerForms SifPart;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { SifPart = PartnerForms(); });

// The data-entry switches: an "always" box and the switch itself.
struct SwitchPair {
    const char* Always;
    const char* Switch;
    const char* Caption;
};
constexpr SwitchPair SwitchPairs[] = {
    {"URoba", "XRoba", "roba"},
    {"UpoMPC", "XpoMPC", "po MPC"},
    {"Uusluga", "Xusluga", "usluge, krediti, ..."},
    {"UnaIsto", "XnaIsto", "na isto skladište"},
    {"UrabatIznos", "XrabatIznos", "rabat u iznosu"},
    {"UmarzaIznos", "XmarzaIznos", "marža u iznosu"},
    {"UnudiRabat", "XnudiRabat", "prijedlog rabata"},
    {"UrabatVar", "XrabatVar", "rabat varira"},
    {"UnudiRUC", "XnudiRUC", "prijedlog RUC-a"},
    {"URUCvar", "XRUCvar", "RUC varira"},
    {"UuzmiRabat", "XuzmiRabat", "uzimamo rabat"},
    {"UunosFV", "XunosFV", "unos FV"},
    {"UunosVPC", "XunosVPC", "unos VPC"},
    {"UunosMPC", "XunosMPC", "unos MPC"},
    {"Uvirman", "Xvirman", "Ispis virmana"},
};
constexpr std::pair<const char*, const char*> SingleSwitches[] = {
    {"XdatumDok", "Datum knj. => Datum dok."},
    {"XdatumDVO", "Datum dok => Datum DVO"},
    {"XdatumValute", "Datum valute se ne unosi."},
    {"XrokPlacanja", "Rok plaćanja je uvijek isti."},
    {"Xotpremnica", "Otpremnica broj"},
    {"Xnarudzbenica", "Narudžbenica broj"},
    {"Xpredracun", "Predračun broj"},
    {"Xtroskovi", "Transportni i ostali troškovi"},
    {"XkontoKupDob", "Konto kupac/dobavljač"},
};

// The balance rows: the document kind field of each balance table's key.
constexpr std::pair<const char*, const char*> BalanceRows[] = {
    {"Nula", "Ukupno:"}, {"VD_Ulaz", "Ulazni dokumenti:"}, {"VD_Izlaz", "Izlazni dokumenti:"}};

std::string Text(const fw::TTable* t, const char* field) {
    return t->FieldByName(field).AsString();
}
std::int64_t Number(const fw::TTable* t, const char* field) {
    return t->FieldByName(field).AsInteger();
}

// A row already being edited stays so; another is posted if new and put into edit.
bool IntoEdit(fw::TDataSet* t) {
    return (t && t->State() == fw::dsEdit) || app::PostInsertAndEdit(t);
}

void Switch(fw::Control& c, bool enabled) {
    if (dynamic_cast<kit::LookupControl*>(&c)) {
        enabled ? app::EnableLookup(c) : app::DisableLookup(c);
    } else if (dynamic_cast<fw::CheckBox*>(&c)) {
        enabled ? app::EnableCheck(c) : app::DisableCheck(c);
    } else {
        enabled ? app::EnableEdit(c) : app::DisableEdit(c);
    }
}

} // namespace

TSifarnikPartnera::TSifarnikPartnera(fw::Component* owner) : TCodeListForm(owner) {
    SetName("SifarnikPartnera");
    SetCaption("Šifarnik partnera");
    fw::TDataSource& partner = NewSource(nullptr);
    fw::TDataSource& company = NewSource(nullptr);
    fw::TDataSource& zemlja = NewSource(nullptr);
    fw::TDataSource& posta = NewSource(nullptr);
    fw::TDataSource& govor = NewSource(nullptr);
    fw::TDataSource& djelatnost = NewSource(nullptr);
    fw::TDataSource& banka = NewSource(nullptr);
    fw::TDataSource& banka2 = NewSource(nullptr);
    fw::TDataSource& valuta = NewSource(nullptr);
    fw::TDataSource& ziro = NewSource(nullptr);
    for (fw::TDataSource*& s : balanceSources_)
        s = &NewSource(nullptr);

    BuildFrame("Sifra", "Šifra partnera", "Partner", 1010, 730);
    cSifra = eSifra;
    cSifra->SetName("cSifra");
    gTable->SetBounds(770, 10, 230, 670);

    // The company, column one.
    const int c1 = 10, c2 = 380;
    cKraciNaziv =
        PlaceLookup<kit::TDBLookupField>(this, this, partner, "Partner", company, "Code", "Sifra",
                                         "PARTNER.DB", "cKraciNaziv", "Skraćeni naziv poduzeća", c1, 45);
    cKraciNaziv->Required = true;
    cKraciNaziv->OnExit = [this](fw::Component& s) { cKraciNazivExit(s); };
    EditNaziv = PlaceEdit<kit::TDBVar>(this, this, company, "Naziv", "EditNaziv", "Naziv poduzeća", c1, 71);
    PlaceEdit<kit::TDBVar>(this, this, company, "Mjesto", "EditMjesto", "Mjesto", c1, 97);
    PlaceEdit<kit::TDBVar>(this, this, company, "UlicaBroj", "EditUlica", "Ulica i broj", c1, 123);
    cZemlja = PlaceLookup<kit::TDBLookupField>(this, this, company, "Zemlja", zemlja, "Code", "Sifra",
                                               "ZEMLJA.DB", "cZemlja", "Zemlja", c1, 149);
    cZemlja->OnExit = [this](fw::Component& s) { cZemljaExit(s); };
    cPosta = PlaceLookup<kit::TDBLookupField>(this, this, company, "Posta", posta, "Code", "Sifra",
                                              "POSTA.DB", "cPosta", "Pošta", c1, 175);
    eGovor = PlaceLookup<kit::TDBLookupField>(this, this, partner, "Govor", govor, "Code", "Sifra",
                                              "GOVOR.DB", "eGovor", "Jezik", c1, 201);
    eGovor->OnExit = [this](fw::Component& s) { eGovorExit(s); };
    cValuta = PlaceLookup<kit::TDBLookupField>(this, this, company, "Valuta", valuta, "Code", "Sifra",
                                               "VALUTA.DB", "cValuta", "Valuta", c1, 227);
    PlaceEdit<kit::TDBVar>(this, this, company, "Telefon", "EditTelefon", "Telefon", c1, 253);
    PlaceEdit<kit::TDBVar>(this, this, company, "Telefax", "EditTelefax", "Telefax", c1, 279);
    PlaceEdit<kit::TDBVar>(this, this, company, "Mobitel", "EditMobitel", "Mobitel", c1, 305);
    PlaceEdit<kit::TDBVar>(this, this, company, "Modem", "EditModem", "Modem", c1, 331);

    // The partner's kind and the company's registration, column two.
    xDobavljac =
        PlaceCheck(this, this, partner, "Dobavljac", "xDobavljac", "Dobavljač", c2, 45, 110, "D", "K");
    xDobavljac->OnChange = [this](fw::Component& s) { xDobavljacChange(s); };
    PlaceLabel(this, this, "Vrsta", c2 + 150, 45, 45);
    eDrzava = PlaceEdit<kit::TDBVar>(this, this, partner, "Drzava", "eDrzava", "", c2 + 70, 45, 30);
    eDrzava->OnChange = [this](fw::Component& s) { xDrzavaChange(s); };
    cDjelatnost =
        PlaceLookup<kit::TDBLookupField>(this, this, company, "Djelatnost", djelatnost, "Code", "Sifra",
                                         "DJELATNO.DB", "cDjelatnost", "Djelatnost", c2, 71);
    EditDirektor =
        PlaceEdit<kit::TDBVar>(this, this, company, "KontaktOsoba", "EditDirektor", "Direktor", c2, 97);
    cBanka = PlaceLookup<kit::TDBJustLookup>(this, this, company, "Banka", banka, "Partner", "Sifra",
                                             "BANKE.DB", "cBanka", "Banka", c2, 123);
    cBanka2 = PlaceLookup<kit::TDBJustLookup>(this, this, company, "InoBanka", banka2, "Partner", "Sifra",
                                              "BANKE.DB", "cBanka2", "Banka za inozemstvo", c2, 149);
    xIstiZiroRn = PlaceCheck(this, this, partner, "IstiZiroRn", "xIstiZiroRn", "uvijek je ovaj:", c2, 175,
                             CaptionWidth - 5);
    // The company's own giro accounts; a number picked from the register of giro accounts is taken as the
    // company's account.
    cZiroRn = PlaceLookup<kit::TDBLookupField>(this, this, company, "ZiroRN", ziro, "Code", "Sifra",
                                               "ZIRO_RN.DB", "cZiroRn", "", c2, 175);
    cZiroRn->DisplayName = "Žiro-račun";
    ePoziv = PlaceEdit<kit::TDBVar>(this, this, company, "Poziv", "ePoziv", "Model", c2, 201, 60);
    eModel = PlaceEdit<kit::TDBVar>(this, this, company, "Model", "eModel", "Poziv na broj", c2, 227);
    PlaceCheck(this, this, partner, "PoOrgJed", "xPoOrgJed", "Evidencija po org. jedinicama", c2, 253);
    EditMaticni =
        PlaceEdit<kit::TDBVar>(this, this, company, "Maticni", "EditMaticni", "Matični broj", c2, 279);
    OstaloMemo = new fw::DBMemo(this, this);
    OstaloMemo->SetName("OstaloMemo");
    OstaloMemo->SetBounds(c2, 305, 370, 62);
    OstaloMemo->SetDataSource(&partner);
    OstaloMemo->SetDataField("Biljeske");

    // The balances take the place of the registration number when asked for.
    SaldoButton = new fw::CheckBox(this, this);
    SaldoButton->SetName("SaldoButton");
    SaldoButton->SetCaption("Saldo");
    SaldoButton->SetBounds(c2 + 240, 253, 100, 24);
    SaldoButton->OnClick = [this](fw::Component& s) { SaldoButtonClick(s); };
    SaldoPanel = new fw::Panel(this, this);
    SaldoPanel->SetName("SaldoPanel");
    SaldoPanel->SetBounds(c2, 279, 380, 95);
    lDug = PlaceLabel(SaldoPanel, this, "Duguje:", 130, 2, 75);
    lPotr = PlaceLabel(SaldoPanel, this, "Potražuje:", 210, 2, 75);
    PlaceLabel(SaldoPanel, this, "Saldo:", 290, 2, 75);
    for (int row = 0; row < 3; ++row) {
        const int top = 24 + row * 22;
        PlaceLabel(SaldoPanel, this, BalanceRows[row].second, 5, top);
        int left = 130;
        for (const char* field : {"Duguje", "Potrazuje", "Saldo"}) {
            auto* value = new fw::DBText(SaldoPanel, this);
            value->SetBounds(left, top + 3, 75, 20);
            value->SetDataSource(balanceSources_[row]);
            value->SetDataField(field);
            left += 80;
        }
    }
    SaldoPanel->Hide();

    // The terms: ours as the supplier's customer while a supplier, and the customer's.
    DobavljacPanel = new fw::Panel(this, this);
    DobavljacPanel->SetName("DobavljacPanel");
    DobavljacPanel->SetBounds(c1, 380, 360, 70);
    PlaceEdit<kit::TDBVar>(DobavljacPanel, this, partner, "RokPlacanja", "eRokPlacanja", "Rok plaćanja", 5, 5,
                           60);
    PlaceEdit<kit::TDBVar>(DobavljacPanel, this, partner, "UgovRabat", "eUgovRabat", "Ugovoreni rabat", 5, 37,
                           80);
    DobavljacPanel2 = new fw::Panel(this, this);
    DobavljacPanel2->SetName("DobavljacPanel2");
    DobavljacPanel2->SetBounds(c2, 380, 380, 80);
    xRabat2 = PlaceCheck(DobavljacPanel2, this, company, "Rabat2", "xRabat2", "Dobavljač daje dodatni rabat",
                         5, 2, 360);
    xRabat2->OnChange = [this](fw::Component& s) { xRabat2Change(s); };
    xRabat2Kolicina = PlaceCheck(DobavljacPanel2, this, company, "Rabat2Kolicina", "xRabat2Kolicina",
                                 "Dodatni rabat za veće količine", 25, 27, 340);
    xRabat2Kolicina->OnChange = [this](fw::Component& s) { xRabat2Change(s); };
    xVise = PlaceCheck(DobavljacPanel2, this, partner, "VeceKolicine", "xVise",
                       "Mi uzimamo veće količine robe", 45, 52, 320);
    PlaceEdit<kit::TDBVar>(this, this, partner, "RokPlacanja2", "eRokPlacanja2", "Rok plaćanja kupca", c1,
                           462, 60);
    PlaceEdit<kit::TDBVar>(this, this, partner, "UgovRabat2", "eUgovRabat2", "Rabat kupcu", c1, 488, 80);
    PlaceCheck(this, this, partner, "VeceKolicine2", "xVeceKolicine2", "Kupac uzima veće količine robe", c2,
               462, 320);

    // The data-entry switches, shown while the partner is treated specially.
    xSpecijalniTretman = PlaceCheck(this, this, partner, "Tretman", "xSpecijalniTretman",
                                    "Specijalni tretman kod unosa:", c2, 488);
    xSpecijalniTretman->OnChange = [this](fw::Component& s) { xSpecijalniTretmanChange(s); };
    DobavljacScroll = new fw::Panel(this, this);
    DobavljacScroll->SetName("DobavljacScroll");
    DobavljacScroll->SetBounds(c1, 514, 750, 168);
    int i = 0;
    for (const SwitchPair& p : SwitchPairs) {
        const int left = 5 + (i / 8) * 250, top = 4 + (i % 8) * 20;
        PlaceCheck(DobavljacScroll, this, partner, p.Always, std::string("x") + p.Always, "Uvijek", left, top,
                   70);
        PlaceCheck(DobavljacScroll, this, partner, p.Switch, std::string("x") + p.Switch, p.Caption,
                   left + 70, top, 175);
        ++i;
    }
    i = 0;
    for (const auto& [field, caption] : SingleSwitches) {
        PlaceCheck(DobavljacScroll, this, partner, field, std::string("x") + field, caption, 505, 4 + i * 18,
                   240);
        ++i;
    }
    DobavljacScroll->Hide();
    // The codes are typed top to bottom; the list and the buttons come last.
    for (fw::Control* c : std::initializer_list<fw::Control*>{gTable, ZapisiButton, IzlazButton})
        c->SetTabOrder(std::numeric_limits<int>::max());

    // The tables last: the partners, their companies, the companies' lookups, the balances.
    tSifPart = AddTable("tSifPart", "Lokal", "SIF_PART.DB", "Sifra");
    AddCalculatedFields(*tSifPart,
                        {{"Nula", fw::ftInteger}, {"VD_Ulaz", fw::ftInteger}, {"VD_Izlaz", fw::ftInteger}},
                        [](fw::TDataSet& ds) {
                            ds.FieldByName("Nula").SetAsInteger(0);
                            ds.FieldByName("VD_Ulaz").SetAsInteger(1);
                            ds.FieldByName("VD_Izlaz").SetAsInteger(2);
                        });
    tSifPart->AfterOpen = [](fw::TDataSet& ds) { ShowOnly(ds, {"Sifra"}); };
    tTable = tSifPart;
    partner.SetDataSet(tSifPart);
    eSifra->SetDataSource(&partner);
    gTable->SetDataSource(&partner);
    auto slave = [this](const char* name, const char* database, const char* table, const char* index,
                        fw::TDataSource& master, const char* masterFields, fw::TDataSource& source) {
        kit::TMyTable* t = AddTable(name, database, table, index);
        t->SetMasterSource(&master);
        t->SetMasterFields(masterFields);
        source.SetDataSet(t);
        return t;
    };
    tPartner = slave("tPartner", "Global", "PARTNER.DB", "Code", partner, "Partner", company);
    tPartner->FreeToModify = true;
    tPartner->AfterOpen = [](fw::TDataSet& ds) {
        HideHousekeepingFields(ds);
        WatchCompanyModel(ds);
    };
    tZemlja = slave("tZemlja", "Global", "ZEMLJA.DB", "Code", company, "Zemlja", zemlja);
    tPosta = slave("tPosta", "Global", "POSTA.DB", "Zemlja;Code", company, "Zemlja;Posta", posta);
    tGovor = slave("tGovor", "Global", "GOVOR.DB", "Code", partner, "Govor", govor);
    tDjelatnost = slave("tDjelatnost", "Global", "DJELATNO.DB", "Code", company, "Djelatnost", djelatnost);
    tBanka = slave("tBanka", "Global", "BANKE.DB", "Partner", company, "Banka", banka);
    tBanka2 = slave("tBanka2", "Global", "BANKE.DB", "Partner", company, "InoBanka", banka2);
    tValuta = slave("tValuta", "Global", "VALUTA.DB", "Code", company, "Valuta", valuta);
    tZiroRn = slave("tZiroRn", "Global", "ZIREKI.DB", "Partner;Code", company, "Code;ZiroRN", ziro);
    kit::TMyTable** balances[] = {&tStanjeS, &tStanjeU, &tStanjeI};
    for (int row = 0; row < 3; ++row) {
        const std::string kind = BalanceRows[row].first;
        *balances[row] = slave(row == 0   ? "tStanjeS"
                               : row == 1 ? "tStanjeU"
                                          : "tStanjeI",
                               "Lokal", "S_PART.DB", "Dok;OrgJed;Konto;Partner;OrgJedPart", partner,
                               (kind + ";Nula;Nula;Partner;Nula").c_str(), *balanceSources_[row]);
        (*balances[row])->FreeToModify = false;
        (*balances[row])->FreeToInsert = false;
        (*balances[row])->FreeToDelete = false;
    }
    SetActiveControl(gTable);
}

std::vector<fw::TTable*> TSifarnikPartnera::PostedTables() const {
    return {tSifPart, tPartner, tValuta, tDjelatnost, tPosta, tZemlja, tGovor};
}

void TSifarnikPartnera::PositionOnCaller() {
    SetCaption(CompanyCaption(" - Šifarnik partnera"));
    TCodeListForm::PositionOnCaller();
    fw::Component& self = *this;
    xDobavljacChange(self);
    xSpecijalniTretmanChange(self);
    xRabat2Change(self);
}

// ------------------------------------------------------------------------------------------ kind and
// language

std::string TSifarnikPartnera::CompanyKind() const {
    if (!app::HasRecords(tSifPart) || !app::HasRecords(tPartner)) return {};
    const app::TPodaciPoduzeca& own = app::WBegin.PodaciPoduzeca;
    return PartnerKind(Text(tPartner, "Sifra"), static_cast<std::int32_t>(Number(tPartner, "Zemlja")),
                       own.Sifra, own.Zemlja);
}

void TSifarnikPartnera::cKraciNazivExit(fw::Component&) {
    const std::string kind = CompanyKind();
    if (kind.empty() || kind == Text(tSifPart, "Drzava")) return;
    // The lookup has posted the link by now: take the row back into edit for the kind.
    if (!IntoEdit(tSifPart)) return;
    tSifPart->FieldByName("Drzava").SetAsString(kind);
    if (kind == "J") tSifPart->FieldByName("Dobavljac").SetAsString("D");
}

void TSifarnikPartnera::cZemljaExit(fw::Component&) {
    const std::string kind = CompanyKind();
    if (!kind.empty() && kind != Text(tSifPart, "Drzava") && IntoEdit(tSifPart))
        tSifPart->FieldByName("Drzava").SetAsString(kind);
    // The company and the partner speak the country's language.
    if (!app::HasRecords(tZemlja)) return;
    const std::int64_t govor = Number(tZemlja, "Govor");
    if (app::HasRecords(tPartner) && Number(tPartner, "Jezik") != govor && IntoEdit(tPartner))
        tPartner->FieldByName("Jezik").SetAsInteger(govor);
    if (app::HasRecords(tSifPart) && Number(tSifPart, "Govor") != govor && IntoEdit(tSifPart))
        tSifPart->FieldByName("Govor").SetAsInteger(govor);
}

void TSifarnikPartnera::eGovorExit(fw::Component&) {
    if (!app::HasRecords(tSifPart)) return;
    const std::int64_t govor = Number(tSifPart, "Govor");
    if (app::HasRecords(tPartner) && Number(tPartner, "Jezik") != govor && IntoEdit(tPartner))
        tPartner->FieldByName("Jezik").SetAsInteger(govor);
    if (app::HasRecords(tZemlja) && Number(tZemlja, "Govor") != govor && IntoEdit(tZemlja))
        tZemlja->FieldByName("Govor").SetAsInteger(govor);
}

// ------------------------------------------------------------------------------------------ enabling

void TSifarnikPartnera::xDrzavaChange(fw::Component&) {
    if (!tSifPart || !tSifPart->Active()) return;
    const std::string kind = Text(tSifPart, "Drzava");
    const std::optional<PartnerControlStates> states = ControlStatesFor(kind, xDobavljac->Checked());
    if (!states) return;
    if (!states->Dobavljac && ActiveControl() == xDobavljac) EditNaziv->SetFocus();
    Switch(*xDobavljac, states->Dobavljac);
    for (fw::Control* c : std::initializer_list<fw::Control*>{cDjelatnost, EditDirektor, EditMaticni})
        Switch(*c, states->DjelatnostDirektorMaticni);
    Switch(*cBanka, states->Banka);
    Switch(*cBanka2, states->Banka2);
    for (fw::Control* c : std::initializer_list<fw::Control*>{xIstiZiroRn, ePoziv, eModel})
        Switch(*c, states->ZiroPozivModel);
    Switch(*eGovor, states->GovorValuta);
    Switch(*cValuta, states->GovorValuta);
    const BalanceCaptions captions = BalanceCaptionsFor(kind);
    lDug->SetCaption(captions.Dug);
    lPotr->SetCaption(captions.Potr);
}

void TSifarnikPartnera::xDobavljacChange(fw::Component& sender) {
    const bool supplier = xDobavljac->Checked();
    DobavljacPanel->SetVisible(supplier);
    DobavljacPanel2->SetVisible(supplier);
    xDrzavaChange(sender);
}

void TSifarnikPartnera::xSpecijalniTretmanChange(fw::Component&) {
    const fw::CheckBoxState state = xSpecijalniTretman->State();
    if (state == fw::CheckBoxState::cbGrayed) return;
    DobavljacScroll->SetVisible(state == fw::CheckBoxState::cbChecked);
}

void TSifarnikPartnera::xRabat2Change(fw::Component&) {
    const bool rabat2 = xRabat2->Checked();
    Switch(*xRabat2Kolicina, rabat2);
    Switch(*xVise, rabat2 && xRabat2Kolicina->Checked());
}

void TSifarnikPartnera::SaldoButtonClick(fw::Component&) {
    const bool balances = SaldoButton->Checked();
    SaldoPanel->SetVisible(balances);
    EditMaticni->SetVisible(!balances);
    OstaloMemo->SetVisible(!balances);
}

// ------------------------------------------------------------------------------------------ opener

void PrikaziPartnere(fw::Form* caller) {
    app::OpenForm<TSifarnikPartnera>(SifPart.SifarnikPartnera, caller,
                                     [caller](auto& f) { f.Caller = caller; });
}

} // namespace registers
