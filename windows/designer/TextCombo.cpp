#include "windows/designer/TextCombo.h"

#include <QLineEdit>

namespace windows {

TextCombo::TextCombo(fw::Control* parent, fw::Component* owner) : ControlOf<QComboBox>(parent, owner) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    SetTabStop(true);
}

std::string TextCombo::Text() const {
    return currentText().toStdString();
}

void TextCombo::SetText(const std::string& text) {
    setEditText(QString::fromStdString(text));
}

void TextCombo::SetItems(const std::vector<std::string>& items) {
    const QString tekst = currentText();
    clear();
    for (const std::string& s : items)
        addItem(QString::fromStdString(s));
    setEditText(tekst);
}

std::vector<std::string> TextCombo::Items() const {
    std::vector<std::string> out;
    for (int i = 0; i < count(); ++i)
        out.push_back(itemText(i).toStdString());
    return out;
}

void TextCombo::Clear() {
    setEditText({});
}

bool TextCombo::WantsKey(std::uint16_t key, fw::Shift shift) const {
    if (shift == fw::ssNone && (key == fw::VK_UP || key == fw::VK_DOWN)) return true;
    return Control::WantsKey(key, shift);
}

} // namespace windows
