#pragma once
// The colours of profiles and fittings as each supplier and manufacturer codes them: a colour of "BOJE.DB"
// is known under the code of each supplier that sells it, the code of its manufacturer and our own code
// (rows of "SIF_BOJA.DB"), with its names per language ("IME_BOJA.DB"). The form shows one supplier and one
// manufacturer at a time and keeps the colour, its names and the three code rows in step.

#include "kit/KeyFields.h"
#include "kit/LookupFields.h"
#include "kit/Mycombo2.h"
#include "registers/CodeListForm.h"

namespace registers {

class TSifarnikBoja : public TCodeListForm {
public:
    explicit TSifarnikBoja(fw::Component* owner);
    // The tables and controls go while the handlers they call still belong to this form.
    ~TSifarnikBoja() override { DestroyComponents(); }

    // The opener's arguments: the supplier (a partner code; 0 given means our own company) and the
    // manufacturer (a company code, 0 for none).
    std::int32_t Partner = 0;
    std::int32_t Proizvodi = 0;

    kit::TMyTable* tSifPart = nullptr;
    kit::TMyTable* tFirme = nullptr;
    kit::TMyTable* tSifBoje = nullptr;
    kit::TMyTable* tSifBoje2 = nullptr;
    kit::TMyTable* tSifBoje3 = nullptr;
    kit::TMyTable* tBoje = nullptr;
    kit::TMyTable* tImeBoje = nullptr;
    kit::TMyTable* tImeBoje2 = nullptr;
    kit::TMyTable* tGovor = nullptr;

    kit::TMyDBGrid* gSifPart = nullptr;
    kit::TMyDBGrid* gFirme = nullptr;
    kit::TMyDBGrid* gSifBoje = nullptr;
    kit::TDBKeyField* cSifra = nullptr;
    kit::TDBLookupField* cOznaka = nullptr;
    fw::Label* lOznaka = nullptr;
    kit::TDBField* eSifra2 = nullptr;
    fw::Label* lSifra2 = nullptr;
    kit::TDBVar* eNaziv = nullptr;
    kit::TDBVar* eNaziv2 = nullptr;
    kit::TDBVar* eNaziv3 = nullptr;
    fw::Label* GovorLabel = nullptr;

    void cSifraExitChanged(fw::Component& sender);
    void cOznakaEnter(fw::Component& sender);
    void cOznakaExitChanged(fw::Component& sender);
    void eProizvodiChange();
    void ePartnerChange();
    void JezikChange();
    void eNazivExitChanged(fw::Component& sender);

protected:
    fw::Control* MainGrid() const override { return gSifBoje; }
    std::vector<engine::Value> SearchKey(const std::string& text) const override;
    std::vector<fw::TTable*> PostedTables() const override;
    void PositionOnCaller() override;
    void AfterSave() override;

private:
    // A new colour row for the supplier's code; its code, or 0 when none could be made.
    std::int32_t CreateColour();
    // Gives the colour to the manufacturer's row (with the name, when given) and to the supplier's row.
    void LinkColour(std::int32_t code, const std::string* name);
    std::int32_t SupplierPartner() const;
    std::int32_t ManufacturerPartner() const;
    std::int32_t OwnPartner() const;

    // Remembered on entering the manufacturer's code, for the program's run.
    std::int32_t rememberedCode_ = 0;
    std::string rememberedName_;
    fw::TDataSource* imeBojeSource_ = nullptr;
    fw::TDataSource* imeBoje2Source_ = nullptr;
};

struct ColourForms {
    TSifarnikBoja* SifarnikBoja = nullptr;
};
// The form variable; reset with the program's state.
extern ColourForms SifBoja;

void PrikaziBoje(fw::Form* caller, std::int32_t partner, std::int32_t third);

} // namespace registers
