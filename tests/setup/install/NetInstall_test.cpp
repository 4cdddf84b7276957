#include "setup/install/NetDistribution.h"
#include "tests/setup/install/InstallTestEnv.h"
#include "tests/setup/net/LoopbackHttpServer.h"

using namespace setup;
namespace fs = std::filesystem;

namespace {

// A web-distributed setup: the build leaves the setup program with its network folder "kit" (one archive
// per file container and the file list), and the install fetches them from a server or a folder.
class NetInstall : public setuptest::InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        Write("src/Plom", "#!/bin/sh\necho 1\n");
        Write("src/plom.ini", "[Plom]\n");
        Write("src/Global/Partner.db", std::string(50000, 'p'));
        Write("prog/setup", "the setup program");
        EnterTemp();
        install = std::make_unique<TInstall>();
        install->Information.ProductName = "Lumeno";
        install->SetDestDir("\\Lumeno");
        install->UseLoadingProgram = false;
        install->ProgramFile = Path("prog/setup");
        install->SetDistributeType(dtWeb);
        install->LoginInformation.Protocol = ipHTTP;
        install->LoginInformation.Directory = "\\kit";
        File(plom, *install, "src", "Plom");
        File(ini, *install, "src", "plom.ini");
        global = std::make_unique<TInstallFileGroup>("Global", install.get());
        global->SetDestDirType(&FindKind<psMainInstall>());
        global->SetDestDir("\\Global");
        File(partner, *global, "src/Global", "Partner.db");
        install->Build(Path("prog/setup"), Path("build"), false);
        install->ProgramFile = Path("build/setup");
    }
    void TearDown() override {
        for (TInstallFile* f : {&plom, &ini, &partner})
            f->SetContainer(nullptr);
        global.reset();
        install.reset();
        InstallTest::TearDown();
    }
    void File(TInstallFile& f, TInstallContainer& parent, const std::string& dir, const std::string& name) {
        f.SetContainer(&parent);
        f.SetArchiveFileType(&FindKind<psContainerArchiveFile>());
        f.IncludeFromDir = dir;
        f.FileName = f.DestName = name;
        f.OverwriteMode = owAlways;
    }
    std::string Target(const std::string& name) { return Path("home/.local/share/Lumeno/" + name); }

    std::unique_ptr<TInstall> install;
    TInstallFile plom{"Plom"}, ini{"PlomIni"}, partner{"PartnerDb"};
    std::unique_ptr<TInstallFileGroup> global;
};

TEST_F(NetInstall, InstallsFromALoopbackServerAndFromAFolder) {
    for (const char* name : {"build/kit/filelist.lst", "build/kit/Install1.1", "build/kit/Global.1"})
        EXPECT_TRUE(fs::exists(Path(name))) << name;
    setuptest::LoopbackHttpServer server;
    server.ServeFolder("/kit/", Path("build/kit"));
    for (const std::string& host : {server.Host(), Path("build")}) {
        SCOPED_TRACE(host);
        fs::remove_all(Path("home/.local/share/Lumeno"));
        install->LoginInformation.Hostname = host;
        ASSERT_EQ(install->Execute({}), 0) << (messages.empty() ? "" : messages.back());
        EXPECT_EQ(Read(Target("Plom")), "#!/bin/sh\necho 1\n");
        EXPECT_EQ(Read(Target("plom.ini")), "[Plom]\n");
        EXPECT_EQ(Read(Target("Global/Partner.db")), std::string(50000, 'p'));
        // The values of the remote list: the size of each file is known before its archive comes.
        EXPECT_EQ(partner.FileSize, 50000u);
        // The downloaded archives go with the setup record.
        EXPECT_TRUE(RegSubKeys(HKEY_LOCAL_MACHINE, SetupRecordsKey).empty());
        for (const TFileContainer* c :
             std::initializer_list<const TFileContainer*>{install.get(), global.get()})
            EXPECT_FALSE(fs::exists(c->LocalArchive)) << c->LocalArchive;
        install->LocalArchive.clear();
        global->LocalArchive.clear();
    }
    EXPECT_EQ(server.Requests(),
              (std::vector<std::string>{"/kit/filelist.lst", "/kit/Global.1", "/kit/Install1.1"}));
}

TEST_F(NetInstall, AMissingArchiveOnTheServerStopsTheInstallation) {
    fs::remove(Path("build/kit/Global.1"));
    setuptest::LoopbackHttpServer server;
    server.ServeFolder("/kit/", Path("build/kit"));
    install->LoginInformation.Hostname = server.Host();
    EXPECT_EQ(install->Execute({}), 1);
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("Could not find the file Global.1 on the server"), std::string::npos)
        << messages.back();
    EXPECT_FALSE(fs::exists(Target("Global/Partner.db")));

    install->LoginInformation.Hostname = "";
    messages.clear();
    EXPECT_EQ(install->Execute({}), 1);
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("LoginInformation"), std::string::npos) << messages.back();
}

} // namespace
