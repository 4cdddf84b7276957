// Laying out the printout of a work order ("Ispis naloga", with the preview) and of its offer for orders
// of 100, 1,000 and 2,000 items, on the tables as the program keeps them: the items' copies read and
// drawn, the profile and glass lists written. Prints the time per item at each size against the time per
// item at 100: a printout that grows linearly with its items stays near 1.

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/data/WBegin.h"
#include "app/tables/EngineTables.h"
#include "app/tables/TableDefinitions.h"
#include "app/tables/TableEngine.h"
#include "base/FileSystem.h"
#include "controls/PrintPreviewForm.h"
#include "orders/optima/RadniNalog.h"
#include "orders/printouts/IspisNaloga.h"
#include "tests/orders/OrderTables.h"
#include "windows/storage/WindowTypeStore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <QApplication>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t Sistem = 1, Boja = 1;
constexpr int Velicine[] = {100, 1000, 2000};

// A program folder per size, so that every table grows with the order as it would in use.
std::map<int, fs::path>& Folders() {
    static std::map<int, fs::path> folders;
    return folders;
}

int& Poruke() {
    static int n = 0;
    return n;
}

constexpr std::int32_t RN = 1;

[[noreturn]] void Prekini(const char* zasto) {
    std::fprintf(stderr, "set-up: %s\n", zasto);
    std::abort();
}

void UMapu(const fs::path& folder) {
    app::WBegin.GlobalFolder = (folder / "global").string() + "/";
    app::WBegin.LokalFolder = (folder / "lokal").string() + "/";
}

// An order of that many items: fixed lights, windows with a sash and windows split by a mullion, of
// random sizes, glazed with one of three glass articles, one piece each (the cutting list of 2,000 items
// stays within the rows it can number); its cutting lists made.
void Pripremi(int stavki) {
    std::string pattern = (fs::temp_directory_path() / "plom-print-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) Prekini("no temporary folder");
    const fs::path folder = pattern;
    Folders()[stavki] = folder;
    fs::create_directories(folder / "global");
    fs::create_directories(folder / "lokal");
    UMapu(folder);

    ordertables::AddSystem(folder, {Sistem, "S1", 0, ordertables::Constants()});
    const orders::BojaSistema b = ordertables::Profiles();
    ordertables::AddSystemColour(folder, Sistem, Boja, b);
    ordertables::AddArticle(folder, b.Stok, 1, 60, 6500, "Štok");
    ordertables::AddArticle(folder, b.Okvir, 2, 70, 6500, "Krilo");
    ordertables::AddArticle(folder, b.Precka, 3, 80, 6500, "Prečka");
    for (std::int32_t z : {b.ZStoka, b.ZOkvira, b.ZPrecka})
        ordertables::AddArticle(folder, z, 5, 0, 6000, "Željezo");
    for (std::int32_t s : {201, 202, 203})
        ordertables::AddArticle(folder, s, 6, 3210, 2250, "Float");
    ordertables::AddOrder(folder, {RN, "RN1", 1, Sistem, Boja});

    std::mt19937 rng(38);
    std::uniform_int_distribution<int> sirina(600, 2400), visina(600, 2000), vrsta(0, 2), staklo(0, 2);
    windows::ModelProzora m;
    for (int stavka = 1; stavka <= stavki; ++stavka) {
        const int w = sirina(rng), h = visina(rng);
        ordertables::PlainWindow(m, w, h, b.Stok, Sistem);
        const int v = vrsta(rng);
        if (v == 1) m.DodajOkvir(w / 2, h / 2, 70, b.Okvir, 0);
        if (v == 2) m.DodajPrecku(w / 2, h / 2, false, 80, b.Precka);
        ordertables::AddItem(folder, {RN, stavka, 1, 201 + staklo(rng), 1, w, h, 1000.0});
        if (windows::SpremiKopiju(m, {RN, stavka}, Sistem, Boja) == 0) Prekini("an item's copy not saved");
    }
    if (orders::OptimizacijaI(RN) != orders::IshodRada::Gotovo) Prekini("the cutting run failed");
}

void Pripremi() {
    app::SetTableEngine(&app::FileTableEngine());
    app::InstallTableSets();
    app::Dialogs.ShowInfoHook = [](const std::string& t) {
        if (++Poruke() <= 3) std::fprintf(stderr, "told: %s\n", t.c_str());
    };
    // Throwaway data: the set-up writes without syncing.
    base::SetDiskSync(false);
    for (int stavki : Velicine)
        Pripremi(stavki);
    base::SetDiskSync(true);
}

// One printout laid out and shown in the preview, then (not measured) the preview closed and its pages
// dropped.
void Ispis(benchmark::State& state, bool ponuda) {
    const int stavki = static_cast<int>(state.range(0));
    UMapu(Folders().at(stavki));
    controls::CreateIspis();
    controls::TPagePrinter& prn = *controls::Ispis->Prn;
    prn.ShowProgress = false;
    int strane = 0;
    for (auto _ : state) {
        if (!orders::IspisNaloga(RN, ponuda)) state.SkipWithError("nothing printed");
        // Until the preview has painted its page and the program is idle again.
        QApplication::processEvents();
        strane = prn.PageCount();
        state.PauseTiming();
        controls::Ispis->Close();
        prn.Clear();
        state.ResumeTiming();
    }
    state.counters["items"] = stavki;
    state.counters["pages"] = strane;
}

void IspisNalogaBench(benchmark::State& state) {
    Ispis(state, false);
}
void IspisPonudeBench(benchmark::State& state) {
    Ispis(state, true);
}

// Each run's best time per item (the least disturbed by other work on the machine).
class PerItemReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            const std::string name = run.run_name.function_name;
            const int items = static_cast<int>(std::stol(run.run_name.args));
            const double t = run.GetAdjustedRealTime() / items;
            double& best = times[name][items];
            if (best == 0 || t < best) best = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, std::map<int, double>> times;
};

} // namespace

BENCHMARK(IspisNalogaBench)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(IspisPonudeBench)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication qapp(argc, argv);
    Pripremi();
    benchmark::Initialize(&argc, argv);
    PerItemReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto& [name, sizes] : reporter.times) {
        const auto first = sizes.find(Velicine[0]);
        if (first == sizes.end() || first->second <= 0) continue;
        for (const auto& [items, perItem] : sizes)
            std::printf("%s: %d items, %.3f ms per item, %.2f x the time per item at %d\n", name.c_str(),
                        items, perItem, perItem / first->second, Velicine[0]);
    }
    std::printf("messages shown: %d\n", Poruke());
    std::error_code ec;
    for (const auto& [stavki, folder] : Folders())
        fs::remove_all(folder, ec);
    benchmark::Shutdown();
    return 0;
}
