#pragma once
// A secondary order stored after the index definition in its .X file: the table's record numbers (places
// in primary-key order) in the index's order, each row's key in a form whose bytes sort as the index does,
// and the state of the table it was made from. It is trusted only while the table is in exactly that state;
// any write of ours cuts it off the file first.
//
// Layout: a head (magic, state, key width, rows a page), the record numbers, the first key of every page
// of rows, a checksum of every page's keys, a checksum of all of that, then the keys one page after
// another. Opening reads all but the keys; a search reads the keys of one page.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine::codec {

// What names a state of the table: the .DB file's size and modification time (nanoseconds), and the
// number of records.
struct TableState {
    std::int64_t Size = 0;
    std::int64_t MTime = 0;
    std::uint32_t Rows = 0;
    friend bool operator==(const TableState&, const TableState&) = default;
};

struct StoredOrder {
    TableState State;
    std::size_t Width = 0;                    // bytes of one key
    std::size_t PerPage = 0;                  // rows of each page but the last
    std::vector<std::uint32_t> RecordNumbers; // may be taken away; the rest stays
    std::string FirstKeys;                    // Width bytes a page
    std::vector<std::uint64_t> Sums;
    std::uint64_t KeysAt = 0; // offset of the keys from the start of the stored order

    std::size_t Pages() const { return Sums.size(); }
    std::size_t PageRows(std::size_t page) const;
};

// Everything before the keys; `keys` holds `width` bytes for each record number, in the same order, and is
// stored right after it.
std::string EncodeStoredOrderHead(const TableState& state, std::size_t width, std::size_t perPage,
                                  const std::vector<std::uint32_t>& recordNumbers, std::string_view keys);
// The bytes before the keys of an order made in `state` with this key width and page size (0 when the
// head shows none such).
std::size_t StoredOrderHeadBytes(std::string_view head, const TableState& state, std::size_t width,
                                 std::size_t perPage);
// The order whose head (StoredOrderHeadBytes long) this is: whole, each record once, its keys as long as
// `storedBytes` says; nothing otherwise.
std::optional<StoredOrder> DecodeStoredOrder(std::string_view head, std::uint64_t storedBytes,
                                             const TableState& state, std::size_t width, std::size_t perPage);
// Whether the keys read for a page are the ones it was stored with.
bool StoredPageFits(const StoredOrder& order, std::size_t page, std::string_view keys);
// Whether the bytes after a definition begin as a stored order does (so the .X is still ours).
bool IsStoredOrder(std::string_view bytes);

} // namespace engine::codec
