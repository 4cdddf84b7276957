#pragma once

namespace fw {
class TDataSet;
}

namespace kit {

// Keeps the controls of one or two datasets still for a scope and lets them show the result once, at the
// latest when the scope ends. Enabling never raises: a failure of the controls reading the data again is
// shown (unless another failure is already on its way, which its handler shows), and every dataset is
// enabled again whatever happened to the one before it.
class ControlsHeld {
public:
    explicit ControlsHeld(fw::TDataSet* first, fw::TDataSet* second = nullptr);
    ~ControlsHeld();
    ControlsHeld(const ControlsHeld&) = delete;
    ControlsHeld& operator=(const ControlsHeld&) = delete;
    // tell false: the caller is telling a failure of its own, one message is enough.
    void Enable(bool tell = true) noexcept;

private:
    fw::TDataSet* first_;
    fw::TDataSet* second_;
    bool enabled_ = false;
};

} // namespace kit
