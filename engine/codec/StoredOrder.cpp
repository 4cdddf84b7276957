#include "engine/codec/StoredOrder.h"

#include "engine/codec/Bytes.h"

#include <algorithm>
#include <cstring>

namespace engine::codec {
namespace {

constexpr char Magic[8] = {'P', 'L', 'O', 'M', 'O', 'R', 'D', '1'};

const unsigned char* U(std::string_view s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

std::size_t PagesOf(std::size_t rows, std::size_t perPage) {
    return (rows + perPage - 1) / perPage;
}

std::size_t HeadBytes(std::size_t rows, std::size_t width, std::size_t perPage) {
    const std::size_t pages = PagesOf(rows, perPage);
    return StoredOrderStart::Bytes + 4 * rows + width * pages + 8 * pages + 8;
}

} // namespace

std::size_t StoredOrder::PageRows(std::size_t page) const {
    return std::min(Start.PerPage, Start.State.Rows - page * Start.PerPage);
}

bool IsStoredOrder(std::string_view bytes) {
    return bytes.size() >= 8 && std::memcmp(bytes.data(), Magic, 8) == 0;
}

std::string EncodeStoredState(const TableState& state, std::uint64_t headSum) {
    std::string b(StoredStateBytes, '\0');
    auto* p = Bytes(b);
    std::memcpy(p, Magic, 8);
    PutU64(p + 8, state.Generation);
    PutU64(p + 16, static_cast<std::uint64_t>(state.Size));
    PutU64(p + 24, static_cast<std::uint64_t>(state.MTime));
    PutU64(p + 32, Checksum(p, 32, headSum));
    return b;
}

bool StoredStateFits(std::string_view state, std::uint64_t headSum) {
    return state.size() >= StoredStateBytes && IsStoredOrder(state) &&
           GetU64(U(state) + 32) == Checksum(U(state), 32, headSum);
}

std::string EncodeStoredOrderHead(const TableState& state, std::size_t width, std::size_t perPage,
                                  const std::vector<std::uint32_t>& recordNumbers, std::string_view keys) {
    const std::size_t rows = recordNumbers.size();
    const std::size_t pages = PagesOf(rows, perPage);
    const std::size_t head = HeadBytes(rows, width, perPage);
    std::string b(head, '\0');
    auto* p = Bytes(b);
    PutU32(p + 40, static_cast<std::uint32_t>(rows));
    PutU32(p + 44, static_cast<std::uint32_t>(width));
    PutU32(p + 48, static_cast<std::uint32_t>(perPage));
    unsigned char* at = p + StoredOrderStart::Bytes;
    for (std::uint32_t n : recordNumbers) {
        PutU32(at, n);
        at += 4;
    }
    for (std::size_t page = 0; page < pages; ++page, at += width)
        std::memcpy(at, keys.data() + page * perPage * width, width);
    for (std::size_t page = 0; page < pages; ++page, at += 8) {
        const std::size_t n = std::min(perPage, rows - page * perPage);
        PutU64(at, Checksum(U(keys) + page * perPage * width, n * width));
    }
    const std::uint64_t headSum = Checksum(p + StoredStateBytes, head - 8 - StoredStateBytes);
    PutU64(at, headSum);
    b.replace(0, StoredStateBytes, EncodeStoredState(state, headSum));
    return b;
}

std::optional<StoredOrderStart> ReadStoredOrderStart(std::string_view bytes) {
    if (!IsStoredOrder(bytes) || bytes.size() < StoredOrderStart::Bytes) return std::nullopt;
    const auto* p = U(bytes);
    StoredOrderStart s;
    s.State.Generation = GetU64(p + 8);
    s.State.Size = static_cast<std::int64_t>(GetU64(p + 16));
    s.State.MTime = static_cast<std::int64_t>(GetU64(p + 24));
    s.State.Rows = GetU32(p + 40);
    s.Width = GetU32(p + 44);
    s.PerPage = GetU32(p + 48);
    if (s.Width == 0 || s.PerPage == 0) return std::nullopt;
    s.HeadBytes = HeadBytes(s.State.Rows, s.Width, s.PerPage);
    return s;
}

std::optional<StoredOrder> DecodeStoredOrder(std::string_view head, std::uint64_t storedBytes) {
    const auto start = ReadStoredOrderStart(head);
    if (!start || head.size() != start->HeadBytes) return std::nullopt;
    const std::size_t rows = start->State.Rows, width = start->Width;
    if (storedBytes != start->HeadBytes + std::uint64_t{rows} * width) return std::nullopt;
    const auto* p = U(head);
    const std::size_t end = start->HeadBytes - 8;
    StoredOrder order;
    order.Start = *start;
    order.HeadSum = GetU64(p + end);
    if (order.HeadSum != Checksum(p + StoredStateBytes, end - StoredStateBytes) ||
        !StoredStateFits(head, order.HeadSum))
        return std::nullopt;
    order.RecordNumbers.resize(rows);
    std::vector<bool> seen(rows);
    const unsigned char* at = p + StoredOrderStart::Bytes;
    for (std::size_t i = 0; i < rows; ++i, at += 4) {
        const std::uint32_t n = GetU32(at);
        if (n >= rows || seen[n]) return std::nullopt;
        seen[n] = true;
        order.RecordNumbers[i] = n;
    }
    const std::size_t pages = PagesOf(rows, start->PerPage);
    order.FirstKeys.assign(reinterpret_cast<const char*>(at), pages * width);
    at += pages * width;
    order.Sums.resize(pages);
    for (std::size_t page = 0; page < pages; ++page, at += 8)
        order.Sums[page] = GetU64(at);
    return order;
}

bool StoredPageFits(const StoredOrder& order, std::size_t page, std::string_view keys) {
    const std::size_t w = order.Start.Width;
    return page < order.Sums.size() && keys.size() == order.PageRows(page) * w &&
           Checksum(U(keys), keys.size()) == order.Sums[page] &&
           std::memcmp(keys.data(), order.FirstKeys.data() + page * w, w) == 0;
}

} // namespace engine::codec
