#pragma once
// The table checks on the real table engine.

#include "app/TableEngine.h"

namespace app {

TableEngine& FileTableEngine();

} // namespace app
