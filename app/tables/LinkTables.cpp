// The tables of the link database.

#include "app/tables/TableBuilders.h"

namespace app {

namespace {

using namespace tables;

constexpr CatalogueRow rows[] = {
    // 1
    OpenRegister(),
};

} // namespace

const std::vector<TableDefinition>& LinkTables() {
    static const std::vector<TableDefinition> tables = BuildTables(rows);
    return tables;
}

} // namespace app
