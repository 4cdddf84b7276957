#include "setup/kit/DrvnCompress.h"
#include "setup/kit/KitExceptions.h"
#include "tests/setup/kit/KitTestEnv.h"

#include <csignal>
#include <cstring>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

using namespace setup;
namespace fs = std::filesystem;

namespace {

std::string Slurp(const std::string& file) {
    return testsupport::ReadFile(file);
}

void Spit(const std::string& file, const std::string& bytes) {
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(gen());
    return s;
}

std::string Text(std::size_t n) {
    std::string s;
    static const char* words[] = {"prozor ", "vrata ", "okvir ", "krilo ", "staklo ", "profil\n"};
    for (std::size_t i = 0; s.size() < n; ++i)
        s += words[(i * 7 + i / 3) % 6];
    s.resize(n);
    return s;
}

void SetMtime(const std::string& file, time_t seconds) {
    struct timeval tv[2] = {{seconds, 0}, {seconds, 0}};
    ::utimes(file.c_str(), tv);
}

std::string Le32(std::uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
    return s;
}

class Archive : public setuptest::KitTest {
protected:
    void Pack(const std::vector<std::string>& files, TlzhCommand command = lzcOverwrite,
              TCompressionLevel level = colMax) {
        zip.SetCompressedFile(Path("files.1"));
        zip.CompressionLevel = level;
        zip.SetFilesToProcess(files);
        zip.Compress(command);
    }
    void Unpack(const std::vector<std::string>& names, const std::string& dir = "out") {
        zip.SetCompressedFile(zip.CompressedFile().empty() ? Path("files.1") : zip.CompressedFile());
        zip.ExtractDirectory = Path(dir);
        zip.SetFilesToProcess(names);
        zip.Extract();
    }
    TDrvnCompress zip;
};

} // namespace

TEST_F(Archive, OneMemberLayoutMatchesTheRecordByteForByte) {
    EnterTemp();
    Spit(Path("a.txt"), "hello");
    SetMtime(Path("a.txt"), 1577934245); // 2020-01-02 03:04:05 UTC
    zip.SetCompressedFile("files.1");
    zip.SetFilesToProcess({"a.txt"});
    zip.Compress(lzcOverwrite);

    uLongf zlen = compressBound(5);
    std::string z(zlen, '\0');
    ASSERT_EQ(
        compress2(reinterpret_cast<Bytef*>(z.data()), &zlen, reinterpret_cast<const Bytef*>("hello"), 5, 9),
        Z_OK);
    z.resize(zlen);

    std::string record(164, '\0');
    auto put = [&](std::size_t at, const std::string& bytes) { record.replace(at, bytes.size(), bytes); };
    put(0, Le32(1));
    const double date = 43832.0 + (3 * 3600 + 4 * 60 + 5) / 86400.0;
    std::string dateBytes(8, '\0');
    std::memcpy(dateBytes.data(), &date, 8);
    put(4, dateBytes);
    put(16, Le32(static_cast<std::uint32_t>(5 + 164 + z.size() - 1)));
    put(20, std::string(1, '\5') + "a.txt");
    put(124, Le32(static_cast<std::uint32_t>(5 + 164 + z.size())));
    put(128, Le32(5));
    put(132, Le32(169));
    put(136, Le32(static_cast<std::uint32_t>(z.size())));
    const std::string expected = Le32(1) + std::string(1, '\0') + record + z;
    EXPECT_EQ(Slurp(Path("files.1")), expected);
}

TEST_F(Archive, EmptyListGivesFiveByteArchive) {
    Pack({});
    EXPECT_EQ(Slurp(Path("files.1")), std::string(5, '\0'));
    EXPECT_EQ(zip.FileCount(), 0);
}

TEST_F(Archive, RoundTripsAtEveryLevelWithDatesAndStats) {
    const std::string text = Text(300000), noise = RandomBytes(70000, 1);
    Spit(Path("src/text.txt"), text);
    Spit(Path("src/noise.bin"), noise);
    Spit(Path("src/empty"), "");
    SetMtime(Path("src/text.txt"), 1000000000);
    for (TCompressionLevel level : {colNone, colFastest, colDefault, colMax}) {
        SCOPED_TRACE(level);
        Pack({Path("src/text.txt"), Path("src/noise.bin"), Path("src/empty")}, lzcOverwrite, level);
        ASSERT_EQ(zip.FileCount(), 3);
        const TlzhFileStats s = zip.GetFileStats(0);
        EXPECT_EQ(s.FileSize, text.size());
        EXPECT_EQ(s.Header.FileNumber, 1);
        if (level == colNone)
            EXPECT_GT(s.FileCompressed, text.size());
        else
            EXPECT_LT(s.FileCompressed, text.size() / 4);
        fs::remove_all(Path("out"));
        Unpack({Path("src/text.txt"), Path("src/noise.bin"), Path("src/empty")});
        EXPECT_EQ(Slurp(Path("out/text.txt")), text);
        EXPECT_EQ(Slurp(Path("out/noise.bin")), noise);
        EXPECT_TRUE(fs::exists(Path("out/empty")));
        EXPECT_EQ(fs::file_size(Path("out/empty")), 0u);
        struct stat st {};
        ::stat(Path("out/text.txt").c_str(), &st);
        EXPECT_EQ(st.st_mtime, 1000000000);
        EXPECT_TRUE(zip.FilesToProcess().empty());
    }
}

