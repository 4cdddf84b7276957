#include "Gradnja.h"

#include "windows/model/ModelFaults.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>

using namespace windows;
using namespace gradnja;

namespace {

const Mjerilo mj2400(2400); // Tolerancija1 8

using WindowSize = Prozor<2400, 2400>;

} // namespace

TEST_F(WindowSize, SashFillingTheFrameLimitsTheShrink) {
    TOkvir& s = Krilo(m, 60, 60, 2340, 2340, 80); // glazing from 135
    EXPECT_EQ(m.MaxPomak(2400, -1, mj2400), 2340 - 135 - 80);
    s.Q = 2;
    s.K = 1800;
    EXPECT_EQ(m.MaxPomak(2400, -1, mj2400), 2340 - 1800 - 80 - 8);
    EXPECT_EQ(m.MaxPomak(2400, 1, mj2400), 2340 - 135 - 80); // the handle is on a horizontal band
}

TEST_F(WindowSize, ShrinkBeyondTheLimitStopsAtTheLimit) {
    TOkvir& s = Krilo(m, 60, 60, 2340, 2340, 80);
    EXPECT_EQ(m.PostaviSirinu(100, mj2400), 2400 - 2125);
    EXPECT_EQ(m.Sirina, 275);
    EXPECT_EQ(m.MaxRight, 275);
    EXPECT_EQ(m.WinRight, 215);
    EXPECT_EQ(s.R1, 215);
    EXPECT_EQ(s.R2, 140);
    EXPECT_EQ(s.B1, 2340);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST_F(WindowSize, SizesOutsideTheRangeAreRefused) {
    EXPECT_THROW(m.PostaviSirinu(10000, mj2400), base::Abort);
    EXPECT_THROW(m.PostaviSirinu(0, mj2400), base::Abort);
    EXPECT_THROW(m.PostaviVisinu(10000, mj2400), base::Abort); // the height is capped like the width
    EXPECT_EQ(m.PostaviVisinu(9999, mj2400), 9999);
    EXPECT_EQ(m.Sirina, 2400);
    EXPECT_EQ(m.Visina, 9999);
    EXPECT_EQ(m.WinBottom, 9939);
}

TEST_F(WindowSize, ReFitMovesOnlyWhatReachesTheMovingEdge) {
    TPrecka& v = Okomita(m, nullptr, 1000, 1060, 60, 2340);
    TPrecka& h = Vodoravna(m, nullptr, 1000, 1040, 1060, 2340);
    TOkvir& lijevi = Krilo(m, 60, 60, 1000, 2340, 80);
    TOkvir& gore = Krilo(m, 1060, 60, 2340, 1000, 80);
    TPrecka& hUKrilu = Vodoravna(m, &gore, 500, 530, gore.L2, gore.R2);
    TPrecka& vUKrilu = Okomita(m, &gore, 1500, 1530, gore.T2, 500);
    m.PostaviSirinu(2000, mj2400);
    EXPECT_EQ(h.R, 1940);
    EXPECT_EQ(h.L, 1060);
    EXPECT_EQ(v.L, 1000);
    EXPECT_EQ(v.B, 2340);
    EXPECT_EQ(gore.R1, 1940);
    EXPECT_EQ(gore.R2, 1865);
    EXPECT_EQ(hUKrilu.R, 1865);
    EXPECT_EQ(vUKrilu.L, 1500);
    EXPECT_EQ(lijevi.R1, 1000);
    EXPECT_EQ(lijevi.B1, 2340);
    // The height: the vertical mullion and the left sash reach the bottom.
    m.PostaviVisinu(2200, mj2400);
    EXPECT_EQ(v.B, 2140);
    EXPECT_EQ(lijevi.B1, 2140);
    EXPECT_EQ(gore.B1, 1000);
    EXPECT_TRUE(ModelFaults(m).empty());
    // Growing brings them back.
    m.PostaviSirinu(2400, mj2400);
    EXPECT_EQ(gore.R1, 2340);
    EXPECT_EQ(hUKrilu.R, 2265);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST_F(WindowSize, MullionsAndTheirSashKeepTheirPlaces) {
    TPrecka& v = Okomita(m, nullptr, 2000, 2040, 60, 2340);
    Vodoravna(m, nullptr, 1000, 1040, 2040, 2340); // 300 long, ends on the moving edge
    // Limited by the vertical mullion and by the transom's 30 mm.
    EXPECT_EQ(m.MaxPomak(2400, -1, mj2400), 300 - 30);
    EXPECT_EQ(m.PostaviSirinu(2000, mj2400), 2130);
    EXPECT_EQ(v.R, 2040);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST(WindowSizeDoor, DoorLeafFollowsTheBottom) {
    ModelProzora m;
    m.PostaviOkvirProzora(1000, 2100, 60);
    m.Vrata = true;
    m.Preklapanje = 5;
    TOkvir* vrata = m.DodajOkvir(500, 1000, 80, 1, 45);
    ASSERT_NE(vrata, nullptr);
    const Mjerilo mj = Mjerilo::ZaVelicinu(1000, 2100);
    // The leaf's glazing is what may shrink (keeping 1 mm): its top band stays, the sill leaf moves up.
    EXPECT_EQ(m.MaxPomak(2100, 1, mj), vrata->B2 - vrata->T2 - 1);
    EXPECT_EQ(m.PostaviVisinu(2000, mj), 2000);
    EXPECT_EQ(vrata->B1, 2000 - 45 + 5);
    EXPECT_EQ(vrata->B2, 1960 - 80);
    EXPECT_EQ(vrata->T1, 60);
    EXPECT_TRUE(ModelFaults(m).empty());
}
