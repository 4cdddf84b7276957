// The preview form driven with keys on the offscreen platform, over a recording printer.

#include "PrintTesting.h"

#include "app/data/Dialogs.h"
#include "controls/PrintPreviewForm.h"
#include "fw/ui/Guard.h"
#include "tests/fw/ui/FormTesting.h"

#include <cmath>
#include <map>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace controls;
using namespace printtest;

namespace {

class PreviewForm : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = fw::SetCurrentPrinter(&printer_);
        form_ = fw::MakeForm<TIspis>();
        form_->Prn->SetMeasurer(Measurer());
        form_->Prn->ShowProgress = false;
    }
    void TearDown() override {
        form_.reset();
        fw::SetCurrentPrinter(old_);
        PrnNewPageProc = nullptr;
    }
    void Build(int pages) {
        TPagePrinter& prn = *form_->Prn;
        prn.BeginDoc();
        for (int p = 1; p <= pages; ++p) {
            if (p > 1) prn.NewPage();
            prn.WriteLine("strana " + std::to_string(p));
        }
        prn.EndDoc();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(fwtest::FocusTarget(*form_), key, modifiers);
    }
    std::string Page() const { return form_->lStrana->Caption(); }
    std::vector<int> Printed() const {
        std::vector<int> out;
        for (const auto& sheet : printer_.Sheets)
            for (const fw::Page* page : sheet)
                for (int n = 1; n <= form_->Prn->PageCount(); ++n)
                    if (&form_->Prn->Pages(n) == page) out.push_back(n);
        return out;
    }

    fw::RecordingPrinter printer_ = fw::RecordingPrinter::A4(600);
    std::unique_ptr<TIspis> form_;

private:
    fw::PrinterDevice* old_ = nullptr;
};

} // namespace

TEST_F(PreviewForm, KeysTurnPagesZoomPrintAndClose) {
    EXPECT_EQ(form_->Prn->HeaderFormat(), "^180,05");
    EXPECT_EQ(form_->Prn->FooterFormat(), "<130|>50");
    Build(5);
    PrnNewPageProc = [] {};
    fwtest::ShowActive(*form_);
    EXPECT_FALSE(PrnNewPageProc); // each showing clears the page head
    EXPECT_EQ(Page(), "1 od 5");
    EXPECT_EQ(form_->lPercent->Caption(), std::to_string(form_->Prn->ZoomPercent()) + " %");
    EXPECT_TRUE(form_->eKopija->Focused());
    // Fitted: the whole sheet with its shadow shows without scrolling.
    EXPECT_EQ(form_->Prn->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(form_->Prn->verticalScrollBar()->maximum(), 0);

    const struct {
        Qt::Key key;
        const char* page;
    } turns[] = {{Qt::Key_PageDown, "2 od 5"}, {Qt::Key_PageDown, "3 od 5"}, {Qt::Key_PageUp, "2 od 5"},
                 {Qt::Key_End, "5 od 5"},      {Qt::Key_PageDown, "5 od 5"}, {Qt::Key_Home, "1 od 5"},
                 {Qt::Key_PageUp, "1 od 5"}};
    for (const auto& turn : turns) {
        Key(turn.key);
        EXPECT_EQ(Page(), turn.page);
    }
    EXPECT_EQ(form_->Prn->CurrentPage(), 1);

    const unsigned fitted = form_->Prn->ZoomPercent();
    const struct {
        unsigned from;
        Qt::Key key;
        unsigned to;
    } zooms[] = {{190, Qt::Key_Plus, 200},
                 {200, Qt::Key_Plus, 200},
                 {40, Qt::Key_Minus, 25},
                 {25, Qt::Key_Minus, 25},
                 {25, Qt::Key_Asterisk, fitted}};
    for (const auto& zoom : zooms) {
        form_->Prn->SetZoomPercent(zoom.from);
        Key(zoom.key, Qt::KeypadModifier);
        EXPECT_EQ(form_->Prn->ZoomPercent(), zoom.to);
        EXPECT_EQ(form_->lPercent->Caption(), std::to_string(zoom.to) + " %");
    }
    EXPECT_EQ(form_->eKopija->value(), 1); // the keypad keys never reached the copies field

    // Ctrl scrolls a page larger than the window; every Ctrl key stops at the form.
    form_->Prn->SetZoomPercent(200);
    QScrollBar* h = form_->Prn->horizontalScrollBar();
    ASSERT_GT(h->maximum(), 32);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(h->value(), h->maximum());
    Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(h->value(), h->maximum() - TPagePrinter::ScrollIncrement);
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(h->value(), 0);
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(form_->Prn->verticalScrollBar()->value(), form_->Prn->verticalScrollBar()->maximum());
    EXPECT_EQ(Page(), "1 od 5");
    int setups = 0;
    PrinterSetupProc = [&](QWidget*) {
        ++setups;
        return true;
    };
    Key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(setups, 1);
    EXPECT_EQ(form_->eKopija->Text(), "1");

    // Ctrl+F10 prints the page shown, F10 all of them.
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_F10, Qt::ControlModifier);
    EXPECT_EQ(Printed(), std::vector<int>{3});
    Key(Qt::Key_F10);
    EXPECT_EQ(Printed(), (std::vector<int>{1, 2, 3, 4, 5}));

    Key(Qt::Key_Escape);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(form_->Prn->PageCount(), 5); // the pages stay
}

