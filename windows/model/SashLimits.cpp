#include "windows/model/Axis.h"
#include "windows/model/Snapshot.h"

#include "base/Exceptions.h"

#include <algorithm>

namespace windows {

using namespace detail;

int ModelProzora::MaxPomakSredineOkvira(const TOkvir* s, int strana, const Mjerilo& mj) const {
    if (!s) return 0;
    const int pola = 10 * mj.PikselMm() / 2;
    int lim = s->R2 - s->L2 - 1;
    for (const TPrecka& o : s->Precke) {
        if (strana == 0)
            lim = std::min(lim, o.Vodoravna ? s->R2 - o.L - pola : s->R2 - o.R);
        else
            lim = std::min(lim, o.Vodoravna ? o.R - s->L2 - pola : o.L - s->L2);
    }
    if (s->Q == 2 || s->Q == 4)
        lim =
            std::min(lim, strana == 0 ? s->R2 - s->K - mj.Tolerancija1() : s->K - s->L2 - mj.Tolerancija1());
    // Never more than the real room: a line pushed past a mullion would leave it outside its sash.
    return std::max(0, lim);
}

int ModelProzora::PomakniSredinuOkvira(TOkvir* s, int delta, const Mjerilo& mj) {
    if (!s || !s->Par || delta == 0) return 0;
    TOkvir* lijevi = s->R1 == s->Par->L1 ? s : s->Par;
    TOkvir* desni = lijevi->Par;
    if (lijevi->R1 != desni->L1) return 0;
    if (delta > 0)
        delta = std::min(delta, MaxPomakSredineOkvira(desni, 1, mj));
    else
        delta = -std::min(-delta, MaxPomakSredineOkvira(lijevi, 0, mj));
    if (delta == 0) return 0;
    Atomicno([&] {
        PomakniStranuOkvira(*lijevi, OsX, Strana::Hi, delta);
        PomakniStranuOkvira(*desni, OsX, Strana::Lo, delta);
    });
    return delta;
}

namespace {

// Room for the glazing rectangle to shrink on every side by the same amount.
int GranicaDebljine(const TOkvir& s, int margina, const Mjerilo& mj) {
    int lim = std::min((s.B2 - s.T2 - 1) / 2, (s.R2 - s.L2 - 1) / 2);
    const int tol = mj.Tolerancija2();
    if (s.Q == 1 || s.Q == 3) lim = std::min({lim, s.K - s.T2 - tol, s.B2 - s.K - tol});
    if (s.Q == 2 || s.Q == 4) lim = std::min({lim, s.K - s.L2 - tol, s.R2 - s.K - tol});
    for (const TPrecka& o : s.Precke) {
        const Os& poprijeko = o.Vodoravna ? OsY : OsX; // the axis of the mullion's thickness
        const Os& duz = o.Vodoravna ? OsX : OsY;       // the axis it spans
        lim = std::min({lim, s.*poprijeko.hi2 - o.*poprijeko.hi, o.*poprijeko.lo - s.*poprijeko.lo2});
        if (o.*duz.lo == s.*duz.lo2 && o.*duz.hi == s.*duz.hi2)
            lim = std::min(lim, (o.*duz.hi - o.*duz.lo - 1) / 2);
        if (o.*duz.lo == s.*duz.lo2 && o.*duz.hi <= s.*duz.lo2 + lim) lim = o.*duz.hi - s.*duz.lo2 - margina;
        if (o.*duz.hi == s.*duz.hi2 && s.*duz.hi2 - lim <= o.*duz.lo) lim = s.*duz.hi2 - o.*duz.lo - margina;
    }
    return lim;
}

int NajuzaTraka(const TOkvir& s) {
    return std::min({s.L2 - s.L1, s.T2 - s.T1, s.R1 - s.R2, s.B1 - s.B2});
}

} // namespace

int ModelProzora::MaxPomakDebljineOkvira(const TOkvir* s, const Mjerilo& mj) const {
    if (!s) return 0;
    int lim = GranicaDebljine(*s, 5, mj);
    if (s->Par) lim = std::min(lim, GranicaDebljine(*s->Par, 10, mj));
    const int px = mj.PikselMm();
    return std::max(0, lim) / px * px;
}

void ModelProzora::RePaintPomakDebljineOkvira(TOkvir* s, int delta) {
    if (!s || delta == 0) return;
    Atomicno([&] {
        for (TOkvir* x : {s->Par, s}) {
            if (!x) continue;
            for (TPrecka& o : x->Precke) {
                const Os& duz = o.Vodoravna ? OsX : OsY;
                const bool lo = o.*duz.lo == x->*duz.lo2, hi = o.*duz.hi == x->*duz.hi2;
                if (lo) Dodaj(o.*duz.lo, delta);
                if (hi) Dodaj(o.*duz.hi, -delta);
            }
            Dodaj(x->L2, delta);
            Dodaj(x->T2, delta);
            Dodaj(x->R2, -delta);
            Dodaj(x->B2, -delta);
            // Both leaves of a double sash share one profile.
            Dodaj(x->DebProfila, delta);
        }
    });
}

int ModelProzora::PromijeniDebljinuOkvira(TOkvir* s, int debljina, const Mjerilo& mj) {
    if (!s || debljina < 1) throw base::Abort();
    int rast = debljina - s->DebProfila;
    if (rast > 0) rast = std::min(rast, MaxPomakDebljineOkvira(s, mj));
    if (rast < 0) {
        // A thinner profile widens the glazing, but never past the sash's outer edge.
        int traka = NajuzaTraka(*s);
        if (s->Par) traka = std::min(traka, NajuzaTraka(*s->Par));
        rast = std::max(rast, -std::max(0, traka));
    }
    RePaintPomakDebljineOkvira(s, rast);
    return s->DebProfila;
}

} // namespace windows
