#include "fw/db/Table.h"

#include "fw/db/DatabaseError.h"
#include "fw/db/Session.h"

#include <algorithm>
#include <utility>

namespace fw {

TFieldType FieldTypeOf(engine::FieldType type) {
    using engine::FieldType;
    switch (type) {
    case FieldType::Alpha:
        return ftString;
    case FieldType::Short:
        return ftSmallint;
    case FieldType::Long:
        return ftInteger;
    case FieldType::Number:
        return ftFloat;
    case FieldType::Logical:
        return ftBoolean;
    case FieldType::Date:
        return ftDate;
    case FieldType::AutoInc:
        return ftAutoInc;
    case FieldType::Memo:
        return ftMemo;
    case FieldType::Currency:
        return ftCurrency;
    case FieldType::Time:
        return ftTime;
    case FieldType::Timestamp:
        return ftDateTime;
    case FieldType::BCD:
        return ftBCD;
    case FieldType::Bytes:
        return ftBytes;
    case FieldType::Blob:
        return ftBlob;
    }
    return ftUnknown;
}

engine::FieldType EngineTypeOf(TFieldType type, const std::string& fieldName) {
    using engine::FieldType;
    switch (type) {
    case ftString:
        return FieldType::Alpha;
    case ftSmallint:
        return FieldType::Short;
    case ftInteger:
        return FieldType::Long;
    case ftFloat:
        return FieldType::Number;
    case ftBoolean:
        return FieldType::Logical;
    case ftDate:
        return FieldType::Date;
    case ftAutoInc:
        return FieldType::AutoInc;
    case ftMemo:
        return FieldType::Memo;
    default:
        DatabaseError("Polje '" + fieldName + "': tablica se ne može stvoriti s poljem te vrste");
    }
}

TTable::TTable() : masterLink_(*this) {
    masterLink_.OnMasterChange = [this] { MasterChanged(); };
    masterLink_.OnMasterDisable = [this] { MasterDisabled(); };
    indexDefs_.update_ = [this] { UpdateIndexDefs(); };
}

TTable::~TTable() {
    BeginDestroy();
    try {
        Close();
        if (handle_) CloseCursor();
    } catch (...) {
        // nothing can be reported from a destructor
    }
}

void TTable::CheckInactive(const char* what) const {
    if (State() != dsInactive || handle_)
        DatabaseError("Tablica '" + tableName_ + "' mora biti zatvorena da bi se " + what);
}

void TTable::SetTableName(const std::string& name) {
    CheckInactive("promijenilo ime");
    tableName_ = name;
}

void TTable::SetExclusive(bool value) {
    CheckInactive("promijenio način otvaranja");
    exclusive_ = value;
}

// ------------------------------------------------------------------------------------------- cursor

void TTable::OpenCursor(bool infoQuery) {
    if (tableName_.empty()) DatabaseError("Tablica '" + Name + "' nema ime");
    TDBDataSet::OpenCursor(infoQuery);
    try {
        ResetKeyBuffers();
        SwitchToIndexAfterOpen();
        ResetPosition();
    } catch (...) {
        CloseCursor();
        throw;
    }
}

void TTable::DestroyHandle() {
    RowChanged();
    handle_.reset();
    table_.reset();
    rangeOnCursor_ = false;
}

TTable::IndexParams TTable::GetIndexParams() const {
    if (!indexName_.empty()) return {indexName_, ""};
    return {"", indexFieldNames_};
}

std::unique_ptr<engine::Cursor> TTable::CreateHandle() {
    return OpenCursorOn(GetIndexParams());
}

int TTable::ResolveIndex(engine::Cursor& cursor, const IndexParams& params) const {
    if (!params.IndexName.empty()) {
        int index = cursor.FindIndexByName(params.IndexName);
        if (index == -2) DatabaseError("Tablica '" + tableName_ + "' nema indeks '" + params.IndexName + "'");
        return index;
    }
    if (!params.FieldsNames.empty()) {
        int index = cursor.FindIndexByFields(params.FieldsNames);
        if (index == -2)
            DatabaseError("Tablica '" + tableName_ + "' nema indeks za polja '" + params.FieldsNames + "'");
        return index;
    }
    return -1;
}

std::unique_ptr<engine::Cursor> TTable::OpenCursorOn(const IndexParams& params) {
    auto folder = DatabaseFolder();
    return EngineCall([&] {
        auto table = engine::Table::Open(folder, tableName_, Mode());
        auto cursor = table->OpenCursor();
        cursor->SetIndex(ResolveIndex(*cursor, params));
        table_ = std::move(table);
        cursorParams_ = params;
        openedOnIndex_ = true;
        return cursor;
    });
}

void TTable::SwitchToIndexAfterOpen() {
    if (!openedOnIndex_) {
        IndexParams params = GetIndexParams();
        EngineCall([&] { handle_->SetIndex(ResolveIndex(*handle_, params)); });
        cursorParams_ = params;
    }
    CheckMasterRange();
}

void TTable::SwitchToIndex(const IndexParams& params) {
    CheckBrowseMode();
    TBookmark here = GetBookmark();
    int index = ResolveIndex(*handle_, params);
    EngineCall([&] {
        if (rangeOnCursor_) handle_->CancelRange();
        handle_->SetIndex(index);
    });
    rangeOnCursor_ = false;
    cursorParams_ = params;
    ResetKeyBuffers();
    CheckMasterRange();
    if (here.empty() || !InternalGotoBookmark(here)) InternalFirst();
    Resync();
    DataEvent(deDataSetChange, nullptr);
}

void TTable::ChangeIndex(const std::string& name, const std::string& fieldNames) {
    std::string oldName = std::exchange(indexName_, name);
    std::string oldFields = std::exchange(indexFieldNames_, fieldNames);
    if (!handle_ || State() == dsInactive) return;
    try {
        SwitchToIndex(GetIndexParams());
    } catch (...) {
        // an unknown index leaves the table on the one it had
        indexName_ = oldName;
        indexFieldNames_ = oldFields;
        throw;
    }
}

void TTable::SetIndexName(const std::string& name) {
    ChangeIndex(name, name.empty() ? indexFieldNames_ : "");
}

void TTable::SetIndexFieldNames(const std::string& names) {
    ChangeIndex(names.empty() ? indexName_ : "", names);
}

int TTable::IndexFieldCount() const {
    return handle_ ? static_cast<int>(handle_->IndexFields().size()) : 0;
}

TField* TTable::IndexFields(int index) const {
    if (!handle_) return nullptr;
    auto columns = handle_->IndexFields();
    if (index < 0 || index >= static_cast<int>(columns.size())) return nullptr;
    int fieldNo = columns[static_cast<std::size_t>(index)] + 1;
    for (int i = 0; i < FieldCount(); ++i)
        if (Fields(i).FieldNo() == fieldNo && !Fields(i).Calculated()) return &Fields(i);
    return nullptr;
}

void TTable::InitFieldDefs() {
    std::vector<engine::FieldDesc> fields =
        table_ ? table_->Fields()
               : EngineCall([&] { return engine::ReadTableInfo(DatabaseFolder(), tableName_).Fields; });
    FieldDefs().Clear();
    for (const auto& f : fields)
        FieldDefs().Add(f.Name, FieldTypeOf(f.Type), f.Size, f.Required);
}

void TTable::UpdateIndexDefs() {
    std::vector<engine::IndexDesc> indexes =
        table_ ? table_->Indexes()
               : EngineCall([&] { return engine::ReadTableInfo(DatabaseFolder(), tableName_).Indexes; });
    indexDefs_.Clear();
    for (const auto& ix : indexes) {
        TIndexOptions options = 0;
        if (ix.Primary) options |= ixPrimary;
        if (ix.Unique) options |= ixUnique;
        if (ix.CaseInsensitive) options |= ixCaseInsensitive;
        if (ix.Descending) options |= ixDescending;
        indexDefs_.Add(ix.Name, ix.FieldsText, options);
    }
}

void TTable::InternalRefresh() {
    EngineCall([&] { table_->Refresh(); });
    TDBDataSet::InternalRefresh();
}

// ------------------------------------------------------------------------------------------- whole table

bool TTable::Exists() {
    auto folder = DatabaseFolder();
    return EngineCall([&] { return engine::TableExists(folder, tableName_); });
}

std::unique_ptr<engine::Table> TTable::OpenTemporary() {
    auto folder = DatabaseFolder();
    return EngineCall([&] { return engine::Table::Open(folder, tableName_, engine::OpenMode::Exclusive); });
}

void TTable::CreateTable() {
    CheckInactive("stvorila");
    if (tableName_.empty()) DatabaseError("Tablica '" + Name + "' nema ime");
    if (FieldDefs().Count() == 0) DatabaseError("Tablica '" + tableName_ + "' nema zadana polja");
    std::vector<engine::FieldDesc> fields;
    for (const auto& def : FieldDefs().List())
        fields.push_back({def.Name, EngineTypeOf(def.DataType, def.Name),
                          def.DataType == ftString || def.DataType == ftMemo ? def.Size : 0, def.Required});
    auto folder = DatabaseFolder();
    EngineCall([&] { engine::CreateTable(folder, tableName_, fields); });
    if (indexDefs_.Count() == 0) return;
    auto table = OpenTemporary();
    for (const auto& ix : indexDefs_.List())
        EngineCall([&] {
            table->AddIndex({ix.Name, ix.Fields, (ix.Options & ixPrimary) != 0, (ix.Options & ixUnique) != 0,
                             (ix.Options & ixCaseInsensitive) != 0, (ix.Options & ixDescending) != 0});
        });
}

void TTable::AddIndex(const std::string& name, const std::string& fields, TIndexOptions options) {
    engine::IndexDesc desc{name,
                           fields,
                           (options & ixPrimary) != 0,
                           (options & ixUnique) != 0 || (options & ixPrimary) != 0,
                           (options & ixCaseInsensitive) != 0,
                           (options & ixDescending) != 0};
    if (table_)
        EngineCall([&] { table_->AddIndex(desc); });
    else {
        auto table = OpenTemporary();
        EngineCall([&] { table->AddIndex(desc); });
    }
}

void TTable::DeleteIndex(const std::string& name) {
    if (table_)
        EngineCall([&] { table_->DeleteIndex(name); });
    else {
        auto table = OpenTemporary();
        EngineCall([&] { table->DeleteIndex(name); });
    }
}

void TTable::DeleteTable() {
    CheckInactive("obrisala");
    auto folder = DatabaseFolder();
    EngineCall([&] { engine::DeleteTable(folder, tableName_); });
}

void TTable::RenameTable(const std::string& newName) {
    CheckInactive("preimenovala");
    auto folder = DatabaseFolder();
    EngineCall([&] { engine::RenameTable(folder, tableName_, newName); });
    tableName_ = newName;
}

void TTable::EmptyTable() {
    if (State() != dsInactive) {
        CheckBrowseMode();
        EngineCall([&] { table_->Empty(); });
        First();
    } else {
        auto table = OpenTemporary();
        EngineCall([&] { table->Empty(); });
    }
}

void TTable::LockTable() {
    CheckActive();
    EngineCall([&] { table_->LockTable(); });
}

void TTable::UnlockTable() {
    CheckActive();
    EngineCall([&] { table_->UnlockTable(); });
}

void TTable::SaveChanges() {
    if (table_) EngineCall([&] { table_->SaveChanges(); });
}

// ------------------------------------------------------------------------------------------- keys

void TTable::ResetKeyBuffers() {
    std::size_t columns = static_cast<std::size_t>(FieldDefs().Count());
    for (auto& kb : keys_) {
        kb.Values.assign(columns, engine::Value());
        kb.Assigned.assign(columns, false);
        kb.FieldCount = 0;
    }
    // A kept cursor may still carry the range of its last open; the open applies the range anew.
    if (handle_ && rangeOnCursor_) EngineCall([&] { handle_->CancelRange(); });
    rangeOnCursor_ = false;
}

void TTable::SetKeyBuffer(KeyIndex index, bool clear) {
    CheckBrowseMode();
    keys_[kiSave] = keys_[index];
    if (clear) {
        std::fill(keys_[index].Values.begin(), keys_[index].Values.end(), engine::Value());
        std::fill(keys_[index].Assigned.begin(), keys_[index].Assigned.end(), false);
        keys_[index].FieldCount = 0;
    }
    activeKey_ = index;
    keyRow_ = &keys_[index].Values;
    keyAssigned_ = &keys_[index].Assigned;
    SetState(dsSetKey);
    DataEvent(deDataSetChange, nullptr);
}

void TTable::PostKeyBuffer(bool commit) {
    if (!commit) keys_[activeKey_] = keys_[kiSave];
    TDBDataSet::PostKeyBuffer(commit);
    DataEvent(deDataSetChange, nullptr);
}

engine::Key TTable::BuildKey(KeyIndex index) const {
    const KeyBuffer& kb = keys_[index];
    engine::Key key;
    if (!handle_) return key;
    auto columns = handle_->IndexFields();
    std::size_t n = 0;
    if (kb.FieldCount > 0)
        n = static_cast<std::size_t>(kb.FieldCount);
    else
        while (n < columns.size() && columns[n] < static_cast<int>(kb.Assigned.size()) &&
               kb.Assigned[static_cast<std::size_t>(columns[n])])
            ++n;
    n = std::min(n, columns.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto column = static_cast<std::size_t>(columns[i]);
        key.push_back(column < kb.Values.size() ? kb.Values[column] : engine::Value());
    }
    return key;
}

void TTable::SetKey() {
    SetKeyBuffer(kiLookup, true);
}
void TTable::EditKey() {
    SetKeyBuffer(kiLookup, false);
}

int TTable::KeyFieldCount() const {
    return keys_[State() == dsSetKey ? activeKey_ : kiLookup].FieldCount;
}

void TTable::SetKeyFieldCount(int count) {
    if (State() != dsSetKey) DatabaseError("Tablica '" + tableName_ + "' nije u načinu zadavanja ključa");
    keys_[activeKey_].FieldCount = std::max(0, count);
}

void TTable::PositionAfterKeySearch(bool onRowWanted) {
    bool atEnd = false;
    if (onRowWanted && !handle_->OnRow()) {
        EngineCall([&] { handle_->Last(); });
        atEnd = true;
    }
    Resync(atEnd);
    DataEvent(deDataSetChange, nullptr);
    DoAfterScroll();
}

bool TTable::GotoKey() {
    CheckBrowseMode();
    engine::Key key = BuildKey(kiLookup);
    DoBeforeScroll();
    bool found = EngineCall([&] { return handle_->FindKey(key); });
    if (found) PositionAfterKeySearch(false);
    return found;
}

void TTable::GotoNearest() {
    CheckBrowseMode();
    engine::Key key = BuildKey(kiLookup);
    DoBeforeScroll();
    EngineCall([&] { handle_->FindNearest(key); });
    PositionAfterKeySearch(true);
}

static void AssignKeyValues(TTable& table, const std::vector<engine::Value>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        TField* field = table.IndexFields(static_cast<int>(i));
        if (!field)
            DatabaseError("Ključ ima više vrijednosti nego indeks tablice '" + table.TableName() + "' polja");
        field->SetValue(values[i]);
    }
    table.SetKeyFieldCount(static_cast<int>(values.size()));
}

