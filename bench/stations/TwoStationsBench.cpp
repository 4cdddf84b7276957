// Two stations writing one large table at once, each a process of its own: both inserting rows with reads
// between, against one station doing the same alone. Prints each station's time and its ratio to the time
// alone (target: each <= about 2.0, the most two writers of one table can share it fairly).
//
// `--rows=N` sets the rows the table starts with (100,000), `--inserts=N` the rows each station inserts
// (20,000), `--limit=S` the seconds after which a station stops and reports how far it got (600).
// `--no-sync` leaves the stations' writes unsynced, as on a disk whose flushes cost nothing: a write then
// takes a fraction of a millisecond and the turns change hands far more often.
// `--memo` gives every row a memo text longer than its leader (so each insert writes the .MB too) and a
// station's pass as a form takes it: every 10th insert a range search over its own last rows, then a
// refresh and a look at the other station's last row, under a block cache of 256 KiB (`--cache=KiB`).
#include "base/FileSystem.h"
#include "engine/Engine.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace engine;

int StartRows = 100000;
int Inserts = 20000;
int LimitSeconds = 600;
bool Synced = true;
bool Memo = false;
int CacheKib = 256;
fs::path g_folder;

constexpr const char* TableName = "STAVKE.DB";

Row MakeRow(int station, int i) {
    Row r{Value(), Value::Int(station), Value::Text("Stavka " + std::to_string(i) + " stanice"),
          Value::Int(i % 1000), Value::Text("Mjesto " + std::to_string(i % 97))};
    if (Memo) {
        r[3] = Value::Int(i);
        r.push_back(Value::Text("Napomena " + std::to_string(i) + " stanice " + std::to_string(station) +
                                ": staklo dvostruko, okov s lijeve strane, " + std::string(i % 120, '*')));
    }
    return r;
}

std::vector<FieldDesc> Fields() {
    std::vector<FieldDesc> f{{"Code", FieldType::AutoInc, 0, false},
                             {"Stanica", FieldType::Short, 0, false},
                             {"Naziv", FieldType::Alpha, 40, false},
                             {"Kolicina", FieldType::Long, 0, false},
                             {"Mjesto", FieldType::Alpha, 20, false}};
    if (Memo) f.push_back({"Napomena", FieldType::Memo, 10, false});
    return f;
}

void Prepare(const fs::path& folder) {
    fs::create_directories(folder);
    CreateTable(folder, TableName, Fields());
    {
        auto t = Table::Open(folder, TableName, OpenMode::Exclusive);
        t->AddIndex({"", "Code", true, true, false, false});
        t->AddIndex({"_Naziv", "Naziv", false, false, true, false});
        if (Memo) t->AddIndex({"_Stanica", "Stanica;Kolicina", false, false, false, false});
    }
    auto t = Table::Open(folder, TableName, OpenMode::Shared);
    auto c = t->OpenCursor();
    constexpr int Batch = 20000;
    for (int from = 0; from < StartRows; from += Batch) {
        std::vector<Row> rows;
        for (int i = from; i < std::min(StartRows, from + Batch); ++i) {
            Row r = MakeRow(0, i);
            r[0] = Value::Int(i + 1);
            rows.push_back(std::move(r));
        }
        t->ReplaceRows({Value::Int(from + 1)}, {Value::Int(from + Batch)}, rows);
    }
}

// One station (run in a process of its own): its inserts, each followed by a look at the table as a user's
// form would take it (the other station's rows taken in, a row found by its key and read). Prints the rows
// it inserted and its seconds.
// The memo pass: an insert, every 10th time a range over the station's own last rows read whole, then the
// other station's last row found and read (its memo text with it).
int RunMemoStation(const fs::path& folder, int station) {
    const auto start = std::chrono::steady_clock::now();
    const auto until = start + std::chrono::seconds(LimitSeconds);
    auto t = Table::Open(folder, TableName, OpenMode::Shared);
    auto c = t->OpenCursor();
    auto reader = t->OpenCursor();
    reader->SetIndex(reader->FindIndexByName("_Stanica"));
    const int other = 3 - station;
    int done = 0;
    std::size_t seen = 0;
    for (; done < Inserts && std::chrono::steady_clock::now() < until; ++done) {
        c->Insert(MakeRow(station, done));
        if (done % 10 == 9) {
            reader->SetRange({Value::Int(station), Value::Int(done - 9)},
                             {Value::Int(station), Value::Int(done)});
            for (reader->First(); !reader->Eof(); reader->Next())
                seen += reader->Read()[5].AsText().size();
            reader->CancelRange();
        }
        t->Refresh();
        reader->FindNearest({Value::Int(other + 1)});
        if (reader->Prior()) seen += reader->Read()[5].AsText().size();
    }
    benchmark::DoNotOptimize(seen);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d %.3f\n", done, seconds);
    return 0;
}

int RunStation(const fs::path& folder, int station) {
    if (Memo) return RunMemoStation(folder, station);
    const auto start = std::chrono::steady_clock::now();
    const auto until = start + std::chrono::seconds(LimitSeconds);
    auto t = Table::Open(folder, TableName, OpenMode::Shared);
    auto c = t->OpenCursor();
    auto reader = t->OpenCursor();
    std::mt19937 rng(static_cast<unsigned>(station));
    int done = 0;
    std::size_t seen = 0;
    for (; done < Inserts && std::chrono::steady_clock::now() < until; ++done) {
        c->Insert(MakeRow(station, done));
        t->Refresh();
        if (reader->FindKey({Value::Int(1 + rng() % static_cast<unsigned>(StartRows))}))
            seen += reader->Read()[2].AsText().size();
    }
    benchmark::DoNotOptimize(seen);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d %.3f\n", done, seconds);
    return 0;
}

