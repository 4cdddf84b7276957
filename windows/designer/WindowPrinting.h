#pragma once
// A window type printed to scale through the page printer: the scale line, the roller-shutter box and
// the plan with its dimension figures.

#include "controls/PagePrinter.h"
#include "windows/designer/WindowPainter.h"

#include <string>

namespace windows {

// The page layout of one printed plan, all in device pixels of the page.
struct PrintLayout {
    int Scale = 50;          // the scale denominator n (1:n)
    double PixelsPerMmX = 0; // device pixels per millimetre of paper
    double PixelsPerMmY = 0;
    double FaktorX = 0, FaktorY = 0; // device pixels per millimetre of the plan
    int IshodisteX = 0, IshodisteY = 0;
};

inline constexpr const char* PrintBusyMessage = controls::PrintBusyMessage;

// The layout for a printable area of sirinaPx x visinaPx at dpiX x dpiY: the origin 5 % of the width in
// from the left and 15 % down from the top, and the scale raised from `omjer` to the smallest that fits
// the plan with its figures on the page.
PrintLayout PagePrefs(const ModelProzora& model, int omjer, int sirinaPx, int visinaPx, int dpiX, int dpiY);

// The title line(s) above the picture and the picture: "M  1:n" when pokaziOmjer, else tekst; drugiTekst,
// when not empty, 10 mm above the picture.
void IspisCrteza(Canvas& platno, ModelProzora& model, const PrintLayout& p, const std::string& tekst,
                 const std::string& drugiTekst, bool pokaziOmjer);

// The designer's print: a document of one page on the page printer, titled naslov ("Tip prozora" when
// empty). Returns the scale used, or 0 when an earlier print is still running (the user is told so and
// nothing starts).
int PrintType(controls::TPagePrinter& prn, ModelProzora& model, int omjer, const std::string& naslov = {});

} // namespace windows
