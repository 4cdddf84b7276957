// The printed lists worked out without a page: the bars and their rests on the profile list, the article
// headings of both lists and the articles they cannot do without; where the pictures go; how much of a
// sheet is used.

#include "orders/printouts/IspisListeStakla.h"
#include "orders/printouts/ListeNaloga.h"
#include "orders/printouts/RasporedSlika.h"

#include <gmock/gmock.h>

using namespace orders;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

RedOptime Komad(std::int16_t rbr, std::int32_t artikl, std::int16_t prozor, std::int16_t duzina) {
    RedOptime r;
    r.Rbr = rbr;
    r.Artikl = artikl;
    r.Prozor = prozor;
    r.Duzina = duzina;
    r.Duzina1 = static_cast<std::int16_t>(duzina - 4);
    r.Duzina2 = static_cast<std::int16_t>(duzina - 10);
    r.KutL = r.KutD = 45;
    return r;
}

RedOptime Razdjelnik(std::int16_t rbr) {
    RedOptime r;
    r.Rbr = rbr;
    r.Razdjelnik = true;
    return r;
}

ArtiklIspisa Sipka(const std::string& sifra, const std::string& naziv, int duzina) {
    return {true, sifra, naziv, true, 70, duzina};
}

// Each line as "# heading", a row as its text, a row that ends a bar with a trailing " =".
std::vector<std::string> Tekst(const std::vector<RedListe>& redovi) {
    std::vector<std::string> out;
    for (const RedListe& r : redovi)
        out.push_back(r.Vrsta == RedListe::Oblik::Naslov ? "# " + r.Tekst
                                                         : r.Tekst + (r.KrajSipke ? " =" : ""));
    return out;
}

TEST(ListaProfila, BarsEndAtTheirLengthAtAnArticleChangeAndAtTheEnd) {
    const std::map<std::int32_t, ArtiklIspisa> artikli{{101, Sipka("S70", "Štok 70", 3000)},
                                                       {105, Sipka("Z1", "Željezo", 6000)}};
    // Three bars of 3000 mm as the run writes them (1500 800 700 | 2000 | 1200), the separator, and two
    // reinforcements on one bar.
    const std::vector<RedOptime> redovi{Komad(1, 101, 2, 1500), Komad(2, 101, 1, 800),  Komad(3, 101, 3, 700),
                                        Komad(4, 101, 1, 2000), Komad(5, 101, 2, 1200), Razdjelnik(6),
                                        Komad(7, 105, 1, 2500), Komad(8, 105, 2, 2400)};
    const ListaProfila l = SlozListuProfila(redovi, artikli, "BIJELA");
    EXPECT_THAT(l.Greska, IsEmpty());
    EXPECT_THAT(Tekst(l.Redovi),
                ElementsAre("# Artikl: S70  -  Štok 70   -> o. m. = 3000", "2|S70|BIJELA|1496|45|45|1490",
                            "1|S70|BIJELA|796|45|45|790", "3|S70|BIJELA|696|45|45|690|0 =",
                            "1|S70|BIJELA|1996|45|45|1990|1000 =", "2|S70|BIJELA|1196|45|45|1190|1800 =",
                            "# ***   Pojačanja Profila    ***", "# Artikl: Z1  -  Željezo   -> o. m. = 6000",
                            "1|Z1|BIJELA|2496|45|45|2490", "2|Z1|BIJELA|2396|45|45|2390|1100 ="));
}

TEST(ListaProfila, AnArticleMissingFromEitherTableStopsTheList) {
    const std::vector<RedOptime> redovi{Komad(1, 101, 1, 1000), Komad(2, 102, 1, 900)};
    struct Slucaj {
        ArtiklIspisa drugi;
        std::string greska;
    } slucajevi[] = {
        {{true, "O1", "Okvir", false, 0, 0}, "Artikl 102 nije pronađen u \"WRoba\"!!!"},
        {{false, "", "", true, 70, 6500}, "Artikl 102 nije pronađen u \"Sif_Robe\"!!!"},
        {Sipka("O1", "Okvir", 6500), ""},
    };
    for (const Slucaj& s : slucajevi) {
        const ListaProfila l = SlozListuProfila(redovi, {{101, Sipka("S", "Š", 6500)}, {102, s.drugi}}, "B");
        EXPECT_EQ(l.Greska, s.greska);
        EXPECT_EQ(l.Redovi.size(), s.greska.empty() ? 4u : 2u) << s.greska;
    }
    EXPECT_THAT(SlozListuProfila({}, {}, "B").Redovi, IsEmpty());
}

