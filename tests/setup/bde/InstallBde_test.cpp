#include "setup/bde/IdapiConfig.h"
#include "setup/bde/InstallBde.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/Registry.h"
#include "setup/uninstall/Uninstaller.h"
#include "tests/setup/install/InstallTestEnv.h"

using namespace setup;
namespace fs = std::filesystem;

namespace {

const std::string UninstallBde = std::string(UninstallKeyBase) + "Lumeno\\BDE";
const std::string Shipped = "[INIT]\nLOCAL SHARE=FALSE\n[DRIVERS]\nPARADOX=1\n";

// An install with the engine group (its configuration and two language libraries), packed into files.1
// beside the setup program as a build does; the install library lies beside the program as the loader
// leaves it.
class Bde : public setuptest::InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        Write("src/IDAPI32.CNF", Shipped);
        Write("src/USA.BLL", "usa");
        Write("src/CZ.BLL", "cz");
        Write("prog/setup", "the setup program");
        fs::copy_file(IDAPINST_LIBRARY, Path("prog/libidapinst.so"));
        EnterTemp();
        install = std::make_unique<TInstall>();
        install->Information.ProductName = "Lumeno";
        install->ProgramFile = Path("prog/setup");
        bde = std::make_unique<TInstallBDE>("Engine", install.get());
        for (auto* f : {&cnf, &usa, &cz}) {
            f->SetContainer(bde.get());
            f->SetArchiveFileType(&FindKind<psContainerArchiveFile>());
            f->IncludeFromDir = "src";
        }
        cnf.FileName = cnf.DestName = "IDAPI32.CNF";
        usa.FileName = usa.DestName = "USA.BLL";
        cz.FileName = cz.DestName = "CZ.BLL";
        fs::remove(Path("prog/files.1"));
        install->SetArchiveFileType(nullptr);
        install->SetArchiveFile(Path("prog/files.1"));
        install->Compress(coForceNetFilesLocal | coIncludeEverything);
        install->SetArchiveFile("");
        install->SetArchiveFileType(&FindKind<psMainArchiveFile>());
    }
    void TearDown() override {
        for (auto* f : {&cnf, &usa, &cz})
            f->SetContainer(nullptr);
        bde.reset();
        install.reset();
        InstallTest::TearDown();
    }
    std::string Engine() const { return Path("home/.local/share/Borland/Common Files/BDE"); }
    std::string Reg(const std::string& key, const std::string& name) {
        return ReadRegString(HKEY_LOCAL_MACHINE, key, name, "<none>");
    }

    std::unique_ptr<TInstall> install;
    std::unique_ptr<TInstallBDE> bde;
    TInstallFile cnf{"BDEConfigFile"}, usa{"UsaBll"}, cz{"CzBll"};
};

