#pragma once
// The designer's editing state beside the model: the tool, the selection, the pressed element, the drag
// with its ghost, the mouse and the scale. Mouse and key handlers of the form come here with pixel
// positions on the 401 x 401 box; everything is decided here, without a screen.

#include "windows/designer/WindowPainter.h"
#include "windows/model/ModelProzora.h"

#include <optional>

namespace windows {

enum class MouseButton { Left, Middle, Right };

// Tools (`Alat`).
inline constexpr int AlatOdabir = 0;
inline constexpr int AlatOkvir = 1;
inline constexpr int AlatVodoravnaPrecka = 2;
inline constexpr int AlatOkomitaPrecka = 3;
inline constexpr int AlatDvostrukiOkvir = 4;
inline constexpr int AlatKvaka = 5;

class Designer {
public:
    explicit Designer(ModelProzora& model) : Model(model) {}

    ModelProzora& Model;

    int Alat = AlatOkomitaPrecka;
    int NovaDebljina = 80;
    std::int32_t NoviArtiklPrecke = 0;
    std::int32_t NoviArtiklOkvira = 0;
    int Razmak = 0;        // the system's gap between the leaves of a double sash
    int VisinaLajsne = 45; // sill strip of new door leaves
    int NacinRada = 1;
    bool Izmijenjeno = false;

    TPrecka* OznacenaPrecka = nullptr;
    TOkvir* OznaceniOkvir = nullptr;
    TOkvir* AktivniOkvir = nullptr;
    TPrecka* PritisnutaPrecka = nullptr;
    TOkvir* PritisnutiOkvir = nullptr;

    bool MisDolje = false;
    bool PovlacenjeSpremno = false;
    bool Povlacenje = false;
    bool Pomaknuto = false;
    bool DuhVidljiv = false;
    bool PomakTipkom = false;
    int DuhL = 0, DuhT = 0, DuhR = 0, DuhB = 0;
    int MisX = 0, MisY = 0;
    int KursorX = -1, KursorY = -1;
    // Millimetres on 400 pixels; 0 until the rulers are laid out, and nothing converts before.
    int Mjerilo = 0;

    // A new showing: nothing selected or pressed, no drag, no scale yet, vertical-mullion tool.
    void Reset();
    // Scale and frame edges after a change of width, height or frame thickness.
    void CalcRuller();
    windows::Mjerilo Scale() const { return windows::Mjerilo(Mjerilo); }
    int Piksela16() const { return Mjerilo > 0 ? 6400 / Mjerilo : 0; }
    Selection Current() const { return {OznaceniOkvir, OznacenaPrecka}; }

    // A left press selects, creates or places a handle, and arms a drag; the other buttons do nothing here.
    void MouseDown(MouseButton button, int x, int y);
    // The element under a pixel is the selected one (a right click on it deletes it).
    bool HitsSelection(int x, int y);
    void MouseMove(int x, int y);
    void MouseUp(MouseButton button, int x, int y);
    // Alt+arrow: the selected mullion one pixel in a direction (1 left, 2 up, 3 right, 4 down).
    void PomakniPrecku(int smjer);
    // Deletes the selected mullion, or else the selected sash with its partner, when the rules allow.
    // True when something was deleted.
    bool DeleteSelection();
    void NacinOtvaranja(int bit);
    void ToggleRoletne();

    // The size and frame-thickness edits: refused values raise base::Abort; return the value accepted.
    int SetWidth(int sirina);
    int SetHeight(int visina);
    int SetFrameThickness(int debljina);
    // The 1 mm arrow buttons: 1 narrower, 2 lower, 3 wider, 4 higher (bLeft, bUp, bRight, bDown).
    void Arrow(int smjer);

    // The dragged mullion's outline in mm while a drag shows it.
    std::optional<Pravokutnik> Duh() const;

private:
    int UMm(int piksel) const;
    void ClearPointers();
};

} // namespace windows
