#include "app/shell/CodeListOpeners.h"
#include "fw/ui/Application.h"
#include "fw/ui/DataSetModel.h"
#include "registers/Openers.h"
#include "tests/registers/RegisterFixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

#include <algorithm>
#include <set>

namespace regtest {
namespace {

using Strings = std::vector<std::string>;

// Every register reached by F2 from another form.
const char* const registerTables[] = {
    "GOVOR.DB",    "ZEMLJA.DB",   "POSTA.DB",   "DJELATNO.DB", "VRSTE.DB",    "GR_AMORT.DB", "GR_REVAL.DB",
    "JEDINICE.DB", "ZIRO_RN.DB",  "VALUTA.DB",  "T_POREZA.DB", "T_CARINE.DB", "KONTA.DB",    "KONTA1.DB",
    "BANKE.DB",    "S_POREZA.DB", "S_CARINE.DB", "MJERE.DB",   "IME_PAK.DB",  "IME_ATOM.DB", "PARTNER.DB",
    "FIRME.DB",    "SIF_PART.DB", "GRUPE.DB",   "ATOMI.DB",    "PAKUNG.DB",   "PODGRUPE.DB", "SIF_ROBE.DB",
    "SIF_BOJA.DB"};

std::set<fw::Form*> ShownForms() {
    std::set<fw::Form*> forms;
    fw::Application& app = fw::Application::Instance();
    for (int i = 0; i < app.ComponentCount(); ++i)
        if (auto* f = dynamic_cast<fw::Form*>(app.Components(i)); f && f->isVisible()) forms.insert(f);
    return forms;
}

// The texts of a form that do not show whole, and the labels drawn over one another.
Strings LayoutFaults(fw::Form& form) {
    Strings faults;
    std::vector<QWidget*> texts;
    for (QLabel* l : form.findChildren<QLabel*>())
        texts.push_back(l);
    for (QCheckBox* c : form.findChildren<QCheckBox*>())
        texts.push_back(c);
    auto textOf = [](QWidget* w) {
        if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdString();
        return qobject_cast<QCheckBox*>(w)->text().toStdString();
    };
    for (QWidget* w : texts) {
        auto* label = qobject_cast<QLabel*>(w);
        const bool cut = label && label->wordWrap() ? label->heightForWidth(w->width()) > w->height()
                                                    : w->sizeHint().width() > w->width();
        if (!textOf(w).empty() && cut) faults.push_back("cut: " + textOf(w));
    }
    for (std::size_t i = 0; i < texts.size(); ++i)
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            QWidget* a = texts[i];
            QWidget* b = texts[j];
            if (a->parentWidget() != b->parentWidget() || a->isHidden() || b->isHidden()) continue;
            if (textOf(a).empty() || textOf(b).empty()) continue;
            // What is drawn: the text's own size from the control's corner.
            auto drawn = [](QWidget* w) {
                return QRect(w->pos(), QSize(std::min(w->sizeHint().width(), w->width()), w->fontMetrics().height()));
            };
            if (drawn(a).intersects(drawn(b)))
                faults.push_back("over: " + textOf(a) + " / " + textOf(b));
        }
    return faults;
}

// Grid titles that are a field's own name rather than a caption the form shows, and flags shown as words.
Strings GridFaults(fw::Form& form) {
    std::set<std::string> captions;
    for (QLabel* l : form.findChildren<QLabel*>()) {
        std::string c = l->text().toStdString();
        while (!c.empty() && (c.back() == ':' || c.back() == ' '))
            c.pop_back();
        captions.insert(c);
    }
    for (QCheckBox* c : form.findChildren<QCheckBox*>())
        captions.insert(c->text().toStdString());
    for (QGroupBox* g : form.findChildren<QGroupBox*>())
        captions.insert(g->title().toStdString());
    // A field's own name: run together, spelled without its letters, or shorter than the form labels it.
    auto raw = [&](const std::string& title) {
        if (captions.count(title)) return false;
        if (std::any_of(title.begin() + 1, title.end(), [](char ch) { return ch >= 'A' && ch <= 'Z'; }))
            return true;
        if (title.find("Sifra") != std::string::npos || title.find("Kolicina") != std::string::npos) return true;
        return std::any_of(captions.begin(), captions.end(),
                           [&](const std::string& c) { return c.rfind(title + " ", 0) == 0; });
    };
    Strings faults;
    for (kit::TMyDBGrid* grid : form.findChildren<kit::TMyDBGrid*>()) {
        fw::DataSetModel& m = grid->Model();
        for (int c = 0; c < m.columnCount(); ++c) {
            const fw::TField* field = m.Columns()[static_cast<std::size_t>(c)];
            const std::string title = m.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString();
            if (title == field->FieldName() && raw(title)) faults.push_back("raw title: " + title);
            for (int r = 0; r < m.rowCount(); ++r) {
                const std::string text = m.data(m.index(r, c), Qt::DisplayRole).toString().toStdString();
                if (text == "True" || text == "False") faults.push_back("flag as a word: " + title);
            }
        }
    }
    return faults;
}

// Every register form shows its labels and check boxes whole, none drawn over another, and titles its grid
// columns as a user reads them (flags as checks, not as words).
TEST_F(RegisterTest, EveryRegisterFormShowsItsTextsWholeAndTitledForTheUser) {
    registers::InstallCodeListOpeners();
    Add("Global", "JEDINICE.DB", {"Sifra"}, {{"KOM"}});
    Add("Global", "PAKUNG.DB", {"Jedinica", "Sifra", "ImaAtoma"}, {{"1", "KUTIJA", "True"}});
    Add("Global", "PARTNER.DB", {"Sifra", "Naziv", "Rabat2", "Rabat2Kolicina"}, {{"ALU", "Alu", "True", "True"}});
    Add("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Partner", "VeceKolicine"}, {{"ALU", "D", "1", "True"}});
    for (const char* table : registerTables) {
        const std::set<fw::Form*> before = ShownForms();
        app::OpenCodeListOf(table, caller.get());
        fw::Form* form = nullptr;
        for (fw::Form* f : ShownForms())
            if (!before.count(f)) form = f;
        ASSERT_NE(form, nullptr) << table;
        Track(form);
        Strings faults = LayoutFaults(*form);
        const Strings grid = GridFaults(*form);
        faults.insert(faults.end(), grid.begin(), grid.end());
        EXPECT_EQ(faults, Strings{}) << table << " " << form->Caption().toStdString() << "\n"
                                     << ::testing::PrintToString(faults);
        form->Close();
    }
}

} // namespace
} // namespace regtest
