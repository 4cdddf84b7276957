// The sample workshop walked as a newcomer walks it: staged, the program started on it, "Radni Nalozi"
// opened from the main window, the sample order cut ("OPTIMIZACIJA I") and its glass laid on sheets, and
// its three printouts sent to the printer, all with keys. The figures are worked out by hand from the
// sample's sizes and the system's constants.

#include "app/data/WBegin.h"
#include "app/shell/ScriptedDialogs.h"
#include "base/ProgramState.h"
#include "orders/workorder/WRadNal.h"
#include "program/SampleWorkshop.h"
#include "program/StageSample.h"
#include "program/Startup.h"
#include "program/WinGlavna.h"
#include "registers/Artikli.h"
#include "tests/fw/ui/FormTesting.h"
#include "tests/orders/OrderTables.h"
#include "tests/support/TempFolder.h"

#include <gmock/gmock.h>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace app::sample;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// Every PDF file under the folders.
std::set<fs::path> Pdfs(const std::vector<fs::path>& folders) {
    std::set<fs::path> out;
    for (const fs::path& f : folders) {
        std::error_code e;
        for (auto i = fs::recursive_directory_iterator(f, e); !e && i != fs::recursive_directory_iterator();
             i.increment(e))
            if (i->is_regular_file() && i->path().extension() == ".pdf") out.insert(i->path());
    }
    return out;
}

class SampleWorkshop : public ::testing::Test {
protected:
    SampleWorkshop() {
        // Printouts without a printer go to PDF files in the user's folders: here a folder of the test
        // program's, one for the whole process (the printer reads it once).
        if (const char* h = std::getenv("HOME")) oldHome = h;
        setenv("HOME", home.Path().c_str(), 1);
    }
    ~SampleWorkshop() override {
        if (oldHome)
            setenv("HOME", oldHome->c_str(), 1);
        else
            unsetenv("HOME");
        base::ResetProgramState();
    }

    void Tipka(orders::TWRadniNalozi& f, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(fwtest::FocusTarget(f), key, mods);
    }

    static const testsupport::TempFolder& Home() {
        static const testsupport::TempFolder home;
        return home;
    }
    const testsupport::TempFolder& home = Home();
    testsupport::TempFolder folder;
    std::optional<std::string> oldHome;
    app::ScriptedDialogs dialogs;
};

