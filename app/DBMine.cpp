#include "app/DBMine.h"

namespace app {

int MaxOpenTables = 100;

} // namespace app
