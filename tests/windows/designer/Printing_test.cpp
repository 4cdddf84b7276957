// A type printed to scale through the page printer: the scale line, the frame measured on the painted
// page, the dimension figures, "FIX", the roller-shutter box, a scale raised to fit, and a second print
// refused while one is running.

#include "windows/designer/WindowPrinting.h"

#include "app/data/Dialogs.h"
#include "app/shell/ScriptedDialogs.h"
#include "fw/print/PrinterDevice.h"
#include "tests/controls/PrintTesting.h"
#include "tests/support/TempFolder.h"
#include "tests/windows/model/Gradnja.h"

#include <fstream>
#include <QImage>
#include <QPainter>

namespace {

using namespace gradnja;
using printtest::Texts;

constexpr double PikselaPoMm = 600 / 25.4;

class PrintingTest : public printtest::PrinterFixture {
protected:
    void SetUp() override {
        PrinterFixture::SetUp();
        Prn().ShowProgress = false;
        m.PostaviOkvirProzora(2400, 1500, 60);
        Okomita(m, nullptr, 1170, 1230, 60, 1440);
        Krilo(m, 1230, 60, 2340, 1440, 80);
    }
    const fw::Page& Stranica() { return Prn().Pages(1); }
    // The frame as painted at 10 pixels per millimetre: the outermost black pixels of the middle row and
    // column of the page, in millimetres.
    std::pair<double, double> IzmjereniOkvir() {
        const fw::Page& s = Stranica();
        QImage slika(static_cast<int>(s.Width() / PikselaPoMm * 10),
                     static_cast<int>(s.Height() / PikselaPoMm * 10), QImage::Format_RGB32);
        slika.fill(Qt::white);
        {
            QPainter p(&slika);
            fw::PaintPageAt(s, p, 254, 254);
        }
        const windows::PrintLayout l = Raspored();
        const int y = static_cast<int>((l.IshodisteY + 750 * l.FaktorY) / PikselaPoMm * 10);
        const int x = static_cast<int>((l.IshodisteX + 300 * l.FaktorX) / PikselaPoMm * 10);
        auto crna = [&](int px, int py) { return qGray(slika.pixel(px, py)) < 128; };
        int lijevo = -1, desno = -1, gore = -1, dolje = -1;
        for (int i = 0; i < slika.width(); ++i)
            if (crna(i, y)) (lijevo < 0 ? lijevo : desno) = i;
        for (int i = 0; i < slika.height(); ++i)
            if (crna(x, i)) (gore < 0 ? gore : dolje) = i;
        // The last black pixel of the row may belong to a figure: take the frame's right edge from the
        // run that starts at the left edge's width.
        return {(desno - lijevo) / 10.0, (dolje - gore) / 10.0};
    }
    windows::PrintLayout Raspored() {
        return windows::PagePrefs(m, n, Prn().UnitsToPixelsX(Prn().PrintableWidth()),
                                  Prn().UnitsToPixelsY(Prn().PrintableHeight()), 600, 600);
    }
    ModelProzora m;
    int n = 50;
    app::ScriptedDialogs dialogs;
};

TEST_F(PrintingTest, PrintsTheFrameToScaleWithItsFiguresAndFix) {
    n = windows::PrintType(Prn(), m, 20);
    ASSERT_EQ(n, 20);
    EXPECT_EQ(Prn().MeasureUnit(), controls::TMeasureUnit::muMillimeters);
    const auto tekstovi = Texts(Stranica());
    const windows::PrintLayout l = Raspored();
    const int desno = l.IshodisteX + static_cast<int>(2400 * l.FaktorX);
    const int dolje = l.IshodisteY + static_cast<int>(1500 * l.FaktorY);

    const auto* naslov = printtest::Find(tekstovi, "M  1:20");
    ASSERT_NE(naslov, nullptr);
    EXPECT_NEAR(naslov->Y, l.IshodisteY - 15 * PikselaPoMm, 1);
    // The overall height right of the picture, the width and the mullion's centre below it (turned).
    const auto* visina = printtest::Find(tekstovi, "1500");
    ASSERT_NE(visina, nullptr);
    EXPECT_NEAR(visina->X, desno + 8 * PikselaPoMm, 1);
    for (const char* t : {"2400", "1200"}) {
        const auto* sirina = printtest::Find(tekstovi, t);
        ASSERT_NE(sirina, nullptr) << t;
        EXPECT_GT(sirina->Y, dolje + 8 * PikselaPoMm) << t;
    }
    for (const fw::PageCommand& c : Stranica().Commands())
        if (c.Kind == fw::CommandKind::Text && c.Text == "2400") {
            EXPECT_EQ(Stranica().FontOf(c).Escapement, 900);
        }
    // The opening left of the mullion holds no sash.
    const auto* fix = printtest::Find(tekstovi, "FIX");
    ASSERT_NE(fix, nullptr);
    EXPECT_EQ(std::count_if(tekstovi.begin(), tekstovi.end(), [](auto& t) { return t.Text == "FIX"; }), 1);
    EXPECT_NEAR(fix->X, l.IshodisteX + 60 * l.FaktorX + PikselaPoMm, 1);

    const auto [sirina, visinaMm] = IzmjereniOkvir();
    EXPECT_NEAR(sirina, 2400.0 / 20, 0.5);
    EXPECT_NEAR(visinaMm, 1500.0 / 20, 0.5);
}

TEST_F(PrintingTest, RaisesTheScaleUntilTheTypeFitsThePage) {
    m.OslobodiMemoriju();
    m.PostaviOkvirProzora(9999, 9000, 60);
    n = windows::PrintType(Prn(), m, 10);
    EXPECT_GT(n, 10);
    const windows::PrintLayout l = Raspored();
    EXPECT_EQ(l.Scale, n);
    const int sirinaPx = Prn().UnitsToPixelsX(Prn().PrintableWidth());
    const int visinaPx = Prn().UnitsToPixelsY(Prn().PrintableHeight());
    for (const auto& t : Texts(Stranica())) {
        EXPECT_GE(t.X, 0) << t.Text;
        EXPECT_LT(t.X, sirinaPx) << t.Text;
        EXPECT_LT(t.Y, visinaPx) << t.Text;
    }
    EXPECT_LT(l.IshodisteX + 9999 * l.FaktorX + 16 * PikselaPoMm, sirinaPx);
    EXPECT_NE(printtest::Find(Texts(Stranica()), "M  1:" + std::to_string(n)), nullptr);
}

TEST_F(PrintingTest, DrawsTheRollerShutterBoxAboveThePicture) {
    m.Roletne = true;
    n = windows::PrintType(Prn(), m, 50);
    const windows::PrintLayout l = Raspored();
    int kutije = 0;
    for (const fw::PageCommand& c : Stranica().Commands()) {
        if (c.Kind != fw::CommandKind::Rectangle ||
            Stranica().BrushOf(c).Style != fw::BrushStyle::bsDiagCross)
            continue;
        ++kutije;
        EXPECT_EQ(c.Points[0],
                  QPoint(l.IshodisteX, l.IshodisteY - static_cast<int>(std::lround(6 * PikselaPoMm))));
        EXPECT_LT(c.Points[1].y(), l.IshodisteY);
    }
    EXPECT_EQ(kutije, 1);
}

TEST_F(PrintingTest, ASecondPrintWhileOneRunsIsRefused) {
    Prn().BeginDoc();
    EXPECT_EQ(windows::PrintType(Prn(), m, 50), 0);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{windows::PrintBusyMessage});
    // The running job keeps its unit.
    EXPECT_EQ(Prn().MeasureUnit(), controls::TMeasureUnit::muMillimeters);
    EXPECT_TRUE(Prn().Printing());
    Prn().EndDoc();
}

