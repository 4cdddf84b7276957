#pragma once
// TWRadniNalozi, "Ponude / Radni nalozi za izradu prozora": offers and work orders for windows and doors.
// Page 0 lists the orders with the current order's header, page 1 its items with the preview of the
// current item's own copy of its window type, page 2 the order's profile cutting list and glass list.
// Each item's copy is the catalogue type fitted to the item's size and re-coloured to the order's colour;
// "OPTIMIZACIJA I" turns the copies into the cutting lists and "Ispis S&takla" lays the glass on sheets.

#include "fw/ui/DBMemo.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/StdCtrls.h"
#include "kit/KeyFields.h"
#include "kit/KitButtons.h"
#include "kit/LookupFields.h"
#include "kit/Mycombo2.h"
#include "kit/MyDBGrid.h"
#include "kit/MyForm.h"
#include "kit/MyTable.h"
#include "kit/PercentEdits.h"
#include "orders/cutting/PostavkeStakla.h"
#include "orders/optima/RadniNalog.h"
#include "orders/workorder/PrilagodbaStavke.h"
#include "orders/workorder/ShownCodes.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QLabel;

namespace windows {
class TEditWindow;
}

namespace orders {

class TWRadniNalozi : public kit::TMyForm {
public:
    explicit TWRadniNalozi(fw::Component* owner);

    fw::Notebook* Book;
    // page 0: the orders
    fw::TDataSource sRadniNal;
    kit::TMyDBGrid* gRadniNal;
    kit::TDBKeyField* eBroj;
    kit::TDBVar* eSifra;
    kit::TDBVar* eDatum;
    kit::TDBJustLookup* eKupac;
    kit::TDBVar* eNarucioc;
    kit::TDBJustLookup* eSistem;
    kit::TDBJustLookup* eBoja;
    kit::TDBVar* eIznos;
    fw::DBMemo* eNaputak;
    fw::Label* lValuta;
    kit::TMyBitBtn* BitBtn1; // "&Stavke"
    kit::TMyBitBtn* Optimizacija;
    kit::TMyBitBtn* bOptimaStakla;
    kit::TMyBitBtn* bPregled;
    kit::TMyBitBtn* bIspisNaloga;
    kit::TMyBitBtn* bPonuda;
    kit::TMyCheckBox* cPregledIspisa;
    // page 1: the items
    fw::TDataSource sStavkeRN;
    kit::TMyDBGrid* gStavkeRN;
    kit::TDBKey* eStavka;
    kit::TDBJustLookup* eTip;
    kit::TDBJustLookup* eStaklo;
    kit::TDBVar* eKolicina;
    kit::TDBVar* eSirina;
    kit::TDBVar* eVisina;
    kit::TDBVarN2* eCijena;
    fw::Label* lValuta2;
    kit::TMyCheckBox* cPromjena;
    kit::TMyBitBtn* bNovaStavka;
    kit::TMyBitBtn* bNaZaglavlje;
    QLabel* PaintBox;
    QLabel* Roletna;
    // page 2: the lists
    fw::Label* NaslovPrikaza;
    fw::TDataSource sRNOptima;
    kit::TMyDBGrid* gRNOptima;
    fw::Label* lListaStakla;
    fw::TDataSource sRNOptSt;
    kit::TMyDBGrid* gStaklo;
    kit::TMyBitBtn* BitBtn2;

    kit::TMyTable* tRadniNal;
    kit::TMyTable* tStavkeRN;
    kit::TMyTable* tRNOptima;
    kit::TMyTable* tRNOptSt;
    // The lookups: customers, systems, the system producer's colours, the system's types and the own
    // glass articles of the producer.
    fw::TDataSource sSifPart, sSistem, sSifBoja, sWinGL, sSifRobe2;
    kit::TMyTable* tSifPart;
    kit::TMyTable* tSistem;
    kit::TMyTable* tSifBoja;
    kit::TMyTable* tWinGL;
    kit::TMyTable* tSifRobe2;

    std::int32_t NajveciBrojNaloga = 0;
    std::int16_t NajvecaStavka = 0;
    double FaktorSirine = 1, FaktorVisine = 1;
    bool PrikazKopije = true;
    bool PregledIspisa = true;
    PostavkeStakla Stakla;
    // The Code of the copy the preview shows, 0 for none.
    std::int32_t KodKopije = 0;

    void BitBtn1Click();
    void bNaZaglavljeClick();
    void bNovaStavkaClick();
    void bPregledClick();
    void OptimizacijaClick();
    void bOptimaStaklaClick();
    void IspisNaloga(bool ponuda);
    // Fits the current item's type to its size and stores it as the item's copy.
    void eTipExitChanged();
    // Draws the current item's copy (an empty box when it has none).
    void Nacrtaj();
    // The designer's save of an item's copy.
    void SpremiProzor(windows::TEditWindow& designer);
    void cPromjenaClick();

    // The phase texts the last cutting run showed, in order (each once).
    std::vector<std::string> FazeZadnjegRada;

private:
    void FormShow();
    void FormKeyDown(std::uint16_t& key, fw::Shift shift);
    void tRadniNalNewRecord();
    void tRadniNalBeforeDelete();
    void tStavkeRNNewRecord();
    void tStavkeRNBeforeDelete();
    void eBojaExitChanged();
    void eDimenzijaExitChanged(kit::TDBVar* druga);
    void PratiOptimizaciju();
    // The current order's lists are out of date (told to the order's header).
    void OznaciPromjenu();
    // Whether the item being posted changes what its pieces are cut from.
    bool StavkaMijenjaListe() const;
    void tRadniNalBeforePost();
    void PonudiSlobodanBroj();
    // Refuses (told) a printout of an order's lists that are not its items' lists.
    bool OdbijIspisListe(std::int32_t rn);
    bool stavkaMijenjaListe_ = false;
    // The current item as typed, for fitting its type.
    StavkaZaPrilagodbu StavkaIzUnosa() const;
    void OdbijNeizvedivo(const StavkaZaPrilagodbu& s);
    // The preview box without a window.
    void IsprazniPrikaz();
    void NacrtajRoletnu(const windows::ModelProzora& m);
    bool brisemNalog_ = false;
    std::int32_t TrenutniNalog() const;
    std::int16_t TrenutnaStavka() const;
    std::int32_t NajveciBroj() const;
    std::int16_t NajvecaStavkaNaloga() const;
    // Posts a pending change of the header; false when it cannot be.
    bool SpremiZaglavlje();
    // Runs a cutting step under the progress window.
    template <class F> auto SNapretkom(const char* naslov, F&& rad);
    // The product line of a system (WSYSTEM "Proizvodi"), remembered until a register is opened.
    std::int32_t ProizvodiSistema(std::int64_t sistem);
    std::map<std::int64_t, std::int32_t> proizvodi_;
    // The article and type codes the grids show in place of the stored integers.
    ShownCodes sifre_;
};

struct RadniNaloziState {
    TWRadniNalozi* WRadniNalozi = nullptr;
};
extern RadniNaloziState RadniNaloziForm;

// The main menu's opener.
void PrikaziRadneNaloge(fw::Form* sender);

} // namespace orders
