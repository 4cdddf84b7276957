// A large table opens without reading its rows: blocks are read as their rows are first needed, and let go
// again when the process's block cache is full. Writes on such a table, a .PX that tells another story than
// the blocks, and another station's write to a block not read yet (or let go) must all leave exactly the rows
// the files hold.
#include "base/FileIo.h"
#include "base/Files.h"
#include "base/FileSystem.h"
#include "base/Text.h"
#include "Consistency.h"
#include "engine/codec/MemoFile.h"
#include "engine/codec/StoredOrder.h"
#include "engine/Engine.h"
#include "engine/FileWrite.h"
#include "engine/TableHandle.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

namespace {

using namespace engine;

constexpr int Rows = 3000; // 48 rows a block: 63 blocks
const char* const Name = "STAVKE.DB";

struct Item {
    std::string Naziv;
    std::int64_t Kolicina;
};
using Model = std::map<std::int64_t, Item>;

Row ToRow(std::int64_t key, const Item& it) {
    return {Value::Int(key), Value::Text(it.Naziv), Value::Int(it.Kolicina)};
}

// Keys 10, 20, 30 ... so that rows can be put between them.
Model Fill(const fs::path& folder) {
    base::SetDiskSync(false);
    CreateTable(folder, Name,
                {{"Code", FieldType::Long, 0, false},
                 {"Naziv", FieldType::Alpha, 30, false},
                 {"Kolicina", FieldType::Long, 0, false}});
    Model model;
    {
        auto t = Table::Open(folder, Name, OpenMode::Exclusive);
        t->AddIndex({"", "Code", true, true, false, false});
        t->AddIndex({"_Naziv", "Naziv", false, false, true, false});
        auto c = t->OpenCursor();
        for (int i = 1; i <= Rows; ++i) {
            const Item it{(i % 2 ? "artikl " : "Artikl ") + std::to_string(i % 97), i};
            c->Insert(ToRow(i * 10, it));
            model[i * 10] = it;
        }
    }
    base::SetDiskSync(true);
    return model;
}

// The cache budgets each scenario runs under: the default, and room for only three blocks of rows, so that
// blocks are let go and read again all the time.
constexpr std::uint64_t BlockBytes = 48 * 48; // 48 rows of 38 bytes, each on the heap in 48
const std::vector<std::uint64_t> Budgets = {BlockCacheBytes(), 3 * BlockBytes};

struct CacheBudget {
    explicit CacheBudget(std::uint64_t bytes) : old(BlockCacheBytes()) { SetBlockCacheBytes(bytes); }
    ~CacheBudget() { SetBlockCacheBytes(old); }
    std::uint64_t old;
};

// Whether a .Y holds an order, its log read, that names the table's present state (closed: no journal).
bool StoredForNow(const fs::path& folder, const fs::path& y, std::uintmax_t definition) {
    const std::string bytes = base::ReadWholeFile(y);
    const std::string_view order = std::string_view(bytes).substr(definition);
    const auto start = codec::ReadStoredOrderStart(order);
    if (!start || order.size() < codec::KeysEnd(*start)) return false;
    const auto head = codec::DecodeStoredOrder(order.substr(0, start->HeadBytes), order.size());
    const auto log = head ? codec::DecodeOrderLog(*start, head->HeadSum, order.substr(codec::KeysEnd(*start)))
                          : std::nullopt;
    const fs::path db = folder / Name;
    return log && log->State.Generation == 0 &&
           log->State.Size == static_cast<std::int64_t>(fs::file_size(db)) &&
           log->State.MTime == base::FileTime(db);
}

TableImage& ImageOf(Table& t) {
    return dynamic_cast<TableHandle&>(t).Image();
}

void ExpectRows(Cursor& c, const Model& model) {
    auto it = model.begin();
    for (c.First(); c.OnRow(); c.Next(), ++it) {
        ASSERT_NE(it, model.end());
        const Row& r = c.Read();
        ASSERT_EQ(r[0].AsInt(), it->first);
        EXPECT_EQ(r[1].AsText(), it->second.Naziv);
        EXPECT_EQ(r[2].AsInt(), it->second.Kolicina);
    }
    EXPECT_EQ(it, model.end());
}

// The rows in the order of the case-insensitive index on the name: by the name upper-cased, then the key.
void ExpectByName(Cursor& c, const Model& model) {
    std::vector<std::pair<std::string, std::int64_t>> expected;
    for (const auto& [key, it] : model) {
        std::string upper = it.Naziv;
        for (char& ch : upper)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        expected.emplace_back(upper, key);
    }
    std::sort(expected.begin(), expected.end());
    auto it = expected.begin();
    for (c.First(); c.OnRow(); c.Next(), ++it) {
        ASSERT_NE(it, expected.end());
        ASSERT_EQ(c.Read()[0].AsInt(), it->second);
    }
    EXPECT_EQ(it, expected.end());
}

void TakesEveryKindOfWrite(std::uint64_t budget);

TEST(ReadByBlock, OpensByIndexAndTakesEveryKindOfWrite) {
    for (const std::uint64_t budget : Budgets) {
        SCOPED_TRACE(budget);
        const CacheBudget cache(budget);
        TakesEveryKindOfWrite(budget);
    }
}

void TakesEveryKindOfWrite(std::uint64_t budget) {
    testsupport::TempFolder tmp;
    Model model = Fill(tmp.Path());
    SetReadByBlockFrom(0);

    auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
    auto c = t->OpenCursor();
    TableImage& image = ImageOf(*t);
    EXPECT_FALSE(image.ReadWhole());
    EXPECT_EQ(image.RowsInMemory(), 0u);
    EXPECT_EQ(t->RecordCount(), Rows);
    c->First();
    EXPECT_EQ(c->Read()[0].AsInt(), 10);
    const std::size_t perBlock = image.RowsInMemory();
    EXPECT_GT(perBlock, 0u);
    EXPECT_LT(perBlock, 100u);
    ASSERT_TRUE(c->FindKey({Value::Int(25000)}));
    EXPECT_EQ(c->Read()[2].AsInt(), 2500);
    EXPECT_LT(image.RowsInMemory(), static_cast<std::size_t>(Rows) / 4);

    // Each step, then the files must be consistent and a fresh open by block must show the model.
    struct Step {
        const char* What;
        std::function<void()> Do;
    };
    auto modify = [&](std::int64_t key, std::int64_t newKey, std::int64_t qty) {
        ASSERT_TRUE(c->FindKey({Value::Int(key)})) << key;
        Item it = model.at(key);
        it.Kolicina = qty;
        c->Modify(ToRow(newKey, it));
        model.erase(key);
        model[newKey] = it;
    };
    auto insert = [&](std::int64_t key) {
        const Item it{"Novi " + std::to_string(key), key};
        c->Insert(ToRow(key, it));
        model[key] = it;
    };
    auto erase = [&](std::int64_t key) {
        ASSERT_TRUE(c->FindKey({Value::Int(key)})) << key;
        c->Delete();
        model.erase(key);
    };
    const std::vector<Step> steps = {
        {"edit in place, far block", [&] { modify(29990, 29990, -1); }},
        {"key change into another block", [&] { modify(15000, 5, 7); }},
        {"insert into a full middle block", [&] { insert(12345); }},
        {"insert past the end", [&] { insert(99999); }},
        {"delete a whole early block",
         [&] {
             for (std::int64_t k = 500; k <= 1500; k += 10)
                 erase(k);
         }},
        {"delete the first row", [&] { erase(5); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.What);
        step.Do();
        EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), Name), "");
    }
    EXPECT_FALSE(image.ReadWhole());
    c.reset();
    t.reset();

    auto again = Table::Open(tmp.Path(), Name, OpenMode::Shared);
    auto walk = again->OpenCursor();
    EXPECT_FALSE(ImageOf(*again).ReadWhole());
    ExpectRows(*walk, model);
    // The walk read every block; the cache kept at most its budget of them (and the one in hand).
    EXPECT_LE(ImageOf(*again).RowsInMemory() * 48, budget + BlockBytes);
    // A secondary order is made by reading the table along once, without keeping its rows; it holds every
    // row, by name without regard to case, and follows writes made through it.
    walk->SetIndex(walk->FindIndexByName("_Naziv"));
    ExpectByName(*walk, model);
    ASSERT_TRUE(walk->FindKey({Value::Text("ARTIKL 5")}));
    EXPECT_EQ(walk->Read()[1].AsText(), "artikl 5");
    const Item renamed{"Aaa prvi", 3};
    walk->Modify(ToRow(walk->Read()[0].AsInt(), renamed));
    model[walk->Read()[0].AsInt()] = renamed;
    walk->Insert(ToRow(77777, {"zadnji", 1}));
    model[77777] = {"zadnji", 1};
    ASSERT_TRUE(walk->FindKey({Value::Text("artikl 96")}));
    model.erase(walk->Read()[0].AsInt());
    walk->Delete();
    ExpectByName(*walk, model);
    EXPECT_FALSE(ImageOf(*again).ReadWhole());
    EXPECT_LE(ImageOf(*again).RowsInMemory() * 48, budget + BlockBytes);
    EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), Name), "");
}

