#include "Gradnja.h"

#include "windows/model/ModelFaults.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace windows;
using namespace gradnja;

namespace {

const Mjerilo mj2400(2400); // Tolerancija1 8, Tolerancija2 28

using MullionLimits = Prozor<2400, 1400>;

} // namespace

TEST_F(MullionLimits, AloneAMullionReachesTheFrame) {
    TPrecka& v = Okomita(m, nullptr, 1000, 1060, 60, 1340);
    EXPECT_EQ(m.MaxPomakPrecke(nullptr, &v, 1, mj2400), 940);
    EXPECT_EQ(m.MaxPomakPrecke(nullptr, &v, 3, mj2400), 1280);
    EXPECT_EQ(m.MaxPomakPrecke(nullptr, &v, 2, mj2400), 0); // a vertical mullion does not move up
    EXPECT_EQ(m.MaxPomakPrecke(nullptr, nullptr, 1, mj2400), 0);
}

TEST_F(MullionLimits, ParallelMullionsStopTheMoveOnlyWhereTheyOverlap) {
    TPrecka& h = Vodoravna(m, nullptr, 700, 740, 60, 2340);
    TPrecka& v = Okomita(m, nullptr, 1000, 1060, 60, 700);
    Okomita(m, nullptr, 1300, 1340, 60, 700);   // beside it: a gap of 240
    Okomita(m, nullptr, 1100, 1140, 740, 1340); // below the transom: no overlap
    EXPECT_EQ(m.MaxPomakPrecke(nullptr, &v, 3, mj2400), 240);
    EXPECT_EQ(m.MaxPomakPrecke(nullptr, &h, 4, mj2400), 600 - 30); // crossing mullion below keeps 30 mm
}

