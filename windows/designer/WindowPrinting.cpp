#include "windows/designer/WindowPrinting.h"

#include "app/data/Dialogs.h"
#include "app/data/Useful.h"
#include "fw/print/PrinterDevice.h"

#include <algorithm>
#include <cmath>

namespace windows {

namespace {

// Room kept right of and below the picture for the dimension figures (tick, gap and a four-digit figure).
constexpr double MjestoZaKote = 16.0;
// The least handle unit on paper, mm: a lever of about 4 mm on a rosette of 0.6 by 1.5 mm. The unit the
// scale gives is a dash of half a millimetre from 1:40 down, lost on paper.
constexpr double NajmanjaJedinicaKvake = 0.3;

int Zaokruzi(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

PrintLayout PagePrefs(const ModelProzora& model, int omjer, int sirinaPx, int visinaPx, int dpiX, int dpiY) {
    PrintLayout p;
    p.PixelsPerMmX = dpiX / 25.4;
    p.PixelsPerMmY = dpiY / 25.4;
    p.IshodisteX = Zaokruzi(sirinaPx * 0.05);
    p.IshodisteY = Zaokruzi(sirinaPx * 0.15);
    // Everything in device pixels, so the plan fits whatever the printer's resolution.
    const double sirina = std::max(1.0, sirinaPx - 2.0 * p.IshodisteX - MjestoZaKote * p.PixelsPerMmX);
    const double visina =
        std::max(1.0, visinaPx - p.IshodisteY - p.IshodisteX - MjestoZaKote * p.PixelsPerMmY);
    const double potreban =
        std::max(model.MaxRight * p.PixelsPerMmX / sirina, model.MaxBottom * p.PixelsPerMmY / visina);
    p.Scale = std::max({1, omjer, app::RoundToInteger(potreban) + 3});
    p.FaktorX = p.PixelsPerMmX / p.Scale;
    p.FaktorY = p.PixelsPerMmY / p.Scale;
    return p;
}

void IspisCrteza(Canvas& platno, ModelProzora& model, const PrintLayout& p, const std::string& tekst,
                 const std::string& drugiTekst, bool pokaziOmjer) {
    const int sirinaSlike =
        app::RoundToInteger(static_cast<double>(model.MaxRight) / p.Scale * p.PixelsPerMmX);
    platno.Brush = {fw::clWhite, BrushKind::Clear};
    platno.Pen = {fw::clBlack, 1, PenKind::Solid, false};
    platno.SetFont("Arial CE", 9);
    auto centrirano = [&](const std::string& t, double mmIznad) {
        // Over a picture narrower than its caption the caption starts where the picture does.
        const int x = std::max(p.IshodisteX, p.IshodisteX + sirinaSlike / 2 - platno.TextWidth(t) / 2);
        platno.TextOut(x, p.IshodisteY - Zaokruzi(mmIznad * p.PixelsPerMmY), t);
    };
    centrirano(pokaziOmjer ? "M  1:" + std::to_string(p.Scale) : tekst, 15);
    if (!drugiTekst.empty()) centrirano(drugiTekst, 10);

    if (model.Roletne) {
        platno.Brush = {fw::clBlack, BrushKind::DiagCross};
        platno.Rectangle(p.IshodisteX, p.IshodisteY - Zaokruzi(6 * p.PixelsPerMmY),
                         p.IshodisteX + sirinaSlike + 1, p.IshodisteY - Zaokruzi(p.PixelsPerMmY) + 1);
        platno.Brush.Style = BrushKind::Clear;
    }
    const PrinterTransform t(p.FaktorX, p.FaktorY, p.IshodisteX, p.IshodisteY);
    PaperDetails papir;
    papir.PixelsPerMmX = p.PixelsPerMmX;
    papir.PixelsPerMmY = p.PixelsPerMmY;
    papir.ProbeScale = DesignerScale(model.MaxRight, model.MaxBottom);
    const int piksela16 = std::max(1, 6400 / papir.ProbeScale);
    const int poMjerilu = p.Scale < 40 ? Zaokruzi(p.FaktorX / piksela16 * 20) : 2;
    papir.HandleUnit = std::max({1, poMjerilu, Zaokruzi(NajmanjaJedinicaKvake * p.PixelsPerMmX)});
    WindowPainter(platno, t, model, papir).Window();
}

int PrintType(controls::TPagePrinter& prn, ModelProzora& model, int omjer, const std::string& naslov) {
    // Asked before anything is set: the running job keeps its units.
    if (prn.Printing()) {
        app::ShowInfo(PrintBusyMessage);
        return 0;
    }
    prn.SetTitle(naslov.empty() ? "Tip prozora" : naslov);
    prn.SetMeasureUnit(controls::TMeasureUnit::muInches);
    struct VratiMilimetre {
        controls::TPagePrinter& prn;
        ~VratiMilimetre() { prn.SetMeasureUnit(controls::TMeasureUnit::muMillimeters); }
    } vrati{prn};
    prn.BeginDoc();
    PrintLayout p;
    try {
        const fw::PrinterDevice& pisac = fw::CurrentPrinter();
        p = PagePrefs(model, omjer, prn.UnitsToPixelsX(prn.PrintableWidth()),
                      prn.UnitsToPixelsY(prn.PrintableHeight()), pisac.DpiX(), pisac.DpiY());
        PageCanvasTarget platno(prn.Canvas());
        IspisCrteza(platno, model, p, "", "", true);
    } catch (...) {
        // A failed picture must not leave the printer in a document.
        prn.EndDoc();
        throw;
    }
    prn.EndDoc();
    return p.Scale;
}

} // namespace windows
