#pragma once
// An item's own copy of its window type: the catalogue type fitted to the item's width and height,
// re-coloured to the order's colour, and stored under the order and item number. No form here.

#include "windows/model/ModelProzora.h"

#include <cstdint>
#include <string>

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

// Whether the type can be fitted to the item's size: every element of the fitted copy keeps room inside
// its profiles (no sash or mullion turned inside out, every opening and glazing left open). Empty when
// it can (or when there is no such type to tell of); otherwise the refusal, naming the smallest size the
// type takes at the item's other dimension.
std::string ProvjeriMjere(const StavkaZaPrilagodbu& s);

// Fits the type to the item in the model (emptied first) and stores it as the item's copy, replacing the
// old one. Returns the new copy's Code, or 0 when nothing was stored (told, also for a size the type
// cannot take); the model is emptied.
std::int32_t PrilagodiStavku(windows::ModelProzora& model, const StavkaZaPrilagodbu& s,
                             FaktoriPrilagodbe* faktori = nullptr);

} // namespace orders
