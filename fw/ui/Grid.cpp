#include "fw/ui/Grid.h"

#include <QHeaderView>

namespace fw {

Grid::Grid(Control* parent, Component* owner) : ControlOf<QTableView>(parent, owner) {
    SetTabStop(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

bool Grid::WantsKey(std::uint16_t key, Shift) const {
    return IsArrowKey(key);
}

} // namespace fw