TEST_F(Bde, MergesIntoTheConfigurationFoundAndKeepsTheEngineBooks) {
    Write("etc/idapi32.cfg", "[INIT]\nLOCAL SHARE=TRUE\nMAXFILEHANDLES=48\n");
    WriteRegString(HKEY_LOCAL_MACHINE, EngineKey, "CONFIGFILE01", Path("etc/idapi32.cfg"));
    // The group follows the first entry; that folder is dropped from the rest.
    WriteRegString(HKEY_LOCAL_MACHINE, EngineKey, "DLLPATH",
                   Path("engine") + ";" + Path("old/one") + ";" + Path("engine") + ";" + Path("old/two"));
    WriteRegString(HKEY_LOCAL_MACHINE, std::string(EngineKey) + "\\Settings\\System\\Init", "NET DIR",
                   "/net");
    bde->SQLLinkEntries = {"STRAY=1", "[DB OPEN-ORACLE]", "SERVER NAME=ora",
                           "  ",      "[INIT-ORACLE]",    "TYPE=SERVER"};

    ASSERT_EQ(install->Execute({}), 0) << (messages.empty() ? "" : messages.back());

    // The group went to the first library-path entry, the configuration beside the one found.
    EXPECT_EQ(Reg(EngineKey, "DLLPATH"), Path("engine") + ";" + Path("old/one") + ";" + Path("old/two"));
    EXPECT_EQ(Read(Path("engine/USA.BLL")), "usa");
    EXPECT_EQ(Reg("\\Software\\Borland\\BLW32", "BLAPIPATH"), Path("engine"));
    EXPECT_EQ(Reg("\\Software\\Borland\\BLW32", "LOCALE_LIB1"), Path("engine/USA.BLL"));
    EXPECT_EQ(Reg("\\Software\\Borland\\BLW32", "LOCALE_LIB2"), Path("engine/CZ.BLL"));
    // Existing values stay, new ones are added; the shipped file is gone once merged.
    const IdapiConfig merged = IdapiConfig::Parse(Read(Path("etc/idapi32.cfg")));
    EXPECT_EQ(merged.Value("init", "local share"), "TRUE");
    EXPECT_EQ(merged.Value("INIT", "MAXFILEHANDLES"), "48");
    EXPECT_EQ(merged.Value("DRIVERS", "PARADOX"), "1");
    EXPECT_EQ(merged.Value("INIT", "LANGDRIVER"), "IDR20009");
    EXPECT_FALSE(fs::exists(Path("etc/IDAPI32.CNF")));
    EXPECT_EQ(Reg(EngineKey, "CONFIGFILE01"), Path("etc/idapi32.cfg"));
    EXPECT_EQ(Reg(EngineKey, "SAVECONFIG"), "WIN32");
    EXPECT_EQ(Reg(std::string(EngineKey) + "\\Settings\\Drivers\\Paradox\\Init", "NET DIR"), "/net");
    EXPECT_FALSE(
        RegValueExists(HKEY_LOCAL_MACHINE, std::string(EngineKey) + "\\Settings\\System\\Init", "NET DIR"));
    const std::string oracle = std::string(EngineKey) + "\\Settings\\Drivers\\ORACLE";
    EXPECT_EQ(Reg(oracle + "\\DB OPEN", "SERVER NAME"), "ora");
    EXPECT_EQ(Reg(oracle + "\\INIT", "TYPE"), "SERVER");
    EXPECT_TRUE(RegValueNames(HKEY_LOCAL_MACHINE, oracle).empty());
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, EngineKey, "UseCount", 0), 1);
    EXPECT_EQ(Reg(UninstallBde, "Entries"), "1");

    // A second installation counts once more.
    ASSERT_EQ(install->Execute({}), 0);
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, EngineKey, "UseCount", 0), 2);
    EXPECT_EQ(Reg(UninstallBde, "Entries"), "2");
}

TEST_F(Bde, UninstallingGivesBackTheInstallationsCountsAndTheLastTakesTheEngineSettings) {
    // another program's two installations use the engine too
    WriteRegInteger(HKEY_LOCAL_MACHINE, EngineKey, "UseCount", 2);
    ASSERT_EQ(install->Execute({}), 0) << (messages.empty() ? "" : messages.back());
    ASSERT_EQ(install->Execute({}), 0);
    ASSERT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, EngineKey, "UseCount", 0), 4);
    // every record names a file on disk: the shipped configuration, merged away, is not listed again
    const std::string files = std::string(UninstallKeyBase) + "Lumeno\\Files";
    const long long entries = std::atoll(Reg(files, "Entries").c_str());
    EXPECT_EQ(entries, 3);
    for (long long n = 1; n <= entries; ++n)
        EXPECT_TRUE(fs::exists(Reg(files, "File" + std::to_string(n))))
            << Reg(files, "File" + std::to_string(n));
    UninstallProduct("Lumeno");
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, EngineKey, "UseCount", 0), 2);
    EXPECT_EQ(Reg(EngineKey, "SAVECONFIG"), "WIN32");

    // the only installation: nothing of the engine stays behind it
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, "\\Software\\Borland");
    ASSERT_EQ(install->Execute({}), 0) << (messages.empty() ? "" : messages.back());
    UninstallProduct("Lumeno");
    EXPECT_FALSE(fs::exists(Engine()));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "\\Software\\Borland"))
        << Read(Path("state/HKEY_LOCAL_MACHINE.reg"));
}