// A .PX whose level-1 entries 3 and 7 tell another story than the blocks while their counts still add up,
// so that the table opens by the .PX: the two trade their blocks (the blocks' own links say otherwise once
// read), both name one block, or a count moves from one to the other (none, and two blocks' worth). Whether
// a walk or a write comes first, the table is then read whole and holds exactly its rows.
TEST(ReadByBlock, APrimaryIndexThatDisagreesWithTheBlocksIsNotBelieved) {
    const std::size_t entry = 4 + 6, first = 2048 + 6; // Long key, then block, count, 0
    const std::size_t a = first + 3 * entry + 4, b = first + 7 * entry + 4;
    auto count = [](const std::string& px, std::size_t at) {
        return ((static_cast<unsigned char>(px[at]) << 8) | static_cast<unsigned char>(px[at + 1])) ^ 0x8000;
    };
    auto setCount = [](std::string& px, std::size_t at, int n) {
        px[at] = static_cast<char>(((n ^ 0x8000) >> 8) & 0xFF);
        px[at + 1] = static_cast<char>(n & 0xFF);
    };
    const std::vector<std::pair<const char*, std::function<void(std::string&)>>> damages = {
        {"blocks traded", [&](std::string& px) { std::swap_ranges(&px[a], &px[a + 2], &px[b]); }},
        {"one block twice", [&](std::string& px) { std::copy(&px[a], &px[a + 2], &px[b]); }},
        {"count moved",
         [&](std::string& px) {
             const int n = count(px, b + 2);
             setCount(px, a + 2, count(px, a + 2) + n);
             setCount(px, b + 2, 0);
         }},
    };
    for (const auto& [what, damage] : damages) {
        for (const bool writeFirst : {false, true}) {
            SCOPED_TRACE(std::string(what) + (writeFirst ? ", a write first" : ", a walk first"));
            testsupport::TempFolder tmp;
            Model model = Fill(tmp.Path());
            std::string px = tmp.Read("STAVKE.PX");
            damage(px);
            tmp.Write("STAVKE.PX", px);

            SetReadByBlockFrom(0);
            auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
            auto c = t->OpenCursor();
            EXPECT_FALSE(ImageOf(*t).ReadWhole());
            if (writeFirst) {
                c->Insert(ToRow(15, {"novi", 7}));
                model[15] = {"novi", 7};
            }
            ExpectRows(*c, model);
            EXPECT_TRUE(ImageOf(*t).ReadWhole());
            // The next write puts the right .PX in place.
            ASSERT_TRUE(c->FindKey({Value::Int(10)}));
            c->Modify(ToRow(10, {"prvi", 1}));
            EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), Name), "");
        }
    }
}

