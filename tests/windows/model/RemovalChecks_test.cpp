#include "Gradnja.h"

#include <gtest/gtest.h>

using namespace windows;
using namespace gradnja;

TEST(RemovalChecks, WindowMullionTouchingASashOrACrossingMullionStays) {
    ModelProzora m;
    m.PostaviOkvirProzora(2400, 1400, 60);
    TPrecka& v = Okomita(m, nullptr, 1000, 1060, 60, 1340);
    TOkvir& desno = Krilo(m, 1060, 60, 2340, 1340, 80);
    EXPECT_FALSE(m.MozeBrisatiPrecku(nullptr, &v)); // the sash's L1 equals its R
    m.DelOkvir(&desno);
    EXPECT_TRUE(m.MozeBrisatiPrecku(nullptr, &v));
    Krilo(m, 60, 60, 1000, 1340, 80); // R1 on the mullion's left edge
    EXPECT_FALSE(m.MozeBrisatiPrecku(nullptr, &v));
}

TEST(RemovalChecks, OnlyCoordinatesAreComparedNotSpans) {
    ModelProzora m;
    m.PostaviOkvirProzora(2400, 1400, 60);
    TPrecka& v = Okomita(m, nullptr, 1000, 1060, 60, 700);
    TPrecka& h = Vodoravna(m, nullptr, 800, 860, 60, 1000); // below the mullion, ends at x = 1000
    EXPECT_FALSE(m.MozeBrisatiPrecku(nullptr, &v));
    EXPECT_TRUE(m.MozeBrisatiPrecku(nullptr, &h)); // no vertical touches its top or bottom
}

TEST(RemovalChecks, SashMullionsLookOnlyAtTheirSash) {
    ModelProzora m;
    m.PostaviOkvirProzora(2400, 1400, 60);
    TOkvir& s = Krilo(m, 60, 60, 2340, 1340, 80);
    TPrecka& v = Okomita(m, &s, 1000, 1040, s.T2, s.B2);
    EXPECT_TRUE(m.MozeBrisatiPrecku(&s, &v));
    TPrecka& h = Vodoravna(m, &s, 600, 640, 1040, s.R2);
    EXPECT_FALSE(m.MozeBrisatiPrecku(&s, &v));
    EXPECT_TRUE(m.MozeBrisatiPrecku(&s, &h));
    EXPECT_FALSE(m.MozeBrisatiPrecku(nullptr, nullptr));
}

TEST(RemovalChecks, SashWithMullionsOrAPartnerWithMullionsStays) {
    ModelProzora m;
    m.PostaviOkvirProzora(2000, 1400, 60);
    TOkvir* desni = m.DodajDvostrukiOkvir(1000, 700, 80, 10, 1, 45);
    ASSERT_NE(desni, nullptr);
    TOkvir* lijevi = desni->Par;
    EXPECT_TRUE(m.MozeBrisatiOkvir(lijevi));
    ASSERT_NE(m.DodajPrecku(1500, 700, true, 40, 1), nullptr); // into the right leaf
    EXPECT_EQ(desni->BrojPrecki(), 1);
    EXPECT_FALSE(m.MozeBrisatiOkvir(lijevi));
    EXPECT_FALSE(m.MozeBrisatiOkvir(desni));
    EXPECT_FALSE(m.MozeBrisatiOkvir(nullptr));
}
