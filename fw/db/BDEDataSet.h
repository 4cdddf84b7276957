#pragma once
// TBDEDataSet: a dataset over an engine cursor (the cursor handle). TDBDataSet: one that reaches its folder
// through a database of a session.
//
// The open path is OpenCursor: CreateHandle (the engine cursor), then InternalOpen (field definitions,
// default fields, binding, first row). CloseCursor is InternalClose then DestroyHandle. A derived class that
// keeps its cursor between a close and the next open (parking) overrides OpenCursor and CloseCursor and
// skips those steps while it holds the handle; the fields stay bound to the kept cursor meanwhile.

#include "fw/db/DataSet.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace fw {

class TDatabase;

class TBDEDataSet : public TDataSet {
public:
    ~TBDEDataSet() override;

    // The engine cursor while the dataset has one.
    engine::Cursor* Handle() const { return handle_.get(); }

    // Rows for which OnFilterRecord answers false are skipped and not counted while Filtered is set.
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool value);
    std::function<void(TDataSet& dataSet, bool& accept)> OnFilterRecord;

protected:
    virtual std::unique_ptr<engine::Cursor> CreateHandle() = 0;
    virtual void DestroyHandle();
    void OpenCursor(bool infoQuery) override;
    void CloseCursor() override;
    virtual void InternalOpen();
    virtual void InternalClose();

    bool IsCursorOpen() const override { return handle_ != nullptr; }
    void InternalFirst() override;
    void InternalLast() override;
    bool InternalNext() override;
    bool InternalPrior() override;
    const engine::Row* InternalCurrentRow() const override;
    long long InternalRecordCount() const override;
    long long InternalRecNo() const override;
    void InternalRefresh() override;
    engine::Row InternalEdit() override;
    void InternalCancel(bool wasEditing) override;
    void InternalPost(bool inserting, const engine::Row& row) override;
    bool InternalDelete(bool wasEditing) override;
    TBookmark InternalGetBookmark() const override;
    bool InternalGotoBookmark(const TBookmark& bookmark) override;
    bool InternalReadRecordAt(long long recNo, engine::Row& row) override;

    void ApplyFilter();
    engine::Cursor& Cursor() const;
    void RowChanged() override { rowKnown_ = false; }

    std::unique_ptr<engine::Cursor> handle_;

private:
    bool filtered_ = false;
    // The current row as the cursor last gave it, until the cursor moves (the cursor owns the row).
    mutable const engine::Row* row_ = nullptr;
    mutable bool rowKnown_ = false;
};

class TDBDataSet : public TBDEDataSet {
public:
    ~TDBDataSet() override;

    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const std::string& name);
    const std::string& SessionName() const { return sessionName_; }
    void SetSessionName(const std::string& name);
    // The database while the dataset has its cursor open through it, else nullptr.
    TDatabase* Database() const { return database_; }
    // Called by the database when it closes: closes the dataset.
    virtual void Disconnect();

protected:
    void OpenCursor(bool infoQuery) override;
    void CloseCursor() override;
    // Finds and connects the database named by DatabaseName in the dataset's session.
    virtual TDatabase& OpenDatabase();
    // The folder of the tables (connecting the database when needed).
    std::filesystem::path DatabaseFolder();
    // Enters or leaves the database's list of datasets (a parked dataset leaves it, keeping its cursor).
    void AttachToDatabase();
    void DetachFromDatabase();

private:
    friend class TDatabase;
    std::string databaseName_;
    std::string sessionName_;
    TDatabase* database_ = nullptr;
};

} // namespace fw
