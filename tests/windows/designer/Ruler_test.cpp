// The ruler painted into a picture: ticks long and short where they belong, numbers only between the
// ends, and nothing but the background (and the owner's painting) without a range.

#include "windows/designer/MyPaint.h"

#include <gtest/gtest.h>
#include <QImage>

namespace {

using windows::RDirectType;
using windows::TRuller;

// Ink: the pixels clearly darker than the background. A number's thin strokes are smoothed to greys that
// need not reach black.
int Crni(const QImage& s, QRect u) {
    int n = 0;
    for (int y = u.top(); y <= u.bottom(); ++y)
        for (int x = u.left(); x <= u.right(); ++x)
            n += qGray(s.pixel(x, y)) < 128;
    return n;
}

TEST(Ruller, WithoutARangeOnlyTheBackgroundAndTheOwnersPainting) {
    TRuller r(nullptr);
    r.SetBounds(0, 0, 401, 23);
    r.SetRulRange(0);
    int pozvan = 0;
    r.OnPaint = [&](TRuller&, QPainter&) { ++pozvan; };
    QImage s(401, 23, QImage::Format_RGB32);
    s.fill(Qt::black);
    r.PaintRuller(s);
    EXPECT_EQ(pozvan, 1);
    EXPECT_EQ(Crni(s, s.rect()), 0);
}

TEST(Ruller, HorizontalTicksAndNumbers) {
    TRuller r(nullptr);
    r.SetBounds(0, 0, 401, 23);
    r.SetRulNumStepSize(24);
    QImage s(401, 23, QImage::Format_RGB32);
    r.PaintRuller(s);
    const int h = QFontMetrics(r.font()).height();
    ASSERT_LT(h, 20);
    // Spacing 4 pixels: every fifth tick (x = 20) is long and reaches up to the numbers, the others not.
    EXPECT_EQ(Crni(s, QRect(20, h, 1, 23 - h)), 23 - h);
    EXPECT_EQ(Crni(s, QRect(4, h, 1, 1)), 0);
    EXPECT_EQ(Crni(s, QRect(4, 22, 1, 1)), 1);
    EXPECT_EQ(Crni(s, QRect(5, 0, 3, 23)), 0) << "nothing between two ticks";
    // Numbers at the tenth ticks, none at the first or the last.
    EXPECT_GT(Crni(s, QRect(30, 0, 20, h)), 0);
    EXPECT_EQ(Crni(s, QRect(0, 0, 12, h)), 0);
    EXPECT_EQ(Crni(s, QRect(389, 0, 12, h)), 0);
}

TEST(Ruller, VerticalNumbersStandLeftOfTheLongTicks) {
    TRuller r(nullptr);
    r.SetBounds(0, 0, 23, 401);
    r.SetRulDirect(RDirectType::rdVert);
    QImage s(23, 401, QImage::Format_RGB32);
    r.PaintRuller(s);
    const int w = QFontMetrics(r.font()).horizontalAdvance("9") + 1; // largest number 9 (99 div 10 * 1)
    EXPECT_EQ(Crni(s, QRect(w, 20, 23 - w, 1)), 23 - w);
    EXPECT_EQ(Crni(s, QRect(w, 4, 1, 1)), 0);
    EXPECT_GT(Crni(s, QRect(0, 30, w, 20)), 0) << "the number 1 at y = 40";
    EXPECT_EQ(Crni(s, QRect(0, 390, w, 11)), 0);
}

} // namespace
