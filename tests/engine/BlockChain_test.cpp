// The block chain of a large table read by block: a row's block is read when the row is first needed, a walk
// reads on along the blocks that follow, a block let go is read again as it was, and a block that does not
// link as the chain says is not believed: the table is read whole instead.
#include "base/FileSystem.h"
#include "engine/codec/DbHeader.h"
#include "engine/FileLock.h"
#include "engine/TableImage.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace engine;

const char* const Name = "STAVKE.DB";

fs::path Fill(const fs::path& folder, int rows) {
    base::SetDiskSync(false);
    CreateTable(folder, Name, {{"Id", FieldType::Long, 0, false}, {"Opis", FieldType::Alpha, 40, false}});
    auto t = Table::Open(folder, Name, OpenMode::Exclusive);
    t->AddIndex({"", "Id", true, true, false, false});
    auto c = t->OpenCursor();
    for (int i = 1; i <= rows; ++i)
        c->Insert({Value::Int(i), Value::Text("stavka " + std::to_string(i))});
    return folder / Name;
}

struct ReadByBlockFrom {
    explicit ReadByBlockFrom(std::uint64_t bytes) : Was(engine::ReadByBlockFrom()) {
        SetReadByBlockFrom(bytes);
    }
    ~ReadByBlockFrom() { SetReadByBlockFrom(Was); }
    std::uint64_t Was;
};

struct Station {
    explicit Station(const fs::path& db) : Image(db), Lock(db) { Image.Sync(Lock); }
    TableImage Image;
    LockFile Lock;
};

std::int64_t KeyOf(TableImage& image, RowId id) {
    Row row;
    image.Decode(id, row);
    return row[0].AsInt();
}

TEST(BlockChain, ARowsBlockIsReadWhenTheRowIsFirstNeededAndAgainAfterItIsLetGo) {
    testsupport::TempFolder tmp;
    const ReadByBlockFrom threshold(0);
    Station s(Fill(tmp.Path(), 3000));
    TableImage& image = s.Image;
    ASSERT_FALSE(image.ReadWhole());
    EXPECT_EQ(image.RowsInMemory(), 0u);
    ChunkedOrder& order = image.Order(-1);
    const Chunk& third = order.ChunkAt(2);
    const RowId row = third.Id(1);
    EXPECT_EQ(image.RowsInMemory(), 0u); // the chunk is made from the .PX, its block not read
    EXPECT_EQ(KeyOf(image, row), static_cast<std::int64_t>(row) + 1);
    EXPECT_EQ(image.RowsInMemory(), third.Count()); // that block alone: no walk led to it
    const std::string bytes(reinterpret_cast<const char*>(image.Record(row)), image.RecordSize());

    image.LetBlockGo(third.Block);
    EXPECT_EQ(image.RowsInMemory(), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.Record(row)), image.RecordSize()), bytes);
    EXPECT_EQ(image.RowsInMemory(), third.Count());
}

TEST(BlockChain, AWalkReadsOnAlongTheBlocksThatFollow) {
    testsupport::TempFolder tmp;
    const ReadByBlockFrom threshold(0);
    Station s(Fill(tmp.Path(), 3000));
    TableImage& image = s.Image;
    ChunkedOrder& order = image.Order(-1);
    ASSERT_GT(order.ChunkCount(), 8u);
    image.Record(order.ChunkAt(0).Id(0));
    const std::size_t first = image.RowsInMemory();
    image.Record(order.ChunkAt(1).Id(0)); // the walk goes on: the blocks after it come in the same read
    EXPECT_GT(image.RowsInMemory(), first + order.ChunkAt(1).Count());
    // Every row read so is the one its place in the chain names.
    for (auto p = order.Begin(); !order.IsEnd(p); p = order.Next(p))
        ASSERT_EQ(KeyOf(image, order.At(p)), order.Rank(p) + 1);
}

// The block's link back names another block (the file's size and time as they were): reading it throws the
// image out of date, and the image is read whole at its next sync, with every row.
TEST(BlockChain, ABlockThatDoesNotLinkAsTheChainSaysIsNotBelieved) {
    testsupport::TempFolder tmp;
    const ReadByBlockFrom threshold(0);
    const fs::path db = Fill(tmp.Path(), 3000);
    Station s(db);
    TableImage& image = s.Image;
    const Chunk& fifth = image.Order(-1).ChunkAt(4);
    {
        struct stat st {};
        ASSERT_EQ(::stat(db.c_str(), &st), 0);
        std::string head(4096, '\0');
        const int fd = ::open(db.c_str(), O_RDWR);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pread(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
        const codec::DbHeader h = codec::ParseDbHeader(head, fs::file_size(db), Name);
        const unsigned char wrong[2] = {1, 0};
        const off_t at =
            static_cast<off_t>(h.HeaderSize + (fifth.Block - 1u) * static_cast<unsigned>(h.BlockSize()));
        ASSERT_EQ(::pwrite(fd, wrong, 2, at + 2), 2);
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ASSERT_EQ(::futimens(fd, times), 0);
        ::close(fd);
    }
    const RowId row = fifth.Id(0);
    EXPECT_THROW(image.Record(row), TableImage::Outdated);
    EXPECT_TRUE(image.Sync(s.Lock));
    EXPECT_TRUE(image.ReadWhole());
    EXPECT_EQ(image.RecordCount(), 3000);
    ChunkedOrder& order = image.Order(-1);
    for (auto p = order.Begin(); !order.IsEnd(p); p = order.Next(p))
        ASSERT_EQ(KeyOf(image, order.At(p)), order.Rank(p) + 1);
}

} // namespace
