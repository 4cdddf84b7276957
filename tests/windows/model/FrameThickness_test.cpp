#include "Gradnja.h"

#include "windows/model/ModelFaults.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>

using namespace windows;
using namespace gradnja;

namespace {

const Mjerilo mj2400(2400); // Tolerancija2 28

using FrameThickness = Prozor<2400, 1200>;

} // namespace

TEST_F(FrameThickness, ThickerFrameMovesWhatLiesOnItInwards) {
    TPrecka& v = Okomita(m, nullptr, 1000, 1060, 60, 1140);
    TPrecka& h = Vodoravna(m, nullptr, 600, 640, 1060, 2340);
    TOkvir& lijevi = Krilo(m, 60, 60, 1000, 1140, 80);
    TOkvir& gore = Krilo(m, 1060, 60, 2340, 600, 80);
    TPrecka& uKrilu = Okomita(m, &gore, 1500, 1540, gore.T2, gore.B2);
    TPrecka& unutra = Vodoravna(m, &lijevi, 500, 540, lijevi.L2, 700);
    Okomita(m, &lijevi, 700, 740, lijevi.T2, lijevi.B2);
    EXPECT_EQ(m.PostaviDebStoka(70, mj2400), 70);
    EXPECT_EQ(m.WinLeft, 70);
    EXPECT_EQ(m.WinBottom, 1130);
    EXPECT_EQ(v.T, 70);
    EXPECT_EQ(v.B, 1130);
    EXPECT_EQ(v.L, 1000);
    EXPECT_EQ(h.R, 2330);
    EXPECT_EQ(h.L, 1060);
    EXPECT_EQ(lijevi.L1, 70);
    EXPECT_EQ(lijevi.L2, 145);
    EXPECT_EQ(lijevi.T1, 70);
    EXPECT_EQ(lijevi.B1, 1130);
    EXPECT_EQ(lijevi.R1, 1000);
    EXPECT_EQ(unutra.L, 145);
    EXPECT_EQ(unutra.R, 700);
    EXPECT_EQ(gore.T2, 145);
    EXPECT_EQ(gore.B1, 600);
    EXPECT_EQ(uKrilu.T, 145);
    EXPECT_EQ(uKrilu.B, gore.B2);
    EXPECT_TRUE(ModelFaults(m).empty());
    // Thinner again: everything goes back.
    EXPECT_EQ(m.PostaviDebStoka(60, mj2400), 60);
    EXPECT_EQ(lijevi.L2, 135);
    EXPECT_EQ(h.R, 2340);
    EXPECT_EQ(uKrilu.T, 135);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST(FrameThicknessNarrow, SashOnTwoOppositeSidesGivesHalfItsGlazing) {
    ModelProzora m;
    m.PostaviOkvirProzora(600, 1200, 60);
    m.Preklapanje = 5;
    TOkvir& s = Krilo(m, 60, 60, 540, 1140, 80); // glazing 135..465 across
    EXPECT_EQ(m.MaxDebljinaStoka(mj2400), (465 - 135 - 1) / 2);
    EXPECT_EQ(m.PostaviDebStoka(500, mj2400), 60 + 164);
    EXPECT_EQ(s.L2 + 2, s.R2);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST_F(FrameThickness, LimitsFromMullionsHandlesAndTheWindowSize) {
    EXPECT_EQ(m.MaxDebljinaStoka(mj2400), (1200 - 120) / 2);
    TPrecka& h = Vodoravna(m, nullptr, 100, 140, 60, 2340);
    EXPECT_EQ(m.MaxDebljinaStoka(mj2400), 40);
    m.DelPrecka(nullptr, &h);
    TOkvir& s = Krilo(m, 60, 60, 2340, 1140, 80);
    s.Q = 1;
    s.K = 1000; // glazing bottom 1065
    EXPECT_EQ(m.MaxDebljinaStoka(mj2400), 1065 - 1000 - 28);
    s.Q = s.K = 0;
    Okomita(m, &s, 150, 190, s.T2, s.B2); // 15 mm from the glazing's left edge
    EXPECT_EQ(m.MaxDebljinaStoka(mj2400), 14);
    EXPECT_EQ(m.PostaviDebStoka(100, mj2400), 74);
    EXPECT_TRUE(ModelFaults(m).empty());
    EXPECT_THROW(m.PostaviDebStoka(0, mj2400), base::Abort);
    EXPECT_EQ(m.DebStoka, 74);
}

TEST(FrameThicknessDoor, TheSillDoesNotMoveWithTheFrame) {
    ModelProzora m;
    m.PostaviOkvirProzora(1000, 2100, 60);
    m.Vrata = true;
    m.Preklapanje = 5;
    TOkvir* vrata = m.DodajOkvir(500, 1000, 80, 1, 45);
    ASSERT_NE(vrata, nullptr);
    const int dno = vrata->B1;
    m.PostaviDebStoka(70, Mjerilo(2100));
    EXPECT_EQ(vrata->B1, dno);
    EXPECT_EQ(vrata->T1, 70);
    EXPECT_EQ(vrata->L1, 70);
    EXPECT_EQ(vrata->R1, 930);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST(FrameThicknessDoor, DoorLeafStaysAboveTheFramesInnerBottom) {
    ModelProzora m;
    m.PostaviOkvirProzora(1000, 1000, 60);
    m.Vrata = true;
    m.Preklapanje = 5;
    Vodoravna(m, nullptr, 660, 700, 60, 940);
    TOkvir* vrata = m.DodajOkvir(500, 800, 80, 1, 45);
    ASSERT_NE(vrata, nullptr);
    // The transom would allow 240; the leaf needs its top above the raised inner bottom.
    EXPECT_EQ(m.MaxDebljinaStoka(Mjerilo(1000)), 940 - 700 - 1);
    EXPECT_EQ(m.PostaviDebStoka(400, Mjerilo(1000)), 60 + 239);
    EXPECT_EQ(vrata->T1, 700);
    EXPECT_EQ(m.WinBottom, 701);
    EXPECT_TRUE(ModelFaults(m).empty());
}
