#include "registers/Gkonta.h"

#include "app/data/DataSetServices.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/FieldClasses.h"
#include "fw/ui/Keys.h"
#include "registers/Konta.h"

#include <QPointer>

namespace registers {

GkontaForms Gkonta;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { Gkonta = GkontaForms(); });

struct LevelLayout {
    const char* Table;
    const char* Code;
    const char* Control;
    const char* Caption;
};
const LevelLayout levels[4] = {
    {"KONTA1.DB", "Klasa", "cKlasa", "Konto-Klasa"},
    {"KONTA2.DB", "Grupa", "cGrupa", "Konto-Grupa"},
    {"KONTA3.DB", "Sintetika", "cSintetika", "Konto-Sintetika"},
    {"KONTA4.DB", "Podgrupa", "cPodgrupa", "Konto-Podgrupa"},
};

} // namespace

ChartLevelField::ChartLevelField(fw::Control* parent, fw::Component* owner) : fw::DBEdit(parent, owner) {
    SetReadOnly(true);
}

void ChartLevelField::KeyDown(std::uint16_t& key, fw::Shift shift) {
    if (key == fw::VK_F2 && shift == fw::ssNone && OnF2Press) {
        key = 0;
        OnF2Press();
        return;
    }
    fw::DBEdit::KeyDown(key, shift);
}

TGKontniPlan::TGKontniPlan(fw::Component* owner) : TCodeListForm(owner) {
    SetName("GKontniPlan");
    SetCaption("Kontni plan - UNOS");
    fw::TDataSource& konta = NewSource(nullptr);
    std::array<fw::TDataSource*, 4> levelSources{};
    for (auto& s : levelSources)
        s = &NewSource(nullptr);
    BuildFrame("Konto", "Konto", "Konto", 900, 420);
    eSifra->SetName("eKonto");
    gTable->SetName("gKonta");
    eNaziv = AddEdit<kit::TDBName>(konta, "Naziv", "eNaziv", "Naziv", 45);
    for (int i = 0; i < 4; ++i) {
        AddLabel(levels[i].Caption, 10, 98 + i * 28);
        auto* name = new ChartLevelField(this, this);
        name->SetName(levels[i].Control);
        name->SetBounds(135, 95 + i * 28, 200, 24);
        name->SetDataSource(levelSources[i]);
        name->SetDataField("Naziv");
        name->OnF2Press = [this, i] { PickLevel(i); };
        LevelNames[i] = name;
    }
    tTable = AddTable("tKonta", "Global", "KONTA.DB", "Konto");
    tTable->AfterOpen = nullptr;
    tTable->AddField(std::make_unique<fw::TStringField>(10), "Konto");
    tTable->AddField(std::make_unique<fw::TIntegerField>(), "Code").Visible = false;
    tTable->AddField(std::make_unique<fw::TStringField>(60), "Naziv");
    tTable->AddField(std::make_unique<fw::TIntegerField>(), "Items").Visible = false;
    tTable->AddField(std::make_unique<fw::TBooleanField>(), "Temp").Visible = false;
    for (int n = 1; n <= 4; ++n)
        tTable->AddField(std::make_unique<fw::TStringField>(n), "Konto" + std::to_string(n), fw::fkCalculated)
            .Visible = false;
    tTable->OnCalcFields = tKontaCalcFields;
    konta.SetDataSet(tTable);
    for (int i = 0; i < 4; ++i) {
        kit::TMyTable* t =
            AddTable(std::string("t") + levels[i].Code, "Global", levels[i].Table, levels[i].Code);
        t->FreeToModify = false;
        t->FreeToDelete = false;
        t->FreeToInsert = false;
        t->SetMasterSource(&konta);
        t->SetMasterFields("Konto" + std::to_string(i + 1));
        levelSources[i]->SetDataSet(t);
        Levels[i] = t;
    }
    SetActiveControl(gTable);
}

void TGKontniPlan::tKontaCalcFields(fw::TDataSet& ds) {
    const std::string konto = ds.FieldByName("Konto").AsString();
    for (std::size_t n = 1; n <= 4; ++n)
        ds.FieldByName("Konto" + std::to_string(n))
            .SetAsString(base::CharCount(konto) >= n ? base::CutChars(konto, n) : std::string());
}

void TGKontniPlan::PickLevel(int level) {
    pendingLevel_.reset();
    const std::string konto =
        app::HasRecords(tTable) ? tTable->FieldByName("Konto").AsString() : std::string();
    // The chart may outlive this form (closed as its companion): then nothing is written back.
    QPointer<TGKontniPlan> self(this);
    PickChartLevel(this, level, konto, [self, level](const std::string& code) {
        if (!self) return;
        // Under the chart this form may be hidden: its key edit takes the code once it is back.
        if (self->isVisible())
            self->TakeLevel(level, code);
        else
            self->pendingLevel_.emplace(level, code);
    });
    if (pendingLevel_ && isVisible()) {
        const auto [chosenLevel, code] = *pendingLevel_;
        pendingLevel_.reset();
        TakeLevel(chosenLevel, code);
    }
}

void TGKontniPlan::TakeLevel(int level, const std::string& code) {
    if (code.empty()) return;
    const std::string konto =
        app::HasRecords(tTable) ? tTable->FieldByName("Konto").AsString() : std::string();
    // What follows the level in the number stays.
    const std::size_t levelBytes = base::CutChars(konto, static_cast<std::size_t>(level) + 1).size();
    const std::string chosen = code + konto.substr(levelBytes);
    if (chosen == konto) return;
    eKonto()->SetFocus();
    if (ActiveControl() != eKonto()) return;
    eKonto()->SetText(chosen);
    eKonto()->SelectAll();
}

std::vector<fw::TTable*> TGKontniPlan::PostedTables() const {
    return {tTable, Levels[0], Levels[1], Levels[2], Levels[3]};
}

void PrikaziGKontniPlan(fw::Form* caller) {
    app::OpenForm<TGKontniPlan>(Gkonta.GKontniPlan, caller, [caller](TGKontniPlan& f) { f.Caller = caller; });
}

} // namespace registers
