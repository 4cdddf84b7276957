// Walking and posting through TTable against the same work done on the engine directly, in one run: the
// dataset layer must cost at most 1.5 times the engine.

#include "fw/db/FieldClasses.h"
#include "fw/db/Table.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;
constexpr int Rows = 2000;

fs::path& Folder() {
    static fs::path folder;
    return folder;
}

void CreateRoba() {
    std::string pattern = (fs::temp_directory_path() / "plom-dataset-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    Folder() = pattern;
    engine::CreateTable(Folder(), "ROBA.DB",
                        {{"Code", engine::FieldType::AutoInc, 0, false},
                         {"Sifra", engine::FieldType::Alpha, 10, false},
                         {"Naziv", engine::FieldType::Alpha, 40, false},
                         {"Cijena", engine::FieldType::Number, 0, false},
                         {"Kolicina", engine::FieldType::Short, 0, false}});
    auto t = engine::Table::Open(Folder(), "ROBA.DB", engine::OpenMode::Exclusive);
    t->AddIndex({"", "Code", true, true, false, false});
    auto c = t->OpenCursor();
    for (int i = 0; i < Rows; ++i)
        c->Insert({engine::Value(), engine::Value::Text("S" + std::to_string(i)),
                   engine::Value::Text("Artikl broj " + std::to_string(i)), engine::Value::Float(i * 1.25),
                   engine::Value::Int(i % 1000)});
}

void EngineWalk(benchmark::State& state) {
    auto t = engine::Table::Open(Folder(), "ROBA.DB", engine::OpenMode::Shared);
    auto c = t->OpenCursor();
    for (auto _ : state) {
        double sum = 0;
        std::size_t chars = 0;
        for (c->First(); c->OnRow(); c->Next()) {
            const engine::Row& r = c->Read();
            sum += static_cast<double>(r[0].AsInt()) + r[3].AsFloat();
            chars += r[2].AsText().size();
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

void TableWalk(benchmark::State& state) {
    fw::TTable t;
    t.SetDatabaseName(Folder().string());
    t.SetTableName("ROBA.DB");
    t.Open();
    fw::TField& code = t.FieldByName("Code");
    fw::TField& naziv = t.FieldByName("Naziv");
    fw::TField& cijena = t.FieldByName("Cijena");
    for (auto _ : state) {
        double sum = 0;
        std::size_t chars = 0;
        for (t.First(); !t.Eof(); t.Next()) {
            sum += static_cast<double>(code.AsInteger()) + cijena.AsFloat();
            chars += naziv.AsString().size();
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

// One edit of one row per iteration, walking on through the table.
void EnginePost(benchmark::State& state) {
    auto t = engine::Table::Open(Folder(), "ROBA.DB", engine::OpenMode::Shared);
    auto c = t->OpenCursor();
    c->First();
    long n = 0;
    for (auto _ : state) {
        if (!c->OnRow()) c->First();
        c->LockRecord();
        engine::Row row = c->Read();
        row[3] = engine::Value::Float(static_cast<double>(++n) * 0.5);
        c->Modify(std::move(row));
        c->UnlockRecord();
        c->Next();
    }
    state.SetItemsProcessed(state.iterations());
}

void TablePost(benchmark::State& state) {
    fw::TTable t;
    t.SetDatabaseName(Folder().string());
    t.SetTableName("ROBA.DB");
    t.Open();
    fw::TField& cijena = t.FieldByName("Cijena");
    long n = 0;
    for (auto _ : state) {
        if (t.Eof()) t.First();
        t.Edit();
        cijena.SetAsFloat(static_cast<double>(++n) * 0.5);
        t.Post();
        t.Next();
    }
    state.SetItemsProcessed(state.iterations());
}

// One new row per iteration (numbered by the table).
void EngineAppend(benchmark::State& state) {
    auto t = engine::Table::Open(Folder(), "ROBA.DB", engine::OpenMode::Shared);
    auto c = t->OpenCursor();
    long n = 0;
    for (auto _ : state) {
        ++n;
        c->Insert({engine::Value(), engine::Value::Text("N" + std::to_string(n)),
                   engine::Value::Text("Novi artikl"), engine::Value::Float(static_cast<double>(n)),
                   engine::Value::Int(n % 1000)});
    }
    state.SetItemsProcessed(state.iterations());
}

void TableAppend(benchmark::State& state) {
    fw::TTable t;
    t.SetDatabaseName(Folder().string());
    t.SetTableName("ROBA.DB");
    t.Open();
    fw::TField& sifra = t.FieldByName("Sifra");
    fw::TField& naziv = t.FieldByName("Naziv");
    fw::TField& cijena = t.FieldByName("Cijena");
    fw::TField& kolicina = t.FieldByName("Kolicina");
    long n = 0;
    for (auto _ : state) {
        ++n;
        t.Append();
        sifra.SetAsString("T" + std::to_string(n));
        naziv.SetAsString("Novi artikl");
        cijena.SetAsFloat(static_cast<double>(n));
        kolicina.SetAsInteger(n % 1000);
        t.Post();
    }
    state.SetItemsProcessed(state.iterations());
}

// Keeps each benchmark's best time per iteration over its repetitions (the least disturbed by other work on
// the machine) for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            std::string name = run.run_name.function_name;
            double t = run.GetAdjustedRealTime();
            if (!times.count(name) || t < times[name]) times[name] = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

BENCHMARK(EngineWalk)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(TableWalk)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(EnginePost)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(TablePost)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(EngineAppend)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(TableAppend)->Unit(benchmark::kMicrosecond)->Repetitions(5);

int main(int argc, char** argv) {
    CreateRoba();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* layer, const char* engine) {
        auto a = reporter.times.find(layer), b = reporter.times.find(engine);
        if (a == reporter.times.end() || b == reporter.times.end() || b->second <= 0) return;
        double r = a->second / b->second;
        std::printf("%s / %s = %.2f (target at most 1.50)%s\n", layer, engine, r,
                    r > 1.5 ? "  EXCEEDED" : "");
    };
    ratio("TableWalk", "EngineWalk");
    ratio("TablePost", "EnginePost");
    ratio("TableAppend", "EngineAppend");
    std::error_code ec;
    fs::remove_all(Folder(), ec);
    benchmark::Shutdown();
    return 0;
}
