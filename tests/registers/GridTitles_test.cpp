#include "base/Text.h"
#include "fw/ui/DataSetModel.h"
#include "fw/ui/DBRadioGroup.h"
#include "registers/Artikli.h"
#include "registers/Openers.h"
#include "registers/Partner.h"
#include "registers/PlainRegisters.h"
#include "registers/Sif_Boja.h"
#include "tests/registers/RegisterFixture.h"

#include <algorithm>
#include <QHeaderView>

namespace regtest {
namespace {

using Strings = std::vector<std::string>;

Strings Titles(kit::TMyDBGrid& grid) {
    Strings titles;
    const int columns = static_cast<int>(grid.Model().Columns().size());
    for (int c = 0; c < columns; ++c)
        titles.push_back(
            grid.Model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
    return titles;
}

// The manufacturers' grid names its columns as the form labels the fields; the company, a link number, is
// no column. Entered by keys, the grid keeps the label and shows what is typed after it.
TEST_F(RegisterTest, TheManufacturersGridIsTitledByTheFormsLabels) {
    Add("Global", "PARTNER.DB", {"Sifra"}, {{"ALU"}});
    Add("Global", "FIRME.DB", {"Sifra", "Partner", "BarKodOsnova"},
        {{"ALUK", "1", "385"}, {"WEKA", "1", "400"}});
    registers::PrikaziFirme(caller.get());
    registers::TSifarnikFirmi* f = Track(registers::Companies.SifarnikFirmi);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Titles(*f->gTable), (Strings{"Šifra proizvođača", "Bar-kôd osnova", "EAN"}));
    Press(*f, Qt::Key_Home, Qt::ControlModifier);
    ASSERT_EQ(ActiveName(*f), "gSifPart");
    EXPECT_EQ(Titles(*f->gTable)[0], "Šifra proizvođača");
    Type(*f, "W");
    EXPECT_EQ(Titles(*f->gTable)[0], "Šifra proizvođača: W");
    EXPECT_EQ(f->tTable->FieldByName("Sifra").AsString(), "WEKA");
}

// Every plain register: each column of its grid is titled as a label or check box of the form shows it.
TEST_F(RegisterTest, EveryPlainRegistersColumnsAreTitledAsTheFormShowsThem) {
    using Opener = void (*)(fw::Form*);
    const std::pair<Opener, registers::TCodeListForm* (*)()> registers[] = {
        {registers::PrikaziGovore,
         [] { return static_cast<registers::TCodeListForm*>(registers::PlainForms.SifarnikGovora); }},
        {registers::PrikaziZiroRacune,
         [] { return static_cast<registers::TCodeListForm*>(registers::PlainForms.SifarnikZiroRn); }},
        {registers::PrikaziValute,
         [] { return static_cast<registers::TCodeListForm*>(registers::PlainForms.SifarnikValuta); }},
        {registers::PrikaziPoste,
         [] { return static_cast<registers::TCodeListForm*>(registers::PlainForms.SifarnikPosti); }},
    };
    for (const auto& [open, formOf] : registers) {
        open(caller.get());
        registers::TCodeListForm* f = Track(formOf());
        ASSERT_NE(f, nullptr);
        Strings shown;
        for (int i = 0; i < f->ComponentCount(); ++i) {
            if (auto* label = dynamic_cast<fw::Label*>(f->Components(i))) shown.push_back(label->Caption());
            if (auto* check = dynamic_cast<fw::CheckBox*>(f->Components(i)))
                shown.push_back(check->Caption());
            if (auto* group = dynamic_cast<fw::DBRadioGroup*>(f->Components(i)))
                shown.push_back(group->Caption());
        }
        // A title is a caption of the form (a row continuing the one above it adds its number).
        auto isShown = [&](const std::string& title) {
            return std::any_of(shown.begin(), shown.end(), [&](const std::string& caption) {
                const std::string plain = base::Trim(caption);
                return !plain.empty() && title.rfind(plain, 0) == 0 &&
                       (title.size() == plain.size() || title[plain.size()] == ' ');
            });
        };
        for (const std::string& title : Titles(*f->gTable)) {
            EXPECT_NE(title, "_");
            EXPECT_TRUE(isShown(title)) << f->Caption().toStdString() << ": " << title;
        }
        Press(*f, Qt::Key_Escape);
    }
}

// The supplier grids of the articles and the colours: titled in Croatian, and every grid of the two forms
// shows its codes and names whole while it has room for them, else its columns share the grid's width.
TEST_F(RegisterTest, SupplierGridsAreTitledInCroatianAndShowTheirTextsWhole) {
    app::WBegin.PodaciPoduzeca.OwnPartner = 1;
    Add("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Partner"},
        {{"PROFILPLAST", "D", "1"}, {"PROFILPLUS", "D", "2"}, {"STAKLO-LUKA", "D", "3"}});
    Add("Global", "FIRME.DB", {"Sifra", "Partner"}, {{"PROFILPLAST", "1"}, {"STAKLO-LUKA", "3"}});
    registers::PrikaziArtikle(caller.get(), 1, 1);
    registers::TSifarnikArtikli* articles = Track(registers::Artikli.SifarnikArtikli);
    registers::PrikaziBoje(caller.get(), 0, 0);
    registers::TSifarnikBoja* colours = Track(registers::SifBoja.SifarnikBoja);
    ASSERT_NE(articles, nullptr);
    ASSERT_NE(colours, nullptr);
    EXPECT_EQ(Titles(*articles->gSifPart), Strings{"Šifra partnera"});
    EXPECT_EQ(Titles(*colours->gSifPart), Strings{"Šifra partnera"});
    for (fw::Form* form : {static_cast<fw::Form*>(articles), static_cast<fw::Form*>(colours)})
        for (auto* grid : form->findChildren<kit::TMyDBGrid*>()) {
            QAbstractItemModel& model = grid->Model();
            QHeaderView* header = grid->horizontalHeader();
            int total = 0;
            for (int c = 0; c < model.columnCount(); ++c)
                total += header->sectionSize(c);
            if (total > grid->viewport()->width()) continue;
            for (int r = 0; r < model.rowCount(); ++r)
                for (int c = 0; c < model.columnCount(); ++c) {
                    const QString text = model.data(model.index(r, c)).toString();
                    EXPECT_LE(grid->fontMetrics().horizontalAdvance(text) + 6, header->sectionSize(c))
                        << grid->Name() << ": " << text.toStdString();
                }
        }
}

} // namespace
} // namespace regtest
