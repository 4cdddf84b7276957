// Every write point of the engine's writes: a crash after each write, and EIO or ENOSPC at each write and
// sync, leave every table openable, every row saved before intact and the change wholly done or not at all.
#include "base/Text.h"
#include "Consistency.h"
#include "engine/Engine.h"
#include "engine/TableImage.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PowerCutFileSystem.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WritePoints.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>

namespace {

using namespace engine;
using testsupport::Outcome;

constexpr int ProbeKey = 9999;

struct Stored {
    std::string Naziv;
    std::int64_t Kol;
    std::string Opis;
    friend bool operator==(const Stored&, const Stored&) = default;
};
using Rows = std::map<std::int64_t, Stored>;

std::string LongText(int n) {
    return "opis " + std::to_string(n) + " " +
           std::string(static_cast<std::size_t>(20 + n * 7 % 300), 'a' + n % 26);
}

Row RowOf(std::int64_t id, const Stored& s) {
    return {Value::Int(id), Value::Text(s.Naziv), Value::Int(s.Kol),
            s.Opis.empty() ? Value() : Value::Text(s.Opis)};
}

// Rows 2, 4, ... 160: more than one block, memos long and short.
Rows Before() {
    Rows rows;
    for (int i = 2; i <= 160; i += 2)
        rows[i] = {"naziv " + std::to_string(i), i * 10, i % 3 == 0 ? std::string("kratko") : LongText(i)};
    return rows;
}

void MakeRoba(const fs::path& folder, bool keyed) {
    CreateTable(folder, "ROBA.DB",
                {{"Id", FieldType::Long, 0, false},
                 {"Naziv", FieldType::Alpha, 20, false},
                 {"Kol", FieldType::Long, 0, false},
                 {"Opis", FieldType::Memo, 10, false}});
    auto t = Table::Open(folder, "ROBA.DB", OpenMode::Exclusive);
    if (keyed) {
        t->AddIndex({"", "Id", true, true, false, false});
        t->AddIndex({"ByName", "Naziv", false, false, true, false});
    }
    auto c = t->OpenCursor();
    for (const auto& [id, s] : Before())
        c->Insert(RowOf(id, s));
    if (!keyed) return;
    // A table read by block stores its order by name once it is used: the writes then log after it.
    t.reset();
    auto shared = Table::Open(folder, "ROBA.DB", OpenMode::Shared);
    auto byName = shared->OpenCursor();
    byName->SetIndex(byName->FindIndexByName("ByName"));
    for (byName->First(); byName->OnRow(); byName->Next()) {
    }
}

// After a failed write, the same open goes on: a new row is written and found again.
void Probe(Table& t) {
    auto c = t.OpenCursor();
    c->Insert(RowOf(ProbeKey, {"proba", 1, LongText(5)}));
    bool found = false;
    for (c->First(); c->OnRow(); c->Next())
        found = found || c->Read()[0].AsInt() == ProbeKey;
    EXPECT_TRUE(found) << "the table takes no write after the failure";
}

std::string Guarded(Table* t, const std::function<void()>& act) {
    try {
        act();
    } catch (const base::Exception& e) {
        if (t != nullptr) Probe(*t);
        return e.Message().empty() ? "?" : e.Message();
    }
    return "";
}

// Every key search of a keyed ROBA finds what the walk shows: each row by its id and by its name, the order
// by name holding exactly the walk's rows; "" when it does.
std::string CheckSearches(Table& t, const Rows& walked) {
    auto c = t.OpenCursor();
    if (t.KeyFieldCount() == 0) return "";
    for (const auto& [id, s] : walked)
        if (!c->FindKey({Value::Int(id)}) || c->Read()[0].AsInt() != id || c->Read()[1].AsText() != s.Naziv)
            return "the key search does not find row " + std::to_string(id);
    const int byName = c->FindIndexByName("ByName");
    if (byName < 0) return "";
    c->SetIndex(byName);
    std::map<std::int64_t, int> seen;
    for (c->First(); c->OnRow(); c->Next())
        if (const std::int64_t id = c->Read()[0].AsInt(); id != ProbeKey) ++seen[id];
    for (const auto& [id, n] : seen)
        if (n != 1 || walked.count(id) == 0)
            return "the order by name holds row " + std::to_string(id) + " " + std::to_string(n) +
                   " times, the walk " + std::to_string(walked.count(id));
    if (seen.size() != walked.size()) return "the order by name lacks rows the walk has";
    for (const auto& [id, s] : walked) {
        c->SetRange({Value::Text(s.Naziv)}, {Value::Text(s.Naziv)});
        c->First();
        if (!c->OnRow() || c->Read()[0].AsInt() != id || c->RecordCount() != 1)
            return "the search by name does not find \"" + s.Naziv + "\"";
        c->CancelRange();
    }
    return "";
}

// The rows of ROBA without the probe row, and the consistency of its files; "" when all is well.
std::string ReadRoba(const fs::path& folder, Rows& rows) {
    try {
        if (const std::string bad = enginetest::CheckConsistency(folder, "ROBA.DB"); !bad.empty()) return bad;
        auto t = Table::Open(folder, "ROBA.DB", OpenMode::Shared);
        if (const std::string damage = t->DamageReport(); !damage.empty()) return damage;
        auto c = t->OpenCursor();
        for (c->First(); c->OnRow(); c->Next()) {
            const Row& r = c->Read();
            if (r[0].AsInt() == ProbeKey) continue;
            rows[r[0].AsInt()] = {r[1].AsText(), r[2].AsInt(), r[3].IsNull() ? std::string() : r[3].AsText()};
        }
        return CheckSearches(*t, rows);
    } catch (const std::exception& e) {
        return e.what();
    }
}

// Compares ROBA with the rows before and after the change.
Outcome Compare(const fs::path& folder, const Rows& before, const Rows& after, std::string& problem) {
    Rows rows;
    problem = ReadRoba(folder, rows);
    if (!problem.empty()) return Outcome::Broken;
    if (rows == before) return Outcome::NotDone;
    if (rows == after) return Outcome::Done;
    problem = "ROBA holds " + std::to_string(rows.size()) + " rows, neither the rows before nor after";
    return Outcome::Broken;
}

testsupport::WritePointScenario RowChange(const std::string& name, bool keyed,
                                          const std::function<void(Cursor&)>& change, const Rows& after) {
    testsupport::WritePointScenario s;
    s.Name = name;
    s.FileName = "ROBA";
    s.Setup = [keyed](const fs::path& f) { MakeRoba(f, keyed); };
    s.Run = [change](const fs::path& f) {
        auto t = Table::Open(f, "ROBA.DB", OpenMode::Shared);
        return Guarded(t.get(), [&] {
            auto c = t->OpenCursor();
            change(*c);
        });
    };
    s.Observe = [after](const fs::path& f, std::string& problem) {
        return Compare(f, Before(), after, problem);
    };
    return s;
}

void Find(Cursor& c, std::int64_t id) {
    if (!c.FindKey({Value::Int(id)})) throw std::logic_error("no row " + std::to_string(id));
}

testsupport::WritePointScenario PostNew() {
    Rows after = Before();
    after[81] = {"novi", 810, LongText(81)};
    return RowChange(
        "post_new", true,
        [](Cursor& c) {
            c.Insert(RowOf(81, {"novi", 810, LongText(81)}));
        },
        after);
}

testsupport::WritePointScenario PostEdit() {
    Rows after = Before();
    after.erase(40);
    after[41] = {"promijenjen", 7, LongText(3)};
    return RowChange(
        "post_edit", true,
        [](Cursor& c) {
            Find(c, 40);
            c.Modify(RowOf(41, {"promijenjen", 7, LongText(3)}));
        },
        after);
}

// Only a row's memo text changes: into another one of the shared memo block, into one of its own block, or
// out (the row keeps its other values).
testsupport::WritePointScenario MemoEdit(const std::string& name, std::int64_t id, const std::string& text) {
    Rows after = Before();
    after[id].Opis = text;
    const Stored changed = after[id];
    return RowChange(
        name, true,
        [id, changed](Cursor& c) {
            Find(c, id);
            c.Modify(RowOf(id, changed));
        },
        after);
}

testsupport::WritePointScenario PostUnkeyed() {
    Rows after = Before();
    after[161] = {"na kraju", 1, LongText(9)};
    return RowChange(
        "post_unkeyed", false,
        [](Cursor& c) {
            c.Insert(RowOf(161, {"na kraju", 1, LongText(9)}));
        },
        after);
}

testsupport::WritePointScenario DeleteRow() {
    Rows after = Before();
    after.erase(44);
    return RowChange(
        "delete", true,
        [](Cursor& c) {
            Find(c, 44);
            c.Delete();
        },
        after);
}

// Rows 40..120 out and 120 new rows in (memos long and short), as one write of many blocks.
testsupport::WritePointScenario ReplaceMany() {
    Rows after = Before();
    for (auto it = after.lower_bound(40); it != after.end() && it->first <= 120;)
        it = after.erase(it);
    std::vector<Row> rows;
    for (int i = 1001; i <= 1120; ++i) {
        const Stored s{"zamjena " + std::to_string(i), i, i % 4 == 0 ? std::string() : LongText(i)};
        after[i] = s;
        rows.push_back(RowOf(i, s));
    }
    testsupport::WritePointScenario s;
    s.Name = "replace_rows";
    s.FileName = "ROBA";
    s.Setup = [](const fs::path& f) { MakeRoba(f, true); };
    s.Run = [rows](const fs::path& f) {
        auto t = Table::Open(f, "ROBA.DB", OpenMode::Shared);
        return Guarded(t.get(), [&] { t->ReplaceRows({Value::Int(40)}, {Value::Int(120)}, rows); });
    };
    s.Observe = [after](const fs::path& f, std::string& problem) {
        return Compare(f, Before(), after, problem);
    };
    return s;
}

// Rows 30..130 (several blocks, long memos among them) out as one write.
testsupport::WritePointScenario DeleteMany() {
    Rows after = Before();
    for (auto it = after.lower_bound(30); it != after.end() && it->first <= 130;)
        it = after.erase(it);
    testsupport::WritePointScenario s;
    s.Name = "delete_rows";
    s.FileName = "ROBA";
    s.Setup = [](const fs::path& f) { MakeRoba(f, true); };
    s.Run = [](const fs::path& f) {
        auto t = Table::Open(f, "ROBA.DB", OpenMode::Shared);
        return Guarded(t.get(), [&] { t->DeleteRows({Value::Int(30)}, {Value::Int(130)}); });
    };
    s.Observe = [after](const fs::path& f, std::string& problem) {
        return Compare(f, Before(), after, problem);
    };
    return s;
}

testsupport::WritePointScenario Create() {
    testsupport::WritePointScenario s;
    s.Name = "create";
    s.FileName = "NOVA";
    s.Setup = [](const fs::path& f) { MakeRoba(f, true); };
    s.Run = [](const fs::path& f) {
        auto roba = Table::Open(f, "ROBA.DB", OpenMode::Shared);
        return Guarded(roba.get(), [&] {
            CreateTable(f, "NOVA.DB",
                        {{"Sifra", FieldType::Alpha, 10, false},
                         {"Iznos", FieldType::Number, 0, false},
                         {"Napomena", FieldType::Memo, 20, false}});
        });
    };
    s.Observe = [](const fs::path& f, std::string& problem) {
        if (Compare(f, Before(), Before(), problem) == Outcome::Broken) return Outcome::Broken;
        if (!TableExists(f, "NOVA.DB")) return Outcome::NotDone;
        try {
            auto t = Table::Open(f, "NOVA.DB", OpenMode::Shared);
            if (t->Fields().size() == 3 && t->RecordCount() == 0) {
                t->OpenCursor()->Insert({Value::Text("A"), Value::Float(1.5), Value::Text(LongText(30))});
                return Outcome::Done;
            }
            problem = "NOVA.DB has other fields or rows";
        } catch (const std::exception& e) {
            problem = e.what();
        }
        return Outcome::Broken;
    };
    return s;
}

testsupport::WritePointScenario AddIndex(bool primary) {
    testsupport::WritePointScenario s;
    s.Name = primary ? "add_primary_index" : "add_index";
    s.FileName = "ROBA";
    s.Setup = [primary](const fs::path& f) { MakeRoba(f, !primary); };
    s.Run = [primary](const fs::path& f) {
        auto t = Table::Open(f, "ROBA.DB", OpenMode::Exclusive);
        return Guarded(t.get(), [&] {
            t->AddIndex(primary ? IndexDesc{"", "Id", true, true, false, false}
                                : IndexDesc{"ByKol", "Kol;Naziv", false, false, false, true});
        });
    };
    s.Observe = [primary](const fs::path& f, std::string& problem) {
        if (Compare(f, Before(), Before(), problem) == Outcome::Broken) return Outcome::Broken;
        try {
            auto t = Table::Open(f, "ROBA.DB", OpenMode::Shared);
            auto c = t->OpenCursor();
            const int index = primary ? (t->KeyFieldCount() == 1 ? -1 : -2) : c->FindIndexByName("ByKol");
            if (index == -2) return Outcome::NotDone;
            // The index orders the rows as its definition says.
            c->SetIndex(index);
            std::int64_t last = primary ? -1 : INT64_MAX;
            for (c->First(); c->OnRow(); c->Next()) {
                const std::int64_t v = c->Read()[primary ? 0 : 2].AsInt();
                if (primary ? v <= last : v >= last) {
                    problem = "the new index is out of order";
                    return Outcome::Broken;
                }
                last = v;
            }
            return Outcome::Done;
        } catch (const std::exception& e) {
            problem = e.what();
            return Outcome::Broken;
        }
    };
    return s;
}

class EngineWritePoints : public ::testing::TestWithParam<testsupport::WritePointScenario (*)()> {};

// One open writes several times (or each write opens and closes the table): a memo changed, a row put in,
// a row taken out, memos of several rows changed at once, a row's key and name changed. The power goes at
// each sync of all of them; every write that had returned is there after it, and the one under way wholly or
// not at all.
void CutThroughSeveralWrites(bool byBlock, bool eachOpenOnce) {
    SetReadByBlockFrom(byBlock ? 0 : 4u << 20);
    testsupport::TempFolder tmp;
    const fs::path start = tmp / "start", work = tmp / "work";
    fs::create_directories(start);
    MakeRoba(start, true);
    std::vector<Rows> states{Before()};
    std::vector<std::function<void(Table&)>> writes;
    auto add = [&](const std::function<void(Rows&)>& model, const std::function<void(Table&)>& write) {
        Rows next = states.back();
        model(next);
        states.push_back(std::move(next));
        writes.push_back(write);
    };
    add([](Rows& r) { r[50].Opis = LongText(91); },
        [](Table& t) {
            auto c = t.OpenCursor();
            Find(*c, 50);
            c->Modify(RowOf(50, {"naziv 50", 500, LongText(91)}));
        });
    add(
        [](Rows& r) {
            r[83] = {"treci", 3, std::string(3000, 'z')};
        },
        [](Table& t) {
            t.OpenCursor()->Insert(RowOf(83, {"treci", 3, std::string(3000, 'z')}));
        });
    add([](Rows& r) { r.erase(52); },
        [](Table& t) {
            auto c = t.OpenCursor();
            Find(*c, 52);
            c->Delete();
        });
    std::vector<Row> replaced;
    add(
        [&](Rows& r) {
            for (std::int64_t id = 60; id <= 70; id += 2) {
                r[id].Opis = LongText(static_cast<int>(id) + 1);
                replaced.push_back(RowOf(id, r[id]));
            }
        },
        [&](Table& t) { t.ReplaceRows({Value::Int(60)}, {Value::Int(70)}, replaced); });
    add(
        [](Rows& r) {
            r[171] = r[80];
            r[171].Naziv = "preimenovan";
            r.erase(80);
        },
        [](Table& t) {
            auto c = t.OpenCursor();
            Find(*c, 80);
            const Row old = c->Read();
            c->Modify({Value::Int(171), Value::Text("preimenovan"), old[2], old[3]});
        });

    auto run = [&](testsupport::PowerCutFileSystem& power) {
        base::ScopedFileSystem scope(power);
        std::unique_ptr<Table> t;
        for (std::size_t k = 0; k < writes.size(); ++k) {
            // Each write in an open of its own: the last close removes the journal, and the generation
            // starts anew.
            if (!t || eachOpenOnce) t = Table::Open(work, "ROBA.DB", OpenMode::Shared);
            writes[k](*t);
            if (eachOpenOnce) t.reset();
            std::cout << "returned " << k + 1 << std::endl;
        }
    };
    int syncs = 0;
    for (int n = 1; (syncs == 0 && n < 500) || n <= syncs + 1; ++n) {
        for (const bool copies : {false, true}) {
            SCOPED_TRACE("the power goes at sync " + std::to_string(n) +
                         (copies ? ", the files back as copies" : ""));
            fs::remove_all(work);
            fs::copy(start, work, fs::copy_options::recursive);
            auto child = testsupport::ChildProcess::Fork([&] {
                testsupport::PowerCutFileSystem power(work);
                if (copies) power.ComeBackAsCopies();
                power.CutAtSync(n);
                run(power);
                std::cout << "syncs " << power.Syncs() << std::endl;
                power.CutPower();
                return testsupport::PowerCutFileSystem::PowerWentOff;
            });
            const std::string out = child->ReadAll(std::chrono::minutes(2));
            const auto status = child->Wait(std::chrono::minutes(2));
            ASSERT_TRUE(status && status->Exited &&
                        status->Code == testsupport::PowerCutFileSystem::PowerWentOff)
                << out << child->Errors();
            if (const auto at = out.find("syncs "); at != std::string::npos)
                syncs = std::stoi(out.substr(at + 6));
            std::size_t returned = 0;
            for (std::size_t at = out.find("returned "); at != std::string::npos;
                 at = out.find("returned ", at + 1))
                returned = std::stoul(out.substr(at + 9));
            Rows rows;
            const std::string problem = ReadRoba(work, rows);
            ASSERT_EQ(problem, "");
            const bool whole =
                rows == states[returned] || (returned + 1 < states.size() && rows == states[returned + 1]);
            EXPECT_TRUE(whole) << returned << " writes had returned; the table holds " << rows.size()
                               << " rows";
        }
    }
    EXPECT_GT(syncs, 2 * static_cast<int>(writes.size()));
    std::cout << "[ power cut ] " << writes.size() << " writes, " << syncs << " sync points" << std::endl;
    SetReadByBlockFrom(4u << 20);
}

TEST(EnginePowerCut, AWriteThatReturnedSurvivesACutInALaterOne) {
    CutThroughSeveralWrites(false, false);
    CutThroughSeveralWrites(false, true);
}

TEST(EnginePowerCut, AWriteThatReturnedSurvivesACutInALaterOneReadByBlock) {
    CutThroughSeveralWrites(true, false);
    CutThroughSeveralWrites(true, true);
}

} // namespace