// Each argument after the folder is one write: "K" gives row K the quantity 42, "K:Q" the quantity Q (both
// named "Druga stanica"), "+K" inserts row K.
PLOM_CHILD_ROLE(ByBlockOtherStation) {
    auto t = Table::Open(args.at(0), Name, OpenMode::Shared);
    auto c = t->OpenCursor();
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a[0] == '+') {
            c->Insert(ToRow(std::stoll(a.substr(1)), {"Druga stanica", 1}));
            continue;
        }
        const std::size_t colon = a.find(':');
        const std::int64_t key = std::stoll(a.substr(0, colon));
        if (!c->FindKey({Value::Int(key)})) return 3;
        c->Modify(
            ToRow(key, {"Druga stanica", colon == std::string::npos ? 42 : std::stoll(a.substr(colon + 1))}));
    }
    return 0;
}

// Runs the other station with these writes and puts them into the model.
void OtherStationWrites(const fs::path& folder, const std::vector<std::string>& writes, Model& model) {
    std::vector<std::string> args = {folder.string()};
    args.insert(args.end(), writes.begin(), writes.end());
    auto other = testsupport::ChildProcess::Role("ByBlockOtherStation", args);
    const auto end = other->Wait(std::chrono::seconds(30));
    ASSERT_TRUE(end && end->Success()) << (end ? end->Describe() : "still running");
    for (const std::string& w : writes) {
        const std::size_t colon = w.find(':');
        if (w[0] == '+')
            model[std::stoll(w.substr(1))] = {"Druga stanica", 1};
        else
            model[std::stoll(w.substr(0, colon))] = {"Druga stanica", std::stoll(w.substr(colon + 1))};
    }
}

void SeesAnotherStationsWrite();

TEST(ReadByBlock, AnotherStationsWriteToABlockNotReadYetIsSeen) {
    for (const std::uint64_t budget : Budgets) {
        SCOPED_TRACE(budget);
        const CacheBudget cache(budget);
        SeesAnotherStationsWrite();
    }
}

void SeesAnotherStationsWrite() {
    testsupport::TempFolder tmp;
    Model model = Fill(tmp.Path());
    SetReadByBlockFrom(0);
    auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
    auto c = t->OpenCursor();
    c->First();
    c->Next();
    const Bookmark second = c->GetBookmark();

    auto other = testsupport::ChildProcess::Role("ByBlockOtherStation", {tmp.Path().string(), "28000"});
    const auto end = other->Wait(std::chrono::seconds(30));
    ASSERT_TRUE(end && end->Success()) << (end ? end->Describe() : "still running");

    // The far block was never read: its old rows are gone from the file, so the table is read anew.
    ASSERT_TRUE(c->FindKey({Value::Int(28000)}));
    EXPECT_EQ(c->Read()[1].AsText(), "Druga stanica");
    EXPECT_EQ(c->Read()[2].AsInt(), 42);
    // A row this station had read keeps its bookmark.
    ASSERT_TRUE(c->GotoBookmark(second));
    EXPECT_EQ(c->Read()[0].AsInt(), 20);
    model[28000] = {"Druga stanica", 42};
    ExpectRows(*c, model);
}