bool TTable::FindKey(const std::vector<engine::Value>& values) {
    SetKey();
    try {
        AssignKeyValues(*this, values);
    } catch (...) {
        Cancel();
        throw;
    }
    return GotoKey();
}

void TTable::FindNearest(const std::vector<engine::Value>& values) {
    SetKey();
    try {
        AssignKeyValues(*this, values);
    } catch (...) {
        Cancel();
        throw;
    }
    GotoNearest();
}

// ------------------------------------------------------------------------------------------- ranges

void TTable::SetRangeStart() {
    SetKeyBuffer(kiRangeStart, true);
}
void TTable::SetRangeEnd() {
    SetKeyBuffer(kiRangeEnd, true);
}
void TTable::EditRangeStart() {
    SetKeyBuffer(kiRangeStart, false);
}
void TTable::EditRangeEnd() {
    SetKeyBuffer(kiRangeEnd, false);
}

bool TTable::SetCursorRange() {
    engine::Key start = BuildKey(kiRangeStart);
    engine::Key end = BuildKey(kiRangeEnd);
    if (rangeOnCursor_ && start == keys_[kiCurRangeStart].Values && end == keys_[kiCurRangeEnd].Values)
        return false;
    EngineCall([&] { handle_->SetRange(start, end); });
    keys_[kiCurRangeStart].Values = std::move(start);
    keys_[kiCurRangeEnd].Values = std::move(end);
    rangeOnCursor_ = true;
    return true;
}

