#include "fw/ui/Keys.h"

#include <gtest/gtest.h>
#include <QKeyEvent>

namespace {

fw::KeyStroke key(int qtKey, Qt::KeyboardModifiers mods, const QString& text) {
    QKeyEvent e(QEvent::KeyPress, qtKey, mods, text);
    return fw::TranslateKey(e);
}

TEST(KeyTranslation, EnterGivesCarriageReturnButCtrlEnterLineFeed) {
    EXPECT_EQ(key(Qt::Key_Return, Qt::NoModifier, "\r").Char, 13);
    EXPECT_EQ(key(Qt::Key_Return, Qt::ShiftModifier, "\r").Char, 13);
    EXPECT_EQ(key(Qt::Key_Enter, Qt::KeypadModifier, "\r").Char, 13);
    const auto ctrl = key(Qt::Key_Return, Qt::ControlModifier, "\r");
    EXPECT_EQ(ctrl.Char, 10);
    EXPECT_EQ(ctrl.Key, fw::VK_RETURN);
    EXPECT_EQ(ctrl.ShiftState, fw::ssCtrl);
}

TEST(KeyTranslation, KeypadOperatorsHaveTheirOwnKeysButTypeTheirCharacters) {
    const auto plus = key(Qt::Key_Plus, Qt::KeypadModifier, "+");
    EXPECT_EQ(plus.Key, fw::VK_ADD);
    EXPECT_EQ(plus.Char, '+');
    EXPECT_EQ(key(Qt::Key_Minus, Qt::KeypadModifier, "-").Key, fw::VK_SUBTRACT);
    EXPECT_EQ(key(Qt::Key_Asterisk, Qt::KeypadModifier, "*").Key, fw::VK_MULTIPLY);
    EXPECT_EQ(key(Qt::Key_Comma, Qt::KeypadModifier, ",").Key, fw::VK_DECIMAL);
    EXPECT_EQ(key(Qt::Key_Plus, Qt::NoModifier, "+").Key, fw::VK_OEM_PLUS);
}

TEST(KeyTranslation, ControlCharactersComeFromTheKeyNotTheText) {
    EXPECT_EQ(key(Qt::Key_Escape, Qt::NoModifier, "\x1b").Char, 27);
    EXPECT_EQ(key(Qt::Key_Backspace, Qt::NoModifier, "\b").Char, 8);
    EXPECT_EQ(key(Qt::Key_Tab, Qt::NoModifier, "\t").Char, 9);
    const auto paste = key(Qt::Key_V, Qt::ControlModifier, "v");
    EXPECT_EQ(paste.Char, 22);
    EXPECT_EQ(paste.Key, 'V');
    EXPECT_EQ(key(Qt::Key_A, Qt::ControlModifier, "a").Char, 1);
}

TEST(KeyTranslation, KeysWithoutCharacter) {
    const auto f2 = key(Qt::Key_F2, Qt::NoModifier, "");
    EXPECT_EQ(f2.Key, fw::VK_F2);
    EXPECT_EQ(f2.Char, 0);
    EXPECT_EQ(key(Qt::Key_Home, Qt::ControlModifier, "").Key, fw::VK_HOME);
    EXPECT_EQ(key(Qt::Key_Delete, Qt::ControlModifier, "\x7f").Char, 0);
    EXPECT_EQ(key(Qt::Key_Delete, Qt::NoModifier, "\x7f").Char, 0);
    const auto altLeft = key(Qt::Key_Left, Qt::AltModifier, "");
    EXPECT_EQ(altLeft.Key, fw::VK_LEFT);
    EXPECT_EQ(altLeft.ShiftState, fw::ssAlt);
    EXPECT_EQ(key(Qt::Key_X, Qt::AltModifier, "x").Char, 0);
}

TEST(KeyTranslation, TextIsCodePage1250) {
    EXPECT_EQ(key(Qt::Key_A, Qt::NoModifier, "a").Char, 'a');
    EXPECT_EQ(key(Qt::Key_A, Qt::ShiftModifier, "A").ShiftState, fw::ssShift);
    const auto c = key(Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("č"));
    EXPECT_EQ(c.Char, 0xE8);
    EXPECT_NE(c.Key, 0); // still a key-down phase
    EXPECT_EQ(key(Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("Đ")).Char, 0xD0);
    // No such character in the code page: nothing is typed.
    EXPECT_EQ(key(Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("ß")).Char, 0xDF);
    EXPECT_EQ(key(Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("ж")).Char, 0);
    EXPECT_EQ(key(Qt::Key_Backtab, Qt::ShiftModifier, "").ShiftState, fw::ssShift);
}

} // namespace
