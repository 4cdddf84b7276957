// Every write point of the register's edits: a crash after each write, and EIO or ENOSPC at each write and
// sync, leave "OPEN.DB" openable, every other row as it was and the table's row in one of the states the
// edits pass through.
#include "app/data/OpenDbRegister.h"
#include "engine/Engine.h"
#include "tests/app/data/ServicesFixture.h"
#include "tests/support/WritePoints.h"

#include <map>

using namespace app;
using testsupport::Outcome;
namespace fs = std::filesystem;

namespace {

using State = std::pair<int, bool>; // {Open, Changed}
constexpr State NoRow{-1, false};

// The register's rows as a fresh open reads them: {Open, Changed} by file.
std::map<std::string, State> ReadRegister(const fs::path& lokal) {
    std::map<std::string, State> rows;
    auto t = engine::Table::Open(lokal, "OPEN.DB", engine::OpenMode::Shared);
    auto c = t->OpenCursor();
    int file = -1, open = -1, changed = -1;
    for (std::size_t i = 0; i < t->Fields().size(); ++i) {
        const std::string& n = t->Fields()[i].Name;
        if (n == "File") file = static_cast<int>(i);
        if (n == "Open") open = static_cast<int>(i);
        if (n == "Changed") changed = static_cast<int>(i);
    }
    for (c->First(); c->OnRow(); c->Next()) {
        const engine::Row& r = c->Read();
        rows[r[file].AsText()] = {r[open].IsNull() ? 0 : static_cast<int>(r[open].AsInt()),
                                  !r[changed].IsNull() && r[changed].AsBool()};
    }
    return rows;
}

class RegisterWritePoints : public apptest::ServicesTest {
protected:
    // Points the databases and the register at a folder and starts this station afresh.
    void UseFolder(const fs::path& folder) {
        DestroyOpenDbTables();
        Connect(global, "Global", folder / "global");
        Connect(lokal, "Lokal", folder / "lokal");
        WBegin.GlobalFolder = (folder / "global").string() + "/";
        WBegin.LokalFolder = (folder / "lokal").string() + "/";
        CreateOpenDbTables();
        while (OpenCount() > 0)
            DecOpenCount();
    }
    static void Name(TMyTableX& t, const std::string& file) {
        t.SetDatabaseName("Lokal");
        t.SetTableName(file);
    }

    // The register holds a row for each of the other tables and, when `openers` >= 0, one for WINGL.DB.
    void Prepare(const fs::path& folder, int openers) {
        fs::create_directories(folder / "global");
        fs::create_directories(folder / "lokal");
        UseFolder(folder);
        TMyTableX wingl, other;
        Name(wingl, "WINGL.DB");
        Name(other, "NWINO.DB");
        RegisterTableOpen(wingl);
        RegisterTableOpen(other);
        RegisterTableOpen(other);
        if (openers < 0) {
            UnregisterTableOpen(wingl);
        }
        UseFolder(folder);
        auto t = engine::Table::Open(folder / "lokal", "OPEN.DB", engine::OpenMode::Shared);
        auto c = t->OpenCursor();
        if (c->FindKey({engine::Value::Text("WINGL.DB")})) {
            if (openers < 0) {
                c->Delete();
            } else {
                engine::Row r = c->Read();
                for (std::size_t i = 0; i < r.size(); ++i)
                    if (t->Fields()[i].Name == "Open") r[i] = engine::Value::Int(openers);
                c->Modify(r);
            }
        }
    }

    // A scenario over the register: `edits` runs on WINGL.DB; `states` are the row's states in order, the
    // first before the edits and the last after them.
    testsupport::WritePointScenario Scenario(const std::string& name, int openers,
                                             std::function<void(TMyTableX&)> edits,
                                             std::vector<State> states) {
        testsupport::WritePointScenario s;
        s.Name = name;
        s.FileName = "OPEN";
        s.Setup = [this, openers](const fs::path& f) { Prepare(f, openers); };
        s.Run = [this, edits](const fs::path& f) {
            UseFolder(f);
            TMyTableX wingl, other;
            Name(wingl, "WINGL.DB");
            Name(other, "NWINO.DB");
            std::string error;
            try {
                edits(wingl);
            } catch (const base::Exception& e) {
                error = e.Message().empty() ? "?" : e.Message();
                // The register takes the next station's edits.
                RegisterTableOpen(other);
                UnregisterTableOpen(other);
            }
            UseFolder(f);
            return error;
        };
        s.Observe = [states](const fs::path& f, std::string& problem) {
            std::map<std::string, State> rows;
            try {
                rows = ReadRegister(f / "lokal");
            } catch (const std::exception& e) {
                problem = e.what();
                return Outcome::Broken;
            }
            if (rows.count("NWINO.DB") == 0 || rows["NWINO.DB"] != State{2, false}) {
                problem = "the row of NWINO.DB changed";
                return Outcome::Broken;
            }
            const State now = rows.count("WINGL.DB") ? rows["WINGL.DB"] : NoRow;
            if (now == states.back()) return Outcome::Done;
            for (const State& st : states)
                if (st == now) return Outcome::NotDone;
            problem = "WINGL.DB's row holds Open " + std::to_string(now.first) + ", Changed " +
                      std::to_string(now.second);
            return Outcome::Broken;
        };
        return s;
    }
};

TEST_F(RegisterWritePoints, EveryWritePointOfTheRegistersEditsLeavesItWhole) {
    const std::vector<testsupport::WritePointScenario> scenarios = {
        Scenario("register_new_row", -1, [](TMyTableX& t) { RegisterTableOpen(t); },
                 {NoRow, {0, false}, {1, false}}),
        Scenario("register_edits", 1,
                 [](TMyTableX& t) {
                     RegisterTableOpen(t);
                     MarkTableChanged(t);
                     UnregisterTableOpen(t);
                 },
                 {{1, false}, {2, false}, {2, true}, {1, true}}),
    };
    for (auto s : scenarios) {
        s.PowerCut = true;
        testsupport::CheckEveryWritePoint(s);
    }
}

} // namespace
