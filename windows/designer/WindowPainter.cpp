#include "windows/designer/WindowPainter.h"

#include "app/data/Useful.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <utility>

namespace windows {

namespace {

FrameElement Element(const TOkvir& s) {
    FrameElement e;
    e.JeKrilo = true;
    e.Q = s.Q, e.K = s.K, e.Debljina = s.DebProfila, e.Lajsna = s.Lajsna;
    e.L2 = s.L2, e.T2 = s.T2, e.R2 = s.R2, e.B2 = s.B2;
    e.L1 = s.L1, e.T1 = s.T1, e.R1 = s.R1, e.B1 = s.B1;
    return e;
}

// Each double sash shows its number once, on its left leaf.
bool PisiBroj(const TOkvir& s) {
    return !s.Par || s.L2 <= s.Par->L2;
}

} // namespace

WindowPainter::WindowPainter(Canvas& platno, const Transform& pretvorba, ModelProzora& model,
                             std::optional<PaperDetails> papir)
    : c_(platno), t_(pretvorba), m_(model), papir_(papir) {}

TKoordinate WindowPainter::SashCoords(const TOkvir& s) const {
    return CalcKoord2(t_, Element(s), m_.Preklapanje);
}

TKoordinate WindowPainter::FrameCoords() const {
    FrameElement e;
    e.L1 = 0, e.T1 = 0, e.R1 = m_.MaxRight, e.B1 = m_.MaxBottom;
    e.L2 = m_.WinLeft, e.T2 = m_.WinTop, e.R2 = m_.WinRight, e.B2 = m_.WinBottom;
    return CalcKoord2(t_, e, m_.Preklapanje);
}

int WindowPainter::Mm(double mm, bool x) const {
    return static_cast<int>(std::lround(mm * (x ? papir_->PixelsPerMmX : papir_->PixelsPerMmY)));
}

void WindowPainter::Window() {
    c_.Brush = {fw::clWhite, BrushKind::Solid};
    OuterFrame();
    for (const TPrecka& p : m_.Precke)
        Mullion(p);
    for (const TOkvir& s : m_.Okviri)
        Sash(s);
    if (papir_) FixLabels();
}

void WindowPainter::OuterFrame() {
    const TKoordinate k = FrameCoords();
    Frame(k, nullptr);
    if (!papir_) return;
    FigureRight(k.Y2, m_.MaxBottom);
    FigureBelow(k.X2, m_.MaxRight);
}

void WindowPainter::Mullion(const TPrecka& p) {
    c_.Pen = {fw::clBlack, PenWidth(), PenKind::Solid, false};
    c_.Brush = {fw::clWhite, BrushKind::Solid};
    TKoordinate k;
    CalcKoord(t_, k, p.L, p.T, p.R, p.B);
    c_.Rectangle(k.X1, k.Y1, k.X2 + 1, k.Y2 + 1);
    if (!papir_) return;
    c_.SetFont("Arial CE", 8);
    if (p.Vodoravna)
        FigureRight((k.Y1 + k.Y2) / 2, (p.T + p.B) / 2);
    else
        FigureBelow((k.X1 + k.X2) / 2, (p.L + p.R) / 2);
}

void WindowPainter::Sash(const TOkvir& s) {
    for (const TPrecka& p : s.Precke)
        Mullion(p);
    const TKoordinate k = SashCoords(s);
    Frame(k, &s);
    OpeningSymbols(s);
    Handle(s);
    // The meeting line of a double sash is measured once, at its left leaf's right edge.
    if (papir_ && s.Par && PisiBroj(s)) FigureBelow(t_.X(s.R1), s.R1);
}

void WindowPainter::Frame(const TKoordinate& k, const TOkvir* s) {
    const int w = PenWidth();
    c_.Pen = {fw::clBlack, w, PenKind::Solid, false};
    if (k.LajsnaPx > 0) {
        const int dno = std::max(k.Y2, std::min(k.Y2 + k.LajsnaPx, t_.Y(m_.MaxBottom)));
        c_.Brush = {papir_ ? fw::clWhite : SillColor, papir_ ? BrushKind::Clear : BrushKind::Solid};
        c_.Rectangle(k.X1, k.Y2, k.X2 + 1, dno + 1);
    }
    c_.Brush = {fw::clWhite, BrushKind::Solid};
    c_.FillRect(k.X1, k.Y1, k.X2, k.UY1);
    c_.FillRect(k.X1, k.UY2, k.X2, k.Y2);
    c_.FillRect(k.X1, k.UY1, k.UX1, k.UY2);
    c_.FillRect(k.UX2, k.UY1, k.X2, k.UY2);
    c_.Brush = {fw::clWhite, BrushKind::Clear};
    c_.Rectangle(k.X1, k.Y1, k.X2 + 1, k.Y2 + 1);
    c_.Rectangle(k.UX1, k.UY1, k.UX2 + 1, k.UY2 + 1);
    if (s && PisiBroj(*s)) {
        c_.SetFont("Arial CE", 8);
        c_.TextOut(k.UX1 + 3, k.UY1 + 1, std::to_string(s->RedniBroj));
    }
}

void WindowPainter::OpeningSymbols(const TOkvir& s) {
    if (s.Otvaranje == 0) return;
    const TKoordinate k = SashCoords(s);
    const int l = k.UX1, t = k.UY1, r = k.UX2, b = k.UY2;
    const int w = r - l, h = b - t, mx = (l + r) / 2, my = (t + b) / 2;
    c_.Pen = {papir_ ? fw::clBlack : OpeningColor, 1, PenKind::Dotted, false};
    c_.Brush = {fw::clGray, BrushKind::Solid};
    if (s.Otvaranje & O_gore) c_.Polyline({{l + w / 10, b - 1}, {mx, t + 1}, {r - w / 10, b - 1}});
    if (s.Otvaranje & O_lijevo) c_.Polyline({{r - 1, t + h / 10}, {l + 1, my}, {r - 1, b - h / 10}});
    if (s.Otvaranje & O_desno) c_.Polyline({{l + 1, t + h / 10}, {r - 1, my}, {l + 1, b - h / 10}});
    const int d = w / 12, krak = h / 20 + 1;
    if (s.Otvaranje & K_lijevo) {
        c_.Line(r - d * 5, my, l + d * 5, my);
        c_.Line(l + d * 5, my, l + d * 6, my - krak);
        c_.Line(l + d * 5, my, l + d * 6, my + krak);
    }
    if (s.Otvaranje & K_desno) {
        c_.Line(l + d * 5, my, r - d * 5, my);
        c_.Line(r - d * 5, my, r - d * 6, my - krak);
        c_.Line(r - d * 5, my, r - d * 6, my + krak);
    }
    c_.Pen.Style = PenKind::Solid;
    c_.Brush.Style = BrushKind::Clear;
}

std::optional<std::vector<int>> WindowPainter::HandleRect(const TKoordinate& k) const {
    if (papir_ || k.QKvake < 1 || k.QKvake > 4) return std::nullopt;
    const ScreenTransform* ekran = dynamic_cast<const ScreenTransform*>(&t_);
    const int u = ekran ? 6400 / ekran->Mjerilo() : 1;
    const int K = k.KPx;
    switch (k.QKvake) {
    case 1: {
        const int x = (k.X1 + k.UX1) / 2;
        return ClipToSash(k, {x, K - u, x + 8 * u + 1, K + u + 1});
    }
    case 2: {
        const int y = (k.Y1 + k.UY1) / 2;
        return ClipToSash(k, {K - u, y, K + u + 1, y + 8 * u + 1});
    }
    case 3: {
        const int x = (k.X2 + k.UX2) / 2;
        return ClipToSash(k, {x - 8 * u, K - u, x + 1, K + u + 1});
    }
    default: {
        const int y = (k.Y2 + k.UY2) / 2;
        return ClipToSash(k, {K - u, y - 8 * u, K + u + 1, y + 1});
    }
    }
}

std::optional<std::vector<int>> WindowPainter::ClipToSash(const TKoordinate& k, std::vector<int> r) {
    // A narrow sash is shorter than the handle's bar: the bar ends at the sash's edge instead of lying over
    // the mullion or frame beside it.
    r[0] = std::max(r[0], k.X1);
    r[1] = std::max(r[1], k.Y1);
    r[2] = std::min(r[2], k.X2 + 1);
    r[3] = std::min(r[3], k.Y2 + 1);
    if (r[0] >= r[2] || r[1] >= r[3]) return std::nullopt;
    return r;
}

void WindowPainter::Handle(const TOkvir& s) {
    const TKoordinate k = SashCoords(s);
    if (papir_) {
        PaperHandle(k);
        return;
    }
    const auto r = HandleRect(k);
    if (!r) return;
    c_.Pen = {fw::clBlack, 1, PenKind::Solid, false};
    c_.Brush = {fw::clYellow, BrushKind::Solid};
    c_.Rectangle((*r)[0], (*r)[1], (*r)[2], (*r)[3]);
}

void WindowPainter::PaperHandle(const TKoordinate& k) {
    if (k.QKvake < 1 || k.QKvake > 4) return;
    const int u = std::max(1, papir_->HandleUnit);
    c_.Pen = {fw::clBlack, 1, PenKind::Solid, false};
    c_.Brush = {fw::clBlack, BrushKind::Solid};
    // A rosette of 2u by 5u on the middle of the band and a lever 13u long hanging from it (on a vertical
    // side) or lying along it (on a horizontal side).
    auto part = [&](std::vector<int> r) {
        if (const auto c = ClipToSash(k, std::move(r))) c_.Rectangle((*c)[0], (*c)[1], (*c)[2], (*c)[3]);
    };
    if (k.QKvake == 1 || k.QKvake == 3) {
        const int x = k.QKvake == 1 ? (k.X1 + k.UX1) / 2 : (k.X2 + k.UX2) / 2;
        part({x - u, k.KPx - 2 * u, x + u, k.KPx + 3 * u});
        part({x - u / 2, k.KPx, x + u - u / 2, k.KPx + 13 * u});
    } else {
        const int y = k.QKvake == 2 ? (k.Y1 + k.UY1) / 2 : (k.Y2 + k.UY2) / 2;
        part({k.KPx - 2 * u, y - u, k.KPx + 3 * u, y + u});
        part({k.KPx, y - u / 2, k.KPx + 13 * u, y + u - u / 2});
    }
}

// A figure right of the picture: a tick from 3 to 6 mm out, the value 8 mm out, centred on y.
void WindowPainter::FigureRight(int y, int vrijednost) {
    const int desno = t_.X(m_.MaxRight);
    c_.Pen = {fw::clBlack, 1, PenKind::Solid, false};
    c_.Line(desno + Mm(3, true), y, desno + Mm(6, true), y);
    c_.SetFont("Arial CE", 8);
    const std::string tekst = std::to_string(vrijednost);
    c_.TextOut(desno + Mm(8, true), y - c_.TextHeight(tekst) / 2, tekst);
}

// A figure below the picture, turned to read upwards, centred on x.
void WindowPainter::FigureBelow(int x, int vrijednost) {
    const int dolje = t_.Y(m_.MaxBottom);
    c_.Pen = {fw::clBlack, 1, PenKind::Solid, false};
    c_.Line(x, dolje + Mm(3, false), x, dolje + Mm(6, false));
    c_.SetFont("Arial CE", 8);
    const std::string tekst = std::to_string(vrijednost);
    c_.TextOut(x - c_.TextHeight(tekst) / 2, dolje + Mm(8, false) + c_.TextWidth(tekst), tekst, 90);
}

void WindowPainter::FixLabels() {
    const int piksel = std::max(1, papir_->ProbeScale / 400);
    std::set<std::pair<int, int>> oznaceni;
    c_.SetFont("Arial CE", 8);
    auto probaj = [&](int x, int y) {
        const Pogodak p = m_.Pogodi(x, y);
        if (p.Okvir || p.Precka || !m_.UnutarOkvira(x, y)) return;
        const Otvor o = m_.OtvorNaTocki(x, y);
        if (o.Okvir || !oznaceni.insert({o.Rub.L, o.Rub.T}).second) return;
        c_.TextOut(t_.X(o.Rub.L) + Mm(1, true), t_.Y(o.Rub.T) + Mm(1, false), "FIX");
    };
    for (const TPrecka& p : m_.Precke) {
        if (p.Vodoravna) {
            const int x = (p.L + p.R) / 2;
            probaj(x, p.T - piksel);
            probaj(x, p.B + piksel);
        } else {
            const int y = (p.T + p.B) / 2;
            probaj(p.L - piksel, y);
            probaj(p.R + piksel, y);
        }
    }
}

void WindowPainter::DrawOznaceno(const Selection& odabir) {
    if (odabir.Precka) {
        MarkMullion(*odabir.Precka);
    } else if (odabir.Okvir) {
        MarkSash(*odabir.Okvir);
        if (odabir.Okvir->Par) MarkSash(*odabir.Okvir->Par);
    }
    c_.Pen.Xor = false;
}

void WindowPainter::MarkSash(const TOkvir& s) {
    const TKoordinate k = SashCoords(s);
    c_.Brush = {fw::clWhite, BrushKind::Clear};
    c_.Pen = {MarkColor, 1, PenKind::Solid, true};
    c_.Rectangle(k.X1, k.Y1, k.X2 + 1, k.Y2 + 1);
    c_.Rectangle(k.UX1, k.UY1, k.UX2 + 1, k.UY2 + 1);
    c_.Pen.Color = MarkGrey;
    c_.Rectangle((k.X1 + k.UX1) / 2, (k.Y1 + k.UY1) / 2, (k.X2 + k.UX2) / 2 + 1, (k.Y2 + k.UY2) / 2 + 1);
    const int d = k.DebljinaPx / 20;
    if (d <= 0) return;
    const int w = k.UX2 - k.UX1, h = k.UY2 - k.UY1;
    for (int x : {k.UX1 + w / 4, k.UX1 + 3 * w / 4}) {
        c_.Line(x, k.UY1 - d, x, k.UY1 - 1);
        c_.Line(x, k.UY2 + 1, x, k.UY2 + d);
    }
    for (int y : {k.UY1 + h / 4, k.UY1 + 3 * h / 4}) {
        c_.Line(k.UX1 - d, y, k.UX1 - 1, y);
        c_.Line(k.UX2 + 1, y, k.UX2 + d, y);
    }
}

void WindowPainter::MarkMullion(const TPrecka& p) {
    TKoordinate k;
    CalcKoord(t_, k, p.L, p.T, p.R, p.B);
    c_.Brush = {fw::clWhite, BrushKind::Clear};
    c_.Pen = {MarkColor, 1, PenKind::Solid, true};
    c_.Rectangle(k.X1, k.Y1, k.X2 + 1, k.Y2 + 1);
    c_.Pen.Color = MarkGrey;
    const int mx = (k.X1 + k.X2) / 2, my = (k.Y1 + k.Y2) / 2;
    if (k.X2 - k.X1 < 2 || k.Y2 - k.Y1 < 2) return;
    // The middle line along the mullion, and short marks across it at a quarter and three quarters.
    if (p.Vodoravna) {
        c_.Line(k.X1 + 1, my, k.X2 - 1, my);
        const int d = k.X2 - k.X1;
        for (int x : {k.X1 + d / 4, k.X1 + 3 * d / 4}) {
            c_.Line(x, k.Y1 + 1, x, my - 1);
            c_.Line(x, my + 1, x, k.Y2 - 1);
        }
    } else {
        c_.Line(mx, k.Y1 + 1, mx, k.Y2 - 1);
        const int d = k.Y2 - k.Y1;
        for (int y : {k.Y1 + d / 4, k.Y1 + 3 * d / 4}) {
            c_.Line(k.X1 + 1, y, mx - 1, y);
            c_.Line(mx + 1, y, k.X2 - 1, y);
        }
    }
}

int DesignerScale(int sirina, int visina) {
    const int m = std::max(sirina, visina);
    return app::RoundToInteger((m + 49) * 0.1 * 0.1) * 100;
}

int PreviewScale(const ModelProzora& model) {
    const int m = std::max(model.MaxRight, model.MaxBottom);
    return std::max(100, app::RoundToInteger((m + 49) * 0.1 * 0.2) * 100);
}

namespace {

void Pozadina(QImage& slika, QPainter& p) {
    p.fillRect(slika.rect(), fw::ToQColor(fw::clBtnFace));
}

} // namespace

void PaintDesigner(QImage& slika, ModelProzora& model, int mjerilo, const Selection& odabir,
                   bool punoBrisanje) {
    QPainter p(&slika);
    if (punoBrisanje) Pozadina(slika, p);
    if (mjerilo <= 0 || model.MaxRight <= 0 || model.MaxBottom <= 0) return;
    ImageCanvas platno(p);
    const ScreenTransform t(mjerilo);
    WindowPainter crtac(platno, t, model);
    crtac.Window();
    crtac.DrawOznaceno(odabir);
}

void PaintPreview(QImage& slika, ModelProzora& model) {
    QPainter p(&slika);
    Pozadina(slika, p);
    if (model.MaxRight == 0 || model.MaxBottom == 0) return;
    ImageCanvas platno(p);
    const ScreenTransform t(PreviewScale(model));
    WindowPainter(platno, t, model).Window();
}

} // namespace windows
