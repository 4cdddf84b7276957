#pragma once
// The lines of a work order's two printed lists, worked out before any page is built: the profile cutting
// list with its article headings and the rest of every stock bar, and the glass list with its article
// headings. No Qt here.

#include "orders/printouts/PodaciNaloga.h"

#include <map>
#include <string>
#include <vector>

namespace orders {

inline constexpr const char* NaslovPojacanja = "***   Pojačanja Profila    ***";

struct RedListe {
    enum class Oblik {
        Naslov, // an article heading, centred across the list
        Redak,  // a table row in the list's columns
    };
    Oblik Vrsta = Oblik::Redak;
    std::string Tekst;
    bool KrajSipke = false; // the last piece of a stock bar: a rule goes under it
};

struct ListaProfila {
    std::vector<RedListe> Redovi;
    // Set when an article of the list is missing from the article tables: what to tell the user.
    std::string Greska;
};

// The profile cutting list: a heading at the first row and at every change of article (the separator
// before the reinforcements gets its own heading), and one row per piece: item, article, colour, the
// first length, the two angles and the second length. The pieces of one bar are summed up to the bar's
// length: the last piece of a bar carries the bar's rest in an eighth column. A bar ends when the next
// piece would pass its length, at a change of article and at the end of the list.
ListaProfila SlozListuProfila(const std::vector<RedOptime>& redovi,
                              const std::map<std::int32_t, ArtiklIspisa>& artikli, const std::string& boja);

// The glass list: a heading at every change of article (with the sheet's size) and one row per line of
// the list. Lines of an article the tables do not know are left out.
std::vector<RedListe> SlozListuStakla(const std::vector<RedStaklaIspisa>& redovi,
                                      const std::map<std::int32_t, ArtiklIspisa>& artikli);

} // namespace orders
