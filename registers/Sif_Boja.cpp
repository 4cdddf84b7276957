#include "registers/Sif_Boja.h"

#include "app/data/DataSetServices.h"
#include "app/data/DBMine.h"
#include "app/data/WBegin.h"
#include "app/shell/EditControls.h"
#include "base/Exceptions.h"
#include "base/Finally.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/ui/Color.h"
#include "registers/CalcFields.h"
#include "registers/Placing.h"

#include <limits>

namespace registers {

ColourForms SifBoja;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { SifBoja = ColourForms(); });

using engine::Value;

const char* const UnknownLanguage = "(Koje govorno područje?)";

std::int32_t IntOf(const fw::TDataSet* t, const char* field) {
    if (!app::HasRecords(const_cast<fw::TDataSet*>(t))) return 0;
    return static_cast<std::int32_t>(t->FieldByName(field).AsInteger());
}

void MakeReadOnly(kit::TMyTable& t) {
    t.FreeToModify = false;
    t.FreeToDelete = false;
    t.FreeToInsert = false;
}

// A linked name follows a new one while it still holds the old text (or, where allowed, nothing yet).
void FollowName(fw::TDataSet* t, const std::string& name, const std::string& oldText, bool whenEmpty) {
    if (!app::HasRecords(t)) return;
    const std::string current = t->FieldByName("Naziv").AsString();
    if (current == name || !(current == oldText || (whenEmpty && current.empty()))) return;
    if (!app::StartEdit(t)) return;
    t->FieldByName("Naziv").SetAsString(name);
    app::PostEditAutoSave(t);
}

void SetLabelled(fw::Control& edit, fw::Label& label, bool enabled, bool lookup) {
    if (lookup)
        enabled ? app::EnableLookup(edit) : app::DisableLookup(edit);
    else
        enabled ? app::EnableEdit(edit) : app::DisableEdit(edit);
    label.SetFontColor(enabled ? fw::clBlack : fw::clGray);
}

} // namespace

