#pragma once
// The kit's button and check box: their arrow keys move the focus spatially, and Enter on the check box
// fires OnReturn.

#include "fw/ui/StdCtrls.h"

namespace kit {

class TMyBitBtn : public fw::BitBtn {
public:
    explicit TMyBitBtn(fw::Control* parent, fw::Component* owner = nullptr);
    void KeyDown(std::uint16_t& key, fw::Shift shift) override;
};

class TMyCheckBox : public fw::CheckBox {
public:
    explicit TMyCheckBox(fw::Control* parent, fw::Component* owner = nullptr);
    fw::NotifyEvent OnReturn;
    void KeyDown(std::uint16_t& key, fw::Shift shift) override;
    bool WantsKey(std::uint16_t key, fw::Shift shift) const override;
};

} // namespace kit
