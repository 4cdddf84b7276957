#pragma once
// One item's window as the cutting run takes it: the order's system and colour as stored, and the pieces
// of the item or why it cannot be cut. The entry of an item and the run judge a size by these same rules.

#include "orders/optima/ArtikliRobe.h"
#include "orders/optima/Komadi.h"
#include "windows/model/ModelProzora.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orders {

// The system's millimetre constants ("WSYSTEM.DB"), nothing when the system is not stored.
std::optional<KonstanteSistema> CitajKonstanteSistema(std::int32_t sistem);
// The profile articles of the system in the colour ("WSYSBOJE.DB"), nothing when it has none.
std::optional<BojaSistema> CitajBojuSistema(std::int32_t sistem, std::int32_t boja);

// What the pieces are made in: the system, its colour, the article groups of the settings and the groups of
// the articles read (kept by reference: `artikli` must outlive the result).
OkolnostiNaloga Okolnosti(const KonstanteSistema& sistem, const BojaSistema& boja,
                          const std::map<std::int32_t, Artikl>& artikli);

// Adds the pieces of one item's window (its copy, loaded) to `liste` and tells why any of it cannot be cut:
// a length past the 16-bit range or a profile piece no longer than its saw and weld allowance (the item
// then adds no piece at all), a pane with no room (left out). Empty: every piece can be cut.
std::vector<std::string> KomadiStavke(const windows::ModelProzora& model, const StavkaNaloga& stavka,
                                      const OkolnostiNaloga& okolnosti, ListeKomada& liste);

} // namespace orders
