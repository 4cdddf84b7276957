#pragma once
// The cutting runs of one work order on its tables: "OPTIMIZACIJA I" turns the items' copies into the
// profile cutting list ("RNOPTIMA") and the glass list ("RNOPTST"); the glass run lays that list on
// stock sheets, one glass article at a time. The user is told of every fault (app::ShowInfo).

#include "orders/cutting/Optim.h"
#include "orders/cutting/PostavkeStakla.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orders {

// Called with the phase text and how far it is; returning true stops the run.
using Napredak = std::function<bool(const std::string& faza, int pozicija, int ukupno)>;

enum class IshodRada {
    Gotovo,    // both lists written whole; the order's "Optimizacija" is set
    Nepotpuno, // written, but something is missing from them (told); "Optimizacija" stays off
    Prekinuto, // stopped by the user: the order's lists are as they were
    Odbijeno,  // the order cannot be run (told); nothing changed
};

IshodRada OptimizacijaI(std::int32_t radniNalog, const Napredak& napredak = {});

// The sheets of one glass article.
struct ListaStakla {
    std::int32_t Artikl = 0;
    std::string Sifra; // the article's code
    SheetLayout Raspored;
};

// Lays the order's glass list out on sheets, panes free to turn and no kerf. Nothing (told) when the
// order has no glass list, a glass article has no usable sheet size, or the user stops it.
std::optional<std::vector<ListaStakla>>
OptimizacijaStakla(std::int32_t radniNalog, const PostavkeStakla& postavke, const Napredak& napredak = {});

} // namespace orders