TSifarnikBoja::TSifarnikBoja(fw::Component* owner) : TCodeListForm(owner) {
    SetName("SifarnikBoja");
    SetCaption("Šifarnici boja od dobavljača");
    fw::TDataSource& sifBoje = NewSource(nullptr);
    fw::TDataSource& sifPart = NewSource(nullptr);
    fw::TDataSource& firme = NewSource(nullptr);
    fw::TDataSource& sifBoje2 = NewSource(nullptr);
    fw::TDataSource& sifBoje3 = NewSource(nullptr);
    fw::TDataSource& boje = NewSource(nullptr);
    fw::TDataSource& imeBoje = NewSource(nullptr);
    fw::TDataSource& imeBoje2 = NewSource(nullptr);
    imeBojeSource_ = &imeBoje;
    imeBoje2Source_ = &imeBoje2;

    BuildFrame("Sifra", "Šifra boje", "Boja", 1000, 600);
    cSifra = eSifra;
    cSifra->SetName("cSifra");
    cSifra->OnExitChanged = [this](fw::Component& s) { cSifraExitChanged(s); };
    gSifBoje = gTable;
    gSifBoje->SetName("gSifBoje");
    gSifBoje->SetBounds(350, 220, 640, 330);
    gSifPart = PlaceGrid(this, sifPart, "gSifPart", 350, 10, 300, 200);
    gFirme = PlaceGrid(this, firme, "gFirme", 660, 10, 330, 200);

    lOznaka = PlaceLabel(this, this, "Oznaka boje", 10, 45);
    cOznaka = PlaceLookup<kit::TDBLookupField>(this, this, sifBoje, "Code", sifBoje2, "Code", "Sifra",
                                               "SIF_BOJA.DB", "cOznaka", "", 10, 45);
    cOznaka->DisplayName = "Oznaka boje";
    // F2 here would open this very form.
    cOznaka->OnF2Press = nullptr;
    cOznaka->OnEnter = [this](fw::Component& s) { cOznakaEnter(s); };
    cOznaka->OnExitChanged = [this](fw::Component& s) { cOznakaExitChanged(s); };
    lSifra2 = PlaceLabel(this, this, "Naša šifra boje", 10, 75);
    // Our code is unique among our codes of the manufacturer's colours: a name field, not a plain edit.
    eSifra2 = PlaceEdit<kit::TDBField>(this, this, sifBoje3, "Sifra", "eSifra2", "", 10, 75);
    eSifra2->DisplayName = "Naša šifra boje";
    eNaziv = PlaceEdit<kit::TDBVar>(this, this, boje, "Naziv", "eNaziv", "Naziv boje", 10, 105);
    eNaziv2 = PlaceEdit<kit::TDBVar>(this, this, imeBoje, "Naziv", "eNaziv2", "Naziv dobavljača", 10, 135);
    eNaziv3 = PlaceEdit<kit::TDBVar>(this, this, imeBoje2, "Naziv", "eNaziv3", "Naš naziv", 10, 165);
    GovorLabel = PlaceLabel(this, this, UnknownLanguage, 135, 195, 200);
    for (kit::TDBVar* e : {eNaziv, eNaziv2, eNaziv3})
        e->OnExitChanged = [this](fw::Component& s) { eNazivExitChanged(s); };
    // The codes and names are typed top to bottom; the lists and the buttons come last.
    for (fw::Control* c :
         std::initializer_list<fw::Control*>{gSifPart, gFirme, gSifBoje, ZapisiButton, IzlazButton})
        c->SetTabOrder(std::numeric_limits<int>::max());

    // The tables last: suppliers, manufacturers, the supplier's codes, the manufacturer's and our row, the
    // colour and its names.
    tSifPart = AddTable("tSifPart", "Lokal", "SIF_PART.DB", "Dobavljac;Sifra");
    MakeReadOnly(*tSifPart);
    tSifPart->AfterOpen = [](fw::TDataSet& ds) { ShowOnly(ds, {"Sifra"}); };
    tSifPart->AfterScroll = [this](fw::TDataSet&) { ePartnerChange(); };
    sifPart.SetDataSet(tSifPart);

    tFirme = AddTable("tFirme", "Global", "FIRME.DB", "Sifra");
    MakeReadOnly(*tFirme);
    AddCalculatedFields(*tFirme, {{"Firma", fw::ftInteger}}, [this](fw::TDataSet& ds) {
        ds.FieldByName("Firma").SetAsInteger(SupplierPartner());
    });
    tFirme->AfterOpen = [](fw::TDataSet& ds) { ShowOnly(ds, {"Sifra"}); };
    tFirme->AfterScroll = [this](fw::TDataSet&) { eProizvodiChange(); };
    firme.SetDataSet(tFirme);

    tSifBoje = AddTable("tSifBoje", "Global", "SIF_BOJA.DB", "Partner;Proizvodi;Sifra");
    AddCalculatedFields(*tSifBoje, {{"Proizvodi2", fw::ftInteger}}, [](fw::TDataSet& ds) {
        ds.FieldByName("Proizvodi2").SetAsInteger(ds.FieldByName("Proizvodi").AsInteger());
    });
    tSifBoje->AfterOpen = [](fw::TDataSet& ds) { ShowOnly(ds, {"Sifra", "Naziv"}); };
    tSifBoje->SetMasterSource(&firme);
    tSifBoje->SetMasterFields("Firma;Partner");
    tTable = tSifBoje;
    sifBoje.SetDataSet(tSifBoje);

    tSifBoje2 = AddTable("tSifBoje2", "Global", "SIF_BOJA.DB", "Partner;Proizvodi;Code");
    tSifBoje2->SetMasterSource(&sifBoje);
    tSifBoje2->SetMasterFields("Proizvodi;Proizvodi2;Code");
    sifBoje2.SetDataSet(tSifBoje2);

    tBoje = AddTable("tBoje", "Global", "BOJE.DB", "Code");
    tBoje->FreeToModify = true;
    AddCalculatedFields(*tBoje,
                        {{"Partner", fw::ftInteger},
                         {"Govor", fw::ftInteger},
                         {"Partner2", fw::ftInteger},
                         {"Govor2", fw::ftInteger}},
                        [this](fw::TDataSet& ds) {
                            ds.FieldByName("Partner").SetAsInteger(SupplierPartner());
                            ds.FieldByName("Govor").SetAsInteger(IntOf(tSifPart, "Govor"));
                            ds.FieldByName("Partner2").SetAsInteger(OwnPartner());
                            ds.FieldByName("Govor2").SetAsInteger(app::WBegin.PodaciPoduzeca.Jezik);
                        });
    tBoje->SetMasterSource(&sifBoje2);
    tBoje->SetMasterFields("Code");
    tBoje->OnNewRecord = [this](fw::TDataSet& ds) {
        // The manufacturer's code names the colour where there is one.
        fw::TTable* named = cOznaka->CanFocus() && app::HasRecords(tSifBoje2) ? tSifBoje2 : tSifBoje;
        ds.FieldByName("Sifra").SetAsString(named->FieldByName("Sifra").AsString());
        ds.FieldByName("Proizvodi").SetAsInteger(IntOf(tSifBoje, "Proizvodi"));
    };
    boje.SetDataSet(tBoje);

    tSifBoje3 = AddTable("tSifBoje3", "Global", "SIF_BOJA.DB", "Partner;Proizvodi;Code");
    tSifBoje3->SetMasterSource(&boje);
    tSifBoje3->SetMasterFields("Partner2;Proizvodi;Code");
    sifBoje3.SetDataSet(tSifBoje3);

    auto names = [this](const char* name, const char* languageField) {
        kit::TMyTable* t = AddTable(name, "Global", "IME_BOJA.DB", "Boja;Govor");
        t->FreeToModify = true;
        t->BeforePost = [this, t, languageField](fw::TDataSet&) {
            // A name needs its colour and its language.
            if (!app::HasRecords(tBoje) || tBoje->FieldByName(languageField).AsInteger() == 0) {
                t->Cancel();
                throw base::Abort();
            }
        };
        return t;
    };
    tImeBoje = names("tImeBoje", "Govor");
    tImeBoje->SetMasterSource(&boje);
    tImeBoje->SetMasterFields("Code;Govor");
    imeBoje.SetDataSet(tImeBoje);
    tImeBoje2 = names("tImeBoje2", "Govor2");
    tImeBoje2->SetMasterSource(&boje);
    tImeBoje2->SetMasterFields("Code;Govor2");
    imeBoje2.SetDataSet(tImeBoje2);

    tGovor = AddTable("tGovor", "Global", "GOVOR.DB", "Code");
    MakeReadOnly(*tGovor);

    OnHide = [this](fw::Component&) {
        if (tSifPart->Active()) tSifPart->CancelRange();
    };
    SetActiveControl(gSifBoje);
}

