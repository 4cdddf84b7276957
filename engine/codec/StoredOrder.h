#pragma once
// A secondary order stored after the index definition in its .Y file: the table's record numbers (places
// in primary-key order) in the index's order, each row's key in a form whose bytes sort as the index does,
// and the state of the table it describes. It is trusted only while the table is in exactly that state. A
// write that moves no row and changes none of the index's keys states the new state; any other write cuts
// the order off the file first.
//
// Layout: the state (magic, generation, the .DB's size and modification time, their checksum over the
// head's), the
// head (rows, key width, rows a page, the record numbers, the first key of every page, a checksum of every
// page's keys, a checksum of the head), then the keys one page after another. Opening reads all but the
// keys; a search reads the keys of one page.

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
// The order whose head this is (Start.HeadBytes long): whole, each record once, its keys as long as
// `storedBytes` says; nothing otherwise.
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

} // namespace engine::codec
