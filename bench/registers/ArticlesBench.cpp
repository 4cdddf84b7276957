// The article register over 50,000 codes of one supplier: opening it with its first paint, and 100 searches
// by code (the key edit) and by name (the grid's name search), against the table engine's own key search
// of the same codes and names in the same run.

#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/shell/FormOpener.h"
#include "app/shell/ScriptedDialogs.h"
#include "app/tables/EngineTables.h"
#include "app/tables/TableEngine.h"
#include "base/ProgramState.h"
#include "fw/db/Session.h"
#include "fw/ui/Application.h"
#include "fw/ui/Keys.h"
#include "kit/Mycombo.h"
#include "kit/MyForm.h"
#include "registers/Artikli.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <QApplication>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using engine::Value;

// PLOM_BENCH_ARTICLES sets another size (a quick run).
const int Articles =
    std::getenv("PLOM_BENCH_ARTICLES") ? std::atoi(std::getenv("PLOM_BENCH_ARTICLES")) : 50000;
constexpr int Searches = 100;
constexpr std::int32_t Supplier = 2;

fw::Form* Caller = nullptr;

fs::path& Folder() {
    static fs::path folder;
    return folder;
}

std::string CodeOf(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "A%06d", i);
    return buf;
}
// Names in another order than the codes.
std::string NameOf(int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "PROFIL%05d", (i * 7919) % Articles);
    return buf;
}

// The codes and names searched: spread over the register.
std::vector<int> Picks() {
    std::vector<int> picks;
    for (int k = 0; k < Searches; ++k)
        picks.push_back((k * 4999 + 17) % Articles);
    return picks;
}

void Connect(fw::TDatabase& db, const std::string& name, const fs::path& path) {
    db.SetDatabaseName(name);
    db.KeepConnection = false;
    db.Params = {"DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"};
    db.SetParam("PATH", path.string());
}

// Makes a table from its definition (through a kit table) and fills it through the engine.
void Fill(const std::string& database, const std::string& table, const std::function<engine::Row(int)>& row,
          int count) {
    {
        kit::TMyTable t;
        t.SetDatabaseName(database);
        t.SetTableName(table);
        t.Open();
        t.Close();
    }
    auto t = engine::Table::Open(Folder() / (database == "Lokal" ? "lokal" : "global"), table,
                                 engine::OpenMode::Exclusive);
    // The secondary indexes are built once over the rows rather than kept up to date row by row.
    std::vector<engine::IndexDesc> secondary;
    for (const engine::IndexDesc& index : t->Indexes())
        if (!index.Primary) secondary.push_back(index);
    for (const engine::IndexDesc& index : secondary)
        t->DeleteIndex(index.Name);
    // One write for all the rows: a write per row syncs the files 50,000 times.
    std::vector<engine::Row> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        rows.push_back(row(i));
    t->ReplaceRows({}, {}, rows);
    for (const engine::IndexDesc& index : secondary)
        t->AddIndex(index);
    t->SaveChanges();
}

void MakeData() {
    Fill(
        "Global", "GOVOR.DB",
        [](int) {
            return engine::Row{Value(), Value::Text("HR"), Value::Text("hrvatski")};
        },
        1);
    Fill(
        "Lokal", "SIF_PART.DB",
        [](int) {
            engine::Row r(56);
            r[0] = Value::Text("WEKA");
            r[1] = Value::Text("D");
            r[2] = Value::Text("S");
            r[3] = Value::Int(Supplier);
            r[4] = Value::Int(1);
            return r;
        },
        1);
    Fill(
        "Global", "FIRME.DB",
        [](int) {
            return engine::Row{Value::Text("WEKA"), Value::Int(Supplier), Value(), Value()};
        },
        1);
    Fill(
        "Global", "ROBA.DB",
        [](int i) {
            engine::Row r(16);
            r[1] = Value::Text(CodeOf(i));
            r[2] = Value::Int(Supplier);
            r[3] = Value::Text(NameOf(i));
            return r;
        },
        Articles);
    Fill(
        "Global", "SIF_ROBE.DB",
        [](int i) {
            engine::Row r(13);
            r[0] = Value::Int(Supplier);
            r[1] = Value::Text(CodeOf(i));
            r[2] = Value::Int(i + 1);
            r[4] = Value::Int(Supplier);
            r[9] = Value::Text(NameOf(i));
            return r;
        },
        Articles);
}

registers::TSifarnikArtikli* Open() {
    registers::PrikaziArtikle(Caller, 1, Supplier);
    return registers::Artikli.SifarnikArtikli;
}

// Frees the form at the end of the run.
void Free() {
    delete registers::Artikli.SifarnikArtikli;
    registers::Artikli.SifarnikArtikli = nullptr;
}

// Opens the register and paints it; false when it did not open on the supplier's codes.
bool OpenAndPaint() {
    registers::TSifarnikArtikli* f = Open();
    if (!f || !f->isVisible() || f->tSifRobe->RecordCount() != Articles) return false;
    benchmark::DoNotOptimize(f->grab());
    return true;
}

void RegisterOpenAndPaint(benchmark::State& state) {
    for (auto _ : state) {
        if (!OpenAndPaint()) {
            state.SkipWithError("the register did not open on the supplier's codes");
            break;
        }
        registers::Artikli.SifarnikArtikli->Close();
    }
}

