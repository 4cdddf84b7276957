// The secondary orders of a table image: keys packed so that their bytes sort as the index does, orders made
// from the rows in memory or by reading a large table along, and stored in the .Y file for the next open,
// which is not misled by a stored order that no longer reads back.
#include "base/FileSystem.h"
#include "engine/FileLock.h"
#include "engine/SecondaryOrders.h"
#include "engine/TableImage.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

using namespace engine;

const char* const Name = "KUPCI.DB";

fs::path Fill(const fs::path& folder, int rows) {
    base::SetDiskSync(false);
    CreateTable(folder, Name,
                {{"Id", FieldType::Long, 0, false},
                 {"Naziv", FieldType::Alpha, 12, false},
                 {"Iznos", FieldType::Long, 0, false}});
    auto t = Table::Open(folder, Name, OpenMode::Exclusive);
    t->AddIndex({"", "Id", true, true, false, false});
    t->AddIndex({"ByName", "Naziv", false, false, true, false});
    t->AddIndex({"ByAmount", "Iznos", false, false, false, true});
    auto c = t->OpenCursor();
    const char* const names[] = {"čvor", "Čvor", "ana", "ANA", "Žito", "zito", "", "b"};
    for (int i = 1; i <= rows; ++i)
        c->Insert({Value::Int(i), Value::Text(std::string(names[i % 8]) + std::to_string(i % 5)),
                   i % 9 == 0 ? Value() : Value::Int((i * 37) % 101 - 50)});
    return folder / Name;
}

struct Station {
    explicit Station(const fs::path& db) : Image(db), Lock(db) { Image.Sync(Lock); }
    TableImage Image;
    LockFile Lock;
};

std::vector<RowId> IdsOf(const ChunkedOrder& order) {
    std::vector<RowId> ids;
    for (auto p = order.Begin(); !order.IsEnd(p); p = order.Next(p))
        ids.push_back(order.At(p));
    return ids;
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct ReadByBlockFrom {
    explicit ReadByBlockFrom(std::uint64_t bytes) : Was(engine::ReadByBlockFrom()) {
        SetReadByBlockFrom(bytes);
    }
    ~ReadByBlockFrom() { SetReadByBlockFrom(Was); }
    std::uint64_t Was;
};

// Case-insensitive text (Croatian letters included), a descending number with nulls: the packed keys sort
// exactly as the order made by comparing rows, and unpack to the same key.
TEST(SecondaryOrders, PackedKeysSortAsTheIndexComparesRows) {
    testsupport::TempFolder tmp;
    Station s(Fill(tmp.Path(), 300));
    TableImage& image = s.Image;
    SecondaryOrders orders(image);
    for (int index = 0; index < image.SecondaryCount(); ++index) {
        SCOPED_TRACE(index);
        const auto parts = orders.SortParts(index);
        const std::size_t width = SecondaryOrders::KeyWidth(parts);
        std::vector<std::pair<std::string, RowId>> keys;
        for (RowId id : IdsOf(image.Order(-1))) {
            std::string key(width, '\0');
            orders.PackKey(parts, image.Record(id), reinterpret_cast<unsigned char*>(key.data()));
            const unsigned char* back = orders.UnpackKey(parts, key.data());
            EXPECT_FALSE(image.Before(index, back, id, image.Record(id), id));
            EXPECT_FALSE(image.Before(index, image.Record(id), id, back, id));
            keys.emplace_back(std::move(key), id);
        }
        std::sort(keys.begin(), keys.end());
        std::vector<RowId> byBytes;
        for (const auto& k : keys)
            byBytes.push_back(k.second);
        EXPECT_EQ(byBytes, IdsOf(*orders.Build(index)));
        EXPECT_EQ(byBytes, IdsOf(image.Order(index)));
    }
}

// A large table's order is made by reading it along and stored; the next open reads it back, and one whose
// stored keys were damaged meanwhile makes it again: the same order either way.
TEST(SecondaryOrders, ALargeTablesOrderIsStoredAndAnOrderThatDoesNotReadBackIsMadeAgain) {
    testsupport::TempFolder tmp;
    const fs::path db = Fill(tmp.Path(), 2000);
    const fs::path y = tmp.Path() / "KUPCI.YG0";
    const ReadByBlockFrom threshold(0);
    const std::uintmax_t definition = fs::file_size(y);
    std::vector<RowId> made;
    {
        Station first(db);
        ASSERT_FALSE(first.Image.ReadWhole());
        made = IdsOf(first.Image.Order(0));
        EXPECT_EQ(first.Image.RowsInMemory(), 0u); // read along without keeping the rows
    }
    ASSERT_GT(fs::file_size(y), definition + 2000 * 4); // the record numbers and keys follow the definition
    const std::string stored = Bytes(y);
    {
        Station second(db);
        EXPECT_EQ(IdsOf(second.Image.Order(0)), made);
        EXPECT_EQ(second.Image.RowsInMemory(), 0u);
    }
    // A byte of the stored record numbers changed: the order's checksum no longer holds, so it is made again
    // (and stored again as it was).
    std::string damaged = stored;
    damaged[definition + 100] = static_cast<char>(damaged[definition + 100] ^ 0x40);
    std::ofstream(y, std::ios::binary | std::ios::trunc) << damaged;
    Station third(db);
    EXPECT_EQ(IdsOf(third.Image.Order(0)), made);
    EXPECT_EQ(Bytes(y), stored);
}

} // namespace
