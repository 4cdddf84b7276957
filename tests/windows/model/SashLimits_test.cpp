#include "Gradnja.h"

#include "windows/model/ModelFaults.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>

using namespace windows;
using namespace gradnja;

TEST(Scale, TolerancesAndPixelSize) {
    const Mjerilo mj(2400);
    EXPECT_EQ(mj.PikselMm(), 6);
    EXPECT_EQ(mj.Tolerancija1(), 8);
    EXPECT_EQ(mj.Tolerancija2(), 28);
    EXPECT_EQ(Mjerilo::ZaVelicinu(1000, 800).Vrijednost(), 1000);
    EXPECT_EQ(Mjerilo::ZaVelicinu(1001, 800).Vrijednost(), 1100);
    EXPECT_EQ(Mjerilo::ZaVelicinu(2452, 1200).Vrijednost(), 2500);
    EXPECT_EQ(Mjerilo::ZaVelicinu(9999, 9999).Vrijednost(), 10000);
    // Below 400 mm on 400 pixels a pixel still counts as one millimetre.
    const Mjerilo malo = Mjerilo::ZaVelicinu(300, 200);
    EXPECT_EQ(malo.Vrijednost(), 300);
    EXPECT_EQ(malo.PikselMm(), 1);
    EXPECT_EQ(malo.Tolerancija1(), 1 + 21);
    EXPECT_THROW(Mjerilo(0), base::Exception);
}

TEST(Scale, ScreenConversionsTruncateTowardZero) {
    const Mjerilo mj(2500);
    EXPECT_EQ(mj.UPiksele(2452), 392);
    EXPECT_EQ(mj.UPiksele(-6), 0);
    EXPECT_EQ(mj.UPiksele(-7), -1);
    EXPECT_EQ(Mjerilo(1000).UPiksele(1000), 400);
    EXPECT_EQ(mj.UMilimetre(401), 2506);
    EXPECT_EQ(mj.UMilimetre(-1), -6);
    EXPECT_THROW(Mjerilo(100).UPiksele(9999), base::Overflow);
}

namespace {

const Mjerilo mj2400(2400);

class DoubleSash : public ::testing::Test {
protected:
    ModelProzora m;
    TOkvir* lijevi = nullptr;
    TOkvir* desni = nullptr;
    void SetUp() override {
        m.PostaviOkvirProzora(2000, 1400, 60);
        m.Preklapanje = 5;
        desni = m.DodajDvostrukiOkvir(1000, 700, 80, 10, 1, 45);
        ASSERT_NE(desni, nullptr);
        lijevi = desni->Par;
        // Left leaf: glazing 135..915, right leaf: 1085..1865 (meeting line at 1000), both 135..1265 high.
    }
};

} // namespace

TEST_F(DoubleSash, MeetingLineLimitFromEitherLeaf) {
    EXPECT_EQ(lijevi->R1, 1000);
    EXPECT_EQ(m.MaxPomakSredineOkvira(lijevi, 0, mj2400), 915 - 135 - 1);
    Vodoravna(m, lijevi, 600, 640, 135, 915);
    EXPECT_EQ(m.MaxPomakSredineOkvira(lijevi, 0, mj2400), 915 - 135 - 10 * 6 / 2);
    Okomita(m, desni, 1200, 1240, desni->T2, desni->B2);
    EXPECT_EQ(m.MaxPomakSredineOkvira(desni, 1, mj2400), 1200 - 1085);
    // A mullion right at the glazing edge leaves no room; the limit is not raised to a pixel.
    Okomita(m, desni, 1085, 1095, desni->T2, 600);
    EXPECT_EQ(m.MaxPomakSredineOkvira(desni, 1, mj2400), 0);
    EXPECT_EQ(m.PomakniSredinuOkvira(lijevi, 50, mj2400), 0);
    EXPECT_EQ(lijevi->R1, 1000);
}

TEST_F(DoubleSash, MovingTheMeetingLineCarriesTheLeavesAndTheirTransoms) {
    TPrecka& lijeva = Vodoravna(m, lijevi, 600, 640, 135, 915);
    TPrecka& desna = Vodoravna(m, desni, 600, 640, 1085, 1865);
    EXPECT_EQ(m.PomakniSredinuOkvira(desni, 100, mj2400), 100);
    EXPECT_EQ(lijevi->R1, 1100);
    EXPECT_EQ(lijevi->R2, 1015);
    EXPECT_EQ(desni->L1, 1100);
    EXPECT_EQ(desni->L2, 1185);
    EXPECT_EQ(lijeva.R, 1015);
    EXPECT_EQ(desna.L, 1185);
    EXPECT_EQ(lijeva.L, 135);
    EXPECT_EQ(desna.R, 1865);
    // Too far: cut at the right leaf's room less half of ten pixels for its transom.
    EXPECT_EQ(m.PomakniSredinuOkvira(lijevi, 5000, mj2400), 1865 - 1185 - 30);
    EXPECT_EQ(m.PomakniSredinuOkvira(lijevi, -200, mj2400), -200);
    EXPECT_TRUE(ModelFaults(m).empty());
    // A single sash has no meeting line.
    TOkvir dummy;
    EXPECT_EQ(m.PomakniSredinuOkvira(&dummy, 10, mj2400), 0);
}

