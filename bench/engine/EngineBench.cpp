// The table engine against SQLite on the same data, in one run; prints each ratio
// engine/SQLite. Targets: lookup by primary key <= 0.5, by name and walk <= 1.0, one-row post + save <= 2.0,
// inserts with 1-3 KB memos <= 2.0, open to the first row <= 3.0, resident memory after open and 1,000
// lookups <= 0.25x its files, and a post + save that follows another process's post <= 3x a post + save of
// one process alone.
//
// SQLite writes with its own durable defaults (rollback journal deleted at commit, synchronous=FULL), as
// every engine write survives a power cut; WAL with synchronous=FULL, durable too, is shown beside the
// one-row post for information. WAL with synchronous=NORMAL is not compared: a power cut may take its
// last commits away.
//
// `--repetitions=N` (5 by default) sets how often each compared benchmark runs. `--rows=N` sets the table
// size (100,000 by default; the row-by-row insert stays at 100,000). The tables are prepared without syncing
// to disk, the engine's many rows a write (only the measured writes sync), so a size of 1,000,000 prepares in
// a few minutes. The block cache has its default size throughout.
// `--folder=PATH` keeps the prepared tables in PATH and, when they are already there, measures them again
// without preparing (the measured writes change rows but never their number).
//
// So that the figures reproduce on a loaded machine: before measuring, every file of both sides is read once
// (the page cache is warm: no figure includes a disk read, only the copying from the page cache that each
// side's own cache does not spare it). The compared benchmarks run `Repetitions` times, each repetition at
// least half a second, engine and SQLite in turns, and a ratio is of the fastest repetitions (another
// process's load only ever adds time); the ratio of the medians is printed beside it, and the spread of each
// side's repetitions (slowest / fastest). What each figure times:
//   point lookup: one search by a random key and every field of the row read (the engine decodes the row,
//     SQLite's columns are read), per lookup; the engine's block cache (8 MiB) and SQLite's page cache (2
//     MiB) have their default sizes, so at a million rows most lookups read their block or page from the page
//     cache;
//   one-row post + save: a search, the new values of one row written and made durable (the engine's two
//     syncs, SQLite's commit with synchronous=FULL), per post; the syncs take most of it, and how long a sync
//     takes is the disk's (and the other processes' writes'): the spread shows it;
//   open and walk, open to the first row: from nothing open to the rows read; walk: every row read once.
// Earlier figures did not reproduce for three reasons, all in what was timed: SQLite's file was not in the
// page cache (its lookups waited on the disk, the engine's read what it had just written), every run started
// its random keys afresh (the benchmark library runs a function several times to choose its iteration count:
// each run looked up the keys of the one before, which the engine's larger cache still held), and every run
// posted the values of the one before (an edit that stores what the row holds writes nothing, so many of the
// engine's posts synced nothing, while SQLite's committed all the same).
#include "base/FileSystem.h"
#include "engine/Engine.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace engine;

int BulkRows = 100000;
int PostRows = 100000;

fs::path g_folder;

// Row i of the benchmark data: 10 fields, a key, two indexed texts (one searched case-insensitively).
struct Data {
    std::int64_t Code;
    std::string Sifra, Naziv;
    double Cijena;
    std::int64_t Kolicina, Grupa;
    bool Aktivan;
    std::int32_t Datum;
    std::string Mjesto, Napomena;
};

Data Make(int i) {
    return {i + 1,
            "S" + std::to_string(i * 7919 % 1000003),
            "Artikl broj " + std::to_string(i) + " šifra",
            i * 0.25,
            i % 1000,
            i % 37,
            i % 2 == 0,
            730000 + i % 3000,
            "Zagreb " + std::to_string(i % 100),
            "napomena"};
}

Row ToRow(const Data& d) {
    return {Value::Int(d.Code),     Value::Text(d.Sifra),   Value::Text(d.Naziv),   Value::Float(d.Cijena),
            Value::Int(d.Kolicina), Value::Int(d.Grupa),    Value::Bool(d.Aktivan), Value::Date(d.Datum),
            Value::Text(d.Mjesto),  Value::Text(d.Napomena)};
}

void CreateEngineTable(const std::string& name) {
    CreateTable(g_folder, name,
                {{"Code", FieldType::Long, 0, false},
                 {"Sifra", FieldType::Alpha, 10, false},
                 {"Naziv", FieldType::Alpha, 40, false},
                 {"Cijena", FieldType::Number, 0, false},
                 {"Kolicina", FieldType::Long, 0, false},
                 {"Grupa", FieldType::Short, 0, false},
                 {"Aktivan", FieldType::Logical, 0, false},
                 {"Datum", FieldType::Date, 0, false},
                 {"Mjesto", FieldType::Alpha, 20, false},
                 {"Napomena", FieldType::Alpha, 30, false}});
    auto t = Table::Open(g_folder, name, OpenMode::Exclusive);
    t->AddIndex({"", "Code", true, true, false, false});
    t->AddIndex({"_Sifra", "Sifra", false, false, false, false});
    t->AddIndex({"_Naziv", "Naziv", false, false, true, false});
}

