#pragma once
// The table checks on the real table engine.

#include "app/tables/TableEngine.h"

namespace app {

TableEngine& FileTableEngine();

} // namespace app