std::int32_t TSifarnikBoja::SupplierPartner() const {
    return tSifPart && tSifPart->Active() ? IntOf(tSifPart, "Partner") : 0;
}
std::int32_t TSifarnikBoja::ManufacturerPartner() const {
    return tFirme && tFirme->Active() ? IntOf(tFirme, "Partner") : 0;
}
std::int32_t TSifarnikBoja::OwnPartner() const {
    return app::WBegin.PodaciPoduzeca.OwnPartner;
}

std::vector<engine::Value> TSifarnikBoja::SearchKey(const std::string& text) const {
    return {Value::Int(SupplierPartner()), Value::Int(ManufacturerPartner()), Value::Text(text)};
}

std::vector<fw::TTable*> TSifarnikBoja::PostedTables() const {
    return {tFirme, tSifPart, tSifBoje, tSifBoje2, tSifBoje3, tBoje, tGovor, tImeBoje, tImeBoje2};
}

// ------------------------------------------------------------------------------------------ showing

void TSifarnikBoja::PositionOnCaller() {
    if (!tSifPart->Active() || !tFirme->Active() || !tSifBoje->Active()) return;
    ListSuppliers(*tSifPart, Partner);
    ePartnerChange();
    if (Proizvodi == 0) {
        gFirme->SetFocus();
        return;
    }
    bool found = false;
    tFirme->DisableControls();
    base::TryFinally(
        [&] {
            tFirme->SetIndexFieldNames("Partner");
            tFirme->Refresh();
            std::string remembered;
            if (tFirme->FindKey({Value::Int(Proizvodi)}))
                remembered = base::CutChars(tFirme->FieldByName("Sifra").AsString(), CallerTextChars);
            tFirme->SetIndexFieldNames("Sifra");
            found = !remembered.empty() && tFirme->FindKey({Value::Text(remembered)});
        },
        [&] { tFirme->EnableControls(); });
    eProizvodiChange();
    if (!found) {
        tFirme->First();
        tSifBoje->First();
        gFirme->SetFocus();
        return;
    }
    TCodeListForm::PositionOnCaller();
    gSifBoje->SetFocus();
}

