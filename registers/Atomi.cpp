#include "registers/Atomi.h"

#include "app/data/DataSetServices.h"
#include "app/shell/FormOpener.h"
#include "app/shell/Splash.h"
#include "base/Finally.h"
#include "base/ProgramState.h"
#include "fw/db/FieldClasses.h"
#include "registers/OwnedKey.h"
#include "registers/Pakiranja.h"

namespace registers {

AtomiForms Atomi;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { Atomi = AtomiForms(); });

using engine::Value;

kit::TMyTable* ModuleTable(fw::Component* owner, const char* name, const char* table, const char* index) {
    auto* t = new kit::TMyTable(owner);
    t->SetName(name);
    t->SetDatabaseName("Global");
    t->SetTableName(table);
    t->SetIndexFieldNames(index);
    return t;
}

} // namespace

// ------------------------------------------------------------------------------------------ data module

TDSifarnikAtoma::TDSifarnikAtoma(fw::Component* owner) : fw::Form(owner) {
    SetName("DSifarnikAtoma");
    tJedinice = ModuleTable(this, "tJedinice", "JEDINICE.DB", "Sifra");
    tJedinice->AfterOpen = [](fw::TDataSet& ds) { ds.FieldByName("Code").Visible = false; };
    sJedinice.SetDataSet(tJedinice);
    tPakung = ModuleTable(this, "tPakung", "PAKUNG.DB", "Jedinica;Sifra");
    tPakung->AfterOpen = [](fw::TDataSet& ds) {
        for (const char* f : {"Code", "Jedinica", "MinKolicina", "Cijene"})
            ds.FieldByName(f).Visible = false;
    };
    tPakung->SetMasterSource(&sJedinice);
    tPakung->SetMasterFields("Code");
    sPakung.SetDataSet(tPakung);
    tAtomi = ModuleTable(this, "tAtomi", "ATOMI.DB", "Pakung;Kolicina");
    tAtomi->AddField(std::make_unique<fw::TFloatField>(), "Kolicina").SetDisplayLabel("Količina");
    tAtomi->AddField(std::make_unique<fw::TIntegerField>(), "Pakung").Visible = false;
    tAtomi->AddField(std::make_unique<fw::TStringField>(10), "Jedinica", fw::fkCalculated);
    tAtomi->OnCalcFields = [this](fw::TDataSet& ds) { tAtomiCalcFields(ds); };
    tAtomi->BeforePost = [this](fw::TDataSet& ds) { tAtomiBeforePost(ds); };
    tAtomi->AfterPost = [this](fw::TDataSet& ds) { tAtomiAfterPost(ds); };
    tAtomi->AfterDelete = [this](fw::TDataSet& ds) { tAtomiAfterDelete(ds); };
    tAtomi->SetMasterSource(&sPakung);
    tAtomi->SetMasterFields("Code");
    sAtomi.SetDataSet(tAtomi);
}

TDSifarnikAtoma::~TDSifarnikAtoma() {
    // Freed with the application at the program's end: the next start makes a new module.
    if (Atomi.DSifarnikAtoma == this) Atomi.DSifarnikAtoma = nullptr;
    // The data sources go before the tables they show.
    sAtomi.SetDataSet(nullptr);
    sPakung.SetDataSet(nullptr);
    sJedinice.SetDataSet(nullptr);
    try {
        app::CloseAllFormTables(this);
    } catch (const std::exception&) {
    }
}

void TDSifarnikAtoma::tAtomiCalcFields(fw::TDataSet& ds) {
    ds.FieldByName("Jedinica")
        .SetAsString(tJedinice->Active() && !tJedinice->IsEmpty() ? tJedinice->FieldByName("Sifra").AsString()
                                                                  : std::string());
}

void TDSifarnikAtoma::tAtomiBeforePost(fw::TDataSet& ds) {
    RefuseQuantityWithoutPacking(*tPakung, ds);
}

void TDSifarnikAtoma::tAtomiAfterPost(fw::TDataSet&) {
    if (app::HasRecords(tAtomi)) KeepQuantityMark(*tPakung, true);
}

void TDSifarnikAtoma::tAtomiAfterDelete(fw::TDataSet&) {
    if (!app::HasRecords(tAtomi)) KeepQuantityMark(*tPakung, false);
}

void KreirajModulAtoma() {
    if (!Atomi.DSifarnikAtoma) {
        app::BeginBaseModule();
        app::CreateFormWithRetry(
            nullptr,
            [] {
                Atomi.DSifarnikAtoma = fw::CreateForm<TDSifarnikAtoma>(&fw::Application::Instance());
                return Atomi.DSifarnikAtoma;
            },
            app::FormVariable(Atomi.DSifarnikAtoma));
    }
    if (Atomi.DSifarnikAtoma) app::OpenFormTables(Atomi.DSifarnikAtoma);
}

