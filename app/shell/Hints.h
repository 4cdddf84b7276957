#pragma once
#include <string>

namespace fw {
class Control;
class TDataSet;
} // namespace fw

namespace app {

// Field hints for the kit's controls. The hint switch is off and nothing turns it on, so no hint is ever
// found and the hint box is never made; the calls keep their contract for the controls that use them.
inline constexpr bool HintSwitch = false;
struct HintsState {
    // Set by a kit control after a plain F1 found a hint; while set, leaving the control closes the hint.
    bool HintBoxVisible = false;
    // Set by a kit control after a shifted F1 found a hint; while set, every kit control shows its hint.
    bool HintFollowFocus = false;
};
// Reset with the program's state.
extern HintsState Hints;

// Shows the hint of a field beside the control; False when there is none (then an open hint is closed).
bool ShowFieldHint(fw::Control* control, const std::string& databaseName, const std::string& tableName,
                   const std::string& fieldName);
// F1 on a kit control: an open hint is closed; otherwise the hint of the control's field is shown, and a
// shifted F1 lets the hints follow the focus from then on.
void ToggleFieldHint(fw::Control* control, const fw::TDataSet* dataSet, const std::string& fieldName,
                     bool shifted);
// Closes the hint box if there is one (the keyboard focus stays where it is); otherwise nothing.
void CloseHint();
// Hide / show an open hint around a drop-down list; nothing when no hint is open.
void HideHintBox();
void ShowHintBox();
// Whether the hint box exists (it never does while the switch is off).
bool HintBoxExists();

} // namespace app
