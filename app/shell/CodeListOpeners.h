#pragma once
// The openers of the code lists by the table they keep: F2 on a field that names a row of such a table opens
// the table's register as a picker over the form (the caller). The code lists put their openers here at
// start-up; layers below them reach the registers through this list only.

#include "fw/ui/Form.h"

#include <functional>
#include <string>
#include <vector>

namespace app {

using CodeListOpener = std::function<void(fw::Form* caller)>;

// Registers the opener of the register that keeps the table (file name, any case); a later one replaces it.
void RegisterCodeListOpener(const std::string& tableName, CodeListOpener opener);
// The opener for the table, empty when no register keeps it.
CodeListOpener CodeListOpenerOf(const std::string& tableName);
// The tables that have a register, in name order (upper case).
std::vector<std::string> CodeListTables();
// Opens the table's register over the caller; false when no register keeps the table.
bool OpenCodeListOf(const std::string& tableName, fw::Form* caller);

} // namespace app
