#pragma once
// The article register as each supplier codes it. One article (a "ROBA.DB" row) is known under the code of
// every supplier that sells it, under its manufacturer's code and under our own code; the form shows one
// supplier at a time with its codes and keeps the article, the supplier's row, the manufacturer's row and
// our own row in step, with the article's names kept per language.

#include "fw/ui/DBMemo.h"
#include "fw/ui/ExtCtrls.h"
#include "kit/DBChecker.h"
#include "kit/LookupFields.h"
#include "kit/Mycombo2.h"
#include "registers/CodeListForm.h"

#include <array>
#include <cstdint>
#include <functional>

namespace registers {

// Shown when no article row could be made for a supplier's code.
inline constexpr const char* ArticleNotCreatedText = "Artikl nije moguće kreirati!!!";
// Shown beside a name edit whose language the language register lacks.
inline constexpr const char* UnknownLanguageText = "(Koje govorno područje?)";
// Why a name per language is refused, and where the missing language is set.
inline constexpr const char* NoOwnLanguageText =
    "Naziv nije upisan: vaše poduzeće nema upisan jezik.\r\nUpišite ga u Šifarniku partnera, u polje "
    "\"Jezik\" "
    "vašeg poduzeća.";
inline constexpr const char* NoSupplierLanguageText =
    "Naziv nije upisan: dobavljač nema upisan jezik.\r\nUpišite ga u Šifarniku partnera, u polje \"Jezik\" "
    "dobavljača.";
// How many appends the creation of an article row tries before it gives up.
inline constexpr int ArticleCreationTries = 3;

class TSifarnikArtikli : public TCodeListForm {
public:
    explicit TSifarnikArtikli(fw::Component* owner);
    // The tables and controls go while the handlers they call still belong to this form.
    ~TSifarnikArtikli() override { DestroyComponents(); }

    // The opener's partner (0: the own company) and page choice (true: the full register).
    std::int32_t Partner = 0;
    void SetFlag(bool full);

    // --- tables
    kit::TMyTable* tSifPart = nullptr;  // the suppliers ("SIF_PART.DB")
    kit::TMyTable* tSifRobe = nullptr;  // the supplier's codes
    kit::TMyTable* tSifRobe2 = nullptr; // the manufacturer's row of the current article
    kit::TMyTable* tSifRobe3 = nullptr; // our own row of the current article
    kit::TMyTable* tRoba = nullptr;     // the article
    kit::TMyTable* tImeRobe = nullptr;  // its name in the supplier's language
    kit::TMyTable* tImeRobe2 = nullptr; // its name in the company's language
    kit::TMyTable* tFirme = nullptr;    // the manufacturers
    kit::TMyTable* tGovor = nullptr;    // the languages (for the labels)
    kit::TMyTable *tVrste = nullptr, *tGrupe = nullptr, *tPodGrupe = nullptr, *tAmortizacija = nullptr,
                  *tRevalorizacija = nullptr, *tPoreza = nullptr, *tCarine = nullptr, *tJedinice = nullptr,
                  *tPakung = nullptr;
    // The labels of the article's unit and packing mode in the supplier's language.
    kit::TMyTable* tMjere = nullptr;
    kit::TMyTable* tImePak = nullptr;