TEST_F(DoubleSash, ProfileGrowthLimitLooksAtBothLeaves) {
    EXPECT_EQ(m.MaxPomakDebljineOkvira(lijevi, mj2400), 384); // 389, under half the glazing, in whole pixels
    Okomita(m, desni, 1200, 1240, desni->T2, 700);
    EXPECT_EQ(m.MaxPomakDebljineOkvira(lijevi, mj2400), 115 / 6 * 6);
    // The partner's transom ending on its glazing edge keeps 10 mm.
    Vodoravna(m, desni, 400, 440, 1085, 1200);
    EXPECT_EQ(m.MaxPomakDebljineOkvira(lijevi, mj2400), 105 / 6 * 6);
    EXPECT_EQ(m.MaxPomakDebljineOkvira(lijevi, Mjerilo(300)), 105); // a pixel below 1 mm counts as 1
}

TEST_F(DoubleSash, ThickerProfileShrinksBothGlazings) {
    TPrecka& h = Vodoravna(m, lijevi, 600, 640, 135, 915);
    TPrecka& v = Okomita(m, desni, 1200, 1240, desni->T2, desni->B2);
    EXPECT_EQ(m.PromijeniDebljinuOkvira(lijevi, 100, mj2400), 100);
    EXPECT_EQ(lijevi->DebProfila, 100);
    EXPECT_EQ(desni->DebProfila, 100);
    EXPECT_EQ(lijevi->L2, 155);
    EXPECT_EQ(lijevi->R2, 895);
    EXPECT_EQ(desni->L2, 1105);
    EXPECT_EQ(desni->T2, 155);
    EXPECT_EQ(h.L, 155);
    EXPECT_EQ(h.R, 895);
    EXPECT_EQ(v.T, 155);
    EXPECT_EQ(v.B, 1245);
    EXPECT_TRUE(ModelFaults(m).empty());
    // Applying it to the other leaf changes nothing more.
    EXPECT_EQ(m.PromijeniDebljinuOkvira(desni, 100, mj2400), 100);
    EXPECT_EQ(desni->L2, 1105);
}

TEST(SashThickness, HandleAndMullionsLimitTheGrowth) {
    ModelProzora m;
    m.PostaviOkvirProzora(2400, 1400, 60);
    m.Preklapanje = 5;
    TOkvir& s = Krilo(m, 60, 60, 2340, 1340, 80); // glazing 135..2265 x 135..1265
    EXPECT_EQ(m.MaxPomakDebljineOkvira(&s, mj2400), 1130 / 2 / 6 * 6);
    s.Q = 1;
    s.K = 200;
    EXPECT_EQ(m.MaxPomakDebljineOkvira(&s, mj2400), (200 - 135 - 28) / 6 * 6);
    s.Q = s.K = 0;
    TPrecka& v = Okomita(m, &s, 1000, 1040, 135, 200); // 65 long from the glazing top
    EXPECT_EQ(m.MaxPomakDebljineOkvira(&s, mj2400), 60);
    v.B = 400;
    Vodoravna(m, &s, 400, 430, 135, 2265);
    // The mullion would vanish under the growth of 265 the transom allows: it keeps 5 mm.
    EXPECT_EQ(m.MaxPomakDebljineOkvira(&s, mj2400), (400 - 135 - 5) / 6 * 6);
    EXPECT_EQ(m.PromijeniDebljinuOkvira(&s, 1000, mj2400), 80 + 258);
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST(SashThickness, ThinnerProfileStopsAtTheOuterEdge) {
    ModelProzora m;
    m.PostaviOkvirProzora(2400, 1400, 60);
    m.Preklapanje = 5;
    TOkvir& s = Krilo(m, 60, 60, 2340, 1340, 80);
    EXPECT_EQ(m.PromijeniDebljinuOkvira(&s, 2, mj2400), 5);
    EXPECT_EQ(s.L2, 60);
    EXPECT_EQ(s.B2, 1340);
    EXPECT_TRUE(ModelFaults(m).empty());
    EXPECT_THROW(m.PromijeniDebljinuOkvira(&s, 0, mj2400), base::Abort);
}
