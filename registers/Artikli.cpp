#include "registers/Artikli.h"

#include "app/data/DataSetServices.h"
#include "app/data/DBMine.h"
#include "app/data/Dialogs.h"
#include "app/data/WBegin.h"
#include "app/shell/CodeListOpeners.h"
#include "app/shell/EditControls.h"
#include "base/Finally.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/FieldClasses.h"
#include "fw/ui/Application.h"
#include "fw/ui/Color.h"
#include "registers/Grupe.h"
#include "registers/PlainRegisters.h"

#include <algorithm>

namespace registers {

ArtikliForms Artikli;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { Artikli = ArtikliForms(); });

using engine::Value;

std::int32_t IntOf(const fw::TDataSet* ds, const char* field) {
    if (!ds || !ds->Active() || ds->RecordCount() == 0) return 0;
    return static_cast<std::int32_t>(ds->FieldByName(field).AsInteger());
}

std::string TextOf(const fw::TDataSet* ds, const char* field) {
    if (!ds || !ds->Active() || ds->RecordCount() == 0) return {};
    return ds->FieldByName(field).AsString();
}

std::int32_t OwnPartner() {
    return app::WBegin.PodaciPoduzeca.OwnPartner;
}

// The article table's fields: the stored ones, and the keys its detail tables follow.
void AddArticleFields(fw::TDataSet& t) {
    t.AddField(std::make_unique<fw::TAutoIncField>(), "Code").Visible = false;
    t.AddField(std::make_unique<fw::TStringField>(40), "Sifra").SetDisplayLabel("Šifra");
    t.AddField(std::make_unique<fw::TIntegerField>(), "Proizvodi").Visible = false;
    t.AddField(std::make_unique<fw::TStringField>(60), "Naziv").SetDisplayLabel("Naziv artikla");
    for (const char* f : {"TarifaPoreza", "TarifaCarine", "Vrsta", "JedMj", "Pakiranje"})
        t.AddField(std::make_unique<fw::TIntegerField>(), f).Visible = false;
    t.AddField(std::make_unique<fw::TStringField>(13), "BarKod");
    t.AddField(std::make_unique<fw::TFloatField>(), "Tezina");
    t.AddField(std::make_unique<fw::TBooleanField>(), "Bezbojno").SetDisplayLabel("Proizvodi se u više boja");
    t.AddField(std::make_unique<fw::TMemoField>(1), "Opis").Visible = false;
    t.AddField(std::make_unique<fw::TMemoField>(1), "Deklaracija").Visible = false;
    t.AddField(std::make_unique<fw::TIntegerField>(), "Items").Visible = false;
    t.AddField(std::make_unique<fw::TBooleanField>(), "Temp").Visible = false;
    for (const char* f : {"Govor", "Govor2", "Partner"})
        t.AddField(std::make_unique<fw::TIntegerField>(), f, fw::fkCalculated).Visible = false;
}

// Refuses a post silently: the record is dropped.
[[noreturn]] void Refuse(fw::TDataSet& ds) {
    ds.Cancel();
    throw base::Abort();
}

} // namespace

// ------------------------------------------------------------------------------------------ building

TSifarnikArtikli::TSifarnikArtikli(fw::Component* owner) : TCodeListForm(owner) {
    SetName("SifarnikArtikli");
    SetCaption("Šifarnici artikli po partnerima (dobavljači)");
    resize(1000, 720);
    CentreOnScreen();
    // The controls come first: the form's tables end its component list.
    for (fw::TDataSource** source : {&sSifPart_, &sSifRobe_, &sSifRobe2_, &sSifRobe3_, &sRoba_, &sImeRobe_,
                                     &sImeRobe2_, &sFirme_, &sMjere_, &sImePak_})
        *source = &NewSource(nullptr);
    for (fw::TDataSource*& source : linkSources_)
        source = &NewSource(nullptr);

    xSifarnik = new fw::CheckBox(this, this);
    xSifarnik->SetName("xSifarnik");
    xSifarnik->SetCaption("Prikaz kompletnog šifarnika.");
    xSifarnik->SetBounds(10, 8, 250, 22);
    xSifarnik->SetTabStop(false);
    xSifarnik->OnClick = [this](fw::Component&) { SetFlag(xSifarnik->Checked()); };
    gSifPart = new kit::TMyDBGrid(this, this);
    gSifPart->SetName("gSifPart");
    gSifPart->SetBounds(10, 35, 980, 70);
    gSifPart->SetDataSource(sSifPart_);

    MainBook = new fw::Notebook(this, this);
    MainBook->SetName("MainBook");
    MainBook->SetBounds(0, 110, 1000, 610);
    BuildFullPage(MainBook->AddPage("Maximum"));
    BuildShortPage(MainBook->AddPage("Minimum"));
    MainBook->SetPageIndex(0);

    IzlazButton = new kit::TMyBitBtn(this, this);
    IzlazButton->SetName("IzlazButton");
    IzlazButton->SetCaption("Izlaz");
    // A click leaves the focus in the field being typed: the close takes its value as Esc does.
    IzlazButton->Widget().setFocusPolicy(Qt::TabFocus);
    IzlazButton->Cancel = true;
    IzlazButton->SetBounds(870, 667, 120, 30);
    IzlazButton->OnClick = [this](fw::Component& sender) { IzlazButtonClick(sender); };

    tTable = tSifRobe;
    gTable = gSifRobe;
    OnKeyDown = [this](fw::Component&, std::uint16_t& key, fw::Shift shift) {
        kit::CodeListKeyDown(this, key, shift, MainGrid(), VisibleSaveButton(), false);
    };
    OnHide = [this](fw::Component&) {
        if (tSifPart->Active()) tSifPart->CancelRange();
    };
    BuildTables();
    SetActiveControl(gSifRobe);
}

