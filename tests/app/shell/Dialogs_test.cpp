#include "app/shell/CodeDialogs.h"
#include "app/shell/Hints.h"
#include "app/shell/MyDialog.h"
#include "app/shell/ScriptedDialogs.h"
#include "FormTesting.h"
#include "fw/ui/Guard.h"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <functional>

namespace {

// Once the next modal window is active, sends it keys (to the focused widget).
void KeysWhenShown(std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys, QWidget** shown = nullptr) {
    QTimer::singleShot(0, [keys, shown] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        (void)QTest::qWaitForWindowActive(w);
        if (shown) *shown = w;
        for (auto [key, mods] : keys) {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w;
            QTest::keyClick(target, key, mods);
        }
    });
}

TEST(MessageBox, EnterAnswersDaAndEscAnswersNe) {
    KeysWhenShown({{Qt::Key_Return, Qt::NoModifier}});
    EXPECT_TRUE(app::AskYesNo("Želite li spremiti ?"));
    KeysWhenShown({{Qt::Key_Escape, Qt::NoModifier}});
    EXPECT_FALSE(app::AskYesNo("Želite li spremiti ?"));
    // Tab to "&Ne", then Enter presses the focused button.
    KeysWhenShown({{Qt::Key_Tab, Qt::NoModifier}, {Qt::Key_Return, Qt::NoModifier}});
    EXPECT_FALSE(app::AskYesNo("Želite li spremiti ?"));
    EXPECT_EQ(app::MyDialog.Pitanje->Tekst->Caption(), "Želite li spremiti ?");
}

TEST(MessageBox, TheFrameColourFollowsTheFocusedButton) {
    fw::TColor onShow = 0, afterTab = 0;
    QTimer::singleShot(0, [&] {
        (void)QTest::qWaitForWindowActive(app::MyDialog.Pitanje);
        onShow = app::MyDialog.Pitanje->Shape2->PenColor();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        afterTab = app::MyDialog.Pitanje->Shape2->PenColor();
        app::MyDialog.Pitanje->DaButton->Click();
    });
    EXPECT_TRUE(app::AskYesNo("Pitanje"));
    EXPECT_EQ(onShow, 0xFF00u); // green on "&Da"
    EXPECT_EQ(afterTab, 0xFFu); // red on "&Ne"
}

TEST(MessageBox, InformationClosesWithEnterOrEsc) {
    KeysWhenShown({{Qt::Key_Escape, Qt::NoModifier}});
    app::ShowInfo("Greška: nema podataka!!!");
    EXPECT_FALSE(app::MyDialog.Pitanje->isVisible());
    EXPECT_EQ(app::MyDialog.Pitanje->Book->PageIndex(), 1);
    EXPECT_EQ(app::MyDialog.Pitanje->Shape2->PenColor(), 0xFF0000u); // blue on "OK"
    KeysWhenShown({{Qt::Key_Return, Qt::NoModifier}});
    app::ShowInfo("Gotovo");
    EXPECT_FALSE(app::MyDialog.Pitanje->isVisible());
}

TEST(MessageBox, SizesFollowTheTextWithMinimumWidths) {
    KeysWhenShown({{Qt::Key_Escape, Qt::NoModifier}});
    app::AskYesNo("Da?");
    EXPECT_EQ(app::MyDialog.Pitanje->ClientWidth(), 181);
    const int oneLineHeight = app::MyDialog.Pitanje->ClientHeight();
    KeysWhenShown({{Qt::Key_Escape, Qt::NoModifier}});
    app::ShowInfo("OK");
    EXPECT_EQ(app::MyDialog.Pitanje->ClientWidth(), 70);
    EXPECT_EQ(app::MyDialog.Pitanje->ClientHeight(), oneLineHeight);
    KeysWhenShown({{Qt::Key_Escape, Qt::NoModifier}});
    app::ShowInfo("Prvi red\r\nDrugi red\r\nTreći red");
    const int lineHeight = app::MyDialog.Pitanje->Tekst->fontMetrics().lineSpacing();
    EXPECT_GE(app::MyDialog.Pitanje->ClientHeight(), oneLineHeight + 2 * lineHeight - 2);
    // Height = text + 2 x its top + the button panel and its inset; the box is centred.
    const auto* t = app::MyDialog.Pitanje->Tekst;
    EXPECT_EQ(app::MyDialog.Pitanje->ClientHeight(), t->Height() + 2 * t->Top() +
                                                         app::MyDialog.Pitanje->Panel->Height() +
                                                         app::MyDialog.Pitanje->Panel->Left());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(app::MyDialog.Pitanje->x(), screen.x() + (screen.width() - app::MyDialog.Pitanje->width()) / 2);
}

