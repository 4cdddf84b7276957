#include "registers/Grupe.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/data/WBegin.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/ui/Application.h"
#include "kit/Mycombo2.h"
#include "registers/OwnedKey.h"

namespace registers {

GrupeForms Grupe;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { Grupe = GrupeForms(); });

using engine::Value;

} // namespace

std::string CompanyCaption(const std::string& title) {
    const app::TPodaciPoduzeca& p = app::WBegin.PodaciPoduzeca;
    return p.NazivKratki + " " + p.Mjesto + title;
}

// ------------------------------------------------------------------------------------------ groups

TSifarnikGrupaArtikli::TSifarnikGrupaArtikli(fw::Component* owner) : TCodeListForm(owner) {
    SetName("SifarnikGrupaArtikli");
    SetCaption("Šifarnik grupa artikli");
    fw::TDataSource& groups = NewSource(nullptr);
    fw::TDataSource& suppliers = NewSource(nullptr);
    // A group belongs to a supplier.
    auto* key = new TOwnedKey(this, this);
    key->NoOwnerText = NoSupplierText;
    BuildFrame("Sifra", "Šifra grupe", "Grupa", 900, 520, key);
    eNaziv = AddEdit<kit::TDBName>(groups, "Naziv", "eNaziv", "Naziv grupe", 45);
    gMain = AddGrid("gMain", suppliers, 350, 10, 540, 200);
    gTable->SetBounds(350, 220, 540, 250);
    tMain = AddSupplierGroups(suppliers, groups);
    key->Owner = tMain;
    SetActiveControl(gTable);
}

std::vector<engine::Value> TSifarnikGrupaArtikli::SearchKey(const std::string& text) const {
    return {Value::Int(tMain->FieldByName("Partner").AsInteger()), Value::Text(text)};
}

void TSifarnikGrupaArtikli::PositionOnCaller() {
    SetCaption(CompanyCaption(" - Šifarnik grupa artikli"));
    if (!tMain->Active() || !tTable->Active()) return;
    ListSuppliers(*tMain, Partner);
    TCodeListForm::PositionOnCaller();
}

// ------------------------------------------------------------------------------------------ subgroups

TSifarnikPodGrupaArtikli::TSifarnikPodGrupaArtikli(fw::Component* owner) : TCodeListForm(owner) {
    SetName("SifarnikPodGrupaArtikli");
    SetCaption("Šifarnik podgrupa artikli");
    fw::TDataSource& subgroups = NewSource(nullptr);
    fw::TDataSource& groups = NewSource(nullptr);
    fw::TDataSource& suppliers = NewSource(nullptr);
    BuildFrame("Sifra", "Šifra grupe", "Podgrupa", 900, 600);
    eSifra->SetDataSource(&groups);
    eSifra->OnF2Press = [this](fw::Component&) {
        PrikaziGrupeArtikala(this, tMain->Active()
                                       ? static_cast<std::int32_t>(tMain->FieldByName("Partner").AsInteger())
                                       : Partner);
    };
    eSifra2 = AddEdit<kit::TDBKeyField>(subgroups, "Sifra", "eSifra2", "Šifra podgrupe", 45);
    eSifra2->DisplayName = "Šifra podgrupe";
    eNaziv2 = AddEdit<kit::TDBName>(subgroups, "Naziv", "eNaziv2", "Naziv podgrupe", 80);
    gMain = AddGrid("gMain", suppliers, 350, 10, 540, 150);
    // The middle grid lists the supplier's groups; the subgroups have their own grid below.
    gTable->SetDataSource(&groups);
    gTable->SetBounds(350, 170, 540, 170);
    gPodGrupe = AddGrid("gPodGrupe", subgroups, 350, 350, 540, 200);
    tMain = AddSupplierGroups(suppliers, groups);
    tPodGrupe = AddTable("tPodGrupe", "Global", "PODGRUPE.DB", "Partner;Grupa;Sifra");
    tPodGrupe->SetMasterSource(&groups);
    tPodGrupe->SetMasterFields("Partner;Code");
    // The supplier and the group are the rows chosen in the grids above.
    tPodGrupe->AfterOpen = [](fw::TDataSet& ds) { HideHousekeepingFields(ds, {"Partner", "Grupa"}); };
    subgroups.SetDataSet(tPodGrupe);
    SetActiveControl(gPodGrupe);
}

std::vector<engine::Value> TSifarnikPodGrupaArtikli::SearchKey(const std::string& text) const {
    return {Value::Int(tMain->FieldByName("Partner").AsInteger()),
            Value::Int(tTable->FieldByName("Code").AsInteger()), Value::Text(text)};
}

void TSifarnikPodGrupaArtikli::PositionOnCaller() {
    SetCaption(CompanyCaption(" - Šifarnik podgrupa artikli"));
    if (!tMain->Active() || !tTable->Active() || !tPodGrupe->Active()) return;
    ListSuppliers(*tMain, Partner);
    if (Grupa != 0) {
        const Value partner = Value::Int(tMain->FieldByName("Partner").AsInteger());
        tTable->SetIndexFieldNames("Partner;Code");
        tTable->Refresh();
        std::string remembered;
        if (tTable->FindKey({partner, Value::Int(Grupa)}))
            remembered = base::CutChars(tTable->FieldByName("Sifra").AsString(), 40);
        tTable->SetIndexFieldNames("Partner;Sifra");
        tTable->FindKey({partner, Value::Text(remembered)});
    }
    TCodeListForm::PositionOnCaller();
}

// ------------------------------------------------------------------------------------------ openers

void PrikaziGrupeArtikala(fw::Form* caller, std::int32_t partner) {
    app::OpenForm<TSifarnikGrupaArtikli>(Grupe.SifarnikGrupaArtikli, caller, [&](TSifarnikGrupaArtikli& f) {
        f.Caller = caller;
        f.Partner = partner != 0 ? partner : app::WBegin.PodaciPoduzeca.OwnPartner;
    });
}

void PrikaziPodGrupeArtikala(fw::Form* caller, std::int32_t partner, std::int32_t grupa) {
    app::OpenForm<TSifarnikPodGrupaArtikli>(
        Grupe.SifarnikPodGrupaArtikli, caller, [&](TSifarnikPodGrupaArtikli& f) {
            f.Caller = caller;
            f.Partner = partner != 0 ? partner : app::WBegin.PodaciPoduzeca.OwnPartner;
            f.Grupa = grupa;
        });
}

void CreateSifarnikGrupaArtikli() {
    Grupe.SifarnikGrupaArtikli = fw::CreateForm<TSifarnikGrupaArtikli>(&fw::Application::Instance());
}

} // namespace registers
