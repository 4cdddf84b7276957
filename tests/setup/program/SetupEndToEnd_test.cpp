// The setup program from end to end: the folder it is built from, the self-extracting setup built by the
// setup itself, an unattended installation into a temporary home, and the installed program finding its
// tables.

#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "setup/kit/Registry.h"
#include "setup/kit/ShellFolders.h"
#include "tests/setup/kit/KitTestEnv.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramRegister.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
const fs::path Binaries = PLOM_BINARY_DIR;

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

using testsupport::OpenTablesRegister;
using testsupport::WaitUntil;

class SetupProgram : public setuptest::KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        Set("TMPDIR", Path("tmp"));
        Set("XDG_STATE_HOME", Path("home/.local/state"));
        Set("QT_QPA_PLATFORM", "offscreen");
        fs::create_directories(Path("tmp"));
        // Qt's own runtime folder goes elsewhere, so the temporary folder shows only what the setup leaves.
        fs::create_directories(Path("run"));
        fs::permissions(Path("run"), fs::perms::owner_all);
        Set("XDG_RUNTIME_DIR", Path("run"));
        // Program files inside the test's home even when the tests run as root (where it is /opt).
        setup::WriteRegString(setup::HKEY_LOCAL_MACHINE, setup::CurrentVersionKey, "ProgramFilesDir",
                              Path("home/.local/share"));
        // and the menu, desktop and autostart folders (as root they are system folders)
        const std::pair<const char*, const char*> folders[] = {
            {"Start Menu", "home/.local/share/applications"},
            {"Programs", "home/.local/share/applications"},
            {"Desktop", "home/Desktop"},
            {"Startup", "home/.config/autostart"},
            {"Merged Menus", "home/.config/menus/applications-merged"}};
        for (const auto& [name, folder] : folders)
            setup::WriteRegString(setup::HKEY_CURRENT_USER, setup::ShellFoldersKey, name, Path(folder));
    }
    // Runs a program to its end (at most ten minutes), with that input; its exit code, or -1.
    int Run(const fs::path& program, const std::vector<std::string>& args,
            const testsupport::Environment& env = {}, const std::string& input = "") {
        testsupport::ChildProcess child(program, args, env);
        if (!input.empty()) child.Write(input);
        child.CloseInput();
        const auto status = child.Wait(std::chrono::minutes(10));
        if (!status) {
            child.Kill();
            return -1;
        }
        errors = child.Errors();
        return status->Exited ? status->Code : -2;
    }
    fs::path Target(const std::string& name) const {
        return fs::path(Path("home/.local/share/Lumeno")) / name;
    }
    std::string errors;
};

