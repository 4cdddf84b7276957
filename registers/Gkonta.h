#pragma once
// The installation's own accounts ("KONTA.DB"): each account shows the class, group, synthetic account and
// subgroup of the prescribed chart that its number begins with.

#include "fw/ui/DBCtrls.h"
#include "kit/Mycombo2.h"
#include "registers/CodeListForm.h"

#include <array>

namespace registers {

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
    std::array<fw::DBText*, 4> LevelNames{};

    // Konto1..Konto4: the first 1..4 characters of the account (empty when it is shorter).
    static void tKontaCalcFields(fw::TDataSet& dataSet);

protected:
    std::vector<fw::TTable*> PostedTables() const override;
};

struct GkontaForms {
    TGKontniPlan* GKontniPlan = nullptr;
};
extern GkontaForms Gkonta;

void PrikaziGKontniPlan(fw::Form* caller);

} // namespace registers
