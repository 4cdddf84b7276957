#pragma once
// Switching data-entry controls on and off as a record allows: a switched-off control is skipped by the
// keyboard and greyed, so the user sees at once what can be typed into.

namespace fw {
class Control;
}

namespace app {

// TabStop and Enabled on, window colour / off, button-face colour.
void EnableEdit(fw::Control& edit);
void DisableEdit(fw::Control& edit);
// The same three settings for the kit's lookup controls.
void EnableLookup(fw::Control& lookup);
void DisableLookup(fw::Control& lookup);
// Check boxes keep their colour.
void EnableCheck(fw::Control& check);
void DisableCheck(fw::Control& check);

} // namespace app
