#include "fw/db/DataSet.h"

#include "base/Text.h"
#include "fw/db/DatabaseError.h"
#include "fw/db/DataSource.h"
#include "fw/db/FieldClasses.h"

#include <algorithm>
#include <utility>

namespace fw {

namespace {
const engine::Value nullValue;

bool EditModes(TDataSetState s) {
    return s == dsEdit || s == dsInsert;
}
} // namespace

TDataSet::TDataSet() {
    fieldDefs_.update_ = [this] { UpdateFieldDefs(); };
}

TDataSet::~TDataSet() {
    for (TDataSource* source : std::vector<TDataSource*>(dataSources_))
        source->SetDataSet(nullptr);
    for (auto& f : fields_)
        f->dataSet_ = nullptr;
}

static std::string DataSetLabel(const TDataSet& ds) {
    return ds.Name.empty() ? std::string() : " '" + ds.Name + "'";
}

void TDataSet::CheckActive() const {
    if (state_ == dsInactive) DatabaseError("Skup podataka" + DataSetLabel(*this) + " nije otvoren");
}

// ------------------------------------------------------------------------------------------- open/close

void TDataSet::SetActive(bool value) {
    if (value == (state_ != dsInactive)) return;
    if (value) {
        DoBeforeOpen();
        try {
            OpenCursor(false);
            CalculateFields();
            SetState(dsBrowse);
        } catch (...) {
            AbandonOpen();
            throw;
        }
        DoAfterOpen();
        DoAfterScroll();
    } else {
        if (!destroying_) DoBeforeClose();
        // A pending edit is dropped; its record lock goes with it.
        if (EditModes(state_)) {
            try {
                InternalCancel(state_ == dsEdit);
            } catch (const base::Exception&) {
                // the cursor is closed below anyway
            }
        }
        SetState(dsInactive);
        CloseCursor();
        if (!destroying_) DoAfterClose();
    }
}

void TDataSet::AbandonOpen() {
    if (state_ != dsInactive) {
        try {
            SetState(dsInactive);
        } catch (...) {
            state_ = dsInactive;
        }
    }
    CloseCursor();
}

void TDataSet::UpdateFieldDefs() {
    InitFieldDefs();
}

void TDataSet::PrepareFields() {
    UpdateFieldDefs();
    if (fields_.empty()) defaultFields_ = true;
    if (defaultFields_) {
        // Fields made earlier from the same list are kept, so pointers to them stay good across a reopen.
        bool same = static_cast<int>(fields_.size()) == fieldDefs_.Count();
        for (int i = 0; same && i < fieldDefs_.Count(); ++i)
            same = fields_[static_cast<std::size_t>(i)]->FieldName() == fieldDefs_[i].Name &&
                   fields_[static_cast<std::size_t>(i)]->DataType() == fieldDefs_[i].DataType;
        if (!same) {
            fields_.clear();
            for (const auto& def : fieldDefs_.List()) {
                auto field = CreateField(def.DataType, def.Size);
                field->SetFieldName(def.Name);
                field->Required = def.Required;
                field->dataSet_ = this;
                fields_.push_back(std::move(field));
            }
        }
    }
    BindFields(true);
}

namespace {
// Field classes that can hold a column of the given type.
bool Compatible(TFieldType field, TFieldType column) {
    if (ValueKindOf(field) == ValueKind::DateTime) return field == column;
    return ValueKindOf(field) == ValueKindOf(column);
}
} // namespace

void TDataSet::BindFields(bool binding) {
    calcCount_ = 0;
    for (auto& f : fields_) {
        f->fieldNo_ = 0;
        f->calcIndex_ = -1;
        f->columnType_ = ftUnknown;
        f->columnSize_ = 0;
        if (!binding) continue;
        if (f->Calculated()) {
            f->calcIndex_ = calcCount_++;
            continue;
        }
        const TFieldDef* def = fieldDefs_.Find(f->FieldName());
        if (!def) DatabaseError("Polje '" + f->FieldName() + "' nije pronađeno" + DataSetLabel(*this));
        if (!Compatible(f->DataType(), def->DataType))
            DatabaseError("Polje '" + f->FieldName() + "' nije odgovarajuće vrste");
        f->fieldNo_ = def->FieldNo;
        f->columnType_ = def->DataType;
        f->columnSize_ = def->Size;
    }
    calcRow_.assign(static_cast<std::size_t>(calcCount_), engine::Value());
}

void TDataSet::AdoptField(std::unique_ptr<TField> field, const std::string& name, TFieldKind kind) {
    if (state_ != dsInactive) DatabaseError("Polja se mogu dodavati samo zatvorenom skupu podataka");
    if (name.empty()) DatabaseError("Polje mora imati ime");
    if (FindField(name)) DatabaseError("Polje '" + name + "' već postoji" + DataSetLabel(*this));
    if (defaultFields_) {
        fields_.clear();
        defaultFields_ = false;
    }
    field->SetFieldName(name);
    field->SetFieldKind(kind);
    field->dataSet_ = this;
    fields_.push_back(std::move(field));
}

void TDataSet::RemoveField(TField& field) {
    if (state_ != dsInactive) FieldHooks().CloseDataSetOfField(*this);
    if (state_ != dsInactive) DatabaseError("Polje otvorenog skupa podataka ne može se ukloniti");
    auto it = std::find_if(fields_.begin(), fields_.end(), [&](auto& f) { return f.get() == &field; });
    if (it != fields_.end()) fields_.erase(it);
}

TField* TDataSet::FindField(const std::string& name) const {
    for (auto& f : fields_)
        if (base::SameText(f->FieldName(), name)) return f.get();
    return nullptr;
}

TField& TDataSet::FieldByName(const std::string& name) const {
    if (TField* f = FindField(name)) return *f;
    DatabaseError("Polje '" + name + "' nije pronađeno" + DataSetLabel(*this));
}

int TDataSet::DataColumnCount() const {
    return fieldDefs_.Count();
}

// ------------------------------------------------------------------------------------------- state

void TDataSet::SetState(TDataSetState value) {
    if (state_ == value) return;
    state_ = value;
    modified_ = false;
    DataEvent(deUpdateState, nullptr);
}

void TDataSet::DataEvent(TDataEvent event, const void* info) {
    if (event == deFieldChange) {
        auto* field = static_cast<const TField*>(info);
        if (field->FieldKind() == fkData && EditModes(state_)) modified_ = true;
        if (EditModes(state_) && calcCount_ > 0 && !calculating_) CalculateFields();
    }
    if (dataSources_.empty()) return;
    // While the controls are disabled they only hear the request for their pending text (nothing typed is
    // lost); everything else is told once when they are enabled again.
    if (disableCount_ > 0 && event != deUpdateRecord) {
        pendingChange_ = true;
        return;
    }
    auto notify = [&] {
        for (TDataSource* source : std::vector<TDataSource*>(dataSources_))
            source->DataEvent(event, info);
    };
    if (auto& around = DataLinkHooks().AroundNotify)
        around(*this, notify);
    else
        notify();
}

void TDataSet::DisableControls() {
    if (disableCount_ == 0) {
        stateWhenDisabled_ = state_;
        pendingChange_ = false;
    }
    ++disableCount_;
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ > 0) return;
    if (stateWhenDisabled_ != state_) DataEvent(deUpdateState, nullptr);
    if (pendingChange_ || stateWhenDisabled_ != state_) {
        pendingChange_ = false;
        if (state_ != dsInactive) DataEvent(deDataSetChange, nullptr);
    }
}

