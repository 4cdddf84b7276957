#include "windows/model/Axis.h"

#include "base/Exceptions.h"

#include <algorithm>
#include <limits>

namespace windows::detail {

const Os OsX{.lo = &TPrecka::L,
             .hi = &TPrecka::R,
             .plo = &TPrecka::T,
             .phi = &TPrecka::B,
             .vodoravna = 0,
             .lo1 = &TOkvir::L1,
             .hi1 = &TOkvir::R1,
             .lo2 = &TOkvir::L2,
             .hi2 = &TOkvir::R2,
             .plo1 = &TOkvir::T1,
             .phi1 = &TOkvir::B1,
             .velicina = &ModelProzora::Sirina,
             .jeX = true};
const Os OsY{.lo = &TPrecka::T,
             .hi = &TPrecka::B,
             .plo = &TPrecka::L,
             .phi = &TPrecka::R,
             .vodoravna = 1,
             .lo1 = &TOkvir::T1,
             .hi1 = &TOkvir::B1,
             .lo2 = &TOkvir::T2,
             .hi2 = &TOkvir::B2,
             .plo1 = &TOkvir::L1,
             .phi1 = &TOkvir::R1,
             .velicina = &ModelProzora::Visina,
             .jeX = false};

const Os& OsSmjera(int smjer) {
    if (smjer == 1 || smjer == 3) return OsX;
    if (smjer == 2 || smjer == 4) return OsY;
    throw base::Exception("Nepoznat smjer pomaka");
}

int KapacitetStrane(const TOkvir& s, const Os& os, Strana strana, int margina, int tolerancija) {
    const bool lo = strana == Strana::Lo;
    const int unutra = s.*os.hi2 - s.*os.lo2;
    const int traka = lo ? s.*os.lo2 - s.*os.lo1 : s.*os.hi1 - s.*os.hi2;
    // The glazing keeps at least 1 mm.
    int cap = std::min(unutra - 1, unutra + traka - s.DebProfila);
    for (const TPrecka& o : s.Precke)
        if (os.Pomice(o)) cap = std::min(cap, lo ? o.*os.lo - s.*os.lo2 : s.*os.hi2 - o.*os.hi);
    const int rub = lo ? s.*os.lo2 : s.*os.hi2;
    for (const TPrecka& o : s.Precke) {
        if (os.Pomice(o) || (lo ? o.*os.lo : o.*os.hi) != rub) continue;
        const int duzina = o.*os.hi - o.*os.lo;
        if (cap >= duzina) cap = duzina - margina;
    }
    if (s.Q != 0 && os.KvakaNaOsi(s.Q))
        cap = std::min(cap, lo ? s.K - s.*os.lo2 - tolerancija : s.*os.hi2 - s.K - tolerancija);
    return std::max(0, cap);
}

void PomakniStranuOkvira(TOkvir& s, const Os& os, Strana strana, int delta) {
    const bool lo = strana == Strana::Lo;
    const Mm rub = lo ? s.*os.lo2 : s.*os.hi2;
    for (TPrecka& o : s.Precke)
        if (!os.Pomice(o) && (lo ? o.*os.lo : o.*os.hi) == rub) Dodaj(lo ? o.*os.lo : o.*os.hi, delta);
    Dodaj(lo ? s.*os.lo1 : s.*os.hi1, delta);
    Dodaj(lo ? s.*os.lo2 : s.*os.hi2, delta);
}

namespace {

// The leaf beside the moving mullion: its side on the mullion moves by delta, everything else of it
// (meeting side, mullions, handle) by h, so its interior keeps its place against the meeting line.
void PomakniListUzPrecku(TOkvir& s, const Os& os, Strana strana, int delta, int h) {
    const bool lo = strana == Strana::Lo;
    const Mm rub = lo ? s.*os.lo2 : s.*os.hi2;
    for (TPrecka& o : s.Precke) {
        const bool poprecna = !os.Pomice(o);
        Dodaj(o.*os.lo, poprecna && lo && o.*os.lo == rub ? delta : h);
        Dodaj(o.*os.hi, poprecna && !lo && o.*os.hi == rub ? delta : h);
    }
    if (s.Q != 0 && os.KvakaNaOsi(s.Q)) Dodaj(s.K, h);
    Dodaj(lo ? s.*os.lo1 : s.*os.hi1, delta);
    Dodaj(lo ? s.*os.lo2 : s.*os.hi2, delta);
    Dodaj(lo ? s.*os.hi1 : s.*os.lo1, h);
    Dodaj(lo ? s.*os.hi2 : s.*os.lo2, h);
}

} // namespace

void PomakniStranuNaPrecki(TOkvir& s, const Os& os, Strana strana, int delta) {
    if (!s.Par || !os.jeX) {
        PomakniStranuOkvira(s, os, strana, delta);
        return;
    }
    const int h = delta >> 1; // the floor of half
    PomakniListUzPrecku(s, os, strana, delta, h);
    // The partner's meeting side is on the same end as this leaf's side on the mullion.
    PomakniStranuOkvira(*s.Par, os, strana, h);
}

int GranicaPraga(const ModelProzora& m, const TOkvir& s) {
    return s.Lajsna > 0 ? m.WinBottom - s.T1 - 1 : std::numeric_limits<int>::max();
}

namespace {

// The largest move f such that one leaf shrinks by ceil(f/2) and the other by floor(f/2).
int GranicaPara(int kapacitetGore, int kapacitetDolje) {
    if (kapacitetGore > kapacitetDolje) return 2 * kapacitetDolje + 1;
    return 2 * kapacitetGore;
}

} // namespace

int GranicaOkviraNaPrecki(const TOkvir& s, const Os& os, Strana strana, int znak, const Mjerilo& mj) {
    const int vlastiti = KapacitetStrane(s, os, strana, 100, mj.Tolerancija2());
    if (!s.Par || !os.jeX) return vlastiti;
    const int partner = KapacitetStrane(*s.Par, os, strana, 30, mj.Tolerancija1());
    // Moving left the partner takes the larger half of the move; moving right this leaf does.
    return znak < 0 ? GranicaPara(partner, vlastiti) : GranicaPara(vlastiti, partner);
}

} // namespace windows::detail