// ------------------------------------------------------------------------------------------ form

TSifarnikAtoma::TSifarnikAtoma(fw::Component* owner) : TCodeListForm(owner) {
    SetName("SifarnikAtoma");
    SetCaption("Šifarnik atoma kod načina pakiranja proizvoda");
    TDSifarnikAtoma& m = Module();
    fw::TDataSource& quantities = NewSource(m.tAtomi);
    fw::TDataSource& packing = NewSource(m.tPakung);
    fw::TDataSource& units = NewSource(m.tJedinice);
    cPakung = AddEdit<kit::TDBJustKey>(packing, "Sifra", "cPakung", "Pakiranje", 10);
    cPakung->OnF2Press = [this](fw::Component&) { PrikaziImenaPakiranja(this); };
    auto* key = new TOwnedKey(this, this);
    key->Owner = m.tPakung;
    key->NoOwnerText = NoPackingText;
    BuildFrame("Kolicina", "Količina", "Količina", 900, 600, key);
    eSifra->SetName("cSifra");
    MoveKeyTo(45);
    eSifra->DisplayName = "Količina";
    eSifra->OnF2Press = [this](fw::Component&) { PrikaziImenaAtoma(this); };
    gMain = AddGrid("gMain", units, 350, 10, 540, 160);
    gTable->SetDataSource(&packing);
    gTable->SetBounds(350, 180, 540, 160);
    gTable2 = AddGrid("gTable2", quantities, 350, 350, 540, 200);
    OnHide = [](fw::Component&) {
        if (Atomi.DSifarnikAtoma) app::CloseFormTables(Atomi.DSifarnikAtoma);
    };
    SetActiveControl(gTable2);
}

TDSifarnikAtoma& TSifarnikAtoma::Module() const {
    return *Atomi.DSifarnikAtoma;
}

fw::TTable* TSifarnikAtoma::MainTable() const {
    return Atomi.DSifarnikAtoma ? Module().tAtomi : nullptr;
}

std::vector<fw::TTable*> TSifarnikAtoma::PostedTables() const {
    return {Module().tAtomi, Module().tPakung, Module().tJedinice};
}

void TSifarnikAtoma::PositionOnCaller() {
    TDSifarnikAtoma& m = Module();
    if (!m.tJedinice->Active() || !m.tPakung->Active() || !m.tAtomi->Active()) return;
    if (Pakung != 0) {
        // The packing mode's unit first, then the packing mode among the unit's.
        fw::TTable lookup;
        lookup.SetDatabaseName("Global");
        lookup.SetTableName("PAKUNG.DB");
        lookup.SetIndexFieldNames("Code");
        lookup.Open();
        if (lookup.FindKey({Value::Int(Pakung)})) {
            const long long unit = lookup.FieldByName("Jedinica").AsInteger();
            const std::string code = lookup.FieldByName("Sifra").AsString();
            m.tJedinice->DisableControls();
            base::TryFinally(
                [&] {
                    std::string remembered;
                    m.tJedinice->SetIndexFieldNames("Code");
                    m.tJedinice->Refresh();
                    if (m.tJedinice->FindKey({Value::Int(unit)}))
                        remembered = m.tJedinice->FieldByName("Sifra").AsString();
                    m.tJedinice->SetIndexFieldNames("Sifra");
                    m.tJedinice->Refresh();
                    if (remembered.empty() || !m.tJedinice->FindKey({Value::Text(remembered)}))
                        m.tJedinice->First();
                },
                [&] { m.tJedinice->EnableControls(); });
            m.tPakung->FindKey({Value::Int(unit), Value::Text(code)});
        }
    }
    m.tAtomi->First();
}

std::string TSifarnikAtoma::PickedText() const {
    // The tables are closed by now; the packing key still shows the packing mode chosen.
    return cPakung->Text();
}

void PrikaziAtome(fw::Form* caller, std::int32_t pakung) {
    app::BeginBusy();
    base::TryFinally(
        [&] {
            KreirajModulAtoma();
            if (!Atomi.DSifarnikAtoma) return;
            app::OpenForm<TSifarnikAtoma>(Atomi.SifarnikAtoma, caller, [&](TSifarnikAtoma& f) {
                f.Caller = caller;
                f.Pakung = pakung;
            });
        },
        [] { app::EndBusy(); });
}

} // namespace registers