void RegisterSearchByCode(benchmark::State& state) {
    registers::TSifarnikArtikli* f = Open();
    const std::vector<int> picks = Picks();
    for (auto _ : state) {
        for (int i : picks) {
            f->cSifra->SetFocus();
            f->cSifra->SetText(CodeOf(i));
            f->cSifra->SearchCode();
            if (f->tSifRobe->FieldByName("Sifra").AsString() != CodeOf(i)) {
                state.SkipWithError("a code was not found");
                break;
            }
        }
    }
    f->Close();
}

void RegisterSearchByName(benchmark::State& state) {
    registers::TSifarnikArtikli* f = Open();
    const std::vector<int> picks = Picks();
    for (auto _ : state) {
        f->gSifRobe->SetFocus();
        std::uint16_t f2 = fw::VK_F2;
        f->gSifRobe->KeyDown(f2, {}); // to the name index
        for (int i : picks) {
            for (char c : NameOf(i)) {
                std::uint8_t key = static_cast<std::uint8_t>(c);
                f->gSifRobe->KeyPress(key);
            }
            if (f->tSifRobe->FieldByName("Naziv").AsString() != NameOf(i)) {
                state.SkipWithError("a name was not found");
                break;
            }
            std::uint16_t del = fw::VK_DELETE; // ends this search
            f->gSifRobe->KeyDown(del, {});
        }
        f->gSifRobe->KeyDown(f2, {}); // back to the codes
    }
    f->Close();
}

// The engine's own key search: the same codes on the primary index, the same names on the name index.
void EngineKeySearch(benchmark::State& state) {
    auto t = engine::Table::Open(Folder() / "global", "SIF_ROBE.DB", engine::OpenMode::Shared);
    auto byCode = t->OpenCursor();
    auto byName = t->OpenCursor();
    byName->SetIndex(byName->FindIndexByFields("Partner;Naziv"));
    const std::vector<int> picks = Picks();
    for (auto _ : state) {
        for (int i : picks) {
            if (!byCode->FindKey({Value::Int(Supplier), Value::Text(CodeOf(i))})) state.SkipWithError("code");
            byName->FindNearest({Value::Int(Supplier), Value::Text(NameOf(i))});
            benchmark::DoNotOptimize(byName->Read());
        }
    }
}

class TimeReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration) {
                const double t = run.GetAdjustedRealTime();
                auto& best = times[run.run_name.function_name];
                if (best == 0 || t < best) best = t;
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

BENCHMARK(RegisterOpenAndPaint)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);
BENCHMARK(RegisterSearchByCode)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);
BENCHMARK(RegisterSearchByName)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);
BENCHMARK(EngineKeySearch)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    std::string pattern = (fs::temp_directory_path() / "plom-registers-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    Folder() = pattern;
    fs::create_directories(Folder() / "global");
    fs::create_directories(Folder() / "lokal");
    int code = 0;
    {
        // Messages are taken, not shown: a run never waits for a click.
        app::ScriptedDialogs dialogs;
        fw::TDatabase global, lokal;
        Connect(global, "Global", Folder() / "global");
        Connect(lokal, "Lokal", Folder() / "lokal");
        app::WBegin.GlobalFolder = (Folder() / "global").string() + "/";
        app::WBegin.LokalFolder = (Folder() / "lokal").string() + "/";
        app::SetTableEngine(&app::FileTableEngine());
        app::InstallTableSets();
        kit::InitializeKit();
        // Modeless: the benchmark drives the form between its steps.
        app::Settings.CommonSettings.Resources.LoadMode = 2;
        app::WBegin.PodaciPoduzeca.OwnPartner = 1;
        app::WBegin.PodaciPoduzeca.Jezik = 1;
        MakeData();
        std::unique_ptr<kit::TMyForm> caller(fw::CreateForm<kit::TMyForm>(nullptr));
        caller->resize(300, 200);
        caller->Show();
        Caller = caller.get();

        // The first open of the day also checks the tables it registers for the first time.
        const auto coldStart = std::chrono::steady_clock::now();
        const bool opened = OpenAndPaint();
        const double cold =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - coldStart).count();
        if (opened) registers::Artikli.SifarnikArtikli->Close();
        if (opened) {
            benchmark::Initialize(&argc, argv);
            TimeReporter reporter;
            benchmark::RunSpecifiedBenchmarks(&reporter);
            const double engine = reporter.times["EngineKeySearch"];
            const double open = reporter.times["RegisterOpenAndPaint"];
            const double byCode = reporter.times["RegisterSearchByCode"];
            const double byName = reporter.times["RegisterSearchByName"];
            if (engine > 0)
                std::printf(
                    "%d articles: open + first paint %.1f ms (the first open, creating the form and checking "
                    "its tables, %.1f ms); %d searches by code %.1f ms (%.3f ms each), by name %.1f ms (%.3f "
                    "ms each, "
                    "typed letter by letter); the engine's own %d + %d key searches %.2f ms (register "
                    "/ engine: %.0f and %.0f)\n",
                    Articles, open, cold, Searches, byCode, byCode / Searches, byName, byName / Searches,
                    Searches, Searches, engine, byCode / engine, byName / engine);
        } else {
            std::fprintf(stderr, "the register did not open on the supplier's codes\n");
            code = 1;
        }
        Free();
        kit::FinalizeKit();
        kit::FreeKit();
        app::ClearFormRegistries();
        app::SetTableEngine(nullptr);
    }
    fs::remove_all(Folder());
    return code;
}
