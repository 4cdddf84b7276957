#include "setup/kit/KitExceptions.h"
#include "setup/kit/Registry.h"
#include "setup/kit/RunLock.h"
#include "setup/kit/SelfExtractTrailer.h"
#include "tests/setup/install/InstallTestEnv.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace setup;
namespace fs = std::filesystem;

namespace {

const fs::path Binaries = PLOM_BINARY_DIR;

// Runs a program with the test's environment; the exit status, or minus the signal that ended it.
int Start(const std::string& program, const std::vector<std::string>& args, const std::string& input = "") {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -1000;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[0], STDIN_FILENO);
        ::close(pipeFds[1]);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[0]);
    if (!input.empty() && ::write(pipeFds[1], input.data(), input.size()) < 0) {
    }
    ::close(pipeFds[1]);
    // A program that hangs is killed after five minutes: the test fails instead of the whole run stalling.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            ADD_FAILURE() << program << " did not end within five minutes";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// A source tree, the demo setup program copied beside its BUILD.INF, and a build of it.
class SelfExtract : public setuptest::InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        Set("LUMENO_SETUP_KIT", (Binaries / "setup/loader").string());
        Set("TMPDIR", Path("tmp"));
        fs::create_directories(Path("tmp"));
        Source("1", 1000);
        Write("src/plom.ini", "[Plom]\n");
        Write("src/Global/Partner.db", std::string(5000, 'p'));
        fs::create_directories(Path("prog"));
        fs::copy_file(Binaries / "tests/setup/install/demo_setup", Path("prog/demo_setup"));
        fs::copy_file(Binaries / "setup/uninstall/uninstall", Path("src/uninstall"));
        Write("prog/BUILD.INF", Path("build") + "\n" + Path("src") + "\n");
    }
    // The program: a script that says its version, padded to the size wanted.
    void Source(const std::string& version, std::size_t size) {
        std::string script = "#!/bin/sh\necho " + version + "\nexit 0\n";
        script += "#" + std::string(size, static_cast<char>('a' + version[0] % 26)) + "\n";
        Write("src/Plom", script);
    }
    int BuildSetup() { return Start(Path("prog/demo_setup"), {"-b"}); }
    std::string Target(const std::string& name) { return Path("home/.local/share/Lumeno/" + name); }
    // What the installed program says, or "" when it does not run.
    std::string Version() {
        const std::string out = Path("version.txt");
        const int rc = std::system(("\"" + Target("Plom") + "\" > \"" + out + "\"").c_str());
        return rc == 0 ? Read(out) : std::string();
    }
    bool Empty(const std::string& folder) { return !fs::exists(folder) || fs::is_empty(folder); }
};

} // namespace

TEST_F(SelfExtract, BuildsRunsReinstallsAndUninstallsExactlyWhatItRecorded) {
    ASSERT_EQ(BuildSetup(), 0);
    const std::string setupFile = Path("build/setup");
    ASSERT_TRUE(HasTrailer(setupFile));
    const TSelfExtractTrailer t = ReadTrailer(setupFile);
    EXPECT_TRUE(t.HasFiles1());
    EXPECT_EQ(fs::file_size(Path("build/files.1")), t.Files1Last - t.Files1First + 1);

    ASSERT_EQ(Start(setupFile, {}), 0);
    EXPECT_EQ(Version(), "1\n");
    EXPECT_EQ(Read(Target("Global/Partner.db")), std::string(5000, 'p'));
    EXPECT_TRUE(Empty(Path("tmp"))) << "the loader's folder stays behind";
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, std::string(UninstallKeyBase) + "Lumeno Test",
                            "UninstallString", ""),
              "\"" + Target("uninstall") + "\" Lumeno Test");

    // the workshop's data survive a newer setup
    Write("home/.local/share/Lumeno/Global/Partner.db", "our partners");
    Source("2", 1000);
    ASSERT_EQ(BuildSetup(), 0);
    ASSERT_EQ(Start(setupFile, {}), 0);
    EXPECT_EQ(Version(), "2\n");
    EXPECT_EQ(Read(Target("Global/Partner.db")), "our partners");

    // not while a setup runs
    {
        SetupRunLock running;
        ASSERT_TRUE(running.TryTake());
        EXPECT_EQ(Start(Target("uninstall"), {"Lumeno", "Test"}, "Da\n"), 1);
        EXPECT_EQ(Start(setupFile, {}), 1);
        EXPECT_TRUE(Empty(Path("tmp")));
    }
    EXPECT_EQ(Version(), "2\n");
    // the installed uninstaller asks, then removes what was recorded and not changed since
    Write("home/.local/share/Lumeno/own.txt", "not installed");
    EXPECT_EQ(Start(Target("uninstall"), {"Lumeno", "Test"}, "Ne\n"), 2);
    EXPECT_TRUE(fs::exists(Target("Plom")));
    EXPECT_EQ(Start(Target("uninstall"), {"Lumeno", "Test"}, "Da\n"), 0);
    EXPECT_FALSE(fs::exists(Target("Plom")));
    EXPECT_FALSE(fs::exists(Target("plom.ini")));
    EXPECT_FALSE(fs::exists(Target("uninstall")));
    EXPECT_EQ(Read(Target("Global/Partner.db")), "our partners");
    EXPECT_TRUE(fs::exists(Target("own.txt")));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, std::string(UninstallKeyBase) + "Lumeno Test"));
}