TEST(MessageBox, ALongTextStaysOnTheScreenAndWraps) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    std::string text;
    for (int i = 0; i < 80; ++i)
        text += "Dugačak tekst poruke ";
    KeysWhenShown({{Qt::Key_Escape, Qt::NoModifier}});
    app::ShowInfo(text);
    EXPECT_LE(app::MyDialog.Pitanje->width(), screen.width());
    EXPECT_GE(app::MyDialog.Pitanje->x(), screen.x());
    EXPECT_GT(app::MyDialog.Pitanje->Tekst->Height(),
              2 * app::MyDialog.Pitanje->Tekst->fontMetrics().lineSpacing());
}

TEST(CodeDialogs, RealDialogsAnswerWithTheirKeysAndBeep) {
    fw::MessageRecorder beeps;
    QWidget* shown = nullptr;
    KeysWhenShown({{Qt::Key_Return, Qt::NoModifier}}, &shown);
    EXPECT_TRUE(app::AskNovo("Šifarnik artikala", "A-100"));
    EXPECT_EQ(shown, app::CodeDialogs.Novo_Dlg);
    EXPECT_EQ(app::CodeDialogs.Novo_Dlg->Caption(), "Šifarnik artikala");
    EXPECT_EQ(app::CodeDialogs.Novo_Dlg->Sifra->Caption(), "A-100");
    KeysWhenShown({{Qt::Key_Escape, Qt::NoModifier}});
    EXPECT_FALSE(app::AskNovo("Šifarnik artikala", "A-100"));
    KeysWhenShown({{Qt::Key_Escape, Qt::NoModifier}});
    EXPECT_FALSE(app::AskBrisi("Partneri", "P1"));
    KeysWhenShown({{Qt::Key_Return, Qt::NoModifier}});
    EXPECT_TRUE(app::AskStaro("Boje", "STARA", "NOVA"));
    EXPECT_EQ(app::CodeDialogs.Staro_Dlg->StaraSifra->Caption(), "STARA");
    EXPECT_EQ(app::CodeDialogs.Staro_Dlg->NovaSifra->Caption(), "NOVA");
    KeysWhenShown({{Qt::Key_Escape, Qt::NoModifier}});
    EXPECT_TRUE(app::ShowNema("Boje", "X"));
    EXPECT_EQ(beeps.Beeps, (std::vector<unsigned>{32, 32, 48, 16, 32}));
    EXPECT_EQ(app::CodeDialogs.Nema_Dlg->OKBtn->Caption(), "&U redu");
}

TEST(CodeDialogs, TheirTextsAreTheProgramsOwn) {
    KeysWhenShown({{Qt::Key_Escape, Qt::NoModifier}});
    app::AskBrisi("Partneri", "P1");
    EXPECT_EQ(app::CodeDialogs.Brisi_Dlg->HeaderPanel->Caption(), "Brisanje postojeće šifre :");
    EXPECT_EQ(app::CodeDialogs.Brisi_Dlg->Question->Caption(), "Želite li obrisati sve te podatke ?");
    EXPECT_EQ(app::CodeDialogs.Brisi_Dlg->OKBtn->Caption(), "&Da");
    EXPECT_EQ(app::CodeDialogs.Brisi_Dlg->CancelBtn->Caption(), "&Ne");
}

