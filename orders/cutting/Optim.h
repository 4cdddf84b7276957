#pragma once
#include "orders/cutting/PostavkeStakla.h"

#include <cstdint>
#include <string>
#include <vector>

// Laying rectangular glass panes on stock sheets of one size.
//
// Use, per glass article: fill a list of panes (`Broj` is the caller's identity, usually the item
// number; `Sirina` along the sheet's width, `Visina` along its height), order it with
// SortPiecesByArea, and call RunCuttingOptimisation with the sheet, the kerf, whether panes may be
// turned and the switches. The result holds, sheet by sheet, where every pane is cut, and the panes
// that fit on no sheet with the reason. Every input pane appears exactly once: as a cut-out or among
// the left-out panes. Coordinates are whole millimetres from the sheet's corner; a pane cut at (X, Y)
// occupies [X, X + Sirina + Rez) x [Y, Y + Visina + Rez), and no two of these boxes meet.
namespace orders {

// A pane to place.
struct TKomadStakla {
    std::int16_t Broj = 0;
    std::int16_t Sirina = 0;
    std::int16_t Visina = 0;
    std::uint8_t Postavljen = 0; // 1 while it lies in the strip being filled
    std::uint8_t Uz = 0;         // cleared when the pane is placed
};

// A pane placed on the sheet being filled.
struct TSmjestaj {
    std::int16_t Broj = 0;
    std::int16_t Ploca = 0; // strip counter when recorded
    std::int16_t X = 0;
    std::int16_t Y = 0;
    std::int16_t Sirina = 0;
    std::int16_t Visina = 0;
    std::int32_t Indeks = 0; // the pane's place in the pane list when recorded
};

// A finished cut-out: the engine's output.
struct TIzrezak {
    std::int16_t Broj = 0;
    std::int16_t Ploca = 0; // sheet number from 1
    std::int16_t X = 0;
    std::int16_t Y = 0;
    std::int16_t Sirina = 0; // as cut: a turned pane has its sides swapped
    std::int16_t Visina = 0;
};

struct SheetJob {
    int SirinaPloce = 0; // sheet width, 1..32767 mm
    int VisinaPloce = 0; // sheet height, 1..32767 mm
    int Rez = 0;         // saw kerf between panes, 0..255 mm
    bool Okretno = true; // panes may be turned by 90 degrees
    PostavkeStakla Postavke;
};

// Why a pane was left out.
enum class PaneFault {
    SizeNotPositive, // width or height 0 or negative
    LargerThanSheet, // does not fit on an empty sheet in any allowed orientation
    TooHighForStrip, // fits the sheet but is exactly as high as the sheet less the kerf, which the
                     // strict strip placement test never accepts
};

struct LeftOutPane {
    TKomadStakla Komad; // as the caller gave it
    PaneFault Razlog;
};

struct SheetLayout {
    // The sheet's sides as the results read them: with Okretno a landscape sheet is worked upright
    // and stays so.
    int SirinaPloce = 0;
    int VisinaPloce = 0;
    int BrojPloca = 0;             // sheets used; none when nothing was placed
    std::vector<TIzrezak> Izresci; // sheet by sheet
    std::vector<LeftOutPane> Izostavljeni;
};

// Largest area first: the exchange sort of the glass list. Panes of equal area end in the order its
// exchanges leave them.
void SortPiecesByArea(std::vector<TKomadStakla>& komadi);

// Lays the panes out in list order (normally after SortPiecesByArea). Raises base::Exception for a
// sheet side outside 1..32767 or a kerf outside 0..255.
SheetLayout RunCuttingOptimisation(std::vector<TKomadStakla> komadi, const SheetJob& job);

// The user's text for a left-out pane (Croatian).
std::string Opis(PaneFault razlog);

} // namespace orders
