#include "Gradnja.h"

#include <gtest/gtest.h>

using namespace windows;
using namespace gradnja;

namespace {

class OpeningModes : public ::testing::Test {
protected:
    ModelProzora m;
    TOkvir* s = nullptr;
    void SetUp() override {
        m.PostaviOkvirProzora(1200, 1400, 60);
        s = &Krilo(m, 60, 60, 1140, 1340, 80); // glazing 140..1060 x 140..1260
    }
};

} // namespace

TEST_F(OpeningModes, SideBitTwiceClearsModeAndHandle) {
    m.NacinOtvaranja(s, O_lijevo);
    EXPECT_EQ(s->Otvaranje, O_lijevo);
    EXPECT_EQ(s->Q, 1);
    EXPECT_EQ(s->K, 700);
    m.NacinOtvaranja(s, O_lijevo);
    EXPECT_EQ(s->Otvaranje, 0);
    EXPECT_EQ(s->Q, 0);
    EXPECT_EQ(s->K, 0);
}

TEST_F(OpeningModes, TiltAloneHandlesTheTopAndCombinesWithASide) {
    m.NacinOtvaranja(s, O_gore);
    EXPECT_EQ(s->Otvaranje, 1);
    EXPECT_EQ(s->Q, 2);
    EXPECT_EQ(s->K, 600); // middle of the glazing width
    m.NacinOtvaranja(s, O_desno);
    EXPECT_EQ(s->Otvaranje, 5);
    EXPECT_EQ(s->Q, 3);
    EXPECT_EQ(s->K, 700); // middle of the glazing height
    // Dropping the tilt keeps the side's handle.
    m.NacinOtvaranja(s, O_gore);
    EXPECT_EQ(s->Otvaranje, 4);
    EXPECT_EQ(s->Q, 3);
}

TEST_F(OpeningModes, OneSideBitAtATimeAndSlidingHandles) {
    m.NacinOtvaranja(s, O_gore);
    m.NacinOtvaranja(s, O_lijevo);
    m.NacinOtvaranja(s, K_desno);
    EXPECT_EQ(s->Otvaranje, O_gore | K_desno);
    EXPECT_EQ(s->Q, 3);
    m.NacinOtvaranja(s, K_lijevo);
    EXPECT_EQ(s->Otvaranje, O_gore | K_lijevo);
    EXPECT_EQ(s->Q, 1);
    EXPECT_EQ(s->K, 700);
}

TEST_F(OpeningModes, TiltAloneKeepsAnEarlierHandleOnlyWhenNotExactlyTilt) {
    s->Q = 4;
    s->K = 300; // placed with the handle tool
    m.NacinOtvaranja(s, O_gore);
    EXPECT_EQ(s->Q, 2); // exactly 1: handle to the top middle
    EXPECT_EQ(s->K, 600);
}

TEST_F(OpeningModes, UnknownBitsAndNoSashChangeNothing) {
    m.NacinOtvaranja(s, O_lijevo);
    EXPECT_FALSE(m.NacinOtvaranja(s, 32));
    EXPECT_FALSE(m.NacinOtvaranja(s, 3));
    EXPECT_EQ(s->Otvaranje, O_lijevo);
    EXPECT_EQ(s->Q, 1);
    EXPECT_FALSE(m.NacinOtvaranja(nullptr, O_lijevo));
}

TEST(OpeningModesDouble, ADoubleSashCarriesOneHandle) {
    ModelProzora m;
    m.PostaviOkvirProzora(2000, 1400, 60);
    TOkvir* desni = m.DodajDvostrukiOkvir(1000, 700, 80, 10, 1, 45);
    ASSERT_NE(desni, nullptr);
    TOkvir* lijevi = desni->Par;
    m.NacinOtvaranja(lijevi, O_desno);
    EXPECT_EQ(lijevi->Q, 3);
    EXPECT_TRUE(m.NacinOtvaranja(desni, O_gore));
    // The right leaf took a handle of its own: the left one lost it.
    EXPECT_EQ(desni->Q, 2);
    EXPECT_EQ(lijevi->Q, 0);
    EXPECT_EQ(lijevi->K, 0);
    EXPECT_EQ(lijevi->Otvaranje, O_desno); // the mode itself stays
    EXPECT_TRUE(m.NacinOtvaranja(lijevi, O_lijevo));
    EXPECT_EQ(desni->Q, 0);
    EXPECT_EQ(desni->K, 0);
}

TEST_F(OpeningModes, HandleToolPutsTheHandleOnTheBandClicked) {
    const Mjerilo mj(2400); // Tolerancija2 28
    EXPECT_TRUE(m.PostaviKvaku(s, 70, 500, mj));
    EXPECT_EQ(s->Q, 1);
    EXPECT_EQ(s->K, 500);
    EXPECT_TRUE(m.PostaviKvaku(s, 600, 1330, mj));
    EXPECT_EQ(s->Q, 4);
    EXPECT_EQ(s->K, 600);
    // Too near a corner of the glazing, or on the glazing itself: nothing changes.
    EXPECT_FALSE(m.PostaviKvaku(s, 70, 100, mj));
    EXPECT_FALSE(m.PostaviKvaku(s, 600, 600, mj));
    EXPECT_EQ(s->Q, 4);
    // The right band.
    EXPECT_TRUE(m.PostaviKvaku(s, 1120, 700, mj));
    EXPECT_EQ(s->Q, 3);
}