TEST(ScriptedDialogs, RecordCallsAndAnswerFromTheQueue) {
    app::ScriptedDialogs script;
    script.Answer(true);
    script.Answer(false);
    EXPECT_TRUE(app::AskYesNo("Želite li da pokušam ponovno ?"));
    EXPECT_FALSE(app::AskNovo("Artikli", "A1"));
    EXPECT_FALSE(app::AskStaro("Artikli", "A1", "A2")); // queue empty: the default answer
    EXPECT_TRUE(app::ShowNema("Artikli", "A3"));
    app::ShowInfo("Gotovo");
    ASSERT_EQ(script.Calls.size(), 5u);
    EXPECT_EQ(script.Calls[1].Kind, app::DialogKind::Novo);
    EXPECT_EQ(script.Calls[1].Caption, "Artikli");
    EXPECT_EQ(script.Calls[2].NewCode, "A2");
    EXPECT_EQ(script.Texts(), (std::vector<std::string>{"Želite li da pokušam ponovno ?", "Gotovo"}));
}

TEST(ScriptedDialogs, FailuresCaughtByTheGuardAreShownInTheInformationBox) {
    app::ScriptedDialogs script;
    fw::Guarded([] { throw base::Exception("Greška: disk je pun"); });
    fw::Guarded([] { base::RaiseCancel(); });
    EXPECT_EQ(script.Texts(), std::vector<std::string>{"Greška: disk je pun"});
}

TEST(Hints, NoHintIsEverFoundAndTheCallsAreHarmless) {
    auto form = fw::MakeForm<fw::Form>();
    auto* edit = new fw::Edit(form.get());
    fwtest::ShowActive(*form);
    app::CloseHint();
    app::HideHintBox();
    app::ShowHintBox();
    EXPECT_FALSE(app::ShowFieldHint(edit, "GLOBAL", "ARTIKLI.DB", "Naziv"));
    EXPECT_FALSE(app::HintBoxExists());
    EXPECT_FALSE(app::Hints.HintBoxVisible);
    EXPECT_FALSE(app::Hints.HintFollowFocus);
    EXPECT_EQ(form->ActiveControl(), edit);
    EXPECT_EQ(QApplication::focusWidget(), edit);
}

} // namespace

namespace {

// Every question box of the program answers its buttons' letters, with Alt or without (a letter means
// nothing to the focused button), whichever button has the focus.
TEST(QuestionBoxes, TheButtonsLettersAnswerWithAltOrAlone) {
    const std::vector<std::pair<std::string, std::function<bool()>>> boxes = {
        {"message box", [] { return app::AskYesNo("Želite li nastaviti ?"); }},
        {"new code", [] { return app::AskNovo("Šifarnik artikala", "A-100"); }},
        {"changed code", [] { return app::AskStaro("Boje", "STARA", "NOVA"); }},
        {"deleted code", [] { return app::AskBrisi("Partneri", "P1"); }}};
    using Keys = std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>;
    const std::vector<std::pair<Keys, bool>> answers = {
        {{{Qt::Key_N, Qt::AltModifier}}, false},
        {{{Qt::Key_N, Qt::NoModifier}}, false},
        {{{Qt::Key_N, Qt::ShiftModifier}}, false},
        {{{Qt::Key_Tab, Qt::NoModifier}, {Qt::Key_D, Qt::NoModifier}}, true},
        {{{Qt::Key_Tab, Qt::NoModifier}, {Qt::Key_D, Qt::AltModifier}}, true},
        // A letter no button has does nothing; Esc then answers Ne.
        {{{Qt::Key_X, Qt::NoModifier}, {Qt::Key_Escape, Qt::NoModifier}}, false},
        {{{Qt::Key_X, Qt::NoModifier}, {Qt::Key_Return, Qt::NoModifier}}, true}};
    for (const auto& [box, ask] : boxes)
        for (std::size_t i = 0; i < answers.size(); ++i) {
            KeysWhenShown(answers[i].first);
            EXPECT_EQ(ask(), answers[i].second) << box << ", keys " << i;
        }
}

} // namespace

