#include "windows/systems/WSistem.h"

#include "app/data/DataSetServices.h"
#include "app/data/DBMine.h"
#include "app/data/Dialogs.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/shell/CodeListOpeners.h"
#include "base/Finally.h"
#include "base/ProgramState.h"
#include "fw/ui/DBCtrls.h"
#include "kit/Mycombo.h"
#include "windows/systems/FormTables.h"

namespace windows {

WSistemState WSistemForm;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { WSistemForm = WSistemState(); });

// One article lookup of a colour: the edit, the WSYSBOJE field it stores and the group its articles are in.
struct ArticleLookup {
    const char* Name;
    const char* Field;
    const char* Group;
};
// In the order of the tables tSifRobe .. tSifRobe10.
const ArticleLookup articleLookups[10] = {
    {"eStok", "STOK", "GSTOK"},
    {"eOkvir", "OKVIR", "GOKVIR"},
    {"ePrecka", "PRECKA", "GPRECKA"},
    {"cVrata", "VRATA", "GVRATA"},
    {"eKlizniOkvir", "KLIZNIOKVIR", "GKliznogOkvira"},
    {"cZStoka", "ZSTOKA", "GZELJEZO"},
    {"cZOkvir", "ZOKVIRA", "GZELJEZO"},
    {"cZVrata", "ZVRATA", "GZELJEZO"},
    {"cZPrecka", "ZPRECKA", "GZELJEZO"},
    {"eZKlizniOkvir", "ZKLIZNIOKVIR", "GZELJEZO"},
};

constexpr int RowHeight = 30;

kit::TMyBitBtn* PlaceButton(fw::Control* parent, fw::Component* owner, const char* name, const char* caption,
                            int left, int top, int width) {
    auto* b = new kit::TMyBitBtn(parent, owner);
    b->SetName(name);
    b->SetCaption(caption);
    b->SetBounds(left, top, width, 30);
    return b;
}

kit::TMyDBGrid* PlaceGrid(fw::Control* parent, fw::Component* owner, const char* name,
                          fw::TDataSource& source, int left, int top, int width, int height) {
    auto* g = new kit::TMyDBGrid(parent, owner);
    g->SetName(name);
    g->SetBounds(left, top, width, height);
    g->SetDataSource(&source);
    return g;
}

// A millimetre constant of a group box.
kit::TDBVar* PlaceNumber(fw::GroupBox* box, fw::Component* owner, const char* name, fw::TDataSource& source,
                         const char* field, const char* caption, int row) {
    PlaceLabel(box, owner, caption, 10, 25 + row * RowHeight, 150);
    return PlaceData<kit::TDBVar>(box, owner, name, source, field, 165, 22 + row * RowHeight, 70);
}

fw::GroupBox* PlaceBox(fw::Control* parent, fw::Component* owner, const char* caption, int top, int rows) {
    auto* box = new fw::GroupBox(parent, owner);
    box->SetCaption(caption);
    box->SetBounds(330, top, 250, 22 + rows * RowHeight);
    return box;
}

} // namespace

TWSistem::TWSistem(fw::Component* owner) : registers::TCodeListForm(owner) {
    SetName("WSistem");
    SetCaption("Sistemi za izradu prozora");
    resize(760, 470);
    CentreOnScreen();
    sSistem_ = &NewSource(nullptr);
    sFirme_ = &NewSource(nullptr);
    sPartner_ = &NewSource(nullptr);
    sSifBoja_ = &NewSource(nullptr);
    sSisBoje_ = &NewSource(nullptr);
    for (auto& s : sSifRobe_)
        s = &NewSource(nullptr);
    Book = new fw::Notebook(this, this);
    Book->SetName("Book");
    Book->SetBounds(0, 0, 760, 470);
    BuildSystemPage(Book->AddPage("Sistem"));
    BuildColourPage(Book->AddPage("SisBoje"));
    fw::NotebookPage& groups = Book->AddPage("Grupe");
    PlaceLabel(&groups, this, "Kodovi grupa artikala", 10, 10, 300);
    lGrupe = new fw::ListBox(&groups, this);
    lGrupe->SetName("lGrupe");
    lGrupe->SetBounds(10, 35, 740, 420);
    BuildTables();

    OnShow = [this](fw::Component& sender) {
        // The systems' page is the one a picker or the menu starts on.
        Book->SetPageIndex(0);
        FormShow(sender);
    };
    // What was typed last is kept: the kit's close drops a pending record.
    OnCloseQuery = [this](fw::Component&, bool&) {
        PostPending(tSisBoje);
        PostPending(tSistem);
    };
    OnClose = [this](fw::Component& sender, fw::CloseAction& action) {
        FormClose(sender, action);
        lGrupe->Clear();
    };
    OnKeyDown = [this](fw::Component&, std::uint16_t& key, fw::Shift shift) { SistemKeyDown(key, shift); };
    SetActiveControl(gSistem);
}

