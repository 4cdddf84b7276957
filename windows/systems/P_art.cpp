#include "windows/systems/P_art.h"

#include "app/data/DataSetServices.h"
#include "app/data/DBMine.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/shell/CodeListOpeners.h"
#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "kit/Mycombo.h"
#include "windows/systems/FormTables.h"

namespace windows {

SifArtikliState SifArtikliForm;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { SifArtikliForm = SifArtikliState(); });

// The end of a code range: the highest single character of the tables' code page.
const std::string RangeEndCode = "\u02D9";

} // namespace

bool TSif_artikli::ListedGroup(std::int32_t grupa) {
    const app::TPostavkePrograma& p = app::Settings.PostavkePrograma;
    for (std::int32_t g : {p.GrupaPrecke, p.GrupaOkvira, p.GrupaStoka, p.GrupaVrata, p.GrupaZeljezo,
                           p.GrupaKliznogOkvira, p.GrupaStaklo})
        if (grupa == g) return true;
    return false;
}

bool TSif_artikli::HasBoundArticles(std::int32_t grupa) {
    const app::TPostavkePrograma& p = app::Settings.PostavkePrograma;
    return grupa == p.GrupaStoka || grupa == p.GrupaOkvira || grupa == p.GrupaPrecke;
}

TSif_artikli::TSif_artikli(fw::Component* owner) : kit::TMyForm(owner) {
    SetName("Sif_artikli");
    SetCaption("Šifarnik artikala:");
    KeyPreview = true;
    resize(760, 470);
    CentreOnScreen();
    gSif_Robe = new kit::TMyDBGrid(this, this);
    gSif_Robe->SetName("gSif_Robe");
    gSif_Robe->SetBounds(10, 10, 320, 450);
    gSif_Robe->SetDataSource(&sSifRobe);

    PlaceLabel(this, this, "Artikl:", 345, 13, 120);
    lSifra = PlaceData<fw::DBText>(this, this, "lSifra", sSifRobe, "Sifra", 470, 13, 280);
    lNaziv = PlaceData<fw::DBText>(this, this, "lNaziv", sSifRobe, "Naziv", 470, 35, 280);
    PlaceLabel(this, this, "Grupa:", 345, 63, 120);
    eGrupa = PlaceData<fw::DBEdit>(this, this, "eGrupa", sSifRobe, "Grupa", 470, 60, 50);
    eGrupa->SetEnabled(false);
    eGrupa->OnChange = [this](fw::Component&) { eGrupaChange(); };
    lGrupaSifra = PlaceData<fw::DBText>(this, this, "lGrupaSifra", sGrupe, "Sifra", 530, 63, 80);
    lGrupaNaziv = PlaceData<fw::DBText>(this, this, "lGrupaNaziv", sGrupe, "Naziv", 615, 63, 135);
    PlaceLabel(this, this, "Debljina / širina:", 345, 98, 120);
    eDebljinaProfila =
        PlaceData<kit::TDBVar>(this, this, "eDebljinaProfila", sWRoba, "DebljinaProfila", 470, 95, 80);
    PlaceLabel(this, this, "Dužina:", 345, 128, 120);
    eDuzinaProfila =
        PlaceData<kit::TDBVar>(this, this, "eDuzinaProfila", sWRoba, "DuzinaProfila", 470, 125, 80);

    pWRoba_d = new fw::Panel(this, this);
    pWRoba_d->SetName("pWRoba_d");
    pWRoba_d->SetBounds(340, 160, 410, 300);
    PlaceLabel(pWRoba_d, this, "Artikli koji su vezani uz gornji artikl:", 5, 5, 400);
    gWRoba_d = new kit::TMyDBGrid(pWRoba_d, this);
    gWRoba_d->SetName("gWRoba_d");
    gWRoba_d->SetBounds(5, 30, 400, 150);
    gWRoba_d->SetDataSource(&sWRoba_d);
    PlaceLabel(pWRoba_d, this, "Uključivanje artikla", 5, 193, 120);
    eArtikl = PlaceData<kit::TDBJustLookup>(pWRoba_d, this, "eArtikl", sWRoba_d, "Artikl", 130, 190, 120);
    eArtikl->SetLookupSource(&sSif_Robe2);
    eArtikl->SetLookupField("Code");
    eArtikl->SetLookupDisplay("Sifra");
    eArtikl->DisplayName = "Uključivanje artikla";
    eArtikl->OnEnter = [this](fw::Component&) { eArtiklEnter(); };
    eArtikl->OnF2Press = [this](fw::Component&) { app::OpenCodeListOf("SIF_ROBE.DB", this); };
    lArtiklNaziv = PlaceData<fw::DBText>(pWRoba_d, this, "lArtiklNaziv", sSif_Robe2, "Naziv", 255, 193, 150);
    PlaceLabel(pWRoba_d, this, "Količina/omjer:", 5, 223, 120);
    eKolicina = PlaceData<kit::TDBVar>(pWRoba_d, this, "eKolicina", sWRoba_d, "Kolicina", 130, 220, 80);
    BitBtn1 = new kit::TMyBitBtn(pWRoba_d, this);
    BitBtn1->SetName("BitBtn1");
    BitBtn1->SetCaption("Dodavanje artikla u listu");
    BitBtn1->SetBounds(130, 255, 200, 30);
    BitBtn1->OnClick = [this](fw::Component&) { BitBtn1Click(); };
    pWRoba_d->SetVisible(false);

    BuildTables();
    OnShow = [this](fw::Component&) { FormShow(); };
    OnKeyDown = [this](fw::Component&, std::uint16_t& key, fw::Shift shift) {
        kit::CodeListKeyDown(this, key, shift, gSif_Robe, eDuzinaProfila, false);
    };
    // What was typed last is kept: the kit's close drops a pending record.
    OnCloseQuery = [this](fw::Component&, bool&) {
        PostPending(tWRoba_d);
        PostPending(tWRoba);
    };
    OnClose = [this](fw::Component&, fw::CloseAction&) {
        if (tWRoba->Active()) tWRoba->Refresh();
    };
    SetActiveControl(gSif_Robe);
}

