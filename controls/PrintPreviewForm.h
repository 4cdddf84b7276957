#pragma once
// TIspis, "Pregled Ispisa...": the program's one print preview. Its page printer Prn takes every printout
// of the program; the form adds a toolbar, keyboard commands, the page label and the number of copies,
// and the page-head routine PrnNewPageProc a printout sets for one document.

#include "controls/PagePrinter.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/Form.h"
#include "fw/ui/StdCtrls.h"

#include <functional>
#include <QLineEdit>
#include <QSpinBox>

class QWidget;

namespace controls {

// The number of copies: a spin field of one or two digits, 1 to 99.
class CopiesSpinEdit : public fw::ControlOf<QSpinBox> {
public:
    explicit CopiesSpinEdit(fw::Control* parent, fw::Component* owner = nullptr);
    std::function<void(CopiesSpinEdit& sender)> OnChange;
    std::string Text() const { return lineEdit()->text().toStdString(); }
    bool WantsKey(std::uint16_t key, fw::Shift shift) const override;
    // Up and Down step the number.
    void KeyDown(std::uint16_t& key, fw::Shift shift) override;
    // Only digits are typed.
    void KeyPress(std::uint8_t& key) override;

protected:
    // Page Up and Page Down turn the pages of the preview, not the number.
    void keyPressEvent(QKeyEvent* event) override;
};

class TIspis : public fw::Form {
public:
    explicit TIspis(fw::Component* owner);
    ~TIspis() override;

    TPagePrinter* Prn;
    fw::Panel* ToolBar1;
    fw::SpeedButton* bOpoziv;
    fw::SpeedButton* bIspis;
    fw::SpeedButton* bIspisCurrentPage;
    fw::SpeedButton* bFit;
    fw::SpeedButton* bZoomOut;
    fw::SpeedButton* bZoomIn;
    fw::Panel* Panel2;
    fw::Label* lPercent;
    fw::SpeedButton* bFirst;
    fw::SpeedButton* bBefore;
    fw::SpeedButton* bNext;
    fw::SpeedButton* bLast;
    fw::Panel* Panel1;
    fw::Label* lStrana;
    fw::Panel* Panel3;
    fw::Label* Label1;
    CopiesSpinEdit* eKopija;
    fw::Panel* Panel5;
    fw::SpeedButton* bPrnSetUp;
    fw::Panel* Panel4;
    fw::Label* Label2;
    fw::Label* Label3;

    void bOpozivClick();
    void bIspisClick();
    void bIspisCurrentPageClick();
    void bFirstClick();
    void bBeforeClick();
    void bNextClick();
    void bLastClick();
    void bFitClick();
    void bZoomInClick();
    void bZoomOutClick();
    void eKopijaChange();
    void bPrnSetUpClick();
    void BrojStrane();
    void PrnNewPage();
    // Whether a new printout may start: asks to drop a document still open.
    bool CanPrint();
    // Shows the form modeless; inside a modal window it belongs to that window, or it would get no input.
    void ShowPreview();

protected:
    void ShowHook() override;
    void HideHook() override;
    void KeyDownHook(std::uint16_t& key, fw::Shift shift) override;

private:
    // A run is sending the pages: the user is told, and nothing else is done.
    bool Busy();
    // Prints the pages, and drops them afterwards when Opoziv was pressed during the run.
    void PrintPages();
    bool clearAfterRun_ = false;
    fw::SpeedButton* Button(fw::Control* parent, const char* name, const char* caption, const char* hint,
                            void (TIspis::*handler)());
    void ScrollBy(bool horizontal, int delta);
};

// The preview form, created at start-up; none before that.
extern TIspis* Ispis;
// The page head of the document being built; the form clears it each time it shows.
extern std::function<void()> PrnNewPageProc;
// The printer setup dialog; answers whether the user confirmed it. Tests put a script in its place.
extern std::function<bool(QWidget* parent)> PrinterSetupProc;

// Creates the preview form (owned by the application) unless it exists.
void CreateIspis();

} // namespace controls
