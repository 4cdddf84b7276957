#include "setup/kit/KitExceptions.h"
#include "setup/kit/Version.h"
#include "tests/setup/kit/KitTestEnv.h"

#include <fstream>
#include <set>
#include <sys/time.h>

using namespace setup;
namespace fs = std::filesystem;

// This test program carries its own version the way the project's builds stamp theirs.
SETUP_FILE_VERSION("1.112.0.0\nCompanyName=Lumeno d.o.o.\nProductName = Plom\n");

namespace {

void Spit(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void SetMtime(const std::string& file, time_t seconds) {
    struct timeval tv[2] = {{seconds, 0}, {seconds, 0}};
    ::utimes(file.c_str(), tv);
}

// A minimal ELF file with a section-name table and one section, in either class and byte order.
std::string MiniElf(bool wide, bool big, const std::string& sectionName, const std::string& content) {
    const std::string names = std::string("\0.shstrtab\0", 11) + sectionName + '\0';
    const std::size_t ehsize = wide ? 64 : 52, shentsize = wide ? 64 : 40;
    const std::size_t namesAt = ehsize, contentAt = namesAt + names.size();
    const std::size_t shoff = contentAt + content.size();
    std::string f(shoff + 3 * shentsize, '\0');
    auto put = [&](std::size_t at, std::uint64_t v, int len) {
        for (int i = 0; i < len; ++i)
            f[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * (big ? len - 1 - i : i)));
    };
    f.replace(0, 4,
              "\x7F"
              "ELF");
    f[4] = wide ? 2 : 1;
    f[5] = big ? 2 : 1;
    f[6] = 1;
    put(16, 2, 2);
    if (wide) {
        put(0x28, shoff, 8);
        put(0x3A, shentsize, 2);
        put(0x3C, 3, 2);
        put(0x3E, 1, 2);
    } else {
        put(0x20, shoff, 4);
        put(0x2E, shentsize, 2);
        put(0x30, 3, 2);
        put(0x32, 1, 2);
    }
    f.replace(namesAt, names.size(), names);
    f.replace(contentAt, content.size(), content);
    auto section = [&](int index, std::uint32_t name, std::uint32_t type, std::uint64_t off,
                       std::uint64_t size) {
        const std::size_t sh = shoff + static_cast<std::size_t>(index) * shentsize;
        put(sh, name, 4);
        put(sh + 4, type, 4);
        put(sh + (wide ? 0x18 : 0x10), off, wide ? 8 : 4);
        put(sh + (wide ? 0x20 : 0x14), size, wide ? 8 : 4);
    };
    section(1, 1, 3, namesAt, names.size());
    section(2, 11, 1, contentAt, content.size());
    return f;
}

using Versions = setuptest::KitTest;

} // namespace

TEST_F(Versions, ProgramsOfThisSystemCarryTheirVersionInASection) {
    TVersionResource own;
    EXPECT_EQ(own.VersionInfo().FileVersion, "1.112.0.0");
    EXPECT_EQ(own.VersionInfo().ProductVersion, "1.112.0.0");
    EXPECT_EQ(own.VersionInfo().CompanyName, "Lumeno d.o.o.");
    EXPECT_EQ(own.VersionInfo().ProductName, "Plom");
    fs::copy_file("/proc/self/exe", Path("Plom"));
    EXPECT_EQ(FileVersionOf(Path("Plom")), "1.112.0.0");
    EXPECT_NE(SetupFileVersion[0], 0);

    for (bool wide : {false, true})
        for (bool big : {false, true}) {
            Spit(Path("mini"), MiniElf(wide, big, ".fileversion", std::string("2.0.1\0junk", 10)));
            EXPECT_EQ(FileVersionOf(Path("mini")), "2.0.1") << wide << big;
        }
    Spit(Path("other"), MiniElf(true, false, ".comment", "3.0"));
    EXPECT_EQ(FileVersionOf(Path("other")), "");
}