void FillEngine(const std::string& name, int rows) {
    CreateEngineTable(name);
    auto t = Table::Open(g_folder, name, OpenMode::Shared);
    auto c = t->OpenCursor();
    for (int i = 0; i < rows; ++i)
        c->Insert(ToRow(Make(i)));
    t->SaveChanges();
}

// The measured tables, put in place many rows a write (a million rows one by one take a quarter of an hour).
void PrepareEngine(const std::string& name, int rows) {
    CreateEngineTable(name);
    auto t = Table::Open(g_folder, name, OpenMode::Shared);
    constexpr int Batch = 20000;
    for (int from = 0; from < rows; from += Batch) {
        std::vector<Row> batch;
        for (int i = from; i < std::min(rows, from + Batch); ++i)
            batch.push_back(ToRow(Make(i)));
        t->ReplaceRows({Value::Int(from + 1)}, {Value::Int(from + Batch)}, batch);
    }
}

// ------------------------------------------------------------------------------------------------ SQLite

// How SQLite commits: durable by its defaults, durable through its write-ahead log, or not synced at all
// (only for preparing throwaway tables, as the engine's are prepared without syncing).
enum class Commits { Defaults, Wal, Unsynced };

struct Db {
    sqlite3* H = nullptr;
    explicit Db(const fs::path& file, Commits commits = Commits::Defaults) {
        sqlite3_open(file.c_str(), &H);
        Exec(commits == Commits::Wal ? "PRAGMA journal_mode=WAL" : "PRAGMA journal_mode=DELETE");
        Exec(commits == Commits::Unsynced ? "PRAGMA synchronous=OFF" : "PRAGMA synchronous=FULL");
    }
    ~Db() { sqlite3_close(H); }
    void Exec(const char* sql) { sqlite3_exec(H, sql, nullptr, nullptr, nullptr); }
};

struct Stmt {
    sqlite3_stmt* S = nullptr;
    Stmt(Db& db, const char* sql) { sqlite3_prepare_v2(db.H, sql, -1, &S, nullptr); }
    ~Stmt() { sqlite3_finalize(S); }
};

void CreateSqlite(Db& db) {
    db.Exec("DROP TABLE IF EXISTS roba");
    db.Exec(
        "CREATE TABLE roba (Code INTEGER PRIMARY KEY, Sifra TEXT, Naziv TEXT, Cijena REAL, Kolicina INTEGER, "
        "Grupa INTEGER, Aktivan INTEGER, Datum INTEGER, Mjesto TEXT, Napomena TEXT)");
    db.Exec("CREATE INDEX roba_sifra ON roba (Sifra)");
    db.Exec("CREATE INDEX roba_naziv ON roba (Naziv COLLATE NOCASE)");
}

