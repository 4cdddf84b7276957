#pragma once
// An item's own copy of its window type: the catalogue type fitted to the item's width and height,
// re-coloured to the order's colour, and stored under the order and item number. No form here.

#include "windows/model/ModelProzora.h"

#include <cstdint>

namespace orders {

struct StavkaZaPrilagodbu {
    std::int32_t RN = 0;     // the order's Code
    std::int32_t Stavka = 0; // the item number
    std::int32_t Tip = 0;    // the catalogue type's Code
    int Sirina = 0, Visina = 0;
    std::int32_t Sistem = 0, Boja = 0; // the order's
};

// The factors of the last fitting (item size over the type's size).
struct FaktoriPrilagodbe {
    double FaktorSirine = 1, FaktorVisine = 1;
};

// Fits the type to the item in the model (emptied first) and stores it as the item's copy, replacing the
// old one. Returns the new copy's Code, or 0 when nothing was stored (told); the model is emptied.
std::int32_t PrilagodiStavku(windows::ModelProzora& model, const StavkaZaPrilagodbu& s,
                             FaktoriPrilagodbe* faktori = nullptr);

} // namespace orders
