#include "controls/cmp_Rotate3DLabel.h"
#include "controls/KwLabel.h"
#include "controls/PLCtrls.h"
#include "fw/ui/Form.h"

#include <functional>
#include <gtest/gtest.h>
#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QTest>

namespace {

using namespace controls;

// The bounding box of the pixels that match.
QRect PixelsWhere(const QImage& image, const std::function<bool(const QColor&)>& match) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (match(image.pixelColor(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}
bool Red(const QColor& c) {
    return c.red() > 200 && c.green() < 90 && c.blue() < 90;
}
bool Dark(const QColor& c) {
    return c.red() < 90 && c.green() < 90 && c.blue() < 90;
}
bool Blue(const QColor& c) {
    return c.blue() > 200 && c.red() < 90 && c.green() < 90;
}

struct LabelForm : ::testing::Test {
    std::unique_ptr<fw::Form> form = fw::MakeForm<fw::Form>();
    void SetUp() override {
        form->resize(400, 300);
        form->SetColor(fw::clWhite);
    }
};

TEST_F(LabelForm, ShadowedLabelDrawsTheShadowOffsetByItsSize) {
    auto* label = new TPlLabel(form.get());
    label->SetFont("Arial", 20, true);
    label->SetFontColor(fw::clBlack);
    label->SetLabelColor(fw::clWhite);
    label->SetShadowColor(fw::clRed);
    label->SetShadowSize(2);
    label->SetCaption("Omjer");
    EXPECT_GT(label->width(), 40); // AutoSize fits the text and its shadow
    struct Case {
        TShadowPosition pos;
        int dx, dy;
    };
    for (Case c : {Case{TShadowPosition::spLeftTop, -2, -2}, Case{TShadowPosition::spRightBottom, 2, 2},
                   Case{TShadowPosition::spLeftBottom, -2, 2}, Case{TShadowPosition::spRightTop, 2, -2}}) {
        label->SetShadowPos(c.pos);
        label->move(20, 20);
        const QImage image = label->grab().toImage();
        const QRect text = PixelsWhere(image, Dark), shadow = PixelsWhere(image, Red);
        ASSERT_FALSE(text.isEmpty());
        ASSERT_FALSE(shadow.isEmpty());
        // The text covers the shadow on the side it moved away from: compare the outer edges.
        EXPECT_EQ(c.dx < 0 ? shadow.left() - text.left() : shadow.right() - text.right(), c.dx);
        EXPECT_EQ(c.dy < 0 ? shadow.top() - text.top() : shadow.bottom() - text.bottom(), c.dy);
    }
    // Disabled: grey text, and with no shadow size a 1-pixel highlight shadow at the lower right.
    label->SetShadowSize(0);
    label->SetEnabled(false);
    const QImage disabled = label->grab().toImage();
    EXPECT_TRUE(PixelsWhere(disabled, Dark).isEmpty());
    EXPECT_TRUE(PixelsWhere(disabled, Red).isEmpty());
}

TEST_F(LabelForm, MouseEnterAndLeaveFireOnce) {
    auto* label = new TPlLabel(form.get());
    label->SetCaption("Iznos");
    int enters = 0, leaves = 0;
    label->OnMouseEnter = [&](fw::Component&) { ++enters; };
    label->OnMouseLeave = [&](fw::Component&) { ++leaves; };
    form->Show();
    form->activateWindow();
    (void)QTest::qWaitForWindowActive(form.get());
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(label, &enter);
    QApplication::sendEvent(label, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(label, &leave);
    QApplication::sendEvent(label, &leave);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(leaves, 1);
}

TEST_F(LabelForm, AcceleratorFocusesTheFocusControl) {
    auto* edit = new fw::Edit(form.get());
    auto* label = new TPlLabel(form.get());
    label->SetCaption("&Naziv");
    label->SetFocusControl(edit);
    form->Show();
    EXPECT_FALSE(label->DialogChar('x'));
    EXPECT_TRUE(label->DialogChar('n'));
    EXPECT_EQ(form->ActiveControl(), edit);
    label->SetShowAccelChar(false);
    EXPECT_FALSE(label->DialogChar('n'));
}

TEST(RotateLabel, EscapementIsBroughtIntoRange) {
    const std::pair<int, int> cases[] = {{-30, 330}, {725, 5}, {360, 360}, {-725, 355}, {90, 90}, {0, 0}};
    for (auto [given, stored] : cases) {
        TRotateLabel label(nullptr);
        label.SetEscapement(given);
        EXPECT_EQ(label.Escapement(), stored) << given;
    }
}

TEST(RotateLabel, PlacementOfTurnedText) {
    // Upright text starts at the bottom; upside down at the right.
    const RotatedPlacement at90 = PlaceRotatedText(90, 100, 20);
    EXPECT_EQ(at90.Dx, 0);
    EXPECT_EQ(at90.Dy, 100);
    EXPECT_EQ(at90.Width, 20);
    EXPECT_EQ(at90.Height, 100);
    const RotatedPlacement at180 = PlaceRotatedText(180, 100, 20);
    EXPECT_EQ(at180.Dx, 100);
    EXPECT_EQ(at180.Dy, 20);
    const RotatedPlacement at270 = PlaceRotatedText(270, 100, 20);
    EXPECT_EQ(at270.Dx, 20);
    EXPECT_EQ(at270.Width, 20);
    EXPECT_EQ(at270.Height, 100);
}

TEST_F(LabelForm, VerticalLabelTakesTheTurnedSizeAndDrawsUpwards) {
    auto* label = new TRotateLabel(form.get());
    label->SetFont("Arial", 14, true);
    label->SetTextStyle(TTextStyle::tsNone);
    label->SetTransparent(false);
    label->SetLabelColor(fw::clWhite);
    label->SetFontColor(fw::clBlack);
    label->SetEscapement(90);
    label->SetCaption("Visina prozora");
    const QFontMetrics fm(label->font());
    EXPECT_EQ(label->width(), fm.height());
    EXPECT_EQ(label->height(), fm.horizontalAdvance("Visina prozora"));
    const QRect ink = PixelsWhere(label->grab().toImage(), Dark);
    EXPECT_GT(ink.height(), 3 * ink.width()); // tall and narrow
    EXPECT_GE(ink.top(), 0);
}

TEST(LabelStyle, SettersKeepTheirRules) {
    TLabelStyle style;
    int changes = 0;
    style.OnChange = [&] { ++changes; };
    style.SetAngle(360);
    EXPECT_EQ(style.Angle(), 0);
    style.SetAngle(45);
    style.SetAngle(-5);
    EXPECT_EQ(style.Angle(), 0);
    // The left-top shade is fixed to white while AShadeLTSet is on.
    style.SetAShadeLeftTop(fw::clRed);
    EXPECT_EQ(style.AShadeLeftTop(), fw::clWhite);
    style.SetAShadeLTSet(false);
    style.SetAShadeLeftTop(fw::clRed);
    EXPECT_EQ(style.AShadeLeftTop(), fw::clRed);
    style.SetAShadeLTSet(true);
    EXPECT_EQ(style.AShadeLeftTop(), fw::clWhite);
    style.SetAShadeLTSet(false);
    EXPECT_EQ(style.AShadeLeftTop(), fw::clRed); // the colour saved when it was switched on
    // Offsets matter only for the shadowed look.
    changes = 0;
    style.SetAHShadeOffSet(7);
    EXPECT_EQ(changes, 0);
    style.SetAStyle3D(T3DEffectShort::A3dShadowed);
    style.SetAVShadeOffSet(-7);
    EXPECT_EQ(changes, 2);
}

TEST_F(LabelForm, ThreeDLabelDrawsItsShadeAtTheOffsets) {
    auto* label = new TRotate3DLabel(form.get());
    label->setGeometry(0, 0, 300, 80);
    label->SetFont("Arial", 24, true);
    label->SetFontColor(fw::clBlack);
    label->SetCaption("Lumeno");
    TLabelStyle& style = label->LabelStyle();
    style.SetAStyle3D(T3DEffectShort::A3dShadowed);
    style.SetAShadeRightBottom(fw::clRed);
    style.SetAHShadeOffSet(6);
    style.SetAVShadeOffSet(-4);
    QImage image = label->grab().toImage();
    const QRect text = PixelsWhere(image, Dark), shade = PixelsWhere(image, Red);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_EQ(shade.right() - text.right(), 6);
    EXPECT_EQ(shade.top() - text.top(), -4);
    EXPECT_NEAR(text.center().x(), 150, 3); // centred on the control

    // Turned about the centre and opaque: a polygon in the label's colour, drawn flat.
    style.SetAngle(90);
    label->SetMyTransparent(false);
    label->SetLabelColor(fw::clBlue);
    label->setGeometry(0, 0, 120, 200);
    image = label->grab().toImage();
    const QRect ground = PixelsWhere(image, Blue), ink = PixelsWhere(image, Dark);
    EXPECT_GT(ground.height(), ground.width());
    EXPECT_TRUE(PixelsWhere(image, Red).isEmpty());
    EXPECT_TRUE(ground.adjusted(-2, -2, 2, 2).contains(ink));
}

TEST_F(LabelForm, Screenshot) {
    form->resize(360, 200);
    auto* shadowed = new TPlLabel(form.get());
    shadowed->SetFont("Arial", 16, true);
    shadowed->SetShadowColor(fw::clGray);
    shadowed->SetShadowSize(2);
    shadowed->SetShadowPos(TShadowPosition::spRightBottom);
    shadowed->SetCaption("Radni nalog");
    shadowed->move(10, 10);
    auto* vertical = new TRotateLabel(form.get());
    vertical->SetFont("Arial", 12, true);
    vertical->SetEscapement(90);
    vertical->SetCaption("Visina");
    vertical->move(320, 20);
    auto* slanted = new TRotateLabel(form.get());
    slanted->SetFont("Arial", 12, false);
    slanted->SetEscapement(30);
    slanted->SetTextStyle(TTextStyle::tsRecessed);
    slanted->SetCaption("Širina 1200");
    slanted->move(10, 60);
    auto* threeD = new TRotate3DLabel(form.get());
    threeD->setGeometry(150, 80, 160, 100);
    threeD->SetFont("Arial", 18, true);
    threeD->SetFontColor(fw::clNavy);
    threeD->LabelStyle().SetAngle(20);
    threeD->SetCaption("Lumeno");
    form->Show();
    EXPECT_TRUE(form->grab().save(QStringLiteral(PLOM_BINARY_DIR) + "/screenshot-labels.png"));
}

} // namespace
