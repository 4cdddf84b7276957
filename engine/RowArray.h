#pragma once
// Arrays with one entry per row of a table (the record of each row, the chunk holding it), kept in pages that
// are made only when an entry on them is set: a large table read by block takes no memory and no time for the
// rows it never looked at. An entry never set reads as empty (a null pointer).

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace engine {

template <class T> class RowArray {
public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    const T& operator[](std::size_t i) const {
        const auto& page = pages_[i >> PageBits];
        return page ? page[i & PageMask] : Empty();
    }
    // The entry to set (its page is made when needed); i < size().
    T& Slot(std::size_t i) {
        auto& page = pages_[i >> PageBits];
        if (!page) page = std::make_unique<T[]>(PageSize);
        return page[i & PageMask];
    }
    // Empties an entry without making its page.
    void Reset(std::size_t i) {
        if (auto& page = pages_[i >> PageBits]) page[i & PageMask] = T{};
    }
    // Moves an entry out (empty when never set).
    T Take(std::size_t i) {
        auto& page = pages_[i >> PageBits];
        return page ? std::exchange(page[i & PageMask], T{}) : T{};
    }
    void push_back(T value) {
        resize(size_ + 1);
        Slot(size_ - 1) = std::move(value);
    }
    void resize(std::size_t n) {
        for (std::size_t i = n; i < size_ && (i & PageMask) != 0; ++i)
            Reset(i); // the tail of the last page kept
        pages_.resize((n + PageMask) >> PageBits);
        size_ = n;
    }
    void clear() {
        pages_.clear();
        size_ = 0;
    }
    // Empties every entry; the size stays.
    void ResetAll() {
        for (auto& page : pages_)
            page.reset();
    }
    // Entries set.
    std::size_t Count() const {
        std::size_t n = 0;
        for (const auto& page : pages_)
            if (page)
                for (std::size_t k = 0; k < PageSize; ++k)
                    n += page[k] ? 1 : 0;
        return n;
    }

private:
    static constexpr std::size_t PageBits = 10;
    static constexpr std::size_t PageSize = std::size_t{1} << PageBits;
    static constexpr std::size_t PageMask = PageSize - 1;
    static const T& Empty() {
        static const T empty{};
        return empty;
    }

    std::vector<std::unique_ptr<T[]>> pages_;
    std::size_t size_ = 0;
};

using RecordArray = RowArray<std::unique_ptr<unsigned char[]>>;

} // namespace engine
