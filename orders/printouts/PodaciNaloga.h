#pragma once
// What the printouts of a work order read from the tables, gathered once before a document starts: the
// order's header with the names its page head shows, its items, its two cutting lists and the articles
// those lists name. No Qt here.

#include "base/CroatianFormat.h"
#include "orders/optima/Optima.h"
#include "windows/storage/TypeRows.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orders {

struct StavkaIspisa {
    std::int16_t Stavka = 0;
    std::int16_t Kolicina = 0;
    std::int16_t Sirina = 0;
    std::int16_t Visina = 0;
    double Cijena = 0;
    std::string Tip; // the type's code ("WINGL" Sifra)
};

// An article as the lists print it: its code and name ("SIF_ROBE") and its bar length, or its sheet's
// width and height ("WROBA").
struct ArtiklIspisa {
    bool USifRobe = false;
    std::string Sifra;
    std::string Naziv;
    bool UWRobi = false;
    int Debljina = 0; // profile thickness, or the sheet's width
    int Duzina = 0;   // bar length, or the sheet's height
};

// One row of the glass list ("RNOPTST").
struct RedStaklaIspisa {
    std::int16_t Rbr = 0;
    std::int32_t Artikl = 0;
    std::int16_t Kolicina = 0;
    std::int16_t Prozor = 0;
    std::int16_t Duzina = 0;
    std::int16_t Sirina = 0;
};

struct NalogZaIspis {
    std::int32_t Code = 0;
    std::int32_t Broj = 0;
    std::string Sifra;
    std::optional<base::Date> Datum;
    std::string Narucioc;
    double Iznos = 0;
    std::string Naputak;
    std::string SifraSistema;                     // "WSYSTEM" Sifra
    std::string SifraBoje;                        // "SIF_BOJA" Sifra
    std::string Poduzece;                         // the own company's name
    std::string Mjesto;                           // and its place
    windows::ZadaneVrijednosti Zadano;            // what loading the items' copies fills in
    std::vector<StavkaIspisa> Stavke;             // in item order
    std::vector<RedOptime> Optima;                // the profile cutting list, in Rbr order
    std::vector<RedStaklaIspisa> Stakla;          // the glass list, in Rbr order
    std::map<std::int32_t, ArtiklIspisa> Artikli; // every article the two lists name
};

// The order with the given RADNINAL Code; nothing (told) when there is none.
std::optional<NalogZaIspis> CitajNalogZaIspis(std::int32_t radniNalog);

// The own company's name and place: its "PARTNER" row, else what start-up found.
void CitajPoduzece(std::string& naziv, std::string& mjesto);

// The listed articles from the "Global" folder's "SIF_ROBE" (the own company's row first) and "WROBA".
std::map<std::int32_t, ArtiklIspisa> CitajArtikleIspisa(const std::vector<std::int32_t>& kodovi);

} // namespace orders