// A station that finds the table unchanged for a block it reads asks the journal only while the .DB's time is
// recent. Another station's write must be seen either way: on a table last written long ago by the new time
// it gives the .DB, and by the journal when the time stays as it was (two writes within one step of the file
// clock, here a time ahead of the clock put back after the write), also once the station has taken in a write
// since it last found the time settled. Each write is taken in whole: a row of a block this station held
// shows its new value too, not only the row of the block read after it.
TEST(ReadByBlock, AnotherStationsWriteIsSeenWhateverTheTablesTime) {
    for (const std::int64_t shift : {std::int64_t{-3600}, std::int64_t{3600}}) {
        SCOPED_TRACE(shift);
        testsupport::TempFolder tmp;
        Model model = Fill(tmp.Path());
        const fs::path db = tmp.Path() / Name;
        const std::int64_t time = base::FileTime(db) + shift * 1000000000;
        for (const auto& file : base::FilesMatching(tmp.Path().string(), "STAVKE.*"))
            base::SetFileTime(file, time);
        SetReadByBlockFrom(0);
        auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
        auto c = t->OpenCursor();
        // Two blocks read: the first finds the stamp standing, the second may take it as settled.
        ASSERT_TRUE(c->FindKey({Value::Int(20)}));
        ASSERT_TRUE(c->FindKey({Value::Int(15000)}));

        std::int64_t ahead = time;
        for (const std::int64_t round : {1, 2}) {
            SCOPED_TRACE(round);
            // A block this station has not read yet, and the row it holds.
            const std::int64_t far = round == 1 ? 28000 : 24000;
            OtherStationWrites(
                tmp.Path(),
                {std::to_string(far) + ":" + std::to_string(40 + round), "20:" + std::to_string(round)},
                model);
            if (shift < 0 && round == 1) ahead = base::FileTime(db) + 3600 * std::int64_t{1000000000};
            base::SetFileTime(db, ahead);

            ASSERT_TRUE(c->FindKey({Value::Int(far)}));
            EXPECT_EQ(c->Read()[2].AsInt(), 40 + round);
            ASSERT_TRUE(c->FindKey({Value::Int(20)}));
            EXPECT_EQ(c->Read()[1].AsText(), "Druga stanica");
            EXPECT_EQ(c->Read()[2].AsInt(), round);
        }
        ExpectRows(*c, model);
    }
}

// Another station edits rows of blocks this station has read and of one it has not, then inserts into a full
// block (which splits it): each write is taken from the blocks it wrote, the table is never read anew, and
// the rows this station holds keep their bookmarks.
TEST(ReadByBlock, AnotherStationsWritesAreTakenFromTheBlocksTheyWrote) {
    testsupport::TempFolder tmp;
    Model model = Fill(tmp.Path());
    SetReadByBlockFrom(0);
    auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
    auto c = t->OpenCursor();
    const TableImage& image = ImageOf(*t);
    // An insert finds its block by the .PX's first keys: only that block (full, so it splits) and its
    // neighbours are read.
    c->Insert(ToRow(15003, {"Nova", 3}));
    model[15003] = {"Nova", 3};
    EXPECT_LE(image.RowsInMemory(), 4u * 48);
    ASSERT_TRUE(c->FindKey({Value::Int(15000)}));
    const Bookmark middle = c->GetBookmark();
    ASSERT_TRUE(c->FindKey({Value::Int(20)}));
    const Bookmark early = c->GetBookmark();

    const std::vector<std::vector<std::string>> rounds = {
        {"20:7", "15000:8", "21000:9"}, // two blocks read here, one not
        {"15010:10"},                   // a block written in the round before
        {"+15005", "+15006"},           // a full block splits: the chain changes
        {"30:11", "15005:12"},
    };
    for (const auto& writes : rounds) {
        SCOPED_TRACE(writes.front());
        ASSERT_NO_FATAL_FAILURE(OtherStationWrites(tmp.Path(), writes, model));
        t->Refresh();
        for (const std::string& w : writes) {
            const std::int64_t key = std::stoll(w.substr(w[0] == '+' ? 1 : 0, w.find(':')));
            ASSERT_TRUE(c->FindKey({Value::Int(key)})) << key;
            EXPECT_EQ(c->Read()[2].AsInt(), model.at(key).Kolicina) << key;
        }
        EXPECT_FALSE(image.ReadWhole());
        EXPECT_LT(image.RowsInMemory(), static_cast<std::size_t>(Rows) / 4);
        ASSERT_TRUE(c->GotoBookmark(middle));
        EXPECT_EQ(c->Read()[0].AsInt(), 15000);
        ASSERT_TRUE(c->GotoBookmark(early));
        EXPECT_EQ(c->Read()[0].AsInt(), 20);
    }
    ExpectRows(*c, model);
    EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), Name), "");
}

// An order by name made on a table read by block, with room in the cache for three blocks only: another
// station renames rows of blocks held here and of blocks let go, and inserts into a full block; the order
// follows each write (rows whose old names are no longer in memory leave it by their ids), and the table is
// never read anew.
TEST(ReadByBlock, AnOrderByNameFollowsAnotherStationsWrites) {
    const CacheBudget cache(3 * BlockBytes);
    testsupport::TempFolder tmp;
    Model model = Fill(tmp.Path());
    SetReadByBlockFrom(0);
    auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
    const TableImage& image = ImageOf(*t);
    auto byName = t->OpenCursor();
    byName->SetIndex(byName->FindIndexByName("_Naziv"));
    ExpectByName(*byName, model);
    EXPECT_LE(image.RowsInMemory() * 48, 3 * BlockBytes + BlockBytes);

    const std::vector<std::vector<std::string>> rounds = {
        {"20:7", "15000:8", "29000:9"},
        {"15010:10", "+15005", "+15006", "+15007"},
        {"970:11", "15005:12"},
    };
    for (const auto& writes : rounds) {
        SCOPED_TRACE(writes.front());
        ASSERT_NO_FATAL_FAILURE(OtherStationWrites(tmp.Path(), writes, model));
        t->Refresh();
        ExpectByName(*byName, model);
        ASSERT_TRUE(byName->FindKey({Value::Text("DRUGA STANICA")}));
        EXPECT_EQ(byName->Read()[0].AsInt(), 20); // the lowest key of that name
        EXPECT_FALSE(image.ReadWhole());
    }
    EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), Name), "");
}

