#pragma once
// The kit's process-wide values, its start-up and shutdown, and the common key handling of the code
// lists: CodeListKeyDown and the test for the kit's own data controls.

#include "app/shell/FormOpener.h"
#include "fw/ui/Control.h"
#include "fw/ui/Form.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace fw {
class TSession;
}

namespace kit {

class TMyTable;

// Every data control of the kit (edits, key and lookup controls, the grid) carries this mark.
class KitControl {
public:
    virtual ~KitControl() = default;
    // Takes the text being typed as Enter takes it, without moving on: false when the value was refused
    // (told; the control keeps the focus and what was typed). A control with nothing pending answers true.
    virtual bool TakePending() { return true; }
};
// A key or lookup control that settles its code on Ctrl+Enter.
class CodeControl : public KitControl {
public:
    // Searches the typed code and creates it when it is new (the control's own protocol).
    virtual void SearchCode() = 0;

protected:
    // The search Enter runs, the focus staying here (a close, a picker's write-back); false when the form
    // refused the value.
    bool SettleInPlace();
    // Set while SettleInPlace runs: the search does not move the focus on.
    bool settleInPlace_ = false;
    // What the last search of the visit left in the control, whatever came of it: a leave or a close right
    // after asks and tells nothing again (the search did), and the leave takes it back.
    std::optional<std::string> settledText_;
    bool SettledAlready(const std::string& text) const { return settledText_ && *settledText_ == text; }
};

using FunctionKeyProc = std::function<void()>;
struct KitValues {
    bool ValueUnchanged = false;
    std::string OldText;
    bool AdvanceAllowed = true;
    bool DeleteKeyEnabled = true;
    // Plain F1..F12 (F11 stays empty: it is the focus mark), Shift+, Ctrl+ and Alt+F1..F12.
    std::array<FunctionKeyProc, 12> Plain, Shifted, Ctrl, Alt;
    // The kit's session names and sessions.
    std::string SessionNameA;
    std::string SessionNameB;
    fw::TSession* KitSessionA = nullptr;
    // The two "OPEN.DB" registers, made by InitializeKit and freed by FreeKit (or with the values).
    std::unique_ptr<TMyTable> OpenDbGlobal;
    std::unique_ptr<TMyTable> OpenDbLokal;
};
// Reset with the program's state: the registers are freed, the next InitializeKit makes new ones.
extern KitValues Kit;

// Start-up: the opener hooks, the form behaviour, the open-table limit, the session names and the two
// register tables. Shutdown closes the registers (they stay) and clears the names; FreeKit frees them.
void InitializeKit();
void FinalizeKit();
void FreeKit();

// True when the form's active control exists and is not one of the kit's data controls.
bool ActiveControlNotKit(const fw::Form* form);
// The controls below a control: its own plus those of every windowed child, recursively.
int CountControls(const fw::Control* control);

// Moves the focus from the control in an arrow key's direction (the spatial moves); false for other keys.
bool MoveFocusByArrow(std::uint16_t key, fw::Control* control);

// The code lists' common key handler; returns (and stores in KeyHandled) whether it consumed the key.
bool CodeListKeyDown(fw::Form* form, std::uint16_t& key, fw::Shift shift, fw::Control* homeControl,
                     fw::Control* endControl, bool swapGridArrows);

} // namespace kit
