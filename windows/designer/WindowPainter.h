#pragma once
// One set of picture rules for a window type, drawn on the designer's box, on the type list's preview
// and on paper. Paper adds thicker lines, the dimension figures, "FIX" on openings without a sash and a
// handle of its own shape.

#include "windows/designer/Canvas.h"
#include "windows/designer/Transforms.h"
#include "windows/model/ModelProzora.h"

#include <optional>
#include <vector>

namespace windows {

// Colours of the picture ($00BBGGRR).
inline constexpr fw::TColor SillColor = 0x008080;    // olive sill strip
inline constexpr fw::TColor OpeningColor = 0x800000; // navy opening symbols
inline constexpr fw::TColor MarkColor = 0x0000FF;    // red selection outline
inline constexpr fw::TColor MarkGrey = 0x7F7F7F;     // grey selection marks

// What the designer has selected: a sash (its partner is marked with it) or a mullion.
struct Selection {
    const TOkvir* Okvir = nullptr;
    const TPrecka* Precka = nullptr;
};

// What only paper has: the paper's device pixels per millimetre, the handle unit, and the scale the
// openings are probed at for the "FIX" labels.
struct PaperDetails {
    double PixelsPerMmX = 0, PixelsPerMmY = 0;
    int HandleUnit = 2;
    int ProbeScale = 100;
};

class WindowPainter {
public:
    // The model is read only; the hit tests the paper's "FIX" labels need are not const in the model.
    WindowPainter(Canvas& platno, const Transform& pretvorba, ModelProzora& model,
                  std::optional<PaperDetails> papir = std::nullopt);

    // The outer frame, the window mullions, then every sash with its mullions, symbols and handle.
    void Window();
    void OuterFrame();
    void Mullion(const TPrecka& p);
    void Sash(const TOkvir& s);
    void OpeningSymbols(const TOkvir& s);
    void Handle(const TOkvir& s);
    // The selection mark, exclusive-or: drawn twice, the picture is as before.
    void DrawOznaceno(const Selection& odabir);
    // The rectangle (l, t, r, b, right and bottom outside) a screen handle covers; none without a handle.
    std::optional<std::vector<int>> HandleRect(const TKoordinate& k) const;
    // A handle's rectangle cut to the sash's outer rectangle; none when nothing of it is left.
    static std::optional<std::vector<int>> ClipToSash(const TKoordinate& k, std::vector<int> r);

    TKoordinate SashCoords(const TOkvir& s) const;
    TKoordinate FrameCoords() const;

private:
    void Frame(const TKoordinate& k, const TOkvir* s);
    void FigureRight(int y, int vrijednost);
    void FigureBelow(int x, int vrijednost);
    void MarkSash(const TOkvir& s);
    void MarkMullion(const TPrecka& p);
    void PaperHandle(const TKoordinate& k);
    void FixLabels();
    int Mm(double mm, bool x) const;
    int PenWidth() const { return papir_ ? 3 : 1; }

    Canvas& c_;
    const Transform& t_;
    ModelProzora& m_;
    std::optional<PaperDetails> papir_;
};

// The designer's screen picture (the paint box): background, plan and, when something is selected, its
// mark. Nothing of the plan is drawn while the scale is 0 (the rulers not laid out yet).
void PaintDesigner(QImage& slika, ModelProzora& model, int mjerilo, const Selection& odabir,
                   bool punoBrisanje);

// The type list's preview: the scale that fits the larger side into the 200-pixel box.
int PreviewScale(const ModelProzora& model);
void PaintPreview(QImage& slika, ModelProzora& model);

// The scale of the designer's rulers: the larger side raised to whole hundreds of millimetres.
int DesignerScale(int sirina, int visina);

} // namespace windows
