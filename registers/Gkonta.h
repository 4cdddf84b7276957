#pragma once
// The installation's own accounts ("KONTA.DB"): each account shows the class, group, synthetic account and
// subgroup of the prescribed chart that its number begins with.

#include "fw/ui/DBCtrls.h"
#include "kit/Mycombo2.h"
#include "registers/CodeListForm.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace registers {

// The name of one level of the chart that the account number begins with: read-only; F2 picks the level
// from the prescribed chart.
class ChartLevelField : public fw::DBEdit {
public:
    explicit ChartLevelField(fw::Control* parent, fw::Component* owner = nullptr);
    std::function<void()> OnF2Press;
    void KeyDown(std::uint16_t& key, fw::Shift shift) override;
};

class TGKontniPlan : public TCodeListForm {
public:
    explicit TGKontniPlan(fw::Component* owner);

    kit::TDBName* eNaziv = nullptr;
    // The key edit on the account number.
    kit::TDBKeyField* eKonto() const { return eSifra; }
    // The four levels of the chart under the account, "KONTA1.DB" .. "KONTA4.DB", slaves by
    // "Konto1".."Konto4".
    std::array<kit::TMyTable*, 4> Levels{};
    // Their names: cKlasa, cGrupa, cSintetika, cPodgrupa.
    std::array<ChartLevelField*, 4> LevelNames{};

    // F2 on a level's name: the prescribed chart opens on the account's branch in that level's grid.
    void PickLevel(int level);
    // The account number with its first level+1 characters replaced by the chosen code, put into the key
    // edit as if typed (Enter then confirms it as any typed number).
    void TakeLevel(int level, const std::string& code);

    // Konto1..Konto4: the first 1..4 characters of the account (empty when it is shorter).
    static void tKontaCalcFields(fw::TDataSet& dataSet);

protected:
    std::vector<fw::TTable*> PostedTables() const override;

private:
    // A level chosen while this form was hidden under the chart, taken when it is shown again.
    std::optional<std::pair<int, std::string>> pendingLevel_;
};

struct GkontaForms {
    TGKontniPlan* GKontniPlan = nullptr;
};
extern GkontaForms Gkonta;

void PrikaziGKontniPlan(fw::Form* caller);

} // namespace registers