// A large table's order by name is stored in its .Y file by the open that first makes it (the file keeps its
// date), and a later open in the same state reads it from there and searches its keys without reading rows.
// An edit that leaves the names as they sort keeps it; a write that changes them logs its change after it;
// an order stored before a write (put back, as a station of an older build might leave it) or a
// damaged one is not believed.
TEST(ReadByBlock, AnOrderByNameIsStoredForTheNextOpen) {
    testsupport::TempFolder tmp;
    Model model = Fill(tmp.Path());
    SetReadByBlockFrom(0);
    const auto ys = base::FilesMatching(tmp.Path(), "STAVKE.Y*");
    ASSERT_EQ(ys.size(), 1u);
    const fs::path y = ys.front();
    const auto definition = fs::file_size(y);
    const std::int64_t date = base::FileTime(y);
    auto storedForNow = [&] { return StoredForNow(tmp.Path(), y, definition); };
    auto lowestNamed = [&](const std::string& name) {
        for (const auto& [key, it] : model)
            if (base::SameText(it.Naziv, name)) return key;
        return std::int64_t{-1};
    };
    // Each open: the rows of some names found by name, then the whole order walked.
    auto search = [&](const std::vector<std::string>& names) {
        auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
        auto c = t->OpenCursor();
        c->SetIndex(c->FindIndexByName("_Naziv"));
        std::size_t read = 0;
        for (const std::string& name : names) {
            EXPECT_TRUE(c->FindKey({Value::Text(name)})) << name;
            const std::int64_t key = lowestNamed(name);
            EXPECT_EQ(c->OnRow() ? c->Read()[0].AsInt() : -1, key) << name;
            EXPECT_EQ(c->OnRow() ? c->Read()[2].AsInt() : -1, model.at(key).Kolicina) << name;
            if (read == 0) read = ImageOf(*t).RowsInMemory();
        }
        c->FindNearest({Value::Text("artikl 50x")});
        EXPECT_TRUE(c->OnRow() && base::SameText(c->Read()[1].AsText(), "artikl 51"));
        ExpectByName(*c, model);
        return read;
    };
    const std::vector<std::string> names = {"ARTIKL 5", "artikl 0", "Artikl 96", "ARTIKL 50"};
    search(names);
    const std::string stored = base::ReadWholeFile(y);
    EXPECT_TRUE(storedForNow());
    EXPECT_EQ(base::FileTime(y), date);
    // The first search reads the block of the row it finds and the one the cursor stood on, no more (a
    // search among the rows reads a dozen).
    EXPECT_LE(search(names), 2u * 48);

    // An edit in place that leaves every name as the index sees it keeps the order, for the new state.
    {
        auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
        auto c = t->OpenCursor();
        ASSERT_TRUE(c->FindKey({Value::Int(50)}));
        c->Modify(ToRow(50, {"ARTIKL 5", 99}));
        model[50] = {"ARTIKL 5", 99};
    }
    EXPECT_TRUE(storedForNow());
    EXPECT_LE(search(names), 2u * 48);

    {
        auto t = Table::Open(tmp.Path(), Name, OpenMode::Shared);
        auto byName = t->OpenCursor();
        byName->SetIndex(byName->FindIndexByName("_Naziv"));
        ASSERT_TRUE(byName->FindKey({Value::Text("artikl 5")}));
        auto byKey = t->OpenCursor();
        ASSERT_TRUE(byKey->FindKey({Value::Int(20)}));
        byKey->Modify(ToRow(20, {"Aaa", 2}));
        model[20] = {"Aaa", 2};
        EXPECT_GT(fs::file_size(y), stored.size()); // logged after it
        ASSERT_TRUE(byName->FindKey({Value::Text("AAA")}));
        EXPECT_EQ(byName->Read()[0].AsInt(), 20);
        ExpectByName(*byName, model);
    }
    WriteFileReplacing(y, stored);
    EXPECT_FALSE(storedForNow());
    search({"aaa", "artikl 5"});
    EXPECT_TRUE(storedForNow()); // stored again

    // The last keys damaged (the rows named "artikl 96", keys of 30 + 4 bytes, the names made to sort
    // first): the search goes by the rows.
    std::string damaged = base::ReadWholeFile(y);
    for (std::size_t k = 1; k <= 31; ++k)
        damaged[damaged.size() - k * 34] = '0';
    WriteFileReplacing(y, damaged);
    search({"Artikl 96", "ARTIKL 95"});
    EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), Name), "");
}

