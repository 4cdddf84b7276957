#include "orders/optima/Komadi.h"
#include "orders/optima/Optima.h"
#include "tests/orders/OrderTables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace orders;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using windows::ModelProzora;

namespace {

// Kerf 2 (RP 4), welding 3 (VR 6), overlap 8, gap 10, glass 5 per edge, mullion allowance 10.
OkolnostiNaloga Okolnosti() {
    OkolnostiNaloga o;
    o.Sistem = ordertables::Constants();
    o.Boja = ordertables::Profiles();
    o.GrupaStoka = 1;
    o.GrupaKliznogOkvira = 7;
    o.GrupaArtikla = [](std::int32_t a) { return a == 101 ? 1 : a == 109 ? 7 : 2; };
    return o;
}

void Prozor(ModelProzora& m, int sirina, int visina) {
    m.OslobodiMemoriju();
    m.PostaviOkvirProzora(sirina, visina, 60);
    m.Preklapanje = 8;
    m.ArtiklStoka = 101;
}

void Precka(ModelProzora& m, int l, int t, int r, int b, std::int32_t artikl = 103) {
    windows::TPrecka& p = m.NewPrecka(nullptr);
    p.L = static_cast<std::int16_t>(l), p.T = static_cast<std::int16_t>(t);
    p.R = static_cast<std::int16_t>(r), p.B = static_cast<std::int16_t>(b);
    p.Vodoravna = (r - l) > (b - t) ? 1 : 0;
    p.Debljina = static_cast<std::int16_t>(p.Vodoravna ? b - t : r - l);
    p.ArtiklPrecke = artikl;
}

std::vector<std::string> Opis(const std::vector<TKomad>& lista) {
    std::vector<std::string> out;
    for (const TKomad& k : lista)
        out.push_back(std::to_string(k.Prozor) + ":" + std::to_string(k.Artikl) + ":" +
                      std::to_string(k.Duzina) + ":" + std::to_string(k.KutL) + "/" + std::to_string(k.KutD));
    return out;
}

std::vector<std::string> Okna(const std::vector<Okno>& okna) {
    std::vector<std::string> out;
    for (const Okno& o : okna)
        out.push_back(std::to_string(o.Sirina) + "x" + std::to_string(o.Duzina));
    return out;
}

TEST(Komadi, ADoorShapesOnlyItsOwnItemsFrame) {
    ModelProzora m;
    Prozor(m, 1000, 2100);
    m.Vrata = true;
    ASSERT_NE(m.DodajOkvir(500, 1000, 70, 104, 30), nullptr); // a leaf across the whole opening, on the sill
    ListeKomada l;
    std::vector<std::string> poruke;
    DodajKomadeStavke(m, {1, 1, 201}, Okolnosti(), l, poruke);
    Prozor(m, 1000, 2100);
    DodajKomadeStavke(m, {2, 1, 201}, Okolnosti(), l, poruke);

    // The leaf: 880 + 2 x 8 + 6 + 4 across; (2078 - 60) + 8 + 10 down, twice each.
    EXPECT_THAT(Opis(l[V_Vrata]),
                ElementsAre("1:104:906:45/45", "1:104:2036:45/45", "1:104:906:45/45", "1:104:2036:45/45"));
    EXPECT_THAT(Opis(l[V_ZVrata]),
                ElementsAre("1:107:720:90/90", "1:107:1850:90/90", "1:107:720:90/90", "1:107:1850:90/90"));
    // The door's frame: sides welded square at the bottom and one head piece; the next item is a window.
    EXPECT_THAT(Opis(l[V_Stok]),
                ElementsAre("1:101:2113:45/90", "1:101:2113:45/90", "1:101:1010:45/45", "2:101:2110:45/45",
                            "2:101:2110:45/45", "2:101:1010:45/45", "2:101:1010:45/45"));
    EXPECT_TRUE(l[V_Okvir].empty());
    EXPECT_THAT(poruke, IsEmpty());
}

TEST(Komadi, SlidingSashesAndFrameMullionsReachTheCuttingList) {
    ModelProzora m;
    Prozor(m, 2000, 1000);
    Precka(m, 960, 60, 1040, 940, 101); // a frame-profile mullion standing on the sill
    ASSERT_NE(m.DodajOkvir(500, 500, 70, 109, 0), nullptr);
    ListeKomada l;
    std::vector<std::string> poruke;
    DodajKomadeStavke(m, {4, 1, 201}, Okolnosti(), l, poruke);
    // The sash: 900 + 16 + 10 across, 880 + 26 down; its reinforcement less 140, 6 and 2 x 12.
    EXPECT_THAT(Opis(l[V_KlizniOkvir]),
                ElementsAre("4:109:926:45/45", "4:109:906:45/45", "4:109:926:45/45", "4:109:906:45/45"));
    EXPECT_THAT(Opis(l[V_ZKlizniOkvir]),
                ElementsAre("4:110:756:90/90", "4:110:736:90/90", "4:110:756:90/90", "4:110:736:90/90"));
    EXPECT_THAT(l[V_ZOkvira], IsEmpty());
    // The mullion runs through the frame's bottom: 60 + 880 + 4 + 3, mitred at its foot.
    EXPECT_EQ(Opis(l[V_Stok]).back(), "4:101:947:45/90");
    EXPECT_EQ(Opis(l[V_ZStoka]).back(), "4:105:870:90/90");

    TokOptime tok;
    tok.Sipka = [](std::int32_t a) { return PodaciSipke{a != 102, 6500, true, "A" + std::to_string(a)}; };
    const IshodOptime ishod = Optima(l, Okolnosti().Sistem, Okolnosti().Boja, tok);
    EXPECT_TRUE(ishod.Potpun);
    EXPECT_THAT(ishod.Poruke, IsEmpty());
    std::vector<std::int32_t> artikli;
    for (const RedOptime& r : ishod.Redovi)
        if (artikli.empty() || artikli.back() != r.Artikl) artikli.push_back(r.Artikl);
    // Sliding sashes on their own bars after the profiles, before the separator (article 0); their
    // reinforcements on the sliding steel's bars, not the sash steel's.
    EXPECT_THAT(artikli, ElementsAre(101, 109, 0, 105, 110));

    // Where the system's sliding steel is the sash steel, both are cut from the same bars.
    OkolnostiNaloga isti = Okolnosti();
    isti.Boja.ZKlizniOkvir = isti.Boja.ZOkvira;
    ListeKomada zajedno;
    DodajKomadeStavke(m, {4, 1, 201}, isti, zajedno, poruke);
    EXPECT_THAT(zajedno[V_ZKlizniOkvir], IsEmpty());
    EXPECT_THAT(Opis(zajedno[V_ZOkvira]),
                ElementsAre("4:106:756:90/90", "4:106:736:90/90", "4:106:756:90/90", "4:106:736:90/90"));
}

TEST(Komadi, ThePanesOfAnOpeningAreCountedOnceAndSizedByTheMullionsFacingIt) {
    struct Slucaj {
        const char* sto;
        std::vector<std::array<int, 4>> precke;
        std::vector<std::string> okna;
    };
    const Slucaj slucajevi[] = {
        {"fixed light", {}, {"870x670"}},
        {"two parallel mullions share the middle opening",
         {{380, 60, 420, 740}, {680, 60, 720, 740}},
         {"310x670", "250x670", "210x670"}},
        {"staggered mullions do not limit each other",
         {{60, 380, 940, 420}, {280, 420, 320, 740}, {680, 60, 720, 380}},
         {"610x310", "210x310", "210x310", "610x310"}},
        {"an opening narrower than the reduction gives a pane of no size",
         {{60, 380, 940, 420}, {60, 424, 940, 464}},
         {"870x310", "870x-6", "870x266"}},
    };
    for (const Slucaj& s : slucajevi) {
        ModelProzora m;
        Prozor(m, 1000, 800);
        for (auto it = s.precke.rbegin(); it != s.precke.rend(); ++it)
            Precka(m, (*it)[0], (*it)[1], (*it)[2], (*it)[3]);
        std::vector<std::string> dobiveno = Okna(NaciniListuStakla(m, 5, 8));
        std::vector<std::string> ocekivano = s.okna;
        std::sort(dobiveno.begin(), dobiveno.end());
        std::sort(ocekivano.begin(), ocekivano.end());
        EXPECT_EQ(dobiveno, ocekivano) << s.sto;
    }

    // Such a pane is reported and left off the glass list.
    ModelProzora m;
    Prozor(m, 1000, 800);
    Precka(m, 60, 424, 940, 464);
    Precka(m, 60, 380, 940, 420);
    ListeKomada l;
    std::vector<std::string> poruke;
    DodajKomadeStavke(m, {5, 3, 201}, Okolnosti(), l, poruke);
    EXPECT_EQ(l[V_Staklo].size(), 2u);
    EXPECT_THAT(poruke, ElementsAre("Stavka 5: staklo 870 x -6 mm nema mjesta i nije uključeno u listu!!!"));
}

} // namespace