namespace {

TEST(CodeDialogs, EachHasItsHeaderQuestionAndButtons) {
    struct Expect {
        std::function<void()> open;
        std::function<app::CodeDialog*()> dialog;
        std::string header, question, ok;
        bool hasCancel;
    };
    const std::vector<Expect> all = {
        {[] { app::ShowNema("K", "1"); },
         [] { return static_cast<app::CodeDialog*>(app::CodeDialogs.Nema_Dlg); }, "Šifra ne postoji !",
         "Želite li kreirati tu šifru, to morate obaviti iz šifarnika.", "&U redu", false},
        {[] { app::AskStaro("K", "1", "2"); },
         [] { return static_cast<app::CodeDialog*>(app::CodeDialogs.Staro_Dlg); },
         "Promjena stare šifre u novu :", "Želite li promjeniti šifru ?", "&Da", true},
        {[] { app::AskNovo("K", "1"); },
         [] { return static_cast<app::CodeDialog*>(app::CodeDialogs.Novo_Dlg); },
         "Kreiranje nove šifre:", "Želite li kreirati tu šifru ?", "&Da", true},
    };
    for (const Expect& e : all) {
        KeysWhenShown({{Qt::Key_Escape, Qt::NoModifier}});
        e.open();
        app::CodeDialog* d = e.dialog();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->HeaderPanel->Caption(), e.header);
        EXPECT_EQ(d->Question->Caption(), e.question);
        EXPECT_EQ(d->OKBtn->Caption(), e.ok);
        EXPECT_TRUE(d->OKBtn->Default);
        EXPECT_EQ(d->CancelBtn != nullptr, e.hasCancel);
        EXPECT_EQ(d->Caption(), "K");
    }
}

} // namespace

namespace {

TEST(ScriptedDialogs, PutTheGuardsPreviousHookBack) {
    fw::MessageRecorder outer;
    {
        app::ScriptedDialogs script;
        fw::ShowMessage("inside");
        EXPECT_EQ(script.Texts(), std::vector<std::string>{"inside"});
    }
    fw::ShowMessage("outside");
    EXPECT_EQ(outer.Messages, std::vector<std::string>{"outside"});
}

} // namespace

namespace {

// A question asked from a control (a code's Enter) gives the keyboard back to that control, also after a
// second question follows the first.
TEST(QuestionBoxes, TheControlThatAskedHasTheKeysAgain) {
    auto form = fw::MakeForm<fw::Form>();
    form->resize(300, 120);
    auto* first = new fw::Edit(form.get());
    first->SetBounds(10, 10, 100, 24);
    auto* asking = new fw::Edit(form.get());
    asking->SetBounds(10, 50, 100, 24);
    int questions = 1;
    asking->OnKeyPress = [&](fw::Component&, std::uint8_t& key) {
        if (key != 13) return;
        key = 0;
        for (int i = 0; i < questions; ++i) {
            KeysWhenShown({{Qt::Key_N, Qt::NoModifier}});
            app::AskNovo("Šifarnik", "X");
        }
    };
    fwtest::ShowActive(*form);
    asking->SetFocus();
    for (; questions <= 2; ++questions) {
        QTest::keyClick(&asking->Widget(), Qt::Key_Return);
        QTest::qWait(50);
        EXPECT_EQ(form->ActiveControl(), asking) << questions;
        QTest::keyClicks(QApplication::focusWidget(), "zz");
        EXPECT_EQ(asking->Text(), questions == 1 ? "zz" : "zzzz") << questions;
        EXPECT_EQ(first->Text(), "");
    }
}

} // namespace
