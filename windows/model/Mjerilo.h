#pragma once
#include <cstdint>

namespace windows {

// The scale of a drawing: how many millimetres fill 400 pixels. The limits derive their tolerances
// from it, so it is passed to them explicitly (the work orders have no screen to take it from).
class Mjerilo {
public:
    // A scale of 0 or less has no pixel size; it is refused so no limit ever divides by it.
    explicit Mjerilo(int vrijednost);

    // The designer's scale for a window of the given size: the larger side raised to the next
    // hundred millimetres.
    static Mjerilo ZaVelicinu(int sirina, int visina);

    int Vrijednost() const { return vrijednost_; }
    // Millimetres per screen pixel; at least 1 even when 400 pixels show less than 400 mm.
    int PikselMm() const;
    int Piksela16() const { return 6400 / vrijednost_; }
    int Tolerancija1() const { return PikselMm() + Piksela16(); }
    int Tolerancija2() const { return 2 * (2 * PikselMm() + Piksela16()); }

    // Screen conversions: the product in 32 bits, divided truncating toward zero; a result outside
    // 16 bits raises base::Overflow.
    std::int16_t UPiksele(int mm) const;
    std::int16_t UMilimetre(int piksel) const;

private:
    int vrijednost_;
};

} // namespace windows
