// Taking in another station's writes in two steps: the plan is complete or there is none, making it changes
// nothing the image shows, and applying it leaves the image a fresh open would read. Two images of one table
// stand for two stations: one writes, the other catches up.
#include "base/FileIo.h"
#include "base/FileSystem.h"
#include "engine/codec/Bytes.h"
#include "engine/codec/DbHeader.h"
#include "engine/FileLock.h"
#include "engine/TableImage.h"
#include "engine/TableRefresh.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

using namespace engine;

const char* const Name = "ROBA.DB";

// Keys 100, 200, ... so that rows can be put between them.
fs::path Fill(const fs::path& folder, int rows) {
    base::SetDiskSync(false);
    CreateTable(folder, Name,
                {{"Id", FieldType::Long, 0, false},
                 {"Naziv", FieldType::Alpha, 20, false},
                 {"Kolicina", FieldType::Long, 0, false}});
    {
        auto t = Table::Open(folder, Name, OpenMode::Exclusive);
        t->AddIndex({"", "Id", true, true, false, false});
        t->AddIndex({"ByName", "Naziv", false, false, true, false});
        auto c = t->OpenCursor();
        for (int i = 1; i <= rows; ++i)
            c->Insert({Value::Int(i * 100), Value::Text((i % 2 ? "ab" : "AB") + std::to_string(i % 37)),
                       Value::Int(i)});
    }
    return folder / Name;
}

// An image as a station opens it.
struct Station {
    explicit Station(const fs::path& db) : Image(db), Lock(db) { Image.Sync(Lock); }
    TableImage Image;
    LockFile Lock;
};

RowId RowWithKey(TableImage& image, std::int64_t key) {
    ChunkedOrder& order = image.Order(-1);
    Row row;
    for (auto p = order.Begin(); !order.IsEnd(p); p = order.Next(p)) {
        image.Decode(order.At(p), row);
        if (row[0].AsInt() == key) return order.At(p);
    }
    ADD_FAILURE() << "no row " << key;
    return 0;
}

std::string Text(const Value& v) {
    if (v.IsNull()) return "-";
    return v.IsText() ? v.AsText() : std::to_string(v.AsInt());
}

// Every order's rows, as the image gives them.
std::vector<std::string> Walk(TableImage& image) {
    std::vector<std::string> out;
    Row row;
    for (int index = -1; index < image.SecondaryCount(); ++index) {
        ChunkedOrder& order = image.Order(index);
        out.push_back("order " + std::to_string(index) + " of " + std::to_string(order.Size()));
        for (auto p = order.Begin(); !order.IsEnd(p); p = order.Next(p)) {
            image.Decode(order.At(p), row);
            out.push_back(Text(row[0]) + "|" + Text(row[1]) + "|" + Text(row[2]));
        }
    }
    out.push_back("rows " + std::to_string(image.RecordCount()) + " auto " +
                  std::to_string(image.LastAutoInc()));
    return out;
}

void Write(TableImage& image, const std::function<void()>& write) {
    image.PrepareWrite();
    write();
}

struct ReadByBlockFrom {
    explicit ReadByBlockFrom(std::uint64_t bytes) : Was(engine::ReadByBlockFrom()) {
        SetReadByBlockFrom(bytes);
    }
    ~ReadByBlockFrom() { SetReadByBlockFrom(Was); }
    std::uint64_t Was;
};

TEST(RefreshPlan, IsNoneWhenNoOtherStationWrote) {
    testsupport::TempFolder tmp;
    const fs::path db = Fill(tmp.Path(), 200);
    Station a(db);
    EXPECT_FALSE(TableRefresh(a.Image).Plan().has_value());
}

TEST(RefreshPlan, OfAnEditTakesOnlyTheRewrittenBlockAndChangesNothingUntilApplied) {
    testsupport::TempFolder tmp;
    const fs::path db = Fill(tmp.Path(), 400);
    Station a(db), b(db);
    const auto before = Walk(a.Image);
    const std::uint64_t version = a.Image.Version();
    Write(b.Image, [&] {
        b.Image.Modify(RowWithKey(b.Image, 5000),
                       {Value::Int(5000), Value::Text("promijenjeno"), Value::Int(-1)});
    });

    TableRefresh refresh(a.Image);
    std::optional<RefreshPlan> plan = refresh.Plan();
    ASSERT_TRUE(plan.has_value());
    EXPECT_TRUE(plan->InPlace);
    ASSERT_EQ(plan->Chain.size(), 1u);
    std::size_t changed = 0;
    for (const auto& pl : plan->Rows[0])
        changed += pl.Changed ? 1 : 0;
    EXPECT_EQ(changed, 1u);
    EXPECT_TRUE(plan->Gone.empty());
    EXPECT_EQ(plan->Writes, 1u);
    // Planning read and checked, the image still shows the rows it had.
    EXPECT_EQ(a.Image.Version(), version);
    EXPECT_EQ(Walk(a.Image), before);

    ASSERT_TRUE(refresh.Apply(*plan));
    EXPECT_NE(a.Image.Version(), version);
    Station fresh(db);
    EXPECT_EQ(Walk(a.Image), Walk(fresh.Image));
}

