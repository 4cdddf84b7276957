#pragma once
// TTable: one table of a database folder, with its index, key search, ranges and master-detail link.
//
// Points a derived table changes (protected virtual unless noted):
//   CreateHandle           the engine cursor, opened on the index that GetIndexParams names (OpenCursorOn
//                          does the work and may be called with saved parameters)
//   SwitchToIndexAfterOpen the step after the cursor is open: switches to the index when the cursor was not
//                          opened on it, then applies the master range
//   SetLinkRanges, CheckMasterRange, ApplyRange (public virtual)   master-detail and range handling
//   UpdateFieldDefs, CreateTable, AddIndex (public virtual), First, Last, Refresh, Post, Delete
//   Disconnect (public virtual, from TDBDataSet), OpenCursor/CloseCursor (parking)

#include "fw/db/BDEDataSet.h"
#include "fw/db/DataSource.h"

#include <array>
#include <string>
#include <vector>

namespace fw {

enum TTableType { ttDefault, ttParadox };

class TTable : public TDBDataSet {
public:
    TTable();
    ~TTable() override;

    // "ROBA" and "ROBA.DB" name the same table.
    const std::string& TableName() const { return tableName_; }
    void SetTableName(const std::string& name);
    TTableType TableType = ttDefault;
    bool Exclusive() const { return exclusive_; }
    void SetExclusive(bool value);
    bool ReadOnly = false;
    bool CanModify() const override { return !ReadOnly; }

    // --- indexes
    // The index by name; empty: the primary index (or IndexFieldNames). Setting one clears the other.
    const std::string& IndexName() const { return indexName_; }
    void SetIndexName(const std::string& name);
    // The index on these fields (";"-separated, case-insensitive).
    const std::string& IndexFieldNames() const { return indexFieldNames_; }
    void SetIndexFieldNames(const std::string& names);
    TIndexDefs& IndexDefs() { return indexDefs_; }
    // Reads the stored index list into IndexDefs.
    virtual void UpdateIndexDefs();
    // Fields of the current index (open table).
    int IndexFieldCount() const;
    TField* IndexFields(int index) const;

    // --- the table as a whole
    bool Exists();
    // Creates the table from FieldDefs (and the indexes of IndexDefs), replacing one of that name.
    virtual void CreateTable();
    // Needs the table closed or open exclusively.
    virtual void AddIndex(const std::string& name, const std::string& fields, TIndexOptions options);
    void DeleteIndex(const std::string& name);
    void DeleteTable();
    void RenameTable(const std::string& newName);
    void EmptyTable();
    void LockTable();
    void UnlockTable();
    // Makes sure every change is on disk.
    void SaveChanges();
    // The engine table while open.
    engine::Table* TableHandle() const { return table_.get(); }

    // --- key search on the current index
    void SetKey();
    void EditKey();
    bool GotoKey();
    void GotoNearest();
    bool FindKey(const std::vector<engine::Value>& values);
    void FindNearest(const std::vector<engine::Value>& values);
    // How many leading index fields the key has; 0: the leading fields that were assigned.
    int KeyFieldCount() const;
    void SetKeyFieldCount(int count);

    // --- ranges (inclusive, partial keys)
    void SetRangeStart();
    void SetRangeEnd();
    void EditRangeStart();
    void EditRangeEnd();
    virtual void ApplyRange();
    void CancelRange();
    void SetRange(const std::vector<engine::Value>& start, const std::vector<engine::Value>& end);

    // --- master-detail
    TDataSource* MasterSource() const { return masterLink_.DataSource(); }
    void SetMasterSource(TDataSource* source);
    const std::string& MasterFields() const { return masterLink_.FieldNames(); }
    void SetMasterFields(const std::string& names) { masterLink_.SetFieldNames(names); }
    TMasterDataLink& MasterLink() { return masterLink_; }

protected:
    struct IndexParams {
        std::string IndexName;   // by name, or
        std::string FieldsNames; // by fields; both empty: the primary order
    };
    enum KeyIndex { kiLookup, kiRangeStart, kiRangeEnd, kiCurRangeStart, kiCurRangeEnd, kiSave };
    struct KeyBuffer {
        engine::Row Values;
        std::vector<bool> Assigned;
        int FieldCount = 0;
    };

    void OpenCursor(bool infoQuery) override;
    void DestroyHandle() override;
    std::unique_ptr<engine::Cursor> CreateHandle() override;
    virtual IndexParams GetIndexParams() const;
    // Opens the engine table and a cursor on the index; sets CursorOpenedOnIndex.
    std::unique_ptr<engine::Cursor> OpenCursorOn(const IndexParams& params);
    // The parameters and the way the cursor was last created.
    const IndexParams& CursorIndexParams() const { return cursorParams_; }
    bool CursorOpenedOnIndex() const { return openedOnIndex_; }
    virtual void SwitchToIndexAfterOpen();
    // Switches the open cursor to that index, staying on the current record.
    void SwitchToIndex(const IndexParams& params);

    virtual void SetLinkRanges(const std::vector<TField*>& masterFields);
    virtual void CheckMasterRange();
    // Gives the range buffers to the cursor; false when the range did not change.
    bool SetCursorRange();
    virtual void MasterChanged();
    virtual void MasterDisabled();
    void DoOnNewRecord() override;

    void InitFieldDefs() override;
    void InternalRefresh() override;
    void PostKeyBuffer(bool commit) override;

    KeyBuffer& Keys(KeyIndex index) { return keys_[index]; }
    // The key of a key buffer on the current index.
    engine::Key BuildKey(KeyIndex index) const;
    void SetKeyBuffer(KeyIndex index, bool clear);
    engine::OpenMode Mode() const {
        return exclusive_ ? engine::OpenMode::Exclusive : engine::OpenMode::Shared;
    }
    void CheckInactive(const char* what) const;

private:
    int ResolveIndex(engine::Cursor& cursor, const IndexParams& params) const;
    void ChangeIndex(const std::string& name, const std::string& fieldNames);
    void ResetKeyBuffers();
    std::unique_ptr<engine::Table> OpenTemporary();
    void PositionAfterKeySearch(bool found);

    std::string tableName_;
    bool exclusive_ = false;
    std::string indexName_;
    std::string indexFieldNames_;
    TIndexDefs indexDefs_;
    std::unique_ptr<engine::Table> table_;
    IndexParams cursorParams_;
    bool openedOnIndex_ = false;
    std::array<KeyBuffer, 6> keys_;
    KeyIndex activeKey_ = kiLookup;
    bool rangeOnCursor_ = false;
    TMasterDataLink masterLink_;
};

// The dataset-layer field type of an engine column type, and back (for the types a table can be created
// with).
TFieldType FieldTypeOf(engine::FieldType type);
engine::FieldType EngineTypeOf(TFieldType type, const std::string& fieldName);

} // namespace fw
