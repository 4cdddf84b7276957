#include "windows/model/Axis.h"
#include "windows/model/Snapshot.h"

#include "base/Exceptions.h"

#include <algorithm>

namespace windows {

using namespace detail;

namespace {

struct NaStoku {
    bool lo = false, hi = false;
};

// Which sides of a sash lie on the outer frame of thickness e. A door leaf's sill is not the frame.
NaStoku StraneNaStoku(const ModelProzora& m, const TOkvir& s, const Os& os, int e) {
    NaStoku n;
    n.lo = s.*os.lo1 <= e;
    n.hi = s.*os.hi1 >= m.*os.velicina - e && !(!os.jeX && s.Lajsna > 0);
    return n;
}

} // namespace

int ModelProzora::MaxDebljinaStoka(const Mjerilo& mj) const {
    int lim = (std::min(Sirina, Visina) - 2 * DebStoka) / 2;
    for (const TPrecka& o : Precke) {
        const Os& os = o.Vodoravna ? OsY : OsX;
        lim = std::min({lim, o.*os.lo - DebStoka, this->*os.velicina - DebStoka - o.*os.hi});
        // A mullion ending on the frame shortens by the growth at each such end; it keeps 1 mm.
        const Os& duz = o.Vodoravna ? OsX : OsY;
        const int krajeva = int(o.*duz.lo <= DebStoka) + int(o.*duz.hi >= this->*duz.velicina - DebStoka);
        if (krajeva > 0) lim = std::min(lim, (o.*duz.hi - o.*duz.lo - 1) / krajeva);
    }
    for (const TOkvir& s : Okviri) {
        // A door leaf hanging from the top frame comes down as the bottom edge goes up.
        if (s.Lajsna > 0) lim = std::min(lim, GranicaPraga(*this, s) / (s.T1 <= DebStoka ? 2 : 1));
        for (const Os* os : {&OsX, &OsY}) {
            const NaStoku n = StraneNaStoku(*this, s, *os, DebStoka);
            const int strana = int(n.lo) + int(n.hi);
            if (strana == 0) continue;
            // A sash on two opposite sides shrinks from both; its glazing keeps 1 mm.
            lim = std::min(lim, (s.*os->hi2 - s.*os->lo2 - 1) / strana);
            const bool kvaka = s.Q != 0 && os->KvakaNaOsi(s.Q);
            if (kvaka && n.lo) lim = std::min(lim, s.K - s.*os->lo2 - mj.Tolerancija2());
            if (kvaka && n.hi) lim = std::min(lim, s.*os->hi2 - s.K - mj.Tolerancija2());
            for (const TPrecka& o : s.Precke) {
                if (!os->Pomice(o)) {
                    const int krajeva =
                        int(n.lo && o.*os->lo == s.*os->lo2) + int(n.hi && o.*os->hi == s.*os->hi2);
                    if (krajeva > 0) lim = std::min(lim, (o.*os->hi - o.*os->lo - 1) / krajeva);
                    continue;
                }
                if (n.lo) lim = std::min(lim, o.*os->lo - s.*os->lo2 - 1);
                if (n.hi) lim = std::min(lim, s.*os->hi2 - o.*os->hi - 1);
            }
        }
    }
    return std::max(0, lim);
}

void ModelProzora::ReCalcProzor(int delta) {
    if (delta == 0) return;
    const int e = DebStoka + delta;
    Atomicno([&] {
        for (TPrecka& o : Precke) {
            const Os& duz = o.Vodoravna ? OsX : OsY; // the axis the mullion spans
            const bool lo = o.*duz.lo <= e, hi = o.*duz.hi >= this->*duz.velicina - e;
            if (lo) Dodaj(o.*duz.lo, -delta);
            if (hi) Dodaj(o.*duz.hi, delta);
        }
        for (TOkvir& s : Okviri) {
            for (const Os* os : {&OsX, &OsY}) {
                const NaStoku n = StraneNaStoku(*this, s, *os, e);
                if (n.lo) PomakniStranuOkvira(s, *os, Strana::Lo, -delta);
                if (n.hi) PomakniStranuOkvira(s, *os, Strana::Hi, delta);
            }
        }
    });
}

int ModelProzora::PostaviDebStoka(int debljina, const Mjerilo& mj) {
    if (debljina < 1) throw base::Abort();
    const int stara = DebStoka;
    if (debljina > stara) debljina = std::min(debljina, stara + MaxDebljinaStoka(mj));
    if (debljina == stara) return stara;
    Atomicno([&] {
        DebStoka = static_cast<std::int16_t>(debljina);
        IzracunajRubove();
        ReCalcProzor(stara - debljina);
    });
    return debljina;
}

} // namespace windows