TEST_F(Archive, ProgressReachesTheWholeFileAndFinishesOnce) {
    Spit(Path("src/a"), Text(200000));
    Spit(Path("src/b"), "x");
    std::vector<TlzhFileStats> events;
    zip.OnStatus = [&](TDrvnCompress&, const TlzhFileStats& s) { events.push_back(s); };
    Pack({Path("src/a"), Path("src/b")});
    ASSERT_FALSE(events.empty());
    int finished = 0;
    for (const auto& e : events)
        if (e.Finished) {
            ++finished;
            EXPECT_EQ(e.FilePercent, 100);
            EXPECT_EQ(e.FileDone, e.FileSize);
        }
    EXPECT_EQ(finished, 2);
    EXPECT_EQ(events.back().TotalPercent, 100);
    EXPECT_EQ(events.back().TotalDone, 200001u);
    EXPECT_EQ(events.back().FileRatio, Percent(events.back().FileCompressed, 1));
    EXPECT_GE(events.back().FileRatio, 255); // a 1-byte file grows: the ratio stays within its byte

    events.clear();
    Unpack({Path("src/a"), Path("src/b")});
    EXPECT_EQ(events.back().TotalPercent, 100);
    EXPECT_TRUE(events.back().Finished);
}

TEST_F(Archive, LookupIgnoresCaseAndMissingMemberIsNamed) {
    Spit(Path("src/Partner.db"), "data");
    Pack({Path("src/Partner.db")});
    EXPECT_EQ(zip.IndexOfFile(Path("src/PARTNER.DB")), 0);
    Unpack({Path("src/partner.DB")});
    EXPECT_EQ(Slurp(Path("out/Partner.db")), "data");
    try {
        Unpack({"nothing.txt"});
        FAIL();
    } catch (const EDrvnCompress& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Datoteka <nothing.txt> nije pronađena u arhivi <" + Path("files.1") + ">");
    }
    EXPECT_THROW(zip.GetFileStats(1), EDrvnCompress);
}

TEST_F(Archive, AppendKeepsOldBytesAndNumbersTheNewBatchFromOne) {
    Spit(Path("src/a"), Text(5000));
    Spit(Path("src/b"), Text(7000));
    Spit(Path("src/c"), "c");
    Pack({Path("src/a")});
    const std::string before = Slurp(Path("files.1"));
    Pack({Path("src/b"), Path("src/c")}, lzcOnlyAdd);
    const std::string after = Slurp(Path("files.1"));
    EXPECT_EQ(after.substr(0, 4), Le32(3));
    EXPECT_EQ(after.substr(4, before.size() - 4), before.substr(4));
    EXPECT_EQ(zip.GetFileStats(1).Header.FileNumber, 1);
    EXPECT_EQ(zip.GetFileStats(2).Header.FileNumber, 2);
    Unpack({Path("src/a"), Path("src/b"), Path("src/c")});
    EXPECT_EQ(Slurp(Path("out/c")), "c");
    EXPECT_EQ(Slurp(Path("out/b")), Text(7000));

    fs::remove(Path("new.1"));
    zip.SetCompressedFile(Path("new.1"));
    zip.SetFilesToProcess({Path("src/a")});
    zip.Compress(lzcOnlyAdd); // no archive yet: a new one
    EXPECT_EQ(zip.FileCount(), 1);
}

TEST_F(Archive, FailedOrAbortedAppendLeavesTheOldArchiveWhole) {
    Spit(Path("src/a"), Text(5000));
    Spit(Path("src/big"), Text(400000));
    Pack({Path("src/a")});
    const std::string before = Slurp(Path("files.1"));

    // a missing file is found before anything is written
    zip.SetFilesToProcess({Path("src/missing")});
    EXPECT_THROW(zip.Compress(lzcOnlyAdd), EDrvnCompress);
    EXPECT_EQ(Slurp(Path("files.1")), before);
    EXPECT_TRUE(zip.Abort);

    bool aborted = false;
    zip.OnAborted = [&](TDrvnCompress&) { aborted = true; };
    zip.OnStatus = [](TDrvnCompress& c, const TlzhFileStats& s) {
        if (s.FileDone > 100000) c.Abort = true;
    };
    zip.SetFilesToProcess({Path("src/big")});
    zip.Compress(lzcOnlyAdd);
    EXPECT_TRUE(aborted);
    EXPECT_TRUE(zip.Abort);
    EXPECT_EQ(Slurp(Path("files.1")), before);

    // a new archive that fails leaves the old one in place too
    zip.OnStatus = [](TDrvnCompress& c, const TlzhFileStats&) { c.Abort = true; };
    zip.SetFilesToProcess({Path("src/big")});
    zip.Compress(lzcOverwrite);
    EXPECT_EQ(Slurp(Path("files.1")), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(temp_.Path()), fs::directory_iterator()),
              2); // files.1, src
}

