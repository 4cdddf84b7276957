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
using engine::Value;

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

void Upisi(const char* baza, const std::string& tablica,
           const std::vector<std::pair<std::string, Value>>& polja) {
    const fs::path mapa = Folder() / (std::string(baza) == "Global" ? "global" : "lokal");
    if (!engine::TableExists(mapa, tablica)) app::CheckTablesOf(tablica, baza, false);
    auto t = engine::Table::Open(mapa, tablica, engine::OpenMode::Shared);
    engine::Row r(t->Fields().size());
    for (const auto& [ime, v] : polja)
        for (std::size_t i = 0; i < r.size(); ++i)
            if (t->Fields()[i].Name == ime) r[i] = v;
    t->OpenCursor()->Insert(r);
}

void Artikl(std::int32_t code, std::int32_t grupa, int debljina, int duzina) {
    Upisi("Global", "SIF_ROBE.DB",
          {{"Partner", Value::Int(1)},
           {"Sifra", Value::Text("A" + std::to_string(code))},
           {"Code", Value::Int(code)},
           {"Grupa", Value::Int(grupa)}});
    Upisi("Global", "WROBA.DB",
          {{"Code", Value::Int(code)},
           {"DebljinaProfila", Value::Int(debljina)},
           {"DuzinaProfila", Value::Int(duzina)}});
}

orders::KonstanteSistema Konstante() {
    return {10, 8, 5, 2, 3, 10};
}

orders::BojaSistema Clanci() {
    orders::BojaSistema b;
    b.Stok = 101, b.ZStoka = 105, b.ZSM = 10;
    b.Vrata = 104, b.ZVrata = 107, b.ZVM = 20;
    b.Okvir = 102, b.ZOkvira = 106, b.ZOM = 15;
    b.KlizniOkvir = 109, b.ZKlizniOkvir = 110, b.ZKOM = 12;
    b.Precka = 103, b.ZPrecka = 108, b.ZPM = 5;
    return b;
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

    const orders::KonstanteSistema k = Konstante();
    Upisi("Lokal", "WSYSTEM.DB",
          {{"Code", Value::Int(Sistem)},
           {"Sifra", Value::Text("S1")},
           {"Razmak", Value::Int(k.Razmak)},
           {"Preklapanje", Value::Int(k.Preklapanje)},
           {"SmanjenjeStakla", Value::Int(k.SmanjenjeStakla)},
           {"ReznaPila", Value::Int(k.ReznaPila)},
           {"Varenje", Value::Int(k.Varenje)},
           {"DodatakNaPrecku", Value::Int(k.DodatakNaPrecku)}});
    const orders::BojaSistema b = Clanci();
    Upisi("Lokal", "WSYSBOJE.DB",
          {{"Sistem", Value::Int(Sistem)},
           {"Boja", Value::Int(Boja)},
           {"Stok", Value::Int(b.Stok)},
           {"ZStoka", Value::Int(b.ZStoka)},
           {"ZSM", Value::Int(b.ZSM)},
           {"Vrata", Value::Int(b.Vrata)},
           {"ZVrata", Value::Int(b.ZVrata)},
           {"ZVM", Value::Int(b.ZVM)},
           {"Okvir", Value::Int(b.Okvir)},
           {"ZOkvira", Value::Int(b.ZOkvira)},
           {"ZOM", Value::Int(b.ZOM)},
           {"KlizniOkvir", Value::Int(b.KlizniOkvir)},
           {"ZKlizniOkvir", Value::Int(b.ZKlizniOkvir)},
           {"ZKOM", Value::Int(b.ZKOM)},
           {"Precka", Value::Int(b.Precka)},
           {"ZPrecka", Value::Int(b.ZPrecka)},
           {"ZPM", Value::Int(b.ZPM)}});
    Upisi("Lokal", "RADNINAL.DB",
          {{"Code", Value::Int(RN)},
           {"Sifra", Value::Text("RN1")},
           {"Broj", Value::Int(1)},
           {"Sistem", Value::Int(Sistem)},
           {"Boja", Value::Int(Boja)}});
    Artikl(101, 1, 60, 6500);
    Artikl(102, 2, 70, 6500);
    Artikl(103, 3, 80, 6500);
    for (std::int32_t z : {105, 106, 108})
        Artikl(z, 5, 0, 6000);
    for (std::int32_t s : {201, 202, 203})
        Artikl(s, 6, 3210, 2250);

    std::mt19937 rng(24);
    std::uniform_int_distribution<int> sirina(600, 2400), visina(600, 2000), vrsta(0, 2), staklo(0, 2),
        kolicina(1, 3);
    windows::ModelProzora m;
    for (int stavka = 1; stavka <= Stavki; ++stavka) {
        const int w = sirina(rng), h = visina(rng);
        m.OslobodiMemoriju();
        m.PostaviOkvirProzora(w, h, 60);
        m.Preklapanje = static_cast<std::int16_t>(k.Preklapanje);
        m.ArtiklStoka = b.Stok;
        m.Sistem = Sistem;
        const int v = vrsta(rng);
        if (v == 1) m.DodajOkvir(w / 2, h / 2, 70, b.Okvir, 0);
        if (v == 2) m.DodajPrecku(w / 2, h / 2, false, 80, b.Precka);
        Upisi("Lokal", "STAVKERN.DB",
              {{"BrojRN", Value::Int(RN)},
               {"Stavka", Value::Int(stavka)},
               {"Tip", Value::Int(1)},
               {"Staklo", Value::Int(201 + staklo(rng))},
               {"Kolicina", Value::Int(kolicina(rng))},
               {"Sirina", Value::Int(w)},
               {"Visina", Value::Int(h)}});
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
        o.Sistem = Konstante();
        o.Boja = Clanci();
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
            if (!windows::PrenesiKopiju(m, {RN, s.Stavka}, {Sistem, Clanci().Stok, 8})) std::abort();
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
    const orders::BojaSistema b = Clanci();
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
