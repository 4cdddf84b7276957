// Re-colouring a copy on the model alone: which article each element takes, and the re-fit around a
// profile of another thickness.

#include "orders/workorder/PromjenaArtikala.h"

#include <gtest/gtest.h>

namespace {

using windows::ModelProzora;

// Colour 5's articles; the order's colour has frame 101 (60 or 70 mm), sash 102, door 104, sliding sash
// 109 and mullion 103 (80 or 100 mm).
std::map<std::int32_t, orders::Artikl> Artikli(int stok, int precka) {
    std::map<std::int32_t, orders::Artikl> a;
    const auto dodaj = [&](std::int32_t code, std::int32_t grupa, int debljina) {
        a[code] = {true, "A" + std::to_string(code), grupa, true, debljina, 6500};
    };
    dodaj(101, 1, stok), dodaj(102, 2, 70), dodaj(103, 3, precka), dodaj(104, 4, 70), dodaj(109, 6, 70);
    dodaj(111, 1, 60), dodaj(112, 2, 70), dodaj(113, 3, 80), dodaj(114, 4, 70), dodaj(119, 6, 70);
    return a;
}

orders::BojaSistema Boja4() {
    orders::BojaSistema b;
    b.Stok = 101, b.Okvir = 102, b.Vrata = 104, b.KlizniOkvir = 109, b.Precka = 103;
    return b;
}

// A 2400 x 1200 window of colour 5: three openings split by two mullions (the left one of the frame
// group), a sash, a door-group leaf and a sliding-group leaf; the sash carries a mullion of its own.
void Prozor(ModelProzora& m) {
    m.PostaviOkvirProzora(2400, 1200, 60);
    m.Preklapanje = 8;
    m.ArtiklStoka = 111;
    ASSERT_NE(m.DodajPrecku(800, 600, false, 80, 113), nullptr);
    ASSERT_NE(m.DodajPrecku(1600, 600, false, 80, 111), nullptr);
    windows::TOkvir* lijevi = m.DodajOkvir(400, 600, 70, 112, 0);
    ASSERT_NE(lijevi, nullptr);
    ASSERT_NE(m.DodajPrecku(400, 600, true, 40, 113), nullptr);
    ASSERT_NE(m.DodajOkvir(1200, 600, 70, 114, 0), nullptr);
    ASSERT_NE(m.DodajOkvir(2000, 600, 70, 119, 0), nullptr);
}

TEST(PromjenaArtikala, EveryElementTakesTheOrderColoursArticleAndThicknessChangesRefit) {
    struct Slucaj {
        int stok, precka;
        int winLeft, winRight; // the frame's inner edges after
        int debljinaPrecke;    // of both window mullions after
    };
    for (const Slucaj& s :
         {Slucaj{60, 80, 60, 2340, 80}, Slucaj{70, 80, 70, 2330, 80}, Slucaj{60, 100, 60, 2340, 100}}) {
        SCOPED_TRACE(std::to_string(s.stok) + "/" + std::to_string(s.precka));
        ModelProzora m;
        Prozor(m);
        orders::PromjenaArtikala(m, Boja4(), Artikli(s.stok, s.precka), {1, 4, 6});
        EXPECT_EQ(m.ArtiklStoka, 101);
        EXPECT_EQ(m.DebStoka, s.stok);
        EXPECT_EQ(m.WinLeft, s.winLeft);
        EXPECT_EQ(m.WinTop, s.winLeft);
        EXPECT_EQ(m.WinRight, s.winRight);
        EXPECT_EQ(m.WinBottom, 1200 - s.stok);
        std::map<std::int32_t, int> okviri;
        for (const windows::TOkvir& o : m.Okviri) {
            ++okviri[o.ArtiklOkvira];
            EXPECT_EQ(o.DebProfila, 70);
            // The sashes still lie on the frame's inner edges.
            EXPECT_EQ(o.T1, m.WinTop);
            EXPECT_EQ(o.B1, m.WinBottom);
            for (const windows::TPrecka& p : o.Precke)
                EXPECT_EQ(p.ArtiklPrecke, 113); // mullions inside sashes keep theirs
        }
        EXPECT_EQ(okviri, (std::map<std::int32_t, int>{{102, 1}, {104, 1}, {109, 1}}));
        std::map<std::int32_t, int> precke;
        for (const windows::TPrecka& p : m.Precke) {
            ++precke[p.ArtiklPrecke];
            EXPECT_EQ(p.Debljina, p.ArtiklPrecke == 101 ? s.stok : s.debljinaPrecke);
            EXPECT_EQ(p.R - p.L, p.Debljina);
            EXPECT_EQ(p.T, m.WinTop);
        }
        EXPECT_EQ(precke, (std::map<std::int32_t, int>{{101, 1}, {103, 1}}));
    }
}

TEST(PromjenaArtikala, ElementsAlreadyOfTheColourKeepTheirThickness) {
    // The parameters now give 70 and 100 mm, but the window already has the colour's articles: the
    // thicknesses it was drawn with stay.
    ModelProzora m;
    m.PostaviOkvirProzora(1000, 1000, 60);
    m.ArtiklStoka = 101;
    ASSERT_NE(m.DodajPrecku(500, 500, false, 80, 103), nullptr);
    orders::PromjenaArtikala(m, Boja4(), Artikli(70, 100), {1, 4, 6});
    EXPECT_EQ(m.WinLeft, 60);
    EXPECT_EQ(m.WinRight, 940);
    EXPECT_EQ(m.Precke.front().Debljina, 80);
    EXPECT_EQ(m.Precke.front().L, 460);
}

} // namespace
