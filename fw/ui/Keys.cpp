#include "fw/ui/Keys.h"

#include "base/Cp1250.h"

#include <QKeyEvent>

namespace fw {

namespace {

std::uint16_t VirtualKeyOf(int k, bool keypad, const char32_t* text, int textLength) {
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<std::uint16_t>('A' + (k - Qt::Key_A));
    if (k >= Qt::Key_0 && k <= Qt::Key_9 && !keypad) return static_cast<std::uint16_t>('0' + (k - Qt::Key_0));
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<std::uint16_t>(0x60 + (k - Qt::Key_0));
    if (keypad) switch (k) {
        case Qt::Key_Asterisk:
            return VK_MULTIPLY;
        case Qt::Key_Plus:
            return VK_ADD;
        case Qt::Key_Minus:
            return VK_SUBTRACT;
        case Qt::Key_Slash:
            return VK_DIVIDE;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return VK_DECIMAL;
        default:
            break;
        }
    if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return static_cast<std::uint16_t>(VK_F1 + (k - Qt::Key_F1));
    switch (k) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_Plus:
        return VK_OEM_PLUS;
    case Qt::Key_Comma:
        return VK_OEM_COMMA;
    case Qt::Key_Minus:
        return VK_OEM_MINUS;
    case Qt::Key_Period:
        return VK_OEM_PERIOD;
    default:
        break;
    }
    // Letters outside A..Z (š, đ ...) and other character keys still have a key-down phase.
    return textLength > 0 && text[0] >= 0x20 ? VK_OEM_8 : 0;
}

} // namespace

KeyStroke TranslateKey(int k, unsigned mods, const char32_t* text, int textLength) {
    KeyStroke s;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const bool shift = (mods & Qt::ShiftModifier) || k == Qt::Key_Backtab;
    s.ShiftState = static_cast<Shift>((shift ? ssShift : 0) | (alt ? ssAlt : 0) | (ctrl ? ssCtrl : 0));
    s.Key = VirtualKeyOf(k, (mods & Qt::KeypadModifier) != 0, text, textLength);

    if (alt && !ctrl) return s; // Alt combinations type nothing
    switch (s.Key) {
    case VK_RETURN:
        s.Char = ctrl ? 10 : 13;
        return s;
    case VK_ESCAPE:
        s.Char = 27;
        return s;
    case VK_BACK:
        s.Char = ctrl ? 127 : 8;
        return s;
    case VK_TAB:
        s.Char = ctrl ? 0 : 9;
        return s;
    default:
        break;
    }
    if (ctrl && !alt) {
        if (s.Key >= 'A' && s.Key <= 'Z') s.Char = static_cast<std::uint8_t>(s.Key - 'A' + 1);
        return s;
    }
    if (textLength == 1 && text[0] >= 0x20 && text[0] != 0x7F) {
        const int b = base::UnicodeToCp1250(text[0]);
        if (b >= 0x20) s.Char = static_cast<std::uint8_t>(b);
    }
    return s;
}

KeyStroke TranslateKey(const QKeyEvent& event) {
    const std::u32string text = event.text().toStdU32String();
    return TranslateKey(event.key(), static_cast<unsigned>(event.modifiers()), text.data(),
                        static_cast<int>(text.size()));
}

bool IsArrowKey(std::uint16_t key) {
    return key >= VK_LEFT && key <= VK_DOWN;
}

QChar AcceleratorOf(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return caption[i + 1].toUpper();
    }
    return QChar();
}

} // namespace fw
