#include "windows/model/Axis.h"
#include "windows/model/Snapshot.h"

#include "base/Exceptions.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace windows {

using namespace detail;

namespace {

constexpr int MarginaSpoja = 30; // a T-joint keeps this much of the mullion that ends on the moved one

std::vector<std::pair<TOkvir*, Strana>> OkviriNaPrecki(ListaOkvira& okviri, const Os& os, const TPrecka& m) {
    std::vector<std::pair<TOkvir*, Strana>> rezultat;
    for (TOkvir& s : okviri) {
        if (!Preklapa(s.*os.plo1, s.*os.phi1, m.*os.plo, m.*os.phi)) continue;
        if (s.*os.hi1 == m.*os.lo) rezultat.emplace_back(&s, Strana::Hi);
        if (s.*os.lo1 == m.*os.hi) rezultat.emplace_back(&s, Strana::Lo);
    }
    return rezultat;
}

// Moves the ends of the crossing mullions that rest on m: those before it by dLo, those after by dHi.
void PomakniSpojeve(ListaPrecki& lista, const Os& os, const TPrecka& m, int dLo, int dHi) {
    const Mm mlo = m.*os.lo, mhi = m.*os.hi;
    for (TPrecka& o : lista) {
        if (&o == &m || os.Pomice(o) || !Preklapa(o.*os.plo, o.*os.phi, m.*os.plo, m.*os.phi)) continue;
        if (o.*os.hi == mlo) Dodaj(o.*os.hi, dLo);
        if (o.*os.lo == mhi) Dodaj(o.*os.lo, dHi);
    }
}

} // namespace

int ModelProzora::MaxPomakPrecke(const TOkvir* vlasnik, const TPrecka* m, int smjer,
                                 const Mjerilo& mj) const {
    if (!m) return 0;
    const Os& os = OsSmjera(smjer);
    if (!os.Pomice(*m)) return 0;
    const bool naprijed = Znak(smjer) > 0;
    const ListaPrecki& lista = ListaZa(vlasnik);
    const int lo = vlasnik ? vlasnik->*os.lo2 : DebStoka;
    const int hi = vlasnik ? vlasnik->*os.hi2 : this->*os.velicina - DebStoka;
    int lim = naprijed ? hi - m->*os.hi : m->*os.lo - lo;
    auto preklapa = [&](const TPrecka& o) { return Preklapa(o.*os.plo, o.*os.phi, m->*os.plo, m->*os.phi); };
    for (const TPrecka& o : lista) {
        if (&o == m || !os.Pomice(o) || !preklapa(o)) continue;
        if (naprijed && o.*os.lo >= m->*os.hi) lim = std::min(lim, o.*os.lo - m->*os.hi);
        if (!naprijed && o.*os.hi <= m->*os.lo) lim = std::min(lim, m->*os.lo - o.*os.hi);
    }
    for (const TPrecka& o : lista) {
        if (os.Pomice(o) || !preklapa(o)) continue;
        if (naprijed ? o.*os.lo != m->*os.hi : o.*os.hi != m->*os.lo) continue;
        const int duzina = o.*os.hi - o.*os.lo;
        if (lim >= duzina) lim = duzina - MarginaSpoja;
    }
    if (!vlasnik) {
        for (const TOkvir& s : Okviri) {
            if (!Preklapa(s.*os.plo1, s.*os.phi1, m->*os.plo, m->*os.phi)) continue;
            if (naprijed && s.*os.lo1 == m->*os.hi) {
                lim = std::min(lim, GranicaOkviraNaPrecki(s, os, Strana::Lo, 1, mj));
                if (!os.jeX) lim = std::min(lim, GranicaPraga(*this, s));
            }
            if (!naprijed && s.*os.hi1 == m->*os.lo)
                lim = std::min(lim, GranicaOkviraNaPrecki(s, os, Strana::Hi, -1, mj));
        }
    }
    return std::max(0, lim);
}

void ModelProzora::RePaintPomak(TOkvir* vlasnik, TPrecka* m, int smjer, int delta) {
    if (!m) return;
    const Os& os = OsSmjera(smjer);
    if (!os.Pomice(*m) || delta == 0) return;
    Atomicno([&] {
        if (!vlasnik)
            for (auto [s, strana] : OkviriNaPrecki(Okviri, os, *m))
                PomakniStranuNaPrecki(*s, os, strana, delta);
        PomakniSpojeve(ListaZa(vlasnik), os, *m, delta, delta);
        Dodaj(m->*os.lo, delta);
        Dodaj(m->*os.hi, delta);
    });
}

int ModelProzora::PomakniPrecku(TOkvir* vlasnik, TPrecka* m, int smjer, int zeljeno, const Mjerilo& mj) {
    const int pomak = std::min(std::max(0, zeljeno), MaxPomakPrecke(vlasnik, m, smjer, mj));
    if (pomak > 0) RePaintPomak(vlasnik, m, smjer, Znak(smjer) * pomak);
    return pomak;
}

void ModelProzora::RepaintDebljinePrecke(TOkvir* vlasnik, TPrecka* m, int delta) {
    if (!m) return;
    const Os& os = m->Vodoravna ? OsY : OsX;
    Atomicno([&] {
        const int noviLo = m->*os.lo - delta;
        const int dLo = noviLo - m->*os.lo;
        const int dHi = noviLo + m->Debljina - m->*os.hi;
        if (!vlasnik)
            for (auto [s, strana] : OkviriNaPrecki(Okviri, os, *m))
                PomakniStranuNaPrecki(*s, os, strana, strana == Strana::Hi ? dLo : dHi);
        PomakniSpojeve(ListaZa(vlasnik), os, *m, dLo, dHi);
        Dodaj(m->*os.lo, dLo);
        Dodaj(m->*os.hi, dHi);
    });
}

int ModelProzora::PromijeniDebljinuPrecke(TOkvir* vlasnik, TPrecka* m, int debljina, const Mjerilo& mj) {
    if (!m || debljina < 1) throw base::Abort();
    const Os& os = m->Vodoravna ? OsY : OsX;
    const int stara = m->*os.hi - m->*os.lo;
    int rast = debljina - stara;
    if (rast > 0) {
        const int natrag = MaxPomakPrecke(vlasnik, m, os.jeX ? 1 : 2, mj);
        const int naprijed = MaxPomakPrecke(vlasnik, m, os.jeX ? 3 : 4, mj);
        rast = std::min(rast, 2 * std::min(natrag, naprijed));
    }
    if (rast == 0) return stara;
    Atomicno([&] {
        m->Debljina = base::Checked16(stara + rast);
        // Half of the growth goes to each side.
        RepaintDebljinePrecke(vlasnik, m, rast / 2);
    });
    return m->Debljina;
}

} // namespace windows