void BindRow(sqlite3_stmt* s, const Data& d) {
    sqlite3_bind_int64(s, 1, d.Code);
    sqlite3_bind_text(s, 2, d.Sifra.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 3, d.Naziv.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(s, 4, d.Cijena);
    sqlite3_bind_int64(s, 5, d.Kolicina);
    sqlite3_bind_int64(s, 6, d.Grupa);
    sqlite3_bind_int(s, 7, d.Aktivan);
    sqlite3_bind_int(s, 8, d.Datum);
    sqlite3_bind_text(s, 9, d.Mjesto.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 10, d.Napomena.c_str(), -1, SQLITE_TRANSIENT);
}

// Each row its own transaction, as each engine insert is a finished, kill-safe write.
void FillSqlite(const fs::path& file, int rows, Commits commits = Commits::Defaults) {
    fs::remove(file);
    Db db(file, commits);
    CreateSqlite(db);
    Stmt ins(db, "INSERT INTO roba VALUES (?,?,?,?,?,?,?,?,?,?)");
    for (int i = 0; i < rows; ++i) {
        BindRow(ins.S, Make(i));
        sqlite3_step(ins.S);
        sqlite3_reset(ins.S);
    }
}

// Reads every column of the current SQLite row, as the engine decodes every field.
std::size_t ReadColumns(sqlite3_stmt* s) {
    std::size_t n = 0;
    for (int k = 0; k < 10; ++k) {
        switch (sqlite3_column_type(s, k)) {
        case SQLITE_TEXT:
            n += std::strlen(reinterpret_cast<const char*>(sqlite3_column_text(s, k)));
            break;
        case SQLITE_FLOAT:
            n += static_cast<std::size_t>(sqlite3_column_double(s, k));
            break;
        default:
            n += static_cast<std::size_t>(sqlite3_column_int64(s, k));
        }
    }
    return n;
}

std::size_t ReadRow(const Row& r) {
    std::size_t n = 0;
    for (const Value& v : r) {
        if (v.IsText())
            n += v.AsText().size();
        else if (v.IsInt())
            n += static_cast<std::size_t>(v.AsInt());
        else if (v.IsFloat())
            n += static_cast<std::size_t>(v.AsFloat());
    }
    return n;
}

// Each benchmark's random keys go on from where its last run left them (a generator of its own that is never
// reset): a run never repeats the keys of the run before it, whose blocks or pages a cache may still hold.
//
// Text that no post wrote before, in this process or an earlier one on kept tables: an edit that would store
// what the row already holds writes nothing (the engine then skips the journal and the syncs).
std::string Fresh(std::mt19937& rng) {
    static const std::string nonce =
        std::to_string(::getpid()) + "." + std::to_string(std::random_device()() % 100000);
    return std::to_string(rng()) + " " + nonce;
}

// ------------------------------------------------------------------------------------------------ memos

constexpr int MemoRows = 100000;

// Row i's memo: 1 to 3 KB of text, different for every row.
std::string MemoText(int i) {
    const std::size_t length = 1000 + static_cast<std::size_t>(i) * 7919 % 2001;
    std::string text = "Napomena " + std::to_string(i) + ": ";
    while (text.size() < length)
        text += "prozor PVC 1200x1400 okov staklo ";
    text.resize(length);
    return text;
}

void FillEngineMemos(const std::string& name, int rows) {
    CreateTable(g_folder, name,
                {{"Code", FieldType::Long, 0, false},
                 {"Naziv", FieldType::Alpha, 40, false},
                 {"Opis", FieldType::Memo, 30, false}});
    auto t = Table::Open(g_folder, name, OpenMode::Exclusive);
    t->AddIndex({"", "Code", true, true, false, false});
    auto c = t->OpenCursor();
    for (int i = 0; i < rows; ++i)
        c->Insert({Value::Int(i + 1), Value::Text("Artikl " + std::to_string(i)), Value::Text(MemoText(i))});
    t->SaveChanges();
}

void FillSqliteMemos(const fs::path& file, int rows) {
    fs::remove(file);
    Db db(file);
    db.Exec("CREATE TABLE nalog (Code INTEGER PRIMARY KEY, Naziv TEXT, Opis TEXT)");
    Stmt ins(db, "INSERT INTO nalog VALUES (?,?,?)");
    for (int i = 0; i < rows; ++i) {
        const std::string naziv = "Artikl " + std::to_string(i), opis = MemoText(i);
        sqlite3_bind_int64(ins.S, 1, i + 1);
        sqlite3_bind_text(ins.S, 2, naziv.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins.S, 3, opis.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(ins.S);
        sqlite3_reset(ins.S);
    }
}

void MemoInsert_Engine(benchmark::State& state) {
    for (auto _ : state) {
        FillEngineMemos("MEMO.DB", MemoRows);
        state.PauseTiming();
        DeleteTable(g_folder, "MEMO.DB");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * MemoRows);
}

void MemoInsert_Sqlite(benchmark::State& state) {
    for (auto _ : state)
        FillSqliteMemos(g_folder / "memo.sqlite", MemoRows);
    state.SetItemsProcessed(state.iterations() * MemoRows);
    fs::remove(g_folder / "memo.sqlite");
    fs::remove(g_folder / "memo.sqlite-wal");
    fs::remove(g_folder / "memo.sqlite-shm");
}

// ------------------------------------------------------------------------------------------------ benchmarks

// Row by row, each a synced write: at most 100,000 rows, whatever the size of the other tables.
int BulkInsertRows() {
    return std::min(BulkRows, 100000);
}

void BulkInsert_Engine(benchmark::State& state) {
    for (auto _ : state)
        FillEngine("BULK.DB", BulkInsertRows());
    state.SetItemsProcessed(state.iterations() * BulkInsertRows());
}

void BulkInsert_Sqlite(benchmark::State& state) {
    for (auto _ : state)
        FillSqlite(g_folder / "bulk.sqlite", BulkInsertRows());
    state.SetItemsProcessed(state.iterations() * BulkInsertRows());
}

void LookupPrimary_Engine(benchmark::State& state) {
    auto t = Table::Open(g_folder, "WALK.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    static std::mt19937 rng(1);
    std::size_t sum = 0;
    for (auto _ : state) {
        if (c->FindKey({Value::Int(1 + rng() % BulkRows)})) sum += ReadRow(c->Read());
    }
    benchmark::DoNotOptimize(sum);
}

void LookupPrimary_Sqlite(benchmark::State& state) {
    Db db(g_folder / "walk.sqlite");
    Stmt q(db, "SELECT * FROM roba WHERE Code = ?");
    static std::mt19937 rng(1);
    std::size_t sum = 0;
    for (auto _ : state) {
        sqlite3_bind_int64(q.S, 1, 1 + rng() % BulkRows);
        if (sqlite3_step(q.S) == SQLITE_ROW) sum += ReadColumns(q.S);
        sqlite3_reset(q.S);
    }
    benchmark::DoNotOptimize(sum);
}

void LookupCaseInsensitive_Engine(benchmark::State& state) {
    auto t = Table::Open(g_folder, "WALK.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    c->SetIndex(c->FindIndexByName("_Naziv"));
    // The order's first use, as SQLite's index, comes before the lookups: it reads the table once when no
    // order is stored for its present state (measured apart, below).
    c->FindKey({Value::Text("ARTIKL BROJ 0 ŠIFRA")});
    static std::mt19937 rng(2);
    std::size_t sum = 0;
    for (auto _ : state) {
        std::string name = "ARTIKL BROJ " + std::to_string(rng() % BulkRows) + " ŠIFRA";
        if (c->FindKey({Value::Text(std::move(name))})) sum += ReadRow(c->Read());
    }
    benchmark::DoNotOptimize(sum);
}

// Opening the table and finding one row by name: with the order stored, stored with a few writes logged
// after it (each round a row put in and taken out and a rename and back), and with none (a write of more
// rows than the log takes cut it off).
enum class Before { Nothing, LoggedWrites, BigWrite };

void FirstLookupByName(benchmark::State& state, Before before) {
    static std::mt19937 rng(4);
    std::size_t sum = 0;
    for (auto _ : state) {
        if (before != Before::Nothing) {
            state.PauseTiming();
            {
                auto t = Table::Open(g_folder, "WALK.DB", OpenMode::Shared);
                auto c = t->OpenCursor();
                if (before == Before::LoggedWrites) {
                    Data changed = Make(0);
                    changed.Naziv += " novi";
                    c->FindKey({Value::Int(1)});
                    c->Modify(ToRow(changed));
                    c->Modify(ToRow(Make(0)));
                    Data added = Make(BulkRows);
                    c->Insert(ToRow(added));
                    c->Delete();
                } else {
                    std::vector<Row> rows;
                    for (int i = 0; i < 2100; ++i)
                        rows.push_back(ToRow(Make(i)));
                    t->ReplaceRows({Value::Int(1)}, {Value::Int(2100)}, rows);
                }
            }
            state.ResumeTiming();
        }
        auto t = Table::Open(g_folder, "WALK.DB", OpenMode::Shared);
        auto c = t->OpenCursor();
        c->SetIndex(c->FindIndexByName("_Naziv"));
        std::string name = "ARTIKL BROJ " + std::to_string(rng() % BulkRows) + " ŠIFRA";
        if (c->FindKey({Value::Text(std::move(name))})) sum += ReadRow(c->Read());
    }
    benchmark::DoNotOptimize(sum);
}

void FirstLookupByName_Stored(benchmark::State& state) {
    FirstLookupByName(state, Before::Nothing);
}

void FirstLookupByName_Logged(benchmark::State& state) {
    FirstLookupByName(state, Before::LoggedWrites);
}

void FirstLookupByName_Made(benchmark::State& state) {
    FirstLookupByName(state, Before::BigWrite);
}

void FirstLookupByName_Sqlite(benchmark::State& state) {
    static std::mt19937 rng(4);
    std::size_t sum = 0;
    for (auto _ : state) {
        Db db(g_folder / "walk.sqlite");
        Stmt q(db, "SELECT * FROM roba WHERE Naziv = ? COLLATE NOCASE");
        std::string name = "ARTIKL BROJ " + std::to_string(rng() % BulkRows) + " šifra";
        sqlite3_bind_text(q.S, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(q.S) == SQLITE_ROW) sum += ReadColumns(q.S);
    }
    benchmark::DoNotOptimize(sum);
}

void LookupCaseInsensitive_Sqlite(benchmark::State& state) {
    Db db(g_folder / "walk.sqlite");
    Stmt q(db, "SELECT * FROM roba WHERE Naziv = ? COLLATE NOCASE");
    static std::mt19937 rng(2);
    std::size_t sum = 0;
    for (auto _ : state) {
        // SQLite's NOCASE folds ASCII only; the name's own "šifra" is passed as stored.
        std::string name = "ARTIKL BROJ " + std::to_string(rng() % BulkRows) + " šifra";
        sqlite3_bind_text(q.S, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(q.S) == SQLITE_ROW) sum += ReadColumns(q.S);
        sqlite3_reset(q.S);
    }
    benchmark::DoNotOptimize(sum);
}

void PostAndSave_Engine(benchmark::State& state) {
    auto t = Table::Open(g_folder, "POST.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    static std::mt19937 rng(3);
    for (auto _ : state) {
        const int i = static_cast<int>(rng() % PostRows);
        if (!c->FindKey({Value::Int(i + 1)})) state.SkipWithError("row not found");
        Data d = Make(i);
        d.Naziv = "Izmijenjen " + Fresh(rng);
        d.Cijena += 1;
        c->Modify(ToRow(d));
        t->SaveChanges();
    }
}

void PostAndSave(benchmark::State& state, Commits commits) {
    Db db(g_folder / "post.sqlite", commits);
    Stmt u(db, "UPDATE roba SET Sifra=?2, Naziv=?3, Cijena=?4, Kolicina=?5, Grupa=?6, Aktivan=?7, Datum=?8, "
               "Mjesto=?9, Napomena=?10 WHERE Code=?1");
    static std::mt19937 rng(3);
    for (auto _ : state) {
        const int i = static_cast<int>(rng() % PostRows);
        Data d = Make(i);
        d.Naziv = "Izmijenjen " + Fresh(rng);
        d.Cijena += 1;
        BindRow(u.S, d);
        sqlite3_step(u.S);
        sqlite3_reset(u.S);
    }
    if (commits == Commits::Wal) {
        // Back to the rollback journal for the runs that follow.
        db.Exec("PRAGMA journal_mode=DELETE");
    }
}

void PostAndSave_Sqlite(benchmark::State& state) {
    PostAndSave(state, Commits::Defaults);
}

void PostAndSave_SqliteWal(benchmark::State& state) {
    PostAndSave(state, Commits::Wal);
}

// A second process that posts one row of POST.DB for each byte on its stdin, answering a byte when done.
int RunPoster(const fs::path& folder) {
    auto t = Table::Open(folder, "POST.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    std::mt19937 rng(4);
    char cmd = 0;
    while (::read(STDIN_FILENO, &cmd, 1) == 1) {
        const int i = static_cast<int>(rng() % static_cast<unsigned>(PostRows));
        if (c->FindKey({Value::Int(i + 1)})) {
            Data d = Make(i);
            d.Naziv = "Druga stanica " + Fresh(rng);
            c->Modify(ToRow(d));
            t->SaveChanges();
        }
        if (::write(STDOUT_FILENO, &cmd, 1) != 1) return 1;
    }
    return 0;
}

// Each post + save of this process follows one post of the other process (not timed).
void PostAfterOther_Engine(benchmark::State& state) {
    int toChild[2], fromChild[2];
    if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) return state.SkipWithError("pipe");
    const std::string exe = fs::read_symlink("/proc/self/exe").string();
    const std::string rows = "--rows=" + std::to_string(PostRows);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(toChild[0], STDIN_FILENO);
        ::dup2(fromChild[1], STDOUT_FILENO);
        ::close(toChild[1]);
        ::close(fromChild[0]);
        ::execl(exe.c_str(), exe.c_str(), "--poster", g_folder.c_str(), rows.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    auto t = Table::Open(g_folder, "POST.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    static std::mt19937 rng(5);
    for (auto _ : state) {
        char b = 'p';
        if (::write(toChild[1], &b, 1) != 1 || ::read(fromChild[0], &b, 1) != 1)
            return state.SkipWithError("poster");
        const auto start = std::chrono::steady_clock::now();
        const int i = static_cast<int>(rng() % static_cast<unsigned>(PostRows));
        if (!c->FindKey({Value::Int(i + 1)})) state.SkipWithError("row not found");
        Data d = Make(i);
        d.Naziv = "Izmijenjen " + Fresh(rng);
        c->Modify(ToRow(d));
        t->SaveChanges();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    ::close(toChild[1]);
    ::close(fromChild[0]);
    ::waitpid(pid, nullptr, 0);
}

void Open_Engine(benchmark::State& state) {
    std::size_t sum = 0;
    for (auto _ : state) {
        auto t = Table::Open(g_folder, "WALK.DB", OpenMode::Shared);
        auto c = t->OpenCursor();
        for (c->First(); c->OnRow(); c->Next())
            sum += ReadRow(c->Read());
    }
    benchmark::DoNotOptimize(sum);
}

void Open_Sqlite(benchmark::State& state) {
    std::size_t sum = 0;
    for (auto _ : state) {
        Db db(g_folder / "walk.sqlite");
        Stmt q(db, "SELECT * FROM roba ORDER BY Code");
        while (sqlite3_step(q.S) == SQLITE_ROW)
            sum += ReadColumns(q.S);
    }
    benchmark::DoNotOptimize(sum);
}

void OpenFirstRow_Engine(benchmark::State& state) {
    std::size_t sum = 0;
    for (auto _ : state) {
        auto t = Table::Open(g_folder, "WALK.DB", OpenMode::Shared);
        auto c = t->OpenCursor();
        c->First();
        sum += ReadRow(c->Read());
    }
    benchmark::DoNotOptimize(sum);
}

void OpenFirstRow_Sqlite(benchmark::State& state) {
    std::size_t sum = 0;
    for (auto _ : state) {
        Db db(g_folder / "walk.sqlite");
        Stmt q(db, "SELECT * FROM roba ORDER BY Code");
        if (sqlite3_step(q.S) == SQLITE_ROW) sum += ReadColumns(q.S);
    }
    benchmark::DoNotOptimize(sum);
}

void Walk_Engine(benchmark::State& state) {
    auto t = Table::Open(g_folder, "WALK.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    std::size_t sum = 0;
    for (auto _ : state)
        for (c->First(); c->OnRow(); c->Next())
            sum += ReadRow(c->Read());
    benchmark::DoNotOptimize(sum);
}

void Walk_Sqlite(benchmark::State& state) {
    Db db(g_folder / "walk.sqlite");
    Stmt q(db, "SELECT * FROM roba ORDER BY Code");
    std::size_t sum = 0;
    for (auto _ : state) {
        while (sqlite3_step(q.S) == SQLITE_ROW)
            sum += ReadColumns(q.S);
        sqlite3_reset(q.S);
    }
    benchmark::DoNotOptimize(sum);
}

// A list of 2,000 rows under one order number put in place of the previous one, each repetition on the same
// table: row by row (every delete and insert its own synced write), and as one write. Each repetition is
// reported on its own, so a run that grows slower with every repeat shows.
constexpr int ListRows = 2000;

std::vector<Row> ListOf(int order, int run) {
    std::vector<Row> rows;
    for (int i = 1; i <= ListRows; ++i)
        rows.push_back({Value::Int(order), Value::Int(i), Value::Int(run * 7 + i % 97), Value::Int(i % 500)});
    return rows;
}

std::unique_ptr<Table> ListTable(const std::string& name) {
    if (!TableExists(g_folder, name)) {
        CreateTable(g_folder, name,
                    {{"RadniNalog", FieldType::Long, 0, false},
                     {"Rbr", FieldType::Short, 0, false},
                     {"Artikl", FieldType::Long, 0, false},
                     {"Duzina", FieldType::Short, 0, false}});
        auto t = Table::Open(g_folder, name, OpenMode::Exclusive);
        t->AddIndex({"", "RadniNalog;Rbr", true, true, false, false});
        // Other orders' lists on both sides of the one replaced.
        base::SetDiskSync(false);
        t->ReplaceRows({}, {}, ListOf(1, 0));
        t->ReplaceRows({Value::Int(3)}, {Value::Int(3)}, ListOf(3, 0));
        base::SetDiskSync(true);
    }
    return Table::Open(g_folder, name, OpenMode::Shared);
}

void ReplaceList_RowByRow(benchmark::State& state) {
    auto t = ListTable("LISTA1.DB");
    auto c = t->OpenCursor();
    static int run = 0;
    for (auto _ : state) {
        ++run;
        c->SetRange({Value::Int(2)}, {Value::Int(2)});
        for (c->First(); c->OnRow();)
            c->Delete();
        c->CancelRange();
        for (const Row& r : ListOf(2, run))
            c->Insert(r);
    }
    state.counters["dbKiB"] = static_cast<double>(fs::file_size(g_folder / "LISTA1.DB") / 1024);
}

void ReplaceList_OneWrite(benchmark::State& state) {
    auto t = ListTable("LISTA2.DB");
    static int run = 0;
    for (auto _ : state) {
        ++run;
        t->ReplaceRows({Value::Int(2)}, {Value::Int(2)}, ListOf(2, run));
    }
    state.counters["dbKiB"] = static_cast<double>(fs::file_size(g_folder / "LISTA2.DB") / 1024);
}

// Collects each run's time per iteration (every repetition) to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            std::string name = r.benchmark_name();
            name = name.substr(0, name.find('/'));
            // Per iteration, in the same unit for both sides of a ratio.
            runs_[name].push_back(r.GetAdjustedRealTime());
        }
    }
    // The fastest repetition (0 when none ran).
    double Min(const std::string& name) const {
        const auto it = runs_.find(name);
        return it == runs_.end() ? 0 : *std::min_element(it->second.begin(), it->second.end());
    }
    double Median(const std::string& name) const {
        const auto it = runs_.find(name);
        if (it == runs_.end()) return 0;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    // Slowest / fastest repetition.
    double Spread(const std::string& name) const {
        const auto it = runs_.find(name);
        if (it == runs_.end()) return 0;
        const auto [lo, hi] = std::minmax_element(it->second.begin(), it->second.end());
        return *lo > 0 ? *hi / *lo : 0;
    }

private:
    std::map<std::string, std::vector<double>> runs_;
};

long ResidentKb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

// Run in a fresh process: resident memory added by opening and walking the table.
int MeasureMemory(const fs::path& folder) {
    const long before = ResidentKb();
    auto t = Table::Open(folder, "WALK.DB", OpenMode::Shared);
    auto c = t->OpenCursor();
    for (int index = -1; index < 3; ++index) { // every order built
        c->SetIndex(index);
        for (c->First(); c->OnRow(); c->Next())
            c->Read();
    }
    std::printf("%ld\n", ResidentKb() - before);
    return 0;
}

// Run in a fresh process: resident memory added by opening a table of `rows` rows keyed 1, 2, ... and reading
// 1,000 random rows (WALK.DB; MEMOS.DB, 100,000 rows with 1-3 KB memos, with their texts).
int MeasureLookupMemory(const fs::path& folder, const char* table, int rows, std::uint32_t seed) {
    const long before = ResidentKb();
    auto t = Table::Open(folder, table, OpenMode::Shared);
    auto c = t->OpenCursor();
    std::mt19937 rng(seed);
    std::size_t sum = 0;
    for (int i = 0; i < 1000; ++i)
        if (c->FindKey({Value::Int(1 + rng() % static_cast<unsigned>(rows))})) sum += ReadRow(c->Read());
    benchmark::DoNotOptimize(sum);
    std::printf("%ld\n", ResidentKb() - before);
    return 0;
}

} // namespace

namespace {

// Repetitions of each compared benchmark; engine and SQLite take turns.
int Repetitions = 5;

using BenchFn = void (*)(benchmark::State&);

void Once(const char* name, BenchFn fn, benchmark::TimeUnit unit, int iterations = 0) {
    auto* b = benchmark::RegisterBenchmark(name, fn)->Unit(unit);
    if (iterations > 0) b->Iterations(iterations);
}

// Engine and SQLite in turns, `Repetitions` times each (the extra function, when given, takes its turn too).
void InTurns(const char* name, BenchFn engine, BenchFn sqlite, benchmark::TimeUnit unit,
             const char* extraName = nullptr, BenchFn extra = nullptr) {
    const std::string e = std::string(name) + "_Engine", q = std::string(name) + "_Sqlite";
    for (int i = 0; i < Repetitions; ++i) {
        // Half a second of real time each: a post's syncs wait without using the processor.
        benchmark::RegisterBenchmark(e.c_str(), engine)->Unit(unit)->MinTime(0.5)->UseRealTime();
        benchmark::RegisterBenchmark(q.c_str(), sqlite)->Unit(unit)->MinTime(0.5)->UseRealTime();
        if (extra != nullptr)
            benchmark::RegisterBenchmark(extraName, extra)->Unit(unit)->MinTime(0.5)->UseRealTime();
    }
}

void RegisterAll() {
    using benchmark::kMicrosecond;
    using benchmark::kMillisecond;
    Once("BulkInsert_Engine", BulkInsert_Engine, kMillisecond, 1);
    Once("BulkInsert_Sqlite", BulkInsert_Sqlite, kMillisecond, 1);
    Once("MemoInsert_Engine", MemoInsert_Engine, kMillisecond, 1);
    Once("MemoInsert_Sqlite", MemoInsert_Sqlite, kMillisecond, 1);
    InTurns("LookupPrimary", LookupPrimary_Engine, LookupPrimary_Sqlite, kMicrosecond);
    InTurns("LookupCaseInsensitive", LookupCaseInsensitive_Engine, LookupCaseInsensitive_Sqlite,
            kMicrosecond);
    Once("FirstLookupByName_Stored", FirstLookupByName_Stored, kMillisecond);
    Once("FirstLookupByName_Logged", FirstLookupByName_Logged, kMillisecond, 50);
    Once("FirstLookupByName_Made", FirstLookupByName_Made, kMillisecond, 3);
    Once("FirstLookupByName_Sqlite", FirstLookupByName_Sqlite, kMillisecond);
    InTurns("PostAndSave", PostAndSave_Engine, PostAndSave_Sqlite, kMicrosecond, "PostAndSave_SqliteWal",
            PostAndSave_SqliteWal);
    for (int i = 0; i < Repetitions; ++i)
        benchmark::RegisterBenchmark("PostAfterOther_Engine", PostAfterOther_Engine)
            ->Unit(kMicrosecond)
            ->MinTime(0.5)
            ->UseManualTime();
    InTurns("Open", Open_Engine, Open_Sqlite, kMillisecond);
    InTurns("OpenFirstRow", OpenFirstRow_Engine, OpenFirstRow_Sqlite, kMillisecond);
    InTurns("Walk", Walk_Engine, Walk_Sqlite, kMillisecond);
    for (int i = 0; i < 4; ++i)
        Once("ReplaceList_RowByRow", ReplaceList_RowByRow, kMillisecond, 1);
    for (int i = 0; i < 4; ++i)
        Once("ReplaceList_OneWrite", ReplaceList_OneWrite, kMillisecond, 1);
}

// Reads every file of the folder once, so that no measured figure includes a read from the disk.
void WarmPageCache(const fs::path& folder) {
    std::vector<char> buffer(1 << 20);
    for (const auto& e : fs::directory_iterator(folder)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    // Our own options first; the rest goes to the benchmark library.
    std::vector<char*> rest;
    std::string keep;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--folder=", 9) == 0) {
            keep = argv[i] + 9;
            continue;
        }
        if (std::strncmp(argv[i], "--repetitions=", 14) == 0) {
            Repetitions = std::max(1, std::atoi(argv[i] + 14));
            continue;
        }
        if (std::strncmp(argv[i], "--rows=", 7) == 0) {
            BulkRows = PostRows = std::max(1000, std::atoi(argv[i] + 7));
            continue;
        }
        rest.push_back(argv[i]);
    }
    argc = static_cast<int>(rest.size());
    argv = rest.data();
    if (argc == 3 && std::strcmp(argv[1], "--memory") == 0) return MeasureMemory(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--lookup-memory") == 0)
        return MeasureLookupMemory(argv[2], "WALK.DB", BulkRows, 6);
    if (argc == 3 && std::strcmp(argv[1], "--memo-memory") == 0)
        return MeasureLookupMemory(argv[2], "MEMOS.DB", MemoRows, 7);
    if (argc == 3 && std::strcmp(argv[1], "--poster") == 0) return RunPoster(argv[2]);
    char pattern[] = "/tmp/plom-bench-XXXXXX";
    g_folder = keep.empty() ? fs::path(::mkdtemp(pattern)) : fs::path(keep);
    const fs::path ready = g_folder / ("prepared-" + std::to_string(BulkRows));
    if (!fs::exists(ready)) {
        std::printf("Preparing tables of %d rows in %s ...\n", BulkRows, g_folder.c_str());
        std::fflush(stdout);
        fs::create_directories(g_folder);
        for (const char* name : {"WALK.DB", "POST.DB"})
            if (TableExists(g_folder, name)) DeleteTable(g_folder, name);
        base::SetDiskSync(false); // throwaway data; the measured writes below sync again
        PrepareEngine("WALK.DB", BulkRows);
        FillSqlite(g_folder / "walk.sqlite", BulkRows, Commits::Unsynced);
        PrepareEngine("POST.DB", PostRows);
        FillSqlite(g_folder / "post.sqlite", PostRows, Commits::Unsynced);
        base::SetDiskSync(true);
        if (!keep.empty()) std::ofstream(ready).put('\n');
    }

    WarmPageCache(g_folder);
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf(
        "\nengine / SQLite: fastest repetitions, medians, and each side's slowest / fastest (target):\n");
    std::printf("  (%d rows, %d repetitions, page cache warm)\n", BulkRows, Repetitions);
    auto line = [&](const char* label, const std::string& e, const std::string& s, const char* target) {
        const double fe = reporter.Min(e), fs = reporter.Min(s);
        if (fe <= 0 || fs <= 0) return;
        std::printf("  %-46s %6.2f  median %6.2f  spread %4.2f / %4.2f   %s\n", label, fe / fs,
                    reporter.Median(e) / reporter.Median(s), reporter.Spread(e), reporter.Spread(s), target);
    };
    auto ratio = [&](const char* name, const char* label, const char* target) {
        line(label, std::string(name) + "_Engine", std::string(name) + "_Sqlite", target);
    };
    ratio("BulkInsert", "insert 100,000 rows, 2 secondary indexes", "(none)");
    ratio("MemoInsert", "insert 100,000 rows with 1-3 KB memos", "<= 2.0");
    ratio("LookupPrimary", "point lookup by primary key", "<= 0.5");
    ratio("LookupCaseInsensitive", "point lookup by case-insensitive key", "<= 1.0");
    const std::pair<const char*, const char*> firstLookups[] = {
        {"Stored", "open + first lookup by name, order stored"},
        {"Logged", "open + first lookup by name, writes logged"},
        {"Made", "open + first lookup by name, order made"}};
    for (const auto& [how, what] : firstLookups)
        line(what, std::string("FirstLookupByName_") + how, "FirstLookupByName_Sqlite", "(information)");
    ratio("PostAndSave", "one-row post + save", "<= 2.0");
    line("one-row post + save, SQLite WAL synchronous=FULL", "PostAndSave_Engine", "PostAndSave_SqliteWal",
         "(information)");
    ratio("Open", "open and walk every row", "(information)");
    ratio("OpenFirstRow", "open to the first row", "<= 3.0");
    ratio("Walk", "walk every row of an open table", "<= 1.0");
    line("post + save after another process's post", "PostAfterOther_Engine", "PostAndSave_Engine",
         "<= 3.0  (engine / engine alone)");
    std::printf(
        "  per iteration, fastest repetition: point lookup %.2f / %.2f us, post + save %.0f / %.0f us\n",
        reporter.Min("LookupPrimary_Engine"), reporter.Min("LookupPrimary_Sqlite"),
        reporter.Min("PostAndSave_Engine"), reporter.Min("PostAndSave_Sqlite"));

    // Memory in a fresh process, against the size of the table's files.
    auto filesOf = [](const char* stem) {
        std::uintmax_t files = 0;
        for (const auto& e : fs::directory_iterator(g_folder))
            if (e.path().stem() == stem) files += e.file_size();
        return files;
    };
    auto memory = [&](const char* mode, const char* stem, const char* label, const char* target) {
        const std::uintmax_t files = filesOf(stem);
        const std::string cmd = "'" + fs::read_symlink("/proc/self/exe").string() + "' " + mode + " '" +
                                g_folder.string() + "' --rows=" + std::to_string(BulkRows);
        if (FILE* p = ::popen(cmd.c_str(), "r")) {
            long kb = 0;
            if (std::fscanf(p, "%ld", &kb) == 1)
                std::printf("  %-46s %8.2f   %s  (%ld KiB resident, %ju KiB of files)\n", label,
                            kb * 1024.0 / static_cast<double>(files), target, kb, files / 1024);
            ::pclose(p);
        }
    };
    memory("--lookup-memory", "WALK", "memory after open + 1,000 lookups / files", "<= 0.25");
    memory("--memory", "WALK", "memory with every order walked / files", "(information)");
    if (!fs::exists(g_folder / "MEMOS.DB")) FillEngineMemos("MEMOS.DB", MemoRows);
    std::printf("  (a table of %d rows with 1-3 KB memos)\n", MemoRows);
    memory("--memo-memory", "MEMOS", "memory after open + 1,000 lookups / files", "(information)");
    if (keep.empty()) fs::remove_all(g_folder);
    return 0;
}