// ------------------------------------------------------------------------------------------ building

void TWSistem::BuildSystemPage(fw::Control& page) {
    gSistem = PlaceGrid(&page, this, "gSistem", *sSistem_, 10, 10, 300, 400);
    PlaceLabel(&page, this, "Šifra sistema:", 330, 13, 120);
    eSifra = PlaceData<kit::TDBKeyField>(&page, this, "eSifra", *sSistem_, "Sifra", 450, 10, 290);
    eSifra->DisplayName = "Šifra sistema za izradu prozora";
    PlaceLabel(&page, this, "Proizvođač:", 330, 43, 120);
    eProizvodi =
        PlaceData<kit::TDBJustLookup>(&page, this, "eProizvodi", *sSistem_, "Proizvodi", 450, 40, 120);
    eProizvodi->SetLookupSource(sFirme_);
    eProizvodi->SetLookupField("Partner");
    eProizvodi->SetLookupDisplay("Sifra");
    eProizvodi->DisplayName = "Proizvođač";
    eProizvodi->OnF2Press = [this](fw::Component&) { app::OpenCodeListOf("FIRME.DB", this); };
    lNazivProizvodjaca = new fw::DBText(&page, this);
    lNazivProizvodjaca->SetName("lNazivProizvodjaca");
    lNazivProizvodjaca->SetBounds(580, 43, 170, 20);
    lNazivProizvodjaca->SetDataSource(sPartner_);
    lNazivProizvodjaca->SetDataField("Naziv");

    fw::GroupBox* frame = PlaceBox(&page, this, "Podaci za okvir prozora", 75, 2);
    eRazmak = PlaceNumber(frame, this, "eRazmak", *sSistem_, "Razmak", "Razmak između okvira:", 0);
    ePreklapanje = PlaceNumber(frame, this, "ePreklapanje", *sSistem_, "Preklapanje", "Preklapanje:", 1);
    fw::GroupBox* glass = PlaceBox(&page, this, "Podaci za staklo", 165, 1);
    eSmanjenjeStakla =
        PlaceNumber(glass, this, "eSmanjenjeStakla", *sSistem_, "SmanjenjeStakla", "Smanjenje dužine:", 0);
    fw::GroupBox* mullion = PlaceBox(&page, this, "Podaci za prečku prozora", 225, 1);
    eDodatakNaPrecku =
        PlaceNumber(mullion, this, "eDodatakNaPrecku", *sSistem_, "DodatakNaPrecku", "Produženje dužine:", 0);
    fw::GroupBox* other = PlaceBox(&page, this, "Ostali podaci", 285, 2);
    eReznaPila = PlaceNumber(other, this, "eReznaPila", *sSistem_, "ReznaPila", "Rezna pila:", 0);
    eVarenje = PlaceNumber(other, this, "eVarenje", *sSistem_, "Varenje", "Dodatak za varenje:", 1);

    bNoviSistem = PlaceButton(&page, this, "bNoviSistem", "Sistem", 330, 385, 120);
    bNoviSistem->OnClick = [this](fw::Component&) { bNoviSistemClick(); };
    ZapisiButton = bNoviSistem;
    bStavke = PlaceButton(&page, this, "bStavke", "&Profili po bojama sistema", 460, 385, 200);
    bStavke->OnClick = [this](fw::Component&) { bStavkeClick(); };
}

