// Time from process start to the main window shown: the program's first start in a folder whose tables
// do not exist yet, a later start on the same tables, and a trivial Qt program that shows one window, in
// one run. Each sample is a fresh process (this program started again as a child), which reports the
// time from just before its start to its first window shown, on the system-wide monotonic clock.
#include "app/shell/ScriptedDialogs.h"
#include "app/tables/StageFolder.h"
#include "program/Startup.h"
#include "program/WinGlavna.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Child side: prints the nanoseconds since PLOM_BENCH_T0 when the window shows, then ends.
void ReportShown() {
    const std::int64_t t0 = std::atoll(std::getenv("PLOM_BENCH_T0"));
    std::printf("%lld\n", static_cast<long long>(NowNs() - t0));
    std::fflush(stdout);
}

int ChildTrivial(int argc, char** argv) {
    QApplication qt(argc, argv);
    QWidget w;
    w.resize(420, 390);
    w.show();
    QTimer::singleShot(0, &w, [&] {
        ReportShown();
        w.close();
        QApplication::quit();
    });
    return QApplication::exec();
}

int ChildProgram(int argc, char** argv, const char* folder) {
    QApplication qt(argc, argv);
    app::ScriptedDialogs dialogs; // a first start reports the missing own company
    return app::RunProgram(folder, [](app::TWinGlavna& w) {
        ReportShown();
        w.Close();
    });
}

// Starts this program with the arguments and returns the child's reported seconds.
double SpawnSample(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string self = fs::read_symlink("/proc/self/exe").string();
    argv.push_back(self.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("PLOM_BENCH_T0", std::to_string(NowNs()).c_str(), 1);
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ) != 0) std::abort();
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (text.empty()) std::abort();
    return static_cast<double>(std::atoll(text.c_str())) / 1e9;
}

double trivialMean = 0;

void Report(benchmark::State& state, double total) {
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["ms"] = mean * 1e3;
    if (trivialMean > 0) state.counters["vs_trivial_window"] = mean / trivialMean;
}

void BM_TrivialWindow(benchmark::State& state) {
    double total = 0;
    for (auto _ : state) {
        const double s = SpawnSample({"--trivial"});
        state.SetIterationTime(s);
        total += s;
    }
    trivialMean = total / static_cast<double>(state.iterations());
    Report(state, total);
}

void BM_FirstStart(benchmark::State& state) {
    double total = 0;
    int round = 0;
    const fs::path base = fs::temp_directory_path() / ("plom-startup-" + std::to_string(getpid()));
    for (auto _ : state) {
        const fs::path folder = base / std::to_string(round++);
        app::StageOptions o;
        o.Tables = false;
        app::StageProgramFolder(folder, o);
        const double s = SpawnSample({"--program", folder.string()});
        state.SetIterationTime(s);
        total += s;
    }
    fs::remove_all(base);
    Report(state, total);
}

void BM_LaterStart(benchmark::State& state) {
    const fs::path folder = fs::temp_directory_path() / ("plom-startup-later-" + std::to_string(getpid()));
    app::StageProgramFolder(folder);
    SpawnSample({"--program", folder.string()});
    double total = 0;
    for (auto _ : state) {
        const double s = SpawnSample({"--program", folder.string()});
        state.SetIterationTime(s);
        total += s;
    }
    fs::remove_all(folder);
    Report(state, total);
}

BENCHMARK(BM_TrivialWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_FirstStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_LaterStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "--trivial") return ChildTrivial(argc, argv);
    if (argc >= 3 && std::string(argv[1]) == "--program") return ChildProgram(argc, argv, argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
