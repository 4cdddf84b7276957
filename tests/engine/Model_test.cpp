// Random inserts, edits and deletes against a simple model; after every few steps the table is reopened from
// its files and must hold exactly the model's rows, in key order, with a consistent .PX.
#include "Consistency.h"
#include "engine/Engine.h"
#include "engine/TableImage.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

using namespace engine;

struct ModelRow {
    std::string Name;
    std::int64_t Qty;
    std::string Memo;
};

void ExpectSame(const fs::path& folder, const std::map<std::int64_t, ModelRow>& model, int secondary) {
    auto t = Table::Open(folder, "MODEL.DB", OpenMode::Shared);
    ASSERT_EQ(t->RecordCount(), static_cast<std::int64_t>(model.size()));
    auto c = t->OpenCursor();
    auto it = model.begin();
    for (c->First(); c->OnRow(); c->Next(), ++it) {
        ASSERT_NE(it, model.end());
        const Row& r = c->Read();
        ASSERT_EQ(r[0].AsInt(), it->first);
        EXPECT_EQ(r[1].IsNull() ? "" : r[1].AsText(), it->second.Name);
        EXPECT_EQ(r[2].AsInt(), it->second.Qty);
        EXPECT_EQ(r[3].IsNull() ? "" : r[3].AsText(), it->second.Memo);
    }
    EXPECT_EQ(it, model.end());
    // The secondary order holds every row, sorted by name, then key.
    c->SetIndex(secondary);
    std::int64_t count = 0;
    std::string prev;
    for (c->First(); c->OnRow(); c->Next(), ++count) {
        const std::string name = c->Read()[1].IsNull() ? "" : c->Read()[1].AsText();
        EXPECT_LE(prev, name);
        prev = name;
    }
    EXPECT_EQ(count, static_cast<std::int64_t>(model.size()));
}

void RandomWritesMatchTheModel();

// Read whole, and read by block with room in the cache for two blocks' rows and memo texts only: rows and
// their memo texts are let go and read again all the time, writes load the memo file's layout first, and the
// order by name is stored and follows the writes.
TEST(EngineModel, RandomWritesMatchTheModelAfterReopen) {
    RandomWritesMatchTheModel();
    const std::uint64_t budget = BlockCacheBytes();
    SetReadByBlockFrom(0);
    SetBlockCacheBytes(16 << 10);
    RandomWritesMatchTheModel();
    SetBlockCacheBytes(budget);
    SetReadByBlockFrom(4u << 20);
}