struct StationResult {
    int Rows = 0;
    double Seconds = 0;
};

// Starts the stations in processes of their own at once and waits for all of them.
std::vector<StationResult> RunStations(const fs::path& folder, int count) {
    const std::string exe = fs::read_symlink("/proc/self/exe").string();
    std::vector<FILE*> pipes;
    for (int s = 1; s <= count; ++s) {
        const std::string cmd = "'" + exe + "' --station '" + folder.string() + "' " + std::to_string(s) +
                                " --rows=" + std::to_string(StartRows) +
                                " --inserts=" + std::to_string(Inserts) +
                                " --limit=" + std::to_string(LimitSeconds) + (Synced ? "" : " --no-sync") +
                                (Memo ? " --memo --cache=" + std::to_string(CacheKib) : "");
        pipes.push_back(::popen(cmd.c_str(), "r"));
    }
    std::vector<StationResult> results;
    for (FILE* p : pipes) {
        StationResult r;
        if (p && std::fscanf(p, "%d %lf", &r.Rows, &r.Seconds) != 2) r = {};
        if (p) ::pclose(p);
        results.push_back(r);
    }
    return results;
}

fs::path FreshCopy(const std::string& name) {
    const fs::path to = g_folder / name;
    fs::remove_all(to);
    fs::copy(g_folder / "base", to);
    return to;
}

StationResult g_alone;
std::vector<StationResult> g_two;

void OneStation(benchmark::State& state) {
    for (auto _ : state) {
        g_alone = RunStations(FreshCopy("alone"), 1).at(0);
        state.SetIterationTime(g_alone.Seconds);
    }
    state.counters["rows"] = g_alone.Rows;
}

void TwoStations(benchmark::State& state) {
    for (auto _ : state) {
        g_two = RunStations(FreshCopy("two"), 2);
        state.SetIterationTime(std::max(g_two[0].Seconds, g_two[1].Seconds));
    }
    for (std::size_t s = 0; s < g_two.size(); ++s) {
        state.counters["rows" + std::to_string(s + 1)] = g_two[s].Rows;
        state.counters["seconds" + std::to_string(s + 1)] = g_two[s].Seconds;
    }
}

} // namespace

BENCHMARK(OneStation)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();
BENCHMARK(TwoStations)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

int main(int argc, char** argv) {
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rows=", 7) == 0)
            StartRows = std::max(1000, std::atoi(argv[i] + 7));
        else if (std::strncmp(argv[i], "--inserts=", 10) == 0)
            Inserts = std::max(1, std::atoi(argv[i] + 10));
        else if (std::strcmp(argv[i], "--no-sync") == 0)
            Synced = false;
        else if (std::strcmp(argv[i], "--memo") == 0)
            Memo = true;
        else if (std::strncmp(argv[i], "--cache=", 8) == 0)
            CacheKib = std::max(64, std::atoi(argv[i] + 8));
        else if (std::strncmp(argv[i], "--limit=", 8) == 0)
            LimitSeconds = std::max(1, std::atoi(argv[i] + 8));
        else
            rest.push_back(argv[i]);
    }
    argc = static_cast<int>(rest.size());
    argv = rest.data();
    if (argc == 4 && std::strcmp(argv[1], "--station") == 0) {
        base::SetDiskSync(Synced);
        if (Memo) SetBlockCacheBytes(static_cast<std::uint64_t>(CacheKib) << 10);
        return RunStation(argv[2], std::atoi(argv[3]));
    }

    char pattern[] = "/tmp/plom-stations-XXXXXX";
    g_folder = ::mkdtemp(pattern);
    std::printf("Preparing a table of %d rows in %s ...\n", StartRows, g_folder.c_str());
    std::fflush(stdout);
    base::SetDiskSync(false); // throwaway data; the stations' writes sync again
    Prepare(g_folder / "base");
    base::SetDiskSync(true);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();

    std::printf(
        "\nTwo stations inserting %d rows each (with a read after each) into a table of %d rows%s%s:\n",
        Inserts, StartRows, Memo ? " with memo texts" : "", Synced ? "" : ", writes not synced");
    std::printf("  %-20s %6d rows %9.2f s\n", "one station alone", g_alone.Rows, g_alone.Seconds);
    {
        // Every row each station was told went in is there, once.
        auto t = Table::Open(g_folder / "two", TableName, OpenMode::Shared);
        std::int64_t expect = StartRows;
        for (const auto& r : g_two)
            expect += r.Rows;
        std::printf("  %-20s %6lld rows, %lld expected%s\n", "the table holds",
                    static_cast<long long>(t->RecordCount()), static_cast<long long>(expect),
                    t->RecordCount() == expect ? "" : "  WRONG");
    }
    for (std::size_t s = 0; s < g_two.size(); ++s) {
        const double ratio = g_alone.Seconds > 0 ? g_two[s].Seconds / g_alone.Seconds : 0;
        std::printf("  station %zu of two   %6d rows %9.2f s %6.2f x alone (target <= 2.0%s)\n", s + 1,
                    g_two[s].Rows, g_two[s].Seconds, ratio,
                    g_two[s].Rows < Inserts ? ", stopped at the limit" : "");
    }
    fs::remove_all(g_folder);
    return 0;
}