void TWSistem::BuildColourPage(fw::Control& page) {
    gSifBoja = PlaceGrid(&page, this, "gSifBoja", *sSifBoja_, 10, 10, 250, 400);
    PlaceLabel(&page, this, "Profil", 360, 10, 120);
    PlaceLabel(&page, this, "željezo", 490, 10, 120);
    PlaceLabel(&page, this, "umanji", 620, 10, 80);
    const struct {
        const char* Caption;
        int Profile;
        int Steel;
        const char* Shortening;
        const char* ShorteningField;
    } rows[5] = {{"štok:", 0, 5, "eZSM", "ZSM"},
                 {"krilo:", 1, 6, "eZOM", "ZOM"},
                 {"vrata:", 3, 7, "eZVM", "ZVM"},
                 {"prečke:", 2, 8, "eZPM", "ZPM"},
                 {"klizno:", 4, 9, "eZKOM", "ZKOM"}};
    std::array<kit::TDBVar*, 5> shortenings{};
    for (int r = 0; r < 5; ++r) {
        const int top = 35 + r * RowHeight;
        PlaceLabel(&page, this, rows[r].Caption, 275, top + 3, 80);
        for (int i : {rows[r].Profile, rows[r].Steel}) {
            const ArticleLookup& a = articleLookups[i];
            auto* lookup = PlaceData<kit::TDBJustLookup>(&page, this, a.Name, *sSisBoje_, a.Field,
                                                         i == rows[r].Profile ? 360 : 490, top, 120);
            lookup->SetLookupSource(sSifRobe_[static_cast<std::size_t>(i)]);
            lookup->SetLookupField("Code");
            lookup->SetLookupDisplay("Sifra");
            lookup->OnF2Press = [this](fw::Component&) { app::OpenCodeListOf("SIF_ROBE.DB", this); };
            articleLookups_[static_cast<std::size_t>(i)] = lookup;
        }
        auto* shortening = PlaceData<kit::TDBVar>(&page, this, rows[r].Shortening, *sSisBoje_,
                                                  rows[r].ShorteningField, 620, top, 70);
        shortening->setToolTip("Umanjenje željeznog profila");
        shortenings[static_cast<std::size_t>(r)] = shortening;
    }
    eStok = articleLookups_[0];
    eOkvir = articleLookups_[1];
    ePrecka = articleLookups_[2];
    cVrata = articleLookups_[3];
    eKlizniOkvir = articleLookups_[4];
    cZStoka = articleLookups_[5];
    cZOkvir = articleLookups_[6];
    cZVrata = articleLookups_[7];
    cZPrecka = articleLookups_[8];
    eZKlizniOkvir = articleLookups_[9];
    eZSM = shortenings[0];
    eZOM = shortenings[1];
    eZVM = shortenings[2];
    eZPM = shortenings[3];
    eZKOM = shortenings[4];
    for (kit::TDBJustLookup* first : {eStok, eOkvir, ePrecka, cVrata})
        first->OnEnter = [this](fw::Component&) { ArticleEnter(); };

    bSlijedeci = PlaceButton(&page, this, "bSlijedeci", "Slijedeća boja", 275, 385, 150);
    bSlijedeci->OnClick = [this](fw::Component&) { bSlijedeciClick(); };
    bZaglavlje = PlaceButton(&page, this, "bZaglavlje", "Na &zaglavlje", 435, 385, 150);
    bZaglavlje->OnClick = [this](fw::Component&) { bZaglavljeClick(); };
}