TEST(RefreshPlan, OfASplitAccountsForEveryRowAlongTheNewChain) {
    testsupport::TempFolder tmp;
    const fs::path db = Fill(tmp.Path(), 400);
    Station a(db), b(db);
    std::vector<Row> rows;
    for (int k = 1; k < 100; ++k)
        rows.push_back({Value::Int(1000 + k), Value::Text("novi " + std::to_string(k)), Value::Int(k)});
    Write(b.Image, [&] { b.Image.ReplaceRows({Value::Int(1001)}, {Value::Int(1099)}, rows); });
    Write(b.Image, [&] { b.Image.Delete(RowWithKey(b.Image, 30000)); });

    TableRefresh refresh(a.Image);
    std::optional<RefreshPlan> plan = refresh.Plan();
    ASSERT_TRUE(plan.has_value());
    EXPECT_FALSE(plan->InPlace);
    EXPECT_EQ(plan->Writes, 2u);
    std::uint64_t counted = 0;
    for (const auto& link : plan->Chain)
        counted += static_cast<std::uint64_t>(link.Count);
    EXPECT_EQ(counted, plan->Header.NumRecords);
    EXPECT_EQ(plan->Header.NumRecords, 400u + 99u - 1u);
    EXPECT_EQ(plan->Gone.size(), 1u);

    ASSERT_TRUE(refresh.Apply(*plan));
    Station fresh(db);
    EXPECT_EQ(Walk(a.Image), Walk(fresh.Image));
}

// A row whose long memo text stays in the .MB while another of its fields changes: the plan keeps the text
// where it is (no whole read), and the image gives it as a fresh open does.
TEST(RefreshPlan, OfAnEditBesideALongMemoKeepsTheMemoText) {
    testsupport::TempFolder tmp;
    base::SetDiskSync(false);
    CreateTable(tmp.Path(), "NAPOMENE.DB",
                {{"Id", FieldType::Long, 0, false},
                 {"Kolicina", FieldType::Long, 0, false},
                 {"Napomena", FieldType::Memo, 10, false}});
    const std::string longText(3000, 'x');
    {
        auto t = Table::Open(tmp.Path(), "NAPOMENE.DB", OpenMode::Exclusive);
        t->AddIndex({"", "Id", true, true, false, false});
        auto c = t->OpenCursor();
        for (int i = 1; i <= 50; ++i)
            c->Insert({Value::Int(i), Value::Int(i), Value::Text(i % 2 ? longText : "kratko")});
    }
    const fs::path db = tmp.Path() / "NAPOMENE.DB";
    Station a(db), b(db);
    Walk(a.Image); // every row and its text read
    Write(b.Image, [&] {
        b.Image.Modify(RowWithKey(b.Image, 7), {Value::Int(7), Value::Int(-7), Value::Text(longText)});
    });

    TableRefresh refresh(a.Image);
    std::optional<RefreshPlan> plan = refresh.Plan();
    ASSERT_TRUE(plan.has_value());
    EXPECT_FALSE(plan->MemosMoved);
    ASSERT_TRUE(refresh.Apply(*plan));
    Station fresh(db);
    EXPECT_EQ(Walk(a.Image), Walk(fresh.Image));
    Row row;
    a.Image.Decode(RowWithKey(a.Image, 7), row);
    EXPECT_EQ(row[1].AsInt(), -7);
    EXPECT_EQ(row[2].AsText(), longText);
}

