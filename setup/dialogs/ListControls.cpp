#include "setup/dialogs/ListControls.h"

#include "fw/ui/Keys.h"

namespace setup {

namespace {
bool Arrow(std::uint16_t key) {
    return key == fw::VK_UP || key == fw::VK_DOWN || key == fw::VK_LEFT || key == fw::VK_RIGHT;
}
} // namespace

bool TListBox::WantsKey(std::uint16_t key, fw::Shift shift) const {
    return Arrow(key) || Control::WantsKey(key, shift);
}

bool TTreeControl::WantsKey(std::uint16_t key, fw::Shift shift) const {
    return Arrow(key) || Control::WantsKey(key, shift);
}

} // namespace setup