TEST_F(SelfExtract, ASetupFileCutShortOrAlteredIsRefusedBeforeAnythingIsWritten) {
    ASSERT_EQ(BuildSetup(), 0);
    const std::string good = Read(Path("build/setup"));
    const fs::path hive = fs::path(std::getenv("LUMENO_SETUP_STATE")) / "HKEY_LOCAL_MACHINE.reg";
    const std::string registry = Read(hive.string());
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string altered = good;
    altered[altered.size() / 2] ^= 0x20;
    std::string trailerAltered = good;
    trailerAltered[good.size() - TrailerSize + 24] ^= 1;
    const Case cases[] = {
        {"cut in the archives", good.substr(0, good.size() * 2 / 3)},
        {"cut by one byte", good.substr(0, good.size() - 1)},
        {"a byte changed", altered},
        {"a position changed", trailerAltered},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Write("bad/setup", c.bytes);
        fs::permissions(Path("bad/setup"), fs::perms::owner_all);
        // the one clear text for every damage
        EXPECT_EQ(Start("/bin/sh", {"-c", "exec \"$0\" 2>\"$1\"", Path("bad/setup"), Path("said")}), 1);
        EXPECT_EQ(Read(Path("said")), "setup: datoteka " + Path("bad/setup") +
                                          " je oštećena ili nepotpuna; preuzmite je ponovno\n");
        EXPECT_THROW(ReadTrailer(Path("bad/setup")), IEInstall);
        EXPECT_FALSE(fs::exists(Target("")));
        EXPECT_TRUE(Empty(Path("tmp")));
        EXPECT_EQ(Read(hive.string()), registry);
    }
}

TEST_F(SelfExtract, TheLoaderSaysWhatStopsItInTheUsersWords) {
    ASSERT_EQ(BuildSetup(), 0);
    fs::create_directories(Path("alone"));
    fs::copy_file(Binaries / "setup/loader" / LoaderProgramName, Path("alone/setup"));
    const struct {
        const char* what;
        std::string program, tmp, said;
    } cases[] = {
        {"a loader alone without setup.1", Path("alone/setup"), Path("tmp"),
         "setup: datoteka setup.1 nije pronađena uz " + Path("alone/setup") + "\n"},
        {"no folder for its temporaries", Path("build/setup"), Path("none/tmp"),
         "setup: ne mogu napraviti privremenu mapu u " + Path("none/tmp") + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Set("TMPDIR", c.tmp);
        EXPECT_EQ(Start("/bin/sh", {"-c", "exec \"$0\" 2>\"$1\"", c.program, Path("said")}), 1);
        EXPECT_EQ(Read(Path("said")), c.said);
    }
    EXPECT_FALSE(fs::exists(Target("")));
}

TEST_F(SelfExtract, AKillDuringAnInstallLeavesTheOldOrTheNewProgramRunnable) {
    Source("1", 3000000);
    ASSERT_EQ(BuildSetup(), 0);
    ASSERT_EQ(Start(Path("build/setup"), {}), 0);
    Source("2", 3000000);
    ASSERT_EQ(BuildSetup(), 0);
    // killed while the program is being written, and while the next file is
    for (const char* at : {"1000000", "3002000"}) {
        SCOPED_TRACE(at);
        Set("DEMO_KILL_AT", at);
        EXPECT_EQ(Start(Path("build/setup"), {}), -SIGKILL);
        const std::string v = Version();
        EXPECT_TRUE(v == "1\n" || v == "2\n") << v;
        EXPECT_EQ(Read(Target("plom.ini")), "[Plom]\n");
    }
    // the next run finishes and sweeps what the killed ones left, their unpacked setups too
    EXPECT_FALSE(Empty(Path("tmp")));
    Unset("DEMO_KILL_AT");
    ASSERT_EQ(Start(Path("build/setup"), {}), 0);
    EXPECT_EQ(Version(), "2\n");
    EXPECT_TRUE(Empty(Path("tmp")));
    // nothing the killed runs were writing is left, in any folder of the installation
    for (const auto& e : fs::recursive_directory_iterator(Target("")))
        EXPECT_NE(e.path().filename().string().front(), '.') << e.path();
    // the uninstaller takes the rest, and with the last value the registry goes too
    DeleteRegValue(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir");
    EXPECT_EQ(Start(Target("uninstall"), {"Lumeno", "Test"}, "Da\n"), 0);
    EXPECT_FALSE(fs::exists(Target("")));
    EXPECT_FALSE(fs::exists(std::getenv("LUMENO_SETUP_STATE")));
}

TEST_F(SelfExtract, ATransferToAFolderInstallsFromItsVolumes) {
    Source("1", 200000);
    ASSERT_EQ(BuildSetup(), 0);
    const std::string self = Path("build/setup");
    // -f only through the self-extracting file (the loader passes -e). Volumes small enough for several,
    // few enough for the 255 a set may have (a sanitizer build's setup is twice the size).
    const std::uintmax_t volume = std::max<std::uintmax_t>(60000, fs::file_size(self) / 200);
    ASSERT_EQ(Start(self, {"-f" + Path("usb") + "," + std::to_string(volume)}), 0);
    const TSelfExtractTrailer t = ReadTrailer(self);
    EXPECT_EQ(Read(Path("usb/setup")), Read(self).substr(0, t.Setup1First));
    EXPECT_TRUE(fs::exists(Path("usb/files.2")));
    EXPECT_FALSE(HasTrailer(Path("usb/setup")));
    // the copied loader reads setup.1 beside itself; the volumes lie in the same folder
    ASSERT_EQ(Start(Path("usb/setup"), {}), 0);
    EXPECT_EQ(Version(), "1\n");
    EXPECT_TRUE(fs::exists(Path("usb/setup.1")));
}
