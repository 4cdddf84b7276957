#include "FormTesting.h"
#include "fw/db/Table.h"
#include "fw/ui/DBMemo.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using fwtest::ShowActive;
using fwtest::Type;

// "NOTES.DB" with a code and a memo that keeps one byte in the row, so long texts live in the memo file.
class DBMemoTest : public ::testing::Test {
protected:
    DBMemoTest() {
        fw::TTable t;
        t.SetDatabaseName(folder.Path().string());
        t.SetTableName("NOTES.DB");
        t.FieldDefs().Add("Sifra", fw::ftString, 10);
        t.FieldDefs().Add("Biljeske", fw::ftMemo, 1);
        t.CreateTable();
        t.Open();
        t.Append();
        t.FieldByName("Sifra").SetAsString("A1");
        t.Post();
        t.Close();

        form = fw::MakeForm<fw::Form>();
        form->resize(400, 300);
        memo = new fw::DBMemo(form.get());
        memo->SetBounds(10, 10, 300, 150);
        next = new fw::Edit(form.get());
        next->SetBounds(10, 200, 100, 24);
        table.SetDatabaseName(folder.Path().string());
        table.SetTableName("NOTES.DB");
        source.SetDataSet(&table);
        memo->SetDataSource(&source);
        memo->SetDataField("Biljeske");
    }
    ~DBMemoTest() override { memo->SetDataSource(nullptr); }

    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(fwtest::FocusTarget(*form), key, mods);
    }
    // Focuses the memo with the caret at the end of its text.
    void Enter() {
        form->SetActiveControl(memo);
        memo->moveCursor(QTextCursor::End);
    }
    std::string Stored() {
        fw::TTable t;
        t.SetDatabaseName(folder.Path().string());
        t.SetTableName("NOTES.DB");
        t.Open();
        return t.FieldByName("Biljeske").AsString();
    }

    testsupport::TempFolder folder;
    fw::TTable table;
    fw::TDataSource source;
    std::unique_ptr<fw::Form> form;
    fw::DBMemo* memo = nullptr;
    fw::Edit* next = nullptr;
};

TEST_F(DBMemoTest, TypedLinesReachTheFieldOnExitAndSurviveReopening) {
    table.Open();
    ShowActive(*form);
    Enter();
    EXPECT_EQ(table.State(), fw::dsBrowse);
    Type(fwtest::FocusTarget(*form), "Prvi red");
    EXPECT_EQ(table.State(), fw::dsEdit);
    EXPECT_TRUE(memo->Modified());
    EXPECT_EQ(table.FieldByName("Biljeske").AsString(), "") << "typed text waits for the exit";
    Key(Qt::Key_Return);
    Type(fwtest::FocusTarget(*form), QString::fromUtf8("čćžšđ ČĆŽŠĐ"));
    Key(Qt::Key_Tab, Qt::ControlModifier);
    Type(fwtest::FocusTarget(*form), "kraj");
    EXPECT_TRUE(memo->Focused()) << "Enter and Ctrl+Tab stay in the memo";
    Key(Qt::Key_Tab);
    EXPECT_TRUE(next->Focused());
    EXPECT_FALSE(memo->Modified());
    const std::string written = "Prvi red\r\nčćžšđ ČĆŽŠĐ\tkraj";
    EXPECT_EQ(table.FieldByName("Biljeske").AsString(), written);
    table.Post();
    table.Close();
    EXPECT_EQ(memo->Text(), "");
    EXPECT_EQ(Stored(), written);
    table.Open();
    EXPECT_EQ(memo->Text(), "Prvi red\nčćžšđ ČĆŽŠĐ\tkraj");
    EXPECT_FALSE(memo->Modified()) << "showing the field is no change of the user's";

    // A long text typed on, written by a post without leaving the memo.
    Enter();
    for (int i = 0; i < 60; ++i) {
        Key(Qt::Key_Return);
        Type(fwtest::FocusTarget(*form), QString::fromUtf8("red %1 šđ ").arg(i) + QString(40, QChar('x')));
    }
    table.Post();
    table.Close();
    std::string expected = written;
    for (int i = 0; i < 60; ++i)
        expected += "\r\nred " + std::to_string(i) + " šđ " + std::string(40, 'x');
    EXPECT_EQ(Stored(), expected);
}

TEST_F(DBMemoTest, EscShowsTheFieldAgainAndBackspaceEditsTheRecord) {
    table.Open();
    ShowActive(*form);
    Enter();
    Type(fwtest::FocusTarget(*form), "pogreška");
    Key(Qt::Key_Escape);
    EXPECT_EQ(memo->Text(), "");
    EXPECT_FALSE(memo->Modified());
    table.Cancel();

    table.Edit();
    table.FieldByName("Biljeske").SetAsString("ab");
    table.Post();
    EXPECT_EQ(memo->Text(), "ab");
    Enter();
    Key(Qt::Key_Backspace);
    EXPECT_EQ(table.State(), fw::dsEdit);
    Key(Qt::Key_Tab);
    EXPECT_EQ(table.FieldByName("Biljeske").AsString(), "a");
}

// Each way the memo can be barred from writing: typing changes neither the text nor the record's state.
TEST_F(DBMemoTest, NothingIsTypedWhileTheMemoCannotWrite) {
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"memo read-only", [&] { memo->SetReadOnly(true); }},
        {"field read-only", [&] { table.FieldByName("Biljeske").ReadOnly = true; }},
        {"table read-only", [&] { table.ReadOnly = true; }},
    };
    ShowActive(*form);
    for (const auto& [name, bar] : cases) {
        SCOPED_TRACE(name);
        table.Close();
        memo->SetReadOnly(false);
        table.ReadOnly = false;
        table.Open();
        table.FieldByName("Biljeske").ReadOnly = false;
        bar();
        memo->SetDataField("");
        memo->SetDataField("Biljeske");
        Enter();
        Type(fwtest::FocusTarget(*form), "x");
        Key(Qt::Key_Return);
        Key(Qt::Key_Tab, Qt::ControlModifier);
        Key(Qt::Key_Delete);
        EXPECT_EQ(memo->Text(), "");
        EXPECT_EQ(table.State(), fw::dsBrowse);
        Key(Qt::Key_Tab);
        EXPECT_TRUE(next->Focused());
    }
}

} // namespace