TEST_F(SampleWorkshop, TheSampleOrderIsCutGlazedAndPrintedFromTheKeyboard) {
    app::StageOptions o;
    o.Sample = app::StageSampleWorkshop;
    app::StageProgramFolder(folder.Path(), o);
    // Staged a second time (an existing folder): nothing is added.
    app::StageProgramFolder(folder.Path(), o);
    EXPECT_EQ(ordertables::RowsOf(folder.Path(), "STAVKERN.DB", "BrojRN", RadniNalog, {"Stavka"}).size(), 5u);
    EXPECT_EQ(ordertables::RowsOf(folder.Path(), "WSYSTEM.DB", "Code", Sistem, {"Sifra"}).size(), 1u);
    // Each printout's PDF files are taken away as they come, so that a printout writing a file of the same
    // name as the one before is still seen.
    testsupport::TempFolder taken;
    int nTaken = 0;
    const auto takePdfs = [&] {
        std::vector<std::string> sizes;
        for (const fs::path& p : Pdfs({home.Path(), folder.Path()})) {
            sizes.push_back(std::to_string(fs::file_size(p)));
            fs::rename(p, taken / (std::to_string(++nTaken) + ".pdf"));
        }
        return sizes;
    };
    ASSERT_THAT(takePdfs(), IsEmpty());
    std::vector<std::vector<std::string>> printed;

    bool drove = false;
    const int code = app::RunProgram(folder.Path(), [&](app::TWinGlavna& w) {
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            orders::TWRadniNalozi* f = orders::RadniNaloziForm.WRadniNalozi;
            if (drove || !f || !f->isVisible() || !f->isActiveWindow()) return;
            drove = true;
            poll.stop();
            // However the walk ends, the form closes and the program with it.
            struct Zatvori {
                orders::TWRadniNalozi* f;
                ~Zatvori() {
                    if (f->isVisible()) f->Close();
                }
            } zatvori{f};
            // The order list shows the sample order, not yet cut: nothing to print.
            ASSERT_EQ(f->ActiveControl()->Name(), "gRadniNal");
            EXPECT_EQ(f->tRadniNal->FieldByName("Sifra").AsString(), "1/2026");
            EXPECT_FALSE(f->bIspisNaloga->Enabled());
            // The first item's type and glass are ones its lookups offer.
            EXPECT_EQ(f->eTip->Text(), "FIX");
            EXPECT_EQ(f->eStaklo->Text(), "IZO-4-16-4");
            // Each type is sold under an article of its own code, never a profile's: the designer opens
            // only a type with its sale article.
            std::multiset<std::int64_t> prodajni;
            {
                auto t = engine::Table::Open(folder / "global", "SIF_ROBE.DB", engine::OpenMode::Shared);
                std::size_t code = 0, grupa = 0, partner = 0;
                for (std::size_t i = 0; i < t->Fields().size(); ++i) {
                    if (t->Fields()[i].Name == "Code") code = i;
                    if (t->Fields()[i].Name == "Grupa") grupa = i;
                    if (t->Fields()[i].Name == "Partner") partner = i;
                }
                auto c = t->OpenCursor();
                for (c->First(); c->OnRow(); c->Next())
                    if (c->Read()[grupa].AsInt() == 7 &&
                        c->Read()[partner].AsInt() == app::WBegin.PodaciPoduzeca.OwnPartner)
                        prodajni.insert(c->Read()[code].AsInt());
            }
            EXPECT_EQ(prodajni, (std::multiset<std::int64_t>{TipFix, TipK1, TipK2P, TipK2, TipBVN, TipK1R}));
            // Priced: the order's amount is its items' quantities times their prices.
            EXPECT_EQ(f->tRadniNal->FieldByName("Iznos").AsFloat(), 2 * 165 + 310 + 620 + 790 + 540);
            EXPECT_EQ(f->tStavkeRN->FieldByName("Cijena").AsFloat(), 165);
            // "OPTIMIZACIJA I".
            Tipka(*f, Qt::Key_End, Qt::ControlModifier);
            ASSERT_EQ(f->ActiveControl()->Name(), "Optimizacija");
            Tipka(*f, Qt::Key_Space);
            ASSERT_TRUE(QTest::qWaitForWindowActive(f));
            ASSERT_THAT(dialogs.Texts(), IsEmpty());
            EXPECT_TRUE(f->bIspisNaloga->Enabled());
            // Straight to the printer from here on.
            f->cPregledIspisa->SetFocus();
            Tipka(*f, Qt::Key_Space);
            ASSERT_FALSE(f->cPregledIspisa->Checked());
            // The glass run prints its cutting lists; then the order and the offer.
            for (kit::TMyBitBtn* b : {f->bOptimaStakla, f->bIspisNaloga, f->bPonuda}) {
                // The run's progress window has gone: the form takes the keys again.
                f->activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(f));
                b->SetFocus();
                Tipka(*f, Qt::Key_Space);
                // Each printout tells which PDF file of its own it wrote, and nothing else.
                ASSERT_EQ(dialogs.Texts().size(), 1u)
                    << b->Name() << ::testing::PrintToString(dialogs.Texts());
                EXPECT_EQ(
                    dialogs.Texts()[0].rfind("Ispis je spremljen u datoteku \"" + home.Path().string(), 0),
                    0u)
                    << dialogs.Texts()[0];
                dialogs.Calls.clear();
                printed.push_back(takePdfs());
            }

            EXPECT_THAT(f->FazeZadnjegRada, ::testing::ElementsAre("Optimizacija stakla..."));
            Tipka(*f, Qt::Key_Escape);
        });
        poll.start(5);
        w.SetActiveControl(w.bNalozi);
        QTest::keyClick(w.bNalozi, Qt::Key_Return);
        w.Close();
    });
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(drove) << "the work-order form did not open";
    EXPECT_THAT(dialogs.Texts(), IsEmpty());

    // Item 1, two fixed lights 600 x 800: per light two frame pieces of each side, each the side plus
    // 2 x 3 welding plus 2 x 4 saw kerf.
    const auto rows = [&](const char* table, std::vector<std::string> fields) {
        return ordertables::RowsOf(folder.Path(), table, "RadniNalog", RadniNalog, fields);
    };
    std::multiset<std::string> item1;
    for (const std::string& r : rows("RNOPTIMA.DB", {"Prozor", "Artikl", "Duzina", "Duzina2"}))
        if (r.rfind("1 ", 0) == 0) item1.insert(r);
    EXPECT_EQ(item1, (std::multiset<std::string>{"1 1 614 600", "1 1 614 600", "1 1 614 600", "1 1 614 600",
                                                 "1 1 814 800", "1 1 814 800", "1 1 814 800", "1 1 814 800",
                                                 // the reinforcement: H - 4 x 66 - 2 x 10 down and
                                                 // W - 2 x 66 - 2 x 10 across, cut 2 x 4 shorter
                                                 "1 9 516 508", "1 9 516 508", "1 9 516 508", "1 9 516 508",
                                                 "1 9 448 440", "1 9 448 440", "1 9 448 440", "1 9 448 440"}))
        << ::testing::PrintToString(item1);

    // The white sash's bars: its pieces in list order fill a 6500 mm bar until the next would not fit.
    // The sashes: item 2 (800 x 1200) 668 x 1068 opening + 2 x 8 overlap = 684 x 1084; item 3 (1600 x 1400)
    // two of (1600 - 2 x 66 - 84) / 2 = 692 x 1268 -> 708 x 1284; item 5 (1200 x 1400) 1068 x 1268 ->
    // 1084 x 1284; each piece + 14. 2 x 698 + 2 x 1098 + 4 x 722 + 4 x 1298 + 2 x 1098 + 2 x 1298 = 16464
    // mm: three bars at least, and three are enough.
    std::vector<int> bars;
    int used = DuzinaSipke;
    for (const std::string& r : rows("RNOPTIMA.DB", {"Artikl", "Duzina"})) {
        if (r.rfind("2 ", 0) != 0) continue;
        const int d = std::stoi(r.substr(2));
        if (used + d > DuzinaSipke) {
            bars.push_back(0);
            used = 0;
        }
        used += d;
        bars.back() += d;
    }
    int total = 0;
    for (int b : bars)
        total += b;
    EXPECT_EQ(total, 2 * 1098 + 2 * 698 + 4 * 1298 + 4 * 722 + 2 * 1298 + 2 * 1098);
    EXPECT_EQ(bars.size(), 3u) << ::testing::PrintToString(bars);

    // The panes (height, width): item 1's fixed light, its 468 x 668 opening less 2 x 5, twice; item 3's
    // two sashes glazed inside their bands, the 692 x 1268 opening less 2 x (80 - 8).
    std::vector<std::string> panes;
    for (const std::string& r : rows("RNOPTST.DB", {"Prozor", "Artikl", "Kolicina", "Duzina", "Sirina"}))
        if (r.rfind("1 ", 0) == 0 || r.rfind("3 ", 0) == 0) panes.push_back(r);
    EXPECT_THAT(panes, UnorderedElementsAre("1 13 2 658 458", "3 14 1 1124 548", "3 14 1 1124 548"));

    // The three printouts, the glass cutting lists, the work order and the offer, each reached a PDF file.
    ASSERT_EQ(printed.size(), 3u) << ::testing::PrintToString(printed);
    for (const auto& files : printed) {
        ASSERT_EQ(files.size(), 1u) << ::testing::PrintToString(printed);
        EXPECT_NE(files[0], "0");
    }
}