TEST_F(Archive, RefusesLongKeysDuplicatesAndVolumeSetsWhenPacking) {
    const std::string longName = Path(std::string(110, 'n'));
    Spit(longName, "x");
    zip.SetCompressedFile(Path("files.1"));
    zip.SetFilesToProcess({longName});
    EXPECT_THROW(zip.Compress(lzcOverwrite), EDrvnCompress);
    EXPECT_FALSE(fs::exists(Path("files.1")));

    Spit(Path("src/a"), "a");
    Spit(Path("src/A"), "A");
    zip.SetFilesToProcess({Path("src/a"), Path("src/A")});
    EXPECT_THROW(zip.Compress(lzcOverwrite), EDrvnCompress);
    Pack({Path("src/a")});
    zip.SetFilesToProcess({Path("src/A")});
    EXPECT_THROW(zip.Compress(lzcOnlyAdd), EDrvnCompress);

    zip.CopyToVolumes(Path("vol"), "files.1");
    zip.SetCompressedFile(Path("vol/files.1"));
    zip.SetFilesToProcess({Path("src/A")});
    EXPECT_THROW(zip.Compress(lzcOnlyAdd), EDrvnCompress);
}

TEST_F(Archive, ExtractionNeverLeavesTheTargetFolder) {
    Spit(Path("src/x"), "payload");
    Pack({Path("src/x")});
    std::string bytes = Slurp(Path("files.1"));
    auto withName = [&](const std::string& name) {
        std::string b = bytes;
        b[5 + 20] = static_cast<char>(name.size());
        b.replace(5 + 21, 100, std::string(100, '\0'));
        b.replace(5 + 21, name.size(), name);
        Spit(Path("evil.1"), b);
        zip.SetCompressedFile(Path("evil.1"));
        zip.SetCompressedFile(Path("evil.1x"));
        zip.SetCompressedFile(Path("evil.1"));
    };
    for (const std::string name : {"../../escape", "..\\..\\escape", "/etc/escape", "c:escape"}) {
        SCOPED_TRACE(name);
        withName(name);
        Unpack({name}, "deep/out");
        EXPECT_EQ(Slurp(Path("deep/out/escape")), "payload");
        fs::remove(Path("deep/out/escape"));
    }
    for (const std::string name : {"..", "a/..", "x\\.", "dir/"}) {
        SCOPED_TRACE(name);
        withName(name);
        EXPECT_THROW(Unpack({name}, "deep/out"), EDrvnCompress);
    }
    EXPECT_FALSE(fs::exists(Path("escape")));
    EXPECT_FALSE(fs::exists(Path("deep/escape")));
    EXPECT_TRUE(fs::is_empty(Path("deep/out")));
}

TEST_F(Archive, HostileDirectoriesAreRefusedCleanly) {
    Spit(Path("src/x"), Text(3000));
    Spit(Path("src/y"), Text(2000));
    Pack({Path("src/x"), Path("src/y")});
    const std::string good = Slurp(Path("files.1"));
    const std::string corrupt =
        "Could not read the file headers for the compressed file. The Archive file could possible be corrupt";
    auto expectRefused = [&](const std::string& bytes) {
        Spit(Path("bad.1"), bytes);
        TDrvnCompress z;
        z.SetCompressedFile(Path("bad.1"));
        try {
            z.FileCount();
            ADD_FAILURE() << "accepted";
        } catch (const EDrvnCompress& e) {
            EXPECT_EQ(std::string(e.what()), corrupt);
        }
    };
    expectRefused(good.substr(0, 3));                 // no head
    expectRefused(Le32(1000) + good.substr(4));       // more records than the file can hold
    expectRefused(Le32(0xFFFFFFFF) + good.substr(4)); // negative count
    expectRefused(good.substr(0, good.size() - 10));  // data cut off
    std::string b = good;
    b.replace(5 + 124, 4, Le32(0x7FFFFFF0)); // next record far outside the file
    expectRefused(b);
    b = good;
    b.replace(5 + 132, 4, Le32(0x7FFFFF00)); // data outside the file
    expectRefused(b);
    b = good;
    b[4] = 7; // unknown layout
    expectRefused(b);

    // over-long length bytes are clamped to their fields
    b = good;
    b[5 + 20] = static_cast<char>(250);
    b[5 + 141] = static_cast<char>(250);
    Spit(Path("long.1"), b);
    TDrvnCompress z;
    z.SetCompressedFile(Path("long.1"));
    ASSERT_EQ(z.FileCount(), 2);
    EXPECT_EQ(z.GetFileStats(0).FileName.size(), 100u);
    EXPECT_EQ(z.GetFileStats(0).Header.FileVersion.size(), 20u);
}