void TSif_artikli::BuildTables() {
    tSifRobe = NewFormTable(this, "tSifRobe", "Global", "SIF_ROBE.DB", "Partner;Sifra");
    tSifRobe->FreeToInsert = false;
    tSifRobe->FreeToDelete = false;
    ShowOnly(*tSifRobe, {{"Sifra", "Šifra"}, {"Naziv", "Naziv artikla"}});
    // Group numbers are compared whole: any number a group's Code may reach.
    tSifRobe->OnFilterRecord = [](fw::TDataSet& ds, bool& accept) {
        accept = ListedGroup(static_cast<std::int32_t>(ds.FieldByName("Grupa").AsInteger()));
    };
    tSifRobe->SetFiltered(true);
    sSifRobe.SetDataSet(tSifRobe);

    // The parameter rows are made here when an article gets its first value: their inserts are posted.
    tWRoba = NewFormTable(this, "tWRoba", "Global", "WROBA.DB", "Code");
    tWRoba->FreeToModify = true;
    app::EnableInsertPost(*tWRoba);
    tWRoba->SetMasterSource(&sSifRobe);
    tWRoba->SetMasterFields("Code");
    sWRoba.SetDataSet(tWRoba);

    // Opened before the bound rows, so that their first rows find their articles.
    tArtikli = NewFormTable(this, "tArtikli", "Global", "SIF_ROBE.DB", "PARTNER;CODE");
    tWRoba_d = NewFormTable(this, "tWRoba_d", "Global", "WROBA_D.DB", "Code;Artikl");
    tWRoba_d->FreeToModify = true;
    app::EnableInsertPost(*tWRoba_d);
    // A bound row names its article: one left without it is dropped.
    tWRoba_d->BeforePost = [](fw::TDataSet& ds) {
        if (ds.FieldByName("Artikl").AsInteger() == 0) {
            ds.Cancel();
            throw base::Abort();
        }
    };
    AddCalcInteger(*tWRoba_d, "part");
    AddCalcString(*tWRoba_d, "SifraArtikla", 40);
    AddCalcString(*tWRoba_d, "NazivArtikla", 60);
    tWRoba_d->OnCalcFields = [this](fw::TDataSet& ds) { tWRoba_dCalcFields(ds); };
    tWRoba_d->SetMasterSource(&sWRoba);
    tWRoba_d->SetMasterFields("Code");
    // A bound article is told by its code and name, not by its link number.
    ShowOnly(*tWRoba_d,
             {{"Kolicina", "Količina/omjer"}, {"SifraArtikla", "Artikl"}, {"NazivArtikla", "Naziv artikla"}});
    sWRoba_d.SetDataSet(tWRoba_d);

    tSif_Robe2 = NewFormTable(this, "tSif_Robe2", "Global", "SIF_ROBE.DB", "PARTNER;CODE");
    tSif_Robe2->SetMasterSource(&sWRoba_d);
    tSif_Robe2->SetMasterFields("PART;ARTIKL");
    sSif_Robe2.SetDataSet(tSif_Robe2);

    tGrupe = NewFormTable(this, "tGrupe", "Global", "GRUPE.DB", "Partner;Code");
    tGrupe->SetMasterSource(&sSifRobe);
    tGrupe->SetMasterFields("Partner;Grupa");
    sGrupe.SetDataSet(tGrupe);
}

