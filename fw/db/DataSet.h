#pragma once
// TDataSet: the record-oriented view of a table that forms and controls work with: states, the current
// record, editing with Before/After events, fields, data sources and bookmarks. Where the rows come from is
// left to the derived classes (the Internal... methods); TBDEDataSet takes them from an engine cursor.
//
// Events get the dataset as argument. Raising base::Abort in any Before... event cancels the operation
// silently: the state and the data stay as they were, and the Abort reaches the caller.
//
// Points a derived class may change (virtual): SetState, DataEvent, SetActive/Active (the whole open and
// close path, built from OpenCursor, CloseCursor, CalculateFields, AbandonOpen and the Do... event runners),
// UpdateFieldDefs, First, Last, Refresh, Post, Delete, DoOnNewRecord, DoAfterWrite (after a post or delete
// was written, before the record is resynchronised).
//
// While the controls are disabled the data sources hear nothing but the request to write pending text
// (deUpdateRecord); when the last EnableControls comes they hear one deDataSetChange (and the state change).

#include "engine/Engine.h"
#include "fw/db/DataSetState.h"
#include "fw/db/Field.h"
#include "fw/db/FieldDefs.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fw {

class TDataSource;

using TBookmark = std::string; // empty: no bookmark

class TDataSet {
public:
    TDataSet();
    virtual ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    std::string Name;
    int Tag = 0;

    // --- open and close
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    virtual bool Active() const { return state_ != dsInactive; }
    virtual void SetActive(bool value);
    TDataSetState State() const { return state_; }

    // --- moving
    virtual void First();
    virtual void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Rows actually moved (negative backwards).
    long long MoveBy(long long distance);
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const;
    virtual long long RecordCount() const;
    // 1-based position of the current record in the view; 0 when there is none.
    long long RecNo() const;
    // Re-reads the rows (posting a pending edit first) and stays on the current record.
    virtual void Refresh();
    // Runs read while the fields show the row at that 1-based position of the view, without leaving the
    // current record (grids fetch the rows they show this way); false, without calling read, when there is
    // no such row.
    bool ReadRecordAt(long long recNo, const std::function<void()>& read);

    // --- editing
    void Edit();
    void Insert() { BeginInsertAppend(false); }
    void Append() { BeginInsertAppend(true); }
    virtual void Post();
    void Cancel();
    virtual void Delete();
    bool Modified() const { return modified_; }
    // Leaves the record: a modified edit or insert is posted, an unmodified one cancelled, a key posted.
    void CheckBrowseMode();
    // Asks the controls to write their pending text into the fields.
    void UpdateRecord();
    virtual bool CanModify() const { return true; }

    // --- bookmarks
    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& bookmark);
    bool BookmarkValid(const TBookmark& bookmark) const;

    // --- controls (a counter: as many EnableControls as DisableControls)
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    // --- fields
    TFieldDefs& FieldDefs() { return fieldDefs_; }
    // Reads the stored field list into FieldDefs.
    virtual void UpdateFieldDefs();
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField& Fields(int index) const { return *fields_.at(static_cast<std::size_t>(index)); }
    // Case-insensitive; nullptr when absent.
    TField* FindField(const std::string& name) const;
    // Case-insensitive; EDatabaseError when absent.
    TField& FieldByName(const std::string& name) const;
    // Adds a field of the program's own (the dataset owns it). Only while closed.
    template <class F>
    F& AddField(std::unique_ptr<F> field, const std::string& name, TFieldKind kind = fkData) {
        F& ref = *field;
        AdoptField(std::move(field), name, kind);
        return ref;
    }
    void RemoveField(TField& field);
    // True when the fields were made from the stored field list at open (no fields of the program's own).
    bool DefaultFields() const { return defaultFields_; }

    // --- events
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;

    // --- used by the fields
    const engine::Value& FieldValue(const TField& field) const;
    engine::Value OldFieldValue(const TField& field) const;
    void SetFieldValue(TField& field, engine::Value value);
    bool FieldWritable(const TField& field) const;

