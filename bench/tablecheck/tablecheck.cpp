// Creating every table of an empty folder, a thorough check of all of them, and the same tables opened
// through the engine without any check; the checks are reported as a ratio of the plain opens.

#include "app/tables/TableCheck.h"
#include "app/tables/EngineTables.h"
#include "base/Files.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>

namespace fs = std::filesystem;
using namespace app;

namespace {

const Folder Folders[] = {Folder::Global, Folder::Lokal, Folder::Link};

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "plombench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
        for (Folder f : Folders)
            fs::create_directory(Sub(f));
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    fs::path Sub(Folder f) const { return path_ / std::to_string(static_cast<int>(f)); }

private:
    fs::path path_;
};

void CheckAll(const ScratchFolder& folder, bool thorough) {
    for (Folder f : Folders)
        CheckTables(f, folder.Sub(f).string(), "", thorough);
}

// Every file of a table carries the .DB file's date, as the last closer leaves them.
void Stamp(const ScratchFolder& folder) {
    for (Folder f : Folders)
        for (const auto& entry : fs::directory_iterator(folder.Sub(f)))
            base::SetFileTime(entry.path(), 1'600'000'000'000'000'000);
}

void CreateAllTables(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        {
            ScratchFolder folder;
            state.ResumeTiming();
            CheckAll(folder, false);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}

void ThoroughCheckOfAllTables(benchmark::State& state) {
    ScratchFolder folder;
    CheckAll(folder, false);
    Stamp(folder);
    for (auto _ : state)
        CheckAll(folder, true);
}

void PlainOpensOfAllTables(benchmark::State& state) {
    ScratchFolder folder;
    CheckAll(folder, false);
    for (auto _ : state)
        for (Folder f : Folders)
            for (const auto& t : TablesOf(f)) {
                auto table = engine::Table::Open(folder.Sub(f), t.FileName, engine::OpenMode::Shared);
                benchmark::DoNotOptimize(table->RecordCount());
            }
}

BENCHMARK(CreateAllTables)->Unit(benchmark::kMillisecond);
BENCHMARK(ThoroughCheckOfAllTables)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainOpensOfAllTables)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per iteration for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs)
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    SetTableEngine(&FileTableEngine());
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double plain = reporter.times["PlainOpensOfAllTables"];
    if (plain > 0) {
        std::cout << "create all / plain opens:         " << reporter.times["CreateAllTables"] / plain
                  << "\n";
        std::cout << "thorough check all / plain opens: "
                  << reporter.times["ThoroughCheckOfAllTables"] / plain << "\n";
    }
    benchmark::Shutdown();
    return 0;
}
