// The tables of the link database.

#include "app/tables/TableBuilders.h"

namespace app {

using namespace tables;

const std::vector<TableDefinition>& LinkTables() {
    static const std::vector<TableDefinition> tables = {
        // 1
        OpenRegisterTable(),
    };
    return tables;
}

} // namespace app
