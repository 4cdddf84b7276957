#include "app/data/DBMine.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "base/ProgramState.h"
#include "engine/Engine.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

using namespace app;

namespace {

// The settings are process-wide: each test starts from the defaults and leaves them behind.
class SettingsFiles : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() { base::ResetProgramState(); }
    testsupport::TempFolder folder;
};

} // namespace

TEST_F(SettingsFiles, WithoutQkIniEveryDefaultHolds) {
    ReadCommonSettings(folder.Path());
    const auto& s = Settings.CommonSettings;
    EXPECT_TRUE(s.Safety.AutoSave);
    EXPECT_FALSE(s.Safety.AutoCheck);
    EXPECT_TRUE(s.Fancy.Skoci);
    EXPECT_TRUE(s.Fancy.Bojaj);
    EXPECT_EQ(s.Fancy.Boja, 0x800000);
    EXPECT_EQ(s.Fancy.Font, 0xFFFFFF);
    EXPECT_FALSE(s.Fancy.ConfirmKey);
    EXPECT_EQ(s.Link.Dir, "");
    EXPECT_EQ(s.Resources.LoadMode, 2);
    EXPECT_EQ(s.Resources.Usage, 4);
    EXPECT_EQ(s.OtvoreneBaze.Max, 100);
    EXPECT_EQ(s.Background.Priority, 1);
    EXPECT_EQ(s.Konta_Porez.Otpis, "260073");
    EXPECT_EQ(s.Konta_Carina.Trosarina, "26094");
    EXPECT_EQ(DBMine.MaxOpenTables, 100);
}

TEST_F(SettingsFiles, ReadsQkIniWhateverTheCaseOfItsName) {
    folder.Write("qk.ini", "[safety]\r\nAutoSave=0\r\nAUTOCHECK=1\r\n"
                           "[Fancy]\r\nSkoci=False\r\nBoja=$FF00\r\nFont=255\r\nConfirmKey=True\r\n"
                           "[Link]\r\nDir=C:\\QK\\LINK\\\r\n"
                           "[Resources]\r\nLoadMode=258\r\nUsage=2\r\n"
                           "[OtvoreneBaze]\r\nMax=20\r\n"
                           "[Osoba]\r\nFakturira=\x8Aime \xC8\r\n"
                           "[Konta_Porez]\r\nRUC=123456789\r\n"
                           "[Konta_Carina]\r\nCarina=77\r\n");
    ReadCommonSettings(folder.Path());
    const auto& s = Settings.CommonSettings;
    EXPECT_FALSE(s.Safety.AutoSave);
    EXPECT_TRUE(s.Safety.AutoCheck);
    EXPECT_FALSE(s.Fancy.Skoci);
    EXPECT_TRUE(s.Fancy.Bojaj); // missing key: default
    EXPECT_EQ(s.Fancy.Boja, 0xFF00);
    EXPECT_EQ(s.Fancy.Font, 255);
    EXPECT_TRUE(s.Fancy.ConfirmKey);
    EXPECT_EQ(s.Link.Dir, "C:\\QK\\LINK\\");
    EXPECT_EQ(s.Resources.LoadMode, 2); // kept in one byte
    EXPECT_EQ(s.Resources.Usage, 2);
    EXPECT_EQ(s.Osoba.Fakturira, "Šime Č");
    EXPECT_EQ(s.Konta_Porez.RUC, "1234567"); // capacity 7
    EXPECT_EQ(s.Konta_Porez.Roba, "2600");
    EXPECT_EQ(s.Konta_Carina.Carina, "77");
    // Values other units keep are handed on.
    EXPECT_EQ(DBMine.MaxOpenTables, 20);
    EXPECT_EQ(WBegin.LinkFolder, "C:\\QK\\LINK\\");
}