void TSifarnikArtikli::BuildTables() {
    auto slave = [this](kit::TMyTable* t, fw::TDataSource* master, const char* fields) {
        t->SetMasterSource(master);
        t->SetMasterFields(fields);
    };
    tSifPart = AddTable("tSifPart", "Lokal", "SIF_PART.DB", "Dobavljac;Sifra");
    tSifPart->AfterOpen = [](fw::TDataSet& ds) {
        for (int i = 0; i < ds.FieldCount(); ++i)
            ds.Fields(i).Visible = ds.Fields(i).FieldName() == "Sifra";
    };
    tSifPart->AfterScroll = [this](fw::TDataSet&) { SupplierChanged(); };
    sSifPart_->SetDataSet(tSifPart);

    tSifRobe = AddTable("tSifRobe", "Global", "SIF_ROBE.DB", "Partner;Sifra");
    slave(tSifRobe, sSifPart_, "Partner");
    tSifRobe->AfterOpen = [](fw::TDataSet& ds) {
        HideHousekeepingFields(ds);
        for (const char* f : {"Partner", "Proizvodi", "Grupa", "PodGrupa", "Amortizacija", "Revalorizacija"})
            if (fw::TField* field = ds.FindField(f)) field->Visible = false;
        if (fw::TField* f = ds.FindField("Sifra")) f->SetDisplayLabel("Šifra artikla");
        if (fw::TField* f = ds.FindField("Naziv")) f->SetDisplayLabel("Naziv artikla");
    };
    tSifRobe->OnNewRecord = [this](fw::TDataSet& ds) {
        ds.FieldByName("Proizvodi").SetAsInteger(Last.Proizvodi);
        ds.FieldByName("Grupa").SetAsInteger(Last.Grupa);
        ds.FieldByName("PodGrupa").SetAsInteger(Last.PodGrupa);
        ds.FieldByName("Amortizacija").SetAsInteger(Last.Amortizacija);
        ds.FieldByName("Revalorizacija").SetAsInteger(Last.Revalorizacija);
    };
    tSifRobe->AfterScroll = [this](fw::TDataSet&) { cProizvodiExitChanged(); };
    sSifRobe_->SetDataSet(tSifRobe);

    tSifRobe2 = AddTable("tSifRobe2", "Global", "SIF_ROBE.DB", "Partner;Code");
    slave(tSifRobe2, sSifRobe_, "Proizvodi;Code");
    tSifRobe2->BeforePost = [this](fw::TDataSet& ds) {
        if (!app::HasRecords(tFirme) || !app::HasRecords(tSifRobe)) Refuse(ds);
    };
    sSifRobe2_->SetDataSet(tSifRobe2);

    tRoba = AddTable("tRoba", "Global", "ROBA.DB", "Code");
    tRoba->FreeToModify = true;
    AddArticleFields(*tRoba);
    slave(tRoba, sSifRobe2_, "Code");
    tRoba->OnCalcFields = [this](fw::TDataSet& ds) {
        ds.FieldByName("Govor").SetAsInteger(SupplierLanguage());
        ds.FieldByName("Govor2").SetAsInteger(app::WBegin.PodaciPoduzeca.Jezik);
        ds.FieldByName("Partner").SetAsInteger(OwnPartner());
    };
    tRoba->OnNewRecord = [this](fw::TDataSet& ds) {
        ds.FieldByName("Sifra").SetAsString(OznakaEnabled() ? TextOf(tSifRobe2, "Sifra")
                                                            : TextOf(tSifRobe, "Sifra"));
        ds.FieldByName("Proizvodi").SetAsInteger(IntOf(tSifRobe, "Proizvodi"));
        ds.FieldByName("Vrsta").SetAsInteger(Last.Vrsta);
        ds.FieldByName("TarifaPoreza").SetAsInteger(Last.TarifaPoreza);
        ds.FieldByName("TarifaCarine").SetAsInteger(Last.TarifaCarine);
        ds.FieldByName("JedMj").SetAsInteger(Last.JedMj);
        ds.FieldByName("Pakiranje").SetAsInteger(Last.Pakiranje);
    };
    sRoba_->SetDataSet(tRoba);

    tSifRobe3 = AddTable("tSifRobe3", "Global", "SIF_ROBE.DB", "Partner;Code");
    slave(tSifRobe3, sRoba_, "Partner;Code");
    tSifRobe3->BeforePost = [this](fw::TDataSet& ds) {
        if (!app::HasRecords(tRoba)) Refuse(ds);
    };
    sSifRobe3_->SetDataSet(tSifRobe3);

    tImeRobe = AddTable("tImeRobe", "Global", "IME_ROBE.DB", "Roba;Govor");
    tImeRobe->FreeToModify = true;
    slave(tImeRobe, sRoba_, "Code;Govor");
    tImeRobe->BeforePost = [this](fw::TDataSet& ds) {
        if (!app::HasRecords(tRoba) || SupplierLanguage() == 0) Refuse(ds);
    };
    sImeRobe_->SetDataSet(tImeRobe);
    tImeRobe2 = AddTable("tImeRobe2", "Global", "IME_ROBE.DB", "Roba;Govor");
    tImeRobe2->FreeToModify = true;
    slave(tImeRobe2, sRoba_, "Code;Govor2");
    tImeRobe2->BeforePost = [this](fw::TDataSet& ds) {
        if (!app::HasRecords(tRoba) || app::WBegin.PodaciPoduzeca.Jezik == 0) Refuse(ds);
    };
    sImeRobe2_->SetDataSet(tImeRobe2);

    tFirme = AddTable("tFirme", "Global", "FIRME.DB", "Partner");
    slave(tFirme, sSifRobe_, "Proizvodi");
    sFirme_->SetDataSet(tFirme);

    struct LookupTable {
        kit::TMyTable** Table;
        const char* Name;
        const char* File;
        const char* Index;
        fw::TDataSource* Master;
        const char* MasterFields;
    };
    const LookupTable lookups[] = {
        {&tVrste, "tVrste", "VRSTE.DB", "Code", sRoba_, "Vrsta"},
        {&tGrupe, "tGrupe", "GRUPE.DB", "Partner;Code", sSifRobe_, "Partner;Grupa"},
        {&tPodGrupe, "tPodGrupe", "PODGRUPE.DB", "Partner;Grupa;Code", sSifRobe_, "Partner;Grupa;PodGrupa"},
        {&tAmortizacija, "tAmortizacija", "GR_AMORT.DB", "Code", sSifRobe_, "Amortizacija"},
        {&tRevalorizacija, "tRevalorizacija", "GR_REVAL.DB", "Code", sSifRobe_, "Revalorizacija"},
        {&tPoreza, "tPoreza", "T_POREZA.DB", "Code", sRoba_, "TarifaPoreza"},
        {&tCarine, "tCarine", "T_CARINE.DB", "Code", sRoba_, "TarifaCarine"},
        {&tJedinice, "tJedinice", "JEDINICE.DB", "Code", sRoba_, "JedMj"},
        {&tPakung, "tPakung", "PAKUNG.DB", "Jedinica;Code", sRoba_, "JedMj;Pakiranje"},
    };
    for (std::size_t i = 0; i < std::size(lookups); ++i) {
        const LookupTable& l = lookups[i];
        *l.Table = AddTable(l.Name, "Global", l.File, l.Index);
        slave(*l.Table, l.Master, l.MasterFields);
        linkSources_[i]->SetDataSet(*l.Table);
    }
    // The unit and the packing mode carry the supplier's language; their labels follow both.
    tJedinice->AddField(std::make_unique<fw::TAutoIncField>(), "Code").Visible = false;
    tJedinice->AddField(std::make_unique<fw::TStringField>(40), "Sifra");
    tPakung->AddField(std::make_unique<fw::TAutoIncField>(), "Code").Visible = false;
    tPakung->AddField(std::make_unique<fw::TIntegerField>(), "Jedinica").Visible = false;
    tPakung->AddField(std::make_unique<fw::TStringField>(40), "Sifra");
    tPakung->AddField(std::make_unique<fw::TFloatField>(), "MinKolicina");
    tPakung->AddField(std::make_unique<fw::TBooleanField>(), "ImaAtoma");
    tPakung->AddField(std::make_unique<fw::TFloatField>(), "Cijene");
    const auto labelled = [&](kit::TMyTable* owner, kit::TMyTable*& label, const char* name, const char* file,
                              const char* index, fw::TDataSource* labels) {
        owner->AddField(std::make_unique<fw::TIntegerField>(), "Govor", fw::fkCalculated).Visible = false;
        owner->OnCalcFields = [this](fw::TDataSet& ds) {
            ds.FieldByName("Govor").SetAsInteger(SupplierLanguage());
        };
        label = AddTable(name, "Global", file, index);
        label->FreeToModify = true;
        const auto* source = std::find_if(linkSources_.begin(), linkSources_.end(),
                                          [owner](fw::TDataSource* s) { return s->DataSet() == owner; });
        slave(label, *source, "Code;Govor");
        labels->SetDataSet(label);
    };
    labelled(tJedinice, tMjere, "tMjere", "MJERE.DB", "Jedinica;Govor", sMjere_);
    labelled(tPakung, tImePak, "tImePak", "IME_PAK.DB", "Pakung;Govor", sImePak_);
    tGovor = AddTable("tGovor", "Global", "GOVOR.DB", "Code");
}

