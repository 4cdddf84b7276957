#include "windows/designer/Transforms.h"

#include "base/Exceptions.h"
#include "base/Int16.h"

#include <cmath>

namespace windows {

ScreenTransform::ScreenTransform(int mjerilo) : mjerilo_(mjerilo) {
    if (mjerilo <= 0) throw base::Exception("Mjerilo crteža nije postavljeno");
}

int ScreenTransform::Piksel(int mm) const {
    return base::Checked16(static_cast<std::int32_t>(mm) * 400 / mjerilo_);
}

int ScreenTransform::Milimetar(int piksel) const {
    return base::Checked16(static_cast<std::int32_t>(piksel) * mjerilo_ / 400);
}

int PrinterTransform::X(int mm) const {
    return static_cast<int>(std::trunc(mm * FaktorX)) + IshodisteX;
}
int PrinterTransform::Y(int mm) const {
    return static_cast<int>(std::trunc(mm * FaktorY)) + IshodisteY;
}
int PrinterTransform::DuljinaX(int mm) const {
    return static_cast<int>(std::trunc(mm * FaktorX));
}
int PrinterTransform::DuljinaY(int mm) const {
    return static_cast<int>(std::trunc(mm * FaktorY));
}

void CalcKoord(const Transform& p, TKoordinate& k, int l, int t, int r, int b) {
    k.X1 = p.X(l);
    k.Y1 = p.Y(t);
    k.X2 = p.X(r);
    k.Y2 = p.Y(b);
}

TKoordinate CalcKoord2(const Transform& p, const FrameElement& e, int preklapanje) {
    TKoordinate k;
    CalcKoord(p, k, e.L2, e.T2, e.R2, e.B2);
    k.UX1 = k.X1, k.UY1 = k.Y1, k.UX2 = k.X2, k.UY2 = k.Y2;
    k.DebljinaPx = p.NaPapiru() ? 0 : p.DuljinaX(e.Debljina);
    k.LajsnaPx = p.DuljinaX(e.Lajsna);
    if (e.Q == 1 || e.Q == 3)
        k.KPx = p.Y(e.K);
    else if (e.Q == 2 || e.Q == 4)
        k.KPx = p.X(e.K);
    else
        k.KPx = p.NaPapiru() ? e.K : p.X(e.K);
    k.QKvake = e.Q;
    int l = e.L1, t = e.T1, r = e.R1, b = e.B1;
    if (e.JeKrilo) {
        // The overlap is in millimetres: grown before converting, so screen and paper agree.
        const int lijevi = e.L2 - e.L1, desni = e.R1 - e.R2;
        if (lijevi <= desni) l -= preklapanje;
        if (desni <= lijevi) r += preklapanje;
        t -= preklapanje;
        if (e.Lajsna <= 0) b += preklapanje;
    }
    CalcKoord(p, k, l, t, r, b);
    return k;
}

} // namespace windows
