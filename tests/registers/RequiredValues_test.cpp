#include "app/data/WBegin.h"
#include "fw/ui/Application.h"
#include "kit/LookupFields.h"
#include "registers/Artikli.h"
#include "registers/Openers.h"
#include "registers/Partner.h"
#include "tests/registers/RegisterFixture.h"

#include <QTest>

#include <functional>

namespace regtest {
namespace {

using Strings = std::vector<std::string>;

// The manufacturers' register over real tables: two companies, no manufacturer yet.
class RequiredValuesTest : public RegisterTest {
protected:
    RequiredValuesTest() {
        Add("Global", "PARTNER.DB", {"Sifra", "Naziv"}, {{"ALU", "Aluprofil"}, {"WEKA", "Weka"}});
    }
    registers::TSifarnikFirmi* OpenManufacturers() {
        registers::PrikaziFirme(caller.get());
        registers::TSifarnikFirmi* form = Track(registers::Companies.SifarnikFirmi);
        EXPECT_NE(form, nullptr);
        return form;
    }
    // A new manufacturer's code, created from the save button, then Enter over its EAN and bar-code base.
    void NewCodeUpToTheCompany(registers::TSifarnikFirmi& f, const QString& code) {
        Press(f, Qt::Key_End, Qt::ControlModifier);
        Press(f, Qt::Key_Return);
        ASSERT_EQ(ActiveName(f), "eSifra");
        dialogs.Answer(true);
        Type(f, code);
        Press(f, Qt::Key_Return);
        Press(f, Qt::Key_Return);
        Press(f, Qt::Key_Return);
        ASSERT_EQ(ActiveName(f), "cPartner");
    }
    Strings Manufacturers() { return Rows("Global", "FIRME.DB", {"Sifra", "Partner"}); }
    static constexpr const char* Missing = "Morate unijeti: Poduzeće !!!";
};

// The code is created with its key alone; the record is not left, closed or saved without its company, and
// each refusal says so once and puts the cursor on the company.
TEST_F(RequiredValuesTest, AManufacturerIsNotLeftWithoutItsCompany) {
    registers::TSifarnikFirmi* f = OpenManufacturers();
    ASSERT_NE(f, nullptr);
    NewCodeUpToTheCompany(*f, "ALUK");
    EXPECT_EQ(Manufacturers(), Strings{"ALUK|"}) << "the creation is not refused";
    EXPECT_TRUE(dialogs.Texts().empty());

    // Esc: the form stays on the record.
    Press(*f, Qt::Key_Escape);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(dialogs.Texts(), Strings{Missing});
    EXPECT_EQ(ActiveName(*f), "cPartner");

    // The save button: refused the same way, no new record appended.
    Press(*f, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(dialogs.Texts(), (Strings{Missing, Missing}));
    EXPECT_EQ(ActiveName(*f), "cPartner");
    EXPECT_EQ(f->tTable->State(), fw::dsBrowse);

    // A move to another record from the grid.
    Add("Global", "FIRME.DB", {"Sifra", "Partner"}, {{"ZETA", "2"}});
    f->tTable->Refresh();
    Press(*f, Qt::Key_Home, Qt::ControlModifier);
    ASSERT_EQ(ActiveName(*f), "gSifPart");
    Press(*f, Qt::Key_Down);
    EXPECT_EQ(f->tTable->FieldByName("Sifra").AsString(), "ALUK");
    EXPECT_EQ(dialogs.Texts(), (Strings{Missing, Missing, Missing}));
    EXPECT_EQ(ActiveName(*f), "cPartner");

    // With the company typed the record is complete: Esc closes and the company is stored.
    Type(*f, "ALU");
    Press(*f, Qt::Key_Return);
    Press(*f, Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(dialogs.Texts().size(), 3u);
    EXPECT_EQ(Manufacturers(), (Strings{"ALUK|1", "ZETA|2"}));
}

// However the form is asked to close (Esc, its close button, Alt+F4, "Izlaz", the program ending), a new code
// left without its company keeps the form, and the program, open on it, told once a time.
TEST_F(RequiredValuesTest, NoWayOfClosingLeavesAManufacturerWithoutItsCompany) {
    registers::TSifarnikFirmi* f = OpenManufacturers();
    ASSERT_NE(f, nullptr);
    NewCodeUpToTheCompany(*f, "ALUK");
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"Esc", [&] { Press(*f, Qt::Key_Escape); }},
        {"close button", [&] { f->close(); }},
        {"Alt+F4", [&] { Press(*f, Qt::Key_F4, Qt::AltModifier); }},
        {"Izlaz", [&] { QTest::mouseClick(&f->IzlazButton->Widget(), Qt::LeftButton); }},
        {"program end",
         [&] {
             fw::Application::Instance().Terminate();
             QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
         }},
    };
    std::size_t told = 0;
    for (const auto& [name, close] : ways) {
        close();
        EXPECT_TRUE(f->isVisible()) << name;
        EXPECT_FALSE(fw::Application::Instance().Terminated()) << name;
        EXPECT_EQ(dialogs.Texts().size(), ++told) << name;
        EXPECT_EQ(ActiveName(*f), "cPartner") << name;
    }
    EXPECT_EQ(dialogs.Texts().back(), Missing);
    // Completed, the record goes with the program's end.
    Type(*f, "ALU");
    Press(*f, Qt::Key_Return);
    EXPECT_TRUE(fw::ShownFormsMayClose());
    EXPECT_EQ(Manufacturers(), Strings{"ALUK|1"});
}

// A code longer than the register's field stops at the field's size.
TEST_F(RequiredValuesTest, TheCodeEditStopsAtTheFieldsSize) {
    registers::TSifarnikFirmi* f = OpenManufacturers();
    ASSERT_NE(f, nullptr);
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    Press(*f, Qt::Key_Return);
    ASSERT_EQ(ActiveName(*f), "eSifra");
    Type(*f, QString(41, 'A'));
    EXPECT_EQ(f->eSifra->Text(), std::string(40, 'A'));
    // The same when the kept form is opened again.
    Press(*f, Qt::Key_Escape);
    ASSERT_FALSE(f->isVisible());
    registers::PrikaziFirme(caller.get());
    ASSERT_TRUE(f->isVisible());
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    Press(*f, Qt::Key_Return);
    ASSERT_EQ(ActiveName(*f), "eSifra");
    Type(*f, QString(41, 'B'));
    EXPECT_EQ(f->eSifra->Text(), std::string(40, 'B'));
}

// An older incomplete record is browsed past freely: only a record the user posted is held.
TEST_F(RequiredValuesTest, AnUntouchedIncompleteRecordIsBrowsedPast) {
    Add("Global", "FIRME.DB", {"Sifra", "Partner"}, {{"ALUK", ""}, {"ZETA", "2"}});
    registers::TSifarnikFirmi* f = OpenManufacturers();
    ASSERT_NE(f, nullptr);
    Press(*f, Qt::Key_Home, Qt::ControlModifier);
    Press(*f, Qt::Key_Down);
    EXPECT_EQ(f->tTable->FieldByName("Sifra").AsString(), "ZETA");
    Press(*f, Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(dialogs.Texts().empty());
}

// An article's manufacturer whose row names no company is no manufacturer: refused as a missing code, and
// the article's field stays as stored.
TEST_F(RequiredValuesTest, AManufacturerWithoutACompanyIsNotTakenByAnArticle) {
    app::WBegin.PodaciPoduzeca.OwnPartner = 1;
    app::WBegin.PodaciPoduzeca.Jezik = 1;
    Add("Global", "GOVOR.DB", {"Sifra", "Naziv"}, {{"HR", "hrvatski"}});
    Add("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Drzava", "Partner", "Govor"},
        {{"ALU", "D", "J", "1", "1"}});
    Add("Global", "FIRME.DB", {"Sifra", "Partner"}, {{"ALUK", ""}, {"WEKA", "2"}});
    registers::PrikaziArtikle(caller.get(), 1, 1);
    registers::TSifarnikArtikli* f = Track(registers::Artikli.SifarnikArtikli);
    ASSERT_NE(f, nullptr);
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    Press(*f, Qt::Key_Return);
    ASSERT_EQ(ActiveName(*f), "cSifra");
    dialogs.Answer(true);
    Type(*f, "A1");
    Press(*f, Qt::Key_Return);
    ASSERT_EQ(ActiveName(*f), "cProizvodi");
    Type(*f, "ALUK");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(Asked(), (Strings{"Novo A1", "Nema ALUK"}));
    EXPECT_EQ(ActiveName(*f), "cProizvodi");
    EXPECT_TRUE(f->tSifRobe->FieldByName("Proizvodi").IsNull());
    // A real manufacturer is taken.
    f->cProizvodi->SelectAll();
    Type(*f, "WEKA");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(f->tSifRobe->FieldByName("Proizvodi").AsInteger(), 2);
    EXPECT_EQ(Rows("Global", "SIF_ROBE.DB", {"Sifra", "Proizvodi"}), Strings{"A1|2"});
}

} // namespace
} // namespace regtest