TEST_F(Archive, DamagedStreamsFailWithoutTouchingTheOldTarget) {
    Spit(Path("src/x"), Text(100000));
    Pack({Path("src/x")});
    const std::string good = Slurp(Path("files.1"));
    Spit(Path("out/x"), "the user's file");

    std::string flipped = good;
    flipped[5 + 164 + 200] = static_cast<char>(flipped[5 + 164 + 200] ^ 0x55);
    Spit(Path("flip.1"), flipped);
    zip.SetCompressedFile(Path("flip.1"));
    EXPECT_THROW(Unpack({Path("src/x")}), EDrvnCompress);
    EXPECT_EQ(Slurp(Path("out/x")), "the user's file");

    // a record that claims less data than the stream needs: the stream ends early
    std::string cut = good;
    const std::uint32_t size = static_cast<std::uint32_t>(good.size() - 169);
    cut.replace(5 + 136, 4, Le32(size - 20));
    cut.replace(5 + 16, 4, Le32(169 + size - 21));
    Spit(Path("cut.1"), cut);
    zip.SetCompressedFile(Path("cut.1"));
    EXPECT_THROW(Unpack({Path("src/x")}), EDrvnCompress);
    EXPECT_EQ(Slurp(Path("out/x")), "the user's file");

    // a record whose size disagrees with the stream
    std::string wrongSize = good;
    wrongSize.replace(5 + 128, 4, Le32(99999));
    Spit(Path("size.1"), wrongSize);
    zip.SetCompressedFile(Path("size.1"));
    try {
        Unpack({Path("src/x")});
        FAIL();
    } catch (const EDrvnCompress& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Veličina dekomresiranih datoteka ne odgovara stvarnoj veličini.  Datoteka " +
                      Path("src/x"));
    }
    EXPECT_EQ(Slurp(Path("out/x")), "the user's file");
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("out")), fs::directory_iterator()), 1);
    EXPECT_TRUE(zip.ExtractName.empty());
}

TEST_F(Archive, OverwriteRulesDecideAndNeverSkippedFilesStillFinish) {
    Spit(Path("src/x"), "new");
    SetMtime(Path("src/x"), 2000000000);
    Pack({Path("src/x")});
    Spit(Path("out/x"), "old");
    SetMtime(Path("out/x"), 1000000000);

    std::vector<TlzhFileStats> events;
    zip.OnStatus = [&](TDrvnCompress&, const TlzhFileStats& s) { events.push_back(s); };
    int replaced = 0;
    zip.OnReplace = [&](TDrvnCompress&, const TlzhFileStats&) { ++replaced; };
    zip.Overwrite = owNever;
    Unpack({Path("src/x")});
    EXPECT_EQ(Slurp(Path("out/x")), "old");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(events[0].Finished);

    zip.Overwrite = owDate;
    Unpack({Path("src/x")});
    EXPECT_EQ(Slurp(Path("out/x")), "new");
    EXPECT_EQ(replaced, 1);
    Unpack({Path("src/x")}); // same date now: kept
    EXPECT_EQ(replaced, 1);
}

TEST_F(Archive, ProgramsGetTheExecutableBitOthersDoNot) {
    Spit(Path("src/prog"), std::string("\x7F"
                                       "ELF\x02\x01\x01",
                                       7) +
                               RandomBytes(100, 2));
    Spit(Path("src/script"), "#!/bin/sh\necho hi\n");
    Spit(Path("src/data"), "plain");
    Pack({Path("src/prog"), Path("src/script"), Path("src/data")});
    Unpack({Path("src/prog"), Path("src/script"), Path("src/data")});
    const mode_t mask = ::umask(022);
    ::umask(mask);
    auto mode = [](const std::string& f) {
        struct stat st {};
        ::stat(f.c_str(), &st);
        return st.st_mode & 0777;
    };
    EXPECT_EQ(mode(Path("out/prog")), 0755u & ~mask);
    EXPECT_EQ(mode(Path("out/script")), 0755u & ~mask);
    EXPECT_EQ(mode(Path("out/data")), 0644u & ~mask);
}

TEST_F(Archive, ExtractNameRenamesOneMemberAndIsClearedAfterwards) {
    Spit(Path("src/plom.ini"), "[podaci]");
    Pack({Path("src/plom.ini")});
    zip.ExtractName = "PLOM.INI";
    Unpack({Path("src/plom.ini")});
    EXPECT_EQ(Slurp(Path("out/PLOM.INI")), "[podaci]");
    EXPECT_TRUE(zip.ExtractName.empty());
}

TEST_F(Archive, VolumeSetsSplitAtTheCapacityAndExtractWhole) {
    std::vector<std::string> names;
    std::map<std::string, std::string> content;
    for (int i = 0; i < 4; ++i) {
        const std::string name = Path("src/f" + std::to_string(i));
        content[name] =
            RandomBytes(30000 + 1000 * static_cast<std::size_t>(i), 10 + static_cast<unsigned>(i));
        Spit(name, content[name]);
        names.push_back(name);
    }
    Pack(names, lzcOverwrite, colNone);
    const auto archiveSize = fs::file_size(Path("files.1"));

    std::vector<int> asked;
    zip.VolumeCapacity = 50000;
    zip.OnNewDisk = [&](TDrvnCompress&, int disk, std::string& path) {
        asked.push_back(disk);
        path = Path("disk" + std::to_string(disk));
        fs::create_directories(path);
    };
    fs::create_directories(Path("disk1"));
    zip.CopyToVolumes(Path("disk1"), "files.1");
    EXPECT_EQ(asked, (std::vector<int>{2, 3}));
    EXPECT_EQ(fs::file_size(Path("disk1/files.1")), 50000u);
    EXPECT_EQ(fs::file_size(Path("disk2/files.2")), 50000u);
    EXPECT_EQ(fs::file_size(Path("disk1/files.1")) + fs::file_size(Path("disk2/files.2")) +
                  fs::file_size(Path("disk3/files.3")),
              archiveSize + 3 * 164 - 3 * 164); // the same records and streams, regrouped

    // the directory sits on volume 1 and names both volumes of a member that crosses
    TDrvnCompress set;
    set.SetCompressedFile(Path("disk1/files.1"));
    ASSERT_EQ(set.FileCount(), 4);
    EXPECT_EQ(set.GetFileStats(0).Header.StartVolume, 1);
    EXPECT_EQ(set.GetFileStats(1).Header.StartVolume, 1);
    EXPECT_EQ(set.GetFileStats(1).Header.EndVolume, 2);
    EXPECT_EQ(Slurp(Path("disk1/files.1")).substr(4, 1), std::string(1, '\1'));

    asked.clear();
    set.OnNewDisk = [&](TDrvnCompress&, int disk, std::string& path) {
        asked.push_back(disk);
        path = Path("disk" + std::to_string(disk));
    };
    set.ExtractDirectory = Path("out");
    set.SetFilesToProcess(names);
    set.Extract();
    for (const auto& n : names)
        EXPECT_EQ(Slurp(Path("out/" + fs::path(n).filename().string())), content[n]);
    EXPECT_FALSE(asked.empty());
}

