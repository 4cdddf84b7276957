#pragma once
// The table engine: Paradox tables (.DB, .PX, .MB, secondary index files) in a folder, shared by several
// processes. Text is UTF-8 here and code page 1250 in the files.
//
// Writes go through at once: when Insert, Modify or Delete returns, the change is in the files (behind a
// journal), so killing the process at any later instant loses nothing, and a kill during a write leaves the
// table openable with every earlier change intact.

#include "base/Exceptions.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace engine {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------- errors

// Every engine failure; the message is a short Croatian text naming the table file.
class Error : public base::Exception {
public:
    using base::Exception::Exception;
};
class KeyViolation : public Error {
public:
    using Error::Error;
}; // a unique key already exists
class TableBusy : public Error {
public:
    using Error::Error;
}; // another open holds the table (exclusive/locked)
class RecordLocked : public Error {
public:
    using Error::Error;
}; // another open is editing the record
class DamagedFile : public Error {
public:
    using Error::Error;
}; // a file of the table cannot be read as a table
class MissingTable : public Error {
public:
    using Error::Error;
}; // no such table in the folder
class IoError : public Error {
public:
    using Error::Error;
}; // the system refused a read or write of a file (a full disk, a failing medium)

// ---------------------------------------------------------------------------------------------- fields

enum class FieldType : std::uint8_t {
    Alpha,  // Size characters
    Short,  // 16-bit
    Long,   // 32-bit
    Number, // double
    Logical,
    Date,
    AutoInc, // 32-bit, assigned on insert
    Memo,    // Size = bytes of text kept in the record; the rest in the .MB
    // Types this program never creates; read as their own types, never as one of the above.
    Currency,  // double
    Time,      // milliseconds since midnight (Int)
    Timestamp, // milliseconds since day 1 (Float)
    BCD,       // raw 17 bytes (Bytes)
    Bytes,     // raw bytes (Bytes)
    Blob,      // binary, formatted memo, OLE or graphic blob (Bytes)
};

struct FieldDesc {
    std::string Name;
    FieldType Type = FieldType::Alpha;
    int Size = 0;          // Alpha: characters; Memo: bytes kept in the record; 0 for the fixed-size types
    bool Required = false; // kept for the field list; the program never sets it
};

struct IndexDesc {
    std::string Name;       // empty for the primary index
    std::string FieldsText; // field names separated by ";", kept exactly as given (case and separators)
    bool Primary = false;
    bool Unique = false;
    bool CaseInsensitive = false;
    bool Descending = false;
};

// ---------------------------------------------------------------------------------------------- values

// Dates are day numbers: day 1 = 1 January of year 1 (base::DayNumber).
struct DateValue {
    std::int32_t Day = 0;
    friend bool operator==(const DateValue&, const DateValue&) = default;
};
struct BytesValue {
    std::string Data;
    friend bool operator==(const BytesValue&, const BytesValue&) = default;
};

// Null, or the value of a field: text (Alpha, Memo), integer (Short, Long, AutoInc, Time), float (Number,
// Currency, Timestamp), logical, date, raw bytes (BCD, Bytes, Blob).
class Value {
public:
    Value() = default; // null
    static Value Text(std::string utf8) { return Value(std::move(utf8)); }
    static Value Int(std::int64_t v) { return Value(v); }
    static Value Float(double v) { return Value(v); }
    static Value Bool(bool v) { return Value(v); }
    static Value Date(std::int32_t dayNumber) { return Value(DateValue{dayNumber}); }
    static Value Bytes(std::string raw) { return Value(BytesValue{std::move(raw)}); }

    bool IsNull() const { return std::holds_alternative<std::monostate>(v_); }
    bool IsText() const { return std::holds_alternative<std::string>(v_); }
    bool IsInt() const { return std::holds_alternative<std::int64_t>(v_); }
    bool IsFloat() const { return std::holds_alternative<double>(v_); }
    bool IsBool() const { return std::holds_alternative<bool>(v_); }
    bool IsDate() const { return std::holds_alternative<DateValue>(v_); }
    bool IsBytes() const { return std::holds_alternative<BytesValue>(v_); }

    const std::string& AsText() const { return std::get<std::string>(v_); }
    std::int64_t AsInt() const { return std::get<std::int64_t>(v_); }
    double AsFloat() const { return std::get<double>(v_); }
    bool AsBool() const { return std::get<bool>(v_); }
    std::int32_t AsDate() const { return std::get<DateValue>(v_).Day; }
    const std::string& AsBytes() const { return std::get<BytesValue>(v_).Data; }

    friend bool operator==(const Value&, const Value&) = default;

private:
    template <class T> explicit Value(T v) : v_(std::move(v)) {}
    std::variant<std::monostate, std::string, std::int64_t, double, bool, DateValue, BytesValue> v_;
};

