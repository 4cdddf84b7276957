// Bar filling and sheet layout against a plain first-fit-decreasing pass over the same input.
// Prints, per size, the times in milliseconds, their ratio to the reference and the stock used against the
// lower bound (total length or area divided by one bar or sheet, rounded up).
#include "orders/cutting/Kombinacija.h"
#include "orders/cutting/Optim.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace orders;

namespace {

constexpr int BarLength = 6500;
constexpr int SheetW = 3210, SheetH = 2250, Kerf = 3;

std::vector<TKomad> RandomPieces(int n) {
    std::mt19937 rng(n);
    std::uniform_int_distribution<int> len(300, 3000), item(1, 200);
    std::vector<TKomad> out(n);
    for (TKomad& k : out) {
        k.Duzina = static_cast<std::int16_t>(len(rng));
        k.Prozor = static_cast<std::int16_t>(item(rng));
    }
    return out;
}

std::vector<TKomadStakla> RandomPanes(int n) {
    std::mt19937 rng(n);
    std::uniform_int_distribution<int> side(200, 1500);
    std::vector<TKomadStakla> out(n);
    for (int i = 0; i < n; ++i) {
        out[i].Broj = static_cast<std::int16_t>(i % 30000);
        out[i].Sirina = static_cast<std::int16_t>(side(rng));
        out[i].Visina = static_cast<std::int16_t>(side(rng));
    }
    return out;
}

// Reference: sort longest first, each piece on the first bar with room.
int BarsFirstFit(std::vector<TKomad> pieces) {
    std::sort(pieces.begin(), pieces.end(),
              [](const TKomad& a, const TKomad& b) { return a.Duzina > b.Duzina; });
    std::vector<int> free;
    for (const TKomad& k : pieces) {
        auto it = std::find_if(free.begin(), free.end(), [&](int f) { return f >= k.Duzina; });
        if (it == free.end())
            free.push_back(BarLength - k.Duzina);
        else
            *it -= k.Duzina;
    }
    return static_cast<int>(free.size());
}

// Reference: shelves, tallest first, each pane (longer side across) on the first shelf with room.
int SheetsFirstFit(std::vector<TKomadStakla> panes) {
    for (TKomadStakla& k : panes)
        if (k.Visina > k.Sirina) std::swap(k.Sirina, k.Visina);
    std::sort(panes.begin(), panes.end(),
              [](const TKomadStakla& a, const TKomadStakla& b) { return a.Visina > b.Visina; });
    struct Shelf {
        int sheet, height, freeWidth;
    };
    std::vector<Shelf> shelves;
    std::vector<int> freeHeight;
    for (const TKomadStakla& k : panes) {
        const int w = k.Sirina + Kerf, h = k.Visina + Kerf;
        auto it = std::find_if(shelves.begin(), shelves.end(),
                               [&](const Shelf& s) { return s.freeWidth >= w && s.height >= h; });
        if (it != shelves.end()) {
            it->freeWidth -= w;
            continue;
        }
        auto sheet = std::find_if(freeHeight.begin(), freeHeight.end(), [&](int f) { return f >= h; });
        if (sheet == freeHeight.end()) {
            freeHeight.push_back(SheetH);
            sheet = freeHeight.end() - 1;
        }
        *sheet -= h;
        shelves.push_back({static_cast<int>(sheet - freeHeight.begin()), h, SheetW - w});
    }
    return static_cast<int>(freeHeight.size());
}

SheetJob Job() {
    SheetJob job;
    job.SirinaPloce = SheetW;
    job.VisinaPloce = SheetH;
    job.Rez = Kerf;
    job.Okretno = true;
    return job;
}

struct Stock {
    int used = 0, bound = 0;
};
std::map<std::string, Stock> stock;

void BM_Kombinacija(benchmark::State& state) {
    const std::vector<TKomad> input = RandomPieces(static_cast<int>(state.range(0)));
    int bars = 0;
    for (auto _ : state) {
        std::vector<TKomad> list = input;
        Sort(list);
        BarLayout r = Kombinacija(list, BarLength);
        bars = static_cast<int>(r.Sipke.size());
        benchmark::DoNotOptimize(r);
    }
    long long total = 0;
    for (const TKomad& k : input)
        total += k.Duzina;
    stock["bars/" + std::to_string(state.range(0))] = {bars,
                                                       static_cast<int>((total + BarLength - 1) / BarLength)};
}

void BM_BarsFirstFit(benchmark::State& state) {
    const std::vector<TKomad> input = RandomPieces(static_cast<int>(state.range(0)));
    int bars = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(bars = BarsFirstFit(input));
    stock["bars-ffd/" + std::to_string(state.range(0))].used = bars;
}

void BM_Sheets(benchmark::State& state) {
    const std::vector<TKomadStakla> input = RandomPanes(static_cast<int>(state.range(0)));
    int sheets = 0;
    for (auto _ : state) {
        std::vector<TKomadStakla> list = input;
        SortPiecesByArea(list);
        SheetLayout r = RunCuttingOptimisation(std::move(list), Job());
        sheets = r.BrojPloca;
        benchmark::DoNotOptimize(r);
    }
    long long area = 0;
    for (const TKomadStakla& k : input)
        area += static_cast<long long>(k.Sirina) * k.Visina;
    const long long sheetArea = static_cast<long long>(SheetW) * SheetH;
    stock["sheets/" + std::to_string(state.range(0))] = {
        sheets, static_cast<int>((area + sheetArea - 1) / sheetArea)};
}

void BM_SheetsFirstFit(benchmark::State& state) {
    const std::vector<TKomadStakla> input = RandomPanes(static_cast<int>(state.range(0)));
    int sheets = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(sheets = SheetsFirstFit(input));
    stock["sheets-ffd/" + std::to_string(state.range(0))].used = sheets;
}

BENCHMARK(BM_Kombinacija)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BarsFirstFit)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sheets)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SheetsFirstFit)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

