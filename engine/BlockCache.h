#pragma once
// The rows that tables read by block hold in memory, for every table of the process within one budget
// (SetBlockCacheBytes): once a step of the engine's callers leaves more held than the budget allows, the
// blocks used longest ago are let go, to be read again when next needed. Tables read whole (the small ones)
// are not counted. The engine is used from one thread.

#include <cstddef>
#include <cstdint>
#include <list>

namespace engine {

class TableImage;

class BlockCache {
public:
    struct Entry {
        TableImage* Image;
        std::uint16_t Block;
        std::size_t Bytes;
    };
    using Handle = std::list<Entry>::iterator;

    static BlockCache& Process();

    // A block whose rows were just read or written; the most recently used blocks go last.
    Handle Add(TableImage* image, std::uint16_t block, std::size_t bytes);
    void Touch(Handle h, std::size_t bytes);
    void Remove(Handle h);
    std::uint64_t Held() const { return held_; }

    // Lets blocks go until the budget holds again, unless a step is still running.
    void Trim();

    // A step of the engine's callers (a cursor move, a write, a refresh). Nothing is let go before the
    // outermost step ends, so a record the engine looked at inside a step stays in memory until then.
    class Step {
    public:
        Step() { ++Process().depth_; }
        ~Step() {
            BlockCache& c = Process();
            if (--c.depth_ == 0) c.Trim();
        }
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;
    };

private:
    static constexpr std::size_t SpareEntries = 256;
    std::list<Entry> lru_;  // front: used longest ago
    std::list<Entry> free_; // entries let go, for the next blocks read
    std::uint64_t held_ = 0;
    int depth_ = 0;
};

} // namespace engine