void TSif_artikli::tWRoba_dCalcFields(fw::TDataSet& ds) {
    const std::int64_t partner = app::WBegin.PodaciPoduzeca.OwnPartner;
    ds.FieldByName("part").SetAsInteger(partner);
    std::string sifra, naziv;
    const std::int64_t artikl = ds.FieldByName("Artikl").AsInteger();
    if (artikl != 0 && tArtikli->Active() &&
        tArtikli->FindKey({engine::Value::Int(partner), engine::Value::Int(artikl)})) {
        sifra = tArtikli->FieldByName("Sifra").AsString();
        naziv = tArtikli->FieldByName("Naziv").AsString();
    }
    ds.FieldByName("SifraArtikla").SetAsString(sifra);
    ds.FieldByName("NazivArtikla").SetAsString(naziv);
}

void TSif_artikli::FormShow() {
    BrowseTable = tSifRobe;
    if (tSifRobe->Active()) {
        const engine::Value partner = engine::Value::Int(app::WBegin.PodaciPoduzeca.OwnPartner);
        tSifRobe->SetRange({partner, engine::Value::Text("")}, {partner, engine::Value::Text(RangeEndCode)});
        tSifRobe->First();
    }
    eGrupaChange();
    if (gSif_Robe->CanFocus()) gSif_Robe->SetFocus();
}

void TSif_artikli::eGrupaChange() {
    const bool shown =
        app::HasRecords(tSifRobe) &&
        HasBoundArticles(static_cast<std::int32_t>(tSifRobe->FieldByName("Grupa").AsInteger()));
    pWRoba_d->SetVisible(shown);
}

void TSif_artikli::eArtiklEnter() {
    if (!app::HasRecords(tSifRobe) || !tWRoba->Active() || !tWRoba_d->Active()) return;
    // The bound rows hang on the profile's parameter row: a profile without one gets it first.
    if (!app::HasRecords(tWRoba) && !app::IsEditing(tWRoba)) tWRoba->Append();
    if (app::IsEditing(tWRoba) && !PostPending(tWRoba)) return;
    if (!app::HasRecords(tWRoba_d) && !app::IsEditing(tWRoba_d)) app::PostAndAppend(tWRoba_d);
}

void TSif_artikli::BitBtn1Click() {
    if (app::PostAndAppend(tWRoba_d)) eArtikl->SetFocus();
}

void PrikaziParametreArtikala(fw::Form* sender) {
    app::OpenForm<TSif_artikli>(SifArtikliForm.Sif_artikli, sender);
}

} // namespace windows
