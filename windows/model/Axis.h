#pragma once
#include "windows/model/ModelProzora.h"

#include "base/Int16.h"

namespace windows::detail {

using Mm = std::int16_t;

// One axis of the plan, so each rule is written once for x and y. A mullion "moving along" the axis
// is the one that crosses it: a vertical mullion moves along x.
struct Os {
    Mm TPrecka::*lo;
    Mm TPrecka::*hi;
    Mm TPrecka::*plo;
    Mm TPrecka::*phi;
    std::uint8_t vodoravna; // orientation of the mullions that move along this axis
    Mm TOkvir::*lo1;
    Mm TOkvir::*hi1;
    Mm TOkvir::*lo2;
    Mm TOkvir::*hi2;
    Mm TOkvir::*plo1;
    Mm TOkvir::*phi1;
    Mm ModelProzora::*velicina;
    bool jeX;

    // The handle position K is a coordinate along this axis (the handle sits on a band across it).
    bool KvakaNaOsi(int q) const { return jeX ? (q == 2 || q == 4) : (q == 1 || q == 3); }
    bool Pomice(const TPrecka& p) const { return p.Vodoravna == vodoravna; }
};

extern const Os OsX;
extern const Os OsY;
const Os& OsSmjera(int smjer);
inline int Znak(int smjer) {
    return smjer == 3 || smjer == 4 ? 1 : -1;
}

enum class Strana { Lo, Hi };

inline void Dodaj(Mm& polje, int delta) {
    polje = base::Checked16(polje + delta);
}
inline bool Preklapa(int alo, int ahi, int blo, int bhi) {
    return alo < bhi && blo < ahi;
}

// How far one glazing side of a sash may move inward without inverting the sash, pushing a parallel
// mullion out, crushing a mullion that ends on that side (it keeps `margina` mm) or passing the handle.
int KapacitetStrane(const TOkvir& s, const Os& os, Strana strana, int margina, int tolerancija);

// Moves one side (outer and glazing edge) of a sash; mullions ending on the glazing edge follow.
void PomakniStranuOkvira(TOkvir& s, const Os& os, Strana strana, int delta);

// Moves the side of a sash that lies on a moving mullion. A leaf of a double sash moved across takes
// the meeting line with it by half the move (rounded down), and its own interior moves with the line.
void PomakniStranuNaPrecki(TOkvir& s, const Os& os, Strana strana, int delta);

// How far the frame's inner bottom may rise, or a door leaf's top come down, before the leaf would lie
// wholly in the sill zone and lose its sides; unlimited for other sashes.
int GranicaPraga(const ModelProzora& m, const TOkvir& s);

// How far a mullion may move into the sash whose side lies on it.
int GranicaOkviraNaPrecki(const TOkvir& s, const Os& os, Strana strana, int znak, const Mjerilo& mj);

} // namespace windows::detail
