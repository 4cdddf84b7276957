#include "engine/codec/StoredOrder.h"

#include "engine/codec/Bytes.h"

#include <algorithm>
#include <cstring>

namespace engine::codec {
namespace {

constexpr char Magic[8] = {'P', 'L', 'O', 'M', 'O', 'R', 'D', '1'};
constexpr char LogMagic[8] = {'P', 'L', 'O', 'M', 'L', 'O', 'G', '1'};
constexpr std::size_t EntryHead = 16; // magic, rows, steps

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
    if (storedBytes < KeysEnd(*start)) return std::nullopt; // a log may follow the keys
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

std::optional<OrderLog> DecodeOrderLog(const StoredOrderStart& start, std::uint64_t headSum,
                                       std::string_view bytes) {
    OrderLog log;
    log.State = start.State;
    log.Sum = headSum;
    const std::uint64_t base = KeysEnd(start);
    log.End = base;
    const std::size_t step = 5 + start.Width;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto* p = U(bytes) + at;
        const std::size_t left = bytes.size() - at;
        if (left < EntryHead || std::memcmp(p, LogMagic, 8) != 0) return std::nullopt;
        const std::uint32_t rows = GetU32(p + 8), count = GetU32(p + 12);
        if (count == 0 || count > MaxLoggedSteps - log.Steps.size()) return std::nullopt;
        const std::size_t body = EntryHead + count * step;
        if (left < body + StoredStateBytes) return std::nullopt;
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char* q = p + EntryHead + i * step;
            if (q[0] < 1 || q[0] > 3) return std::nullopt;
            log.Steps.push_back({static_cast<StepKind>(q[0]), GetU32(q + 1),
                                 std::string(reinterpret_cast<const char*>(q + 5), start.Width)});
        }
        const std::uint64_t sum = Checksum(p, body, log.Sum);
        const std::string_view state = bytes.substr(at + body, StoredStateBytes);
        if (!StoredStateFits(state, sum)) return std::nullopt;
        log.State = {GetU64(p + body + 8), static_cast<std::int64_t>(GetU64(p + body + 16)),
                     static_cast<std::int64_t>(GetU64(p + body + 24)), rows};
        log.Sum = sum;
        log.StateAt = base + at + body;
        at += body + StoredStateBytes;
        log.End = base + at;
    }
    return log;
}

std::string EncodeLogEntry(const OrderLog& log, std::size_t width, const std::vector<OrderStep>& steps,
                           const TableState& after) {
    const std::size_t body = EntryHead + steps.size() * (5 + width);
    std::string b(body, '\0');
    auto* p = Bytes(b);
    std::memcpy(p, LogMagic, 8);
    PutU32(p + 8, after.Rows);
    PutU32(p + 12, static_cast<std::uint32_t>(steps.size()));
    unsigned char* q = p + EntryHead;
    for (const OrderStep& s : steps) {
        q[0] = static_cast<unsigned char>(s.Kind);
        PutU32(q + 1, s.Rank);
        std::memcpy(q + 5, s.Key.data(), std::min(width, s.Key.size()));
        q += 5 + width;
    }
    return b + EncodeStoredState(after, Checksum(p, body, log.Sum));
}

std::optional<ReplayedLog> ReplayOrderLog(std::uint32_t rows, const std::vector<OrderStep>& steps) {
    // The rows in record order as runs of stored rows and rows put in since (Put >= 0: that step's key).
    struct Run {
        std::uint32_t First = 0, Count = 0;
        std::int64_t Put = -1;
    };
    std::vector<Run> runs;
    if (rows > 0) runs.push_back({0, rows, -1});
    std::uint64_t size = rows;
    // Splits the runs so that one starts at record number r; its place in `runs`.
    auto splitAt = [&](std::uint64_t r) {
        std::size_t i = 0;
        for (std::uint64_t before = 0; i < runs.size(); before += runs[i++].Count) {
            if (before == r) return i;
            if (before + runs[i].Count > r) {
                const auto k = static_cast<std::uint32_t>(r - before);
                Run tail = runs[i];
                tail.First += k;
                tail.Count -= k;
                runs[i].Count = k;
                runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(i) + 1, tail);
                return i + 1;
            }
        }
        return i;
    };
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const OrderStep& s = steps[k];
        if (s.Kind == StepKind::Insert ? s.Rank > size : s.Rank >= size) return std::nullopt;
        const std::size_t i = splitAt(s.Rank);
        if (s.Kind != StepKind::Insert) {
            // The run at i starts with the row: it loses it.
            if (runs[i].Put >= 0 || runs[i].Count == 1) {
                runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                ++runs[i].First;
                --runs[i].Count;
            }
            --size;
        }
        if (s.Kind != StepKind::Erase) {
            runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(i),
                        Run{0, 1, static_cast<std::int64_t>(k)});
            ++size;
        }
    }
    ReplayedLog out;
    out.Now.assign(rows, ReplayedLog::Gone);
    out.Rows = static_cast<std::uint32_t>(size);
    std::uint32_t rank = 0;
    for (const Run& r : runs) {
        if (r.Put >= 0) {
            out.Put.push_back({steps[static_cast<std::size_t>(r.Put)].Key, rank++});
            continue;
        }
        for (std::uint32_t k = 0; k < r.Count; ++k)
            out.Now[r.First + k] = rank++;
    }
    std::sort(out.Put.begin(), out.Put.end(),
              [](const ReplayedLog::Added& a, const ReplayedLog::Added& b) { return a.Key < b.Key; });
    return out;
}

} // namespace engine::codec
