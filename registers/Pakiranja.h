#pragma once
// The packing registers: the packing modes of each unit of measure, and the labels of units and packing
// modes in every language of the languages register. A label list shows all languages; the label of the
// current unit (or packing) in the current language is typed beside the grid.

#include "fw/ui/DBCtrls.h"
#include "kit/Mycombo2.h"
#include "registers/CalcFields.h"
#include "registers/CodeListForm.h"

#include <cstdint>
#include <memory>

namespace registers {

// The packing modes of a unit: the units in one grid, the packing modes of the current one in the other.
class TSifarnikPakiranja : public TCodeListForm {
public:
    explicit TSifarnikPakiranja(fw::Component* owner);

    // The unit the opener asked for (0: none).
    std::int32_t Jedinica = 0;
    kit::TMyTable* tMain = nullptr; // the units ("JEDINICE.DB")
    kit::TMyDBGrid* gMain = nullptr;
    kit::TDBJustKey* cJedinica = nullptr;

protected:
    std::vector<engine::Value> SearchKey(const std::string& text) const override;
    std::vector<fw::TTable*> PostedTables() const override { return {tTable, tMain}; }
    void PositionOnCaller() override;
};

struct LabelLayout;

// The labels of the rows of one register (units or packing modes) per language.
class TLabelList : public TCodeListForm {
public:
    // The units above the labelled packing modes, and the packing modes above the labelled quantities.
    kit::TMyTable* tMain = nullptr;
    kit::TMyDBGrid* gMain = nullptr;
    kit::TMyTable* tPakung = nullptr;
    kit::TMyDBGrid* gPakung = nullptr;
    // Every language, with the current row's link and its label calculated.
    kit::TMyTable* tGovor = nullptr;
    kit::TMyDBGrid* gGovor = nullptr;
    // The label of the current row in the current language, and a second cursor that reads the labels.
    kit::TMyTable* tNaziv = nullptr;
    kit::TMyTable* tNaziv2 = nullptr;
    kit::TDBVar* eNaziv = nullptr;

protected:
    TLabelList(fw::Component* owner, const LabelLayout& layout);
    std::vector<fw::TTable*> PostedTables() const override;
    // The label is posted and the next language waits for its label (the grid after the last one).
    void AfterSave() override;

private:
    void tGovorCalcFields(fw::TDataSet& dataSet);
    void tNazivBeforePost(fw::TDataSet& dataSet);
    void eNazivExitChanged();
    const LabelLayout& layout_;
    std::unique_ptr<CalculatedLink> ownerLink_;
};

class TSifarnikMjera : public TLabelList {
public:
    explicit TSifarnikMjera(fw::Component* owner);
};
class TSifarnikImenaPakiranja : public TLabelList {
public:
    explicit TSifarnikImenaPakiranja(fw::Component* owner);
};

// The labels of the quantities of a packing mode; quantities typed here mark their packing mode too.
class TSifarnikImenaAtoma : public TLabelList {
public:
    explicit TSifarnikImenaAtoma(fw::Component* owner);
};

struct PakiranjaForms {
    TSifarnikPakiranja* SifarnikPakiranja = nullptr;
    TSifarnikMjera* SifarnikMjera = nullptr;
    TSifarnikImenaPakiranja* SifarnikImenaPakiranja = nullptr;
    TSifarnikImenaAtoma* SifarnikImenaAtoma = nullptr;
};
// The form variables; reset with the program's state.
extern PakiranjaForms Pakiranja;

void PrikaziPakiranja(fw::Form* caller, std::int32_t jedinica);
void PrikaziMjere(fw::Form* caller);
void PrikaziImenaPakiranja(fw::Form* caller);
void PrikaziImenaAtoma(fw::Form* caller);
inline constexpr const char* NoUnitText =
    "Način pakiranja pripada jedinici mjere: najprije izaberite jedinicu mjere.";
inline constexpr const char* NoPackingText =
    "Količina pripada načinu pakiranja: najprije izaberite način pakiranja.";
// A quantity without its packing mode or without its number is never stored: cancelled, silent abort.
void RefuseQuantityWithoutPacking(fw::TTable& packing, fw::TDataSet& quantity);
// Marks whether the current packing mode has quantities (posted at once).
void KeepQuantityMark(fw::TTable& packing, bool has);

} // namespace registers
