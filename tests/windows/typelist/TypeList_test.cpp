// The type list driven with keys: a new type opened in the designer, laid out, saved on closing, drawn in
// the preview and deleted with its rows.

#include "windows/designer/EditWindow.h"
#include "windows/typelist/PEWin.h"

#include "app/data/Settings.h"
#include "app/shell/FormOpener.h"
#include "kit/Mycombo.h"
#include "kit/MyTable.h"
#include "tests/fw/ui/FormTesting.h"
#include "tests/windows/storage/StorageFixture.h"

#include <algorithm>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

namespace {

class TypeListTest : public storagetest::StorageTest {
protected:
    TypeListTest() {
        app::CheckTablesOf("WINGL.DB", "Lokal", false);
        kit::InitializeKit();
        app::Settings.CommonSettings.Resources.LoadMode = 1;
        app::FormOpener.FlushTableProc = [](fw::TDataSet&) {};
        // No open-tables register in this folder: count the opens here.
        kit::TableServices& s = kit::KitTableServices;
        s.RegisterTableOpen = [this](fw::TDataSet&) { ++opens; };
        s.UnregisterTableOpen = [this](fw::TDataSet&) { --opens; };
        s.MarkTableChanged = [](fw::TDataSet&) {};
        s.TableOpenCount = [this](fw::TDataSet&) { return opens; };
    }
    ~TypeListTest() override {
        delete windows::EditWindowForm.EditWindow;
        delete windows::PEditWindowForm.PEditWindow;
    }
    void Press(fw::Form& f, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(fwtest::FocusTarget(f), key, mods);
    }
    int opens = 0;
    bool PreviewDrawn(windows::TPEditWindow& l) {
        const QImage img = l.PaintBox->pixmap().toImage();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != qRgb(255, 255, 255)) return true;
        return false;
    }
};

TEST_F(TypeListTest, CreatesDesignsListsAndDeletesAType) {
    windows::PrikaziTipove(nullptr);
    windows::TPEditWindow* l = windows::PEditWindowForm.PEditWindow;
    ASSERT_NE(l, nullptr);
    fwtest::ShowActive(*l);
    EXPECT_EQ(l->Caption().toStdString(), "Pregled tipova prozora");
    // Every edit of the type stands under its caption.
    std::vector<std::string> captions;
    for (QLabel* label : l->findChildren<QLabel*>())
        if (!label->text().isEmpty()) captions.push_back(label->text().toStdString());
    for (const char* caption : {"Tip prozora:", "Naziv tipa prozora:", "Šifra artikla prozora:", "Sistem:"})
        EXPECT_NE(std::find(captions.begin(), captions.end(), caption), captions.end()) << caption;
    EXPECT_TRUE(l->tWinGL2->Active());

    // A new type: its fields typed into the edits.
    l->tWinGL2->Append();
    l->eSifra->SetFocus();
    fwtest::Type(fwtest::FocusTarget(*l), "P1");
    l->eNaziv->SetFocus();
    fwtest::Type(fwtest::FocusTarget(*l), "Prozor jednokrilni");
    l->eArtikl->SetFocus();
    fwtest::Type(fwtest::FocusTarget(*l), "501");
    l->eSistem->SetFocus();
    fwtest::Type(fwtest::FocusTarget(*l), "3");
    // The designer runs modally: it is driven from inside its loop.
    std::string caption;
    std::size_t mullions = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        windows::TEditWindow* d = windows::EditWindowForm.EditWindow;
        if (!d || !d->isVisible()) return;
        poll.stop();
        caption = d->Caption().toStdString();
        (void)QTest::qWaitForWindowActive(d);
        QTest::mouseClick(d->PaintBox, Qt::LeftButton, {}, QPoint(200, 150)); // a vertical mullion
        mullions = d->D.Model.Precke.size();
        answers.push_back(true);
        d->Close();
    });
    poll.start(10);
    l->Pregled->SetFocus();
    Press(*l, Qt::Key_Space);
    EXPECT_EQ(caption, "Kreiranje tipa: P1 - sistem: 3");
    EXPECT_EQ(mullions, 1u);
    EXPECT_EQ(asked, std::vector<std::string>{"Želite li sačuvati promjene ?"});
    ASSERT_TRUE(shown.empty()) << shown.front();

    // Listed, stored with its mullion, and drawn in the preview.
    EXPECT_EQ(l->tWinGL2->RecordCount(), 1);
    EXPECT_EQ(l->tWinGL2->FieldByName("Naziv").AsString(), "Prozor jednokrilni");
    EXPECT_EQ(Redovi("WINP.DB", 501).size(), 1u);
    EXPECT_TRUE(PreviewDrawn(*l));

    // Deleted from the grid with its rows; the preview is cleared.
    l->gWinGL2->SetFocus();
    answers.push_back(true);
    Press(*l, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(l->tWinGL2->RecordCount(), 0);
    EXPECT_TRUE(Redovi("WINP.DB", 501).empty());
    EXPECT_FALSE(PreviewDrawn(*l));
}

} // namespace