// The printed handle: its black rectangles (the rosette on the band, the lever from it).
struct Kvaka {
    QRect Rozeta, Poluga;
};

Kvaka IspisanaKvaka(const fw::Page& s) {
    std::vector<QRect> crni;
    for (const fw::PageCommand& c : s.Commands())
        if (c.Kind == fw::CommandKind::Rectangle && s.BrushOf(c).Style == fw::BrushStyle::bsSolid &&
            s.BrushOf(c).Color == fw::clBlack)
            crni.emplace_back(c.Points[0], c.Points[1] - QPoint(1, 1));
    EXPECT_EQ(crni.size(), 2u);
    if (crni.size() != 2) return {};
    const bool prvaDulja = crni[0].height() > crni[1].height();
    return {crni[prvaDulja ? 1 : 0], crni[prvaDulja ? 0 : 1]};
}

TEST_F(PrintingTest, TheHandleStaysVisibleOnPaperAtSmallScalesAndToScaleAtLargeOnes) {
    m.OslobodiMemoriju();
    m.PostaviOkvirProzora(1200, 1400, 60);
    TOkvir& s = Krilo(m, 60, 60, 1140, 1340, 80);
    s.Q = 1; // on the left side, 700 mm down
    s.K = 700;
    auto mm = [](int px) { return px / PikselaPoMm; };

    n = windows::PrintType(Prn(), m, 40);
    ASSERT_EQ(n, 40);
    const Kvaka mala = IspisanaKvaka(Stranica());
    // A lever of some 4 mm and a rosette of about 0.6 by 1.5 mm, not a half-millimetre dash.
    EXPECT_GE(mm(mala.Poluga.height()), 3.5);
    EXPECT_GE(mm(mala.Rozeta.width()), 0.5);
    EXPECT_GE(mm(mala.Rozeta.height()), 1.2);
    // Where it was: the rosette on the middle of the sash's left band, the lever from the handle's height.
    const windows::PrintLayout l = Raspored();
    // (the sash's outer edge reaches the overlap further out on paper)
    const double sredinaPojasa =
        l.IshodisteX + ((60 - m.Preklapanje) + (60 + 80 - m.Preklapanje)) / 2.0 * l.FaktorX;
    EXPECT_NEAR(mala.Rozeta.center().x(), sredinaPojasa, 3);
    EXPECT_NEAR(mala.Poluga.top(), l.IshodisteY + 700 * l.FaktorY, 2);
    // The Part's proportions: a lever 13 units long, the rosette 2 by 5.
    const int u = mala.Poluga.height() / 13;
    EXPECT_EQ(mala.Rozeta.width(), 2 * u);
    EXPECT_EQ(mala.Rozeta.height(), 5 * u);

    Prn().Clear();
    n = windows::PrintType(Prn(), m, 10);
    ASSERT_EQ(n, 10);
    const Kvaka velika = IspisanaKvaka(Stranica());
    // At 1:10 the handle keeps the size its scale gives it: 20 of the designer's handle units.
    const int piksela16 = 6400 / windows::DesignerScale(1200, 1400);
    const int u10 = static_cast<int>(std::lround(PikselaPoMm / 10 / piksela16 * 20));
    EXPECT_EQ(velika.Poluga.height(), 13 * u10);
    EXPECT_GT(mm(velika.Poluga.height()), mm(mala.Poluga.height()));
}

