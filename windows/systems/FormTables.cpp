#include "windows/systems/FormTables.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/tables/TableDefinitions.h"
#include "base/Exceptions.h"
#include "base/Text.h"
#include "fw/db/FieldClasses.h"

namespace windows {

namespace {

const app::TableDefinition& DefinitionOf(const std::string& database, const std::string& table) {
    const std::string file = app::TableFileKey(table);
    const bool lokal = base::UpperCase(database) == "LOKAL";
    const app::TableDefinition* definition =
        app::FindTableDefinition(lokal ? app::LokalTables() : app::GlobalTables(), file);
    if (!definition) throw base::Exception("Tablica " + file + " nije definirana");
    return *definition;
}

} // namespace

kit::TMyTable* NewFormTable(fw::Component* form, const std::string& name, const std::string& database,
                            const std::string& table, const std::string& indexFieldNames) {
    auto* t = new kit::TMyTable(form);
    t->SetName(name);
    t->SetDatabaseName(database);
    t->SetTableName(table);
    t->SetIndexFieldNames(indexFieldNames);
    for (const app::FieldDefinition& f : DefinitionOf(database, table).Fields) {
        fw::TField& field = t->AddField(fw::CreateField(f.DataType, f.Size), f.Name);
        // The link key and the bookkeeping fields are never shown.
        if (f.Name == "Code" || f.Name == "Items" || f.Name == "Temp" || f.Name == "Deklaracija")
            field.Visible = false;
    }
    return t;
}

void AddCalcInteger(fw::TDataSet& dataSet, const std::string& name) {
    dataSet.AddField(std::make_unique<fw::TIntegerField>(), name, fw::fkCalculated).Visible = false;
}

void AddCalcString(fw::TDataSet& dataSet, const std::string& name, int size) {
    dataSet.AddField(std::make_unique<fw::TStringField>(size), name, fw::fkCalculated).Visible = false;
}

void ShowOnly(fw::TDataSet& dataSet, const std::vector<std::pair<std::string, std::string>>& fields) {
    for (int i = 0; i < dataSet.FieldCount(); ++i)
        dataSet.Fields(i).Visible = false;
    for (const auto& [name, caption] : fields) {
        fw::TField& f = dataSet.FieldByName(name);
        f.Visible = true;
        f.SetDisplayLabel(caption);
    }
}

bool PostPending(fw::TDataSet* dataSet) {
    if (!app::IsEditing(dataSet)) return false;
    try {
        dataSet->Post();
        return true;
    } catch (const std::exception& e) {
        if (!base::IsSilent(e)) app::ShowInfo(e.what());
        app::CancelEditSafe(dataSet);
        return false;
    }
}

fw::Label* PlaceLabel(fw::Control* parent, fw::Component* owner, const std::string& caption, int left,
                      int top, int width) {
    auto* label = new fw::Label(parent, owner);
    label->SetBounds(left, top, width, 20);
    label->SetCaption(caption);
    return label;
}

} // namespace windows