using Row = std::vector<Value>; // one value per field, in field order

// A partial key: values for the first fields of an index (fewer values than fields is allowed).
using Key = std::vector<Value>;

// Identifies a row of a table; survives a change of index and the row's own key change.
using Bookmark = std::string;

// ---------------------------------------------------------------------------------------------- tables

enum class OpenMode { Shared, Exclusive };

// Table names are file names ("ROBA.DB", "ROBA" is taken as "ROBA.DB"); they are found case-insensitively in
// the folder, and new files get the name as given.

bool TableExists(const fs::path& folder, const std::string& name);
// Creates an unkeyed table with these fields (no index), replacing any table of that name. The primary index
// is added afterwards with Table::AddIndex (its fields must be the leading fields).
void CreateTable(const fs::path& folder, const std::string& name, const std::vector<FieldDesc>& fields);
// Deletes the whole family of files (.DB, .PX, .MB, .X*, .Y*, .VAL); TableBusy while anyone has it open.
void DeleteTable(const fs::path& folder, const std::string& name);
// Renames the whole family; TableBusy while anyone has it open; Error when the new name exists.
void RenameTable(const fs::path& folder, const std::string& name, const std::string& newName);

// The stored field list and index list (primary first, then each secondary index), read without keeping the
// table open.
struct TableInfo {
    std::vector<FieldDesc> Fields;
    std::vector<IndexDesc> Indexes;
    std::int64_t RecordCount = 0;
};
TableInfo ReadTableInfo(const fs::path& folder, const std::string& name);

// What a salvage read kept and left behind.
struct SalvageReport {
    std::int64_t BlocksRead = 0;    // blocks whose header fitted and whose rows were looked at
    std::int64_t BlocksDropped = 0; // blocks cut off by the end of the file or with a count that cannot be
    std::int64_t RowsKept = 0;
    std::int64_t RowsCounted = 0;   // the rows the header says the table holds (not trusted: for the report)
    std::int64_t RowsDropped = 0;   // a field held a value no field of its type can hold
    std::int64_t DuplicateKeys = 0; // a later row with a primary key already kept
    std::int64_t MemosFromLeader = 0; // the memo file could not give the text: the record's leader is kept
};

// The rows of a table that cannot be opened, read block by block in file order without trusting the block
// chain or the record count: every record whose every field holds a valid value, the first of each primary
// key. The header must still read (DamagedFile otherwise); the files are never written.
struct SalvagedTable {
    std::vector<FieldDesc> Fields;
    int KeyFieldCount = 0;
    std::int64_t LastAutoIncValue = 0; // never below a number a kept row holds
    std::vector<Row> Rows;
    SalvageReport Report;
};
SalvagedTable SalvageTable(const fs::path& folder, const std::string& name);

// The indexes the program defines for a table file name ("ROBA.DB", in whatever folder), primary first. A
// secondary-index file found damaged when the table opens gets its definition back from these (the file
// holds nothing else the rows cannot give).
void RegisterIndexDefinitions(const std::string& fileName, std::vector<IndexDesc> indexes);
std::vector<IndexDesc> RegisteredIndexDefinitions(const std::string& fileName);

// Bytes of large tables' rows the process keeps in memory at most (8 MiB unless set): a large table is read
// by block as its rows are needed, and the blocks used longest ago are let go when others need the room.
void SetBlockCacheBytes(std::uint64_t bytes);
std::uint64_t BlockCacheBytes();

class Cursor;

// One open of a table. All opens of one file in the process share one image of it; each open holds its own
// shared or exclusive lock, so an exclusive open fails while any other open exists, in this process or
// another.
class Table {
public:
    static std::unique_ptr<Table> Open(const fs::path& folder, const std::string& name, OpenMode mode);
    virtual ~Table() = default;

    virtual const fs::path& FilePath() const = 0; // the .DB file
    virtual OpenMode Mode() const = 0;
    virtual const std::vector<FieldDesc>& Fields() const = 0;
    virtual int KeyFieldCount() const = 0; // 0 for an unkeyed table
    // Primary index first (when keyed), then the secondary indexes in the order they were added.
    virtual std::vector<IndexDesc> Indexes() const = 0;
    virtual std::int64_t RecordCount() const = 0;
    virtual std::int64_t LastAutoIncValue() const = 0;

    // Needs an exclusive open. A primary index sorts the rows by its fields (the leading fields of the table;
    // KeyViolation when two rows share a key); on a keyed table it must name the key's own fields, and then
    // writes the .PX anew (after it was deleted or damaged). A secondary index gets its own files.
    virtual void AddIndex(const IndexDesc& index) = 0;
    virtual void DeleteIndex(const std::string& name) = 0;
    // Removes every row (the auto-increment counter stays).
    virtual void Empty() = 0;
    // Many rows as one write: deletes the rows whose primary key lies in [from, to] (partial keys, inclusive;
    // an empty key leaves that end open, both empty = every row) and inserts `rows`. Every change reaches the
    // files or none does, and the files are synced once for all of it.
    virtual void ReplaceRows(const Key& from, const Key& to, const std::vector<Row>& rows) = 0;
    // Deletes the rows whose primary key lies in [from, to] (as ReplaceRows), as one write: all of them
    // go or none does.
    virtual void DeleteRows(const Key& from, const Key& to) { ReplaceRows(from, to, {}); }

