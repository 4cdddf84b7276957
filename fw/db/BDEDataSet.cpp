#include "fw/db/BDEDataSet.h"

#include "fw/db/DatabaseError.h"
#include "fw/db/Session.h"

#include <utility>

namespace fw {

TBDEDataSet::~TBDEDataSet() = default;

engine::Cursor& TBDEDataSet::Cursor() const {
    if (!handle_) DatabaseError("Skup podataka '" + Name + "' nije otvoren");
    return *handle_;
}

void TBDEDataSet::OpenCursor(bool) {
    if (!handle_) handle_ = CreateHandle();
    InternalOpen();
}

void TBDEDataSet::CloseCursor() {
    InternalClose();
    DestroyHandle();
}

void TBDEDataSet::DestroyHandle() {
    rowKnown_ = false;
    handle_.reset();
}

void TBDEDataSet::InternalOpen() {
    PrepareFields();
    ApplyFilter();
    ResetPosition();
}

void TBDEDataSet::InternalClose() {}

void TBDEDataSet::SetFiltered(bool value) {
    if (filtered_ == value) return;
    if (handle_) CheckBrowseMode();
    filtered_ = value;
    if (handle_) {
        ApplyFilter();
        First();
    }
}

void TBDEDataSet::ApplyFilter() {
    rowKnown_ = false;
    if (!handle_) return;
    if (!filtered_ || !OnFilterRecord) return handle_->SetFilter(nullptr);
    handle_->SetFilter([this](const engine::Row& row) {
        const engine::Row* saved = std::exchange(filterRow_, &row);
        bool accept = true;
        try {
            OnFilterRecord(*this, accept);
        } catch (...) {
            filterRow_ = saved;
            throw;
        }
        filterRow_ = saved;
        return accept;
    });
}

void TBDEDataSet::InternalFirst() {
    rowKnown_ = false;
    EngineCall([&] { Cursor().First(); });
}
void TBDEDataSet::InternalLast() {
    rowKnown_ = false;
    EngineCall([&] { Cursor().Last(); });
}

bool TBDEDataSet::InternalNext() {
    rowKnown_ = false;
    return EngineCall([&] {
        if (handle_->Next()) return true;
        handle_->Prior(); // stay on the last row
        return false;
    });
}

bool TBDEDataSet::InternalPrior() {
    rowKnown_ = false;
    return EngineCall([&] {
        if (handle_->Prior()) return true;
        handle_->Next();
        return false;
    });
}

const engine::Row* TBDEDataSet::InternalCurrentRow() const {
    if (!rowKnown_) {
        row_ = EngineCall([&] { return handle_ && handle_->OnRow() ? &handle_->Read() : nullptr; });
        rowKnown_ = true;
    }
    return row_;
}

long long TBDEDataSet::InternalRecordCount() const {
    return EngineCall([&] { return Cursor().RecordCount(); });
}
long long TBDEDataSet::InternalRecNo() const {
    return handle_ ? handle_->RecordNumber() : 0;
}

bool TBDEDataSet::InternalReadRecordAt(long long recNo, engine::Row& row) {
    if (!handle_) return false;
    return EngineCall([&] {
        if (std::unique_ptr<engine::Cursor> reader = handle_->Clone()) {
            if (!reader->SeekRecordNumber(recNo)) return false;
            row = reader->Read();
            return true;
        }
        // A cursor that cannot be copied is moved there and back.
        const bool onRow = handle_->OnRow();
        const engine::Bookmark here = onRow ? handle_->GetBookmark() : engine::Bookmark();
        rowKnown_ = false;
        const bool found = handle_->SeekRecordNumber(recNo);
        if (found) row = handle_->Read();
        if (onRow)
            handle_->GotoBookmark(here);
        else
            handle_->First();
        return found;
    });
}

void TBDEDataSet::InternalRefresh() {
    rowKnown_ = false;
    EngineCall([&] {
        if (handle_->OnRow()) return;
        // The row is gone and nothing took its place: stay at that end of the rows.
        if (handle_->Bof())
            handle_->First();
        else
            handle_->Last();
    });
}

engine::Row TBDEDataSet::InternalEdit() {
    rowKnown_ = false;
    return EngineCall([&] {
        Cursor().LockRecord();
        try {
            return engine::Row(handle_->Read());
        } catch (...) {
            handle_->UnlockRecord();
            throw;
        }
    });
}

void TBDEDataSet::InternalCancel(bool wasEditing) {
    if (wasEditing && handle_) EngineCall([&] { handle_->UnlockRecord(); });
}

void TBDEDataSet::InternalPost(bool inserting, const engine::Row& row) {
    rowKnown_ = false;
    EngineCall([&] {
        if (inserting) return Cursor().Insert(row);
        Cursor().Modify(row);
        handle_->UnlockRecord();
    });
}

bool TBDEDataSet::InternalDelete(bool wasEditing) {
    rowKnown_ = false;
    return EngineCall([&] {
        Cursor().Delete();
        if (wasEditing) {
            try {
                handle_->UnlockRecord();
            } catch (const engine::Error&) {
                // the row and its lock are gone
            }
        }
        if (handle_->OnRow()) return false;
        handle_->Last();
        return true;
    });
}

TBookmark TBDEDataSet::InternalGetBookmark() const {
    return EngineCall([&] { return Cursor().GetBookmark(); });
}

bool TBDEDataSet::InternalGotoBookmark(const TBookmark& bookmark) {
    rowKnown_ = false;
    return EngineCall([&] { return Cursor().GotoBookmark(bookmark); });
}

// ------------------------------------------------------------------------------------------- TDBDataSet

TDBDataSet::~TDBDataSet() {
    DetachFromDatabase();
}

void TDBDataSet::SetDatabaseName(const std::string& name) {
    if (State() != dsInactive || handle_) DatabaseError("Otvorenom skupu podataka ne može se mijenjati baza");
    databaseName_ = name;
}

void TDBDataSet::SetSessionName(const std::string& name) {
    if (State() != dsInactive || handle_)
        DatabaseError("Otvorenom skupu podataka ne može se mijenjati sesija");
    sessionName_ = name;
}

TDatabase& TDBDataSet::OpenDatabase() {
    if (database_ && database_->Connected()) return *database_;
    TSession* session = FindSession(sessionName_);
    if (!session) DatabaseError("Sesija '" + sessionName_ + "' ne postoji");
    if (databaseName_.empty()) DatabaseError("Skup podataka '" + Name + "' nema bazu podataka");
    return session->OpenDatabase(databaseName_);
}

std::filesystem::path TDBDataSet::DatabaseFolder() {
    return OpenDatabase().Directory();
}

void TDBDataSet::AttachToDatabase() {
    TDatabase& db = OpenDatabase();
    if (database_ && database_ != &db) DetachFromDatabase();
    database_ = &db;
    db.AddDataSet(this);
}

void TDBDataSet::DetachFromDatabase() {
    if (database_) database_->RemoveDataSet(this);
    database_ = nullptr;
}

void TDBDataSet::OpenCursor(bool infoQuery) {
    AttachToDatabase();
    try {
        TBDEDataSet::OpenCursor(infoQuery);
    } catch (...) {
        DetachFromDatabase();
        throw;
    }
}

void TDBDataSet::CloseCursor() {
    TBDEDataSet::CloseCursor();
    DetachFromDatabase();
}

void TDBDataSet::Disconnect() {
    Close();
}

} // namespace fw