// Keeps the mean time of every run by its name.
class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> millis;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            millis[r.benchmark_name()] = r.GetAdjustedRealTime(); // in the unit asked for: ms
        ConsoleReporter::ReportRuns(runs);
    }
};

void PrintSummary(const Collector& c, const char* title, const char* engine, const char* reference,
                  const char* kind, std::initializer_list<int> sizes) {
    std::printf("\n%s\n%8s %12s %12s %8s %8s %8s %8s\n", title, "n", "engine ms", "ffd ms", "ratio", "used",
                "ffd", "bound");
    for (int n : sizes) {
        const std::string arg = "/" + std::to_string(n);
        if (!c.millis.count(std::string(engine) + arg) || !c.millis.count(std::string(reference) + arg))
            continue; // left out by a benchmark filter
        const double e = c.millis.at(std::string(engine) + arg),
                     f = c.millis.at(std::string(reference) + arg);
        const Stock s = stock[std::string(kind) + arg], ffd = stock[std::string(kind) + "-ffd" + arg];
        std::printf("%8d %12.3f %12.3f %8.1f %8d %8d %8d  (waste over bound %+.1f%%)\n", n, e, f, e / f,
                    s.used, ffd.used, s.bound, s.bound ? 100.0 * (s.used - s.bound) / s.bound : 0.0);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    PrintSummary(collector, "Bar filling (Sort + Kombinacija), 6500 mm bars, pieces 300-3000 mm",
                 "BM_Kombinacija", "BM_BarsFirstFit", "bars", {1000, 10000, 30000});
    PrintSummary(collector,
                 "Sheet layout (SortPiecesByArea + run), 3210 x 2250 sheets, kerf 3, panes 200-1500 mm",
                 "BM_Sheets", "BM_SheetsFirstFit", "sheets", {100, 1000, 5000});
    std::printf("\nTargets: 10,000 pieces under 300 ms, 1,000 panes under 100 ms.\n");
    benchmark::Shutdown();
    return 0;
}
