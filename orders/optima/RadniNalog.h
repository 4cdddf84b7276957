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
    Gotovo,     // both lists written whole; the order's "Optimizacija" is set
    Nepotpuno,  // written, but something is missing from them (told); "Optimizacija" stays off
    Prekinuto,  // stopped by the user: the order's lists are as they were
    Odbijeno,   // the order cannot be run (told); nothing changed
    Neuspjelo,  // failed on the way (told): the order's lists and "Optimizacija" are as they were
    Zastarjelo, // written, but the order changed while it ran (told); "Optimizacija" stays off
};

// One run at a time in this program (a second is refused, told), however it is started.
IshodRada OptimizacijaI(std::int32_t radniNalog, const Napredak& napredak = {});
// Whether a cutting run is going in this program.
bool RadTece();

// Holds this program's one cutting run for the length of a scope; refused (told) while another is going.
class JedanRad {
public:
    JedanRad();
    ~JedanRad();
    JedanRad(const JedanRad&) = delete;
    JedanRad& operator=(const JedanRad&) = delete;
    bool Odbijen() const { return odbijen_; }

private:
    bool odbijen_;
};

// Every change of what the order's lists are cut from (an item's quantity, size, type or glass, its copy,
// an item added or deleted, the order's system or colour) calls this: the order is no longer optimised and
// its lists are out of date. Taken under the order's record lock, so that a run finishing beside it cannot
// call the order optimised after the change.
void OznaciNeoptimiziran(std::int32_t radniNalog);
// The order's stored "Optimizacija": its lists are those of its items as they are.
bool Optimiziran(std::int32_t radniNalog);
// The text of the refusal to print a list of an order that is not optimised.
extern const char* const ListeNisuAzurne;

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
