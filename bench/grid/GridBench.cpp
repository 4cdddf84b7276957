// Showing a data grid over a large table and jumping to its last row, against a table view over a plain
// in-memory model of the same rows, in one run: the grid must take at most twice the time, and the memory
// it holds must not grow with the row count (it reads only the rows it shows).

#include "fw/db/Table.h"
#include "fw/ui/DBGrid.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <malloc.h>
#include <map>
#include <QAbstractTableModel>
#include <QApplication>
#include <QTableView>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path& Folder() {
    static fs::path folder;
    return folder;
}

std::string TableName(long long rows) {
    return "ROBA" + std::to_string(rows) + ".DB";
}

void CreateRoba(long long rows) {
    engine::CreateTable(Folder(), TableName(rows),
                        {{"Code", engine::FieldType::AutoInc, 0, false},
                         {"Sifra", engine::FieldType::Alpha, 10, false},
                         {"Naziv", engine::FieldType::Alpha, 40, false},
                         {"Cijena", engine::FieldType::Number, 0, false}});
    auto t = engine::Table::Open(Folder(), TableName(rows), engine::OpenMode::Exclusive);
    t->AddIndex({"", "Code", true, true, false, false});
    auto c = t->OpenCursor();
    for (long long i = 0; i < rows; ++i)
        c->Insert({engine::Value(), engine::Value::Text("S" + std::to_string(i)),
                   engine::Value::Text("Artikl broj " + std::to_string(i)), engine::Value::Float(i * 1.25)});
}

// Heap bytes in use: what a view holds while it shows (resident pages once freed are not given back, so
// they would hide the second and later measurements in one process).
double InUse() {
    return static_cast<double>(mallinfo2().uordblks);
}

// The plain reference: every row's texts held in memory.
class PlainModel : public QAbstractTableModel {
public:
    explicit PlainModel(std::vector<std::vector<QString>> rows) : rows_(std::move(rows)) {}
    int rowCount(const QModelIndex& = {}) const override { return static_cast<int>(rows_.size()); }
    int columnCount(const QModelIndex& = {}) const override { return rows_.empty() ? 0 : 4; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) return {};
        return rows_[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
    }

private:
    std::vector<std::vector<QString>> rows_;
};

// A model of that many rows with nothing in them: what the view itself keeps per row (its row header
// holds an entry for every row).
class BareModel : public QAbstractTableModel {
public:
    explicit BareModel(int rows) : rows_(rows) {}
    int rowCount(const QModelIndex& = {}) const override { return rows_; }
    int columnCount(const QModelIndex& = {}) const override { return 4; }
    QVariant data(const QModelIndex&, int) const override { return {}; }

private:
    int rows_;
};

std::vector<std::vector<QString>> ReadAll(long long rows) {
    fw::TTable t;
    t.SetDatabaseName(Folder().string());
    t.SetTableName(TableName(rows));
    t.Open();
    std::vector<std::vector<QString>> all;
    for (t.First(); !t.Eof(); t.Next()) {
        std::vector<QString> row;
        for (int i = 0; i < t.FieldCount(); ++i)
            row.push_back(QString::fromStdString(t.Fields(i).DisplayText()));
        all.push_back(std::move(row));
    }
    return all;
}

// Shows the view, paints it, jumps to the last row and paints again.
void ShowAndJump(QTableView& view, const std::function<void()>& jump) {
    view.resize(600, 400);
    view.show();
    benchmark::DoNotOptimize(view.grab());
    jump();
    benchmark::DoNotOptimize(view.grab());
}

void DataGrid(benchmark::State& state) {
    const long long rows = state.range(0);
    fw::TTable t;
    t.SetDatabaseName(Folder().string());
    t.SetTableName(TableName(rows));
    t.Open();
    double added = 0;
    for (auto _ : state) {
        const double before = InUse();
        fw::TDataSource source(&t);
        t.First();
        fw::DBGrid grid(nullptr);
        grid.SetDataSource(&source);
        ShowAndJump(grid, [&] { t.Last(); });
        added = InUse() - before;
        if (grid.currentIndex().row() != rows - 1) state.SkipWithError("the grid is not on the last row");
    }
    state.counters["heap_added_kb"] = added / 1024;
}

void PlainView(benchmark::State& state) {
    const long long rows = state.range(0);
    double added = 0;
    for (auto _ : state) {
        const double before = InUse();
        PlainModel model(ReadAll(rows));
        QTableView view;
        view.setModel(&model);
        ShowAndJump(view, [&] {
            view.setCurrentIndex(model.index(model.rowCount() - 1, 0));
            view.scrollTo(view.currentIndex());
        });
        added = InUse() - before;
    }
    state.counters["heap_added_kb"] = added / 1024;
}

void BareView(benchmark::State& state) {
    double added = 0;
    for (auto _ : state) {
        const double before = InUse();
        BareModel model(static_cast<int>(state.range(0)));
        QTableView view;
        view.setModel(&model);
        ShowAndJump(view, [&] { view.setCurrentIndex(model.index(model.rowCount() - 1, 0)); });
        added = InUse() - before;
    }
    state.counters["heap_added_kb"] = added / 1024;
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            const std::string name = run.run_name.function_name + "/" + run.run_name.args;
            const double t = run.GetAdjustedRealTime();
            if (!times.count(name) || t < times[name]) times[name] = t;
            if (auto it = run.counters.find("heap_added_kb"); it != run.counters.end())
                memory[name] = it->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
    std::map<std::string, double> memory;
};

} // namespace

BENCHMARK(DataGrid)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);
BENCHMARK(BareView)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);
BENCHMARK(PlainView)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::string pattern = (fs::temp_directory_path() / "plom-grid-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    Folder() = pattern;
    CreateRoba(10000);
    CreateRoba(100000);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto at = [](const std::map<std::string, double>& m, const std::string& k) {
        auto it = m.find(k);
        return it == m.end() ? 0.0 : it->second;
    };
    const double grid = at(reporter.times, "DataGrid/100000");
    const double plain = at(reporter.times, "PlainView/100000");
    if (plain > 0)
        std::printf("DataGrid / PlainView over 100000 rows = %.2f (target at most 2.00)%s\n", grid / plain,
                    grid / plain > 2 ? "  EXCEEDED" : "");
    std::printf("heap held while shown: grid %.0f kB (10000 rows) / %.0f kB (100000 rows); plain view %.0f "
                "kB / %.0f kB\n",
                at(reporter.memory, "DataGrid/10000"), at(reporter.memory, "DataGrid/100000"),
                at(reporter.memory, "PlainView/10000"), at(reporter.memory, "PlainView/100000"));
    const double perRowGrid =
        (at(reporter.memory, "DataGrid/100000") - at(reporter.memory, "DataGrid/10000")) / 90;
    const double perRowView =
        (at(reporter.memory, "BareView/100000") - at(reporter.memory, "BareView/10000")) / 90;
    std::printf(
        "growth per 1000 rows: grid %.1f kB, of which the view's own row header %.1f kB: the grid's own "
        "data %.1f kB%s\n",
        perRowGrid, perRowView, perRowGrid - perRowView, perRowGrid - perRowView > 1 ? "  GROWS" : "");
    std::error_code ec;
    fs::remove_all(Folder(), ec);
    benchmark::Shutdown();
    return 0;
}