// ------------------------------------------------------------------------------------------- values

const engine::Value& TDataSet::FieldValue(const TField& field) const {
    if (field.calcIndex_ >= 0) return calcRow_[static_cast<std::size_t>(field.calcIndex_)];
    std::size_t column = static_cast<std::size_t>(field.fieldNo_ - 1);
    if (field.fieldNo_ <= 0) return nullValue;
    if (filterRow_) return column < filterRow_->size() ? (*filterRow_)[column] : nullValue;
    switch (state_) {
    case dsSetKey:
        return keyRow_ && column < keyRow_->size() ? (*keyRow_)[column] : nullValue;
    case dsEdit:
    case dsInsert:
        return column < editRow_.size() ? editRow_[column] : nullValue;
    case dsCalcFields:
        if (!editRow_.empty()) return column < editRow_.size() ? editRow_[column] : nullValue;
        [[fallthrough]];
    default: {
        if (state_ == dsInactive) return nullValue;
        const engine::Row* row = InternalCurrentRow();
        return row && column < row->size() ? (*row)[column] : nullValue;
    }
    }
}

engine::Value TDataSet::OldFieldValue(const TField& field) const {
    if (field.Calculated() || field.fieldNo_ <= 0 || state_ == dsInactive || state_ == dsInsert)
        return engine::Value();
    const engine::Row* row = InternalCurrentRow();
    std::size_t column = static_cast<std::size_t>(field.fieldNo_ - 1);
    return row && column < row->size() ? (*row)[column] : engine::Value();
}