    // --- controls
    fw::CheckBox* xSifarnik = nullptr;
    kit::TMyDBGrid* gSifPart = nullptr;
    fw::Label* GovorLabel = nullptr;
    fw::Label* GovorLabel2 = nullptr;
    fw::Notebook* MainBook = nullptr;
    fw::Notebook* Book = nullptr;
    fw::Notebook* Book2 = nullptr;
    // page 'Maximum'
    kit::TMyDBGrid* gSifRobe = nullptr;
    kit::TDBKeyField* cSifra = nullptr;
    kit::TDBLookupField* cOznaka = nullptr;
    kit::TDBJustLookup* cProizvodi = nullptr;
    kit::TDBField* eSifra = nullptr; // our own code (page 'Tuđi')
    fw::Label *lProizvodi = nullptr, *lSifra = nullptr;
    kit::TDBVar* eNaziv = nullptr;     // the name in the supplier's language
    kit::TDBVar* eNaziv2 = nullptr;    // the name in the company's language
    kit::TDBVar* eNazivRobe = nullptr; // the article's own name
    kit::TDBLookupField *cVrsta = nullptr, *cGrupa = nullptr, *cPodGrupa = nullptr, *cAmortizacija = nullptr,
                        *cRevalorizacija = nullptr, *cTarifaPoreza = nullptr, *cTarifaCarine = nullptr,
                        *cJedMj = nullptr, *cPakiranje = nullptr;
    kit::TDBVar *eMjera = nullptr, *ePakiranje = nullptr; // the unit's and the packing's label
    kit::TDBVar *eBarKod = nullptr, *eTezina = nullptr;
    kit::TDBChecker *xBezbojno = nullptr, *xOtkup = nullptr, *xDistributer = nullptr;
    // The article's characteristics, or its declaration while a distributor changes it.
    kit::TMyCheckBox* xDeklaracije = nullptr;
    fw::Notebook* DekBook = nullptr;
    fw::DBMemo* mOpis = nullptr;
    fw::DBMemo* mDeklaracija = nullptr;
    // ZapisiButton saves on the own company's page, ZapisiButton2 on a foreign supplier's.
    kit::TMyBitBtn* ZapisiButton2 = nullptr;
    // page 'Minimum'
    kit::TMyDBGrid* gSifRobe3 = nullptr;
    kit::TDBKeyField* cSifra3 = nullptr;
    kit::TDBLookupField* cOznaka3 = nullptr;
    kit::TDBJustLookup* cProizvodi3 = nullptr;
    kit::TDBField* eSifra3 = nullptr;
    fw::Label *lProizvodi3 = nullptr, *lSifra3 = nullptr;
    kit::TMyBitBtn* ZapisiButton3 = nullptr;
    kit::TMyBitBtn* ZapisiButton4 = nullptr;

    // The values last chosen in the lookups; new rows repeat them.
    struct Remembered {
        std::int32_t Vrsta = 0, Grupa = 0, PodGrupa = 0, Amortizacija = 0, Revalorizacija = 0,
                     TarifaPoreza = 0, TarifaCarine = 0, JedMj = 0, Pakiranje = 0, Proizvodi = 0;
    } Last;

    // --- handlers
    void cProizvodiExit();
    void cProizvodiExitChanged();
    void cOznakaEnter();
    void cOznakaExit();
    void cSifraExitChanged();
    void eSifraExitChanged();
    void eMjeraExitChanged();
    // The unit changed: a packing of another unit is cleared (a packing belongs to its unit).
    void cJedMjExitChanged();
    void ePakiranjeExitChanged();
    // The declaration may be changed only while the supplier row is a distributor's.
    void xDistributerChange();
    void xDeklaracijeClick();
    // A name of the article left: the supplier's language (tImeRobe), the company's (tImeRobe2) or the
    // article's own ("ROBA.DB").
    void NameExit(fw::TDataSet* nameTable);
    // A name in a language nobody set is not stored: the first try says where the language is set and
    // keeps the text in the edit; the same text given again is left behind.
    void RefuseNameWithoutLanguage(fw::TDataSet* nameTable);
    void ZapisiClick();
    // The supplier row changed: pages, languages and labels follow it.
    void SupplierChanged();