void TTable::ApplyRange() {
    CheckBrowseMode();
    if (SetCursorRange()) First();
}

void TTable::CancelRange() {
    CheckBrowseMode();
    for (KeyIndex ki : {kiRangeStart, kiRangeEnd}) {
        std::fill(keys_[ki].Values.begin(), keys_[ki].Values.end(), engine::Value());
        std::fill(keys_[ki].Assigned.begin(), keys_[ki].Assigned.end(), false);
        keys_[ki].FieldCount = 0;
    }
    if (!rangeOnCursor_) return;
    EngineCall([&] { handle_->CancelRange(); });
    rangeOnCursor_ = false;
    First();
}

void TTable::SetRange(const std::vector<engine::Value>& start, const std::vector<engine::Value>& end) {
    for (auto [ki, values] : {std::pair{kiRangeStart, &start}, std::pair{kiRangeEnd, &end}}) {
        SetKeyBuffer(ki, true);
        try {
            AssignKeyValues(*this, *values);
        } catch (...) {
            Cancel();
            throw;
        }
        Post();
    }
    ApplyRange();
}

// ------------------------------------------------------------------------------------------- master-detail

void TTable::SetMasterSource(TDataSource* source) {
    if (source && source->DataSet() == this) DatabaseError("Tablica ne može biti sama sebi glavna tablica");
    masterLink_.SetDataSource(source);
}

