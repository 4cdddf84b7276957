#pragma once
// List controls of the pages: they keep their arrow keys and Enter stays with the form's buttons.

#include "fw/ui/Control.h"

#include <QListWidget>
#include <QTreeWidget>

namespace setup {

class TListBox : public fw::ControlOf<QListWidget> {
public:
    explicit TListBox(fw::Control* parent) : ControlOf(parent) { SetTabStop(true); }
    bool WantsKey(std::uint16_t key, fw::Shift shift) const override;
};

class TTreeControl : public fw::ControlOf<QTreeWidget> {
public:
    explicit TTreeControl(fw::Control* parent) : ControlOf(parent) { SetTabStop(true); }
    bool WantsKey(std::uint16_t key, fw::Shift shift) const override;
};

} // namespace setup