bool TDataSet::FieldWritable(const TField& field) const {
    if (field.Calculated()) return state_ == dsCalcFields;
    if (field.fieldNo_ <= 0) return false;
    if (state_ == dsSetKey) return keyRow_ != nullptr;
    return EditModes(state_) && !field.ReadOnly;
}

void TDataSet::SetFieldValue(TField& field, engine::Value value) {
    if (!FieldWritable(field)) {
        if (state_ == dsInactive) CheckActive();
        if (field.ReadOnly && EditModes(state_))
            DatabaseError("Polje '" + field.FieldName() + "' ne može se mijenjati");
        if (!field.Calculated() && field.fieldNo_ <= 0)
            DatabaseError("Polje '" + field.FieldName() + "' nije povezano s tablicom");
        DatabaseError("Skup podataka" + DataSetLabel(*this) + " nije u načinu uređivanja");
    }
    engine::Value* slot;
    if (field.Calculated())
        slot = &calcRow_[static_cast<std::size_t>(field.calcIndex_)];
    else if (state_ == dsSetKey) {
        slot = &(*keyRow_)[static_cast<std::size_t>(field.fieldNo_ - 1)];
        if (keyAssigned_) (*keyAssigned_)[static_cast<std::size_t>(field.fieldNo_ - 1)] = true;
    } else
        slot = &editRow_[static_cast<std::size_t>(field.fieldNo_ - 1)];

    if (field.OnValidate && state_ != dsSetKey && state_ != dsCalcFields) {
        engine::Value old = std::exchange(*slot, std::move(value));
        try {
            field.OnValidate(field);
        } catch (...) {
            *slot = std::move(old);
            throw;
        }
    } else {
        *slot = std::move(value);
    }
    if (state_ == dsCalcFields || tempStates_ > 0) return;
    DataEvent(deFieldChange, &field);
    if (field.OnChange) field.OnChange(field);
}

void TDataSet::CalculateFields() {
    if (calcCount_ == 0) return;
    std::fill(calcRow_.begin(), calcRow_.end(), engine::Value());
    if (!OnCalcFields || EventsMuted()) return;
    TDataSetState saved = state_;
    bool wasCalculating = std::exchange(calculating_, true);
    state_ = dsCalcFields;
    try {
        OnCalcFields(*this);
    } catch (...) {
        state_ = saved;
        calculating_ = wasCalculating;
        throw;
    }
    state_ = saved;
    calculating_ = wasCalculating;
}

// ------------------------------------------------------------------------------------------- moving

void TDataSet::SetBofEof() {
    bool onRow = InternalCurrentRow() != nullptr;
    if (!onRow) bof_ = eof_ = true;
}

void TDataSet::ResetPosition() {
    RowChanged();
    InternalFirst();
    bof_ = true;
    eof_ = InternalCurrentRow() == nullptr;
    editRow_.clear();
}

TDataSetState TDataSet::SetTempState(TDataSetState value) {
    ++tempStates_;
    return std::exchange(state_, value);
}

