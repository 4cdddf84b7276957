#include "kit/ControlsHeld.h"

#include "fw/db/DataSet.h"
#include "fw/ui/Guard.h"

#include <exception>

namespace kit {

namespace {
void EnableOne(fw::TDataSet* ds, bool show) noexcept {
    if (!ds) return;
    try {
        ds->EnableControls();
    } catch (const std::exception& e) {
        if (show) fw::ShowException(e);
    } catch (...) {
        if (show) fw::ShowMessage("Nepoznata greška");
    }
}
} // namespace

ControlsHeld::ControlsHeld(fw::TDataSet* first, fw::TDataSet* second) : first_(first), second_(second) {
    if (first_) first_->DisableControls();
    if (second_) second_->DisableControls();
}

ControlsHeld::~ControlsHeld() {
    Enable();
}

void ControlsHeld::Enable(bool tell) noexcept {
    if (enabled_) return;
    enabled_ = true;
    // A failure already unwinding the scope reaches its own handler, which shows it.
    const bool show = tell && std::uncaught_exceptions() == 0;
    EnableOne(second_, show);
    EnableOne(first_, show);
}

} // namespace kit
