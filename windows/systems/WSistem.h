#pragma once
// TWSistem, "Sistemi za izradu prozora": the window systems (a profile series of one producer) with the
// millimetre constants of the designer and the cutting lists, and per system and colour the profile
// articles of frames, sashes, doors, mullions and sliding sashes with their reinforcements. Page 0 keeps the
// systems, page 1 the articles of the system's colours, page 2 (Ctrl+G) lists the producer's article groups
// with their numbers. Reached by F2 from another form's lookup it is a picker of systems.

#include "fw/ui/ExtCtrls.h"
#include "kit/LookupFields.h"
#include "kit/Mycombo2.h"
#include "registers/CalcFields.h"
#include "registers/CodeListForm.h"

#include <array>
#include <memory>

namespace windows {

class TWSistem : public registers::TCodeListForm {
public:
    explicit TWSistem(fw::Component* owner);

    fw::Notebook* Book;
    // page 0 "Sistem"
    kit::TMyDBGrid* gSistem;
    kit::TDBJustLookup* eProizvodi;
    fw::DBText* lNazivProizvodjaca;
    kit::TDBVar* eRazmak;
    kit::TDBVar* ePreklapanje;
    kit::TDBVar* eSmanjenjeStakla;
    kit::TDBVar* eReznaPila;
    kit::TDBVar* eVarenje;
    kit::TDBVar* eDodatakNaPrecku;
    kit::TMyBitBtn* bNoviSistem;
    kit::TMyBitBtn* bStavke;
    // page 1 "SisBoje"
    kit::TMyDBGrid* gSifBoja;
    kit::TDBJustLookup* eStok;
    kit::TDBJustLookup* cZStoka;
    kit::TDBVar* eZSM;
    kit::TDBJustLookup* eOkvir;
    kit::TDBJustLookup* cZOkvir;
    kit::TDBVar* eZOM;
    kit::TDBJustLookup* cVrata;
    kit::TDBJustLookup* cZVrata;
    kit::TDBVar* eZVM;
    kit::TDBJustLookup* ePrecka;
    kit::TDBJustLookup* cZPrecka;
    kit::TDBVar* eZPM;
    kit::TDBJustLookup* eKlizniOkvir;
    kit::TDBJustLookup* eZKlizniOkvir;
    kit::TDBVar* eZKOM;
    kit::TMyBitBtn* bZaglavlje;
    kit::TMyBitBtn* bSlijedeci;
    // page 2 "Grupe"
    fw::ListBox* lGrupe;

    kit::TMyTable* tSistem;
    kit::TMyTable* tFirme;
    kit::TMyTable* tPartner;
    kit::TMyTable* tGrupe;
    kit::TMyTable* tSifBoja;
    kit::TMyTable* tSisBoje;
    // tSifRobe .. tSifRobe10: the articles each article lookup offers.
    std::array<kit::TMyTable*, 10> tSifRobe{};

    void bNoviSistemClick();
    void bStavkeClick();
    void bZaglavljeClick();
    void bSlijedeciClick();
    // Entering an article of the colour: the colour gets its row first.
    void ArticleEnter();
    void PopuniGrupe();

protected:
    fw::TTable* MainTable() const override { return tSistem; }
    fw::Control* MainGrid() const override { return gSistem; }

private:
    void BuildSystemPage(fw::Control& page);
    void BuildColourPage(fw::Control& page);
    void BuildTables();
    void SistemCalcFields(fw::TDataSet& ds);
    void SisBojeCalcFields(fw::TDataSet& ds);
    void SisBojeBeforePost(fw::TDataSet& ds);
    void SistemKeyDown(std::uint16_t& key, fw::Shift shift);

    fw::TDataSource* sSistem_ = nullptr;
    fw::TDataSource* sFirme_ = nullptr;
    fw::TDataSource* sPartner_ = nullptr;
    fw::TDataSource* sSifBoja_ = nullptr;
    fw::TDataSource* sSisBoje_ = nullptr;
    std::array<fw::TDataSource*, 10> sSifRobe_{};
    std::array<kit::TDBJustLookup*, 10> articleLookups_{};
    // The colours carry the current system ("Sistem"), which their profile rows hang on.
    std::unique_ptr<registers::CalculatedLink> colourSystem_;
};

struct WSistemState {
    TWSistem* WSistem = nullptr;
};
// The form variable; reset with the program's state.
extern WSistemState WSistemForm;

// The main menu's opener, and the picker that F2 on a system's lookup opens.
void PrikaziSisteme(fw::Form* sender);
// Puts the systems into the shell's register openers ("WSYSTEM.DB"), so F2 on a system field opens them.
void InstallSystemOpeners();

} // namespace windows
