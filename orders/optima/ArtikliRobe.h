#pragma once
// What the article tables of the "Global" folder ("SIF_ROBE", "WROBA") hold of the articles a cutting run
// looks up, read once per run.

#include <cstdint>
#include <map>
#include <string>

namespace orders {

struct Artikl {
    bool USifRobe = false;
    std::string Sifra;
    std::int32_t Grupa = 0;
    bool UWRobi = false;
    int Debljina = 0, Duzina = 0; // profile thickness or sheet width; bar length or sheet height
};

std::map<std::int32_t, Artikl> CitajArtikle();

} // namespace orders
