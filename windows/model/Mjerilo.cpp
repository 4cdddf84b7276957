#include "windows/model/Mjerilo.h"

#include "base/Exceptions.h"
#include "base/Int16.h"

#include <algorithm>

namespace windows {

Mjerilo::Mjerilo(int vrijednost) : vrijednost_(vrijednost) {
    if (vrijednost <= 0) throw base::Exception("Mjerilo crteža nije postavljeno");
}

Mjerilo Mjerilo::ZaVelicinu(int sirina, int visina) {
    // Rounding (M + 49) / 100 to the nearest whole number is the same as raising M to whole hundreds.
    const int veca = std::max({sirina, visina, 1});
    return Mjerilo((veca + 99) / 100 * 100);
}

std::int16_t Mjerilo::UPiksele(int mm) const {
    return base::Checked16(static_cast<std::int32_t>(mm) * 400 / vrijednost_);
}

std::int16_t Mjerilo::UMilimetre(int piksel) const {
    return base::Checked16(static_cast<std::int32_t>(piksel) * vrijednost_ / 400);
}

int Mjerilo::PikselMm() const {
    return std::max(1, vrijednost_ / 400);
}

} // namespace windows
