#include "FormTesting.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

using fwtest::ShowActive;

TEST(Controls, GraphicControlsNeverTakeTheFocusNorStandInTabOrder) {
    auto form = fw::MakeForm<fw::Form>();
    auto* label = new fw::Label(form.get());
    auto* speed = new fw::SpeedButton(form.get());
    auto* gauge = new fw::Gauge(form.get());
    auto* edit = new fw::Edit(form.get());
    std::vector<fw::Control*> list;
    form->GetTabOrderList(list);
    EXPECT_EQ(list, std::vector<fw::Control*>{edit});
    // Child controls list the graphic ones first.
    const auto children = form->Controls();
    EXPECT_EQ(children.back(), edit);
    form->Show();
    EXPECT_FALSE(label->CanFocus());
    EXPECT_FALSE(speed->CanFocus());
    EXPECT_FALSE(gauge->CanFocus());
    EXPECT_TRUE(edit->CanFocus());
}

TEST(Controls, LabelAutoSizeFollowsItsLines) {
    auto form = fw::MakeForm<fw::Form>();
    auto* label = new fw::Label(form.get());
    label->SetCaption("Jedan");
    const int oneLine = label->Height();
    label->SetCaption("Jedan\r\nDva\r\nTri");
    EXPECT_GT(label->Height(), 2 * oneLine);
    EXPECT_EQ(label->Caption(), "Jedan\r\nDva\r\nTri");
}

TEST(Controls, EditChangeFiresForProgramChangesToo) {
    auto form = fw::MakeForm<fw::Form>();
    auto* edit = new fw::Edit(form.get());
    int changes = 0;
    edit->OnChange = [&](fw::Component&) { ++changes; };
    edit->SetText("ABC");
    edit->SetText("ABC");
    EXPECT_EQ(changes, 1);
    edit->SetMaxLength(3);
    ShowActive(*form);
    edit->selectAll();
    fwtest::Type(edit, QString::fromUtf8("čćžš"));
    EXPECT_EQ(edit->Text(), "čćž");
    edit->SelectAll();
    EXPECT_EQ(edit->SelLength(), 3);
    edit->SetSelLength(0);
    EXPECT_EQ(edit->SelLength(), 0);
}

TEST(Controls, CheckBoxStateChangesClickAndSpaceToggles) {
    auto form = fw::MakeForm<fw::Form>();
    auto* box = new fw::CheckBox(form.get());
    int clicks = 0;
    box->OnClick = [&](fw::Component&) { ++clicks; };
    box->SetChecked(true);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    ShowActive(*form);
    box->SetFocus();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks, 2);
    box->SetState(fw::CheckBoxState::cbGrayed);
    EXPECT_EQ(box->State(), fw::CheckBoxState::cbGrayed);
}

TEST(Controls, ArrowKeysOnAButtonWalkItsContainerUnlessTheButtonKeepsThem) {
    auto form = fw::MakeForm<fw::Form>();
    auto* a = new fw::Button(form.get());
    auto* b = new fw::Button(form.get());
    std::vector<std::uint16_t> ownKeys;
    b->OnKeyDown = [&](fw::Component&, std::uint16_t& key, fw::Shift) { ownKeys.push_back(key); };
    ShowActive(*form);
    a->SetFocus();
    QTest::keyClick(a, Qt::Key_Down);
    EXPECT_EQ(form->ActiveControl(), b);
    QTest::keyClick(b, Qt::Key_Up);
    EXPECT_EQ(form->ActiveControl(), a);
    b->SetFocus();
    b->SetTag(fw::TagOwnArrowKeys);
    QTest::keyClick(b, Qt::Key_Left);
    EXPECT_EQ(form->ActiveControl(), b);
    b->SetTag(0x3FFFFFFF);
    QTest::keyClick(b, Qt::Key_Left);
    EXPECT_EQ(form->ActiveControl(), a);
    b->SetTag(-1);
    b->SetFocus();
    QTest::keyClick(b, Qt::Key_Left);
    EXPECT_EQ(form->ActiveControl(), a);
    // Only the control that keeps its arrows sees them in its own key handler.
    EXPECT_EQ(ownKeys, std::vector<std::uint16_t>{fw::VK_LEFT});
}

