#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Filling stock profile bars with the pieces of one article kind.
//
// Use: gather the pieces of one kind in the order of the kind list (newest first), call Sort on them,
// then Kombinacija with the bar length of the kind's article. The result holds the bars in the order
// they were filled, each bar's pieces in the order they are written to the cutting list, and every
// piece that could not go on any bar with the reason. Each input piece appears exactly once: on a bar
// or among the left-out pieces.
namespace orders {

// One piece to saw.
struct TKomad {
    std::int16_t Prozor = 0;   // item number the piece belongs to
    std::int32_t Artikl = 0;   // profile article
    std::int16_t Kolicina = 0; // number of panes (glass kind only)
    std::int16_t Sirina = 0;   // pane width (glass kind only)
    std::int16_t Duzina = 0;   // length to cut in mm, allowances included
    std::uint8_t KutL = 90;    // angle of the first end in degrees
    std::uint8_t KutD = 90;    // angle of the second end in degrees
};

// Why a piece was left off every bar.
enum class PieceFault {
    LengthNotPositive,    // the piece's length is 0 or negative
    LongerThanBar,        // the piece is longer than the bar
    BarLengthNotPositive, // the article's bar length is 0 or negative
};

struct LeftOutPiece {
    TKomad Komad;
    PieceFault Razlog;
};

// One filled bar.
struct Sipka {
    std::vector<TKomad> Komadi; // written order: longest first, equal lengths by higher item number
    int Iskoristeno = 0;        // sum of the pieces' lengths
};

struct BarLayout {
    std::vector<Sipka> Sipke;
    std::vector<LeftOutPiece> Izostavljeni; // in the order of the sorted list
};

// Orders a kind list longest first, equal lengths by descending item number. This is the exchange
// sort of the cutting list (contents swapped in place); pieces equal in both length and item number
// end in the order its exchanges leave them, which a stable sort would not reproduce.
void Sort(std::vector<TKomad>& lista);

// Fills bars of the given length with the pieces of a list ordered by Sort (raises base::Exception
// when the list is not in that order). Bars are filled greedily in list order, then each bar is
// improved by trying to swap one of its pieces for a set of shorter pieces that fill it better.
BarLayout Kombinacija(const std::vector<TKomad>& sortirana, int duzinaSipke);

// The user's text for a left-out piece (Croatian).
std::string Opis(PieceFault razlog);

} // namespace orders