void TDataSet::RestoreState(TDataSetState saved) {
    state_ = saved;
    --tempStates_;
}

void TDataSet::Resync(bool atEnd) {
    RowChanged();
    bof_ = false;
    eof_ = atEnd;
    SetBofEof();
    if (state_ == dsBrowse) editRow_.clear();
    CalculateFields();
}

void TDataSet::First() {
    CheckBrowseMode();
    DoBeforeScroll();
    InternalFirst();
    bof_ = true;
    eof_ = InternalCurrentRow() == nullptr;
    CalculateFields();
    DataEvent(deDataSetChange, nullptr);
    DoAfterScroll();
}

void TDataSet::Last() {
    CheckBrowseMode();
    DoBeforeScroll();
    InternalLast();
    eof_ = true;
    bof_ = InternalCurrentRow() == nullptr;
    CalculateFields();
    DataEvent(deDataSetChange, nullptr);
    DoAfterScroll();
}

long long TDataSet::MoveBy(long long distance) {
    CheckBrowseMode();
    if (distance == 0 || (distance > 0 && eof_) || (distance < 0 && bof_)) return 0;
    DoBeforeScroll();
    long long moved = 0;
    bof_ = eof_ = false;
    if (InternalCurrentRow() == nullptr) {
        bof_ = eof_ = true;
    } else if (distance > 0) {
        while (moved < distance) {
            if (!InternalNext()) {
                eof_ = true;
                break;
            }
            ++moved;
        }
    } else {
        while (moved > distance) {
            if (!InternalPrior()) {
                bof_ = true;
                break;
            }
            --moved;
        }
    }
    CalculateFields();
    DataEvent(moved != 0 ? deDataSetScroll : deDataSetChange, nullptr);
    DoAfterScroll();
    return moved;
}

bool TDataSet::IsEmpty() const {
    if (state_ == dsInsert) return false;
    return state_ == dsInactive || InternalCurrentRow() == nullptr;
}

long long TDataSet::RecordCount() const {
    CheckActive();
    return InternalRecordCount();
}

long long TDataSet::RecNo() const {
    if (state_ == dsInactive || state_ == dsInsert) return 0;
    return InternalRecNo();
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    InternalRefresh();
    Resync();
    DataEvent(deDataSetChange, nullptr);
}

bool TDataSet::ReadRecordAt(long long recNo, const std::function<void()>& read) {
    if (state_ == dsInactive || recNo < 1) return false;
    engine::Row row;
    if (!InternalReadRecordAt(recNo, row)) return false;
    const engine::Row* saved = std::exchange(filterRow_, &row);
    std::vector<engine::Value> savedCalc;
    struct Restore {
        TDataSet& ds;
        const engine::Row* filter;
        std::vector<engine::Value>& calc;
        ~Restore() {
            ds.filterRow_ = filter;
            if (!calc.empty()) ds.calcRow_ = std::move(calc);
        }
    } restore{*this, saved, savedCalc};
    if (calcCount_ > 0) {
        savedCalc = calcRow_;
        CalculateFields();
    }
    read();
    return true;
}

// ------------------------------------------------------------------------------------------- editing

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode, nullptr);
    switch (state_) {
    case dsEdit:
    case dsInsert:
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
        break;
    case dsSetKey:
        Post();
        break;
    default:
        break;
    }
}

void TDataSet::UpdateRecord() {
    if (!EditModes(state_) && state_ != dsSetKey)
        DatabaseError("Skup podataka" + DataSetLabel(*this) + " nije u načinu uređivanja");
    DataEvent(deUpdateRecord, nullptr);
}

void TDataSet::Edit() {
    if (EditModes(state_)) return;
    CheckBrowseMode();
    if (InternalCurrentRow() == nullptr) return Insert();
    if (!CanModify()) DatabaseError("Skup podataka" + DataSetLabel(*this) + " se ne može mijenjati");
    Run(BeforeEdit);
    editRow_ = InternalEdit();
    try {
        CalculateFields();
        SetState(dsEdit);
    } catch (...) {
        InternalCancel(true);
        editRow_.clear();
        throw;
    }
    DataEvent(deRecordChange, nullptr);
    Run(AfterEdit);
}

