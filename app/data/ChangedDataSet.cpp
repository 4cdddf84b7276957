// The changed dataset layer: how a TMyTableX opens, closes, parks, applies its master range, reports its
// changed record count and retries through the open-table limit.

#include "app/data/DBMine.h"
#include "base/Finally.h"

#include "base/Text.h"
#include "fw/db/DatabaseError.h"
#include "fw/db/Session.h"

namespace app {

namespace {

using base::TryFinally;

// Sets bits of the table's Tag for the duration of body.
template <class Body> void WithTagBits(TMyTableX& table, int bits, Body&& body) {
    table.Tag |= bits;
    TryFinally(body, [&] { table.Tag &= ~bits; });
}

// A user's cancel ends an operation as it is: it is neither retried nor turned into a plain error.
void RethrowIfSilent(const std::exception& e) {
    if (base::IsSilent(e)) throw;
}

int MaxLimitTries() {
    return SlotCount() + 100;
}

bool LimitApplies(const TMyTableX& table) {
    return DistinctOpen() > DBMine.MaxOpenTables && !table.NoLimit;
}

// Runs an operation again while the open-table limit manages to close another table. Each success of the
// limit closes a slot, so far more tries than slots mean a limit routine that answers wrongly: cut off.
template <class Op> void RetryThroughLimit(fw::TDataSet& dataSet, Op&& op) {
    for (int tries = 0;; ++tries) {
        try {
            op();
            return;
        } catch (const std::exception& e) {
            RethrowIfSilent(e);
            DBMine.LastErrorMessage = e.what();
        }
        if (tries > MaxLimitTries() || !CallOpenTableLimit(dataSet)) RaiseStoredError();
    }
}

} // namespace

TMyTableX::~TMyTableX() {
    BeginDestroy();
    // The registry must not keep a table that no longer exists: close it for real, also when the registry
    // lock is held by an outer routine.
    KeepHandle = false;
    SoftClose = false;
    RegistryHeld = true;
    try {
        if (State() != fw::dsInactive) Close();
        if (HandleKept) WithTagBits(*this, TagFinalClose, [&] { Close(); });
    } catch (...) {
        // nothing can be reported from a destructor
    }
    if (IsOpen) {
        try {
            NewTable_Closed(*this);
        } catch (...) {
        }
    }
    UnregisterOpenTable(*this);
}

// ------------------------------------------------------------------------------------------- state

bool TMyTableX::Active() const {
    return State() != fw::dsInactive && IsEnabled;
}

void TMyTableX::SetState(fw::TDataSetState value) {
    if (value != State()) {
        if (!IsOpen && value != fw::dsInactive)
            NewTable_Opened(*this);
        else if (IsOpen && value == fw::dsInactive)
            NewTable_Closed(*this);
    }
    TTable::SetState(value);
}

void TMyTableX::SetActive(bool value) {
    if (value) {
        if (IsOpen) return ReEnable();
        if (State() != fw::dsInactive) return;
        OpenTable();
    } else {
        CloseTable();
    }
}

// ------------------------------------------------------------------------------------------- open

void TMyTableX::ReEnable() {
    NewTable_Enabled(*this);
    while (ControlsDisabled())
        EnableControls();
    if (Exclusive() && base::UpperCase(DatabaseName()) == "LINK") {
        if (State() != fw::dsBrowse) Cancel();
        // The exclusive link table's refresh: nobody else can have changed it, so re-reading it is all.
        TTable::Refresh();
    } else {
        WithTagBits(*this, TagApplyingRange, [&] { ApplyRange(); });
    }
    if (LimitApplies(*this)) CallOpenTableLimit(*this);
}

void TMyTableX::OpenTable() {
    if (LimitApplies(*this)) CallOpenTableLimit(*this);
    const bool wasParked = HandleKept;
    DoBeforeOpen();
    bool firstFailure = true;
    for (int tries = 0;; ++tries) {
        try {
            OpenCursor(false);
            CalculateFields();
            SetState(fw::dsBrowse);
            break;
        } catch (const std::exception& e) {
            const bool silent = base::IsSilent(e);
            if (!silent) DBMine.LastErrorMessage = e.what();
            try {
                AbandonOpen();
            } catch (...) {
            }
            // A parked table whose reopen failed lost its cursor: it is parked no longer.
            if (!HandleKept) UnregisterOpenTable(*this);
            if (silent) throw;
        }
        if (tries <= MaxLimitTries() && CallOpenTableLimit(*this)) continue;
        if (firstFailure) {
            firstFailure = false;
            RetryOpen = true;
            try {
                DoBeforeOpen();
            } catch (...) {
                RetryOpen = false;
                throw;
            }
            if (!RetryOpen) continue;
            RetryOpen = false;
        }
        RaiseStoredError();
    }
    if (wasParked) UnregisterOpenTable(*this);
    DoAfterOpen();
    DoAfterScroll();
    ApplyMasterRangeOnOpen();
}

void TMyTableX::ApplyMasterRangeOnOpen() {
    // Also with the controls disabled (a form opening its tables): a detail must never show rows of
    // another master.
    WithTagBits(*this, TagApplyingRange, [&] { ApplyRange(); });
}

void TMyTableX::InternalOpen() {
    if (HandleKept) {
        // A parked cursor: the fields are still bound and the index chosen; only the rows may have been
        // changed by another process meanwhile.
        if (TableHandle()) fw::EngineCall([&] { TableHandle()->Refresh(); });
        ApplyFilter();
        ResetPosition();
    } else {
        TTable::InternalOpen();
    }
    HandleKept = true;
}

std::unique_ptr<engine::Cursor> TMyTableX::CreateHandle() {
    IndexParams params = GetIndexParams();
    std::unique_ptr<engine::Cursor> cursor;
    try {
        cursor = OpenCursorOn(params);
    } catch (const fw::EDatabaseError&) {
        if (params.IndexName.empty() && params.FieldsNames.empty()) throw;
        // Is the table fine and only the index missing?
        bool tableOpens = false;
        try {
            auto probe = OpenCursorOn({});
            tableOpens = true;
        } catch (...) {
        }
        TTable::DestroyHandle();
        if (!tableOpens) throw;
        DBMine.LastErrorMessage = "GetIndexParams: IndexDefs=nil !?";
        RaiseStoredError();
    }
    SavedIndexName = params.IndexName;
    SavedIndexTag = params.FieldsNames;
    IndexOnOpen = CursorOpenedOnIndex();
    return cursor;
}

void TMyTableX::SwitchToIndexAfterOpen() {
    // The index saved when the cursor was created; the master range is applied by the open path.
    if (IndexOnOpen || !Handle()) return;
    engine::Cursor& cursor = *Handle();
    int index = SavedIndexName.empty() ? cursor.FindIndexByFields(SavedIndexTag)
                                       : cursor.FindIndexByName(SavedIndexName);
    if (index == -2) {
        DBMine.LastErrorMessage = "GetIndexParams: IndexDefs=nil !?";
        RaiseStoredError();
    }
    fw::EngineCall([&] { cursor.SetIndex(index); });
}

fw::TDatabase& TMyTableX::OpenDatabase() {
    if (DatabaseName().empty() || !fw::FindSession(SessionName()))
        throw base::Exception("No DataBase Handle !");
    return TTable::OpenDatabase();
}

// ------------------------------------------------------------------------------------------- close

void TMyTableX::LimitAfterClose() {
    if (LimitApplies(*this) && !RegistryHeld) CallOpenTableLimit(*this);
}

void TMyTableX::CloseTable() {
    if (IsOpen && SoftClose && !Destroying()) {
        if (!ControlsDisabled()) DisableControls();
        NewTable_Disabled(*this);
        LimitAfterClose();
        return;
    }
    if (State() != fw::dsInactive) {
        if (!Destroying()) DoBeforeClose();
        Tag &= ~TagFinalClose;
        // A pending edit is dropped; its record lock goes with it.
        if (State() == fw::dsEdit || State() == fw::dsInsert) {
            try {
                InternalCancel(State() == fw::dsEdit);
            } catch (const base::Exception&) {
                // the cursor is closed below anyway
            }
        }
        SetState(fw::dsInactive);
        CloseCursor();
        if (HandleKept) RegisterOpenTable(*this);
        if (!Destroying()) DoAfterClose();
        LimitAfterClose();
        return;
    }
    if (HandleKept && (Tag & TagFinalClose)) {
        CloseCursor();
        if (!HandleKept) UnregisterOpenTable(*this);
        if (!Destroying()) DoAfterClose();
    }
}

void TMyTableX::CloseCursor() {
    if (KeepHandle && HandleKept) {
        // Parked: cursor, fields and bindings stay; only the database's list of datasets is left.
        DetachFromDatabase();
        return;
    }
    TTable::CloseCursor();
    HandleKept = false;
}

void TMyTableX::Disconnect() {
    const bool registryHeld = RegistryHeld, keepHandle = KeepHandle, softClose = SoftClose;
    auto restore = [&] {
        RegistryHeld = registryHeld;
        KeepHandle = keepHandle;
        SoftClose = softClose;
    };
    RegistryHeld = true;
    KeepHandle = true;
    // A soft-closed table is parked too: its database is going away.
    SoftClose = false;
    if (State() != fw::dsInactive)
        TryFinally([&] { Close(); }, restore);
    else if (HandleKept)
        TryFinally([&] { WithTagBits(*this, TagFinalClose, [&] { Close(); }); }, restore);
    else
        restore();
}

// ------------------------------------------------------------------------------------------- retries

void TMyTableX::UpdateFieldDefs() {
    RetryThroughLimit(*this, [&] { TTable::UpdateFieldDefs(); });
}

void TMyTableX::CreateTable() {
    RetryThroughLimit(*this, [&] { TTable::CreateTable(); });
}

void TMyTableX::AddIndex(const std::string& name, const std::string& fields, fw::TIndexOptions options) {
    RetryThroughLimit(*this, [&] { TTable::AddIndex(name, fields, options); });
}

// ------------------------------------------------------------------------------------------- master range

void TMyTableX::SetLinkRanges(const std::vector<fw::TField*>& masterFields) {
    Tag &= ~TagLinkIncomplete;
    std::vector<fw::TField*> usable;
    for (std::size_t i = 0; i < masterFields.size(); ++i) {
        fw::TField* master = masterFields[i];
        fw::TField* field = IndexFields(static_cast<int>(i));
        if (!master || !field || !IsValidName(master->FieldName()) || !IsValidName(field->FieldName())) break;
        usable.push_back(master);
    }
    if (usable.size() < masterFields.size()) Tag |= TagLinkIncomplete;
    TTable::SetLinkRanges(usable);
}

bool TMyTableX::SetMasterRange() {
    if (!MasterLink().Active() || MasterLink().Fields().empty()) return false;
    SetLinkRanges(MasterLink().Fields());
    return Tag < 128 && SetCursorRange();
}

void TMyTableX::CheckMasterRange() {
    SetMasterRange();
}

void TMyTableX::ApplyRange() {
    if (!(Tag & TagApplyingRange)) return TTable::ApplyRange();
    // The cursor moved into the new range: show its first row.
    if (SetMasterRange() && State() == fw::dsBrowse) TTable::First();
}

void TMyTableX::MasterChanged() {
    if (State() == fw::dsInactive) return;
    CheckBrowseMode();
    SetLinkRanges(MasterLink().Fields());
    if (Tag < 128) TTable::ApplyRange();
}

// ------------------------------------------------------------------------------------------- record count

void TMyTableX::First() {
    EngineIdle();
    TTable::First();
    if (DBMine.MultiUser) CheckRecordCount(true);
}

void TMyTableX::Last() {
    EngineIdle();
    TTable::Last();
    if (DBMine.MultiUser) CheckRecordCount(false);
}

void TMyTableX::CheckRecordCount(bool fromFirst) {
    const long long count = RecordCount();
    if (count == LastRecordCount && LastRecordCount == ReportedRecordCount) return;
    LastRecordCount = count;
    if (LastRecordCount == ReportedRecordCount || !OnNewLastRecord) return;
    ReportedRecordCount = LastRecordCount;
    if (!fromFirst) return OnNewLastRecord(*this);
    DisableControls();
    TryFinally(
        [&] {
            TTable::Last();
            OnNewLastRecord(*this);
        },
        [&] {
            EngineIdle();
            TTable::First();
            EnableControls();
        });
}

void TMyTableX::Refresh() {
    EngineIdle();
    TTable::Refresh();
    if (!DBMine.MultiUser) return;
    LastRecordCount = RecordCount();
    if (LastRecordCount == ReportedRecordCount || !OnNewLastRecord) return;
    ReportedRecordCount = LastRecordCount;
    fw::TBookmark here = GetBookmark();
    DisableControls();
    TryFinally(
        [&] {
            TTable::Last();
            OnNewLastRecord(*this);
            if (!here.empty() && BookmarkValid(here)) GotoBookmark(here);
        },
        [&] { EnableControls(); });
}

void TMyTableX::DoAfterWrite() {
    TTable::DoAfterWrite();
    if (DBMine.MultiUser) LastRecordCount = RecordCount();
}

// ------------------------------------------------------------------------------------------- lookup combo

bool LookupKeySearchAllowed(const std::string& lookupField, const std::string& indexFieldNames,
                            const std::string& keyField) {
    return IsValidName(lookupField) && IsValidName(indexFieldNames) && IsValidName(keyField);
}

std::string LookupDisplayField(const std::string& lookupDisplay) {
    return IsValidName(lookupDisplay) ? lookupDisplay : std::string();
}

} // namespace app