TEST_F(Versions, FilesWithoutAVersionGiveEmptyTextsAndNeverFail) {
    Spit(Path("text"), "just text");
    EXPECT_EQ(FileVersionOf(Path("text")), "");
    EXPECT_EQ(FileVersionOf(Path("missing")), "");
    const std::string good = MiniElf(true, false, ".fileversion", "1.0");
    for (std::size_t cut : {3u, 20u, 64u, 70u, static_cast<unsigned>(good.size() - 1)}) {
        Spit(Path("cut"), good.substr(0, cut));
        EXPECT_EQ(FileVersionOf(Path("cut")), "") << cut;
    }
    std::string wild = good;
    wild.replace(0x28, 8, std::string("\xF0\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 8)); // section table far away
    Spit(Path("wild"), wild);
    EXPECT_EQ(FileVersionOf(Path("wild")), "");
    TVersionResource r(Path("text"));
    EXPECT_EQ(r.VersionInfo().FileOS, "");
    r.SetFileName(Path("mini-missing"));
    EXPECT_EQ(r.VersionInfo().FileVersion, "");
}

TEST_F(Versions, ComparisonIsNumericPerPart) {
    EXPECT_EQ(CompareVersions("1.2", "1.2"), 0);
    EXPECT_EQ(CompareVersions("1.2", "1.2.0"), 2); // B has one part more
    EXPECT_EQ(CompareVersions("1.2.0", "1.2"), 1);
    EXPECT_EQ(CompareVersions("1.10", "1.9"), 1); // ten is newer than nine
    EXPECT_EQ(CompareVersions("1.9", "1.10"), 2);
    EXPECT_EQ(CompareVersions("1.19", "1.21"), 2); // equal-length digits as before
    EXPECT_EQ(CompareVersions("1.01", "1.1"), 0);
    EXPECT_EQ(CompareVersions("1.100000000000000000000", "1.99999999999999999999"), 1);
    EXPECT_EQ(CompareVersions("1.b", "1.a"), 1); // other parts as text
    EXPECT_EQ(CompareVersions("1.10a", "1.9a"), 2);
    EXPECT_EQ(CompareVersions("", "1.0"), 2);
    EXPECT_EQ(CompareVersions("", ""), 0);
}

TEST_F(Versions, ReplaceDecisionFollowsTheOverwriteType) {
    Spit(Path("old"), "x");
    SetMtime(Path("old"), 1000000000);
    const double oldDate = DateTimeFromUnix(1000000000);
    EXPECT_EQ(IsFileNewer("", Path("old"), owAlways, 0), 2);
    EXPECT_EQ(IsFileNewer("", Path("old"), owNever, 0), 3);
    EXPECT_EQ(IsFileNewer("", Path("missing"), owNever, 0), 2);
    EXPECT_EQ(IsFileNewer("", " ", owNever, 0), 2);
    EXPECT_EQ(IsFileNewer("1.0", Path("old"), owVersion, 0), 2); // no version on disk: the packed one wins
    EXPECT_EQ(IsFileNewer("", Path("old"), owVersion, 0), 1);
    EXPECT_EQ(IsFileNewer("", Path("old"), owDate, oldDate + 1.0), 2);
    EXPECT_EQ(IsFileNewer("", Path("old"), owDate, oldDate + 0.5 / 86400), 1); // within a second
    EXPECT_EQ(IsFileNewer("", Path("old"), owDate, oldDate - 1.0), 3);
    EXPECT_EQ(IsFileNewer("", Path("missing"), owDate, oldDate), 0);

    Spit(Path("v2"), MiniElf(true, false, ".fileversion", "2.0"));
    SetMtime(Path("v2"), 1000000000);
    EXPECT_EQ(IsFileNewer("1.10", Path("v2"), owVersionDate, oldDate + 5), 3); // older version, newer date
    EXPECT_EQ(IsFileNewer("2.0", Path("v2"), owVersionDate, oldDate + 5), 2);  // same version: by date
    EXPECT_EQ(IsFileNewer("2.0", Path("v2"), owVersionDate, oldDate), 1);

    Spit(Path("new"), MiniElf(true, false, ".fileversion", "2.0"));
    SetMtime(Path("new"), 1000000100);
    EXPECT_EQ(IsFileNewerByName(Path("new"), Path("v2"), owDate), 2);
    EXPECT_EQ(IsFileNewerByName(Path("v2"), Path("new"), owVersionDate), 3);
    EXPECT_EQ(IsFileNewerByName(Path("new"), Path("old"), owVersion), 2);
    EXPECT_EQ(IsFileNewerByName(Path("missing"), Path("old"), owDate), 0);
}

TEST_F(Versions, DatesAreLocalDayCountsSince1899) {
    EXPECT_DOUBLE_EQ(DateTimeFromUnix(0), 25569.0);
    EXPECT_DOUBLE_EQ(DateTimeFromUnix(1577934245), 43832.0 + (3 * 3600 + 4 * 60 + 5) / 86400.0);
    Set("TZ", "CET-1CEST,M3.5.0,M10.5.0/3"); // Zagreb, without needing tzdata
    tzset();
    EXPECT_DOUBLE_EQ(DateTimeFromUnix(0), 25569.0 + 1.0 / 24); // one hour east of UTC in winter
    for (double t : {0.0, 1000000000.0, 1593561600.5, 1616893200.0 /* DST change */}) {
        EXPECT_NEAR(UnixFromDateTime(DateTimeFromUnix(t)), t, 1e-3) << t;
    }
}

TEST_F(Versions, IniSectionsAndUniqueNames) {
    Spit(Path("x.ini"), "[Repository Pages]\nPage=1\n  [Lumeno]  \n[\n;[comment]\n[Tail] ; note\n");
    EXPECT_EQ(ListIniSections(Path("x.ini")),
              (std::vector<std::string>{"Repository Pages", "Lumeno", "Tail] ; not"}));
    EXPECT_TRUE(ListIniSections(Path("none.ini")).empty());

    std::set<std::string> taken = {"Install", "Install1"};
    EXPECT_EQ(MakeUniqueName("Install", [&](const std::string& n) { return taken.insert(n).second; }),
              "Install2");
    EXPECT_THROW(MakeUniqueName("X", [](const std::string&) { return false; }), IException);

    const TInstallInformation info;
    EXPECT_EQ(info.ProductName, "Default Product Name");
    EXPECT_EQ(info.Version, "1.0");
}