void TSifarnikBoja::eProizvodiChange() {
    const std::int32_t supplier = SupplierPartner(), manufacturer = ManufacturerPartner(), own = OwnPartner();
    SetLabelled(*cOznaka, *lOznaka, supplier != manufacturer, true);
    SetLabelled(*eSifra2, *lSifra2, manufacturer != own && supplier != own, false);
}

void TSifarnikBoja::ePartnerChange() {
    // The manufacturers' link to the supplier is calculated: read it again for the new supplier.
    if (tFirme && tFirme->Active()) tFirme->Refresh();
    eProizvodiChange();
    JezikChange();
}

void TSifarnikBoja::JezikChange() {
    if (!tGovor || !tGovor->Active()) return;
    if (tSifBoje->Active()) tSifBoje->Refresh();
    const std::int32_t govor = IntOf(tSifPart, "Govor");
    std::string caption = UnknownLanguage;
    if (govor != 0 && tGovor->FindKey({Value::Int(govor)}))
        caption = "(" + tGovor->FieldByName("Naziv").AsString() + ")";
    GovorLabel->SetCaption(caption);
    eNaziv3->SetDataSource(govor == app::WBegin.PodaciPoduzeca.Jezik ? imeBojeSource_ : imeBoje2Source_);
}

// ------------------------------------------------------------------------------------------ colours

std::int32_t TSifarnikBoja::CreateColour() {
    std::int32_t code = 0;
    fw::TDataSource* master = tBoje->MasterSource();
    tBoje->DisableControls();
    tSifBoje->DisableControls();
    app::EnableInsertPost(*tBoje);
    tBoje->SetMasterSource(nullptr);
    base::TryFinally(
        [&] {
            if (!app::PostAndAppend(tBoje)) return;
            tBoje->Post();
            code = static_cast<std::int32_t>(tBoje->FieldByName("Code").AsInteger());
        },
        [&] {
            tBoje->SetMasterSource(master);
            app::DisableInsertPost(*tBoje);
            tSifBoje->EnableControls();
            tBoje->EnableControls();
        });
    return code;
}

void TSifarnikBoja::cSifraExitChanged(fw::Component&) {
    if (!app::HasRecords(tSifBoje) || !app::HasRecords(tFirme)) return;
    // A supplier that makes the colour itself needs no manufacturer's code: the colour comes with the code.
    if (IntOf(tSifBoje, "Proizvodi") != IntOf(tSifBoje, "Partner") || IntOf(tSifBoje, "Code") != 0) return;
    const std::int32_t code = CreateColour();
    if (code == 0 || !app::StartEdit(tSifBoje)) return;
    tSifBoje->FieldByName("Code").SetAsInteger(code);
    app::PostEditAutoSave(tSifBoje);
    tSifBoje2->Refresh();
}

void TSifarnikBoja::cOznakaEnter(fw::Component&) {
    if (app::HasRecords(tSifBoje2)) {
        rememberedCode_ = 0;
        rememberedName_.clear();
        return;
    }
    rememberedCode_ = IntOf(tSifBoje, "Code");
    rememberedName_ = app::HasRecords(tBoje)      ? tBoje->FieldByName("Naziv").AsString()
                      : app::HasRecords(tSifBoje) ? tSifBoje->FieldByName("Naziv").AsString()
                                                  : std::string();
}

