#include "base/FileIo.h"
#include "base/FileSystem.h"
#include "base/ReplaceFile.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <set>

namespace {

namespace fs = std::filesystem;

// Every call moves at most 3 bytes, and every other one is interrupted by a signal first.
class StutteringFileSystem : public base::FileSystem {
public:
    ssize_t PRead(int fd, void* data, size_t len, off_t offset) override {
        if (Interrupt()) return -1;
        return FileSystem::PRead(fd, data, std::min<size_t>(len, 3), offset);
    }
    ssize_t PWrite(int fd, const void* data, size_t len, off_t offset) override {
        if (Interrupt()) return -1;
        return FileSystem::PWrite(fd, data, std::min<size_t>(len, 3), offset);
    }
    ssize_t Write(int fd, const void* data, size_t len) override {
        if (Interrupt()) return -1;
        return FileSystem::Write(fd, data, std::min<size_t>(len, 3));
    }
    int calls = 0;

private:
    bool Interrupt() {
        if (++calls % 2 == 0) return false;
        errno = EINTR;
        return true;
    }
};

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        out.insert(e.path().filename().string());
    return out;
}

TEST(FileLayer, WholeReadsAndWritesSurviveSignalsAndShortCounts) {
    testsupport::TempFolder tmp;
    const std::string text = "Prozori i vrata od PVC-a i aluminija";
    StutteringFileSystem stutter;
    {
        base::ScopedFileSystem scope(stutter);
        base::FileHandle fd = base::FileHandle::Open(tmp / "a.bin", O_RDWR | O_CREAT);
        ASSERT_TRUE(fd);
        // Every open closes on exec, whatever the caller asked.
        EXPECT_NE(::fcntl(fd.Get(), F_GETFD) & FD_CLOEXEC, 0);
        const base::IoResult w = base::WriteAt(fd.Get(), text.data(), text.size(), 5);
        EXPECT_EQ(w.Error, 0);
        EXPECT_EQ(w.Done, text.size());
        std::string back(text.size() + 10, '\0');
        const base::IoResult r = base::ReadAt(fd.Get(), back.data(), back.size(), 5);
        EXPECT_EQ(r.Error, 0);
        EXPECT_EQ(back.substr(0, r.Done), text); // short only at the end of the file
        EXPECT_FALSE(base::ReadExactlyAt(fd.Get(), back.data(), text.size() + 1, 5));
    }
    EXPECT_GT(stutter.calls, 20);
    EXPECT_EQ(tmp.Read("a.bin"), std::string(5, '\0') + text);
}

TEST(FileLayer, ReplaceFileLeavesTheOldFileOrTheNewOneAndNoTemporary) {
    testsupport::TempFolder tmp;
    tmp.Write("QK.INI", "staro");
    base::ReplaceFile(tmp / "QK.INI", "novo");
    EXPECT_EQ(tmp.Read("QK.INI"), "novo");
    EXPECT_EQ(Names(tmp.Path()), std::set<std::string>{"QK.INI"});

    // Two writers of one name each get their own temporary.
    int a = -1, b = -1;
    const fs::path ta = base::CreateTemporaryBeside(tmp / "QK.INI", a);
    const fs::path tb = base::CreateTemporaryBeside(tmp / "QK.INI", b);
    EXPECT_NE(ta, tb);
    EXPECT_EQ(ta.parent_path(), tmp.Path());
    base::FileHandle ha(a), hb(b);
    fs::remove(ta);
    fs::remove(tb);

    // A failure at any step (create, write, sync, rename) keeps the old contents and removes the temporary.
    for (int step = 1; step <= 4; ++step) {
        SCOPED_TRACE(step);
        testsupport::FaultFileSystem faults;
        if (step == 3)
            faults.FailSync(1, ENOSPC);
        else
            faults.FailWrite(step == 4 ? 3 : step, ENOSPC);
        base::ScopedFileSystem scope(faults);
        try {
            base::ReplaceFile(tmp / "QK.INI", std::string(1000, 'x'));
            ADD_FAILURE() << "no error";
        } catch (const base::FileError& e) {
            EXPECT_EQ(e.Message(), "Datoteka QK.INI se ne može zapisati: disk je pun");
            EXPECT_EQ(e.Error(), ENOSPC);
        }
        EXPECT_EQ(tmp.Read("QK.INI"), "novo");
        EXPECT_EQ(Names(tmp.Path()), std::set<std::string>{"QK.INI"});
    }
}

// Folders are made and removed through the file layer too: a failing step is told and leaves what it
// could not do; a tree's links are removed, never followed.
TEST(FileLayer, FoldersAreMadeAndRemovedThroughTheLayer) {
    testsupport::TempFolder tmp;
    {
        testsupport::FaultFileSystem faults;
        faults.FailWrite(2, EACCES);
        base::ScopedFileSystem scope(faults);
        EXPECT_EQ(base::MakeFolders(tmp / "a/b/c"), EACCES);
    }
    EXPECT_TRUE(fs::is_directory(tmp / "a"));
    EXPECT_FALSE(fs::exists(tmp / "a/b"));
    EXPECT_EQ(base::MakeFolders(tmp / "a/b/c/"), 0);
    EXPECT_TRUE(fs::is_directory(tmp / "a/b/c"));
    EXPECT_EQ(base::MakeFolders(tmp / "a/b/c"), 0);

    tmp.Write("kept", "outside");
    tmp.Write("a/b/c/file", "x");
    fs::create_symlink(tmp / "kept", tmp / "a/b/link");
    fs::create_directory_symlink(tmp.Path(), tmp / "a/up");
    EXPECT_EQ(base::RemoveTree(tmp / "a"), 0);
    EXPECT_FALSE(fs::exists(tmp / "a"));
    EXPECT_EQ(tmp.Read("kept"), "outside");
    EXPECT_EQ(base::RemoveTree(tmp / "a"), 0); // gone already
}

} // namespace
