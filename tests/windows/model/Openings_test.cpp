#include "Gradnja.h"

#include "windows/model/ModelFaults.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>

using namespace windows;
using namespace gradnja;

TEST(Openings, SashNeedsAnOpeningWiderAndHigherThanTwoProfiles) {
    ModelProzora m;
    m.PostaviOkvirProzora(1000, 1000, 60);
    // Openings 161 x 161 (x 60..221) and 160 x 161 (x 281..441) beside a mullion.
    Okomita(m, nullptr, 221, 281, 60, 221);
    Vodoravna(m, nullptr, 221, 281, 60, 940);
    Okomita(m, nullptr, 441, 501, 60, 221);
    EXPECT_EQ(m.DodajOkvir(360, 100, 80, 1, 45), nullptr);
    TOkvir* s = m.DodajOkvir(100, 100, 80, 1, 45);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->L1, 60);
    EXPECT_EQ(s->R1, 221);
    EXPECT_EQ(s->L2, 140);
    EXPECT_EQ(s->RedniBroj, 1);
    EXPECT_EQ(s->DebProfila, 80);
    EXPECT_EQ(m.BrojacOkvira, 1);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST(Openings, DoubleSashNeedsFourProfilesAcrossAndTwoDown) {
    ModelProzora m;
    m.PostaviOkvirProzora(1000, 1000, 60);
    m.Preklapanje = 5;
    Vodoravna(m, nullptr, 219, 240, 60, 940); // opening above is 159 high
    Okomita(m, nullptr, 379, 400, 240, 940);  // opening left of it is 319 wide
    EXPECT_EQ(m.DodajDvostrukiOkvir(200, 100, 80, 10, 1, 45), nullptr);
    EXPECT_EQ(m.DodajDvostrukiOkvir(200, 500, 80, 10, 1, 45), nullptr);
    TOkvir* desni = m.DodajDvostrukiOkvir(600, 500, 80, 10, 1, 45); // 540 x 700
    ASSERT_NE(desni, nullptr);
    TOkvir* lijevi = desni->Par;
    EXPECT_EQ(lijevi->L1, 400);
    EXPECT_EQ(lijevi->R1, 670);
    EXPECT_EQ(lijevi->L2, 475);
    EXPECT_EQ(lijevi->R2, 670 - 80 - 5);
    EXPECT_EQ(desni->L1, 670);
    EXPECT_EQ(desni->L2, 670 + 80 + 5);
    EXPECT_EQ(desni->R2, 940 - 75);
    EXPECT_EQ(desni->T2, 240 + 75);
    EXPECT_EQ(desni->RedniBroj, lijevi->RedniBroj);
    EXPECT_EQ(m.BrojacOkvira, 1);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST(Openings, NewMullionFitsItsOpening) {
    ModelProzora m;
    m.PostaviOkvirProzora(1000, 1000, 60);
    TPrecka* h = m.DodajPrecku(500, 70, true, 80, 4); // 10 mm below the top
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->T, 60);
    EXPECT_EQ(h->B, 140);
    EXPECT_EQ(h->L, 60);
    EXPECT_EQ(h->R, 940);
    EXPECT_EQ(h->Debljina, 80);
    EXPECT_EQ(h->ArtiklPrecke, 4);
    TPrecka* v = m.DodajPrecku(930, 500, false, 80, 4); // pulled back from the right
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->R, 940);
    EXPECT_EQ(v->L, 860);
    EXPECT_EQ(v->T, 140);
    EXPECT_EQ(v->B, 940);
    // On an existing element or on the frame's inner edge nothing is made.
    EXPECT_EQ(m.DodajPrecku(500, 100, false, 80, 4), nullptr);
    EXPECT_EQ(m.DodajPrecku(60, 500, false, 80, 4), nullptr);
    EXPECT_EQ(m.DodajOkvir(60, 500, 80, 1, 45), nullptr);
    EXPECT_EQ(m.BrojPrecki(), 2);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST(Openings, MullionInsideASashGoesToItsList) {
    ModelProzora m;
    m.PostaviOkvirProzora(1000, 1000, 60);
    TOkvir* s = m.DodajOkvir(500, 500, 80, 1, 45);
    ASSERT_NE(s, nullptr);
    TPrecka* p = m.DodajPrecku(500, 500, false, 40, 2);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(s->BrojPrecki(), 1);
    EXPECT_EQ(m.BrojPrecki(), 0);
    EXPECT_EQ(p->T, s->T2);
    EXPECT_EQ(p->B, s->B2);
    // A click on the sash's band hits the sash and makes nothing.
    EXPECT_EQ(m.DodajPrecku(100, 500, false, 40, 2), nullptr);
    const Pogodak hit = m.Pogodi(100, 500);
    EXPECT_EQ(hit.Okvir, s);
    EXPECT_EQ(hit.Precka, nullptr);
    const Pogodak naPrecki = m.Pogodi(500, 500);
    EXPECT_EQ(naPrecki.Okvir, s);
    EXPECT_EQ(naPrecki.Precka, p);
}

TEST(Openings, HitTestPrefersTheNewestWindowMullion) {
    ModelProzora m;
    m.PostaviOkvirProzora(1000, 1000, 60);
    TPrecka& stara = Okomita(m, nullptr, 400, 460, 60, 940);
    TPrecka& nova = Vodoravna(m, nullptr, 400, 460, 60, 400);
    EXPECT_EQ(m.Pogodi(400, 430).Precka, &nova); // the shared edge: newest first
    EXPECT_EQ(m.Pogodi(430, 600).Precka, &stara);
    EXPECT_EQ(m.Pogodi(700, 700).Precka, nullptr);
}

TEST(Openings, OpeningAtAPointIsBoundedByTheNearestMullions) {
    ModelProzora m;
    m.PostaviOkvirProzora(2000, 1000, 60);
    Okomita(m, nullptr, 1000, 1060, 60, 940);
    Vodoravna(m, nullptr, 500, 540, 1060, 1940);
    const Otvor o = m.OtvorNaTocki(1500, 800);
    EXPECT_EQ(o.Okvir, nullptr);
    EXPECT_EQ(o.Rub.L, 1060);
    EXPECT_EQ(o.Rub.T, 540);
    EXPECT_EQ(o.Rub.R, 1940);
    EXPECT_EQ(o.Rub.B, 940);
    const Otvor lijevo = m.OtvorNaTocki(500, 800);
    EXPECT_EQ(lijevo.Rub.T, 60);
    EXPECT_EQ(lijevo.Rub.R, 1000);
}

TEST(Openings, DoorLeafReachesTheSill) {
    ModelProzora m;
    m.PostaviOkvirProzora(1000, 2100, 60);
    m.Vrata = true;
    m.Preklapanje = 5;
    Vodoravna(m, nullptr, 1500, 1540, 60, 940);
    TOkvir* gore = m.DodajOkvir(500, 500, 80, 1, 45);
    TOkvir* vrata = m.DodajOkvir(500, 1800, 80, 1, 45);
    ASSERT_NE(gore, nullptr);
    ASSERT_NE(vrata, nullptr);
    EXPECT_EQ(gore->Lajsna, 0);
    EXPECT_EQ(gore->B1, 1500);
    EXPECT_EQ(vrata->Lajsna, 45);
    EXPECT_EQ(vrata->B1, 2100 - 45 + 5);
    EXPECT_EQ(vrata->B2, 2060 - 80);
    EXPECT_TRUE(ModelFaults(m).empty());
    EXPECT_THROW(
        {
            m.DelOkvir(vrata);
            m.DodajOkvir(500, 1800, 80, 1, 0);
        },
        base::Exception);
}