TEST_F(SettingsFiles, UnreadableNumbersKeepTheDefault) {
    folder.Write("QK.INI", "[OtvoreneBaze]\nMax=lots\n[Fancy]\nBoja=99999999999\nBojaj=maybe\n"
                           "[Background]\nPriority=-1\n");
    ReadCommonSettings(folder.Path());
    EXPECT_EQ(Settings.CommonSettings.OtvoreneBaze.Max, 100);
    EXPECT_EQ(Settings.CommonSettings.Fancy.Boja, 0x800000);
    EXPECT_TRUE(Settings.CommonSettings.Fancy.Bojaj);
    EXPECT_EQ(Settings.CommonSettings.Background.Priority, 255);
}

TEST_F(SettingsFiles, NeverWritesTheFiles) {
    folder.Write("PLOM.INI", "[podaci]\nValuta=EUR\n");
    ReadCommonSettings(folder.Path());
    std::string description;
    ReadProgramSettings(description, folder.Path());
    EXPECT_FALSE(std::filesystem::exists(folder / "QK.INI"));
    EXPECT_EQ(folder.Read("PLOM.INI"), "[podaci]\nValuta=EUR\n");
}

TEST_F(SettingsFiles, ProgramSettingsDefaultsAndValues) {
    std::string description = "old";
    WBegin.PodaciInstalacije.Opis = "Stolarija Horvat";
    ReadProgramSettings(description, folder.Path());
    EXPECT_EQ(description, "Stolarija Horvat");
    EXPECT_EQ(Settings.PostavkePrograma.GrupaStoka, 1);
    EXPECT_EQ(Settings.PostavkePrograma.GrupaOkvira, 2);
    EXPECT_EQ(Settings.PostavkePrograma.GrupaPrecke, 3);
    EXPECT_EQ(Settings.PostavkePrograma.GrupaVrata, 4);
    EXPECT_EQ(Settings.PostavkePrograma.GrupaZeljezo, 5);
    EXPECT_EQ(Settings.PostavkePrograma.GrupaStaklo, 6);
    EXPECT_EQ(Settings.PostavkePrograma.GrupaKliznogOkvira, 6);
    EXPECT_EQ(Settings.PostavkePrograma.Valuta, "DEM");
    EXPECT_EQ(Settings.PostavkePrograma.Predmemorija, 8);

    folder.Write("Plom.Ini",
                 "[Staklo]\nGrupaStoka=9\n[PODACI]\ngrupastoka=11\nGrupaStaklo=12\nValuta=EURO\n");
    ReadProgramSettings(description, folder.Path());
    EXPECT_EQ(Settings.PostavkePrograma.GrupaStoka, 11);
    EXPECT_EQ(Settings.PostavkePrograma.GrupaStaklo, 12);
    EXPECT_EQ(Settings.PostavkePrograma.GrupaVrata, 4);
    EXPECT_EQ(Settings.PostavkePrograma.Valuta, "EUR");

    // The table cache in MiB, kept within 1..4096 and handed to the engine.
    for (const auto& [text, mb] :
         std::vector<std::pair<std::string, int>>{{"[tablice]\nPredmemorija=32\n", 32},
                                                  {"[tablice]\nPredmemorija=0\n", 1},
                                                  {"[TABLICE]\nPredmemorija=99999\n", 4096}}) {
        folder.Write("Plom.Ini", text);
        ReadProgramSettings(description, folder.Path());
        EXPECT_EQ(Settings.PostavkePrograma.Predmemorija, mb) << text;
        EXPECT_EQ(engine::BlockCacheBytes(), static_cast<std::uint64_t>(mb) << 20) << text;
    }
}

TEST_F(SettingsFiles, AreReadFromTheProgramsFolderNotTheWorkingFolder) {
    const auto program = ProgramFolder();
    EXPECT_TRUE(std::filesystem::exists(program / "app_data_test"));
    folder.Write("QK.INI", "[OtvoreneBaze]\nMax=7\n");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    ReadCommonSettings();
    std::filesystem::current_path(previous);
    EXPECT_EQ(Settings.CommonSettings.OtvoreneBaze.Max, 100);
}