// Inserts, deletes, renames, new keys and replaced ranges, each in its own write, are logged after the
// stored order: every later open reads the order as first stored plus its log, finds names by the stored
// keys (reading only the blocks it lands on) and walks exactly the table's rows. A write of more steps than
// the log takes cuts the order off, and the next open makes it again.
TEST(ReadByBlock, AStoredOrderFollowsEveryWrite) {
    testsupport::TempFolder tmp;
    Model model = Fill(tmp.Path());
    SetReadByBlockFrom(0);
    const fs::path y = base::FilesMatching(tmp.Path(), "STAVKE.Y*").front();
    const auto definition = fs::file_size(y);
    auto open = [&] { return Table::Open(tmp.Path(), Name, OpenMode::Shared); };
    auto byName = [](Table& t) {
        auto c = t.OpenCursor();
        c->SetIndex(c->FindIndexByName("_Naziv"));
        return c;
    };
    // A fresh open finds these names' lowest keys by the stored keys, then walks the order.
    auto search = [&](const std::vector<std::string>& names) {
        auto t = open();
        auto c = byName(*t);
        for (const std::string& name : names) {
            std::int64_t lowest = -1;
            for (const auto& [key, it] : model)
                if (base::SameText(it.Naziv, name)) {
                    lowest = key;
                    break;
                }
            EXPECT_EQ(c->FindKey({Value::Text(name)}), lowest >= 0) << name;
            if (lowest >= 0) {
                EXPECT_EQ(c->Read()[0].AsInt(), lowest) << name;
            }
        }
        const std::size_t read = ImageOf(*t).RowsInMemory();
        ExpectByName(*c, model);
        EXPECT_FALSE(ImageOf(*t).ReadWhole());
        return read;
    };
    search({"artikl 5"});
    const std::string stored = base::ReadWholeFile(y);
    ASSERT_GT(stored.size(), definition);

    auto put = [&](Cursor& c, std::int64_t key, const Item& it) {
        c.Insert(ToRow(key, it));
        model[key] = it;
    };
    auto drop = [&](Cursor& c, std::int64_t key) {
        ASSERT_TRUE(c.FindKey({Value::Int(key)}));
        c.Delete();
        model.erase(key);
    };
    const std::vector<std::pair<std::string, std::function<void(Table&, Cursor&)>>> rounds = {
        {"inserts",
         [&](Table&, Cursor& c) {
             put(c, 15, {"Aaa novi", 1});
             put(c, 29995, {"zzz", 2});
             put(c, 1235, {"artikl 5", 3}); // into a full block: it splits
             put(c, 5, {"artikl 5", 4});    // before every row
         }},
        {"deletes",
         [&](Table&, Cursor& c) {
             drop(c, 5);
             drop(c, 30000);
             drop(c, 15000);
             drop(c, 1235);
         }},
        {"renames and a new key",
         [&](Table&, Cursor& c) {
             ASSERT_TRUE(c.FindKey({Value::Int(20)}));
             c.Modify(ToRow(20, {"Bbb", 5}));
             model[20] = {"Bbb", 5};
             ASSERT_TRUE(c.FindKey({Value::Int(40)}));
             c.Modify(ToRow(29999, {"aaa novi", 6})); // the row moves to the end, its name to the front
             model.erase(40);
             model[29999] = {"aaa novi", 6};
         }},
        {"a range replaced, a row put in and taken out",
         [&](Table& t, Cursor& c) {
             t.ReplaceRows({Value::Int(100)}, {Value::Int(200)},
                           {ToRow(105, {"Ccc", 7}), ToRow(155, {"artikl 5", 8})});
             for (std::int64_t k = 100; k <= 200; k += 10)
                 model.erase(k);
             model[105] = {"Ccc", 7};
             model[155] = {"artikl 5", 8};
             put(c, 17, {"Ddd", 9});
             drop(c, 17);
         }},
    };
    const std::vector<std::string> names = {"aaa novi", "artikl 5", "bbb", "CCC", "zzz", "artikl 96", "ddd"};
    for (const auto& [what, write] : rounds) {
        SCOPED_TRACE(what);
        {
            auto t = open();
            auto c = t->OpenCursor();
            ASSERT_NO_FATAL_FAILURE(write(*t, *c));
        }
        const std::string now = base::ReadWholeFile(y);
        EXPECT_GT(now.size(), stored.size());
        EXPECT_EQ(now.compare(0, stored.size(), stored), 0); // the stored order stays, its log grows
        EXPECT_TRUE(StoredForNow(tmp.Path(), y, definition));
        EXPECT_LE(search(names), names.size() * 2 * 48);
    }

    // An entry cut short (a station killed while it appended it): the order is not believed, a search goes
    // by the rows, and the order is made again.
    {
        std::string torn = base::ReadWholeFile(y);
        torn += torn.substr(stored.size(), 30);
        WriteFileReplacing(y, torn);
        search(names);
        EXPECT_TRUE(StoredForNow(tmp.Path(), y, definition));
        EXPECT_LT(fs::file_size(y), torn.size());
    }

    // More steps than the log takes: the order goes, and is made again for the table as it is.
    {
        auto t = open();
        t->DeleteRows({Value::Int(5000)}, {Value::Int(27000)});
        for (auto it = model.lower_bound(5000); it != model.end() && it->first <= 27000;)
            it = model.erase(it);
    }
    EXPECT_EQ(fs::file_size(y), definition);
    search(names);
    EXPECT_TRUE(StoredForNow(tmp.Path(), y, definition));
    EXPECT_NE(base::ReadWholeFile(y).compare(0, stored.size(), stored), 0);
    EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), Name), "");
}

// A table with memo fields, read by block: "NAPOMENE.DB", rows 1..N with texts of every kind (kept in the
// record, sub-allocated, a block of their own).
const char* const MemoName = "NAPOMENE.DB";

// A code, a name and a memo text.
void CreateMemoTable(const std::filesystem::path& folder) {
    CreateTable(folder, MemoName,
                {{"Code", FieldType::Long, 0, false},
                 {"Naziv", FieldType::Alpha, 20, false},
                 {"Opis", FieldType::Memo, 4, false}});
}

