#include "app/shell/EditControls.h"

#include "fw/ui/Color.h"
#include "fw/ui/Control.h"

namespace app {
namespace {
void Switch(fw::Control& control, bool on, bool recolour) {
    control.SetTabStop(on);
    control.SetEnabled(on);
    if (recolour) control.SetColor(on ? fw::clWindow : fw::clBtnFace);
}
} // namespace

void EnableEdit(fw::Control& edit) {
    Switch(edit, true, true);
}
void DisableEdit(fw::Control& edit) {
    Switch(edit, false, true);
}
void EnableLookup(fw::Control& lookup) {
    Switch(lookup, true, true);
}
void DisableLookup(fw::Control& lookup) {
    Switch(lookup, false, true);
}
void EnableCheck(fw::Control& check) {
    Switch(check, true, false);
}
void DisableCheck(fw::Control& check) {
    Switch(check, false, false);
}

} // namespace app