void TWSistem::BuildTables() {
    // The tables end the component list: a master before its details.
    tSistem = NewFormTable(this, "tSistem", "Lokal", "WSYSTEM.DB", "SIFRA");
    AddCalcInteger(*tSistem, "Partner");
    tSistem->OnCalcFields = [this](fw::TDataSet& ds) { SistemCalcFields(ds); };
    ShowOnly(*tSistem, {{"Sifra", "Šifra sistema"}});
    sSistem_->SetDataSet(tSistem);

    tFirme = NewFormTable(this, "tFirme", "Global", "FIRME.DB", "PARTNER");
    tFirme->SetMasterSource(sSistem_);
    tFirme->SetMasterFields("PROIZVODI");
    sFirme_->SetDataSet(tFirme);

    tPartner = NewFormTable(this, "tPartner", "Global", "PARTNER.DB", "Code");
    tPartner->SetMasterSource(sFirme_);
    tPartner->SetMasterFields("Partner");
    sPartner_->SetDataSet(tPartner);

    tGrupe = NewFormTable(this, "tGrupe", "Global", "GRUPE.DB", "Partner;Sifra");
    tGrupe->SetMasterSource(sPartner_);
    tGrupe->SetMasterFields("Code");

    tSifBoja = NewFormTable(this, "tSifBoja", "Global", "SIF_BOJA.DB", "Partner;Proizvodi;Sifra");
    AddCalcInteger(*tSifBoja, "Sistem");
    tSifBoja->OnCalcFields = [this](fw::TDataSet& ds) {
        ds.FieldByName("Sistem").SetAsInteger(tSistem->Active() ? tSistem->FieldByName("Code").AsInteger()
                                                                : 0);
    };
    tSifBoja->SetMasterSource(sSistem_);
    tSifBoja->SetMasterFields("PARTNER;PROIZVODI");
    // Two systems of one producer share its colours: the colours are the same rows, their system is not.
    colourSystem_ = std::make_unique<registers::CalculatedLink>(*sSistem_, *tSifBoja);
    ShowOnly(*tSifBoja, {{"Sifra", "Boja"}, {"Naziv", "Naziv boje"}});
    sSifBoja_->SetDataSet(tSifBoja);

    // The colour's row is made by the form and filled through the lookups: its insert is posted, not dropped.
    tSisBoje = NewFormTable(this, "tSisBoje", "Lokal", "WSysBoje.db", "Sistem;Boja");
    tSisBoje->FreeToModify = true;
    app::EnableInsertPost(*tSisBoje);
    AddCalcInteger(*tSisBoje, "Partner");
    AddCalcInteger(*tSisBoje, "Proizvodi");
    AddCalcString(*tSisBoje, "SifBoje", 40);
    for (const char* g : {"GSTOK", "GOKVIR", "GPRECKA", "GVRATA", "GZELJEZO", "GKliznogOkvira"})
        AddCalcInteger(*tSisBoje, g);
    tSisBoje->OnCalcFields = [this](fw::TDataSet& ds) { SisBojeCalcFields(ds); };
    tSisBoje->BeforePost = [this](fw::TDataSet& ds) { SisBojeBeforePost(ds); };
    tSisBoje->SetMasterSource(sSifBoja_);
    tSisBoje->SetMasterFields("Sistem;Code");
    sSisBoje_->SetDataSet(tSisBoje);

    for (std::size_t i = 0; i < tSifRobe.size(); ++i) {
        const std::string name = i == 0 ? "tSifRobe" : "tSifRobe" + std::to_string(i + 1);
        kit::TMyTable* t = NewFormTable(this, name, "Global", "SIF_ROBE.DB", "PARTNER;PROIZVODI;GRUPA;CODE");
        t->SetMasterSource(sSisBoje_);
        t->SetMasterFields(std::string("PARTNER;PROIZVODI;") + articleLookups[i].Group + ";" +
                           articleLookups[i].Field);
        sSifRobe_[i]->SetDataSet(t);
        tSifRobe[i] = t;
    }
}

// ------------------------------------------------------------------------------------------ data rules

void TWSistem::SistemCalcFields(fw::TDataSet& ds) {
    ds.FieldByName("Partner").SetAsInteger(app::WBegin.PodaciPoduzeca.OwnPartner);
}