std::string NoteOf(std::int64_t key, char fill) {
    const std::size_t length = static_cast<std::size_t>(key * 37 % 2600);
    std::string text = "Opis " + std::to_string(key) + " ";
    text.resize(std::max(length, std::size_t{3}), fill);
    return key % 5 == 0 ? text.substr(0, 3) : text;
}

Row NoteRow(std::int64_t key, const std::string& text) {
    return {Value::Int(key), Value::Text("n" + std::to_string(key)),
            text.empty() ? Value() : Value::Text(text)};
}

// Every row of the table, in key order, with the text the model gives it.
void ExpectNotes(Table& t, const std::map<std::int64_t, std::string>& model) {
    auto c = t.OpenCursor();
    auto it = model.begin();
    for (c->First(); c->OnRow(); c->Next(), ++it) {
        ASSERT_NE(it, model.end());
        ASSERT_EQ(c->Read()[0].AsInt(), it->first);
        EXPECT_EQ(c->Read()[2].IsNull() ? "" : c->Read()[2].AsText(), it->second) << it->first;
    }
    EXPECT_EQ(it, model.end());
}

// Each argument after the folder is one write: "K=text" gives row K that text, "+K=text" inserts row K.
PLOM_CHILD_ROLE(MemoOtherStation) {
    auto t = Table::Open(args.at(0), MemoName, OpenMode::Shared);
    auto c = t->OpenCursor();
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const std::size_t eq = a.find('=');
        const bool insert = a[0] == '+';
        const std::int64_t key = std::stoll(a.substr(insert ? 1 : 0, eq));
        if (insert) {
            c->Insert(NoteRow(key, a.substr(eq + 1)));
        } else {
            if (!c->FindKey({Value::Int(key)})) return 3;
            c->Modify(NoteRow(key, a.substr(eq + 1)));
        }
    }
    return 0;
}

// Memo texts are read with the rows that are read, another station's new texts are taken in by block (also
// one written anew in the place, length and first bytes of the old), and writes here read the memo file's
// layout again first.
TEST(ReadByBlock, MemoTextsAreReadWithTheirRowsAndFollowAnotherStation) {
    testsupport::TempFolder tmp;
    base::SetDiskSync(false);
    CreateMemoTable(tmp.Path());
    std::map<std::int64_t, std::string> model;
    {
        auto t = Table::Open(tmp.Path(), MemoName, OpenMode::Exclusive);
        t->AddIndex({"", "Code", true, true, false, false});
        auto c = t->OpenCursor();
        for (std::int64_t k = 1; k <= 1500; ++k) {
            model[k] = NoteOf(k, 'x');
            c->Insert(NoteRow(k, model[k]));
        }
    }
    base::SetDiskSync(true);
    SetReadByBlockFrom(0);
    auto expectAll = [&](Table& t) { ExpectNotes(t, model); };
    auto t = Table::Open(tmp.Path(), MemoName, OpenMode::Shared);
    const TableImage& image = ImageOf(*t);
    auto c = t->OpenCursor();
    const std::vector<std::int64_t> keys = {7, 700, 57, 1499}; // no two blocks in a row: none read ahead
    for (std::int64_t k : keys) {
        ASSERT_TRUE(c->FindKey({Value::Int(k)}));
        EXPECT_EQ(c->Read()[2].AsText(), model[k]) << k;
    }
    EXPECT_LT(image.RowsInMemory(), 1500u / 4);

    // A write here first: the memo file's layout is read for it.
    ASSERT_TRUE(c->FindKey({Value::Int(63)}));
    model[63] = std::string(2500, 'u');
    c->Modify(NoteRow(63, model[63]));

    // Row 57's text (a block of its own) written anew with its length and first bytes lands where the old one
    // was: its record reads as before.
    const std::vector<std::string> writes = {"57=" + NoteOf(57, 'y'),
                                             "61=kr",
                                             "700=",
                                             "+1501=" + NoteOf(1501, 'z'),
                                             "+1503=" + std::string(3000, 'z'),
                                             "+1504=" + std::string(3000, 'q')}; // the last at the file's end
    std::vector<std::string> args = {tmp.Path().string()};
    args.insert(args.end(), writes.begin(), writes.end());
    auto other = testsupport::ChildProcess::Role("MemoOtherStation", args);
    const auto end = other->Wait(std::chrono::seconds(30));
    ASSERT_TRUE(end && end->Success()) << (end ? end->Describe() : "still running");
    model[57] = NoteOf(57, 'y');
    model[61] = "kr";
    model[700] = "";
    model[1501] = NoteOf(1501, 'z');
    model[1503] = std::string(3000, 'z');
    model[1504] = std::string(3000, 'q');
    t->Refresh();
    for (std::int64_t k : {std::int64_t{57}, std::int64_t{61}, std::int64_t{700}, std::int64_t{1501}}) {
        ASSERT_TRUE(c->FindKey({Value::Int(k)}));
        EXPECT_EQ(c->Read()[2].IsNull() ? "" : c->Read()[2].AsText(), model[k]) << k;
    }
    EXPECT_FALSE(image.ReadWhole());

    // Writes here: the memo file's layout as the other station left it.
    c->Insert(NoteRow(1502, model[1502] = std::string(3000, 'v'))); // where the file ends now
    ASSERT_TRUE(c->FindKey({Value::Int(62)}));
    model[62] = std::string(100, 'w');
    c->Modify(NoteRow(62, model[62]));
    expectAll(*t);
    c.reset();
    t.reset();
    // Read again under a cache that holds every row but not their texts: the texts count, blocks go.
    const CacheBudget cache(256 << 10);
    auto again = Table::Open(tmp.Path(), MemoName, OpenMode::Shared);
    expectAll(*again);
    EXPECT_LT(ImageOf(*again).RowsInMemory(), model.size() / 2);
    EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), MemoName), "");
}

