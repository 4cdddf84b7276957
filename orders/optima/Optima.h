#pragma once
// The profile cutting run over an order's gathered pieces: each kind sorted and laid on its stock bars,
// the bars written as rows of the cutting list ("RNOPTIMA"). No tables here.

#include "orders/optima/Komadi.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orders {

// One row of the cutting list; the separator between profiles and reinforcements has Prozor 0 and
// nothing else but its number.
struct RedOptime {
    std::int16_t Rbr = 0;
    std::int32_t Artikl = 0;
    std::int16_t Prozor = 0;
    std::int16_t Duzina = 0, Duzina1 = 0, Duzina2 = 0;
    std::int16_t KutL = 0, KutD = 0;
    bool Razdjelnik = false;
};

// What the article tables say of a bar article.
struct PodaciSipke {
    bool UWRobi = false;   // the article has its profile data
    int Duzina = 0;        // bar length, mm
    bool USifRobe = false; // the article is known at all
    std::string Sifra;     // its code, for the message
};

struct TokOptime {
    std::function<PodaciSipke(std::int32_t artikl)> Sipka;
    // Called with the phase text and how far the run is; returning true stops the run.
    std::function<bool(const std::string& faza, int pozicija, int ukupno)> Napredak;
};

// A piece that fits no bar: its bar article's code, item, length and why.
struct IzostavljeniKomad {
    std::string Sifra;
    std::int16_t Prozor = 0;
    std::int16_t Duzina = 0;
    std::string Razlog;
};

struct IshodOptime {
    std::vector<RedOptime> Redovi;
    std::vector<std::string> Poruke;             // for the user, in the order they arose
    std::vector<IzostavljeniKomad> Izostavljeni; // for the user, in one list
    bool Potpun = true;                          // every piece of every kind is on the list
    bool Prekinut = false;                       // stopped by the user: the rows are not to be kept
    bool Preljev = false;                        // more rows than the list can number (told)
};

// Sorts and combines the kinds: frames, sashes, door leaves, mullions and sliding sashes, a separator,
// then the reinforcements (a sliding sash's on its own bars). A kind whose bar article cannot be found is
// reported and skipped; a piece that fits no bar is listed and left out; either leaves the list incomplete.
IshodOptime Optima(const ListeKomada& liste, const KonstanteSistema& sistem, const BojaSistema& boja,
                   const TokOptime& tok);

} // namespace orders
