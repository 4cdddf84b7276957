#include "orders/cutting/Kombinacija.h"

#include "base/Exceptions.h"
#include "orders/cutting/ExchangeSort.h"

#include <algorithm>
#include <utility>

namespace orders {
namespace {

// Length first, item number second, packed so that one integer comparison orders both.
std::int32_t SortKey(const TKomad& k) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(k.Duzina) * 65536 + (k.Prozor + 32768));
}

// The kind list while bars are filled: pieces linked in sorted order, unlinked once written.
class KindList {
public:
    explicit KindList(std::vector<TKomad> komadi) : komadi_(std::move(komadi)) {
        const int n = static_cast<int>(komadi_.size());
        next_.resize(n);
        prev_.resize(n);
        iskoristen_.assign(n, false);
        for (int i = 0; i < n; ++i) {
            next_[i] = i + 1 < n ? i + 1 : -1;
            prev_[i] = i - 1;
        }
        head_ = n > 0 ? 0 : -1;
        tail_ = n > 0 ? n - 1 : -1;
    }

    bool Empty() const { return head_ < 0; }
    int Head() const { return head_; }
    int Next(int i) const { return next_[i]; }
    int Length(int i) const { return komadi_[i].Duzina; }
    const TKomad& Komad(int i) const { return komadi_[i]; }
    bool Used(int i) const { return iskoristen_[i]; }
    void SetUsed(int i, bool used) { iskoristen_[i] = used; }
    // The list stays sorted longest first, so its tail is the shortest piece left.
    int Shortest() const { return komadi_[tail_].Duzina; }

    void Remove(int i) {
        (prev_[i] >= 0 ? next_[prev_[i]] : head_) = next_[i];
        (next_[i] >= 0 ? prev_[next_[i]] : tail_) = prev_[i];
    }

private:
    std::vector<TKomad> komadi_;
    std::vector<int> next_, prev_;
    std::vector<bool> iskoristen_;
    int head_ = -1, tail_ = -1;
};

// Places, in list order from `from`, every free piece shorter than `limit` that still fits; returns
// them in the order found.
std::vector<int> FillFrom(KindList& list, int from, int limit, int duzinaSipke, int& used) {
    std::vector<int> placed;
    const int shortest = list.Shortest();
    for (int i = from; i >= 0 && duzinaSipke - used >= shortest; i = list.Next(i)) {
        if (list.Used(i) || list.Length(i) >= limit || used + list.Length(i) > duzinaSipke) continue;
        list.SetUsed(i, true);
        placed.push_back(i);
        used += list.Length(i);
    }
    return placed;
}

// Tries to replace pieces of the bar (oldest first, each shorter than the one tried before) by
// shorter pieces that leave less waste. `bar` holds the bar's pieces oldest first.
void Improve(KindList& list, std::vector<int>& bar, int duzinaSipke, int& used) {
    int tried = bar.front();
    while (true) {
        const int triedLength = list.Length(tried);
        const int best = used;
        used -= triedLength;
        std::vector<int> candidates = FillFrom(list, tried, triedLength, duzinaSipke, used);
        if (used > best) {
            list.SetUsed(tried, false);
            bar.erase(std::find(bar.begin(), bar.end(), tried));
            bar.insert(bar.end(), candidates.begin(), candidates.end());
        } else {
            for (int c : candidates)
                list.SetUsed(c, false);
            used = best;
        }
        auto shorter =
            std::find_if(bar.begin(), bar.end(), [&](int i) { return list.Length(i) < triedLength; });
        if (shorter == bar.end()) return;
        tried = *shorter;
    }
}

// The written order: the bar list (newest first) exchange-sorted ascending, then read from its end.
std::vector<TKomad> WrittenOrder(const KindList& list, const std::vector<int>& bar) {
    std::vector<TKomad> sorted;
    std::vector<std::int32_t> descendingKeys;
    for (auto it = bar.rbegin(); it != bar.rend(); ++it) {
        sorted.push_back(list.Komad(*it));
        descendingKeys.push_back(-SortKey(list.Komad(*it)));
    }
    ExchangeSortDescending(sorted, std::move(descendingKeys));
    std::reverse(sorted.begin(), sorted.end());
    return sorted;
}

Sipka FillOneBar(KindList& list, int duzinaSipke) {
    int used = 0;
    std::vector<int> bar = FillFrom(list, list.Head(), duzinaSipke + 1, duzinaSipke, used);
    Improve(list, bar, duzinaSipke, used);
    Sipka sipka{WrittenOrder(list, bar), used};
    for (int i : bar)
        list.Remove(i);
    return sipka;
}

bool IsSorted(const std::vector<TKomad>& komadi) {
    for (std::size_t i = 1; i < komadi.size(); ++i)
        if (SortKey(komadi[i - 1]) < SortKey(komadi[i])) return false;
    return true;
}

} // namespace

void Sort(std::vector<TKomad>& lista) {
    std::vector<std::int32_t> keys;
    for (const TKomad& k : lista)
        keys.push_back(SortKey(k));
    ExchangeSortDescending(lista, std::move(keys));
}

BarLayout Kombinacija(const std::vector<TKomad>& sortirana, int duzinaSipke) {
    if (!IsSorted(sortirana)) throw base::Exception("Greška: Lista komada nije poredana za optimizaciju!!!");
    BarLayout result;
    std::vector<TKomad> fitting;
    for (const TKomad& k : sortirana) {
        if (duzinaSipke <= 0)
            result.Izostavljeni.push_back({k, PieceFault::BarLengthNotPositive});
        else if (k.Duzina <= 0)
            result.Izostavljeni.push_back({k, PieceFault::LengthNotPositive});
        else if (k.Duzina > duzinaSipke)
            result.Izostavljeni.push_back({k, PieceFault::LongerThanBar});
        else
            fitting.push_back(k);
    }
    KindList list(std::move(fitting));
    while (!list.Empty())
        result.Sipke.push_back(FillOneBar(list, duzinaSipke));
    return result;
}

std::string Opis(PieceFault razlog) {
    switch (razlog) {
    case PieceFault::LengthNotPositive:
        return "Komad nema dužinu veću od 0!!!";
    case PieceFault::LongerThanBar:
        return "Komad je duži od šipke profila!!!";
    case PieceFault::BarLengthNotPositive:
        return "Dužina šipke profila nije veća od 0!!!";
    }
    return {};
}

} // namespace orders