TEST_F(Archive, VolumesWithoutAHandlerOrRoomFailAndLeaveNothing) {
    Spit(Path("src/a"), RandomBytes(20000, 3));
    Pack({Path("src/a")}, lzcOverwrite, colNone);
    zip.VolumeCapacity = 8000;
    try {
        zip.CopyToVolumes(Path("v"), "files.1");
        FAIL();
    } catch (const EDrvnCompress& e) {
        EXPECT_EQ(
            std::string(e.what()),
            "There was no event handler for the OnNewDisk event, therefore no new disk could be inserted");
    }
    EXPECT_FALSE(fs::exists(Path("v/files.1")));
    zip.VolumeCapacity = 100; // not even the directory fits
    zip.OnNewDisk = [](TDrvnCompress&, int, std::string&) {};
    fs::create_directories(Path("v"));
    EXPECT_THROW(zip.CopyToVolumes(Path("v"), "files.1"), EDrvnCompress);
    EXPECT_TRUE(fs::is_empty(Path("v")));
}

TEST_F(Archive, EmbeddedArchiveIsReadAtItsOffset) {
    Spit(Path("src/a"), "embedded member");
    Pack({Path("src/a")});
    Spit(Path("setup"), "LOADER PROGRAM BYTES" + Slurp(Path("files.1")) + std::string(56, 'T'));
    TDrvnCompress z;
    z.SetCompressedFile(Path("setup"));
    EXPECT_THROW(z.FileCount(), EDrvnCompress); // the loader's bytes are no archive head
    z.SetOffset(20);                            // a new base drops what was read before
    EXPECT_EQ(z.FileCount(), 1);
    z.ExtractDirectory = Path("out");
    z.SetFilesToProcess({Path("src/a")});
    z.Extract();
    EXPECT_EQ(Slurp(Path("out/a")), "embedded member");
}

// A file-size limit makes writes come short exactly as a full disk does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        Set(bytes);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    void Set(rlim_t bytes) {
        struct rlimit r = old_;
        r.rlim_cur = std::min(bytes, old_.rlim_max);
        ::setrlimit(RLIMIT_FSIZE, &r);
    }

private:
    struct rlimit old_ {};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(Archive, ShortWritesFailUnlessTheFullDiskHandlerMadeRoom) {
    const std::string data = RandomBytes(200000, 5);
    Spit(Path("src/a"), data);
    Pack({Path("src/a")}, lzcOverwrite, colNone);
    Spit(Path("out/a"), "old");
    {
        FileSizeLimit limit(100000);
        try {
            Unpack({Path("src/a")});
            FAIL();
        } catch (const EdcDiskFull& e) {
            // said where, and how much more it needs there
            const std::string said = e.what();
            EXPECT_EQ(said.rfind("Disk je pun: u mapi " + Path("out") + " nedostaje još ", 0), 0u) << said;
            const std::size_t number = said.find("još ") + 5;
            EXPECT_GT(std::atoll(said.c_str() + number), 0) << said;
            EXPECT_LE(std::atoll(said.c_str() + number), 200000) << said;
        }
        EXPECT_EQ(Slurp(Path("out/a")), "old");

        int calls = 0;
        zip.OnFullDisk = [&](TDrvnCompress&) {
            ++calls;
            limit.Set(RLIM_INFINITY);
        };
        Unpack({Path("src/a")});
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(Slurp(Path("out/a")), data);

        limit.Set(100000);
        bool aborted = false;
        zip.OnFullDisk = [](TDrvnCompress& c) { c.Abort = true; };
        zip.OnAborted = [&](TDrvnCompress&) { aborted = true; };
        fs::remove(Path("out/a"));
        Unpack({Path("src/a")});
        EXPECT_TRUE(aborted);
        EXPECT_FALSE(fs::exists(Path("out/a")));
    }
    EXPECT_TRUE(fs::is_empty(Path("out")));
}

