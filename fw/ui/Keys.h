#pragma once
#include <cstdint>
#include <QString>

class QKeyEvent;

namespace fw {

// Virtual key codes as the program's key handlers see them.
enum VirtualKey : std::uint16_t {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_MULTIPLY = 0x6A, // the numeric keypad's * + - . /
    VK_ADD = 0x6B,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F2,
    VK_F3,
    VK_F4,
    VK_F5,
    VK_F6,
    VK_F7,
    VK_F8,
    VK_F9,
    VK_F10,
    VK_F11,
    VK_F12,
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_8 = 0xDF, // any other character key
};

// The shift state of a key: a set of these bits. Handlers compare it for equality (ssCtrl means exactly
// Ctrl).
using Shift = std::uint8_t;
inline constexpr Shift ssNone = 0;
inline constexpr Shift ssShift = 1;
inline constexpr Shift ssAlt = 2;
inline constexpr Shift ssCtrl = 4;

// One keystroke split into its two phases: the key-down code with its shift state, and the character it
// types (a code page 1250 byte, 0 for none).
struct KeyStroke {
    std::uint16_t Key = 0;
    Shift ShiftState = ssNone;
    std::uint8_t Char = 0;
};

// Enter gives #13 (also with Shift and on the keypad), Ctrl+Enter #10, Esc #27, Backspace #8, Tab #9,
// Ctrl+A..Z #1..#26; other keys type their text when it exists in code page 1250, else nothing.
KeyStroke TranslateKey(int qtKey, unsigned qtModifiers, const char32_t* text, int textLength);
KeyStroke TranslateKey(const QKeyEvent& event);

bool IsArrowKey(std::uint16_t key);

// The accelerator letter of a caption ("&Datei" → 'D', upper case), or a null character.
QChar AcceleratorOf(const QString& caption);

} // namespace fw