    // Write lock over the whole table against other opens (until UnlockTable or close).
    virtual void LockTable() = 0;
    virtual void UnlockTable() = 0;
    // Makes sure everything written is on disk (writes already went through to the files).
    virtual void SaveChanges() = 0;
    // Re-reads the table when another process changed its files; true when it did.
    virtual bool Refresh() = 0;

    virtual std::unique_ptr<Cursor> OpenCursor() = 0;

    // What the open found damaged but could still read around ("" when nothing): memo texts its memo file
    // does not give read as what the record keeps, marked, and the table takes no writes while the memo
    // file itself does not read.
    virtual std::string DamageReport() const { return {}; }
};

// A position in one order of a table's rows, optionally limited to a range.
//
// Positions: on a row, or on the crack before the first row (BOF) or after the last (EOF). Both are true on
// an empty range. After another cursor changed the table the cursor stays on its row (found again by
// bookmark); if that row is gone it moves to the row that took its place in the order.
class Cursor {
public:
    virtual ~Cursor() = default;

    // -1: the primary order (the stored order for an unkeyed table); otherwise a position in Indexes().
    virtual void SetIndex(int index) = 0;
    virtual int Index() const = 0;
    // The index with that name (case-insensitive; "" is the primary), or -2 when none.
    virtual int FindIndexByName(const std::string& name) const = 0;
    // The index whose fields are exactly these (names case-insensitive, ";"-separated; "" = primary), or -2.
    virtual int FindIndexByFields(const std::string& fieldsText) const = 0;
    // Field numbers (0-based) of the current index; the primary key fields for -1.
    virtual std::vector<int> IndexFields() const = 0;

    virtual void First() = 0; // to the first row (or BOF=EOF=true when empty)
    virtual void Last() = 0;
    virtual bool Next() = 0;                                // false when it reached EOF
    virtual bool Prior() = 0;                               // false when it reached BOF
    virtual std::int64_t MoveBy(std::int64_t distance) = 0; // rows actually moved
    virtual bool Bof() const = 0;
    virtual bool Eof() const = 0;
    virtual bool OnRow() const = 0;
    virtual std::int64_t RecordCount() const = 0;  // within the range
    virtual std::int64_t RecordNumber() const = 0; // 1-based position in the range, 0 off a row
    // To the row at that 1-based position in the range; false (position unchanged) when there is none.
    virtual bool SeekRecordNumber(std::int64_t number) {
        if (number < 1 || number > RecordCount()) return false;
        First();
        return MoveBy(number - 1) == number - 1 && OnRow();
    }
    // A second cursor on the same order, range and filter at the same position, for reading only (it holds
    // no record lock); nullptr when this kind of cursor cannot be copied.
    virtual std::unique_ptr<Cursor> Clone() const { return nullptr; }

    virtual const Row& Read() const = 0; // the current row; Error off a row
    virtual Bookmark GetBookmark() const = 0;
    virtual bool GotoBookmark(const Bookmark& b) = 0; // false when the row is gone (position unchanged)

    // Key search on the current index with a partial key: exact = the first row whose leading fields equal
    // the key (false and unchanged when none); nearest = the first row at or after the key (EOF when none).
    // Text compares in cp1250 byte order (upper-cased for case-insensitive indexes), nulls first, numbers and
    // dates by value, floats exactly.
    virtual bool FindKey(const Key& key) = 0;
    virtual void FindNearest(const Key& key) = 0;
    // Inclusive range on the current index with partial keys; an empty key leaves that end open.
    virtual void SetRange(const Key& start, const Key& end) = 0;
    virtual void CancelRange() = 0;
    // Rows for which the predicate is false are skipped (and not counted).
    virtual void SetFilter(std::function<bool(const Row&)> accept) = 0;

    // Writes. Insert positions the cursor on the new row; a null AutoInc gets the next counter value, an
    // explicit one is kept (the counter never falls below it). Modify may move the row when its key changes.
    // Delete moves to the next row (or EOF). Nothing changes on any failure.
    virtual void Insert(Row row) = 0;
    virtual void Modify(Row row) = 0;
    virtual void Delete() = 0;

    // Record lock for an edit: RecordLocked while another open (any process) holds it.
    virtual void LockRecord() = 0;
    virtual void UnlockRecord() = 0;
};

} // namespace engine
