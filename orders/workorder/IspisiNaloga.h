#pragma once
// The printouts the work-order form starts: the print buttons call these, and the printing unit fills them
// in at start-up. An empty one leaves its button without effect.

#include "orders/optima/RadniNalog.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orders {

struct IspisiRadnihNaloga {
    // The work order (ponuda false) or the offer (ponuda true) of the order with that Code; pregled: shown
    // in the preview first rather than sent to the printer.
    std::function<void(std::int32_t radniNalog, bool ponuda, bool pregled)> IspisNaloga;
    // The glass cutting lists of the order, one per glass article, as laid out on their sheets.
    std::function<void(std::int32_t radniNalog, const std::vector<ListaStakla>& liste, bool pregled)>
        IspisStakla;
};

extern IspisiRadnihNaloga IspisiNaloga;

} // namespace orders
