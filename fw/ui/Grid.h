#pragma once
#include "fw/ui/Control.h"

#include <QTableView>

namespace fw {

// A table view as the forms' grids need it: it keeps its arrow keys, and letters never start Qt's own
// keyboard search (they belong to the form's handlers). The data model is set by the code on top.
class Grid : public ControlOf<QTableView> {
public:
    explicit Grid(Control* parent, Component* owner = nullptr);
    bool WantsKey(std::uint16_t key, Shift shift) const override;
    void keyboardSearch(const QString&) override {}
    // The current cell (row, column), -1 when there is none.
    int Row() const { return currentIndex().row(); }
    int Col() const { return currentIndex().column(); }
};

} // namespace fw