protected:
    // --- state and notification
    virtual void SetState(TDataSetState value);
    // Tells the data sources (and through them the controls and detail datasets).
    virtual void DataEvent(TDataEvent event, const void* info);

    // --- the rows (derived classes)
    virtual void OpenCursor(bool infoQuery) = 0;
    virtual void CloseCursor() = 0;
    virtual bool IsCursorOpen() const = 0;
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    // One row on; false (and still on the last row) at the end.
    virtual bool InternalNext() = 0;
    virtual bool InternalPrior() = 0;
    virtual const engine::Row* InternalCurrentRow() const = 0; // nullptr off a row
    virtual long long InternalRecordCount() const = 0;
    virtual long long InternalRecNo() const = 0;
    virtual void InternalRefresh() = 0;
    // Locks the row for editing and returns it as stored now.
    virtual engine::Row InternalEdit() = 0;
    virtual void InternalCancel(bool wasEditing) = 0;
    virtual void InternalPost(bool inserting, const engine::Row& row) = 0;
    // Deletes the current row and moves to the next; true when there was none after it (then on the new last
    // row, if any).
    virtual bool InternalDelete(bool wasEditing) = 0;
    virtual TBookmark InternalGetBookmark() const = 0;
    virtual bool InternalGotoBookmark(const TBookmark& bookmark) = 0;
    // Reads the stored field list into FieldDefs.
    virtual void InitFieldDefs() = 0;
    // The row at a 1-based position of the view, read without moving the current record; false when none.
    virtual bool InternalReadRecordAt(long long, engine::Row&) { return false; }

    // --- building blocks of the open and close path
    void DoBeforeOpen() { Run(BeforeOpen); }
    void DoAfterOpen() { Run(AfterOpen); }
    void DoBeforeClose() { Run(BeforeClose); }
    void DoAfterClose() { Run(AfterClose); }
    void DoAfterScroll() {
        if (!EventsMuted()) Run(AfterScroll);
    }
    void DoBeforeScroll() {
        if (!EventsMuted()) Run(BeforeScroll);
    }
    // OnNewRecord; a table first fills in the master link values.
    virtual void DoOnNewRecord() { Run(OnNewRecord); }
    // Field defs, default fields and binding: the part of an open that a kept cursor skips.
    void PrepareFields();
    void BindFields(bool binding);
    // Back to the state the fields are in after an open: on the first row, calculated fields done.
    void ResetPosition();
    // After the cursor moved on its own: BOF/EOF from the cursor (EOF also when atEnd), calculated fields.
    void Resync(bool atEnd = false);
    // A state for internal work (writing a key buffer) without events; RestoreState returns from it.
    TDataSetState SetTempState(TDataSetState value);
    void RestoreState(TDataSetState saved);
    // The cursor may be on another row now (a derived class drops what it knew of the current row).
    virtual void RowChanged() {}
    // Runs OnCalcFields for the current record (when there are calculated fields).
    void CalculateFields();
    // A post or delete was written and the state is browse again; the record is not resynchronised yet.
    virtual void DoAfterWrite() {}
    // Leaves the key state; the table restores or keeps its key buffer.
    virtual void PostKeyBuffer(bool commit);
    void CheckActive() const;
    // After a failed open: back to inactive (telling the links) and the cursor closed.
    void AbandonOpen();
    bool Destroying() const { return destroying_; }
    // Called by the most derived destructor: the close that follows runs no Before/AfterClose.
    void BeginDestroy() { destroying_ = true; }
    // True while the form's own handlers (scrolling, calculated fields) belong to something being freed:
    // they are not run then.
    virtual bool EventsMuted() const { return false; }

    // The key buffer written while in the set-key state (the table keeps it).
    engine::Row* keyRow_ = nullptr;
    std::vector<bool>* keyAssigned_ = nullptr;
    // The row a filter is deciding on; the data fields read it meanwhile.
    const engine::Row* filterRow_ = nullptr;

private:
    friend class TDataSource;
    void Run(const TDataSetNotifyEvent& event) {
        if (event) event(*this);
    }
    void AdoptField(std::unique_ptr<TField> field, const std::string& name, TFieldKind kind);
    void BeginInsertAppend(bool append);
    void CheckRequiredFields() const;
    void SetBofEof();
    int DataColumnCount() const;

    TDataSetState state_ = dsInactive;
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    bool destroying_ = false;
    bool defaultFields_ = false;
    bool calculating_ = false;
    int tempStates_ = 0;
    int disableCount_ = 0;
    bool pendingChange_ = false;
    TDataSetState stateWhenDisabled_ = dsInactive;
    TFieldDefs fieldDefs_;
    std::vector<std::unique_ptr<TField>> fields_;
    int calcCount_ = 0;
    engine::Row editRow_;
    engine::Row calcRow_;
    std::vector<TDataSource*> dataSources_;
};

} // namespace fw
