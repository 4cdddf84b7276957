#pragma once
// Calculated fields beside a table's stored ones. A table with fields of the program's own shows only those,
// so the table takes its stored fields from the table's built-in definition first, then the calculated
// fields, hidden from the grids.

#include "fw/db/DataSet.h"
#include "fw/db/FieldType.h"
#include "kit/MyTable.h"

#include <string>
#include <vector>

namespace registers {

struct CalculatedField {
    std::string Name;
    fw::TFieldType Type;
    int Size = 0;
};

// The table's database ("Global" or "Lokal") and file name must be set.
void AddCalculatedFields(kit::TMyTable& table, const std::vector<CalculatedField>& fields,
                         fw::TDataSetNotifyEvent onCalcFields);

} // namespace registers
