#include "base/IniFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace base;

TEST(IniFile, SectionsAndKeysIgnoreCaseAndFirstOccurrenceWins) {
    const auto ini =
        IniFile::FromText("[Safety]\r\nAutoSave=0\r\nautosave=1\r\n[SAFETY]\r\nAutoCheck = 1 \r\n"
                          "; comment=5\r\n[Link]\r\nDir=C:\\QK\\LINK\\\r\n");
    EXPECT_EQ(ini.ReadInteger("safety", "AUTOSAVE", 7), 0);
    EXPECT_TRUE(ini.ReadBool("Safety", "AutoCheck", false));
    EXPECT_EQ(ini.ReadString("link", "dir", ""), "C:\\QK\\LINK\\"); // backslashes kept as written
    EXPECT_FALSE(ini.HasKey("Safety", "comment"));
    EXPECT_EQ(ini.ReadString("None", "x", "def"), "def");
}

TEST(IniFile, DecodesCodePage1250AndNumbers) {
    const auto ini = IniFile::FromText("[Osoba]\nIme=\x8A"
                                       "ime \xE8\n[Fancy]\nBoja=$FF00\nX=abc\nY=0x10\n");
    EXPECT_EQ(ini.ReadString("Osoba", "Ime", ""), "Šime č");
    EXPECT_EQ(ini.ReadInteger("Fancy", "Boja", 0), 0xFF00);
    EXPECT_EQ(ini.ReadInteger("Fancy", "X", 42), 42);
    EXPECT_EQ(ini.ReadInteger("Fancy", "Y", 0), 16);
}

TEST(IniFile, MissingFileGivesDefaults) {
    testsupport::TempFolder dir;
    const IniFile ini(dir / "QK.INI");
    EXPECT_FALSE(ini.Loaded());
    EXPECT_EQ(ini.ReadInteger("OtvoreneBaze", "Max", 100), 100);
    dir.Write("plom.ini", "[podaci]\nValuta=EUR\n");
    const IniFile real(dir / "plom.ini");
    EXPECT_TRUE(real.Loaded());
    EXPECT_EQ(real.ReadString("PODACI", "valuta", ""), "EUR");
}

// A pipe, a link to a device and an oversized file are no settings files: their defaults, at once.
TEST(IniFile, OnlyPlainFilesOfASaneSizeAreRead) {
    testsupport::TempFolder dir;
    ASSERT_EQ(mkfifo((dir / "QK.INI").c_str(), 0600), 0);
    EXPECT_FALSE(IniFile(dir / "QK.INI").Loaded()); // opening the pipe would wait for a writer for ever
    std::filesystem::create_symlink("/dev/zero", dir / "PLOM.INI");
    EXPECT_FALSE(IniFile(dir / "PLOM.INI").Loaded());
    dir.Write("big.ini", "[podaci]\nValuta=EUR\n" + std::string(IniFile::MaxSize, ';'));
    const IniFile big(dir / "big.ini");
    EXPECT_FALSE(big.Loaded());
    EXPECT_EQ(big.ReadString("podaci", "Valuta", "HRK"), "HRK");
    dir.Write("full.ini", "[podaci]\nValuta=EUR\n" + std::string(IniFile::MaxSize - 20, ';'));
    EXPECT_TRUE(IniFile(dir / "full.ini").Loaded()) << "exactly the largest size is read";
}
