// The setup program from end to end: the folder it is built from, the self-extracting setup built by the
// setup itself, an unattended installation into a temporary home, and the installed program finding its
// tables.

#include "app/shell/MyDialog.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "setup/kit/Registry.h"
#include "setup/kit/ShellFolders.h"
#include "setup/uninstall/UninstallUi.h"
#include "tests/setup/kit/KitTestEnv.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramRegister.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
const fs::path Binaries = PLOM_BINARY_DIR;

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The arguments of a desktop entry's Exec line, unquoted as the desktop does it.
std::vector<std::string> ExecArguments(const std::string& entry) {
    const std::size_t at = entry.find("\nExec=");
    if (at == std::string::npos) return {};
    const std::string raw = entry.substr(at + 6, entry.find('\n', at + 1) - at - 6);
    std::string line;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            line += raw[i];
            continue;
        }
        const char c = raw[++i];
        line += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    std::vector<std::string> args;
    std::string current;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '\\' && i + 1 < line.size()) {
            current += line[++i];
        } else if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == '%' && i + 1 < line.size() && line[i + 1] == '%') {
            current += line[++i];
        } else if (c == ' ' && !quoted) {
            if (any) args.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any) args.push_back(current);
    return args;
}

// The uninstaller as the menu starts it (no terminal, a display), with someone answering its windows
// with Enter: it prints each window's text.
PLOM_CHILD_ROLE(UninstallFromTheMenu) {
    const int none = ::open("/dev/null", O_RDONLY);
    ::dup2(none, STDIN_FILENO);
    ::close(none);
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [] {
        auto* box = dynamic_cast<app::TPitanje*>(QApplication::activeModalWidget());
        if (!box) return;
        std::cout << box->Tekst->Caption() << "\n--\n" << std::flush;
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : box, Qt::Key_Return);
    });
    answerer.start(20);
    std::vector<std::string> argv(args);
    std::vector<char*> pointers;
    for (std::string& a : argv)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);
    return setup::RunUninstaller(static_cast<int>(argv.size()), pointers.data());
}

using testsupport::OpenTablesRegister;
using testsupport::WaitUntil;

