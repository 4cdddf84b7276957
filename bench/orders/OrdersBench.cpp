// A work order of 200 items through its cutting runs on the tables ("OPTIMIZACIJA I": the items' copies
// read, turned into pieces, sorted, laid on bars and written to "RNOPTIMA" and "RNOPTST"; then the glass
// run over "RNOPTST"), against the cutting engines alone (bar filling per kind and sheet layout per glass
// article) on the same pieces, in the same run. Prints the ratio of the two.

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/tables/EngineTables.h"
#include "app/tables/TableDefinitions.h"
#include "app/tables/TableEngine.h"
#include "base/FileSystem.h"
#include "engine/Engine.h"
#include "orders/optima/Komadi.h"
#include "orders/optima/RadniNalog.h"
#include "tests/orders/OrderTables.h"
#include "windows/storage/WindowTypeStore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t RN = 1, Sistem = 1, Boja = 1;
constexpr int Stavki = 200;

fs::path& Folder() {
    static fs::path folder;
    return folder;
}

int& Poruke() {
    static int n = 0;
    return n;
}

struct Komadi;
const Komadi& IstiKomadi();

// A program folder with one order of 200 items: fixed lights, windows with a sash and windows split by a
// mullion, of random sizes, glazed with one of three glass articles.
void NapraviNalog() {
    std::string pattern = (fs::temp_directory_path() / "plom-orders-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    Folder() = pattern;
    fs::create_directories(Folder() / "global");
    fs::create_directories(Folder() / "lokal");
    app::WBegin.GlobalFolder = (Folder() / "global").string() + "/";
    app::WBegin.LokalFolder = (Folder() / "lokal").string() + "/";
    app::SetTableEngine(&app::FileTableEngine());
    app::InstallTableSets();
    app::Dialogs.ShowInfoHook = [](const std::string&) { ++Poruke(); };
    // Throwaway data: the set-up writes without syncing, the measured runs sync as the program does.
    base::SetDiskSync(false);

    ordertables::AddSystem(Folder(), {Sistem, "S1", 0, ordertables::Constants()});
    const orders::BojaSistema b = ordertables::Profiles();
    ordertables::AddSystemColour(Folder(), Sistem, Boja, b);
    ordertables::AddOrder(Folder(), {RN, "RN1", 1, Sistem, Boja});
    ordertables::AddArticle(Folder(), b.Stok, 1, 60, 6500);
    ordertables::AddArticle(Folder(), b.Okvir, 2, 70, 6500);
    ordertables::AddArticle(Folder(), b.Precka, 3, 80, 6500);
    for (std::int32_t z : {b.ZStoka, b.ZOkvira, b.ZPrecka})
        ordertables::AddArticle(Folder(), z, 5, 0, 6000);
    for (std::int32_t s : {201, 202, 203})
        ordertables::AddArticle(Folder(), s, 6, 3210, 2250);

    std::mt19937 rng(24);
    std::uniform_int_distribution<int> sirina(600, 2400), visina(600, 2000), vrsta(0, 2), staklo(0, 2),
        kolicina(1, 3);
    windows::ModelProzora m;
    for (int stavka = 1; stavka <= Stavki; ++stavka) {
        const int w = sirina(rng), h = visina(rng);
        ordertables::PlainWindow(m, w, h, b.Stok, Sistem);
        const int v = vrsta(rng);
        if (v == 1) m.DodajOkvir(w / 2, h / 2, 70, b.Okvir, 0);
        if (v == 2) m.DodajPrecku(w / 2, h / 2, false, 80, b.Precka);
        ordertables::AddItem(Folder(), {RN, stavka, 1, 201 + staklo(rng), kolicina(rng), w, h, {}});
        if (windows::SpremiKopiju(m, {RN, stavka}, Sistem, Boja) == 0) std::abort();
    }
    IstiKomadi();
    base::SetDiskSync(true);
}

// The order's pieces as the run gathers them, made once from the items' copies.
struct Komadi {
    orders::ListeKomada Liste;
    std::map<std::int32_t, std::vector<orders::TKomadStakla>> Stakla;
};

const Komadi& IstiKomadi() {
    static const Komadi k = [] {
        Komadi out;
        auto t = engine::Table::Open(Folder() / "lokal", "STAVKERN.DB", engine::OpenMode::Shared);
        std::map<std::string, std::size_t> p;
        for (std::size_t i = 0; i < t->Fields().size(); ++i)
            p[t->Fields()[i].Name] = i;
        orders::OkolnostiNaloga o;
        o.Sistem = ordertables::Constants();
        o.Boja = ordertables::Profiles();
        o.GrupaStoka = 1;
        o.GrupaKliznogOkvira = 6;
        o.GrupaArtikla = [](std::int32_t a) { return a == 101 ? 1 : a == 102 ? 2 : 3; };
        windows::ModelProzora m;
        std::vector<std::string> poruke;
        auto c = t->OpenCursor();
        for (c->First(); c->OnRow(); c->Next()) {
            const engine::Row r = c->Read();
            orders::StavkaNaloga s{static_cast<std::int16_t>(r[p["Stavka"]].AsInt()),
                                   static_cast<std::int16_t>(r[p["Kolicina"]].AsInt()),
                                   static_cast<std::int32_t>(r[p["Staklo"]].AsInt())};
            if (!windows::PrenesiKopiju(m, {RN, s.Stavka}, {Sistem, o.Boja.Stok, 8})) std::abort();
            orders::DodajKomadeStavke(m, s, o, out.Liste, poruke);
        }
        for (const orders::TKomad& k : out.Liste[orders::V_Staklo])
            for (int n = 0; n < k.Kolicina; ++n) {
                orders::TKomadStakla st;
                st.Broj = k.Prozor;
                st.Sirina = k.Sirina;
                st.Visina = k.Duzina;
                out.Stakla[k.Artikl].push_back(st);
            }
        return out;
    }();
    return k;
}

// Both runs of the order on its tables.
void NalogNaTablicama(benchmark::State& state) {
    for (auto _ : state) {
        if (orders::OptimizacijaI(RN) != orders::IshodRada::Gotovo) state.SkipWithError("run incomplete");
        const auto liste = orders::OptimizacijaStakla(RN, orders::PostavkeStakla{});
        if (!liste) state.SkipWithError("glass run failed");
        benchmark::DoNotOptimize(liste);
    }
    state.counters["pieces"] = 0;
    for (const auto& l : IstiKomadi().Liste)
        state.counters["pieces"] += static_cast<double>(l.size());
}

// The bar and sheet engines alone on the same pieces: each kind sorted and filled onto its bars, each
// glass article's panes sorted and laid on sheets.
void SamiRezovi(benchmark::State& state) {
    const Komadi& k = IstiKomadi();
    const orders::BojaSistema b = ordertables::Profiles();
    const std::map<int, std::int32_t> sipke{{orders::V_Stok, b.Stok},       {orders::V_Okvir, b.Okvir},
                                            {orders::V_Precka, b.Precka},   {orders::V_ZStoka, b.ZStoka},
                                            {orders::V_ZOkvira, b.ZOkvira}, {orders::V_ZPrecka, b.ZPrecka}};
    for (auto _ : state) {
        std::size_t n = 0;
        for (const auto& [vrsta, artikl] : sipke) {
            std::vector<orders::TKomad> lista = k.Liste[static_cast<std::size_t>(vrsta)];
            orders::Sort(lista);
            n += orders::Kombinacija(
                     lista, artikl == b.ZStoka || artikl == b.ZOkvira || artikl == b.ZPrecka ? 6000 : 6500)
                     .Sipke.size();
        }
        for (const auto& [artikl, komadi] : k.Stakla) {
            std::vector<orders::TKomadStakla> lista = komadi;
            orders::SortPiecesByArea(lista);
            orders::SheetJob job;
            job.SirinaPloce = 3210;
            job.VisinaPloce = 2250;
            n += static_cast<std::size_t>(orders::RunCuttingOptimisation(std::move(lista), job).BrojPloca);
        }
        benchmark::DoNotOptimize(n);
    }
}

// Keeps each benchmark's best time per iteration over its repetitions (the least disturbed by other work on
// the machine) for the ratio printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            const std::string name = run.run_name.function_name;
            const double t = run.GetAdjustedRealTime();
            if (!times.count(name) || t < times[name]) times[name] = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

BENCHMARK(NalogNaTablicama)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(SamiRezovi)->Unit(benchmark::kMillisecond)->Repetitions(3);

int main(int argc, char** argv) {
    NapraviNalog();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto a = reporter.times.find("NalogNaTablicama"), b = reporter.times.find("SamiRezovi");
    if (a != reporter.times.end() && b != reporter.times.end() && b->second > 0)
        std::printf("order of %d items on its tables / cutting engines alone = %.2f (messages shown: %d)\n",
                    Stavki, a->second / b->second, Poruke());
    std::error_code ec;
    fs::remove_all(Folder(), ec);
    benchmark::Shutdown();
    return 0;
}
