#pragma once
// The tax and customs rates of each tariff group by the date from which they apply: the groups in one grid,
// the rates of the current group in another. A rate is made by typing its date into the date key; the
// date may be typed as day, month and year separated by anything but digits.

#include "kit/KeyFields.h"
#include "registers/CodeListForm.h"

namespace registers {

struct RateLayout;

class TRateList : public TCodeListForm {
public:
    // The rates of the current group ("Tarifa" = the group's "Code").
    kit::TMyTable* tMain = nullptr;
    kit::TMyDBGrid* gMain = nullptr;
    kit::TDBKeyField* cDatum = nullptr;
    fw::DBText* lNaziv = nullptr;

    // The date field's typed text: day, month and year groups, years below 50 in this century.
    static void DatumSetText(fw::TField& sender, const std::string& text);

protected:
    TRateList(fw::Component* owner, const RateLayout& layout);
    std::vector<fw::TTable*> PostedTables() const override { return {tMain, tTable}; }
    // The rates are posted, never appended to: the rates' grid takes the focus.
    void AfterSave() override;
};

class TSifarnikStopaPoreza : public TRateList {
public:
    explicit TSifarnikStopaPoreza(fw::Component* owner);
};
class TSifarnikStopaCarine : public TRateList {
public:
    explicit TSifarnikStopaCarine(fw::Component* owner);
};

struct StopeForms {
    TSifarnikStopaPoreza* SifarnikStopaPoreza = nullptr;
    TSifarnikStopaCarine* SifarnikStopaCarine = nullptr;
};
// The form variables; reset with the program's state.
extern StopeForms Stope;

void PrikaziStopePoreza(fw::Form* caller);
void PrikaziStopeCarine(fw::Form* caller);

} // namespace registers