void TWSistem::SisBojeCalcFields(fw::TDataSet& ds) {
    const bool system = tSistem->Active() && !tSistem->IsEmpty();
    ds.FieldByName("Partner").SetAsInteger(app::WBegin.PodaciPoduzeca.OwnPartner);
    ds.FieldByName("Proizvodi").SetAsInteger(system ? tSistem->FieldByName("Proizvodi").AsInteger() : 0);
    ds.FieldByName("SifBoje").SetAsString(
        app::HasRecords(tSifBoja) ? tSifBoja->FieldByName("Sifra").AsString() : std::string());
    const app::TPostavkePrograma& p = app::Settings.PostavkePrograma;
    ds.FieldByName("GSTOK").SetAsInteger(p.GrupaStoka);
    ds.FieldByName("GOKVIR").SetAsInteger(p.GrupaOkvira);
    ds.FieldByName("GPRECKA").SetAsInteger(p.GrupaPrecke);
    ds.FieldByName("GVRATA").SetAsInteger(p.GrupaVrata);
    ds.FieldByName("GZELJEZO").SetAsInteger(p.GrupaZeljezo);
    ds.FieldByName("GKliznogOkvira").SetAsInteger(p.GrupaKliznogOkvira);
}

void TWSistem::SisBojeBeforePost(fw::TDataSet& ds) {
    // A row without its colour is never stored.
    if (!app::HasRecords(tSifBoja) || ds.FieldByName("Boja").AsInteger() == 0) {
        ds.Cancel();
        throw base::Abort();
    }
}

// ------------------------------------------------------------------------------------------ commands

void TWSistem::bNoviSistemClick() {
    ZapisiButtonClick(*bNoviSistem);
}

void TWSistem::bStavkeClick() {
    Book->SetPageIndex(1);
    gSifBoja->SetFocus();
}

void TWSistem::bZaglavljeClick() {
    PostPending(tSisBoje);
    Book->SetPageIndex(0);
    gSistem->SetFocus();
}

void TWSistem::bSlijedeciClick() {
    if (tSifBoja->Active()) tSifBoja->Next();
    eStok->SetFocus();
    eStok->SelectAll();
}

void TWSistem::ArticleEnter() {
    if (!tSisBoje->Active() || app::HasRecords(tSisBoje) || app::IsEditing(tSisBoje)) return;
    if (!app::PostAndAppend(tSisBoje)) app::ShowInfo("Greška u dodavanju boja u sistem!!!");
}

void TWSistem::PopuniGrupe() {
    if (lGrupe->Count() > 0 || !tGrupe->Active()) return;
    const fw::TBookmark place = tGrupe->GetBookmark();
    tGrupe->DisableControls();
    base::TryFinally(
        [&] {
            for (tGrupe->First(); !tGrupe->Eof(); tGrupe->Next())
                lGrupe->AddItem(tGrupe->FieldByName("Sifra").AsString() + " - " +
                                tGrupe->FieldByName("Naziv").AsString() + "   ->   " +
                                tGrupe->FieldByName("Code").AsString());
            if (tGrupe->BookmarkValid(place)) tGrupe->GotoBookmark(place);
        },
        [&] { tGrupe->EnableControls(); });
}

void TWSistem::SistemKeyDown(std::uint16_t& key, fw::Shift shift) {
    const int page = Book->PageIndex();
    fw::Control* grid = gSistem;
    fw::Control* button = bStavke;
    if (page == 1) {
        grid = gSifBoja;
        button = bSlijedeci;
    } else if (page == 2) {
        grid = lGrupe;
        button = nullptr;
    }
    if (kit::CodeListKeyDown(this, key, shift, grid, button, false)) return;
    if (key == fw::VK_ESCAPE && shift == fw::ssNone && page != 0) {
        key = 0;
        app::FormOpener.KeyHandled = true;
        bZaglavljeClick();
        return;
    }
    if (key == 'G' && shift == fw::ssCtrl) {
        key = 0;
        app::FormOpener.KeyHandled = true;
        Book->SetPageIndex(2);
        PopuniGrupe();
        lGrupe->SetFocus();
    }
}

// ------------------------------------------------------------------------------------------ openers

void PrikaziSisteme(fw::Form* sender) {
    app::OpenForm<TWSistem>(WSistemForm.WSistem, sender, [sender](TWSistem& f) { f.Caller = sender; });
}

void InstallSystemOpeners() {
    app::RegisterCodeListOpener("WSYSTEM.DB", PrikaziSisteme);
}

} // namespace windows