std::string UpperStem(const fs::path& p) {
    std::string stem = p.stem().string();
    for (char& c : stem)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return stem;
}

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

    // Every entry starts as the desktop starts it: the program, the help page in the desktop's opener
    // (a stand-in here that notes what it was given) and the uninstaller (below).
    fs::create_directories(Path("bin"));
    std::ofstream(Path("bin/xdg-open"))
        << "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" << Path("opened") << "\"\n";
    fs::permissions(Path("bin/xdg-open"), fs::perms::owner_all);
    const std::string path = Path("bin") + ":" + std::getenv("PATH");
    const std::vector<std::string> help = ExecArguments(ReadFile(menu / "Pomoć.desktop"));
    ASSERT_FALSE(help.empty());
    std::vector<std::string> viaPath{"PATH=" + path};
    viaPath.insert(viaPath.end(), help.begin(), help.end());
    EXPECT_EQ(Run("/usr/bin/env", viaPath), 0) << errors;
    EXPECT_EQ(ReadFile(Path("opened")), Target("Pomoć/Plomdow.htm").string() + "\n");
    const std::vector<std::string> program = ExecArguments(ReadFile(menu / "Lumeno.desktop"));
    ASSERT_EQ(program, std::vector<std::string>{Target("Plom").string()});

    // The installed program opens its company's tables and ends cleanly.
    {
        testsupport::ChildProcess plom(program[0], {}, {{"QT_QPA_PLATFORM", "offscreen"}});
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
    // the program made the indexes of the tables it opened
    EXPECT_TRUE(fs::exists(Target("Lokal/Sif_part.px")) || fs::exists(Target("Lokal/SIF_PART.PX")));

    // A second installation leaves the workshop's tables and settings as the program left them.
    const std::string partners = ReadFile(Target("Global/Partner.db"));
    const std::string settings = ReadFile(Target("plom.ini"));
    std::ofstream(Target("plom.ini"), std::ios::app) << "[Own]\r\nKept=1\r\n";
    ASSERT_EQ(Run(Path("build/setup"), {}, {{"LUMENO_SETUP_UNATTENDED", "1"}}), 0) << errors;
    EXPECT_EQ(ReadFile(Target("Global/Partner.db")), partners);
    EXPECT_EQ(ReadFile(Target("plom.ini")), settings + "[Own]\r\nKept=1\r\n");

    // The workshop enters a partner.
    {
        fw::TTable partner;
        partner.SetDatabaseName(Target("Global").string());
        partner.SetTableName("PARTNER.DB");
        partner.Open();
        partner.Append();
        partner.FieldByName("Sifra").SetAsString("P1");
        partner.FieldByName("Naziv").SetAsString("Stolarija Horvat");
        partner.Post();
        partner.Close();
    }

    // Without a terminal or a display the uninstaller asks nobody and removes nothing.
    const std::vector<std::string> remove = ExecArguments(ReadFile(menu / "Uninstall.desktop"));
    ASSERT_EQ(remove, (std::vector<std::string>{Target("uninstall").string(), "Lumeno", "1.112"}));
    const std::string desktopLike = "exec \"$0\" \"$@\" </dev/null"; // no input, as from the menu
    EXPECT_EQ(Run("/usr/bin/env", {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                                   "/bin/sh", "-c", desktopLike, remove[0], remove[1], remove[2]}),
              1);
    EXPECT_NE(errors.find("nema ni terminala ni zaslona"), std::string::npos) << errors;
    EXPECT_TRUE(fs::exists(Target("Plom")));

    // From the menu it asks in a window; answered Da, it removes the program, its shortcuts and every
    // table the workshop did not touch whole, and says which tables it kept.
    std::string said;
    {
        auto child = testsupport::ChildProcess::Role("UninstallFromTheMenu", remove);
        child->CloseInput();
        said = child->ReadAll(std::chrono::minutes(5));
        const auto status = child->Wait(std::chrono::minutes(1));
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(status->Success()) << status->Describe() << child->Errors();
    }
    EXPECT_EQ(said.find("Ukloniti Lumeno 1.112 i sve njegove datoteke s računala?\n--\n"), 0u) << said;
    EXPECT_NE(said.find("Zadržane su tablice"), std::string::npos) << said;
    EXPECT_NE(said.find(Target("Global/Partner.db").string()), std::string::npos) << said;
    // its memo file is named with the table, not among the files changed since the installation
    EXPECT_EQ(said.find("PARTNER.mb"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(Target("Plom")));
    EXPECT_FALSE(fs::exists(menu / "Lumeno.desktop"));
    EXPECT_TRUE(fs::exists(Target("plom.ini")));
    EXPECT_FALSE(fs::exists(Target(".Plom.zip.lock")));
    // the program's register of open tables is its own bookkeeping: it goes although the program wrote it
    EXPECT_EQ(said.find("Open.db"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(Target("Global/Open.db")));
    EXPECT_FALSE(fs::exists(Target("Lokal/Open.db")));
    // untouched tables went with their memo and index files, and the local tables' folder with them
    EXPECT_FALSE(fs::exists(Target("Lokal")));
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(Target("Lokal"), ec))
        EXPECT_NE(UpperStem(e.path()), "SIF_PART") << e.path();
    // every table kept is whole and opens
    std::size_t tablesKept = 0;
    for (const char* folder : {"Global", "Lokal"}) {
        if (!fs::exists(Target(folder))) continue;
        for (const auto& e : fs::directory_iterator(Target(folder))) {
            if (e.path().extension() != ".db") continue;
            ++tablesKept;
            fw::TTable t;
            t.SetDatabaseName(Target(folder).string());
            t.SetTableName(e.path().filename().string());
            EXPECT_NO_THROW({
                t.Open();
                for (t.First(); !t.Eof(); t.Next()) {
                }
                t.Close();
            }) << e.path();
        }
    }
    EXPECT_GE(tablesKept, 1u);
    {
        fw::TTable partner;
        partner.SetDatabaseName(Target("Global").string());
        partner.SetTableName("PARTNER.DB");
        partner.Open();
        bool found = false;
        for (partner.First(); !partner.Eof(); partner.Next())
            found = found || partner.FieldByName("Naziv").AsString() == "Stolarija Horvat";
        EXPECT_TRUE(found);
    }
    // the engine's configuration and the registry values that named the installation went with it
    EXPECT_FALSE(fs::exists(Target("idapi32.cfg")));
    const std::string engineKey = "\\Software\\Borland\\Database Engine";
    EXPECT_FALSE(setup::RegValueExists(setup::HKEY_LOCAL_MACHINE, engineKey, "CONFIGFILE01"));
}

} // namespace