TEST_F(Archive, SingleFileCopyHonoursOverwriteAndAbort) {
    Spit(Path("src/a"), Text(50000));
    SetMtime(Path("src/a"), 1500000000);
    zip.CopySingleFile(Path("src/a"), Path("dst/a"));
    EXPECT_EQ(Slurp(Path("dst/a")), Text(50000));
    struct stat st {};
    ::stat(Path("dst/a").c_str(), &st);
    EXPECT_EQ(st.st_mtime, 1500000000);

    Spit(Path("dst/b"), "keep me");
    zip.Overwrite = owNever;
    zip.CopySingleFile(Path("src/a"), Path("dst/b"));
    EXPECT_EQ(Slurp(Path("dst/b")), "keep me");

    zip.Overwrite = owAlways;
    zip.OnStatus = [](TDrvnCompress& c, const TlzhFileStats& s) {
        if (s.FileDone >= 16384) c.Abort = true;
    };
    zip.CopySingleFile(Path("src/a"), Path("dst/b"));
    EXPECT_TRUE(zip.Abort);
    EXPECT_EQ(Slurp(Path("dst/b")), "keep me");
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("dst")), fs::directory_iterator()), 2);
}

namespace {

long MaxRssKb() {
    struct rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// A large file written block by block: text with a changing counter, so deflate has real work.
std::string BlockOf(std::size_t index, std::size_t size) {
    std::string b = Text(size);
    const std::string mark = std::to_string(index * 2654435761u);
    for (std::size_t at = 0; at + mark.size() < b.size(); at += 4093)
        b.replace(at, mark.size(), mark);
    return b;
}

} // namespace

TEST_F(Archive, LargeMembersAreStreamedNotHeldInMemory) {
    constexpr std::size_t block = 1 << 20, blocks = 110; // 110 MiB
    {
        std::ofstream out(Path("big.dat"), std::ios::binary);
        for (std::size_t i = 0; i < blocks; ++i)
            out << BlockOf(i, block);
    }
    const long before = MaxRssKb();
    Pack({Path("big.dat")}, lzcOverwrite, colFastest);
    EXPECT_LT(fs::file_size(Path("files.1")), blocks * block / 2);
    Unpack({Path("big.dat")});
    EXPECT_LT(MaxRssKb() - before, 48 * 1024) << "the member went through memory whole";

    ASSERT_EQ(fs::file_size(Path("out/big.dat")), blocks * block);
    std::ifstream in(Path("out/big.dat"), std::ios::binary);
    std::string got(block, '\0');
    for (std::size_t i = 0; i < blocks; ++i) {
        in.read(got.data(), static_cast<std::streamsize>(block));
        ASSERT_EQ(got, BlockOf(i, block)) << "block " << i;
    }
}

TEST_F(Archive, AnyVolumeNamesTheSetAndMissingVolumesAreReported) {
    Spit(Path("src/a"), RandomBytes(30000, 7));
    Spit(Path("src/b"), RandomBytes(30000, 8));
    Pack({Path("src/a"), Path("src/b")}, lzcOverwrite, colNone);
    zip.VolumeCapacity = 25000;
    zip.OnNewDisk = [](TDrvnCompress&, int, std::string&) {}; // the same folder for every volume
    zip.CopyToVolumes(Path("set"), "files.1");
    ASSERT_TRUE(fs::exists(Path("set/files.3")));

    TDrvnCompress set;
    set.SetCompressedFile(Path("set/files.2"));
    EXPECT_EQ(set.FileCount(), 2);
    set.ExtractDirectory = Path("out");
    set.SetFilesToProcess({Path("src/b")});
    set.Extract();
    EXPECT_EQ(Slurp(Path("out/b")), Slurp(Path("src/b")));

    // records of a volume set that cannot be right are refused with the directory
    const std::string first = Slurp(Path("set/files.1"));
    for (const auto& [at, byte] :
         std::vector<std::pair<std::size_t, char>>{{5 + 140, 3},     // starts after its end
                                                   {5 + 132, 10}}) { // inside the directory
        std::string bad = first;
        bad[at] = byte;
        if (at == 5 + 132) bad.replace(at, 4, Le32(10));
        Spit(Path("badset/files.1"), bad);
        TDrvnCompress z;
        z.SetCompressedFile(Path("badset/files.1"));
        EXPECT_THROW(z.FileCount(), EDrvnCompress) << at;
    }

    fs::remove(Path("set/files.3"));
    set.SetFilesToProcess({Path("src/b")});
    try {
        set.Extract();
        FAIL();
    } catch (const EDrvnCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Ne mogu na disku otvoriti pravilnu datoteku 3");
    }
    int asked = 0;
    set.OnNewDisk = [&](TDrvnCompress&, int disk, std::string&) { asked += disk; };
    set.SetFilesToProcess({Path("src/b")});
    EXPECT_THROW(set.Extract(), EDrvnCompress);
    EXPECT_EQ(asked, 4 * 3); // four tries for disk 3, then the error
}

TEST_F(Archive, AbortsAndSilentCancelsEndOperationsAsDescribed) {
    Spit(Path("src/a"), RandomBytes(40000, 9));
    Spit(Path("src/b"), "b");
    Pack({Path("src/a"), Path("src/b")}, lzcOverwrite, colNone);

    // a silent cancel from a handler ends Extract quietly
    zip.OnBeforeExtracting = [](TDrvnCompress&, const TlzhFileStats& s) {
        if (s.FileName.ends_with("b")) throw base::Abort();
    };
    Unpack({Path("src/a"), Path("src/b")});
    EXPECT_TRUE(fs::exists(Path("out/a")));
    EXPECT_FALSE(fs::exists(Path("out/b")));
    EXPECT_TRUE(zip.FilesToProcess().empty());
    zip.OnBeforeExtracting = nullptr;

    // CopyToVolumes stopped by the user: OnAborted, Abort stays set, no volume is left behind
    int abortedCalls = 0;
    zip.OnAborted = [&](TDrvnCompress&) { ++abortedCalls; };
    zip.OnStatus = [](TDrvnCompress& c, const TlzhFileStats& s) {
        if (s.TotalDone > 10000) c.Abort = true;
    };
    zip.VolumeCapacity = 30000;
    zip.OnNewDisk = [](TDrvnCompress&, int, std::string&) {};
    zip.CopyToVolumes(Path("vol"), "files.1");
    EXPECT_EQ(abortedCalls, 1);
    EXPECT_TRUE(zip.Abort);
    EXPECT_TRUE(fs::is_empty(Path("vol")));

    // while a silent cancel passes through CopyToVolumes
    zip.OnStatus = [](TDrvnCompress&, const TlzhFileStats&) { throw base::Abort(); };
    EXPECT_THROW(zip.CopyToVolumes(Path("vol"), "files.1"), base::Abort);
    EXPECT_TRUE(fs::is_empty(Path("vol")));
    zip.OnStatus = nullptr;
    try {
        zip.GetFileStats(2);
        FAIL();
    } catch (const EDrvnCompress& e) {
        EXPECT_STREQ(e.what(), "Pokušavam uzeti 2 datoteku. Ta datoteka nije definirana");
    }
}

TEST_F(Archive, RandomDamageIsAlwaysACleanError) {
    Spit(Path("src/a"), Text(3000));
    Spit(Path("src/b"), RandomBytes(500, 11));
    Pack({Path("src/a"), Path("src/b")});
    const std::string good = Slurp(Path("files.1"));
    std::mt19937 gen(1234);
    int refused = 0;
    for (int round = 0; round < 100; ++round) {
        std::string bad = good;
        const int flips = 1 + static_cast<int>(gen() % 4);
        for (int f = 0; f < flips; ++f) {
            // mostly the directory, sometimes the streams
            const std::size_t at = gen() % 3 ? gen() % (5 + 2 * 164) : gen() % bad.size();
            bad[at] = static_cast<char>(gen());
        }
        if (gen() % 8 == 0) bad.resize(gen() % bad.size());
        Spit(Path("bad.1"), bad);
        fs::remove_all(Path("fuzz"));
        fs::create_directories(Path("fuzz"));
        TDrvnCompress z;
        z.SetCompressedFile(Path("bad.1"));
        z.ExtractDirectory = Path("fuzz/out");
        try {
            std::vector<std::string> names;
            for (int i = 0; i < z.FileCount(); ++i)
                names.push_back(z.GetFileStats(i).FileName);
            z.SetFilesToProcess(names);
            z.Extract();
        } catch (const EDrvnCompress&) {
            ++refused;
        }
        // whatever happened, nothing landed outside the target folder
        for (const auto& e : fs::recursive_directory_iterator(Path("fuzz"))) {
            if (e.is_regular_file()) {
                EXPECT_EQ(e.path().parent_path(), fs::path(Path("fuzz/out")));
            }
        }
    }
    EXPECT_GT(refused, 50);
}

TEST_F(Archive, AddingEventsSeeEachRecordBeforeAndAfterItsData) {
    Spit(Path("src/a"), Text(1000));
    Spit(Path("src/b"), Text(2000));
    std::vector<TFileHeader> before, after;
    zip.OnBeforeAdding = [&](TDrvnCompress&, const TlzhFileStats& s) { before.push_back(s.Header); };
    zip.OnAfterAdding = [&](TDrvnCompress&, const TlzhFileStats& s) { after.push_back(s.Header); };
    zip.SetFilesToProcess({"  ", Path("src/a"), "", Path("src/b")});
    EXPECT_EQ(zip.FilesToProcess().size(), 2u); // blank entries are dropped
    zip.SetCompressedFile(Path("files.1"));
    zip.Compress(lzcOverwrite);
    ASSERT_EQ(before.size(), 2u);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(before[1].FileNumber, 2);
    EXPECT_EQ(before[0].CompressedSize, 0u);
    EXPECT_EQ(after[0].DataStart, 5u + 164u);
    EXPECT_EQ(after[1].DataStart, after[0].NextHeader + 164u);
    EXPECT_EQ(after[1].NextHeader, fs::file_size(Path("files.1")));
    EXPECT_EQ(zip.GetFileStats(1).Header.Encode(),
              after[1].Encode()); // what was reported is what was written
}

TEST_F(Archive, HostileNamesSizesAndNonFilesAreRefusedWithoutWritingOrWaiting) {
    Spit(Path("src/x"), "payload");
    Pack({Path("src/x")});
    const std::string good = Slurp(Path("files.1"));
    // control bytes in a member name never become a file name
    for (const std::string& name :
         {std::string("a\nb"), std::string("tab\tname"), std::string("del\x7F"), std::string("esc\x1B[2J")}) {
        SCOPED_TRACE(name);
        std::string b = good;
        b[5 + 20] = static_cast<char>(name.size());
        b.replace(5 + 21, name.size(), name);
        Spit(Path("evil.1"), b);
        zip.SetCompressedFile(Path("evil.1"));
        EXPECT_THROW(Unpack({name}, "ctl"), EDrvnCompress);
        zip.SetCompressedFile(Path("files.1"));
    }
    EXPECT_FALSE(fs::exists(Path("ctl")) && !fs::is_empty(Path("ctl")));
    // a size the packer never writes (over 2 GiB) is a damaged archive, found before any byte is written
    std::string b = good;
    b.replace(5 + 128, 4, Le32(0xC0000000u));
    Spit(Path("huge.1"), b);
    TDrvnCompress z;
    z.SetCompressedFile(Path("huge.1"));
    EXPECT_THROW(z.FileCount(), EDrvnCompress);
    // a FIFO at the target cannot be compared: every comparing rule fails at once instead of waiting
    fs::create_directories(Path("fifo"));
    ASSERT_EQ(::mkfifo(Path("fifo/x").c_str(), 0600), 0);
    ::alarm(20); // a hang ends the test program instead of the test run
    for (TOverwriteType mode : {owVersion, owDate, owVersionDate}) {
        zip.Overwrite = mode;
        EXPECT_THROW(Unpack({Path("src/x")}, "fifo"), EDrvnCompress) << mode;
    }
    zip.Overwrite = owNever;
    Unpack({Path("src/x")}, "fifo");
    EXPECT_TRUE(fs::is_fifo(Path("fifo/x")));
    ::alarm(0);
}

TEST_F(Archive, LeftoversOfKilledExtractionsAreRemovedOnTheNextRun) {
    Spit(Path("src/x"), Text(5000));
    Pack({Path("src/x")});
    // a killed process's part file, a live process's part file, and an unrelated dot file
    const pid_t dead = [] {
        const pid_t p = ::fork();
        if (p == 0) ::_exit(0);
        ::waitpid(p, nullptr, 0);
        return p;
    }();
    Spit(Path("out2/.lumeno-part-" + std::to_string(dead) + "-aB3dE9"), "half");
    Spit(Path("out2/.lumeno-part-1-xYz123"), "init's"); // pid 1 always lives
    Spit(Path("out2/.keep"), "mine");
    // base's temporaries: one nobody wrote to for two hours, one being written now
    Spit(Path("out2/.x.k3j9a0zq.tmp"), "old");
    SetMtime(Path("out2/.x.k3j9a0zq.tmp"), ::time(nullptr) - 7200);
    Spit(Path("out2/.y.abcdefgh.tmp"), "fresh");
    Unpack({Path("src/x")}, "out2");
    EXPECT_FALSE(fs::exists(Path("out2/.x.k3j9a0zq.tmp")));
    EXPECT_TRUE(fs::exists(Path("out2/.y.abcdefgh.tmp")));
    EXPECT_EQ(Slurp(Path("out2/x")), Text(5000));
    EXPECT_FALSE(fs::exists(Path("out2/.lumeno-part-" + std::to_string(dead) + "-aB3dE9")));
    EXPECT_TRUE(fs::exists(Path("out2/.lumeno-part-1-xYz123")));
    EXPECT_TRUE(fs::exists(Path("out2/.keep")));
}

TEST_F(Archive, NameIndexAndTotalsFollowEveryChangeOfTheDirectory) {
    std::vector<std::string> files;
    for (int i = 0; i < 300; ++i) {
        files.push_back("src/f" + std::to_string(i) + ".TXT");
        Spit(Path(files.back()), Text(static_cast<std::size_t>(10 + i)));
    }
    EnterTemp();
    zip.SetCompressedFile(Path("files.1"));
    zip.SetFilesToProcess({files.begin(), files.begin() + 200});
    zip.Compress(lzcOverwrite);
    zip.SetFilesToProcess({files.begin() + 200, files.end()});
    zip.Compress(lzcOnlyAdd);
    ASSERT_EQ(zip.FileCount(), 300);
    std::uint64_t total = 0;
    for (int i = 0; i < 300; ++i)
        total += static_cast<std::uint64_t>(10 + i);
    EXPECT_EQ(zip.GetFileStats(299).TotalSize, total);
    EXPECT_EQ(zip.IndexOfFile("SRC/F250.txt"), 250);
    EXPECT_EQ(zip.IndexOfFile("src/f250.txt;extra"), 250);
    EXPECT_EQ(zip.IndexOfFile("src/f300.txt"), -1);
    // a case-only duplicate of an archived key is refused on append
    Spit(Path("SRC/F7.txt"), "x");
    zip.SetFilesToProcess({"SRC/F7.txt"});
    EXPECT_THROW(zip.Compress(lzcOnlyAdd), EDrvnCompress);
    // a writable record renamed in memory is found under its new name, totals follow its size
    TFileHeaders h = zip.Headers();
    h.GetFileHeaders(5).SourceName = "renamed";
    h.GetFileHeaders(5).FileSize += 1000;
    EXPECT_EQ(h.IndexOfEntry("RENAMED"), 5);
    EXPECT_EQ(h.IndexOfEntry("src/f5.txt"), -1);
    EXPECT_EQ(h.TotalSize(), total + 1000);
}