fw::Label* TSifarnikArtikli::PageLabel(fw::Control* parent, const std::string& caption, int left, int top,
                                       int width) {
    auto* label = new fw::Label(parent, this);
    label->SetBounds(left, top + 3, width, 20);
    label->SetCaption(caption);
    return label;
}

template <class Lookup>
Lookup* TSifarnikArtikli::AddLookup(fw::Control* parent, const std::string& name, const std::string& caption,
                                    fw::TDataSource& data, const std::string& field, fw::TDataSource& lookup,
                                    const std::string& lookupField, const std::string& display, int left,
                                    int top, fw::Label** label) {
    fw::Label* l = PageLabel(parent, caption, left, top);
    if (label) *label = l;
    auto* c = new Lookup(parent, this);
    c->SetName(name);
    c->SetBounds(left + 125, top, 200, 24);
    c->SetDataSource(&data);
    c->SetDataField(field);
    c->SetLookupSource(&lookup);
    c->SetLookupField(lookupField);
    c->SetLookupDisplay(display);
    c->DisplayName = caption;
    return c;
}

template <class Edit>
Edit* TSifarnikArtikli::PageEdit(fw::Control* parent, fw::TDataSource& data, const std::string& field,
                                 const std::string& name, const std::string& caption, int left, int top,
                                 int width, fw::Label** label) {
    fw::Label* l = PageLabel(parent, caption, left, top);
    if (label) *label = l;
    auto* e = new Edit(parent, this);
    e->SetName(name);
    e->SetBounds(left + 125, top, width, 24);
    e->SetDataSource(&data);
    e->SetDataField(field);
    return e;
}

kit::TDBChecker* TSifarnikArtikli::PageCheck(fw::Control* parent, fw::TDataSource& data,
                                             const std::string& field, const std::string& name,
                                             const std::string& caption, int left, int top,
                                             const std::string& checked, const std::string& unchecked) {
    auto* check = new kit::TDBChecker(parent, this);
    check->SetName(name);
    check->SetBounds(left, top, 300, 24);
    check->SetCaption(caption);
    check->SetDataSource(&data);
    check->SetDataField(field);
    check->SetValueChecked(checked);
    check->SetValueUnchecked(unchecked);
    return check;
}

