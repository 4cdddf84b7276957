#pragma once
// The secondary orders of a table image: made the first time each is used (sorted in memory when the table
// is read whole; a large table's read along once, by sortable keys, or taken from its .Y file), and the
// orders stored in the .Y files with the logs that every write appends to them, so that the next open in
// the same state reads the order instead of the table, and a search reads one page of stored keys.

#include "base/FileIo.h"
#include "engine/ChunkedOrder.h"
#include "engine/codec/StoredOrder.h"
#include "engine/Engine.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace engine {

class TableImage;

class SecondaryOrders {
public:
    // A secondary order's chunks hold up to SecondaryChunk rows; they start half full (so that inserts
    // seldom split them).
    static constexpr std::size_t SecondaryChunk = 512;
    static constexpr std::size_t SecondaryFill = SecondaryChunk / 2;
    // A stored order's keys are read a page of this many keys at a time.
    static constexpr std::size_t StoredKeysPerPage = 64;

    explicit SecondaryOrders(TableImage& image) : image_(image) {}
    SecondaryOrders(const SecondaryOrders&) = delete;
    SecondaryOrders& operator=(const SecondaryOrders&) = delete;

    // Secondary index `index`'s order, made now: from the rows in memory, from its .Y file, or by reading a
    // large table along once (then stored for the next open).
    std::unique_ptr<ChunkedOrder> Build(int index);
    // The stored orders read are let go (the orders or their definitions go).
    void Forget() noexcept { storedKeys_.clear(); }

    // How a secondary index's key is laid out in bytes that sort as the index does: its fields' bytes, text
    // upper-cased for a case-insensitive index, every byte inverted for a descending one, then the primary
    // key (unique: no two rows tie).
    struct SortPart {
        int Offset = 0;
        int Bytes = 0;
        bool Fold = false;
        unsigned char Flip = 0;
        bool Text = false; // ends at its first NUL: the bytes after it are taken as NUL
    };
    std::vector<SortPart> SortParts(int index) const;
    // The bytes of one such key.
    static std::size_t KeyWidth(const std::vector<SortPart>& parts) {
        std::size_t width = 0;
        for (const SortPart& k : parts)
            width += static_cast<std::size_t>(k.Bytes);
        return width;
    }
    // A row's key in the form whose bytes sort as the index does.
    void PackKey(const std::vector<SortPart>& parts, const unsigned char* rec, unsigned char* out) const;
    // A sortable key laid back into a record-shaped buffer (its index and key fields), for key comparisons.
    const unsigned char* UnpackKey(const std::vector<SortPart>& parts, const char* key) const;
    // The rows of a table read by block in the order of secondary index `index`, read along once; with
    // `keys`, their sortable keys too, in the same order.
    std::vector<RowId> ScanInOrder(int index, std::string* keys = nullptr);

    // The state of the table an order is stored for.
    codec::TableState State() const;
    // What a write does to a stored order: its steps (put in, taken out, key changed) are logged after it;
    // without steps it only names the table's new state.
    struct OrderChange {
        int Index = 0;
        std::vector<codec::OrderStep> Steps;
    };
    // What a write did to the rows' record numbers and keys, step by step, for the stored orders.
    struct RowStep {
        codec::StepKind Kind;
        std::uint32_t Rank; // the row's record number at that moment
        RowId Id;
        int Index; // the secondary index whose key changed (Rekey); -1: every index
    };
    // Before a write changes the table (in the state `before`): takes the stored orders it cannot log off
    // the .Y files (all of them when it lays the table out anew) and returns what to do to the others once
    // it is through.
    std::vector<OrderChange> PlanStoredOrders(bool anew, const std::vector<RowStep>& steps,
                                              const codec::TableState& before) noexcept;
    void FinishStoredOrders(const std::vector<OrderChange>& changes, const codec::TableState& before,
                            const codec::TableState& after) noexcept;

