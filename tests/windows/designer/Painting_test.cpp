// The plan painted on the designer's picture (pixels read back) and on a page (commands read back).

#include "windows/designer/Transforms.h"
#include "windows/designer/WindowPainter.h"
#include "windows/model/Mjerilo.h"

#include "fw/print/Page.h"
#include "tests/windows/model/Gradnja.h"

#include <gtest/gtest.h>
#include <map>
#include <QImage>
#include <QPainter>

namespace {

using namespace gradnja;
using windows::PageCanvasTarget;
using windows::PrinterTransform;

QImage Slika() {
    QImage s(401, 401, QImage::Format_RGB32);
    s.fill(Qt::black);
    return s;
}

int Broj(const QImage& s, QRgb boja, QRect u = QRect(0, 0, 401, 401)) {
    int n = 0;
    for (int y = u.top(); y <= u.bottom(); ++y)
        for (int x = u.left(); x <= u.right(); ++x)
            n += (s.pixel(x, y) & 0xFFFFFF) == (boja & 0xFFFFFF);
    return n;
}

const QRgb Zuta = qRgb(255, 255, 0);
const QRgb Morska = qRgb(0, 0, 128);

// 2400 x 1500, frame 60: at the scale 2400 one pixel is 6 mm. A sash on the left, a double sash on the
// right of a window mullion.
class PaintingTest : public ::testing::Test {
protected:
    void SetUp() override {
        m.PostaviOkvirProzora(2400, 1500, 60);
        precka = &Okomita(m, nullptr, 1170, 1230, 60, 1440);
        desni = m.DodajDvostrukiOkvir(1800, 700, 80, 0, 7, 45);
        krilo = &Krilo(m, 60, 60, 1170, 1440, 80);
        ASSERT_NE(desni, nullptr);
    }
    ModelProzora m;
    TPrecka* precka = nullptr;
    TOkvir* krilo = nullptr;
    TOkvir* desni = nullptr;
};

TEST_F(PaintingTest, SymbolsAndHandleShowOnlyWhenSet) {
    QImage s = Slika();
    windows::PaintDesigner(s, m, 2400, {}, true);
    EXPECT_EQ(Broj(s, Zuta), 0);
    EXPECT_EQ(Broj(s, Morska), 0);

    m.NacinOtvaranja(krilo, windows::O_gore);
    m.NacinOtvaranja(krilo, windows::O_lijevo); // Otvaranje 3, handle on the left band
    ASSERT_EQ(krilo->Otvaranje, 3);
    ASSERT_EQ(krilo->Q, 1);
    s = Slika();
    windows::PaintDesigner(s, m, 2400, {}, true);
    // The handle: yellow, 8u long and 2u + 1 high (u = 6400 div 2400 = 2) around K on the left band.
    const int k = krilo->K * 400 / 2400;
    EXPECT_GT(Broj(s, Zuta, QRect(16, k - 2, 17, 5)), 20);
    EXPECT_EQ(Broj(s, Zuta), Broj(s, Zuta, QRect(16, k - 2, 17, 5)));
    // Both figures: dotted navy lines inside the glazing, none outside it.
    const QRect staklo(23, 23, 172, 217);
    EXPECT_GT(Broj(s, Morska, staklo), 40);
    EXPECT_EQ(Broj(s, Morska), Broj(s, Morska, staklo));
}

TEST_F(PaintingTest, OneSashCarriesBothFiguresOnPaper) {
    m.NacinOtvaranja(krilo, windows::O_gore);
    m.NacinOtvaranja(krilo, windows::O_lijevo);
    fw::Page page(600, 600, 5000, 7000);
    fw::PageCanvas canvas;
    canvas.SetTarget(&page);
    PageCanvasTarget c(canvas);
    const PrinterTransform t(1.0, 1.0, 0, 0);
    windows::WindowPainter(c, t, m).OpeningSymbols(*krilo);
    std::vector<std::vector<QPoint>> crte;
    for (const fw::PageCommand& cmd : page.Commands())
        if (cmd.Kind == fw::CommandKind::Polyline) crte.push_back(cmd.Points);
    ASSERT_EQ(crte.size(), 2u);
    const int l = krilo->L2, tp = krilo->T2, r = krilo->R2, b = krilo->B2;
    // O_gore: apex at the middle of the top; O_lijevo: apex at the middle of the left edge.
    EXPECT_EQ(crte[0][1], QPoint((l + r) / 2, tp + 1));
    EXPECT_EQ(crte[0][0], QPoint(l + (r - l) / 10, b - 1));
    EXPECT_EQ(crte[1][1], QPoint(l + 1, (tp + b) / 2));
    EXPECT_EQ(crte[1][2], QPoint(r - 1, b - (b - tp) / 10));
    EXPECT_EQ(page.PenOf(page.Commands()[0]).Style, fw::PenStyle::psDot);
}

TEST_F(PaintingTest, TheSelectionMarkDrawnTwiceLeavesThePictureAsItWas) {
    QImage prazna = Slika();
    windows::PaintDesigner(prazna, m, 2400, {}, true);
    for (const windows::Selection odabir :
         {windows::Selection{krilo, nullptr}, windows::Selection{desni, nullptr},
          windows::Selection{nullptr, precka}}) {
        QImage s = prazna.copy();
        {
            QPainter p(&s);
            windows::ImageCanvas c(p);
            const windows::ScreenTransform t(2400);
            windows::WindowPainter crtac(c, t, m);
            crtac.DrawOznaceno(odabir);
            p.end();
            EXPECT_NE(s, prazna);
            p.begin(&s);
            crtac.DrawOznaceno(odabir);
        }
        EXPECT_EQ(s, prazna);
    }
    // The designer's picture with a selection is the plain one with the mark.
    QImage oznacena = Slika();
    windows::PaintDesigner(oznacena, m, 2400, {desni, nullptr}, true);
    EXPECT_NE(oznacena, prazna);
}

TEST_F(PaintingTest, NothingOfThePlanBeforeTheRulersAreLaidOut) {
    QImage s = Slika();
    windows::PaintDesigner(s, m, 0, {krilo, nullptr}, true);
    EXPECT_EQ(Broj(s, s.pixel(0, 0)), 401 * 401);
    EXPECT_NE(s.pixel(0, 0) & 0xFFFFFF, 0u); // the background was filled
}

TEST_F(PaintingTest, ThePreviewFitsTheTwoHundredPixelBox) {
    m.MaxBottom = 2400; // the larger side decides: the scale 4900, 2400 mm on 195 pixels
    m.PostaviOkvirProzora(2400, 2400, 60);
    QImage s = Slika();
    windows::PaintPreview(s, m);
    const QRgb pozadina = s.pixel(400, 400);
    EXPECT_EQ(s.pixel(195, 100), qRgb(0, 0, 0)) << "the frame's right edge";
    EXPECT_EQ(s.pixel(100, 195), qRgb(0, 0, 0)) << "the frame's bottom edge";
    EXPECT_EQ(Broj(s, pozadina, QRect(197, 0, 204, 401)), 204 * 401);
    EXPECT_EQ(Broj(s, pozadina, QRect(0, 197, 401, 204)), 401 * 204);
}

TEST_F(PaintingTest, TheNumberOfADoubleSashShowsOnceOnItsLeftLeaf) {
    fw::Page page(600, 600, 5000, 7000);
    fw::PageCanvas canvas;
    canvas.SetTarget(&page);
    PageCanvasTarget c(canvas);
    const PrinterTransform t(1.0, 1.0, 0, 0);
    windows::WindowPainter(c, t, m).Window();
    std::map<std::string, std::vector<QPoint>> tekstovi;
    for (const fw::PageCommand& cmd : page.Commands())
        if (cmd.Kind == fw::CommandKind::Text) tekstovi[cmd.Text].push_back(cmd.Points[0]);
    ASSERT_EQ(tekstovi["2"].size(), 1u) << "the single sash";
    ASSERT_EQ(tekstovi["1"].size(), 1u) << "the double sash, once";
    const TOkvir* lijevi = desni->Par;
    EXPECT_EQ(tekstovi["1"][0], QPoint(lijevi->L2 + 3, lijevi->T2 + 1));
}

} // namespace
namespace {

// A sash narrowed to the width limit is shorter than a handle's bar on its side band: the bar ends at the
// sash's edge instead of lying over the mullion (left) or the frame (right); a handle on a horizontal band
// stays whole.
TEST(HandleBar, StaysOnItsSashAtTheWidthLimit) {
    for (int q = 1; q <= 4; ++q) {
        ModelProzora m;
        m.PostaviOkvirProzora(1000, 1000, 60);
        m.Preklapanje = 8;
        Okomita(m, nullptr, 580, 660, 60, 940);
        Krilo(m, 60, 60, 580, 940, 70);
        TOkvir& d = Krilo(m, 660, 60, 940, 940, 70);
        const windows::Mjerilo mj(windows::DesignerScale(1000, 1000));
        const int x[] = {(d.L1 + d.L2) / 2, d.L2 + 20, (d.R1 + d.R2) / 2, d.R2 - 20};
        const int y[] = {500, (d.T1 + d.T2) / 2, 500, (d.B1 + d.B2) / 2};
        ASSERT_TRUE(m.PostaviKvaku(&d, x[q - 1], y[q - 1], mj)) << q;
        ASSERT_EQ(d.Q, q);
        m.PostaviSirinu(100, mj);
        const int mjerilo = windows::DesignerScale(m.Sirina, m.Visina);
        QImage s = Slika();
        windows::PaintDesigner(s, m, mjerilo, {}, true);
        const windows::ScreenTransform t(mjerilo);
        // The sash as drawn: over the frame and the mullion by the overlap.
        const int p = m.Preklapanje;
        const QRect krilo(QPoint(t.X(d.L1 - p), t.Y(d.T1 - p)), QPoint(t.X(d.R1 + p), t.Y(d.B1 + p)));
        const int svih = Broj(s, Zuta);
        EXPECT_GT(svih, 0) << q;
        EXPECT_EQ(Broj(s, Zuta, krilo), svih)
            << "handle on band " << q << " of a sash " << d.R1 - d.L1 << " mm wide";
    }
}

} // namespace
