#pragma once
// A record another station holds: the kit's edits show it read-only and grey for the visit, and the first
// key the user types into it tells why instead of doing nothing without a word.

#include "fw/ui/Color.h"

#include <cstdint>

namespace fw {
class TDataSet;
} // namespace fw

namespace kit {

class HeldRecord {
public:
    // At the control's entry in multi-user mode: a held record makes the control read-only and grey (its
    // font colour kept in savedFontColor). True when it did.
    template <class C> bool Enter(C& control, fw::TDataSet* dataSet, fw::TColor& savedFontColor) {
        if (!Held(dataSet) || control.ReadOnly()) return held_ = false;
        control.SetReadOnly(true);
        savedFontColor = control.FontColor();
        control.SetFontColor(fw::clGray);
        return true;
    }
    // A character the read-only control refused: the first that would change the text tells the lock.
    void KeyRefused(std::uint8_t key);

private:
    bool Held(fw::TDataSet* dataSet);
    fw::TDataSet* dataSet_ = nullptr;
    bool held_ = false;
    bool told_ = false;
};

} // namespace kit
