#pragma once
// TEditWindow, "Izrada tipova prozora": the window-type designer. The plan of the shared model on a
// 401 x 401 box between two rulers, the six tools, the opening modes, the size and frame-thickness edits
// with their 1 mm arrows, the data of the selected element, delete, refresh and printing to scale.
// The type list and the work orders open it on their type (PrikaziIzraduTipa) and give it, through the
// hooks below, the articles of the type's system and what closing does with the model.

#include "controls/BtChkBox.h"
#include "controls/PLSpin.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/StdCtrls.h"
#include "kit/MyForm.h"
#include "windows/designer/Designer.h"
#include "windows/designer/DesignerBox.h"
#include "windows/designer/MyPaint.h"
#include "windows/designer/TextCombo.h"

#include <functional>
#include <optional>
#include <string>

namespace windows {

// A profile article as the designer shows it.
struct ProfileArticle {
    std::int32_t Code = 0;
    std::string Sifra;
    std::string Naziv;
    int Debljina = 0; // profile face width in mm
    // As every article box shows it.
    std::string Tekst() const { return Sifra + " : " + Naziv; }
};

// The own company's articles as the designer looks them up (the opener puts the register behind it).
class ArticleCatalog {
public:
    virtual ~ArticleCatalog() = default;
    virtual std::optional<ProfileArticle> ByCode(std::int32_t code) = 0;
    virtual std::optional<ProfileArticle> BySifra(const std::string& sifra) = 0;
    // The article whose Sifra is the first at or after the text (the last one when none is).
    virtual std::optional<ProfileArticle> NearestSifra(const std::string& sifra) = 0;
};

// The profiles of the type's system in its colour, and the system's overlap and leaf gap.
struct SystemArticles {
    std::optional<ProfileArticle> Okvir, KlizniOkvir, Vrata, Precka;
    int Preklapanje = 0;
    int Razmak = 0;
};

class TEditWindow : public kit::TMyForm {
public:
    explicit TEditWindow(fw::Component* owner, ModelProzora& model = SharedModel());

    Designer D;

    DesignerBox* PaintBox;
    TRuller* RH;
    TRuller* RV;
    fw::Label* Xpos;
    fw::Label* Ypos;

    fw::SpeedButton* bOznaci;
    fw::SpeedButton* bOkvir;
    fw::SpeedButton* bHorzPrecka;
    fw::SpeedButton* bVertPrecka;
    fw::SpeedButton* bDupOkvir;
    fw::SpeedButton* bKvaka;

    fw::SpeedButton* O_gore;
    fw::SpeedButton* O_lijevo;
    fw::SpeedButton* O_desno;
    fw::SpeedButton* K_lijevo;
    fw::SpeedButton* K_desno;

    fw::SpeedButton* bUkljuciRoletne;
    fw::SpeedButton* brefresh;
    fw::BitBtn* bBrisi;
    fw::BitBtn* bISPIS;
    fw::BitBtn* PrinterSetup;
    controls::TPlSpinEdit* eOmjer;

    fw::Edit* eWidth;
    fw::Edit* eHeight;
    fw::Edit* eDebPrecke;
    fw::SpeedButton* bUp;
    fw::SpeedButton* bDown;
    fw::SpeedButton* bLeft;
    fw::SpeedButton* bRight;

    controls::TBitCheckBox* chVrata;
    TextCombo* cLajsna;

    fw::Notebook* nOznaceni;
    fw::Notebook* nNovi;
    TextCombo* cSif_stoka;
    TextCombo* cOznArtiklOkvira;
    TextCombo* cOznArtiklPrecke;
    TextCombo* CNoviArtiklOkvira;
    TextCombo* CNoviArtiklPrecke;
    fw::Edit* eDebljina;
    fw::Edit* eNovaDebljina;
    fw::Edit* OOkomito;
    fw::Edit* OVodoravno;
    fw::Label* OLijevo;
    fw::Label* ODesno;
    fw::Label* OGore;
    fw::Label* ODolje;