// Counts the bytes read from memo files (opened before or after it was put in place).
class MemoReads : public base::FileSystem {
public:
    std::size_t Bytes = 0;
    ssize_t PRead(int fd, void* data, size_t len, off_t offset) override {
        const ssize_t n = FileSystem::PRead(fd, data, len, offset);
        std::error_code ec;
        const fs::path file = fs::read_symlink("/proc/self/fd/" + std::to_string(fd), ec);
        if (!ec && file.extension() == ".MB" && n > 0) Bytes += static_cast<std::size_t>(n);
        return n;
    }
};

// Another station's single write of each kind that moves memo texts (a text written anew in its block, one
// shortened into its record or emptied, new ones in a block with room, in a block of their own and at the
// file's end) is taken into the memo file's layout here without reading the file, in a table read by block
// and in one read whole (which reads the texts of the blocks that write rewrote): the writes here then put
// their texts where nobody's are, and every text reads as written, here and in a fresh open.
TEST(ReadByBlock, AnotherStationsMemoWriteIsTakenInWithoutReadingTheMemoFile) {
    for (const bool byBlock : {true, false}) {
        SCOPED_TRACE(byBlock ? "read by block" : "read whole");
        testsupport::TempFolder tmp;
        base::SetDiskSync(false);
        SetReadByBlockFrom(4u << 20);
        CreateMemoTable(tmp.Path());
        std::map<std::int64_t, std::string> model;
        {
            auto t = Table::Open(tmp.Path(), MemoName, OpenMode::Exclusive);
            t->AddIndex({"", "Code", true, true, false, false});
            std::vector<Row> rows;
            for (std::int64_t k = 1; k <= 1500; ++k)
                rows.push_back(NoteRow(k, model[k] = NoteOf(k, 'x')));
            t->ReplaceRows({}, {}, rows);
        }
        const std::size_t memoBytes = fs::file_size(tmp / "NAPOMENE.MB");
        if (byBlock) SetReadByBlockFrom(0);
        auto t = Table::Open(tmp.Path(), MemoName, OpenMode::Shared);
        auto c = t->OpenCursor();
        auto modify = [&](std::int64_t key, const std::string& text) {
            ASSERT_TRUE(c->FindKey({Value::Int(key)}));
            c->Modify(NoteRow(key, model[key] = text));
        };
        auto expectAll = [&](Table& table) {
            ExpectNotes(table, model);
            EXPECT_EQ(table.DamageReport(), "");
        };
        modify(3, std::string(200, 'h')); // a table read by block reads the layout for its first write

        const std::vector<std::pair<std::int64_t, std::string>> theirs = {
            {57, NoteOf(57, 'y')},           // a block of its own, written anew where it was
            {61, "kr"},                      // into its record: the slot is freed
            {700, ""},                       // emptied
            {64, std::string(40, 's')},      // a slot in a block with room
            {2000, NoteOf(1501, 'z')},       // a new row's sub-allocated text
            {2001, std::string(3000, 'z')}}; // a block of its own at the file's end
        std::int64_t mine = 3000;
        for (const auto& [key, text] : theirs) {
            SCOPED_TRACE(key);
            const std::string write = (key >= 2000 ? "+" : "") + std::to_string(key) + "=" + text;
            auto other = testsupport::ChildProcess::Role("MemoOtherStation", {tmp.Path().string(), write});
            const auto end = other->Wait(std::chrono::seconds(30));
            ASSERT_TRUE(end && end->Success()) << (end ? end->Describe() : "still running");
            model[key] = text;
            MemoReads reads;
            {
                const base::ScopedFileSystem scope(reads);
                t->Refresh();
                ASSERT_TRUE(c->FindKey({Value::Int(key)}));
                EXPECT_EQ(c->Read()[2].IsNull() ? "" : c->Read()[2].AsText(), text);
                // A text in a block with room, one of a block of its own, one freed.
                c->Insert(NoteRow(mine, model[mine] = std::string(30, 'm')));
                ++mine;
                c->Insert(NoteRow(mine, model[mine] = std::string(2100, 'M')));
                ++mine;
                modify(10 + key % 50, "");
            }
            // By block: the texts of the rows read; whole: those of the rows of the block the write rewrote.
            EXPECT_LT(reads.Bytes, byBlock ? 8u * codec::MbUnit : memoBytes / 4) << "the memo file was read";
            EXPECT_EQ(ImageOf(*t).ReadWhole(), !byBlock);
        }
        expectAll(*t);
        c.reset();
        t.reset();
        base::SetDiskSync(true);
        auto again = Table::Open(tmp.Path(), MemoName, OpenMode::Shared);
        expectAll(*again);
        again.reset();
        EXPECT_EQ(enginetest::CheckConsistency(tmp.Path(), MemoName), "");
    }
    SetReadByBlockFrom(4u << 20);
}

} // namespace
