#pragma once
// Calculated fields beside a table's stored ones. A table with fields of the program's own shows only those,
// so the table takes its stored fields from the table's built-in definition first, then the calculated
// fields, hidden from the grids.

#include "fw/db/DataSet.h"
#include "fw/db/DataSource.h"
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

// Calculated fields that copy the current row of another table (the link of a detail that hangs on them)
// are only worked out when their own row is read: moving the other table to a row of the same range leaves
// them on the old row, and the detail shows and edits another row's data. This link works the dataset's
// calculated fields out again whenever the other table is on another row, so the details follow.
class CalculatedLink : public fw::TDataLink {
public:
    CalculatedLink(fw::TDataSource& source, fw::TDataSet& calculated);

protected:
    void ActiveChanged() override { Recalculate(); }
    // Before the other table leaves its row, what hangs on the calculated fields is posted for that row.
    void CheckBrowseMode() override;
    void RecordChanged(fw::TField* field) override;

private:
    void Recalculate();
    fw::TDataSet& calculated_;
    bool busy_ = false;
};

} // namespace registers
