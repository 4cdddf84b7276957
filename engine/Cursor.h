#pragma once
// A cursor over one order of a table image: position by row id, found again after other changes.

#include "engine/Engine.h"
#include "engine/TableHandle.h"

namespace engine {

class CursorImpl : public Cursor {
public:
    explicit CursorImpl(TableHandle& table);
    ~CursorImpl() override;

    void SetIndex(int index) override;
    int Index() const override;
    int FindIndexByName(const std::string& name) const override;
    int FindIndexByFields(const std::string& fieldsText) const override;
    std::vector<int> IndexFields() const override;

    void First() override;
    void Last() override;
    bool Next() override;
    bool Prior() override;
    std::int64_t MoveBy(std::int64_t distance) override;
    bool Bof() const override;
    bool Eof() const override;
    bool OnRow() const override;
    std::int64_t RecordCount() const override;
    std::int64_t RecordNumber() const override;
    bool SeekRecordNumber(std::int64_t number) override;
    std::unique_ptr<Cursor> Clone() const override;

    const Row& Read() const override;
    Bookmark GetBookmark() const override;
    bool GotoBookmark(const Bookmark& b) override;

    bool FindKey(const Key& key) override;
    void FindNearest(const Key& key) override;
    void SetRange(const Key& start, const Key& end) override;
    void CancelRange() override;
    void SetFilter(std::function<bool(const Row&)> accept) override;

    void Insert(Row row) override;
    void Modify(Row row) override;
    void Delete() override;
    void LockRecord() override;
    void UnlockRecord() override;

private:
    using Pos = ChunkedOrder::Pos;
    ChunkedOrder& Order() const { return image_->Order(index_); }
    void Revalidate() const;
    void SetRow(Pos pos) const;
    void SetCrack(bool bof, bool eof) const;
    bool Accepted(RowId id) const;
    // The lock byte of a row's record lock (by a hash of its identity).
    std::int64_t RecordLockByte(RowId id) const;
    bool BelowRange(RowId id) const;
    bool AboveRange(RowId id) const;
    Pos RangeStart() const;
    Pos RangeEnd() const; // one past the last row in range
    // From pos forward (or backward) to the first row that passes the filter inside the range.
    bool SeekForward(Pos pos) const;
    bool SeekBackward(Pos pos) const; // pos = one past the candidate
    void RequireRow() const;
    // After a write went through: the cursor on the written row (never failing the write).
    void PlaceAfterWrite(RowId id) const;

    TableHandle& Table() const; // Error once the table is closed
    // Runs a step again after reading the table anew when its rows were read by block and it changed.
    template <class F> decltype(auto) Retried(F&& f) const;

    TableHandle& table_;
    std::weak_ptr<char> tableAlive_;
    std::shared_ptr<LockFile> locks_;
    std::shared_ptr<TableImage> image_;
    int index_ = -1;

    mutable bool bof_ = true;
    mutable bool eof_ = false;
    mutable RowId id_ = 0;
    mutable Pos pos_;
    mutable std::uint64_t version_ = 0;
    mutable std::string saved_; // the current row's record, to find its place when it is gone
    mutable Row row_;
    mutable bool rowValid_ = false;

    std::string lo_, hi_;
    std::size_t loParts_ = 0, hiParts_ = 0;
    bool loAfter_ = false; // the range starts after every row matching lo_ (a start above the field's range)
    std::function<bool(const Row&)> filter_;
    mutable Row filterRow_;

    bool recordLocked_ = false;
    std::int64_t recordLockByte_ = 0;
};

} // namespace engine
