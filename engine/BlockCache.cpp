#include "engine/BlockCache.h"

#include "base/ProgramState.h"
#include "engine/Engine.h"
#include "engine/TableImage.h"

namespace engine {
namespace {

struct CacheSetting {
    std::uint64_t Bytes = std::uint64_t{8} << 20;
};
CacheSetting& Setting() {
    static CacheSetting setting;
    return setting;
}
[[maybe_unused]] const bool settingRegistered =
    base::RegisterStateReset(base::StateLayer::Engine, [] { base::Reinitialise(Setting()); });

} // namespace

void SetBlockCacheBytes(std::uint64_t bytes) {
    Setting().Bytes = bytes;
    BlockCache::Process().Trim();
}

std::uint64_t BlockCacheBytes() {
    return Setting().Bytes;
}

BlockCache& BlockCache::Process() {
    static BlockCache cache;
    return cache;
}

BlockCache::Handle BlockCache::Add(TableImage* image, std::uint16_t block, std::size_t bytes) {
    held_ += bytes;
    if (free_.empty()) return lru_.insert(lru_.end(), {image, block, bytes});
    // A lookup lets a block go and reads another each time: the entry goes back into use.
    lru_.splice(lru_.end(), free_, free_.begin());
    const Handle h = std::prev(lru_.end());
    *h = {image, block, bytes};
    return h;
}

void BlockCache::Touch(Handle h, std::size_t bytes) {
    held_ = held_ - h->Bytes + bytes;
    h->Bytes = bytes;
    lru_.splice(lru_.end(), lru_, h);
}

void BlockCache::Remove(Handle h) {
    held_ -= h->Bytes;
    if (free_.size() < SpareEntries)
        free_.splice(free_.end(), lru_, h);
    else
        lru_.erase(h);
}

void BlockCache::Trim() {
    if (depth_ > 0) return;
    while (held_ > Setting().Bytes && !lru_.empty()) {
        const Entry e = lru_.front();
        const std::size_t before = lru_.size();
        e.Image->LetBlockGo(e.Block); // removes the entry
        if (lru_.size() == before) Remove(lru_.begin());
    }
}

} // namespace engine
