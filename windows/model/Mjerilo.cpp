#include "windows/model/Mjerilo.h"

#include "base/Exceptions.h"

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

int Mjerilo::PikselMm() const {
    return std::max(1, vrijednost_ / 400);
}

} // namespace windows