void TDataSet::BeginInsertAppend(bool append) {
    CheckBrowseMode();
    if (!CanModify()) DatabaseError("Skup podataka" + DataSetLabel(*this) + " se ne može mijenjati");
    Run(BeforeInsert);
    DoBeforeScroll();
    if (append) {
        InternalLast();
        eof_ = true;
    }
    editRow_.assign(static_cast<std::size_t>(DataColumnCount()), engine::Value());
    SetState(dsInsert);
    try {
        CalculateFields();
        DoOnNewRecord();
    } catch (...) {
        SetState(dsBrowse);
        Resync();
        throw;
    }
    modified_ = false;
    DataEvent(deDataSetChange, nullptr);
    Run(AfterInsert);
    DoAfterScroll();
}

void TDataSet::CheckRequiredFields() const {
    for (auto& f : fields_)
        if (f->Required && !f->ReadOnly && f->FieldKind() == fkData && f->DataType() != ftAutoInc &&
            f->IsNull())
            DatabaseError("Polje '" + f->DisplayLabel() + "' mora imati vrijednost");
}

void TDataSet::Post() {
    if (EditModes(state_)) UpdateRecord();
    switch (state_) {
    case dsEdit:
    case dsInsert: {
        DataEvent(deCheckBrowseMode, nullptr);
        Run(BeforePost);
        CheckRequiredFields();
        InternalPost(state_ == dsInsert, editRow_);
        SetState(dsBrowse);
        DoAfterWrite();
        Resync();
        DataEvent(deDataSetChange, nullptr);
        Run(AfterPost);
        break;
    }
    case dsSetKey:
        PostKeyBuffer(true);
        break;
    default:
        DatabaseError("Skup podataka" + DataSetLabel(*this) + " nije u načinu uređivanja");
    }
}

void TDataSet::Cancel() {
    switch (state_) {
    case dsEdit:
    case dsInsert: {
        DataEvent(deCheckBrowseMode, nullptr);
        Run(BeforeCancel);
        bool wasEditing = state_ == dsEdit;
        InternalCancel(wasEditing);
        SetState(dsBrowse);
        Resync();
        DataEvent(deDataSetChange, nullptr);
        Run(AfterCancel);
        break;
    }
    case dsSetKey:
        PostKeyBuffer(false);
        break;
    default:
        break;
    }
}

void TDataSet::PostKeyBuffer(bool) {
    keyRow_ = nullptr;
    keyAssigned_ = nullptr;
    SetState(dsBrowse);
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert || state_ == dsSetKey) return Cancel();
    if (InternalCurrentRow() == nullptr) DatabaseError("Nema sloga za brisanje");
    DataEvent(deCheckBrowseMode, nullptr);
    Run(BeforeDelete);
    DoBeforeScroll();
    bool atEnd = InternalDelete(state_ == dsEdit);
    SetState(dsBrowse);
    DoAfterWrite();
    Resync(atEnd);
    DataEvent(deDataSetChange, nullptr);
    Run(AfterDelete);
    DoAfterScroll();
}

// ------------------------------------------------------------------------------------------- bookmarks

TBookmark TDataSet::GetBookmark() const {
    if (state_ == dsInactive || InternalCurrentRow() == nullptr) return {};
    return InternalGetBookmark();
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) const {
    if (bookmark.empty() || state_ == dsInactive) return false;
    auto* self = const_cast<TDataSet*>(this);
    TBookmark here = InternalGetBookmark();
    bool valid = self->InternalGotoBookmark(bookmark);
    if (!here.empty()) self->InternalGotoBookmark(here);
    return valid;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
    CheckBrowseMode();
    if (bookmark.empty()) DatabaseError("Slog nije pronađen");
    DoBeforeScroll();
    if (!InternalGotoBookmark(bookmark)) DatabaseError("Slog nije pronađen");
    Resync();
    DataEvent(deDataSetChange, nullptr);
    DoAfterScroll();
}

} // namespace fw