namespace {
double Luminance(QRgb c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

// The contrast of a panel's text against its background, as it is drawn: the commonest colour is the
// background, the colour farthest from it in lightness the text.
double TextContrast(QWidget& panel) {
    const QImage image = panel.grab().toImage();
    std::map<QRgb, int> counts;
    for (int y = 3; y < image.height() - 3; ++y)
        for (int x = 3; x < image.width() - 3; ++x)
            ++counts[image.pixel(x, y)];
    const QRgb background = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                                return a.second < b.second;
                            })->first;
    double best = 1;
    for (const auto& [colour, count] : counts) {
        const double a = Luminance(colour) + 0.05, b = Luminance(background) + 0.05;
        best = std::max(best, std::max(a, b) / std::min(a, b));
    }
    return best;
}
} // namespace

// The zoom and the page number are read at a glance: their text stands out from its panel.
TEST_F(PreviewForm, TheZoomAndThePageNumberAreReadable) {
    Build(3);
    fwtest::ShowActive(*form_);
    Key(Qt::Key_PageDown);
    ASSERT_EQ(Page(), "2 od 3");
    EXPECT_GE(TextContrast(*form_->Panel1), 4.5);
    EXPECT_GE(TextContrast(*form_->Panel2), 4.5);
}

TEST_F(PreviewForm, CopiesFieldAndOnePage) {
    Build(1);
    fwtest::ShowActive(*form_);
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_End, Qt::Key_PageUp, Qt::Key_Home}) {
        Key(key);
        EXPECT_EQ(Page(), "1 od 1");
    }
    form_->eKopija->selectAll();
    fwtest::Type(fwtest::FocusTarget(*form_), "3");
    EXPECT_EQ(form_->Prn->Copies(), 3u);
    Key(Qt::Key_Backspace); // an emptied field keeps the copies
    EXPECT_EQ(form_->eKopija->Text(), "");
    EXPECT_EQ(form_->Prn->Copies(), 3u);
    fwtest::Type(fwtest::FocusTarget(*form_), "2");
    EXPECT_EQ(form_->Prn->Copies(), 2u);
    Key(Qt::Key_Up);
    EXPECT_EQ(form_->eKopija->Text(), "3") << form_->eKopija->value();
    EXPECT_EQ(form_->Prn->Copies(), 3u);
    Key(Qt::Key_F10);
    EXPECT_EQ(Printed(), (std::vector<int>{1, 1, 1}));
}

TEST_F(PreviewForm, AnOpenDocumentBlocksCancelUntilTheUserDropsIt) {
    fw::MessageRecorder messages;
    fwtest::ShowActive(*form_);
    form_->Prn->BeginDoc();
    form_->Prn->WriteLine("u tijeku");
    form_->bOpoziv->click();
    EXPECT_EQ(messages.Messages, std::vector<std::string>{"Ne mogu obrisati sadržaj za vrijeme ispisa"});
    EXPECT_TRUE(form_->isVisible());

    std::vector<std::string> asked;
    bool answer = false;
    app::Dialogs.AskYesNoHook = [&](const std::string& q) {
        asked.push_back(q);
        return answer;
    };
    EXPECT_FALSE(form_->CanPrint());
    EXPECT_TRUE(form_->Prn->Printing());
    answer = true;
    EXPECT_TRUE(form_->CanPrint());
    EXPECT_FALSE(form_->Prn->Printing());
    EXPECT_EQ(form_->Prn->PageCount(), 0);
    EXPECT_TRUE(form_->CanPrint()); // nothing open: no question
    app::Dialogs.AskYesNoHook = nullptr;
    EXPECT_EQ(asked, (std::vector<std::string>(
                         2, "Imate već neki ispis u tijeku...!!!\r\nŽelite li proslijediti ovaj ispis?")));
    form_->bOpoziv->click();
    EXPECT_FALSE(form_->isVisible());
}