    // --- what the opener provides ------------------------------------------------------------------------
    // The article register; without one the article boxes stay empty.
    ArticleCatalog* Artikli = nullptr;
    // The profiles of the type's system and colour, read on every showing (mode 1 from the type list's
    // current type, mode 2 from the work-order copy).
    std::function<SystemArticles(TEditWindow&)> ArtikliSustava;
    // Closing: the answer "Da" to the save question stores the model where it came from (false: it was not
    // stored, and the designer stays open with the drawing); otherwise the caller's picture is drawn again
    // from what is stored.
    std::function<bool(TEditWindow&)> SpremiProzor;
    std::function<void(TEditWindow&)> Nacrtaj;

    // --- handlers ---------------------------------------------------------------------------------------
    void EditFormShow();
    void PaintBoxMouseDown(MouseButton button, int x, int y);
    void PaintBoxMouseMove(int x, int y);
    void PaintBoxMouseUp(MouseButton button, int x, int y);
    void EditFormKeyDown(std::uint16_t& key, fw::Shift shift);
    void ToolClick(int alat);
    void OpeningClick(int bit);
    void eWidthExit();
    void eHeightExit();
    void eDebPreckeExit();
    void OOkomitoExit();
    void OVodoravnoExit();
    void cLajsnaExit();
    void chVrataClick();
    void bArrowClick(int smjer);
    void bBrisiClick();
    void brefreshClick();
    void bISPISClick();
    void bUkljuciRoletneClick();
    // Whether the designer may close.
    bool EditFormCloseQuery();
    void EditFormClose();
    // The article boxes filled from the system's profiles; the frame article from the type.
    void PrijenosArtikala();
    void TraziArtiklOkvira();
    void TraziArtiklPrecke();
    void ArticleEnter(TextCombo& combo);
    void cSif_stokaExit();
    void cOznArtiklOkviraExit();
    void cOznArtiklPreckeExit();
    void CNoviArtiklExit(TextCombo& combo);

    // Lays out the rulers and the scale, shows the coordinates.
    void CalcRuller();
    // Paints the plan again and brings the opening buttons in line with the selection.
    void OsvjeziSliku();
    // The fields of the selected element (or none). With `fokus` the focus goes to the selected sash's
    // article box (or, with nothing selected, to the width); an edit's exit shows the data where it is.
    void ShowSelectionData(bool fokus = true);
    // After a change that may have moved the selected element: the plan again, and the element's new data.
    void PrikaziIzmjenu();
    void DrawCoords();

private:
    fw::SpeedButton* Dugme(fw::Control* parent, const char* name, const char* caption, const char* hint,
                           int x, int y, int w = 25, int h = 25);
    fw::Edit* Polje(fw::Control* parent, const char* name, int x, int y, int w);
    fw::Label* Natpis(fw::Control* parent, const char* name, const char* caption, int x, int y);
    void Build();
    void PostaviAlat(int alat);
    void UpdateOpeningButtons();
    void PrikaziVrata();
    // The type has no stored frame yet (a new type): its thickness is still the article's to give.
    bool NovOkvir() const;
    std::string TekstArtikla(std::int32_t code) const;
    // The article a box's text names: "Sifra : Naziv" exactly, else the nearest Sifra to the text.
    std::optional<ProfileArticle> NadjiArtikl(const std::string& tekst) const;
    // Puts the remembered text back and keeps the focus in the box.
    // The article a box names once its text was changed: none for the text it had on entry or an empty
    // one, so passing through a box never changes what is stored.
    std::optional<ProfileArticle> UpisaniArtikl(const TextCombo& combo) const;
    // The thickness new elements get, shown in its display-only edit.
    void PostaviNovuDebljinu(int debljina);
    [[noreturn]] void OdbijArtikl(TextCombo& combo, const std::string& poruka);
    SystemArticles sustav_;
    std::string zapamceno_;
    // Reads a whole number from an edit; refused text puts the current value back, beeps and keeps the focus.
    int Broj(fw::Edit& edit, int trenutni, int najmanji, int najveci);
    void RulerMark(TRuller& r, QPainter& p);
};

struct EditWindowState {
    // The form variable: nil until the designer is first opened.
    TEditWindow* EditWindow = nullptr;
};
extern EditWindowState EditWindowForm;

// Opens the designer over the caller with a caption, in mode 1 (a type of the type list) or 2 (the copy
// of a work-order item); `prepare` gives it the opener's hooks before it shows.
void PrikaziIzraduTipa(fw::Form* sender, const std::string& caption, int mode,
                       const std::function<void(TEditWindow&)>& prepare = {});

} // namespace windows
