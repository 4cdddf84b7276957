#include "kit/KitButtons.h"

#include "kit/Mycombo.h"

namespace kit {

TMyBitBtn::TMyBitBtn(fw::Control* parent, fw::Component* owner) : fw::BitBtn(parent, owner) {
    SetTag(Tag() | fw::TagOwnArrowKeys);
    setAutoDefault(false);
}

void TMyBitBtn::KeyDown(std::uint16_t& key, fw::Shift shift) {
    if (key != 0 && shift == fw::ssNone && fw::IsArrowKey(key)) {
        const std::uint16_t arrow = key;
        key = 0;
        MoveFocusByArrow(arrow, this);
    }
    fw::BitBtn::KeyDown(key, shift);
}

TMyCheckBox::TMyCheckBox(fw::Control* parent, fw::Component* owner) : fw::CheckBox(parent, owner) {}

bool TMyCheckBox::WantsKey(std::uint16_t key, fw::Shift shift) const {
    return shift == fw::ssNone && (fw::IsArrowKey(key) || key == fw::VK_RETURN);
}

void TMyCheckBox::KeyDown(std::uint16_t& key, fw::Shift shift) {
    if (key != 0 && shift == fw::ssNone) {
        if (MoveFocusByArrow(key, this)) {
            key = 0;
            return;
        }
        if (key == fw::VK_RETURN) {
            key = 0;
            if (OnReturn) OnReturn(*this);
            return;
        }
    }
    fw::CheckBox::KeyDown(key, shift);
}

} // namespace kit
