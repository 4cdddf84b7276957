#include "tests/kit/KitFixture.h"

#include "kit/O_Plom.h"
#include "kit/sifra.h"
#include "tests/fw/ui/FormTesting.h"

namespace kittest {
namespace {

class AboutBoxTest : public KitTest {
protected:
    AboutBoxTest() {
        caller.reset(fw::CreateForm<kit::TMyForm>(nullptr));
        fwtest::ShowActive(*caller);
    }
    ~AboutBoxTest() override {
        delete kit::OPlom.O_Programu;
        kit::OPlom.O_Programu = nullptr;
    }
    std::unique_ptr<kit::TMyForm> caller;
};

TEST_F(AboutBoxTest, ShowsTheProductAndItsPurposeAndClosesWithEsc) {
    std::string title, text;
    bool readOnly = false;
    When([] { return kit::OPlom.O_Programu && kit::OPlom.O_Programu->isVisible(); },
         [&] {
             ASSERT_TRUE(kit::OPlom.O_Programu && kit::OPlom.O_Programu->isVisible());
             title = kit::OPlom.O_Programu->PlLabel1->Caption();
             text = kit::OPlom.O_Programu->Memo1->Text();
             readOnly = kit::OPlom.O_Programu->Memo1->ReadOnly();
             Key(*kit::OPlom.O_Programu, Qt::Key_Escape);
         });
    kit::PrikaziOProgramu(caller.get());
    EXPECT_EQ(title, "\"Lumeno\" ver. 1.112");
    EXPECT_EQ(text,
              "aplikacija namijenjena kao podrška \npri proizvodnji prozora, prvenstveno\nonih iz plastike i "
              "aluminija");
    EXPECT_TRUE(readOnly);
    EXPECT_FALSE(kit::OPlom.O_Programu->isVisible());
    EXPECT_TRUE(caller->isVisible());
}

TEST_F(AboutBoxTest, TheOkButtonClosesItModalOrNot) {
    for (std::uint8_t mode : {1, 2}) {
        app::Settings.CommonSettings.Resources.LoadMode = mode;
        When([] { return kit::OPlom.O_Programu && kit::OPlom.O_Programu->isVisible(); },
             [] { Key(*kit::OPlom.O_Programu, Qt::Key_Return); });
        kit::PrikaziOProgramu(caller.get());
        EXPECT_TRUE(WaitFor([] { return !kit::OPlom.O_Programu->isVisible(); })) << int(mode);
        EXPECT_TRUE(caller->isVisible());
    }
}

class PasswordTest : public KitTest {
protected:
    // Runs f on the prompt once it shows and answers what AskWorkOrderPassword answers.
    bool Ask(std::function<void(kit::TNalozi_Password&)> f) {
        When([] { return QApplication::activeModalWidget() != nullptr; },
             [f] {
                 auto* prompt = dynamic_cast<kit::TNalozi_Password*>(QApplication::activeModalWidget());
                 ASSERT_NE(prompt, nullptr);
                 EXPECT_EQ(prompt->Caption().toStdString(), "Šifra:");
                 EXPECT_EQ(prompt->eSifra->echoMode(), QLineEdit::Password);
                 EXPECT_EQ(prompt->eSifra->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter), '*');
                 f(*prompt);
             });
        return kit::AskWorkOrderPassword();
    }
};

TEST_F(PasswordTest, EnterOnTheEmptyPromptMatchesTheEmptyPassword) {
    EXPECT_TRUE(Ask([](kit::TNalozi_Password& p) { Key(p, Qt::Key_Return); }));
    EXPECT_FALSE(Ask([](kit::TNalozi_Password& p) {
        fwtest::Type(&p.eSifra->Widget(), "x");
        Key(p, Qt::Key_Return);
    }));
}

TEST_F(PasswordTest, TheCloseButtonComparesTheEntryToo) {
    EXPECT_TRUE(Ask([](kit::TNalozi_Password& p) { p.close(); }));
    EXPECT_FALSE(Ask([](kit::TNalozi_Password& p) {
        fwtest::Type(&p.eSifra->Widget(), "č");
        p.close();
    }));
}

TEST_F(PasswordTest, ComparesExactly) {
    kit::Sifra.WorkOrderPassword = "Nalog";
    EXPECT_FALSE(Ask([](kit::TNalozi_Password& p) {
        fwtest::Type(&p.eSifra->Widget(), "nalog");
        p.bOK->Click();
    }));
    EXPECT_TRUE(Ask([](kit::TNalozi_Password& p) {
        fwtest::Type(&p.eSifra->Widget(), "Nalog");
        p.bOK->Click();
    }));
}

} // namespace
} // namespace kittest