TEST_F(PreviewForm, ShownFromAModalWindowItBelongsToItUntilHidden) {
    Build(3);
    auto modal = fw::MakeForm<fw::Form>();
    bool checked = false;
    QTimer::singleShot(0, [&] {
        form_->ShowPreview();
        EXPECT_EQ(form_->parentWidget(), modal.get());
        EXPECT_TRUE(form_->isVisible());
        form_->activateWindow();
        (void)QTest::qWaitForWindowActive(form_.get());
        Key(Qt::Key_PageDown);
        EXPECT_EQ(Page(), "2 od 3");
        Key(Qt::Key_Escape);
        EXPECT_FALSE(form_->isVisible());
        EXPECT_EQ(form_->parentWidget(), nullptr);
        checked = true;
        modal->SetModalResult(fw::mrCancel);
    });
    modal->ShowModal();
    EXPECT_TRUE(checked);
}

// A run sends its pages with the progress window letting events through: what the user does meanwhile
// must leave the run and its pages alone. Keys typed to the preview never reach it (the progress window
// is the one window taking input); what the program itself calls meanwhile is refused.
class RunningPrint : public PreviewForm {
protected:
    void SetUp() override {
        PreviewForm::SetUp();
        form_->Prn->ShowProgress = true;
        app::Dialogs.ShowInfoHook = [this](const std::string& t) { told.push_back(t); };
        Build(5);
        fwtest::ShowActive(*form_);
    }
    void TearDown() override {
        app::Dialogs.ShowInfoHook = nullptr;
        PreviewForm::TearDown();
    }
    std::vector<std::string> told;
};

TEST_F(RunningPrint, EverythingThatWouldTouchTheRunIsRefusedAndItDeliversEveryPage) {
    int setups = 0;
    PrinterSetupProc = [&](QWidget*) {
        ++setups;
        return true;
    };
    int drawn = 0;
    printer_.OnDraw = [&](const fw::Page&) {
        if (++drawn != 2) return;
        EXPECT_TRUE(form_->Prn->Printing());
        // The keys the user types to the preview he turned back to are dropped.
        QWidget* preview = form_->eKopija;
        QTest::keyClick(preview, Qt::Key_F10);                      // a second print of all pages
        QTest::keyClick(preview, Qt::Key_F10, Qt::ControlModifier); // of the page shown
        QTest::keyClick(preview, Qt::Key_P, Qt::ControlModifier);   // the printer setup
        form_->bPrnSetUp->click();
        EXPECT_FALSE(form_->CanPrint()); // a new printout asks first
        EXPECT_THROW(form_->Prn->BeginDoc(), EPagePrinter);
        EXPECT_THROW(form_->Prn->Clear(), EPagePrinter);
        EXPECT_THROW(form_->Prn->EndDoc(), EPagePrinter);
        EXPECT_THROW(form_->Prn->SetTitle("Drugi"), EPagePrinter);
        EXPECT_THROW(form_->Prn->Print(), EPagePrinter);
    };
    Key(Qt::Key_F10);
    EXPECT_EQ(setups, 0);
    // The setup button clicked by the program and the new printout's check.
    EXPECT_EQ(told, std::vector<std::string>(2, PrintBusyMessage));
    EXPECT_EQ(Printed(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(std::count(printer_.Steps.begin(), printer_.Steps.end(), "begin"), 1);
    EXPECT_EQ(printer_.Steps.back(), "end");
    EXPECT_FALSE(form_->Prn->Printing());
    EXPECT_EQ(form_->Prn->PageCount(), 5);
    EXPECT_TRUE(form_->isVisible());
    // Afterwards everything works again.
    Key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(setups, 1);
}

TEST_F(RunningPrint, OpozivCancelsTheRunThenDropsThePagesAndCloses) {
    int drawn = 0;
    printer_.OnDraw = [&](const fw::Page&) {
        if (++drawn == 2) form_->bOpoziv->click();
    };
    Key(Qt::Key_F10);
    EXPECT_EQ(drawn, 2);
    EXPECT_EQ(printer_.Steps.back(), "end"); // ended: the two sheets sent still print
    EXPECT_EQ(told,
              std::vector<std::string>{"Ispis je prekinut!!!\r\nU pisač je poslano samo 2 od 5 listova."});
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(form_->Prn->PageCount(), 0);
    EXPECT_FALSE(form_->Prn->Printing());
    // A cancel during an earlier run does not drop the pages of the next one.
    told.clear();
    Build(2);
    fwtest::ShowActive(*form_);
    printer_.OnDraw = nullptr;
    Key(Qt::Key_F10);
    EXPECT_EQ(form_->Prn->PageCount(), 2);
    EXPECT_EQ(Printed(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(told.empty());
}
