// Every form of the program fits a 1024x768 screen whole: the window with its title bar, every control
// inside the window, and every label's and check box's text inside it, none drawn over another; no label
// shows a raw field name.

#include "app/shell/MyDialog.h"
#include "app/shell/Splash.h"
#include "controls/PrintPreviewForm.h"
#include "kit/O_Plom.h"
#include "kit/sifra.h"
#include "orders/workorder/WRadNal.h"
#include "program/Arh.h"
#include "registers/Artikli.h"
#include "registers/Atomi.h"
#include "registers/Banke.h"
#include "registers/Gkonta.h"
#include "registers/Grupe.h"
#include "registers/Konta.h"
#include "registers/Pakiranja.h"
#include "registers/Partner.h"
#include "registers/PlainRegisters.h"
#include "registers/Sif_Boja.h"
#include "registers/Sif_Part.h"
#include "registers/Stope.h"
#include "tests/registers/RegisterFixture.h"
#include "windows/designer/EditWindow.h"
#include "windows/systems/P_art.h"
#include "windows/systems/WSistem.h"
#include "windows/typelist/PEWin.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QLabel>
#include <QStyle>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

// The screen, less a window manager's title bar.
constexpr int ScreenWidth = 1024;
constexpr int ScreenHeight = 768;
constexpr int TitleBar = 30;

// A caption like "KontoRoba": a small letter followed by a capital inside a word.
bool RawFieldName(const QString& text) {
    for (int i = 1; i < text.size(); ++i)
        if (text[i - 1].isLower() && text[i].isUpper()) return true;
    return false;
}

class FormsFit : public regtest::RegisterTest {
protected:
    template <class F> void Measure() {
        std::unique_ptr<F> form(fw::CreateForm<F>(nullptr));
        Check(*form);
    }
    void Check(fw::Form& form) {
        const std::string name = form.Name().empty() ? form.Caption().toStdString() : form.Name();
        const QRect client = form.rect();
        if (client.width() > ScreenWidth || client.height() + TitleBar > ScreenHeight)
            faults.push_back(name + ": " + std::to_string(client.width()) + "x" +
                             std::to_string(client.height()));
        for (QWidget* w : form.findChildren<QWidget*>()) {
            if (!dynamic_cast<fw::Control*>(w)) continue;
            // Labels on pages not shown yet are read too.
            auto* label = qobject_cast<QLabel*>(w);
            if (label && RawFieldName(label->text()))
                faults.push_back(name + ": label \"" + label->text().toStdString() + "\" is a field's name");
            if (!w->isVisibleTo(&form)) continue;
            const QRect at(w->mapTo(&form, QPoint(0, 0)), w->size());
            if (!client.contains(at))
                faults.push_back(name + "." + w->objectName().toStdString() + " lies outside the form");
            if (label && !label->wordWrap() && !label->text().isEmpty() &&
                label->fontMetrics().horizontalAdvance(label->text()) > label->contentsRect().width())
                faults.push_back(name + ": label \"" + label->text().toStdString() + "\" is cut");
            if (label && label->wordWrap() && label->heightForWidth(label->width()) > label->height())
                faults.push_back(name + ": label \"" + label->text().toStdString() + "\" is cut");
            auto* check = qobject_cast<QCheckBox*>(w);
            if (check && check->sizeHint().width() > check->width())
                faults.push_back(name + ": check box \"" + check->text().toStdString() + "\" is cut");
        }
        CheckOverlaps(form, name);
    }
    // No two texts of one panel are drawn over each other (each text as tall as its font's line).
    void CheckOverlaps(fw::Form& form, const std::string& name) {
        std::vector<QWidget*> texts;
        for (QLabel* l : form.findChildren<QLabel*>())
            if (!l->text().isEmpty()) texts.push_back(l);
        for (QCheckBox* c : form.findChildren<QCheckBox*>())
            if (!c->text().isEmpty()) texts.push_back(c);
        auto drawn = [](QWidget* w) {
            return QRect(w->pos(), QSize(std::min(w->sizeHint().width(), w->width()),
                                         std::min(w->height(), w->fontMetrics().height())));
        };
        auto textOf = [](QWidget* w) {
            auto* l = qobject_cast<QLabel*>(w);
            return (l ? l->text() : qobject_cast<QCheckBox*>(w)->text()).toStdString();
        };
        // A shadowed caption is its text drawn twice on purpose.
        for (std::size_t i = 0; i < texts.size(); ++i)
            for (std::size_t j = i + 1; j < texts.size(); ++j)
                if (texts[i]->parentWidget() == texts[j]->parentWidget() &&
                    textOf(texts[i]) != textOf(texts[j]) && !texts[i]->isHidden() && !texts[j]->isHidden() &&
                    drawn(texts[i]).intersects(drawn(texts[j])))
                    faults.push_back(name + ": \"" + textOf(texts[i]) + "\" over \"" + textOf(texts[j]) +
                                     "\"");
    }
    std::vector<std::string> faults;
};

TEST_F(FormsFit, EveryFormFitsA1024x768ScreenWithItsLabelsWhole) {
    Measure<registers::TSifarnikGovora>();
    Measure<registers::TSifarnikZemalja>();
    Measure<registers::TSifarnikPosti>();
    Measure<registers::TSifarnikDjelatnosti>();
    Measure<registers::TSifarnikVrstaArtikli>();
    Measure<registers::TSifarnikGrupaAmortizacije>();
    Measure<registers::TSifarnikGrupaRevalorizacije>();
    Measure<registers::TSifarnikJedinica>();
    Measure<registers::TSifarnikZiroRn>();
    Measure<registers::TSifarnikValuta>();
    Measure<registers::TSifarnikGrupaPoreza>();
    Measure<registers::TSifarnikGrupaCarine>();
    Measure<registers::TSifarnikStopaPoreza>();
    Measure<registers::TSifarnikStopaCarine>();
    Measure<registers::TSifarnikPakiranja>();
    Measure<registers::TSifarnikMjera>();
    Measure<registers::TSifarnikImenaPakiranja>();
    Measure<registers::TSifarnikImenaAtoma>();
    registers::KreirajModulAtoma(); // the quantities' form works on the module's tables
    Track(registers::Atomi.DSifarnikAtoma);
    Measure<registers::TSifarnikAtoma>();
    Measure<registers::TSifarnikBanaka>();
    Measure<registers::TSifarnikArtikli>();
    Measure<registers::TSifarnikGrupaArtikli>();
    Measure<registers::TSifarnikPodGrupaArtikli>();
    Measure<registers::TSifarnikPartnera>();
    Measure<registers::TSifarnikPoduzeca>();
    Measure<registers::TSifarnikFirmi>();
    Measure<registers::TSifarnikBoja>();
    Measure<registers::TKontniPlan>();
    Measure<registers::TGKontniPlan>();
    Measure<windows::TSif_artikli>();
    Measure<windows::TWSistem>();
    Measure<windows::TPEditWindow>();
    Measure<windows::TEditWindow>();
    Measure<orders::TWRadniNalozi>();
    Measure<app::TArh>();
    Measure<kit::TO_Programu>();
    Measure<kit::TNalozi_Password>();
    Measure<controls::TIspis>();
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

} // namespace
