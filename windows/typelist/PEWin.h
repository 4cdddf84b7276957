#pragma once
// TPEditWindow, "Pregled tipova prozora": the catalogue of window types ("WINGL") with the fields of the
// current type, a 200 x 200 preview of its picture, and "Obrada prozora", which opens the designer on it.
// Closing the designer stores the model into the current type or draws the preview again.

#include "fw/ui/ExtCtrls.h"
#include "kit/KeyFields.h"
#include "kit/KitButtons.h"
#include "kit/LookupFields.h"
#include "kit/Mycombo2.h"
#include "kit/MyDBGrid.h"
#include "kit/MyForm.h"
#include "kit/MyTable.h"
#include "windows/model/ModelProzora.h"
#include "windows/storage/WindowTypeStore.h"

#include <cstdint>
#include <map>
#include <string>

class QLabel;

namespace windows {

class TEditWindow;

// What the list says when a type's sale article or Code cannot be taken.
inline constexpr const char* ArticleTakenText =
    "Artikl koji ste odabrali već je artikl\r\ndrugog tipa prozora!!!\r\n\r\nOdaberite drugi artikl!!!";
inline constexpr const char* TypeHasElementsText =
    "Tip prozora već ima okvire i prečke:\r\nartikl tipa se ne može promijeniti!!!";
inline constexpr const char* TypeUsedText = "Artikl tipa se ne može promijeniti,\r\njer tip koriste: ";
inline constexpr const char* TypeSystemUsedText = "Sistem tipa se ne može promijeniti,\r\njer tip koriste: ";
inline constexpr const char* NoSystemColourText =
    "Nema podataka za boju koju ste\r\nizabrali za navedeni sistemu!!!\r\n\r\nOdaberite drugu boju!!!";
inline constexpr const char* MissingColourDataText = "Kod boje sistema nedostaju podaci!!!";
inline constexpr const char* NoSystemText = "Morate unijeti šifru sistema\n\rza izradu prozora!!!";
inline constexpr const char* NoColourText = "Morate unijeti šifru boje\r\nsistema za izradu prozora!!!";

class TPEditWindow : public kit::TMyForm {
public:
    explicit TPEditWindow(fw::Component* owner);
    ~TPEditWindow() override;

    fw::TDataSource sWinGL2, sSif_robe, sSistem, sSifBoja;
    kit::TMyTable* tWinGL2;
    kit::TMyTable* TSif_robe;
    kit::TMyTable* tSistem;
    kit::TMyTable* tSifBoja;
    kit::TMyDBGrid* gWinGL2;
    kit::TDBKeyField* eSifra;
    kit::TDBName* eNaziv;
    kit::TDBJustLookup* eArtikl;
    kit::TDBJustLookup* eSistem;
    kit::TDBJustLookup* cBoja;
    fw::Label* lBoja; // the colour's name beside its code
    kit::TMyBitBtn* Pregled;
    QLabel* PaintBox;
    fw::Shape* Roletna;

    // The Code of the current type (its sale article), 0 when it has none.
    std::int32_t CurrentCode() const;
    // Draws the preview of the type with that Code from its stored rows (an empty box when none).
    void Nacrtaj(std::int32_t code);
    // Stores the designer's model into the type it was opened on, then draws it again. False when it was
    // not stored: the designer keeps its drawing.
    bool SpremiProzor(TEditWindow& designer);
    void ePregledClick();
    // The current row's system colour shown in cBoja, and its preview.
    void DBEdit1Change();
    void FormKeyDown(std::uint16_t& key, fw::Shift shift);
    // Reads the list again for other stations' changes (only while no row is being edited): the fields,
    // the colour and the preview then show the row the grid stands on. False when the type shown before is
    // gone.
    bool RefreshList();
    // The partner whose types and articles the list shows: the own company's unless the work orders set it.
    std::int32_t Partner = 0;
    bool PartnerGiven = false;
    std::int32_t CurrentPartner() const;

private:
    void tWinGL2BeforeDelete();
    void tWinGL2BeforePost();
    // Whether the current row's Code may not be posted (and why).
    bool CodeRefused(std::string* poruka) const;
    void eArtiklExitChanged();
    void eSistemExitChanged();
    void cBojaExitChanged();
    void ShowColourName();
    // The producer of a system (its colours are the producer's), kept while the list shows.
    std::int32_t SystemProducer(std::int32_t sistem);
    std::map<std::int32_t, std::int32_t> producers_;
    // The type the designer is open on and its stored state when it was loaded.
    std::int32_t inDesigner_ = 0;
    // The type the preview and the colour's name were last drawn for.
    std::int32_t shownCode_ = 0;
    OtisakTipa loadedStamp_ = 0;
    void PlaceShutterBar(bool vidljiva, int sirina);
};

struct PEditWindowState {
    TPEditWindow* PEditWindow = nullptr;
};
extern PEditWindowState PEditWindowForm;

// The main menu's opener: creates the list when needed and shows it.
void PrikaziTipove(fw::Form* sender);
// For the work orders: the list of the partner's types, created and its tables opened but not shown.
void PrikaziTipoveZaPartnera(fw::Form* sender, std::int32_t partner);

} // namespace windows
