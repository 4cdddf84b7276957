#pragma once
// TSif_artikli, "Šifarnik artikala:": the parameters of the own company's profile and glass articles that
// the designer and the cutting lists read: the profile's face thickness and bar length ("WROBA.DB") and, for
// outer-frame, sash and mullion profiles, the articles bound to one unit of the profile with their quantity
// ("WROBA_D.DB"). Only articles of the seven profile groups of the settings are listed.

#include "fw/ui/DBCtrls.h"
#include "fw/ui/ExtCtrls.h"
#include "kit/KitButtons.h"
#include "kit/LookupFields.h"
#include "kit/Mycombo2.h"
#include "kit/MyDBGrid.h"
#include "kit/MyForm.h"
#include "kit/MyTable.h"

#include <cstdint>

namespace windows {

class TSif_artikli : public kit::TMyForm {
public:
    explicit TSif_artikli(fw::Component* owner);

    kit::TMyDBGrid* gSif_Robe;
    fw::DBText* lSifra;
    fw::DBText* lNaziv;
    fw::DBEdit* eGrupa;
    fw::DBText* lGrupaSifra;
    fw::DBText* lGrupaNaziv;
    kit::TDBVar* eDebljinaProfila;
    kit::TDBVar* eDuzinaProfila;
    fw::Panel* pWRoba_d;
    kit::TMyDBGrid* gWRoba_d;
    kit::TDBJustLookup* eArtikl;
    fw::DBText* lArtiklNaziv;
    kit::TDBVar* eKolicina;
    kit::TMyBitBtn* BitBtn1;

    kit::TMyTable* tSifRobe;
    kit::TMyTable* tWRoba;
    kit::TMyTable* tWRoba_d;
    kit::TMyTable* tSif_Robe2;
    // Reads the code and name of each bound article for the grid's rows.
    kit::TMyTable* tArtikli;
    kit::TMyTable* tGrupe;

    fw::TDataSource sSifRobe, sWRoba, sWRoba_d, sSif_Robe2, sGrupe;

    // The article's group changed: the bound articles show only for the three kinds that have them.
    void eGrupaChange();
    void eArtiklEnter();
    void BitBtn1Click();
    // Whether an article of the group is listed, and whether it has bound articles.
    static bool ListedGroup(std::int32_t grupa);
    static bool HasBoundArticles(std::int32_t grupa);

private:
    void BuildTables();
    void tWRoba_dCalcFields(fw::TDataSet& ds);
    void FormShow();
};

struct SifArtikliState {
    TSif_artikli* Sif_artikli = nullptr;
};
// The form variable; reset with the program's state.
extern SifArtikliState SifArtikliForm;

void PrikaziParametreArtikala(fw::Form* sender);

} // namespace windows