TEST_F(Bde, AFailedRunGivesBackTheUseItCounted) {
    // over an installation: its count of uses stays as it was
    ASSERT_EQ(install->Execute({}), 0) << (messages.empty() ? "" : messages.back());
    // the disk fills up once the engine group is done
    install->OnAfterProcess = [](TInstallContainer&) {
        throw IECustomInstallFile("Cannot write %s: No space left on device", {"Plom"});
    };
    EXPECT_EQ(install->Execute({}), 1);
    EXPECT_EQ(Reg(UninstallBde, "Entries"), "1");
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, EngineKey, "UseCount", 0), 1);
    install->OnAfterProcess = nullptr;
    UninstallProduct("Lumeno");
    install->OnAfterProcess = [](TInstallContainer&) {
        throw IECustomInstallFile("Cannot write %s: No space left on device", {"Plom"});
    };
    WriteRegInteger(HKEY_LOCAL_MACHINE, EngineKey, "UseCount", 2);
    EXPECT_EQ(install->Execute({}), 1);
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, EngineKey, "UseCount", 0), 2);

    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, "\\Software\\Borland");
    EXPECT_EQ(install->Execute({}), 1);
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("No space left on device"), std::string::npos) << messages.back();
    EXPECT_FALSE(fs::exists(Engine()));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "\\Software\\Borland"))
        << Read(Path("state/HKEY_LOCAL_MACHINE.reg"));
    install->OnAfterProcess = nullptr;
}

TEST_F(Bde, WithoutAnEngineTheConfigurationIsInstalledInTheEngineFolder) {
    ASSERT_EQ(install->Execute({}), 0) << (messages.empty() ? "" : messages.back());
    EXPECT_EQ(bde->ExistingConfig(), "***");
    EXPECT_EQ(Reg(EngineKey, "DLLPATH"), Engine());
    EXPECT_EQ(Reg(EngineKey, "CONFIGFILE01"), Engine() + "/idapi32.cfg");
    const IdapiConfig config = IdapiConfig::Parse(Read(Engine() + "/idapi32.cfg"));
    EXPECT_EQ(config.Value("INIT", "LOCAL SHARE"), "FALSE");
    EXPECT_EQ(config.Value("INIT", "LANGDRIVER"), "IDR20009");
}

TEST_F(Bde, AFailedMergeLeavesTheEngineOnTheNewCopy) {
    // Found through win.ini; the merge target cannot be written (a folder holds its name).
    Write("etc/odd.cfg", "[INIT]\nA=1\n");
    Write("state/windows/win.ini", "[IDAPI]\nCONFIGFILE01=" + Path("etc/odd.cfg") + "\n");
    fs::create_directories(Engine() + "/idapi32.cfg/x");
    bool mergeFailed = false;
    bde->OnMergeFailed = [&](TInstallBDE&) { mergeFailed = true; };
    ASSERT_EQ(install->Execute({}), 0) << (messages.empty() ? "" : messages.back());
    EXPECT_EQ(bde->ExistingConfig(), Path("etc/odd.cfg"));
    EXPECT_TRUE(mergeFailed);
    EXPECT_EQ(Reg(EngineKey, "CONFIGFILE01"), Engine() + "/IDAPINEW.CFG");
    EXPECT_EQ(IdapiConfig::Parse(Read(Engine() + "/IDAPINEW.CFG")).Value("DRIVERS", "PARADOX"), "1");
}

TEST_F(Bde, WithoutTheInstallLibraryTheInstallationStops) {
    fs::remove(Path("prog/libidapinst.so"));
    EXPECT_EQ(install->Execute({}), 1);
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("Could not load IDAPINST.DLL"), std::string::npos) << messages.back();
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, EngineKey, "CONFIGFILE01"));
}

TEST_F(Bde, TheGroupNeedsExactlyOneConfiguration) {
    cnf.SetContainer(nullptr);
    EXPECT_THROW(bde->ConfigFile(), IEInstallBDE);
    TInstallFile second("Second");
    second.FileName = "idapi32.cnf";
    second.SetContainer(bde.get());
    cnf.SetContainer(bde.get());
    EXPECT_THROW(bde->ConfigFile(), IEInstallBDE);
    second.SetContainer(nullptr);
    // The engine group goes first among the install's children.
    EXPECT_EQ(install->Items(0), bde.get());
}

} // namespace
