#pragma once
// The quantities of each packing mode (a box of 10, of 20 ...): the units, the packing modes of the current
// unit and their quantities in three grids. The tables live in a data module made once for the program's
// run; the form opens them when shown and closes them when hidden. A packing mode knows whether it has
// quantities ("ImaAtoma").

#include "registers/CodeListForm.h"

#include <cstdint>
#include <string>

namespace registers {

// The data module: the units, their packing modes and the quantities of the current packing mode.
class TDSifarnikAtoma : public fw::Form {
public:
    explicit TDSifarnikAtoma(fw::Component* owner);
    ~TDSifarnikAtoma() override;

    kit::TMyTable* tJedinice = nullptr;
    kit::TMyTable* tPakung = nullptr;
    kit::TMyTable* tAtomi = nullptr;
    fw::TDataSource sJedinice, sPakung, sAtomi;

    // Keeps the packing mode's "ImaAtoma" with its quantities.
    void tAtomiAfterPost(fw::TDataSet& dataSet);
    void tAtomiAfterDelete(fw::TDataSet& dataSet);
    // A quantity belongs to a packing mode.
    void tAtomiBeforePost(fw::TDataSet& dataSet);
    // "Jedinica": the code of the packing mode's unit.
    void tAtomiCalcFields(fw::TDataSet& dataSet);
};

class TSifarnikAtoma : public TCodeListForm {
public:
    explicit TSifarnikAtoma(fw::Component* owner);

    // The packing mode the opener asked for (0: none).
    std::int32_t Pakung = 0;
    TDSifarnikAtoma& Module() const;
    kit::TMyDBGrid* gMain = nullptr;   // units
    kit::TMyDBGrid* gTable2 = nullptr; // quantities
    kit::TDBJustKey* cPakung = nullptr;
    kit::TDBKeyField* cSifra() const { return eSifra; }

protected:
    fw::TTable* MainTable() const override;
    fw::Control* MainGrid() const override { return gTable2; }
    std::vector<fw::TTable*> PostedTables() const override;
    void PositionOnCaller() override;
    // A packing field asked for a packing mode: the one chosen, not one of its quantities.
    std::string PickedText() const override;
};

struct AtomiForms {
    TDSifarnikAtoma* DSifarnikAtoma = nullptr;
    TSifarnikAtoma* SifarnikAtoma = nullptr;
};
// The module and form variables; reset with the program's state.
extern AtomiForms Atomi;

// Makes the data module once and opens its tables.
void KreirajModulAtoma();
void PrikaziAtome(fw::Form* caller, std::int32_t pakung);

} // namespace registers
