#pragma once
// The banks: each bank is a company of the partners' register ("PARTNER.DB") whose address, phones and
// active giro account are edited here, with the bank's own accounts for commission, foreign transfers and
// credits (giro accounts of "ZIREKI.DB" that belong to the bank's company).

#include "kit/LookupFields.h"
#include "kit/Mycombo2.h"
#include "registers/CodeListForm.h"

#include <array>

namespace registers {

class TSifarnikBanaka : public TCodeListForm {
public:
    explicit TSifarnikBanaka(fw::Component* owner);

    kit::TMyDBGrid* gBanke() const { return gTable; }
    // The bank's company, and a second cursor that names the banks in the grid.
    kit::TMyTable* tPartner = nullptr;
    kit::TMyTable* tPartner2 = nullptr;
    kit::TDBLookupField* cPartner = nullptr;
    // The company's active giro account, then the bank's commission, foreign-transfer and credit accounts.
    std::array<kit::TMyTable*, 4> tZiro{};
    std::array<kit::TDBLookupField*, 4> cZiro{};

protected:
    std::vector<fw::TTable*> PostedTables() const override;

private:
    void tTableCalcFields(fw::TDataSet& dataSet);
};

struct BankeForms {
    TSifarnikBanaka* SifarnikBanaka = nullptr;
};
// The form variable; reset with the program's state.
extern BankeForms Banke;

void PrikaziBanke(fw::Form* caller);

} // namespace registers
