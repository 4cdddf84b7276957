#include "windows/designer/Transforms.h"
#include "windows/designer/WindowPainter.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>

namespace {

using windows::CalcKoord;
using windows::CalcKoord2;
using windows::FrameElement;
using windows::PrinterTransform;
using windows::ScreenTransform;
using windows::TKoordinate;

TEST(DesignerScale, RaisesTheLargerSideToWholeHundreds) {
    struct Slucaj {
        int sirina, visina, mjerilo;
    };
    for (const Slucaj& s :
         {Slucaj{1000, 800, 1000}, Slucaj{1001, 800, 1100}, Slucaj{2400, 1200, 2400},
          Slucaj{2452, 1200, 2500}, Slucaj{1200, 2452, 2500}, Slucaj{1, 1, 100}, Slucaj{9999, 9999, 10000}})
        EXPECT_EQ(windows::DesignerScale(s.sirina, s.visina), s.mjerilo) << s.sirina << " x " << s.visina;
    // 2400 mm at the scale 2400 fill the 400 pixels; 2452 mm at 2500 take 392.
    EXPECT_EQ(ScreenTransform(2400).X(2400), 400);
    EXPECT_EQ(ScreenTransform(2500).X(2452), 392);
}

TEST(DesignerScale, PreviewFitsTheLargerSideIntoTwoHundredPixels) {
    windows::ModelProzora m;
    m.MaxRight = 2400, m.MaxBottom = 1500;
    EXPECT_EQ(windows::PreviewScale(m), 4900);
    EXPECT_LE(ScreenTransform(4900).X(2400), 200);
    m.MaxRight = m.MaxBottom = 0;
    EXPECT_EQ(windows::PreviewScale(m), 100);
}

TEST(ScreenTransform, TruncatesTowardZeroAndRefusesAMissingScale) {
    const ScreenTransform t(2400);
    EXPECT_EQ(t.X(5), 0);   // 2000 / 2400
    EXPECT_EQ(t.X(7), 1);   // 2800 / 2400
    EXPECT_EQ(t.X(-7), -1); // toward zero, not down
    EXPECT_EQ(t.Milimetar(401), 2406);
    EXPECT_THROW(ScreenTransform(0), base::Exception);
    // 16-bit results: a coordinate that cannot be drawn is an overflow, not a wrapped number.
    EXPECT_THROW(ScreenTransform(100).X(9000), base::Overflow);
}

TEST(PrinterTransform, TruncatesAndAddsTheOrigin) {
    const PrinterTransform t(1.09, 2.0, 100, 200);
    EXPECT_EQ(t.X(10), 110); // 10.9 device units become 10
    EXPECT_EQ(t.Y(10), 220);
    TKoordinate k;
    CalcKoord(t, k, 10, 10, 20, 20);
    EXPECT_EQ(k.X1, 110);
    EXPECT_EQ(k.X2, 121); // 21.8
    EXPECT_EQ(k.Y2, 240);
}

TEST(CalcKoord2, GrowsASashByTheOverlapExceptOnItsMeetingAndSillSides) {
    const ScreenTransform t(400); // one pixel per millimetre
    FrameElement e;
    e.JeKrilo = true;
    e.L1 = 100, e.T1 = 100, e.R1 = 300, e.B1 = 400;
    e.L2 = 170, e.T2 = 170, e.R2 = 230, e.B2 = 330;
    e.Debljina = 80;
    TKoordinate k = CalcKoord2(t, e, 10);
    EXPECT_EQ((std::vector{k.X1, k.Y1, k.X2, k.Y2}), (std::vector{90, 90, 310, 410}));
    EXPECT_EQ((std::vector{k.UX1, k.UY1, k.UX2, k.UY2}), (std::vector{170, 170, 230, 330}));
    EXPECT_EQ(k.DebljinaPx, 80);

    // A left leaf: its right (meeting) band is the wider one and stays put.
    e.R2 = 200;
    k = CalcKoord2(t, e, 10);
    EXPECT_EQ(k.X1, 90);
    EXPECT_EQ(k.X2, 300);
    // A door leaf keeps its bottom on the sill.
    e.R2 = 230;
    e.Lajsna = 45;
    k = CalcKoord2(t, e, 10);
    EXPECT_EQ(k.Y2, 400);
    EXPECT_EQ(k.LajsnaPx, 45);
    // The outer frame is never grown.
    e.JeKrilo = false;
    e.Lajsna = 0;
    k = CalcKoord2(t, e, 10);
    EXPECT_EQ((std::vector{k.X1, k.Y1, k.X2, k.Y2}), (std::vector{100, 100, 300, 400}));
}

TEST(CalcKoord2, PutsTheHandleOnItsAxisOnPaper) {
    const PrinterTransform t(2.0, 3.0, 10, 20);
    FrameElement e;
    e.JeKrilo = true;
    e.L1 = 0, e.T1 = 0, e.R1 = 100, e.B1 = 100, e.L2 = 10, e.T2 = 10, e.R2 = 90, e.B2 = 90;
    e.K = 50, e.Q = 3; // on a vertical side: K is a y
    EXPECT_EQ(CalcKoord2(t, e, 0).KPx, 170);
    e.Q = 2; // on a horizontal side: K is an x
    EXPECT_EQ(CalcKoord2(t, e, 0).KPx, 110);
    e.Q = 0;
    EXPECT_EQ(CalcKoord2(t, e, 0).KPx, 50);
    EXPECT_EQ(CalcKoord2(t, e, 0).DebljinaPx, 0);
}

} // namespace
