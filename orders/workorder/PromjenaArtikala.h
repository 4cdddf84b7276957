#pragma once
// Re-colouring an item's copy: the articles of the type's colour give way to those of the order's colour
// in the same system, and where a new profile is thicker or thinner the window is re-fitted around it.

#include "orders/optima/ArtikliRobe.h"
#include "orders/optima/Komadi.h"
#include "windows/model/ModelProzora.h"

#include <cstdint>
#include <map>

namespace orders {

struct GrupeArtikala {
    std::int32_t GrupaStoka = 1;
    std::int32_t GrupaVrata = 4;
    std::int32_t GrupaKliznogOkvira = 6;
};

// The outer frame takes `Stok`; the sashes `Vrata`, `KlizniOkvir` or `Okvir` by the group of the article
// they had; the window mullions `Stok` (those of the outer-frame group) or `Precka`. Mullions inside
// sashes keep theirs. Thickness changes stay within what the neighbours leave room for. Raises
// base::Overflow when a value leaves the 16-bit range.
void PromjenaArtikala(windows::ModelProzora& model, const BojaSistema& boja,
                      const std::map<std::int32_t, Artikl>& artikli, const GrupeArtikala& grupe);

} // namespace orders