kit::TMyBitBtn* TSifarnikArtikli::SaveButton(fw::Control* parent, const std::string& name, int left,
                                             int top) {
    auto* b = new kit::TMyBitBtn(parent, this);
    b->SetName(name);
    b->SetCaption("Artikl");
    b->SetBounds(left, top, 120, 30);
    b->OnClick = [this](fw::Component&) { ZapisiClick(); };
    return b;
}

void TSifarnikArtikli::BuildFullPage(fw::NotebookPage& page) {
    // The right column stands clear of the language labels beside the names.
    constexpr int L = 10, R = 560, Row = 30;
    int top = 5;
    cSifra = PageEdit<kit::TDBKeyField>(&page, *sSifRobe_, "Sifra", "cSifra", "Šifra artikla", L, top);
    cSifra->DisplayName = "Šifra artikla";
    cSifra->OnExitChanged = [this](fw::Component&) { cSifraExitChanged(); };
    top += Row;
    cProizvodi = AddLookup<kit::TDBJustLookup>(&page, "cProizvodi", "Proizvođač", *sSifRobe_, "Proizvodi",
                                               *sFirme_, "Partner", "Sifra", L, top);
    top += Row;
    cOznaka = AddLookup<kit::TDBLookupField>(&page, "cOznaka", "Šifra proizvođača", *sSifRobe_, "Code",
                                             *sSifRobe2_, "Code", "Sifra", L, top, &lProizvodi);
    top += Row;
    eNaziv = PageEdit<kit::TDBVar>(&page, *sImeRobe_, "Naziv", "eNaziv", "Naziv", L, top, 250);
    GovorLabel = PageLabel(&page, "", L + 380, top, 165);
    top += Row;
    eNaziv2 = PageEdit<kit::TDBVar>(&page, *sImeRobe2_, "Naziv", "eNaziv2", "Naziv", L, top, 250);
    GovorLabel2 = PageLabel(&page, "", L + 380, top, 165);
    top += Row;
    eNazivRobe = PageEdit<kit::TDBVar>(&page, *sRoba_, "Naziv", "eNazivRobe", "Naziv artikla", L, top, 250);
    top += Row;
    eBarKod = PageEdit<kit::TDBVar>(&page, *sRoba_, "BarKod", "eBarKod", "Bar kod", L, top, 150);
    top += Row;
    eTezina = PageEdit<kit::TDBVar>(&page, *sRoba_, "Tezina", "eTezina", "Težina", L, top, 100);
    top += Row;
    xBezbojno = PageCheck(&page, *sRoba_, "Bezbojno", "xBezbojno", "Proizvodi se u više boja", L, top, "True",
                          "False");
    top += Row;
    xOtkup = PageCheck(&page, *sSifRobe_, "Otkup", "xOtkup", "Otkup", L, top, "D", "N");
    xDistributer = PageCheck(&page, *sSifRobe_, "Distributer", "xDistributer", "Distributer", L + 160, top,
                             "True", "False");
    xDistributer->OnChange = [this](fw::Component&) { xDistributerChange(); };
    for (kit::TDBVar* name : {eNaziv, eNaziv2, eNazivRobe})
        name->OnExitChanged = [this, name](fw::Component&) { NameExit(name->DataSet()); };

    // The lookups of the article and of the supplier's row; F2 opens the register each names.
    struct Link {
        kit::TDBLookupField** Control;
        const char* Name;
        const char* Caption;
        fw::TDataSource* Data;
        const char* Field;
        const char* Display;
        std::int32_t Remembered::*Last;
        std::function<void()> Open;
    };
    auto opener = [this](const char* table) { return [this, table] { app::OpenCodeListOf(table, this); }; };
    const Link links[] = {
        {&cVrsta, "cVrsta", "Vrsta", sRoba_, "Vrsta", "Sifra", &Remembered::Vrsta,
         [this] { PrikaziVrsteArtikala(this); }},
        {&cGrupa, "cGrupa", "Grupa", sSifRobe_, "Grupa", "Sifra", &Remembered::Grupa,
         [this] { PrikaziGrupeArtikala(this, IntOf(tSifPart, "Partner")); }},
        {&cPodGrupa, "cPodGrupa", "Podgrupa", sSifRobe_, "PodGrupa", "Sifra", &Remembered::PodGrupa,
         [this] { PrikaziPodGrupeArtikala(this, IntOf(tSifPart, "Partner"), IntOf(tSifRobe, "Grupa")); }},
        {&cAmortizacija, "cAmortizacija", "Amortizacija", sSifRobe_, "Amortizacija", "Sifra",
         &Remembered::Amortizacija, [this] { PrikaziGrupeAmortizacije(this); }},
        {&cRevalorizacija, "cRevalorizacija", "Revalorizacija", sSifRobe_, "Revalorizacija", "Sifra",
         &Remembered::Revalorizacija, [this] { PrikaziGrupeRevalorizacije(this); }},
        {&cTarifaPoreza, "cTarifaPoreza", "Tarifa poreza", sRoba_, "TarifaPoreza", "Tarifa",
         &Remembered::TarifaPoreza, opener("S_POREZA.DB")},
        {&cTarifaCarine, "cTarifaCarine", "Tarifa carine", sRoba_, "TarifaCarine", "Tarifa",
         &Remembered::TarifaCarine, opener("S_CARINE.DB")},
        {&cJedMj, "cJedMj", "Jedinica mjere", sRoba_, "JedMj", "Sifra", &Remembered::JedMj,
         opener("MJERE.DB")},
        {&cPakiranje, "cPakiranje", "Pakiranje", sRoba_, "Pakiranje", "Sifra", &Remembered::Pakiranje,
         opener("ATOMI.DB")},
    };
    int right = 5;
    for (std::size_t i = 0; i < std::size(links); ++i) {
        const Link& l = links[i];
        auto* c = AddLookup<kit::TDBLookupField>(&page, l.Name, l.Caption, *l.Data, l.Field, *linkSources_[i],
                                                 "Code", l.Display, R, right);
        const std::string field = l.Field;
        c->OnExit = [this, data = l.Data, field, last = l.Last](fw::Component&) {
            Last.*last = IntOf(data->DataSet(), field.c_str());
        };
        c->OnF2Press = [open = l.Open](fw::Component&) { open(); };
        *l.Control = c;
        right += Row;
    }
    cJedMj->OnExitChanged = [this](fw::Component&) { cJedMjExitChanged(); };
    // The unit's and the packing's labels as the supplier reads them.
    eMjera = PageEdit<kit::TDBVar>(&page, *sMjere_, "Naziv", "eMjera", "Oznaka jedinice", R, right);
    eMjera->OnExitChanged = [this](fw::Component&) { eMjeraExitChanged(); };
    right += Row;
    ePakiranje = PageEdit<kit::TDBVar>(&page, *sImePak_, "Naziv", "ePakiranje", "Oznaka pakiranja", R, right);
    ePakiranje->OnExitChanged = [this](fw::Component&) { ePakiranjeExitChanged(); };

    BuildDeclarations(page, top + Row);
    Book = BuildCodeBook(page, "Book", 550, "ZapisiButton", "ZapisiButton2", "eSifra", &eSifra, &lSifra,
                         &ZapisiButton, &ZapisiButton2);
    gSifRobe = new kit::TMyDBGrid(&page, this);
    gSifRobe->SetName("gSifRobe");
    gSifRobe->SetBounds(10, 445, 980, 100);
    gSifRobe->SetDataSource(sSifRobe_);
}

