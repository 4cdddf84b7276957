#include "app/tables/TableEngine.h"

#include "base/Exceptions.h"
#include "base/ProgramState.h"

namespace app {

namespace {
TableEngine* current = nullptr;
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { current = nullptr; });
} // namespace

void SetTableEngine(TableEngine* tableEngine) {
    current = tableEngine;
}

TableEngine& CurrentTableEngine() {
    if (!current) throw base::Exception("Pogon tablica nije postavljen");
    return *current;
}

} // namespace app
