#pragma once
// The designer's articles as the tables hold them: the own company's register "SIF_ROBE.DB" with the
// profile face widths of "WROBA.DB" (both in the Global folder), and the profiles a system has in one colour
// ("WSYSTEM.DB" and "WSYSBOJE.DB" in the Lokal folder). Every answer reads the tables afresh, so what
// another station changed meanwhile is seen; a table that is missing answers none.

#include "windows/designer/EditWindow.h"

#include <cstdint>
#include <optional>

namespace windows {

class TableArticleCatalog : public ArticleCatalog {
public:
    // The articles of that partner (the own company's).
    explicit TableArticleCatalog(std::int32_t partner) : partner_(partner) {}
    std::optional<ProfileArticle> ByCode(std::int32_t code) override;
    std::optional<ProfileArticle> BySifra(const std::string& sifra) override;
    std::optional<ProfileArticle> NearestSifra(const std::string& sifra) override;

private:
    std::int32_t partner_;
};

// A system's row: its producer and the millimetre constants the designer uses.
struct SystemRow {
    std::int32_t Code = 0;
    std::string Sifra;
    std::int32_t Proizvodi = 0;
    int Razmak = 0;
    int Preklapanje = 0;
};
std::optional<SystemRow> ReadSystem(std::int32_t sistem);

// A system colour's profile articles (0 where none is set).
struct SystemColourRow {
    std::int32_t Stok = 0, Vrata = 0, Okvir = 0, KlizniOkvir = 0, Precka = 0;
};
std::optional<SystemColourRow> ReadSystemColour(std::int32_t sistem, std::int32_t boja);

// What the designer's boxes offer for a type of that system and colour; the articles are looked up in the
// catalogue (an article it lacks is left out).
SystemArticles ProfiliSustava(ArticleCatalog& artikli, std::int32_t sistem, std::int32_t boja);

} // namespace windows
