#pragma once
#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace fw {
class Control;
}

namespace app {

// Moves the focus to the next (GoForward) or previous control of the form in tab order, wrapping round,
// passing over controls that cannot take the focus, have TabStop off or are disabled. The control keeps
// the focus when nothing else qualifies.
void MoveFocus(fw::Control* control, bool goForward);

// Spatial moves: the nearest focusable control in that direction whose extent overlaps the control's
// across it; only the gap along the direction counts, and of equal gaps the one met last in the scan of
// the control tree wins. Containers with child controls are searched, never taken. Nothing qualifies:
// the focus stays. A nil control does nothing.
void MoveFocusRight(fw::Control* control);
void MoveFocusLeft(fw::Control* control);
void MoveFocusDown(fw::Control* control);
void MoveFocusUp(fw::Control* control);
// The control a move would pick, or nullptr (the moves give it the focus).
enum class Direction { Right, Left, Down, Up };
fw::Control* SpatialTarget(fw::Control* control, Direction direction);

// Three digit groups, day, month, year (up to 2, 2 and 4 digits, anything else between them); years below
// 50 are 20xx, 50 to 99 19xx. A missing group or an impossible date raises the conversion error.
double StrToDateDMY(const std::string& s);
// The integer of "1" followed by s, so leading zeros are kept ("0042" gives 10042); non-numeric text or a
// value beyond 32 bits raises the conversion error.
std::int32_t StrToCode(const std::string& s);
// Asks the yes/no question of the message box.
bool Confirm(const std::string& msg);

// Runs pending non-input events, then pauses 10 ms; False at once when waiting is switched off.
bool YieldIfAllowed();
// Runs pending events, keyboard included, then pauses 10 ms. Mouse input waits until afterwards, except
// for the windows allowed below (the progress window, so that its cancel button works).
void YieldToSystem();
void AllowMouseDuringYield(QWidget* window);

struct FocusNavigationState {
    // The wait switch: YieldIfAllowed does nothing while it is 0.
    std::uint16_t WaitSwitch = 1;
    // The lock-wait switch (nothing in the program sets it).
    std::uint8_t LockWaitSwitch = 0;
    // Reads "Background" "Priority" of the suite settings; the settings unit installs it.
    std::function<int()> BackgroundPriority;
};
// Reset with the program's state.
extern FocusNavigationState FocusNavigation;
// True only with the lock-wait switch on and a background priority other than 6.
bool LockWaitAllowed();

} // namespace app
