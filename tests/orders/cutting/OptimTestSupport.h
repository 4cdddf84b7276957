#pragma once
#include "orders/cutting/Optim.h"

#include <ostream>
#include <tuple>
#include <vector>

namespace orders {

// Cut-outs compared as (Broj, Ploca, X, Y, Sirina, Visina).
using Cut = std::tuple<int, int, int, int, int, int>;

inline std::vector<Cut> Cuts(const SheetLayout& layout) {
    std::vector<Cut> out;
    for (const TIzrezak& r : layout.Izresci)
        out.emplace_back(r.Broj, r.Ploca, r.X, r.Y, r.Sirina, r.Visina);
    return out;
}

inline TKomadStakla Pane(int broj, int sirina, int visina) {
    TKomadStakla k;
    k.Broj = static_cast<std::int16_t>(broj);
    k.Sirina = static_cast<std::int16_t>(sirina);
    k.Visina = static_cast<std::int16_t>(visina);
    return k;
}

// A job with every switch off, so each test turns on only what it is about.
inline SheetJob PlainJob(int sirina, int visina, int rez = 0, bool okretno = false) {
    SheetJob job;
    job.SirinaPloce = sirina;
    job.VisinaPloce = visina;
    job.Rez = rez;
    job.Okretno = okretno;
    job.Postavke = PostavkeStakla{false, false, false, false, false, false};
    return job;
}

} // namespace orders