TEST_F(SetupProgram, BuildsInstallsUnattendedAndTheInstalledProgramFindsItsTables) {
    // The folder the setup is built from, and the setup beside its BUILD.INF.
    ASSERT_EQ(Run(Binaries / "setup/program/setup-image",
                  {Path("image"), (Binaries / "program/plom").string(),
                   (Binaries / "setup/uninstall/uninstall").string(),
                   std::string(PLOM_SOURCE_DIR) + "/setup/program/help/Plomdow.htm",
                   (Binaries / "setup/bde/libidapinst.so").string()}),
              0)
        << errors;
    fs::create_directories(Path("prog"));
    fs::copy_file(Binaries / "setup/program/setup", Path("prog/setup"));
    std::ofstream(Path("prog/BUILD.INF")) << Path("build") << "\n" << Path("image") << "\n";
    ASSERT_EQ(Run(Path("prog/setup"), {"-b"}, {{"LUMENO_SETUP_KIT", (Binaries / "setup/loader").string()}}),
              0)
        << errors;
    ASSERT_TRUE(fs::is_regular_file(Path("build/setup")));

    // An unattended installation from the one self-extracting file.
    ASSERT_EQ(Run(Path("build/setup"), {}, {{"LUMENO_SETUP_UNATTENDED", "1"}}), 0) << errors;
    struct stat st {};
    ASSERT_EQ(::stat(Target("Plom").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
    for (const char* file : {"Link.DB", "plom.ini", "Procitaj.txt", "uninstall", "Global/Partner.db",
                             "Global/PARTNER.mb", "Global/Open.db", "Lokal/Sif_part.db", "Lokal/SIF_PART.mb",
                             "Pomoć/Plomdow.htm", "Pomoć/Green Ball.gif", "Pomoć/Image48.gif"})
        EXPECT_TRUE(fs::is_regular_file(Target(file))) << file;
    EXPECT_EQ(ReadFile(Target("Pomoć/Image5.gif")).substr(0, 6), "GIF89a");
    const std::string uninstallKey =
        std::string("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + "Lumeno 1.112";
    EXPECT_EQ(setup::ReadRegString(setup::HKEY_LOCAL_MACHINE, uninstallKey, "UninstallString", ""),
              "\"" + Target("uninstall").string() + "\" Lumeno 1.112");
    // the shortcuts: the program, its help and its uninstaller in the program's menu folder
    const fs::path menu = Path("home/.local/share/applications/Lumeno");
    for (const char* entry : {"Lumeno.desktop", "Pomoć.desktop", "Uninstall.desktop"}) {
        SCOPED_TRACE(entry);
        ASSERT_TRUE(fs::is_regular_file(menu / entry));
        if (fs::exists("/usr/bin/desktop-file-validate")) {
            EXPECT_EQ(Run("/usr/bin/desktop-file-validate", {(menu / entry).string()}), 0) << errors;
        }
    }
    EXPECT_NE(ReadFile(menu / "Lumeno.desktop").find("Exec=\"" + Target("Plom").string() + "\""),
              std::string::npos)
        << ReadFile(menu / "Lumeno.desktop");
    for (const auto& e : fs::recursive_directory_iterator(Path("tmp")))
        ADD_FAILURE() << "the setup left behind " << e.path();

    // The installed program opens its company's tables and ends cleanly.
    {
        testsupport::ChildProcess plom(Target("Plom"), {}, {{"QT_QPA_PLATFORM", "offscreen"}});
        ASSERT_TRUE(WaitUntil([&] {
            auto g = OpenTablesRegister(Target("Global"));
            auto l = OpenTablesRegister(Target("Lokal"));
            return g.count("PARTNER.DB") && g["PARTNER.DB"] == 0 && l.count("SIF_PART.DB") &&
                   l["SIF_PART.DB"] == 0;
        })) << plom.Errors();
        plom.Signal(SIGTERM);
        const auto status = plom.Wait(std::chrono::minutes(1));
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(status->Exited && status->Code == 0) << plom.Errors();
    }

    // A second installation leaves the workshop's tables and settings as the program left them.
    const std::string partners = ReadFile(Target("Global/Partner.db"));
    const std::string settings = ReadFile(Target("plom.ini"));
    std::ofstream(Target("plom.ini"), std::ios::app) << "[Own]\r\nKept=1\r\n";
    ASSERT_EQ(Run(Path("build/setup"), {}, {{"LUMENO_SETUP_UNATTENDED", "1"}}), 0) << errors;
    EXPECT_EQ(ReadFile(Target("Global/Partner.db")), partners);
    EXPECT_EQ(ReadFile(Target("plom.ini")), settings + "[Own]\r\nKept=1\r\n");

    // The uninstaller removes the program and its shortcuts; what the workshop changed stays.
    ASSERT_EQ(Run(Target("uninstall"), {"Lumeno", "1.112"}, {}, "Da\n"), 0) << errors;
    EXPECT_FALSE(fs::exists(Target("Plom")));
    EXPECT_FALSE(fs::exists(menu / "Lumeno.desktop"));
    EXPECT_TRUE(fs::exists(Target("plom.ini")));
}

} // namespace