// Without the sample the registers stay as the setup installs them.
// The article register shows every sample article whole: its own name and its names in the supplier's and
// the company's language, which both have.
TEST_F(SampleWorkshop, TheArticleRegisterShowsEverySampleArticleWhole) {
    app::StageOptions o;
    o.Sample = app::StageSampleWorkshop;
    app::StageProgramFolder(folder.Path(), o);
    std::vector<std::string> shown, faults;
    bool sawForm = false;
    app::AddStartUpForms(); // as the program starts: the register forms are made with the main window
    const int code = app::RunProgram(folder.Path(), [&](app::TWinGlavna& w) {
        registers::TSifarnikArtikli* f = registers::Artikli.SifarnikArtikli;
        ASSERT_NE(f, nullptr);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!f->Modal() || !f->isVisible()) return;
            poll.stop();
            sawForm = true;
            EXPECT_EQ(f->ActiveControl(), f->gSifRobe);
            for (const fw::Label* l : {f->GovorLabel, f->GovorLabel2})
                EXPECT_EQ(l->Caption(), "(Hrvatski)");
            for (int i = 0; i < 100 && !f->tSifRobe->Eof(); ++i) {
                const std::string sifra = f->tSifRobe->FieldByName("Sifra").AsString();
                shown.push_back(sifra);
                for (const kit::TDBVar* e : {f->eNaziv, f->eNaziv2, f->eNazivRobe})
                    if (e->Text().empty()) faults.push_back(sifra + ": " + e->Name());
                QTest::keyClick(&f->gSifRobe->Widget(), Qt::Key_Down);
            }
            QTest::keyClick(&f->ActiveControl()->Widget(), Qt::Key_Escape);
        });
        poll.start(5);
        w.SetActiveControl(w.bSifArt);
        QTest::keyClick(w.bSifArt, Qt::Key_Return);
        w.Close();
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(sawForm);
    EXPECT_THAT(dialogs.Texts(), IsEmpty());
    EXPECT_EQ(shown.size(), 19u); // 13 profiles, steels and glass, and the 6 windows the workshop sells
    EXPECT_THAT(faults, IsEmpty());
}

TEST_F(SampleWorkshop, WithoutTheSampleTheRegistersStayEmpty) {
    app::StageProgramFolder(folder.Path());
    EXPECT_THAT(ordertables::RowsOf(folder.Path(), "WSYSTEM.DB", "Code", Sistem, {"Sifra"}), IsEmpty());
    EXPECT_THAT(ordertables::RowsOf(folder.Path(), "RADNINAL.DB", "Code", RadniNalog, {"Sifra"}), IsEmpty());
}

} // namespace