void TSifarnikArtikli::BuildDeclarations(fw::NotebookPage& page, int top) {
    xDeklaracije = new kit::TMyCheckBox(&page, this);
    xDeklaracije->SetName("xDeklaracije");
    xDeklaracije->SetCaption("Promjena deklaracije");
    xDeklaracije->SetBounds(10, top, 250, 24);
    xDeklaracije->OnClick = [this](fw::Component&) { xDeklaracijeClick(); };
    // Nobody's row is a distributor's until one is shown.
    app::DisableCheck(*xDeklaracije);
    DekBook = new fw::Notebook(&page, this);
    DekBook->SetName("DekBook");
    DekBook->SetBounds(0, top + 27, 1000, 80);
    const std::pair<const char*, fw::DBMemo**> memos[] = {{"Karakteristike", &mOpis},
                                                          {"Deklaracija", &mDeklaracija}};
    for (auto [pageName, memo] : memos) {
        fw::NotebookPage& memoPage = DekBook->AddPage(pageName);
        PageLabel(&memoPage, pageName, 10, 0);
        *memo = new fw::DBMemo(&memoPage, this);
        (*memo)->SetBounds(135, 0, 855, 78);
        (*memo)->SetDataSource(sRoba_);
    }
    mOpis->SetName("mOpis");
    mOpis->SetDataField("Opis");
    mDeklaracija->SetName("mDeklaracija");
    mDeklaracija->SetDataField("Deklaracija");
    DekBook->SetPageIndex(0);
}

fw::Notebook* TSifarnikArtikli::BuildCodeBook(fw::NotebookPage& page, const std::string& name, int top,
                                              const std::string& saveName, const std::string& foreignSaveName,
                                              const std::string& codeName, kit::TDBField** code,
                                              fw::Label** codeLabel, kit::TMyBitBtn** save,
                                              kit::TMyBitBtn** foreignSave) {
    auto* book = new fw::Notebook(&page, this);
    book->SetName(name);
    book->SetBounds(0, top, 620, 45);
    *save = SaveButton(&book->AddPage("Naš"), saveName, 10, 5);
    fw::NotebookPage& foreign = book->AddPage("Tuđi");
    // Our own code goes before the save button: Enter from it reaches the save.
    *code = PageEdit<kit::TDBField>(&foreign, *sSifRobe3_, "Sifra", codeName, "Naša šifra", 150, 8, 200,
                                    codeLabel);
    (*code)->DisplayName = "Naša šifra";
    *foreignSave = SaveButton(&foreign, foreignSaveName, 10, 5);
    book->SetPageIndex(0);
    return book;
}

void TSifarnikArtikli::BuildShortPage(fw::NotebookPage& page) {
    constexpr int L = 10, Row = 30;
    int top = 5;
    cSifra3 = PageEdit<kit::TDBKeyField>(&page, *sSifRobe_, "Sifra", "cSifra3", "Šifra artikla", L, top);
    cSifra3->DisplayName = "Šifra artikla";
    cSifra3->OnExitChanged = [this](fw::Component&) { cSifraExitChanged(); };
    top += Row;
    cProizvodi3 = AddLookup<kit::TDBJustLookup>(&page, "cProizvodi3", "Proizvođač", *sSifRobe_, "Proizvodi",
                                                *sFirme_, "Partner", "Sifra", L, top);
    top += Row;
    cOznaka3 = AddLookup<kit::TDBLookupField>(&page, "cOznaka3", "Šifra proizvođača", *sSifRobe_, "Code",
                                              *sSifRobe2_, "Code", "Sifra", L, top, &lProizvodi3);
    top += Row;
    Book2 = BuildCodeBook(page, "Book2", 550, "ZapisiButton3", "ZapisiButton4", "eSifra3", &eSifra3, &lSifra3,
                          &ZapisiButton3, &ZapisiButton4);
    gSifRobe3 = new kit::TMyDBGrid(&page, this);
    gSifRobe3->SetName("gSifRobe3");
    gSifRobe3->SetBounds(10, top + 5, 980, 545 - top - 5);
    gSifRobe3->SetDataSource(sSifRobe_);

    for (kit::TDBJustLookup* c : {cProizvodi, cProizvodi3}) {
        c->Required = true;
        c->OnExit = [this](fw::Component&) {
            Last.Proizvodi = IntOf(tSifRobe, "Proizvodi");
            cProizvodiExit();
        };
        c->OnExitChanged = [this](fw::Component&) { cProizvodiExitChanged(); };
        c->OnF2Press = [this](fw::Component&) { app::OpenCodeListOf("FIRME.DB", this); };
    }
    for (kit::TDBLookupField* c : {cOznaka, cOznaka3}) {
        c->Required = true;
        c->OnEnter = [this](fw::Component&) { cOznakaEnter(); };
        c->OnExit = [this](fw::Component&) { cOznakaExit(); };
    }
    for (kit::TDBField* e : {eSifra, eSifra3})
        e->OnExitChanged = [this](fw::Component&) { eSifraExitChanged(); };
}

