// A long printout shows the progress window while it is laid out, and "Opoziv" in it stops the layout:
// nothing shown in the preview or sent to the printer, no document left open, the busy cursor gone, and
// the next printout goes through. While the window stands no other window takes input.

#include "orders/printouts/IspisListeStakla.h"
#include "orders/printouts/IspisNaloga.h"

#include "controls/LayoutProgress.h"
#include "controls/PrintProgressDialog.h"
#include "tests/controls/PrintTesting.h"
#include "tests/orders/printouts/IspisFixture.h"

#include <gmock/gmock.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using namespace orders;
using ::testing::IsEmpty;

constexpr int Stavki = 120;

class IspisNapredak : public ispistest::IspisTest {
protected:
    void SetUp() override {
        old = fw::SetCurrentPrinter(&printer);
        IspisTest::SetUp();
        Prn().SetMeasurer(printtest::Measurer());
        Prn().ShowProgress = true;
        controls::LayoutProgress::Delay() = std::chrono::milliseconds(0);
    }
    void TearDown() override {
        IspisTest::TearDown();
        fw::SetCurrentPrinter(old);
    }
    controls::TPagePrinter& Prn() { return *preview->Prn; }

    // The three items of the fixture and as many plain windows again as make the order long.
    void VelikiNalog() {
        TriStavke();
        for (int stavka = 4; stavka <= Stavki; ++stavka) {
            ordertables::PlainWindow(m, 800 + stavka % 7 * 100, 900 + stavka % 5 * 100);
            Stavka(stavka, 1, 201, 1000);
        }
        ASSERT_EQ(orders::OptimizacijaI(ispistest::RN), orders::IshodRada::Gotovo);
        shown.clear();
    }