    // The supplier row's language and whether it is the own company's.
    std::int32_t SupplierLanguage() const;
    // The language a name table's rows are written in (0: none set).
    std::int32_t NameLanguage(const fw::TDataSet* nameTable) const;
    bool FullPage() const { return MainBook->PageIndex() == 0; }

protected:
    fw::TTable* MainTable() const override { return tSifRobe; }
    fw::Control* MainGrid() const override { return FullPage() ? gSifRobe : gSifRobe3; }
    kit::TDBKeyField* KeyEdit() const override { return FullPage() ? cSifra : cSifra3; }
    std::vector<engine::Value> SearchKey(const std::string& text) const override;
    std::vector<fw::TTable*> PostedTables() const override;
    void PositionOnCaller() override;

private:
    void BuildTables();
    void BuildFullPage(fw::NotebookPage& page);
    void BuildShortPage(fw::NotebookPage& page);
    fw::Label* PageLabel(fw::Control* parent, const std::string& caption, int left, int top, int width = 120);
    // A lookup with its label on the left; the label is returned through `label` when asked for.
    template <class Lookup>
    Lookup* AddLookup(fw::Control* parent, const std::string& name, const std::string& caption,
                      fw::TDataSource& data, const std::string& field, fw::TDataSource& lookup,
                      const std::string& lookupField, const std::string& display, int left, int top,
                      fw::Label** label = nullptr);
    template <class Edit>
    Edit* PageEdit(fw::Control* parent, fw::TDataSource& data, const std::string& field,
                   const std::string& name, const std::string& caption, int left, int top, int width = 200,
                   fw::Label** label = nullptr);
    kit::TDBChecker* PageCheck(fw::Control* parent, fw::TDataSource& data, const std::string& field,
                               const std::string& name, const std::string& caption, int left, int top,
                               const std::string& checked, const std::string& unchecked);
    kit::TMyBitBtn* SaveButton(fw::Control* parent, const std::string& name, int left, int top);
    // The strip under a page's fields: the save button, and our own code beside it on a foreign
    // supplier's page ('Tuđi').
    fw::Notebook* BuildCodeBook(fw::NotebookPage& page, const std::string& name, int top,
                                const std::string& saveName, const std::string& foreignSaveName,
                                const std::string& codeName, kit::TDBField** code, fw::Label** codeLabel,
                                kit::TMyBitBtn** save, kit::TMyBitBtn** foreignSave);
    void BuildDeclarations(fw::NotebookPage& page, int top);
    // The save button of the visible page and of its own or foreign inner page.
    kit::TMyBitBtn* VisibleSaveButton() const;
    // Posts a label typed here, or drops it when there is no row or no language to label.
    void PostLabel(fw::TDataSet* owner, fw::TDataSet* label);
    // Runs the creation of the article row and `link` with its Code while the article table is detached.
    std::int32_t CreateArticle(const std::function<void(std::int32_t code)>& link);
    // Writes values into a row through StartEdit and posts it; false when the row could not be edited.
    bool WriteRow(fw::TDataSet* row, const std::function<void(fw::TDataSet&)>& fill);
    // The name edit of the company's language shows the supplier's name table when both languages agree.
    void SwitchSecondName();
    std::string LanguageLabel(std::int32_t govor);
    bool SupplierIsManufacturer() const;
    bool OznakaEnabled() const;
    bool OurCodeEnabled() const;
    // Copies a name into a row's "Naziv" when it is empty (emptyToo) or still equals the old text.
    void FollowName(fw::TDataSet* row, const std::string& name, const std::string& oldText, bool emptyToo);
    void PostSaved(fw::TDataSet* row);

    fw::TDataSource *sSifPart_ = nullptr, *sSifRobe_ = nullptr, *sSifRobe2_ = nullptr, *sSifRobe3_ = nullptr,
                    *sRoba_ = nullptr, *sImeRobe_ = nullptr, *sImeRobe2_ = nullptr, *sFirme_ = nullptr,
                    *sMjere_ = nullptr, *sImePak_ = nullptr;
    // The sources of the nine lookup tables, in the order of the lookups.
    std::array<fw::TDataSource*, 9> linkSources_{};
    // What the manufacturer-code lookup remembered when it was entered.
    std::int32_t oznakaCode_ = 0;
    std::string oznakaNaziv_;
    // The name last refused for want of a language, and its table.
    const fw::TDataSet* refusedNameTable_ = nullptr;
    std::string refusedName_;
};

struct ArtikliForms {
    TSifarnikArtikli* SifarnikArtikli = nullptr;
};
// The form variable; reset with the program's state.
extern ArtikliForms Artikli;

// Opens the article register: flag 1 the full register (the menu), 0 the short one (the pickers of the
// window-type forms); partner 0 stands for the own company.
void PrikaziArtikle(fw::Form* sender, int flag, std::int32_t partner);
// Makes the form at program start (not shown).
void CreateSifarnikArtikli();

} // namespace registers