// ------------------------------------------------------------------------------------------ state

void TSifarnikArtikli::SetFlag(bool full) {
    if (xSifarnik->Checked() != full) {
        xSifarnik->SetChecked(full); // its click comes back here
        if (xSifarnik->Checked() != full) return;
    }
    const int page = full ? 0 : 1;
    if (MainBook->PageIndex() == page) return;
    MainBook->SetPageIndex(page);
    gTable = full ? gSifRobe : gSifRobe3;
    if (isVisible() && MainGrid()->CanFocus()) MainGrid()->SetFocus();
}

std::int32_t TSifarnikArtikli::SupplierLanguage() const {
    return IntOf(tSifPart, "Govor");
}

bool TSifarnikArtikli::SupplierIsManufacturer() const {
    return app::HasRecords(tSifRobe) && IntOf(tSifRobe, "Proizvodi") == IntOf(tSifRobe, "Partner");
}

bool TSifarnikArtikli::OznakaEnabled() const {
    return cOznaka->Enabled();
}

bool TSifarnikArtikli::OurCodeEnabled() const {
    return Book->PageIndex() == 1 && eSifra->Enabled();
}

std::string TSifarnikArtikli::LanguageLabel(std::int32_t govor) {
    if (tGovor->Active() && govor != 0 && tGovor->FindKey({Value::Int(govor)}))
        return "(" + tGovor->FieldByName("Naziv").AsString() + ")";
    return UnknownLanguageText;
}

void TSifarnikArtikli::SwitchSecondName() {
    const bool same = SupplierLanguage() == app::WBegin.PodaciPoduzeca.Jezik;
    fw::TDataSource* source = same ? sImeRobe_ : sImeRobe2_;
    eNaziv2->SetDataSource(source);
}

void TSifarnikArtikli::SupplierChanged() {
    if (!tSifPart->Active()) return;
    // The own company's codes are ours: no separate "our code" to keep.
    const int page = TextOf(tSifPart, "Drzava") == "J" ? 0 : 1;
    Book->SetPageIndex(page);
    Book2->SetPageIndex(page);
    for (kit::TMyTable* t : {tRoba, tJedinice, tPakung})
        if (t->Active() && t->State() == fw::dsBrowse) t->Refresh();
    GovorLabel->SetCaption(LanguageLabel(SupplierLanguage()));
    GovorLabel2->SetCaption(LanguageLabel(app::WBegin.PodaciPoduzeca.Jezik));
    SwitchSecondName();
    cProizvodiExitChanged();
}

// ------------------------------------------------------------------------------------------ show

std::vector<engine::Value> TSifarnikArtikli::SearchKey(const std::string& text) const {
    return {Value::Int(IntOf(tSifPart, "Partner")), Value::Text(text)};
}

void TSifarnikArtikli::PositionOnCaller() {
    SetCaption(CompanyCaption(" - Šifarnik artikli"));
    if (!tSifPart->Active() || !tSifRobe->Active()) return;
    ListSuppliers(*tSifPart, Partner);
    SupplierChanged();
    TCodeListForm::PositionOnCaller();
    if (MainGrid()->CanFocus()) MainGrid()->SetFocus();
}

std::vector<fw::TTable*> TSifarnikArtikli::PostedTables() const {
    return {tFirme,  tSifPart,        tSifRobe,      tRoba,  tJedinice, tMjere, tVrste,   tPoreza,   tCarine,
            tPakung, tRevalorizacija, tAmortizacija, tGrupe, tPodGrupe, tGovor, tImeRobe, tImeRobe2, tImePak};
}

kit::TMyBitBtn* TSifarnikArtikli::VisibleSaveButton() const {
    if (FullPage()) return Book->PageIndex() == 0 ? ZapisiButton : ZapisiButton2;
    return Book2->PageIndex() == 0 ? ZapisiButton3 : ZapisiButton4;
}

void TSifarnikArtikli::ZapisiClick() {
    kit::TMyBitBtn* save = VisibleSaveButton();
    // Leaving the edit writes its text into the field.
    save->SetFocus();
    if (ActiveControl() != save) return;
    PostFiles();
    if (app::PostAndAppend(tSifRobe))
        KeyEdit()->SetFocus();
    else
        MainGrid()->SetFocus();
}

// ------------------------------------------------------------------------------------------ rows in step

bool TSifarnikArtikli::WriteRow(fw::TDataSet* row, const std::function<void(fw::TDataSet&)>& fill) {
    if (!app::StartEdit(row)) return false;
    try {
        fill(*row);
        row->Post();
    } catch (const std::exception&) {
        // A refused post (a rule of the table, a record taken meanwhile) leaves the row as it was.
        app::CancelEditSafe(row);
        return false;
    }
    app::PostEditAutoSave(row);
    return true;
}

