// Making the secondary orders of a table image: sorted in memory when the table is read whole; a large
// table's from its .Y file or by reading it along once, by keys whose bytes sort as the index does.
#include "engine/SecondaryOrders.h"

#include "engine/codec/Bytes.h"
#include "engine/TableImage.h"

#include <algorithm>
#include <cstring>

namespace engine {

std::unique_ptr<ChunkedOrder> SecondaryOrders::Build(int index) {
    std::vector<RowId> all;
    auto built = std::make_unique<ChunkedOrder>(SecondaryChunk);
    std::unique_ptr<StoredKeys> stored;
    if (image_.byBlock_) {
        // A large table's order comes from its .Y file when it was stored in the table's present state;
        // otherwise it is made by reading the table along, and stored for the next open.
        stored = LoadStoredOrder(index);
        if (stored) {
            all = std::move(stored->Ids); // the rows' ids are their record numbers
        } else {
            std::string keys;
            all = ScanInOrder(index, &keys);
            if (StoreOrder(index, all, keys)) stored = LoadStoredOrder(index);
            if (stored) stored->Ids = {};
        }
        // A row's key may be out of memory when it has to leave the order (another station rewrote its
        // block): the order finds its rows by id.
        built->TrackOwnRows();
    } else {
        all.reserve(image_.primary_.Size());
        for (const auto& c : image_.primary_.Chunks())
            all.insert(all.end(), c->Ids().begin(), c->Ids().end());
        std::sort(all.begin(), all.end(),
                  [&](RowId a, RowId b) { return image_.Before(index, image_.Rec(a), a, image_.Rec(b), b); });
    }
    std::unique_ptr<ChunkedOrder> order = std::move(built);
    // A stored order's searches find rows in these chunks by their place in the order.
    for (std::size_t i = 0; i < all.size(); i += SecondaryFill)
        order->AppendChunk(std::vector<RowId>(all.begin() + static_cast<std::ptrdiff_t>(i),
                                              all.begin() + static_cast<std::ptrdiff_t>(
                                                                std::min(all.size(), i + SecondaryFill))),
                           0);
    if (storedKeys_.size() < image_.secondaries_.size()) storedKeys_.resize(image_.secondaries_.size());
    if (stored) stored->OrderStamp = order->Stamp();
    storedKeys_[index] = std::move(stored);
    return order;
}

std::vector<SecondaryOrders::SortPart> SecondaryOrders::SortParts(int index) const {
    std::vector<SortPart> parts;
    const KeyRule& rule = image_.Rule(index);
    const unsigned char flip = image_.secondaries_[index].Desc.Descending ? 0xFF : 0x00;
    for (const KeyPart& k : rule.Parts)
        parts.push_back({k.Offset, k.Bytes, k.Text && rule.CaseInsensitive, flip, k.Text});
    for (const KeyPart& k : image_.primaryRule_.Parts)
        parts.push_back({k.Offset, k.Bytes, false, 0, k.Text});
    return parts;
}

const unsigned char* SecondaryOrders::UnpackKey(const std::vector<SortPart>& parts, const char* key) const {
    unpacked_.resize(static_cast<std::size_t>(image_.hdr_.RecordSize));
    auto* rec = codec::Bytes(unpacked_);
    for (const SortPart& k : parts) {
        for (int b = 0; b < k.Bytes; ++b)
            rec[k.Offset + b] = static_cast<unsigned char>(static_cast<unsigned char>(*key++) ^ k.Flip);
    }
    return rec;
}

void SecondaryOrders::PackKey(const std::vector<SortPart>& parts, const unsigned char* rec,
                              unsigned char* out) const {
    for (const SortPart& k : parts) {
        bool ended = false; // a text's bytes after its end count as NUL, as the key compares them
        for (int b = 0; b < k.Bytes; ++b) {
            const unsigned char v = ended ? 0 : rec[k.Offset + b];
            ended = k.Text && v == 0;
            *out++ = static_cast<unsigned char>((k.Fold ? image_.upper_[v] : v) ^ k.Flip);
        }
    }
}

std::vector<RowId> SecondaryOrders::ScanInOrder(int index, std::string* sortedKeys) {
    const std::vector<SortPart> parts = SortParts(index);
    const std::size_t width = KeyWidth(parts);
    const std::size_t n = image_.primary_.Size();
    std::string keys(n * width, '\0');
    std::vector<RowId> ids;
    ids.reserve(n);
    image_.ScanRows([&](RowId id, const unsigned char* rec) {
        if (ids.size() == n) image_.DistrustPx(); // more rows than the .PX counts
        PackKey(parts, rec, codec::Bytes(keys) + ids.size() * width);
        ids.push_back(id);
    });
    if (ids.size() != n) image_.DistrustPx();
    std::vector<std::uint32_t> sorted(n);
    for (std::size_t i = 0; i < n; ++i)
        sorted[i] = static_cast<std::uint32_t>(i);
    std::sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) {
        return std::memcmp(keys.data() + a * width, keys.data() + b * width, width) < 0;
    });
    std::vector<RowId> all(n);
    for (std::size_t i = 0; i < n; ++i)
        all[i] = ids[sorted[i]];
    if (sortedKeys == nullptr) return all;
    // The keys follow their rows, moved in place along each cycle of the permutation.
    std::string carried(width, '\0');
    for (std::size_t i = 0; i < n; ++i) {
        if (sorted[i] == i) continue;
        std::memcpy(carried.data(), keys.data() + i * width, width);
        std::size_t j = i;
        for (;;) {
            const std::size_t from = sorted[j];
            sorted[j] = static_cast<std::uint32_t>(j);
            if (from == i) {
                std::memcpy(keys.data() + j * width, carried.data(), width);
                break;
            }
            std::memcpy(keys.data() + j * width, keys.data() + from * width, width);
            j = from;
        }
    }
    *sortedKeys = std::move(keys);
    return all;
}

fs::path SecondaryOrders::YPath(int index) const {
    return image_.dbPath_.parent_path() / image_.secondaries_[index].YFile;
}

bool SecondaryOrders::IdsAreRanks() const {
    return image_.byBlock_ && image_.primary_.Stamp() == image_.rankStamp_;
}

std::size_t SecondaryOrders::OrderSize(int index) const {
    return image_.secondaryOrders_[index]->Size();
}

ChunkedOrder::Pos SecondaryOrders::OrderEnd(int index) const {
    return image_.secondaryOrders_[index]->End();
}

} // namespace engine