TEST(Controls, NotebookShowsOnePageAndHidesTheOthersControls) {
    auto form = fw::MakeForm<fw::Form>();
    form->resize(200, 100);
    auto* book = new fw::Notebook(form.get());
    book->SetAlign(fw::Align::alClient);
    auto* yesNo = new fw::Button(&book->AddPage("Da_Ne"));
    auto* ok = new fw::Button(&book->AddPage("OK"));
    form->Show();
    EXPECT_TRUE(yesNo->CanFocus());
    EXPECT_FALSE(ok->CanFocus());
    book->SetPageIndex(1);
    EXPECT_FALSE(yesNo->CanFocus());
    EXPECT_TRUE(ok->CanFocus());
    EXPECT_EQ(book->Page(1).Widget().geometry(), QRect(0, 0, 200, 100));
}

TEST(Controls, GaugeKeepsProgressInRange) {
    auto form = fw::MakeForm<fw::Form>();
    auto* gauge = new fw::Gauge(form.get());
    gauge->SetMaxValue(5);
    gauge->SetProgress(7);
    EXPECT_EQ(gauge->Progress(), 5);
    gauge->SetProgress(2);
    EXPECT_EQ(gauge->Progress(), 2);
}

} // namespace

#include "fw/ui/Grid.h"
#include "fw/ui/Guard.h"
#include "fw/ui/Timer.h"

#include <QStandardItemModel>

namespace {

TEST(Controls, EditRefusesTextOutsideCodePage1250) {
    auto form = fw::MakeForm<fw::Form>();
    auto* edit = new fw::Edit(form.get());
    edit->insert(QString::fromUtf8("Đurđevac"));
    edit->insert(QString::fromUtf8(" Жуков"));
    EXPECT_EQ(edit->Text(), "Đurđevac");
    edit->SetPasswordChar('*');
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
}

TEST(Controls, GridKeepsItsArrowsAndIgnoresLetters) {
    auto form = fw::MakeForm<fw::Form>();
    form->resize(300, 200);
    auto* grid = new fw::Grid(form.get());
    grid->SetBounds(0, 0, 300, 200);
    QStandardItemModel model(3, 2);
    for (int r = 0; r < 3; ++r)
        model.setItem(r, 0, new QStandardItem(QString("R%1").arg(r)));
    grid->setModel(&model);
    grid->setCurrentIndex(model.index(0, 0));
    auto* after = new fw::Edit(form.get());
    fwtest::ShowActive(*form);
    grid->SetFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(form->ActiveControl(), grid);
    QTest::keyClick(grid, Qt::Key_R); // no keyboard search
    EXPECT_EQ(grid->Row(), 1);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), after);
    grid->setModel(nullptr);
}

TEST(Controls, TimerCallsItsHandlerAndSurvivesAFailure) {
    fw::MessageRecorder recorder;
    fw::Timer timer(nullptr);
    int calls = 0;
    timer.SetInterval(1);
    timer.OnTimer = [&](fw::Component&) {
        if (++calls == 1) throw base::Exception("Greška u satu");
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls >= 2; }, 5000));
    timer.SetEnabled(false);
    const int stopped = calls;
    QTest::qWait(20);
    EXPECT_EQ(calls, stopped);
    EXPECT_EQ(recorder.Messages, std::vector<std::string>{"Greška u satu"});
}

} // namespace

namespace {

TEST(Controls, MemoRefusesTextOutsideCodePage1250) {
    auto form = fw::MakeForm<fw::Form>();
    auto* memo = new fw::Memo(form.get());
    int changes = 0;
    memo->OnChange = [&](fw::Component&) { ++changes; };
    memo->SetText("Prvi red\nčćžšđ");
    memo->insertPlainText(QString::fromUtf8("Жуков"));
    EXPECT_EQ(memo->Text(), "Prvi red\nčćžšđ");
    EXPECT_EQ(changes, 1);
}

} // namespace
