#include "Gradnja.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>

using namespace windows;
using namespace gradnja;

// Rows read from a damaged table can hold coordinates near the end of the 16-bit range; a change that
// overflows must leave every node as it was, including those it had already moved.

TEST(Overflow, MullionMoveLeavesTheModelUnchanged) {
    ModelProzora m;
    m.PostaviOkvirProzora(2000, 1000, 60);
    TOkvir& s = Krilo(m, 60, 60, 32700, 940, 80);
    TPrecka& v = Okomita(m, nullptr, 32700, 32760, 60, 940);
    TPrecka& h = Vodoravna(m, nullptr, 500, 540, 100, 32700);
    EXPECT_THROW(m.RePaintPomak(nullptr, &v, 3, 10), base::Overflow);
    EXPECT_EQ(s.R1, 32700);
    EXPECT_EQ(s.R2, 32620);
    EXPECT_EQ(h.R, 32700);
    EXPECT_EQ(v.L, 32700);
    EXPECT_EQ(v.R, 32760);
    m.RePaintPomak(nullptr, &v, 1, -10);
    EXPECT_EQ(s.R1, 32690);
    EXPECT_EQ(v.R, 32750);
}

TEST(Overflow, FrameReFitLeavesTheModelUnchanged) {
    ModelProzora m;
    m.PostaviOkvirProzora(2000, 1000, 60);
    TPrecka& v = Okomita(m, nullptr, 1000, 1060, 60, 940);
    TOkvir& s = Krilo(m, 60, 60, 1000, 940, 80);
    EXPECT_THROW(m.ReCalcProzor(32000), base::Overflow);
    EXPECT_EQ(v.T, 60);
    EXPECT_EQ(v.B, 940);
    EXPECT_EQ(s.L1, 60);
}

TEST(Overflow, ThicknessChangesLeaveTheModelUnchanged) {
    ModelProzora m;
    m.PostaviOkvirProzora(2000, 1000, 60);
    TOkvir& s = Krilo(m, 60, 60, 1000, 940, 80);
    s.L2 = -32760;
    TPrecka& v = Okomita(m, &s, 500, 540, s.T2, s.B2);
    EXPECT_THROW(m.RePaintPomakDebljineOkvira(&s, -10), base::Overflow);
    EXPECT_EQ(s.DebProfila, 80);
    EXPECT_EQ(s.T2, 140);
    EXPECT_EQ(v.T, 140);

    TPrecka& p = Okomita(m, nullptr, 32700, 32760, 60, 940);
    EXPECT_THROW(
        {
            p.Debljina = 100;
            m.RepaintDebljinePrecke(nullptr, &p, 0);
        },
        base::Overflow);
    EXPECT_EQ(p.R, 32760);
}

TEST(Overflow, CountersThatWouldOverflowAddNothing) {
    ModelProzora m;
    m.PostaviOkvirProzora(2000, 1000, 60);
    m.BrojacOkvira = 32767;
    EXPECT_THROW(m.DodajOkvir(1000, 500, 80, 1, 45), base::Overflow);
    EXPECT_THROW(m.DodajDvostrukiOkvir(1000, 500, 80, 10, 1, 45), base::Overflow);
    EXPECT_EQ(m.BrojOkvira(), 0);
    EXPECT_EQ(m.BrojacOkvira, 32767);
}

TEST(Overflow, WindowSizeChangeLeavesTheModelUnchanged) {
    ModelProzora m;
    m.PostaviOkvirProzora(2000, 1000, 60);
    TPrecka& h = Vodoravna(m, nullptr, 500, 540, 60, 1940);
    TOkvir& s = Krilo(m, 60, 540, 1940, 940, 80);
    s.R2 = 32760; // damaged
    EXPECT_THROW(m.PostaviSirinu(2500, Mjerilo(2000)), base::Overflow);
    EXPECT_EQ(m.Sirina, 2000);
    EXPECT_EQ(m.WinRight, 1940);
    EXPECT_EQ(h.R, 1940);
    EXPECT_EQ(s.R1, 1940);
}