namespace testsupport {
// Listings name a scenario, not its factory's address, so test names stay the same from build to build.
void PrintTo(WritePointScenario (*make)(), std::ostream* os) {
    *os << make().Name;
}
} // namespace testsupport

namespace {

TEST_P(EngineWritePoints, EveryWritePointLeavesTheTableWhole) {
    testsupport::WritePointScenario s = GetParam()();
    s.PowerCut = true;
    testsupport::CheckEveryWritePoint(s);
}

// The same with the table read by block: its order by name is stored in the .Y file and every write logs
// after it, and the log is never synced.
class EngineWritePointsByBlock : public EngineWritePoints {
protected:
    void SetUp() override { SetReadByBlockFrom(0); }
    void TearDown() override { SetReadByBlockFrom(4u << 20); }
};

TEST_P(EngineWritePointsByBlock, EveryWritePointLeavesTheTableWhole) {
    testsupport::WritePointScenario s = GetParam()();
    s.PowerCut = true;
    testsupport::CheckEveryWritePoint(s);
}

const auto Scenarios = ::testing::Values(
    &PostNew, &PostEdit, &PostUnkeyed, &DeleteRow, &ReplaceMany, &DeleteMany,
    +[] { return MemoEdit("memo_edit", 50, LongText(77)); },
    +[] { return MemoEdit("memo_own_block", 52, std::string(5000, 'm') + " kraj"); },
    +[] { return MemoEdit("memo_out", 56, ""); }, &Create, +[] { return AddIndex(false); },
    +[] { return AddIndex(true); });

INSTANTIATE_TEST_SUITE_P(Operations, EngineWritePoints, Scenarios,
                         [](const auto& info) { return info.param().Name; });
INSTANTIATE_TEST_SUITE_P(Operations, EngineWritePointsByBlock, Scenarios,
                         [](const auto& info) { return info.param().Name; });

} // namespace
