#include "registers/CalcFields.h"

#include "app/tables/TableDefinitions.h"
#include "base/Exceptions.h"
#include "base/Text.h"
#include "fw/db/FieldClasses.h"

namespace registers {

void AddCalculatedFields(kit::TMyTable& table, const std::vector<CalculatedField>& fields,
                         fw::TDataSetNotifyEvent onCalcFields) {
    const bool lokal = base::UpperCase(table.DatabaseName()) == "LOKAL";
    const app::TableDefinition* definition = app::FindTableDefinition(
        lokal ? app::LokalTables() : app::GlobalTables(), base::UpperCase(table.TableName()));
    if (!definition) throw base::Exception("Nema opisa tablice " + table.TableName());
    for (const app::FieldDefinition& def : definition->Fields)
        table.AddField(fw::CreateField(def.DataType, def.Size), def.Name).Required = def.Required;
    for (const CalculatedField& f : fields)
        table.AddField(fw::CreateField(f.Type, f.Size), f.Name, fw::fkCalculated).Visible = false;
    table.OnCalcFields = std::move(onCalcFields);
}

CalculatedLink::CalculatedLink(fw::TDataSource& source, fw::TDataSet& calculated) : calculated_(calculated) {
    SetDataSource(&source);
}

void CalculatedLink::CheckBrowseMode() {
    if (Active() && calculated_.State() != fw::dsInactive) calculated_.CheckBrowseMode();
}

void CalculatedLink::RecordChanged(fw::TField* field) {
    // A field typed in the row changes no row; the row's key once posted comes with a record change.
    if (!field) Recalculate();
}

void CalculatedLink::Recalculate() {
    // A row being typed in the calculated dataset is left alone: its own post or cancel reads it again.
    if (busy_ || !Active() || calculated_.State() != fw::dsBrowse) return;
    busy_ = true;
    try {
        calculated_.Refresh();
    } catch (...) {
        busy_ = false;
        throw;
    }
    busy_ = false;
}

} // namespace registers
