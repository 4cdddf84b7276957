#include "app/tables/TableEngine.h"

#include "base/Exceptions.h"

namespace app {

namespace {
TableEngine* current = nullptr;
}

void SetTableEngine(TableEngine* tableEngine) {
    current = tableEngine;
}

TableEngine& CurrentTableEngine() {
    if (!current) throw base::Exception("Pogon tablica nije postavljen");
    return *current;
}

} // namespace app
