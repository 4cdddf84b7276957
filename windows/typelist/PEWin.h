#pragma once
// TPEditWindow, "Pregled tipova prozora": the catalogue of window types ("WINGL") with the fields of the
// current type, a 200 x 200 preview of its picture, and "Obrada prozora", which opens the designer on it.
// Closing the designer stores the model into the current type or draws the preview again.

#include "kit/KitButtons.h"
#include "kit/Mycombo2.h"
#include "kit/MyDBGrid.h"
#include "kit/MyForm.h"
#include "kit/MyTable.h"
#include "windows/model/ModelProzora.h"

#include <cstdint>
#include <string>

class QLabel;

namespace windows {

class TEditWindow;

class TPEditWindow : public kit::TMyForm {
public:
    explicit TPEditWindow(fw::Component* owner);

    fw::TDataSource sWinGL2;
    kit::TMyTable* tWinGL2;
    kit::TMyDBGrid* gWinGL2;
    kit::TDBVar* eSifra;
    kit::TDBName* eNaziv;
    kit::TDBVar* eArtikl;
    kit::TDBVar* eSistem;
    kit::TMyBitBtn* Pregled;
    QLabel* PaintBox;
    QLabel* Roletna;

    // The Code of the current type (its sale article), 0 when it has none.
    std::int32_t TrenutniKod() const;
    // Draws the preview of the type with that Code from its stored rows (an empty box when none).
    void Nacrtaj(std::int32_t code);
    // Stores the designer's model into the current type, then draws it again.
    void SpremiProzor(TEditWindow& designer);
    void ePregledClick();
    // The partner whose types the list shows (the work orders set it).
    std::int32_t Partner = 0;

private:
    void tWinGL2BeforeDelete();
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
