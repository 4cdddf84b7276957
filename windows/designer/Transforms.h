#pragma once
// Millimetres of the plan turned into device pixels: on screen mm * 400 div Mjerilo, on paper
// mm * factor + page origin. Painting works on the converted rectangles of the element in hand.

#include <cstdint>

namespace windows {

// The last converted element: outer and inner rectangle, sill height, profile thickness, handle.
struct TKoordinate {
    int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    int UX1 = 0, UY1 = 0, UX2 = 0, UY2 = 0;
    int LajsnaPx = 0;
    int DebljinaPx = 0;
    int KPx = 0;
    int QKvake = 0;
};

class Transform {
public:
    virtual ~Transform() = default;
    // A position on the device.
    virtual int X(int mm) const = 0;
    virtual int Y(int mm) const = 0;
    // A length on the device (no origin).
    virtual int DuljinaX(int mm) const = 0;
    virtual int DuljinaY(int mm) const = 0;
    virtual bool NaPapiru() const = 0;
};

// The screen: Mjerilo millimetres on 400 pixels. The product is formed in 32 bits and divided
// truncating toward zero; a result outside 16 bits raises base::Overflow. A scale of 0 (the rulers not
// laid out yet) is refused, so nothing ever divides by it.
class ScreenTransform : public Transform {
public:
    explicit ScreenTransform(int mjerilo);
    int Mjerilo() const { return mjerilo_; }
    int X(int mm) const override { return Piksel(mm); }
    int Y(int mm) const override { return Piksel(mm); }
    int DuljinaX(int mm) const override { return Piksel(mm); }
    int DuljinaY(int mm) const override { return Piksel(mm); }
    bool NaPapiru() const override { return false; }
    int Piksel(int mm) const;
    // Pixel back to millimetres (mouse positions).
    int Milimetar(int piksel) const;

private:
    int mjerilo_;
};

// Paper: device units per millimetre of the plan and the plan's origin on the page.
class PrinterTransform : public Transform {
public:
    PrinterTransform(double faktorX, double faktorY, int ishodisteX, int ishodisteY)
        : FaktorX(faktorX), FaktorY(faktorY), IshodisteX(ishodisteX), IshodisteY(ishodisteY) {}
    int X(int mm) const override;
    int Y(int mm) const override;
    int DuljinaX(int mm) const override;
    int DuljinaY(int mm) const override;
    bool NaPapiru() const override { return true; }

    double FaktorX, FaktorY;
    int IshodisteX, IshodisteY;
};

// X1..Y2 from a rectangle in mm.
void CalcKoord(const Transform& p, TKoordinate& k, int l, int t, int r, int b);

// A sash (jeKrilo) or the outer frame into Koordinate. A sash is drawn grown by the overlap where it lies
// on the frame: on all four sides when its left and right bands are equal, else not on its wider (meeting)
// side, and a door leaf not at the bottom.
struct FrameElement {
    bool JeKrilo = false;
    int Q = 0, K = 0, Debljina = 0, Lajsna = 0;
    int L2 = 0, T2 = 0, R2 = 0, B2 = 0;
    int L1 = 0, T1 = 0, R1 = 0, B1 = 0;
};
TKoordinate CalcKoord2(const Transform& p, const FrameElement& e, int preklapanje);

} // namespace windows
