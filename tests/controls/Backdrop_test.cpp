#include "controls/cmp_TBackDrop.h"

#include "controls/Drawing.h"
#include "fw/ui/Form.h"

#include <gtest/gtest.h>
#include <QImage>

namespace {

using controls::GradientBands;
using controls::TDirection;

TEST(MulDiv, RoundsHalfAwayFromZero) {
    EXPECT_EQ(controls::MulDiv(1, 31, 256), 0);
    EXPECT_EQ(controls::MulDiv(5, 31, 256), 1);  // 0.605
    EXPECT_EQ(controls::MulDiv(128, 1, 256), 1); // 0.5 rounds up
    EXPECT_EQ(controls::MulDiv(-128, 1, 256), -1);
    EXPECT_EQ(controls::MulDiv(127, -255, 127), -255);
    EXPECT_EQ(controls::MulDiv(1, 2, 0), -1);
    EXPECT_EQ(controls::MulDiv(100000, 100000, 10), 1000000000);
}

TEST(Backdrop, BandsFollowTheDirection) {
    const fw::TColor start = fw::clBlue, end = fw::clBlack;
    struct Case {
        TDirection direction;
        bool rows;
        fw::TColor first, middle, last; // colours at the first edge, the middle and the far edge
    };
    const Case cases[] = {
        {TDirection::bdUp, true, start, 0x800000, end},    {TDirection::bdDown, true, end, 0x7F0000, start},
        {TDirection::bdLeft, false, start, 0x800000, end}, {TDirection::bdRight, false, end, 0x7F0000, start},
        {TDirection::bdHorzIn, true, end, start, end},     {TDirection::bdHorzOut, true, start, end, start},
        {TDirection::bdVertIn, false, start, end, start},  {TDirection::bdVertOut, false, end, start, end},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.direction));
        const auto bands = GradientBands(c.direction, start, end, 512, 512);
        ASSERT_EQ(bands.size(), 256u);
        auto colourAt = [&](int pos) {
            for (auto it = bands.rbegin(); it != bands.rend(); ++it) {
                const QRect& r = it->Rect;
                if ((c.rows ? r.top() <= pos && pos <= r.bottom() : r.left() <= pos && pos <= r.right()))
                    return it->Color;
            }
            return fw::TColor(0xDEAD);
        };
        EXPECT_EQ(colourAt(0), c.first);
        EXPECT_EQ(colourAt(511), c.last);
        const fw::TColor mid = colourAt(256);
        EXPECT_NEAR(static_cast<int>(mid >> 16), static_cast<int>(c.middle >> 16), 2);
        for (const auto& band : bands)
            EXPECT_EQ(c.rows ? band.Rect.width() : band.Rect.height(), 512);
    }
}

TEST(Backdrop, LowControlsGetEmptyBandsAndTheLastEndsAtTheEdge) {
    const auto bands = GradientBands(TDirection::bdUp, fw::clWhite, fw::clBlack, 100, 31);
    int empty = 0, bottom = 0;
    for (const auto& band : bands) {
        if (band.Rect.height() == 0) ++empty;
        bottom = std::max(bottom, band.Rect.top() + band.Rect.height());
    }
    EXPECT_GT(empty, 200);
    EXPECT_EQ(bottom, 31);
    const auto mirrored = GradientBands(TDirection::bdVertOut, fw::clWhite, fw::clBlack, 37, 10);
    int right = 0;
    for (const auto& band : mirrored)
        right = std::max(right, band.Rect.left() + band.Rect.width());
    EXPECT_EQ(right, 37);
}

TEST(Backdrop, PaintsTheGradientAndFillsItsParent) {
    auto form = fw::MakeForm<fw::Form>();
    form->resize(478, 31);
    auto* backdrop = new controls::TBackdrop(form.get());
    backdrop->SetDirection(TDirection::bdHorzIn);
    EXPECT_EQ(backdrop->geometry(), QRect(0, 0, 478, 31)); // aligned to the client area
    const QImage image = backdrop->grab().toImage();
    image.save(QStringLiteral(PLOM_BINARY_DIR) + "/screenshot-backdrop.png");
    // Near the end colour at the edges: a low control skips the first bands, whose rows are empty.
    EXPECT_LT(image.pixelColor(10, 0).blue(), 16);
    EXPECT_LT(image.pixelColor(10, 30).blue(), 16);
    EXPECT_EQ(image.pixelColor(10, 0).red(), 0);
    EXPECT_GT(image.pixelColor(10, 15).blue(), 240); // start colour in the middle
    EXPECT_EQ(image.pixelColor(10, 15).red(), 0);

    backdrop->SetStartColor(fw::clGreen);
    backdrop->SetEndColor(fw::clGreen);
    const QImage flat = backdrop->grab().toImage();
    for (int y = 0; y < 31; y += 3)
        EXPECT_EQ(flat.pixelColor(200, y), QColor(0, 128, 0));
}

} // namespace
