#include "windows/model/Axis.h"
#include "windows/model/Snapshot.h"

#include "base/Exceptions.h"

#include <algorithm>

namespace windows {

using namespace detail;

namespace {

constexpr int MarginaRuba = 30;

// A door leaf on the sill follows the window's bottom instead of the frame's inner edge.
bool NaPragu(const TOkvir& s, const Os& os) {
    return !os.jeX && s.Lajsna > 0;
}

} // namespace

int ModelProzora::MaxPomak(int staraVelicina, int koja, const Mjerilo& mj) const {
    const Os& os = koja < 0 ? OsX : OsY;
    const int rub = staraVelicina - DebStoka;
    int lim = staraVelicina - 2 * DebStoka;
    for (const TPrecka& o : Precke)
        if (os.Pomice(o)) lim = std::min(lim, rub - o.*os.hi);
    // A mullion ending on the moving edge shortens; like a T-joint it keeps a margin.
    for (const TPrecka& o : Precke) {
        if (os.Pomice(o) || o.*os.hi != rub) continue;
        const int duzina = o.*os.hi - o.*os.lo;
        if (lim >= duzina) lim = duzina - MarginaRuba;
    }
    for (const TOkvir& s : Okviri) {
        if (NaPragu(s, os)) {
            lim = std::min(lim, KapacitetStrane(s, os, Strana::Hi, MarginaRuba, mj.Tolerancija1()));
            lim = std::min(lim, GranicaPraga(*this, s));
            continue;
        }
        if (s.Q != 0 && os.KvakaNaOsi(s.Q) && s.K > 0)
            lim = std::min(lim, rub - s.K - s.DebProfila - mj.Tolerancija1());
        else
            lim = std::min(lim, rub - s.*os.lo2 - s.DebProfila);
        for (const TPrecka& o : s.Precke)
            if (os.Pomice(o)) lim = std::min(lim, rub - o.*os.hi - (o.*os.hi - o.*os.lo));
        // The rule above assumes the mullion is at least as thick as the sash's band; the sash's own
        // room is what really counts for a sash on the moving edge.
        if (s.*os.hi1 == rub)
            lim = std::min(lim, KapacitetStrane(s, os, Strana::Hi, MarginaRuba, mj.Tolerancija1()));
    }
    return std::max(0, lim);
}

void ModelProzora::PrilagodiRubove(int staraVelicina, int koja) {
    const Os& os = koja < 0 ? OsX : OsY;
    const int delta = staraVelicina - this->*os.velicina;
    if (delta == 0) return;
    const int rub = staraVelicina - DebStoka;
    Atomicno([&] {
        for (TPrecka& o : Precke)
            if (!os.Pomice(o) && o.*os.hi == rub) Dodaj(o.*os.hi, -delta);
        for (TOkvir& s : Okviri)
            if (NaPragu(s, os) || s.*os.hi1 == rub) PomakniStranuOkvira(s, os, Strana::Hi, -delta);
    });
}

int ModelProzora::PostaviVelicinu(int nova, int koja, const Mjerilo& mj) {
    if (nova < 1 || nova > NajvecaVelicina) throw base::Abort();
    std::int16_t& velicina = koja < 0 ? Sirina : Visina;
    const int stara = velicina;
    if (nova < stara) nova = std::max(nova, stara - MaxPomak(stara, koja, mj));
    if (nova == stara) return stara;
    Atomicno([&] {
        velicina = static_cast<std::int16_t>(nova);
        IzracunajRubove();
        PrilagodiRubove(stara, koja);
    });
    return nova;
}

int ModelProzora::PostaviSirinu(int sirina, const Mjerilo& mj) {
    return PostaviVelicinu(sirina, -1, mj);
}
int ModelProzora::PostaviVisinu(int visina, const Mjerilo& mj) {
    return PostaviVelicinu(visina, 1, mj);
}

} // namespace windows
