#pragma once
// A secondary order stored after the index definition in its .Y file: the table's record numbers (places
// in primary-key order) in the index's order, each row's key in a form whose bytes sort as the index does,
// and the state of the table it describes. It is trusted only while the table is in exactly that state. A
// write that moves no row and changes none of the index's keys states the new state; one that does logs its
// steps after the order (below); one that lays the table out anew cuts the order off the file first.
//
// Layout: the state (magic, generation, the .DB's size and modification time, their checksum over the
// head's), the head (rows, key width, rows a page, the record numbers, the first key of every page, a
// checksum of every page's keys, a checksum of the head), then the keys one page after another. Opening
// reads all but the keys; a search reads the keys of one page.
//
// After the keys, a log: each write that put rows in, took them out or changed their keys in this index
// appends an entry with its steps and the table's state after it, so the order stays right without being
// written again. An entry: magic, the rows after it, the number of steps, the steps (kind, record number at
// that moment, the row's key), then the state, bound to the entry and every entry before it by checksums.
// The state of the last entry is the order's; an edit that leaves the keys states the new one over it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine::codec {

// What names a state of the table: the journal's change generation (every write of ours raises it; 0
// without a journal), the .DB file's size and modification time (nanoseconds), and the number of records.
struct TableState {
    std::uint64_t Generation = 0;
    std::int64_t Size = 0;
    std::int64_t MTime = 0;
    std::uint32_t Rows = 0;
    friend bool operator==(const TableState&, const TableState&) = default;
};

// What the first StoredOrderStart bytes of a stored order tell.
struct StoredOrderStart {
    static constexpr std::size_t Bytes = 52;
    TableState State;
    std::size_t Width = 0;     // bytes of one key
    std::size_t PerPage = 0;   // keys of each page but the last
    std::size_t HeadBytes = 0; // everything before the keys
};
std::optional<StoredOrderStart> ReadStoredOrderStart(std::string_view bytes);

struct StoredOrder {
    StoredOrderStart Start;
    std::uint64_t HeadSum = 0;
    std::vector<std::uint32_t> RecordNumbers; // may be taken away; the rest stays
    std::string FirstKeys;                    // Width bytes a page
    std::vector<std::uint64_t> Sums;

    std::size_t Pages() const { return Sums.size(); }
    std::size_t PageRows(std::size_t page) const;
    std::uint64_t PageAt(std::size_t page) const {
        return Start.HeadBytes + page * Start.PerPage * Start.Width;
    }
};

// Everything before the keys; `keys` holds `width` bytes for each record number, in the same order, and is
// stored right after it.
std::string EncodeStoredOrderHead(const TableState& state, std::size_t width, std::size_t perPage,
                                  const std::vector<std::uint32_t>& recordNumbers, std::string_view keys);
// The order whose head this is (Start.HeadBytes long): whole, each record once, its keys within the
// `storedBytes` after its start; nothing otherwise.
std::optional<StoredOrder> DecodeStoredOrder(std::string_view head, std::uint64_t storedBytes);
// The first bytes of a stored order naming the state it describes (the head's checksum binds them to it).
std::string EncodeStoredState(const TableState& state, std::uint64_t headSum);
constexpr std::size_t StoredStateBytes = 40;
// Whether `state` bytes are whole (not torn) for the head with this checksum.
bool StoredStateFits(std::string_view state, std::uint64_t headSum);
// Whether the keys read for a page are the ones it was stored with.
bool StoredPageFits(const StoredOrder& order, std::size_t page, std::string_view keys);
// Whether the bytes after a definition begin as a stored order does (so the file is still ours).
bool IsStoredOrder(std::string_view bytes);
// Where the stored keys end (and the log begins), from the order's start.
inline std::uint64_t KeysEnd(const StoredOrderStart& s) {
    return s.HeadBytes + std::uint64_t{s.State.Rows} * s.Width;
}

// One step of a logged write: a row put in at a record number (the rows from there on move up one), the
// row at a record number taken out, or the key of the row at a record number changed. Record numbers are
// the ones at the moment of the step.
enum class StepKind : std::uint8_t { Insert = 1, Erase = 2, Rekey = 3 };
struct OrderStep {
    StepKind Kind = StepKind::Insert;
    std::uint32_t Rank = 0;
    std::string Key; // the row's new key (Width bytes; zeros for Erase)
};
// An order's log as read: every step, and the state it leaves the order in.
struct OrderLog {
    std::vector<OrderStep> Steps;
    TableState State;          // the last entry's (the order's own without entries)
    std::uint64_t StateAt = 0; // where that state's bytes lie, from the order's start
    std::uint64_t Sum = 0;     // the checksum they are bound with
    std::uint64_t End = 0;     // where the log ends, from the order's start
};
// Entries beyond this many steps in all are not logged: the order is made again instead.
constexpr std::size_t MaxLoggedSteps = 2048;
// The log in the bytes after the keys (all of them up to the file's end); nothing when they are not whole
// entries bound to this order.
std::optional<OrderLog> DecodeOrderLog(const StoredOrderStart& start, std::uint64_t headSum,
                                       std::string_view bytes);
// The entry a write appends at log.End.
std::string EncodeLogEntry(const OrderLog& log, std::size_t width, const std::vector<OrderStep>& steps,
                           const TableState& after);

// What the logged steps made of the stored order's rows.
struct ReplayedLog {
    static constexpr std::uint32_t Gone = UINT32_MAX;
    std::vector<std::uint32_t> Now; // for each stored record number, the row's record number now (or Gone)
    struct Added {
        std::string Key;
        std::uint32_t Rank = 0; // record number now
    };
    std::vector<Added> Put; // rows put in (or given a new key) since, in key order
    std::uint32_t Rows = 0;
};
// Nothing when a step names a record number the table did not have at that moment.
std::optional<ReplayedLog> ReplayOrderLog(std::uint32_t rows, const std::vector<OrderStep>& steps);

} // namespace engine::codec