void RandomWritesMatchTheModel() {
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "MODEL.DB",
                {{"Id", FieldType::Long, 0, false},
                 {"Name", FieldType::Alpha, 30, false},
                 {"Qty", FieldType::Long, 0, false},
                 {"Note", FieldType::Memo, 5, false},
                 {"Pad", FieldType::Alpha, 60, false}});
    {
        auto t = Table::Open(tmp.Path(), "MODEL.DB", OpenMode::Exclusive);
        t->AddIndex({"", "Id", true, true, false, false});
        t->AddIndex({"ByName", "Name", false, false, false, false});
    }
    std::map<std::int64_t, ModelRow> model;
    std::mt19937 rng(12345);
    auto table =
        std::make_unique<std::unique_ptr<Table>>(Table::Open(tmp.Path(), "MODEL.DB", OpenMode::Shared));
    auto cursor = (*table)->OpenCursor();
    cursor->SetIndex(0);
    for (int step = 0; step < 3000; ++step) {
        const int op = static_cast<int>(rng() % 10);
        const std::int64_t id = rng() % 400;
        const bool exists = model.count(id) != 0;
        const std::string name = "n" + std::to_string(rng() % 50);
        const std::string memo =
            (rng() % 3 == 0) ? std::string(rng() % 3000, static_cast<char>('a' + rng() % 26)) : "";
        const std::int64_t qty = static_cast<std::int64_t>(rng() % 1000) - 500;
        auto rowOf = [&](std::int64_t key) {
            return Row{Value::Int(key), Value::Text(name), Value::Int(qty),
                       memo.empty() ? Value() : Value::Text(memo), Value::Text("pad")};
        };
        if (op < 5) {
            if (exists) {
                EXPECT_THROW(cursor->Insert(rowOf(id)), KeyViolation);
            } else {
                cursor->Insert(rowOf(id));
                model[id] = {name, qty, memo};
                ASSERT_EQ(cursor->Read()[0].AsInt(), id);
            }
        } else if (op < 8) {
            if (!exists) continue;
            ASSERT_TRUE(cursor->FindKey({Value::Int(id)}));
            // Sometimes the edit changes the key.
            std::int64_t target = id;
            if (rng() % 3 == 0) target = rng() % 400;
            if (target != id && model.count(target)) {
                EXPECT_THROW(cursor->Modify(rowOf(target)), KeyViolation);
                continue;
            }
            cursor->Modify(rowOf(target));
            model.erase(id);
            model[target] = {name, qty, memo};
            ASSERT_EQ(cursor->Read()[0].AsInt(), target);
        } else if (op == 8 && step % 7 == 0) {
            // The row's key range written anew as one write (which reads a table read by block whole).
            (*table)->ReplaceRows({Value::Int(id)}, {Value::Int(id)}, {rowOf(id)});
            model[id] = {name, qty, memo};
            // Every row still reads with its texts in this open.
            auto c = (*table)->OpenCursor();
            auto it = model.begin();
            for (c->First(); c->OnRow(); c->Next(), ++it) {
                ASSERT_NE(it, model.end());
                ASSERT_EQ(c->Read()[0].AsInt(), it->first);
                ASSERT_EQ(c->Read()[3].IsNull() ? "" : c->Read()[3].AsText(), it->second.Memo) << it->first;
            }
        } else {
            if (!exists) continue;
            ASSERT_TRUE(cursor->FindKey({Value::Int(id)}));
            cursor->Delete();
            model.erase(id);
            if (cursor->OnRow()) {
                const auto next = model.upper_bound(id);
                ASSERT_NE(next, model.end());
                EXPECT_EQ(cursor->Read()[0].AsInt(), next->first);
            } else {
                EXPECT_EQ(model.upper_bound(id), model.end());
            }
        }
        if (step % 500 == 499) {
            cursor.reset();
            table.reset();
            EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), "MODEL.DB"), "");
            ExpectSame(tmp.Path(), model, 1);
            table = std::make_unique<std::unique_ptr<Table>>(
                Table::Open(tmp.Path(), "MODEL.DB", OpenMode::Shared));
            cursor = (*table)->OpenCursor();
            cursor->SetIndex(0);
        }
    }
}

} // namespace

namespace {

// Enough blocks that the .PX needs a second level; the checker walks it from the root.
TEST(EngineModel, PrimaryIndexWithSeveralLevels) {
    testsupport::TempFolder tmp;
    CreateTable(tmp.Path(), "VELIKA.DB",
                {{"Id", FieldType::Long, 0, false}, {"Tekst", FieldType::Alpha, 60, false}});
    {
        auto t = Table::Open(tmp.Path(), "VELIKA.DB", OpenMode::Exclusive);
        t->AddIndex({"", "Id", true, true, false, false});
        auto c = t->OpenCursor();
        // Keys in an order that splits blocks in the middle, not only at the end.
        for (int i = 0; i < 9000; ++i)
            c->Insert({Value::Int((i * 7919) % 9001), Value::Text("tekst")});
        for (int i = 0; i < 9000; i += 3) {
            if (c->FindKey({Value::Int(i)})) c->Delete();
        }
    }
    const std::string px = tmp.Read("VELIKA.PX");
    EXPECT_EQ(static_cast<unsigned char>(px[0x20]), 2); // levels
    EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), "VELIKA.DB"), "");
}

} // namespace