    // A search among the stored keys of a secondary order: one page of keys read, no rows; false when the
    // order has none.
    template <class KeyBefore> bool StoredLowerBound(int index, KeyBefore keyBefore, ChunkedOrder::Pos& out);

private:
    // An order stored in a .Y file, as read for the order in memory: its keys serve searches while the
    // order in memory is still the one stored.
    struct StoredKeys {
        codec::StoredOrder Order;
        std::vector<SortPart> Parts;
        std::uint64_t OrderStamp = 0;
        base::FileHandle File;
        std::uint64_t At = 0; // where the stored order starts in the file
        // The order's present state as the file states it, and where: a page read is believed while it does.
        std::uint64_t StateAt = 0;
        std::string StateBytes;
        std::size_t PageIndex = SIZE_MAX;
        std::string Page; // the keys of that page
        // What the writes logged since it was stored did: the places in the stored order whose rows left,
        // and the keys of the rows that came in, in order (Width bytes each).
        std::vector<std::size_t> Gone;
        std::string Put;
        std::vector<RowId> Ids; // the order's rows now, for the order in memory
    };
    // A stored order as its .Y file holds it: where it starts, its head's checksum and its log.
    struct OrderFile {
        base::FileHandle File;
        std::uint64_t At = 0;
        std::uint64_t Size = 0; // of the file
        codec::StoredOrderStart Start;
        std::uint64_t HeadSum = 0;
        codec::OrderLog Log;
    };
    // The .Y file of secondary index `index`, where its order is stored.
    fs::path YPath(int index) const;
    // Since a table read by block was opened, nothing moved a row: every row's id is its record number.
    bool IdsAreRanks() const;
    // Nothing when the file holds no stored order of this index that reads as whole.
    std::optional<OrderFile> OpenStoredOrder(int index, int flags) const;
    // The order of secondary index `index` as stored in its .Y file, when it was made in the table's state.
    std::unique_ptr<StoredKeys> LoadStoredOrder(int index);
    // Stores a newly made order for other opens; false when it cannot be stored.
    bool StoreOrder(int index, const std::vector<RowId>& all, const std::string& keys) noexcept;
    // Reads a stored page into s.Page, checked against its checksum and the order's state; false when the
    // file no longer holds it.
    bool ReadStoredPage(StoredKeys& s, std::size_t page) const;
    // The place among the stored keys of the first not below `key` (compared as bytes); SIZE_MAX when a page
    // does not read back.
    std::size_t StoredPlace(StoredKeys& s, const char* key) const;
    // The stored keys of an order while they describe it as it stands (nullptr when not).
    StoredKeys* StoredFor(int index);
    // The keys of a stored page, read and checked (nullptr when the file no longer holds them; the stored
    // keys are then let go).
    const std::string* StoredPage(int index, std::size_t page);
    // The number of rows of secondary order `index` in memory.
    std::size_t OrderSize(int index) const;
    ChunkedOrder::Pos OrderEnd(int index) const;

    TableImage& image_;
    std::vector<std::unique_ptr<StoredKeys>> storedKeys_; // by index; each for the order it was read for
    mutable std::string unpacked_;
};

template <class KeyBefore>
bool SecondaryOrders::StoredLowerBound(int index, KeyBefore keyBefore, ChunkedOrder::Pos& out) {
    StoredKeys* s = StoredFor(index);
    if (s == nullptr) return false;
    const std::size_t pages = s->Order.Pages(), w = s->Order.Start.Width;
    auto before = [&](const char* key) { return keyBefore(UnpackKey(s->Parts, key)); };
    std::size_t lo = 0, hi = pages;
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (before(s->Order.FirstKeys.data() + mid * w))
            lo = mid + 1;
        else
            hi = mid;
    }
    std::size_t rank = 0;
    if (lo > 0) {
        const std::string* keys = StoredPage(index, lo - 1);
        if (keys == nullptr) return false;
        std::size_t a = 0, b = keys->size() / w;
        while (a < b) {
            const std::size_t mid = (a + b) / 2;
            if (before(keys->data() + mid * w))
                a = mid + 1;
            else
                b = mid;
        }
        rank = (lo - 1) * StoredKeysPerPage + a;
    }
    // The rows logged writes took out and put in since the order was stored.
    rank -=
        static_cast<std::size_t>(std::lower_bound(s->Gone.begin(), s->Gone.end(), rank) - s->Gone.begin());
    std::size_t a = 0, b = s->Put.size() / w;
    while (a < b) {
        const std::size_t mid = (a + b) / 2;
        if (before(s->Put.data() + mid * w))
            a = mid + 1;
        else
            b = mid;
    }
    rank += a;
    // The order's chunks are the stored order's rows SecondaryFill at a time.
    out = rank >= OrderSize(index) ? OrderEnd(index)
                                   : ChunkedOrder::Pos{rank / SecondaryFill, rank % SecondaryFill};
    return true;
}

} // namespace engine