void TSifarnikBoja::LinkColour(std::int32_t code, const std::string* name) {
    if (app::StartEdit(tSifBoje2)) {
        if (name) tSifBoje2->FieldByName("Naziv").SetAsString(*name);
        tSifBoje2->FieldByName("Code").SetAsInteger(code);
        app::PostEditAutoSave(tSifBoje2);
    }
    if (app::StartEdit(tSifBoje)) {
        tSifBoje->FieldByName("Code").SetAsInteger(code);
        app::PostEditAutoSave(tSifBoje);
    }
}

void TSifarnikBoja::cOznakaExitChanged(fw::Component&) {
    if (!tBoje->Active() || !app::HasRecords(tSifBoje2)) return;
    if (IntOf(tSifBoje2, "Code") != 0) {
        // A known colour: the supplier's row takes its name in the supplier's language.
        const std::string name = app::HasRecords(tImeBoje) ? tImeBoje->FieldByName("Naziv").AsString()
                                                           : tBoje->FieldByName("Naziv").AsString();
        if (app::StartEdit(tSifBoje)) {
            tSifBoje->FieldByName("Naziv").SetAsString(name);
            app::PostEditAutoSave(tSifBoje);
        }
        return;
    }
    if (rememberedCode_ == 0) {
        const std::int32_t code = CreateColour();
        if (code == 0) return;
        rememberedCode_ = code;
        LinkColour(code, nullptr);
    } else {
        LinkColour(rememberedCode_, &rememberedName_);
    }
}

// ------------------------------------------------------------------------------------------ names

void TSifarnikBoja::eNazivExitChanged(fw::Component& sender) {
    auto& edit = dynamic_cast<kit::TDBVar&>(sender);
    fw::TDataSet* names = edit.DataSource() ? edit.DataSource()->DataSet() : nullptr;
    if (!names) return;
    if (!app::HasRecords(tBoje)) {
        app::CancelEditSafe(names);
        return;
    }
    const std::string oldText = edit.EntryText;
    const bool sameLanguage = IntOf(tBoje, "Govor") == IntOf(tBoje, "Govor2");
    const bool manufacturerCode = cOznaka->Enabled();
    const bool ourCode = eSifra2->Enabled();
    if (names == tBoje) {
        const std::string name = tBoje->FieldByName("Naziv").AsString();
        if (!manufacturerCode) FollowName(tSifBoje, name, oldText, false);
        if (manufacturerCode) FollowName(tSifBoje2, name, oldText, false);
        if (ourCode) FollowName(tSifBoje3, name, oldText, false);
        return;
    }
    // Refused without a language: the kit rolls the edit back.
    app::PostRecordAutoSave(names);
    const std::string name = names->FieldByName("Naziv").AsString();
    FollowName(tBoje, name, oldText, true);
    if (names == tImeBoje) {
        FollowName(tSifBoje, name, oldText, true);
        if (manufacturerCode) FollowName(tSifBoje2, name, oldText, true);
        if (ourCode && sameLanguage) FollowName(tSifBoje3, name, oldText, false);
    } else {
        FollowName(tSifBoje3, name, oldText, true);
        FollowName(tSifBoje2, name, oldText, true);
        if (ourCode && sameLanguage) FollowName(tSifBoje, name, oldText, false);
    }
}

// ------------------------------------------------------------------------------------------ saving

void TSifarnikBoja::AfterSave() {
    // The next code of the manufacturer is ready for editing; after the last one a new code is started.
    tSifBoje->Next();
    if (!tSifBoje->Eof()) {
        cSifra->SetFocus();
        return;
    }
    if (app::PostAndAppend(tSifBoje))
        cSifra->SetFocus();
    else
        gSifBoje->SetFocus();
}

void PrikaziBoje(fw::Form* caller, std::int32_t partner, std::int32_t third) {
    app::OpenForm<TSifarnikBoja>(SifBoja.SifarnikBoja, caller, [&](TSifarnikBoja& f) {
        f.Caller = caller;
        f.Partner = partner != 0 ? partner : app::WBegin.PodaciPoduzeca.OwnPartner;
        f.Proizvodi = third;
    });
}

} // namespace registers
