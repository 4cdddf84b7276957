#include "engine/codec/StoredOrder.h"

#include "engine/codec/Bytes.h"

#include <algorithm>
#include <cstring>

namespace engine::codec {
namespace {

constexpr char Magic[8] = {'P', 'L', 'O', 'M', 'O', 'R', 'D', '1'};
constexpr std::size_t Head = 8 + 8 + 8 + 4 + 4 + 4;

const unsigned char* U(std::string_view s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

std::size_t PagesOf(std::size_t rows, std::size_t perPage) {
    return (rows + perPage - 1) / perPage;
}

std::size_t HeadBytes(std::size_t rows, std::size_t width, std::size_t perPage) {
    const std::size_t pages = PagesOf(rows, perPage);
    return Head + 4 * rows + width * pages + 8 * pages + 8;
}

} // namespace

std::size_t StoredOrder::PageRows(std::size_t page) const {
    return std::min(PerPage, State.Rows - page * PerPage);
}

bool IsStoredOrder(std::string_view bytes) {
    return bytes.size() >= 8 && std::memcmp(bytes.data(), Magic, 8) == 0;
}

std::string EncodeStoredOrderHead(const TableState& state, std::size_t width, std::size_t perPage,
                                  const std::vector<std::uint32_t>& recordNumbers, std::string_view keys) {
    const std::size_t rows = recordNumbers.size();
    const std::size_t pages = PagesOf(rows, perPage);
    const std::size_t head = HeadBytes(rows, width, perPage);
    std::string b(head, '\0');
    auto* p = Bytes(b);
    std::memcpy(p, Magic, 8);
    PutU64(p + 8, static_cast<std::uint64_t>(state.Size));
    PutU64(p + 16, static_cast<std::uint64_t>(state.MTime));
    PutU32(p + 24, state.Rows);
    PutU32(p + 28, static_cast<std::uint32_t>(width));
    PutU32(p + 32, static_cast<std::uint32_t>(perPage));
    unsigned char* at = p + Head;
    for (std::uint32_t n : recordNumbers) {
        PutU32(at, n);
        at += 4;
    }
    for (std::size_t c = 0; c < pages; ++c, at += width)
        std::memcpy(at, keys.data() + c * perPage * width, width);
    for (std::size_t c = 0; c < pages; ++c, at += 8) {
        const std::size_t n = std::min(perPage, rows - c * perPage);
        PutU64(at, Checksum(U(keys) + c * perPage * width, n * width));
    }
    PutU64(at, Checksum(p, head - 8));
    return b;
}

std::size_t StoredOrderHeadBytes(std::string_view head, const TableState& state, std::size_t width,
                                 std::size_t perPage) {
    if (!IsStoredOrder(head) || head.size() < Head) return 0;
    const auto* p = U(head);
    TableState made;
    made.Size = static_cast<std::int64_t>(GetU64(p + 8));
    made.MTime = static_cast<std::int64_t>(GetU64(p + 16));
    made.Rows = GetU32(p + 24);
    if (!(made == state) || GetU32(p + 28) != width || GetU32(p + 32) != perPage) return 0;
    return HeadBytes(made.Rows, width, perPage);
}

std::optional<StoredOrder> DecodeStoredOrder(std::string_view head, std::uint64_t storedBytes,
                                             const TableState& state, std::size_t width,
                                             std::size_t perPage) {
    const std::size_t headBytes = StoredOrderHeadBytes(head, state, width, perPage);
    if (headBytes == 0 || head.size() != headBytes || perPage == 0) return std::nullopt;
    const std::size_t rows = state.Rows;
    if (storedBytes != headBytes + std::uint64_t{rows} * width) return std::nullopt;
    const auto* p = U(head);
    if (GetU64(p + headBytes - 8) != Checksum(p, headBytes - 8)) return std::nullopt;
    StoredOrder order;
    order.State = state;
    order.Width = width;
    order.PerPage = perPage;
    order.RecordNumbers.resize(rows);
    std::vector<bool> seen(rows);
    const unsigned char* at = p + Head;
    for (std::size_t i = 0; i < rows; ++i, at += 4) {
        const std::uint32_t n = GetU32(at);
        if (n >= rows || seen[n]) return std::nullopt;
        seen[n] = true;
        order.RecordNumbers[i] = n;
    }
    const std::size_t pages = PagesOf(rows, perPage);
    order.FirstKeys.assign(reinterpret_cast<const char*>(at), pages * width);
    at += pages * width;
    order.Sums.resize(pages);
    for (std::size_t c = 0; c < pages; ++c, at += 8)
        order.Sums[c] = GetU64(at);
    order.KeysAt = headBytes;
    return order;
}

bool StoredPageFits(const StoredOrder& order, std::size_t page, std::string_view keys) {
    return page < order.Sums.size() && keys.size() == order.PageRows(page) * order.Width &&
           Checksum(U(keys), keys.size()) == order.Sums[page] &&
           std::memcmp(keys.data(), order.FirstKeys.data() + page * order.Width, order.Width) == 0;
}

} // namespace engine::codec
