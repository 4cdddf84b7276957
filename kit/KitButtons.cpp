#include "kit/KitButtons.h"

#include "app/FocusNavigation.h"

namespace kit {

namespace {

// Moves the focus from the control in the arrow's direction; answers whether the key was an arrow.
bool arrowMove(std::uint16_t key, fw::Control* control) {
    switch (key) {
    case fw::VK_LEFT:
        app::MoveFocusLeft(control);
        return true;
    case fw::VK_RIGHT:
        app::MoveFocusRight(control);
        return true;
    case fw::VK_UP:
        app::MoveFocusUp(control);
        return true;
    case fw::VK_DOWN:
        app::MoveFocusDown(control);
        return true;
    default:
        return false;
    }
}

} // namespace

TMyBitBtn::TMyBitBtn(fw::Control* parent, fw::Component* owner) : fw::BitBtn(parent, owner) {
    SetTag(Tag() | fw::TagOwnArrowKeys);
    setAutoDefault(false);
}

void TMyBitBtn::KeyDown(std::uint16_t& key, fw::Shift shift) {
    if (key != 0 && shift == fw::ssNone && fw::IsArrowKey(key)) {
        const std::uint16_t arrow = key;
        key = 0;
        arrowMove(arrow, this);
    }
    fw::BitBtn::KeyDown(key, shift);
}

TMyCheckBox::TMyCheckBox(fw::Control* parent, fw::Component* owner) : fw::CheckBox(parent, owner) {}

bool TMyCheckBox::WantsKey(std::uint16_t key, fw::Shift shift) const {
    return shift == fw::ssNone && (fw::IsArrowKey(key) || key == fw::VK_RETURN);
}

void TMyCheckBox::KeyDown(std::uint16_t& key, fw::Shift shift) {
    if (key != 0 && shift == fw::ssNone) {
        if (arrowMove(key, this)) {
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