std::int32_t TSifarnikArtikli::CreateArticle(const std::function<void(std::int32_t code)>& link) {
    std::int32_t code = 0;
    if (tRoba->Active() && app::HasRecords(tSifRobe)) {
        tRoba->DisableControls();
        tSifRobe->DisableControls();
        base::TryFinally(
            [&] {
                app::PostEditAutoSave(tRoba);
                app::PostEditAutoSave(tSifRobe);
                app::EnableInsertPost(*tRoba);
                fw::TDataSource* master = tRoba->MasterSource();
                tRoba->SetMasterSource(nullptr);
                base::TryFinally(
                    [&] {
                        const std::int32_t proizvodi = IntOf(tSifRobe, "Proizvodi");
                        // A table that refuses every new row must not hold the user here for ever.
                        for (int i = 0; i < ArticleCreationTries && code == 0; ++i) {
                            if (!app::PostAndAppend(tRoba)) continue;
                            if (tRoba->FieldByName("Proizvodi").AsInteger() != proizvodi) {
                                app::CancelEditSafe(tRoba);
                                continue;
                            }
                            try {
                                tRoba->Post();
                                code = static_cast<std::int32_t>(tRoba->FieldByName("Code").AsInteger());
                            } catch (const std::exception&) {
                                app::CancelEditSafe(tRoba);
                            }
                        }
                        if (code != 0) {
                            app::PostEditAutoSave(tRoba);
                            link(code);
                        }
                    },
                    [&] {
                        app::DisableInsertPost(*tRoba);
                        tRoba->SetMasterSource(master);
                    });
            },
            [&] {
                tRoba->EnableControls();
                tSifRobe->EnableControls();
            });
    }
    if (code == 0) app::ShowInfo(ArticleNotCreatedText);
    return code;
}

void TSifarnikArtikli::cProizvodiExit() {
    if (!app::HasRecords(tSifRobe) || !app::HasRecords(tFirme) || !SupplierIsManufacturer()) return;
    const std::int32_t current = IntOf(tSifRobe, "Code");
    if (current != 0 && app::HasRecords(tRoba) && IntOf(tRoba, "Code") == current) return;
    CreateArticle([this](std::int32_t code) {
        WriteRow(tSifRobe, [code](fw::TDataSet& r) { r.FieldByName("Code").SetAsInteger(code); });
        tSifRobe2->Refresh();
        if (IntOf(tSifRobe, "Proizvodi") == OwnPartner() && tSifRobe3->Active()) tSifRobe3->Refresh();
    });
}

void TSifarnikArtikli::cProizvodiExitChanged() {
    const bool selfMade = SupplierIsManufacturer() || !app::HasRecords(tSifRobe);
    for (auto [lookup, label] : {std::pair{cOznaka, lProizvodi}, std::pair{cOznaka3, lProizvodi3}}) {
        if (selfMade)
            app::DisableLookup(*lookup);
        else
            app::EnableLookup(*lookup);
        label->SetFontColor(selfMade ? fw::clGray : fw::clBlack);
    }
    const bool ours = app::HasRecords(tSifRobe) && IntOf(tSifRobe, "Proizvodi") == OwnPartner();
    for (auto [edit, label] : {std::pair{eSifra, lSifra}, std::pair{eSifra3, lSifra3}}) {
        if (ours)
            app::DisableEdit(*edit);
        else
            app::EnableEdit(*edit);
        label->SetFontColor(ours ? fw::clGray : fw::clBlack);
    }
}

void TSifarnikArtikli::cOznakaEnter() {
    if (!app::HasRecords(tSifRobe2)) {
        oznakaCode_ = IntOf(tSifRobe, "Code");
        oznakaNaziv_ = TextOf(tRoba, "Naziv");
    } else {
        oznakaCode_ = 0;
        oznakaNaziv_.clear();
    }
}

void TSifarnikArtikli::cOznakaExit() {
    if (!tRoba->Active() || !app::HasRecords(tSifRobe2)) return;
    const std::int32_t proizvodi = IntOf(tSifRobe, "Proizvodi");
    const std::int32_t existing = IntOf(tSifRobe2, "Code");
    if (existing != 0 && app::HasRecords(tRoba) && IntOf(tRoba, "Code") == existing) {
        // The manufacturer's code names an article already: the supplier's row takes its name.
        const std::string name = TextOf(tImeRobe, "Naziv");
        WriteRow(tSifRobe, [&](fw::TDataSet& r) { r.FieldByName("Naziv").SetAsString(name); });
        if (proizvodi == OwnPartner() && tSifRobe3->Active()) tSifRobe3->Refresh();
    } else if (oznakaCode_ == 0) {
        CreateArticle([&](std::int32_t code) {
            WriteRow(tSifRobe2, [&](fw::TDataSet& r) {
                r.FieldByName("Proizvodi").SetAsInteger(proizvodi);
                r.FieldByName("Code").SetAsInteger(code);
            });
            WriteRow(tSifRobe, [&](fw::TDataSet& r) { r.FieldByName("Code").SetAsInteger(code); });
        });
    } else {
        const std::int32_t code = oznakaCode_;
        const std::string name = oznakaNaziv_;
        WriteRow(tSifRobe2, [&](fw::TDataSet& r) {
            r.FieldByName("Naziv").SetAsString(name);
            r.FieldByName("Proizvodi").SetAsInteger(proizvodi);
            r.FieldByName("Code").SetAsInteger(code);
        });
        WriteRow(tSifRobe, [&](fw::TDataSet& r) { r.FieldByName("Code").SetAsInteger(code); });
    }
}

void TSifarnikArtikli::cSifraExitChanged() {
    if (SupplierIsManufacturer() && tSifRobe2->Active()) tSifRobe2->Refresh();
    if (IntOf(tSifPart, "Partner") == OwnPartner() && tSifRobe3->Active()) tSifRobe3->Refresh();
}