    // What the progress window showed when it was first seen, and how far the layout was then.
    struct Vidjeno {
        bool Prozor = false;
        bool Vidljiv = false;
        std::string Naslov, Status, Strana;
        int Korak = -1, Koraka = -1;
        bool Pokazivac = false;
    };
    // At the layout's first look at the events: note what shows, then press the window's key.
    void PritisniUProzoru(Vidjeno& v, void (*pritisni)(controls::TPPPrnPrgDlg&)) {
        QTimer::singleShot(0, [this, &v, pritisni] {
            controls::TPPPrnPrgDlg* d = Prn().ProgressDialog();
            v.Prozor = d != nullptr;
            if (!d) return;
            v.Vidljiv = d->isVisible();
            v.Naslov = d->windowTitle().toStdString();
            v.Status = d->lblStatus->text().toStdString();
            v.Strana = d->lblPageNumber->text().toStdString();
            v.Korak = d->ProgBar->value();
            v.Koraka = d->ProgBar->maximum();
            v.Pokazivac = QApplication::overrideCursor() != nullptr;
            pritisni(*d);
        });
    }
    void OstaloCisto() {
        EXPECT_EQ(Prn().PageCount(), 0);
        EXPECT_FALSE(Prn().Printing());
        EXPECT_FALSE(preview->isVisible());
        EXPECT_THAT(printer.Sheets, IsEmpty());
        EXPECT_EQ(Prn().ProgressDialog(), nullptr);
        EXPECT_EQ(Prn().Layout(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(static_cast<bool>(controls::PrnNewPageProc));
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_FALSE(dynamic_cast<controls::TPPPrnPrgDlg*>(w) && w->isVisible());
        EXPECT_THAT(shown, IsEmpty());
    }

    fw::RecordingPrinter printer = fw::RecordingPrinter::A4(600);
    fw::PrinterDevice* old = nullptr;
};

TEST_F(IspisNapredak, OpozivInTheWindowStopsTheWorkOrderLayout) {
    VelikiNalog();
    Vidjeno v;
    PritisniUProzoru(v, [](controls::TPPPrnPrgDlg& d) { QTest::mouseClick(d.btnCancel, Qt::LeftButton); });
    EXPECT_FALSE(IspisNaloga(ispistest::RN, false, {}));

    ASSERT_TRUE(v.Prozor);
    EXPECT_TRUE(v.Vidljiv);
    EXPECT_EQ(v.Naslov, "RADNI NALOG RN7");
    EXPECT_EQ(v.Status, "Priprema ispisa...");
    EXPECT_EQ(v.Strana, "Strana 1");
    EXPECT_TRUE(v.Pokazivac);
    // The items and both lists' rows; stopped at the first item.
    EXPECT_GT(v.Koraka, Stavki);
    EXPECT_EQ(v.Korak, 1);
    OstaloCisto();

    // The form is usable after: the same printout goes through to the preview.
    Prn().ShowProgress = false;
    ASSERT_TRUE(IspisNaloga(ispistest::RN, false, {}));
    EXPECT_TRUE(preview->isVisible());
    EXPECT_GT(Prn().PageCount(), 2);
}

TEST_F(IspisNapredak, EscInTheWindowStopsTheOfferSentStraightToThePrinter) {
    VelikiNalog();
    Vidjeno v;
    PritisniUProzoru(v, [](controls::TPPPrnPrgDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    NacinIspisa nacin;
    nacin.PregledIspisa = false;
    std::vector<bool> oznaka;
    nacin.OznakaIspisa = [&](bool on) { oznaka.push_back(on); };
    EXPECT_FALSE(IspisNaloga(ispistest::RN, true, nacin));
    ASSERT_TRUE(v.Prozor);
    EXPECT_EQ(v.Naslov, "PONUDA br. 1 RN7");
    EXPECT_EQ(v.Koraka, Stavki);
    OstaloCisto();
    // The form's "Ispisujem..." went away with the document.
    EXPECT_EQ(oznaka, (std::vector<bool>{true, false}));
}

TEST_F(IspisNapredak, NoOtherWindowTakesInputWhileTheWindowStands) {
    VelikiNalog();
    QWidget drugi;
    auto* polje = new QLineEdit(&drugi);
    auto* gumb = new QPushButton(QStringLiteral("Ponuda"), &drugi);
    gumb->move(0, 40);
    int pritisnut = 0;
    QObject::connect(gumb, &QPushButton::clicked, [&] { ++pritisnut; });
    drugi.show();
    QString poruka;
    QTimer::singleShot(0, [&] {
        QTest::keyClicks(polje, "abc");
        QTest::mouseClick(gumb, Qt::LeftButton);
        // A message the layout shows meanwhile can still be answered.
        QWidget pitanje;
        pitanje.setWindowModality(Qt::ApplicationModal);
        auto* odgovor = new QLineEdit(&pitanje);
        pitanje.show();
        QTest::keyClicks(odgovor, "da");
        poruka = odgovor->text();
        pitanje.close();
        if (controls::TPPPrnPrgDlg* d = Prn().ProgressDialog()) d->btnCancel->click();
    });
    EXPECT_FALSE(IspisNaloga(ispistest::RN, true, {}));
    EXPECT_TRUE(polje->text().isEmpty());
    EXPECT_EQ(pritisnut, 0);
    EXPECT_EQ(poruka, "da");
    // And afterwards it does again.
    QTest::keyClicks(polje, "abc");
    QTest::mouseClick(gumb, Qt::LeftButton);
    EXPECT_EQ(polje->text(), "abc");
    EXPECT_EQ(pritisnut, 1);
}

TEST_F(IspisNapredak, TheGlassListsStopAtTheirSheetToo) {
    VelikiNalog();
    const auto liste = OptimizacijaStakla(ispistest::RN, {});
    ASSERT_TRUE(liste);
    int ploca = 0;
    for (const ListaStakla& l : *liste)
        ploca += l.Raspored.BrojPloca;
    ASSERT_GT(ploca, 1);
    Vidjeno v;
    PritisniUProzoru(v, [](controls::TPPPrnPrgDlg& d) { d.btnCancel->click(); });
    EXPECT_FALSE(IspisStakla(ispistest::RN, *liste, {}));
    ASSERT_TRUE(v.Prozor);
    EXPECT_EQ(v.Koraka, ploca);
    OstaloCisto();
}

TEST_F(IspisNapredak, AShortLayoutLooksAtNoEvents) {
    TriStavke();
    controls::LayoutProgress::Delay() = std::chrono::hours(1);
    bool vidjeno = false;
    QTimer::singleShot(0, [&] { vidjeno = true; });
    EXPECT_TRUE(IspisNaloga(ispistest::RN, true, {}));
    // Laid out within the moment: no window, no events let through on the way.
    EXPECT_FALSE(vidjeno);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(preview->isVisible());
}

} // namespace