TEST_F(MullionLimits, TJointStopsThirtyMillimetresBeforeTheFarEnd) {
    TPrecka& v = Okomita(m, nullptr, 1000, 1060, 60, 1340);
    TPrecka& h = Vodoravna(m, nullptr, 600, 640, 1060, 2340);
    EXPECT_EQ(m.MaxPomakPrecke(nullptr, &v, 3, mj2400), 1280 - 30);
    EXPECT_EQ(m.PomakniPrecku(nullptr, &v, 3, 5000, mj2400), 1250);
    EXPECT_EQ(v.L, 2250);
    EXPECT_EQ(v.R, 2310);
    EXPECT_EQ(h.L, 2310);
    EXPECT_EQ(h.R, 2340);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST_F(MullionLimits, MullionBetweenTwoSashesKeepsTheShrinkingSashsBand) {
    TPrecka& v = Okomita(m, nullptr, 1000, 1060, 60, 1340);
    TOkvir& lijevi = Krilo(m, 60, 60, 1000, 1340, 80);
    TOkvir& desni = Krilo(m, 1060, 60, 2340, 1340, 80);
    EXPECT_EQ(m.MaxPomakPrecke(nullptr, &v, 1, mj2400), 1000 - lijevi.L2 - 80);
    EXPECT_EQ(m.MaxPomakPrecke(nullptr, &v, 3, mj2400), desni.R1 - desni.L2 - 80);

    m.RePaintPomak(nullptr, &v, 1, -785);
    EXPECT_EQ(v.L, 215);
    EXPECT_EQ(lijevi.R1, 215);
    EXPECT_EQ(lijevi.R2, 140);
    EXPECT_EQ(lijevi.L2, 135);
    EXPECT_EQ(desni.L1, 275);
    EXPECT_EQ(desni.L2, 350);
    EXPECT_EQ(desni.R1, 2340);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST_F(MullionLimits, HandleAndOwnMullionsOfTheShrinkingSashLimitTheMove) {
    TPrecka& v = Okomita(m, nullptr, 1000, 1060, 60, 1340);
    TOkvir& s = Krilo(m, 60, 60, 1000, 1340, 80); // glazing 135..925
    s.Q = 2;
    s.K = 800;
    EXPECT_EQ(m.MaxPomakPrecke(nullptr, &v, 1, mj2400), 925 - 800 - 28);
    s.Q = s.K = 0;
    Okomita(m, &s, 600, 640, s.T2, s.B2);
    Vodoravna(m, &s, 700, 740, 640, 925); // 285 long, ends on the moving glazing edge
    EXPECT_EQ(m.MaxPomakPrecke(nullptr, &v, 1, mj2400), 285 - 100);
    m.RePaintPomak(nullptr, &v, 1, -185);
    EXPECT_EQ(s.Precke.front().R, 740);
    EXPECT_EQ(s.Precke.back().L, 600); // the parallel one stays
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST_F(MullionLimits, MeetingLineOfADoubleSashMovesByHalf) {
    TPrecka& v = Okomita(m, nullptr, 500, 560, 60, 1340);
    TOkvir* desni = m.DodajDvostrukiOkvir(1200, 700, 80, 10, 1, 45);
    ASSERT_NE(desni, nullptr);
    TOkvir* lijevi = desni->Par;
    const int sredina = lijevi->R1;
    m.RePaintPomak(nullptr, &v, 3, 10);
    EXPECT_EQ(lijevi->L1, 570);
    EXPECT_EQ(lijevi->R1, sredina + 5);
    EXPECT_EQ(desni->L1, sredina + 5);
    m.RePaintPomak(nullptr, &v, 3, 7);
    EXPECT_EQ(lijevi->L1, 577);
    EXPECT_EQ(desni->L1, sredina + 8);
    m.RePaintPomak(nullptr, &v, 1, -7); // the floor of half: 4 back
    EXPECT_EQ(desni->L1, sredina + 4);
    EXPECT_EQ(desni->R1, 2340);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST_F(MullionLimits, LeafBesideTheMullionKeepsItsInteriorAgainstTheMeetingLine) {
    TPrecka& v = Okomita(m, nullptr, 500, 560, 60, 1340);
    TOkvir* desni = m.DodajDvostrukiOkvir(1200, 700, 80, 10, 1, 45);
    TOkvir* lijevi = desni->Par; // glazing 635..1365, meeting line at 1450
    TPrecka& okomita = Okomita(m, lijevi, 900, 940, lijevi->T2, lijevi->B2);
    TPrecka& doPrecke = Vodoravna(m, lijevi, 600, 640, 635, 900);
    TPrecka& doSredine = Vodoravna(m, lijevi, 600, 640, 940, lijevi->R2);
    TPrecka& uDesnom = Vodoravna(m, desni, 600, 640, desni->L2, desni->R2);
    lijevi->Q = 2;
    lijevi->K = 1000;
    const int sredina = lijevi->R2, desniL2 = desni->L2;
    m.RePaintPomak(nullptr, &v, 3, 10);
    EXPECT_EQ(lijevi->L2, 645);
    EXPECT_EQ(doPrecke.L, 645);
    EXPECT_EQ(doPrecke.R, 905);
    EXPECT_EQ(okomita.L, 905);
    EXPECT_EQ(doSredine.L, 945);
    EXPECT_EQ(doSredine.R, sredina + 5);
    EXPECT_EQ(lijevi->K, 1005);
    EXPECT_EQ(uDesnom.L, desniL2 + 5);
    EXPECT_EQ(uDesnom.R, desni->R2);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST_F(MullionLimits, DoubleSashLimitIsTwiceWhatBothLeavesCanGive) {
    TPrecka& v = Okomita(m, nullptr, 500, 560, 60, 1340);
    TOkvir* desni = m.DodajDvostrukiOkvir(1200, 700, 80, 10, 1, 45);
    TOkvir* lijevi = desni->Par;
    const int lijeviDa = lijevi->R2 - lijevi->L2 - 5; // band on the mullion's side is 75
    const int desniDa = desni->R2 - desni->L2;        // its meeting band is wider than the profile
    const int lim = m.MaxPomakPrecke(nullptr, &v, 3, mj2400);
    EXPECT_EQ(lim, 2 * std::min(lijeviDa, desniDa) + (lijeviDa > desniDa ? 1 : 0));
    EXPECT_EQ(m.PomakniPrecku(nullptr, &v, 3, 5000, mj2400), lim);
    EXPECT_TRUE(ModelFaults(m).empty());
    EXPECT_EQ(m.MaxPomakPrecke(nullptr, &v, 3, mj2400), 0);
}

TEST_F(MullionLimits, MoveCarriesExactlyTheAttachedElements) {
    TPrecka& v = Okomita(m, nullptr, 1000, 1060, 60, 1340);
    TPrecka& lijevo = Vodoravna(m, nullptr, 600, 640, 60, 1000);
    TPrecka& desno = Vodoravna(m, nullptr, 800, 840, 1060, 2340);
    TOkvir& gore = Krilo(m, 1060, 60, 2340, 800, 80);
    TOkvir& dolje = Krilo(m, 1060, 840, 2340, 1340, 80);
    TOkvir& lijevoGore = Krilo(m, 60, 60, 1000, 600, 80);
    m.RePaintPomak(nullptr, &v, 3, 50);
    EXPECT_EQ(v.L, 1050);
    EXPECT_EQ(lijevo.R, 1050);
    EXPECT_EQ(lijevo.L, 60);
    EXPECT_EQ(desno.L, 1110);
    EXPECT_EQ(desno.R, 2340);
    EXPECT_EQ(gore.L1, 1110);
    EXPECT_EQ(gore.L2, 1185);
    EXPECT_EQ(dolje.L1, 1110);
    EXPECT_EQ(gore.R1, 2340);
    EXPECT_EQ(lijevoGore.R1, 1050);
    EXPECT_EQ(lijevoGore.R2, 975);
    EXPECT_EQ(lijevoGore.L1, 60);
    EXPECT_EQ(lijevoGore.B1, 600);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST_F(MullionLimits, SashMullionStaysInsideItsSash) {
    TOkvir& s = Krilo(m, 60, 60, 2340, 1340, 80); // glazing 135..2265
    TPrecka& v = Okomita(m, &s, 1000, 1040, s.T2, s.B2);
    EXPECT_EQ(m.MaxPomakPrecke(&s, &v, 1, mj2400), 1000 - 135);
    EXPECT_EQ(m.MaxPomakPrecke(&s, &v, 3, mj2400), 2265 - 1040);
    TPrecka& h = Vodoravna(m, &s, 600, 640, 1040, s.R2);
    EXPECT_EQ(m.MaxPomakPrecke(&s, &v, 3, mj2400), 2265 - 1040 - 30);
    m.RePaintPomak(&s, &v, 1, -100);
    EXPECT_EQ(h.L, 940);
    EXPECT_EQ(s.L1, 60); // the sash itself never moves with its own mullion
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST_F(MullionLimits, ThickerMullionGrowsByTwiceTheSmallerRoom) {
    Okomita(m, nullptr, 920, 960, 60, 1340);   // 40 mm free on the left
    Okomita(m, nullptr, 1070, 1100, 60, 1340); // 10 mm free on the right
    TPrecka& v = Okomita(m, nullptr, 1000, 1060, 60, 1340);
    TPrecka& h = Vodoravna(m, nullptr, 500, 540, 960, 1000);
    EXPECT_EQ(m.PromijeniDebljinuPrecke(nullptr, &v, 90, mj2400), 80);
    EXPECT_EQ(v.Debljina, 80);
    EXPECT_EQ(v.L, 990);
    EXPECT_EQ(v.R, 1070);
    EXPECT_EQ(h.R, 990);
    EXPECT_EQ(m.PromijeniDebljinuPrecke(nullptr, &v, 20, mj2400), 20);
    EXPECT_EQ(v.L, 1020);
    EXPECT_EQ(v.R, 1040);
    EXPECT_EQ(h.R, 1020);
    EXPECT_THROW(m.PromijeniDebljinuPrecke(nullptr, &v, 0, mj2400), base::Abort);
}