void TSifarnikArtikli::eSifraExitChanged() {
    app::PostRecordAutoSave(tSifRobe3);
    if (!app::HasRecords(tSifRobe3)) return;
    const std::int32_t proizvodi = IntOf(tSifRobe, "Proizvodi");
    const std::string name = TextOf(tImeRobe2, "Naziv");
    WriteRow(tSifRobe3, [&](fw::TDataSet& r) {
        r.FieldByName("Proizvodi").SetAsInteger(proizvodi);
        r.FieldByName("Naziv").SetAsString(name);
    });
}

void TSifarnikArtikli::PostLabel(fw::TDataSet* owner, fw::TDataSet* label) {
    if (app::HasRecords(owner) && SupplierLanguage() != 0)
        app::PostRecordAutoSave(label);
    else
        app::CancelEditSafe(label);
}

void TSifarnikArtikli::eMjeraExitChanged() {
    PostLabel(tJedinice, tMjere);
}

void TSifarnikArtikli::cJedMjExitChanged() {
    if (!app::HasRecords(tRoba) || IntOf(tRoba, "Pakiranje") == 0) return;
    // The packing lookup follows the unit: it finds the packing only when it is one of the new unit's.
    if (tPakung->Active()) tPakung->Refresh();
    if (app::HasRecords(tPakung) || !app::StartEdit(tRoba)) return;
    tRoba->FieldByName("Pakiranje").Clear();
    Last.Pakiranje = 0;
}

void TSifarnikArtikli::ePakiranjeExitChanged() {
    PostLabel(tPakung, tImePak);
}

void TSifarnikArtikli::xDistributerChange() {
    if (xDistributer->Checked()) {
        app::EnableCheck(*xDeklaracije);
        return;
    }
    xDeklaracije->SetChecked(false);
    app::DisableCheck(*xDeklaracije);
    xDeklaracijeClick();
}

void TSifarnikArtikli::xDeklaracijeClick() {
    DekBook->SetPageIndex(xDeklaracije->Checked() ? 1 : 0);
}

void TSifarnikArtikli::FollowName(fw::TDataSet* row, const std::string& name, const std::string& oldText,
                                  bool emptyToo) {
    if (!app::HasRecords(row)) return;
    const std::string current = row->FieldByName("Naziv").AsString();
    if (current == name || !((emptyToo && current.empty()) || current == oldText)) return;
    if (!WriteRow(row, [&](fw::TDataSet& r) { r.FieldByName("Naziv").SetAsString(name); })) return;
    // The three cursors on the code table may stand on one row: the others read it again.
    for (kit::TMyTable* sibling : {tSifRobe, tSifRobe2, tSifRobe3})
        if (sibling != row && sibling->Active() && sibling->State() == fw::dsBrowse) sibling->Refresh();
}

void TSifarnikArtikli::NameExit(fw::TDataSet* nameTable) {
    if (!app::HasRecords(tRoba)) {
        app::CancelEditSafe(nameTable);
        return;
    }
    const std::string oldText = kit::Kit.OldText;
    const bool sameLanguage = SupplierLanguage() == app::WBegin.PodaciPoduzeca.Jezik;
    if (nameTable == tImeRobe || nameTable == tImeRobe2) {
        if (NameLanguage(nameTable) == 0) return RefuseNameWithoutLanguage(nameTable);
        refusedNameTable_ = nullptr;
        app::PostRecordAutoSave(nameTable);
        if (!app::HasRecords(nameTable)) return; // refused: no language
        const std::string name = nameTable->FieldByName("Naziv").AsString();
        FollowName(tRoba, name, oldText, true);
        if (nameTable == tImeRobe) {
            FollowName(tSifRobe, name, oldText, true);
            if (OznakaEnabled()) FollowName(tSifRobe2, name, oldText, true);
            if (OurCodeEnabled() && sameLanguage) FollowName(tSifRobe3, name, oldText, false);
        } else {
            FollowName(tSifRobe3, name, oldText, true);
            FollowName(tSifRobe2, name, oldText, true);
            if (OurCodeEnabled() && sameLanguage) FollowName(tSifRobe, name, oldText, false);
        }
        return;
    }
    // The article's own name.
    app::PostEditAutoSave(tRoba);
    const std::string name = TextOf(tRoba, "Naziv");
    FollowName(OznakaEnabled() ? tSifRobe2 : tSifRobe, name, oldText, false);
    if (OurCodeEnabled()) FollowName(tSifRobe3, name, oldText, false);
}

std::int32_t TSifarnikArtikli::NameLanguage(const fw::TDataSet* nameTable) const {
    return nameTable == tImeRobe ? SupplierLanguage() : app::WBegin.PodaciPoduzeca.Jezik;
}

void TSifarnikArtikli::RefuseNameWithoutLanguage(fw::TDataSet* nameTable) {
    const std::string typed = nameTable->FieldByName("Naziv").AsString();
    app::CancelEditSafe(nameTable);
    if (nameTable == refusedNameTable_ && typed == refusedName_) {
        // Told already: the user leaves the text behind and goes on.
        refusedNameTable_ = nullptr;
        return;
    }
    refusedNameTable_ = nameTable;
    refusedName_ = typed;
    const bool own = app::WBegin.PodaciPoduzeca.Jezik == 0 || nameTable == tImeRobe2;
    app::ShowInfo(own ? NoOwnLanguageText : NoSupplierLanguageText);
    throw kit::RefusedKeepingText();
}

// ------------------------------------------------------------------------------------------ openers

void PrikaziArtikle(fw::Form* sender, int flag, std::int32_t partner) {
    app::OpenForm<TSifarnikArtikli>(Artikli.SifarnikArtikli, sender, [&](TSifarnikArtikli& f) {
        f.Caller = sender;
        f.Partner = partner != 0 ? partner : OwnPartner();
        f.SetFlag(flag != 0);
    });
}

void CreateSifarnikArtikli() {
    Artikli.SifarnikArtikli = fw::CreateForm<TSifarnikArtikli>(&fw::Application::Instance());
}

} // namespace registers
