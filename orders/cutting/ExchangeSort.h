#pragma once
#include <cstddef>
#include <utility>
#include <vector>

namespace orders {

// The cutting lists' exchange sort: for every position i and every later j, the items are swapped
// when key i is smaller than key j. Larger keys come first; items with equal keys end in the order
// these exchanges leave them, which differs from a stable sort and is kept so that the lists come
// out the same as they always have. `keys` holds one key per item.
template <class Item, class Key>
void ExchangeSortDescending(std::vector<Item>& items, std::vector<Key> keys) {
    const std::size_t n = items.size();
    for (std::size_t i = 0; i < n; ++i) {
        Key current = keys[i];
        for (std::size_t j = i + 1; j < n; ++j) {
            if (!(current < keys[j])) continue;
            keys[i] = keys[j];
            keys[j] = current;
            std::swap(items[i], items[j]);
            current = keys[i];
        }
    }
}

} // namespace orders