void TTable::SetLinkRanges(const std::vector<TField*>& masterFields) {
    KeyBuffer& kb = keys_[kiRangeStart];
    std::fill(kb.Values.begin(), kb.Values.end(), engine::Value());
    std::fill(kb.Assigned.begin(), kb.Assigned.end(), false);
    TDataSetState saved = SetTempState(dsSetKey);
    keyRow_ = &kb.Values;
    keyAssigned_ = &kb.Assigned;
    int count = 0;
    try {
        for (TField* master : masterFields) {
            TField* field = IndexFields(count);
            if (!field || !master) break;
            field->Assign(master);
            ++count;
        }
    } catch (...) {
        keyRow_ = nullptr;
        keyAssigned_ = nullptr;
        RestoreState(saved);
        throw;
    }
    keyRow_ = nullptr;
    keyAssigned_ = nullptr;
    RestoreState(saved);
    kb.FieldCount = count;
    keys_[kiRangeEnd] = kb;
}

void TTable::CheckMasterRange() {
    if (masterLink_.Active() && !masterLink_.Fields().empty()) {
        SetLinkRanges(masterLink_.Fields());
        SetCursorRange();
    }
}

void TTable::MasterChanged() {
    if (State() == dsInactive) return;
    CheckBrowseMode();
    SetLinkRanges(masterLink_.Fields());
    ApplyRange();
}

void TTable::MasterDisabled() {
    if (State() == dsInactive) return;
    CancelRange();
}

void TTable::DoOnNewRecord() {
    if (masterLink_.Active()) {
        const auto& masterFields = masterLink_.Fields();
        for (std::size_t i = 0; i < masterFields.size(); ++i) {
            TField* field = IndexFields(static_cast<int>(i));
            if (!field) break;
            field->Assign(masterFields[i]);
        }
    }
    TDBDataSet::DoOnNewRecord();
}

} // namespace fw