TEST(PrintingPdf, WritesThePlanToAPdfFile) {
    testsupport::TempFolder folder;
    const std::filesystem::path pdf = folder.Path() / "tip.pdf";
    fw::QtPrinterDevice device;
    device.SetPdfFile(pdf.string());
    fw::PrinterDevice* old = fw::SetCurrentPrinter(&device);
    {
        ModelProzora m;
        m.PostaviOkvirProzora(1200, 1400, 60);
        Krilo(m, 60, 60, 1140, 1340, 80).Otvaranje = windows::O_lijevo;
        controls::TPagePrinter prn(nullptr);
        prn.ShowProgress = false;
        std::vector<std::string> shown;
        app::Dialogs.ShowInfoHook = [&](const std::string& t) { shown.push_back(t); };
        EXPECT_EQ(windows::PrintType(prn, m, 50), 50);
        EXPECT_EQ(prn.Title(), "Tip prozora");
        EXPECT_TRUE(prn.Print());
        app::Dialogs.ShowInfoHook = nullptr;
        EXPECT_EQ(shown, std::vector<std::string>{"Ispis je spremljen u datoteku \"" + pdf.string() + "\"."});
    }
    fw::SetCurrentPrinter(old);
    std::ifstream f(pdf, std::ios::binary);
    std::string kod(4, '\0');
    f.read(kod.data(), 4);
    EXPECT_EQ(kod, "%PDF");
}

} // namespace
