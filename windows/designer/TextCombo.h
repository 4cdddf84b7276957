#pragma once
// A combo box with a list of items and free text (the sill-strip height, the article boxes).

#include "fw/ui/Control.h"

#include <QComboBox>
#include <string>
#include <vector>

namespace windows {

class TextCombo : public fw::ControlOf<QComboBox> {
public:
    explicit TextCombo(fw::Control* parent, fw::Component* owner = nullptr);
    std::string Text() const;
    void SetText(const std::string& text);
    void SetItems(const std::vector<std::string>& items);
    std::vector<std::string> Items() const;
    // Empties the text; the list stays.
    void Clear();
    // Up and Down step through the list instead of moving the focus.
    bool WantsKey(std::uint16_t key, fw::Shift shift) const override;
};

} // namespace windows
