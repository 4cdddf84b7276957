#include "windows/storage/StoredTable.h"

#include "app/data/DataSetServices.h"
#include "base/Int16.h"
#include "base/Text.h"

namespace windows {

StoredTable::StoredTable(const std::filesystem::path& folder, const std::string& name) : name_(name) {
    if (!engine::TableExists(folder, name)) app::CheckTablesOf(name, "Lokal", false);
    table_ = engine::Table::Open(folder, name, engine::OpenMode::Shared);
    cursor_ = table_->OpenCursor();
    const auto& defs = table_->Fields();
    for (std::size_t i = 0; i < defs.size(); ++i)
        fields_[base::UpperCase(defs[i].Name)] = static_cast<int>(i);
}

int StoredTable::Field(const std::string& name) const {
    const auto it = fields_.find(base::UpperCase(name));
    if (it == fields_.end()) throw engine::Error("Tablica " + name_ + " nema polje " + name);
    return it->second;
}

std::int64_t StoredTable::Int(const engine::Row& row, const std::string& name) const {
    const engine::Value& v = row.at(static_cast<std::size_t>(Field(name)));
    return v.IsInt() ? v.AsInt() : 0;
}

std::int16_t StoredTable::Short(const engine::Row& row, const std::string& name) const {
    return base::Checked16(Int(row, name));
}

bool StoredTable::Bool(const engine::Row& row, const std::string& name) const {
    const engine::Value& v = row.at(static_cast<std::size_t>(Field(name)));
    return v.IsBool() && v.AsBool();
}

void StoredTable::Set(engine::Row& row, const std::string& name, std::int64_t value) const {
    row.at(static_cast<std::size_t>(Field(name))) = engine::Value::Int(value);
}

void StoredTable::SetBool(engine::Row& row, const std::string& name, bool value) const {
    row.at(static_cast<std::size_t>(Field(name))) = engine::Value::Bool(value);
}

std::vector<engine::Row> StoredTable::Rows(const engine::Key& prefix) {
    cursor_->SetIndex(-1);
    cursor_->SetRange(prefix, prefix);
    std::vector<engine::Row> out;
    for (cursor_->First(); cursor_->OnRow(); cursor_->Next())
        out.push_back(cursor_->Read());
    cursor_->CancelRange();
    return out;
}

void StoredTable::DeleteRows(const engine::Key& prefix) {
    if (prefix.empty()) throw engine::Error("Tablica " + name_ + ": nedostaje ključ redova za brisanje");
    // One write: a type's rows go all together or not at all.
    table_->DeleteRows(prefix, prefix);
}

void StoredTable::ReplaceRows(const engine::Key& prefix, const std::vector<engine::Row>& rows) {
    if (prefix.empty()) throw engine::Error("Tablica " + name_ + ": nedostaje ključ redova za zamjenu");
    table_->ReplaceRows(prefix, prefix, rows);
}

void StoredTable::MoveRows(const engine::Key& prefix, const std::string& field, std::int64_t value) {
    cursor_->SetIndex(-1);
    cursor_->SetRange(prefix, prefix);
    // A moved row leaves the range, so the next one is always the range's first.
    for (cursor_->First(); cursor_->OnRow(); cursor_->First()) {
        engine::Row row = cursor_->Read();
        Set(row, field, value);
        cursor_->Modify(row);
    }
    cursor_->CancelRange();
}

} // namespace windows