// A block whose links no longer hold (here: it names itself as the next one) gives no plan, and the image
// keeps what it showed; the whole read then reports the damage.
TEST(RefreshPlan, IsNoneWhenARewrittenBlockBreaksTheChain) {
    testsupport::TempFolder tmp;
    const fs::path db = Fill(tmp.Path(), 400);
    Station a(db), b(db);
    const auto before = Walk(a.Image);
    std::uint16_t block = 0;
    Write(b.Image, [&] {
        const RowId id = RowWithKey(b.Image, 5000);
        b.Image.Modify(id, {Value::Int(5000), Value::Text("promijenjeno"), Value::Int(-1)});
        for (const auto& c : b.Image.Order(-1).Chunks())
            for (RowId x : c->Ids())
                if (x == id) block = c->Block;
    });
    ASSERT_NE(block, 0);
    {
        std::string head(4096, '\0');
        const int fd = ::open(db.c_str(), O_RDWR);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pread(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
        const codec::DbHeader h = codec::ParseDbHeader(head, fs::file_size(db), Name);
        unsigned char link[2] = {static_cast<unsigned char>(block & 0xFF),
                                 static_cast<unsigned char>(block >> 8)};
        const off_t at =
            static_cast<off_t>(h.HeaderSize + (block - 1u) * static_cast<unsigned>(h.BlockSize()));
        ASSERT_EQ(::pwrite(fd, link, 2, at), 2);
        ::close(fd);
    }

    EXPECT_FALSE(TableRefresh(a.Image).Plan().has_value());
    EXPECT_EQ(Walk(a.Image), before);
}

// The .DB cut short after another station's write (its header names blocks the file no longer holds): no
// plan, and the whole read reports the damaged file instead of reading past its end.
TEST(RefreshPlan, IsNoneWhenTheFileWasCutShort) {
    testsupport::TempFolder tmp;
    const fs::path db = Fill(tmp.Path(), 400);
    Station a(db), b(db);
    Write(b.Image, [&] {
        b.Image.Modify(RowWithKey(b.Image, 100),
                       {Value::Int(100), Value::Text("promijenjeno"), Value::Int(0)});
    });
    fs::resize_file(db, fs::file_size(db) - 1024);

    EXPECT_FALSE(TableRefresh(a.Image).Plan().has_value());
    try {
        a.Image.Sync(a.Lock);
        ADD_FAILURE() << "a table cut short was read";
    } catch (const DamagedFile& e) {
        EXPECT_NE(std::string(e.what()).find(Name), std::string::npos) << e.what();
    }
}

// Reads that fail from the first on.
struct FailingReads : base::FileSystem {
    ssize_t PRead(int, void*, size_t, off_t) override {
        errno = EIO;
        return -1;
    }
};

// Taking the plan in needs rows a large table let go (to place the changed row in the order by name), and
// the disk refuses them: the image is let go whole instead of half changed, and its next sync reads it as a
// fresh open does.
TEST(RefreshPlan, AnApplyThatCannotReadWhatItNeedsLetsTheImageGoWhole) {
    testsupport::TempFolder tmp;
    const ReadByBlockFrom threshold(0);
    const fs::path db = Fill(tmp.Path(), 600);
    Station a(db), b(db);
    ASSERT_FALSE(a.Image.ReadWhole());
    a.Image.Order(0); // read along without keeping the rows
    ASSERT_EQ(a.Image.RowsInMemory(), 0u);
    Write(b.Image, [&] {
        b.Image.Modify(RowWithKey(b.Image, 30000),
                       {Value::Int(30000), Value::Text("zz novo"), Value::Int(1)});
    });

    TableRefresh refresh(a.Image);
    std::optional<RefreshPlan> plan = refresh.Plan();
    ASSERT_TRUE(plan.has_value());
    {
        FailingReads failing;
        const base::ScopedFileSystem scoped(failing);
        EXPECT_FALSE(refresh.Apply(*plan));
    }
    EXPECT_TRUE(a.Image.Sync(a.Lock));
    Station fresh(db);
    EXPECT_EQ(Walk(a.Image), Walk(fresh.Image));
}

// Random writes of one to a few rows, a turn at a time: each turn's plan, when there is one, accounts for
// every row and leaves the image a fresh open reads; without one the whole read does. Read whole, and read by
// block.
void TakesRandomWrites(bool byBlock) {
    testsupport::TempFolder tmp;
    const ReadByBlockFrom threshold(byBlock ? 0 : 4u << 20);
    const fs::path db = Fill(tmp.Path(), 600);
    Station a(db), b(db);
    std::mt19937 rng(byBlock ? 7 : 11);
    int planned = 0;
    for (int turn = 0; turn < 60; ++turn) {
        SCOPED_TRACE(turn);
        a.Image.Order(0); // the order by name follows every turn
        const int writes = 1 + static_cast<int>(rng() % 3);
        for (int w = 0; w < writes; ++w)
            Write(b.Image, [&] {
                const std::int64_t key = 1 + static_cast<std::int64_t>(rng() % 70000);
                const Row row{Value::Int(key), Value::Text("r" + std::to_string(rng() % 50)),
                              Value::Int(static_cast<std::int64_t>(rng() % 1000))};
                ChunkedOrder& order = b.Image.Order(-1);
                const RowId some = order.At(order.FromRank(static_cast<std::int64_t>(rng() % order.Size())));
                try {
                    switch (rng() % 3) {
                    case 0:
                        b.Image.Insert(row);
                        break;
                    case 1:
                        b.Image.Delete(some);
                        break;
                    default: {
                        Row old;
                        b.Image.Decode(some, old);
                        b.Image.Modify(some, {old[0], row[1], row[2]});
                    }
                    }
                } catch (const KeyViolation&) {
                }
            });
        TableRefresh refresh(a.Image);
        std::optional<RefreshPlan> plan = refresh.Plan();
        if (plan) {
            ++planned;
            if (!plan->InPlace) {
                std::uint64_t rows = 0;
                for (const auto& link : plan->Chain)
                    rows += static_cast<std::uint64_t>(link.Count);
                EXPECT_EQ(rows, plan->Header.NumRecords);
            }
            ASSERT_TRUE(refresh.Apply(*plan));
        } else {
            a.Image.Sync(a.Lock);
        }
        Station fresh(db);
        ASSERT_EQ(Walk(a.Image), Walk(fresh.Image));
    }
    EXPECT_GT(planned, 30); // most turns are taken in from their blocks
}

TEST(RefreshPlan, ApplyLeavesWhatAFreshOpenReads) {
    TakesRandomWrites(false);
    TakesRandomWrites(true);
}

} // namespace