TEST(ListaStakla, HeadsEachArticleWithItsSheetAndLeavesOutUnknownArticles) {
    const std::map<std::int32_t, ArtiklIspisa> artikli{{201, {true, "G4", "Float 4 mm", true, 2000, 3000}},
                                                       {202, {true, "G6", "Float 6 mm", false, 0, 0}}};
    const std::vector<RedStaklaIspisa> redovi{
        {1, 201, 2, 1, 670, 870}, {2, 202, 1, 2, 500, 400}, {3, 201, 1, 3, 1156, 956}, {4, 203, 1, 3, 9, 9}};
    EXPECT_THAT(Tekst(SlozListuStakla(redovi, artikli)),
                ElementsAre("# Artikl: G4  -  Float 4 mm   -> o. m. = 2000 x 3000", "1|G4|2 kom|670|870",
                            "# Artikl: G4  -  Float 4 mm   -> o. m. = 2000 x 3000", "3|G4|1 kom|1156|956"));
}

TEST(RasporedSlika, RowsWrapBelowTheTallestPictureAndPagesBreakWhenARowDoesNotFit) {
    // A4 less 15 mm margins: pictures from (20, 55) to (195, 277). A picture takes its width / 50 + 25 mm
    // across and its height / 50 + 15 + 17 mm down.
    RasporedSlika r(20, 55, 195, 277);
    struct Korak {
        int sirina, visina;
        bool nova;
        double x, y, kraj;
    } koraci[] = {
        {1000, 800, false, 20, 55, 103},   // 45 x 48 mm
        {2000, 2000, false, 65, 55, 127},  // 65 x 72: the row is 72 high
        {1500, 1000, false, 130, 55, 127}, // ends at 185
        {1000, 1000, false, 20, 127, 179}, // would end at 230: next row, below the tallest picture
        {3000, 2500, false, 65, 127, 209}, // 85 x 82
        {2000, 1000, false, 20, 209, 261}, // next row, still on the page down to 261
        {1000, 3250, true, 20, 55, 152},   // fits across, but 209 + 97 passes the bottom
        {12000, 12000, true, 20, 55, 327}, // larger than a page: a page of its own
        {1000, 1000, true, 20, 55, 107},   // nothing fits beside or below that one
    };
    for (const Korak& k : koraci) {
        const RasporedSlika::Mjesto m = r.Sljedece(k.sirina, k.visina);
        EXPECT_EQ(m.NovaStrana, k.nova) << k.sirina << "x" << k.visina;
        EXPECT_DOUBLE_EQ(m.X, k.x) << k.sirina << "x" << k.visina;
        EXPECT_DOUBLE_EQ(m.Y, k.y) << k.sirina << "x" << k.visina;
        EXPECT_DOUBLE_EQ(r.Kraj(), k.kraj) << k.sirina << "x" << k.visina;
    }
}

// A small window's place is as wide as its caption and a gap, a larger one keeps its own width.
TEST(RasporedSlika, APlaceIsAtLeastAsWideAsItsCaption) {
    RasporedSlika r(20, 55, 195, 277);
    EXPECT_DOUBLE_EQ(r.Sljedece(300, 300, 40).X, 20);
    EXPECT_DOUBLE_EQ(r.Sljedece(300, 300, 40).X, 20 + 40 + RasporedSlika::RazmakNatpisa);
    EXPECT_DOUBLE_EQ(r.Sljedece(1000, 300, 40).X, 20 + 2 * (40 + RasporedSlika::RazmakNatpisa));
    EXPECT_DOUBLE_EQ(r.Sljedece(300, 300).X, 20 + 2 * (40 + RasporedSlika::RazmakNatpisa) + 45);
}

TEST(Iskoristenje, PercentOfTheSheetInThePlainNumberFormat) {
    SheetLayout r;
    r.SirinaPloce = 2000;
    r.VisinaPloce = 1000;
    r.BrojPloca = 3;
    r.Izresci = {{1, 1, 0, 0, 1000, 1000},
                 {2, 1, 1000, 0, 1000, 1000}, // covers sheet 1
                 {3, 2, 0, 0, 1000, 875},
                 {4, 2, 1000, 0, 1000, 875}, // 87,5 %
                 {5, 3, 0, 0, 700, 300}};    // 10,5 %
    EXPECT_EQ(Iskoristenje(r, 1), "100");
    EXPECT_EQ(Iskoristenje(r, 2), "87,5");
    EXPECT_EQ(Iskoristenje(r, 3), "10,5");
    EXPECT_EQ(Iskoristenje(r, 4), "0");
}

} // namespace
