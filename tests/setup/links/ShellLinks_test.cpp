#include "setup/install/UninstallExe.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/Registry.h"
#include "setup/links/DesktopEntry.h"
#include "setup/links/ProgramManager.h"
#include "setup/links/ShellLinks.h"
#include "setup/uninstall/Uninstaller.h"
#include "tests/setup/install/InstallTestEnv.h"
#include "tests/support/ChildProcess.h"

#include <algorithm>
#include <sys/stat.h>

using namespace setup;
namespace fs = std::filesystem;

namespace {

// Runs desktop-file-validate on the file; its complaints, or nothing when the file passes.
std::optional<std::string> Validate(const std::string& file) {
    testsupport::ChildProcess p("/usr/bin/desktop-file-validate", {file});
    p.CloseInput();
    const std::string out = p.ReadAll();
    const auto status = p.Wait(std::chrono::seconds(30));
    if (status && status->Success() && out.find("error") == std::string::npos) return std::nullopt;
    return out + p.Errors();
}

class Links : public setuptest::InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        // The menu folders inside the test's home even when the tests run as root.
        for (const auto& [name, folder] : std::vector<std::pair<std::string, std::string>>{
                 {"Start Menu", "home/.local/share/applications"},
                 {"Merged Menus", "home/.config/menus/applications-merged"},
                 {"Desktop", "home/Desktop"}})
            WriteRegString(HKEY_CURRENT_USER, ShellFoldersKey, name, Path(folder));
        install = std::make_unique<TInstall>();
        install->Information.ProductName = "Lumeno Test";
        install->SetDestDir("\\Lumeno");
        plom.SetContainer(install.get());
        plom.FileName = plom.DestName = "Plom";
        uninstall.SetContainer(install.get());
        group = std::make_unique<TMainLinkGroup>();
        group->SetContainer(install.get());
    }
    void TearDown() override {
        links.clear();
        group.reset();
        plom.SetContainer(nullptr);
        uninstall.SetContainer(nullptr);
        install.reset();
        InstallTest::TearDown();
    }
    TInstallMainLink& Link(const std::string& name) {
        links.push_back(std::make_unique<TInstallMainLink>(name));
        return *links.back();
    }
    std::string Menu() const { return Path("home/.local/share/applications/Lumeno Test"); }
    std::string Installed() const { return Path("home/.local/share/Lumeno"); }

    std::unique_ptr<TInstall> install;
    TInstallFile plom{"Plom"};
    TUninstallEXE uninstall;
    std::unique_ptr<TMainLinkGroup> group;
    std::vector<std::unique_ptr<TInstallMainLink>> links;
};

TEST_F(Links, InstallWritesValidEntriesTheMenuFolderAndUninstallRecords) {
    TInstallMainLink& program = Link("ProgramLink");
    program.SetObjectLink(&plom);
    program.Parameters = "-x \"two words\" $HOME `id`";
    Link("UninstallLink").SetObjectLink(&uninstall);
    TInstallMainLink& help = Link("HelpLink");
    help.SetObjectLocation("HTTP://example.org/help");
    TInstallMainLink& readme = Link("ReadmeLink");
    readme.SetLinkName("Pomoć");
    readme.SetObjectLocationType(&FindKind<psMainInstall>());
    readme.SetObjectLocation("\\Pomoć\\index.html");
    readme.SetLinkName("Pomoć");

    group->Process();

    const std::string desktop = Menu() + "/Plom.desktop";
    EXPECT_EQ(Read(desktop), "[Desktop Entry]\nType=Application\nName=Plom\nExec=\"" + Installed() +
                                 "/Plom\" \"-x\" \"two words\" \"\\\\$HOME\" \"\\\\`id\\\\`\"\nPath=" +
                                 Installed() + "\nTerminal=false\n");
    EXPECT_NE(Read(Menu() + "/uninstall.desktop").find("/uninstall\" \"Lumeno\" \"Test\"\n"),
              std::string::npos);
    EXPECT_EQ(Read(Menu() + "/example.org-help.desktop"),
              "[Desktop Entry]\nType=Link\nName=example.org-help\nURL=HTTP://example.org/help\n");
    // A page is opened by the desktop's opener, not run.
    EXPECT_NE(
        Read(Menu() + "/Pomoć.desktop").find("Exec=xdg-open \"" + Installed() + "/Pomoć/index.html\"\n"),
        std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(desktop.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    const std::string directory = Path("home/.local/share/desktop-directories/lumeno-Lumeno-Test.directory");
    const std::string menu = Path("home/.config/menus/applications-merged/lumeno-Lumeno-Test.menu");
    EXPECT_EQ(Read(directory), "[Desktop Entry]\nType=Directory\nName=Lumeno Test\n");
    const std::string menuText = Read(menu);
    for (const char* id : {"Lumeno Test-Plom.desktop", "Lumeno Test-uninstall.desktop",
                           "Lumeno Test-example.org-help.desktop", "Lumeno Test-Pomoć.desktop"})
        EXPECT_NE(menuText.find(std::string("<Filename>") + id + "</Filename>"), std::string::npos) << id;
    EXPECT_NE(menuText.find("<Directory>lumeno-Lumeno-Test.directory</Directory>"), std::string::npos);

    if (!fs::exists("/usr/bin/desktop-file-validate"))
        PLOM_SKIP_OUTSIDE_CI("desktop-file-validate is missing");
    for (const std::string& f : {desktop, Menu() + "/uninstall.desktop", Menu() + "/example.org-help.desktop",
                                 Menu() + "/Pomoć.desktop", directory})
        EXPECT_EQ(Validate(f), std::nullopt) << f;

    // Everything written is listed, so the uninstaller takes the menu folder away again.
    const UninstallReport report = UninstallProduct("Lumeno Test");
    EXPECT_EQ(report.Removed.size(), 6u);
    EXPECT_FALSE(fs::exists(Menu()));
    EXPECT_FALSE(fs::exists(menu));
    EXPECT_FALSE(fs::exists(directory));
}

// The desktop entries anywhere under the applications folder.
std::vector<std::string> EntriesUnder(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it); it.increment(ec))
        if (it->path().extension() == ".desktop") found.push_back(it->path().string());
    std::sort(found.begin(), found.end());
    return found;
}

TEST_F(Links, AFailedRunTakesAwayTheEntriesItAddedAndKeepsAnEarlierInstallationsOnes) {
    Write("src/Plom", "#!/bin/sh\n");
    Write("src/uninstall", "#!/bin/sh\n");
    Write("prog/setup", "the setup program");
    EnterTemp();
    install->ProgramFile = Path("prog/setup");
    for (TCustomInstallFile* f : std::initializer_list<TCustomInstallFile*>{&plom, &uninstall}) {
        f->SetArchiveFileType(&FindKind<psContainerArchiveFile>());
        f->IncludeFromDir = "src";
    }
    uninstall.FileName = uninstall.DestName = "uninstall";
    install->SetArchiveFileType(nullptr);
    install->SetArchiveFile(Path("prog/files.1"));
    install->Compress(coForceNetFilesLocal | coIncludeEverything);
    install->SetArchiveFile("");
    install->SetArchiveFileType(&FindKind<psMainArchiveFile>());
    Link("ProgramLink").SetObjectLink(&plom);
    Link("UninstallLink").SetObjectLink(&uninstall);
    const std::string apps = Path("home/.local/share/applications");
    const std::string directory = Path("home/.local/share/desktop-directories/lumeno-Lumeno-Test.directory");
    const std::string menu = Path("home/.config/menus/applications-merged/lumeno-Lumeno-Test.menu");
    const auto failAfterTheShortcuts = [](TInstallContainer&) {
        throw IECustomInstallFile("Cannot write %s: No space left on device", {"Plom"});
    };

    // a first installation failing once its shortcuts are written leaves none of them, nor the menu
    group->OnAfterProcess = failAfterTheShortcuts;
    EXPECT_EQ(install->Execute({}), 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("No space left on device"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find(RolledBackText), std::string::npos) << messages[0];
    EXPECT_EQ(EntriesUnder(apps), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(Menu()));
    EXPECT_FALSE(fs::exists(directory));
    EXPECT_FALSE(fs::exists(menu));
    EXPECT_FALSE(fs::exists(Path("home/.config/menus")));
    // the folders it made went, but not the settings naming where things go
    ASSERT_EQ(ProgramFilesFolder(), Path("home/.local/share"));
    ASSERT_EQ(StartMenuFolder(), apps);
    ASSERT_EQ(MergedMenusFolder(), Path("home/.config/menus/applications-merged"));

    // over a finished installation a failed upgrade takes away only the entry it added
    group->OnAfterProcess = nullptr;
    messages.clear();
    ASSERT_EQ(install->Execute({}), 0) << (messages.empty() ? "" : messages[0]);
    const std::vector<std::string> earlier = EntriesUnder(apps);
    ASSERT_EQ(earlier.size(), 2u);
    TInstallMainLink& help = Link("HelpLink");
    help.SetObjectLocationType(&FindKind<psMainInstall>());
    help.SetObjectLocation("\\Pomoć\\index.html");
    help.SetLinkName("Pomoć");
    group->OnAfterProcess = failAfterTheShortcuts;
    EXPECT_EQ(install->Execute({}), 1);
    EXPECT_EQ(EntriesUnder(apps), earlier);
    EXPECT_FALSE(fs::exists(Menu() + "/Pomoć.desktop"));
    EXPECT_TRUE(fs::exists(directory));
    EXPECT_TRUE(fs::exists(menu));
    EXPECT_TRUE(fs::exists(Installed() + "/Plom"));
    group->OnAfterProcess = nullptr;

    // uninstalling takes away the menu's folders the installation made in the new home, but what the
    // user put beside them stays
    Write("home/.local/share/mine.txt", "mine");
    UninstallProduct("Lumeno Test");
    EXPECT_FALSE(fs::exists(apps));
    EXPECT_FALSE(fs::exists(Path("home/.local/share/desktop-directories")));
    EXPECT_FALSE(fs::exists(Path("home/.config")));
    EXPECT_FALSE(fs::exists(Installed()));
    EXPECT_TRUE(fs::exists(Path("home/.local/share/mine.txt")));
}

TEST_F(Links, LinkNamesFollowTheObjectAndTheLocation) {
    struct Case {
        std::string before, set, expected;
    };
    for (const Case& c : std::vector<Case>{{"", "Pomoć", "Pomoć.LNK"},
                                           {"Help.lnk", "Readme", "Readme.lnk"},
                                           {"Site.URL", "Other", "Other.URL"},
                                           {"", "Page.url", "Page.url"}}) {
        TInstallMainLink& l = Link("L" + std::to_string(links.size()));
        if (!c.before.empty()) l.SetLinkName(c.before);
        l.SetLinkName(c.set);
        EXPECT_EQ(l.LinkName(), c.expected) << c.set;
    }
    TInstallMainLink& l = Link("Web");
    l.SetObjectLink(&plom);
    EXPECT_EQ(l.LinkName(), "Plom.lnk");
    EXPECT_EQ(l.Target(), Installed() + "/Plom");
    l.SetLinkName("Site.URL");
    EXPECT_EQ(l.ObjectLink(), nullptr);
    TInstallMainLink& ftp = Link("Ftp");
    ftp.SetObjectLocation("ftp://files.example.org/pub/x");
    EXPECT_EQ(ftp.LinkName(), "files.example.org-pub-x.URL");
    TInstallMainLink& local = Link("Local");
    local.SetObjectLocation("\\Pomoć\\upute.html");
    EXPECT_EQ(local.LinkName(), "upute.LNK");
    TInstallMainLink& blank = Link("Blank");
    blank.SetObjectLocationType(&FindKind<psMainInstall>());
    EXPECT_THROW(blank.Process(), IEInstallShellLink);
    EXPECT_THROW(blank.SetObjectLocationType(&ObjectLinkKind()), IEPathSpecifier);
}

TEST_F(Links, OneMainGroupAndMainLinksOnlyInIt) {
    EXPECT_THROW(TMainLinkGroup second, IEShellLinkGroup);
    EXPECT_EQ(group->DestPath(), Menu());
    group->SetDestDir("\\Radionica");
    EXPECT_EQ(group->DestPath(), Path("home/.local/share/applications/Radionica"));
    TInstallMainLink& l = Link("L");
    EXPECT_THROW(l.SetContainer(install.get()), IEInstallShellLink);
    group.reset();
    EXPECT_THROW(TInstallMainLink orphan, IEInstallShellLink);
}

TEST(DesktopEntryText, ValuesAreEscapedAndControlCharactersRefused) {
    struct Case {
        std::string in, out;
    };
    for (const Case& c : std::vector<Case>{{" lead", "\\slead"},
                                           {"a\\b", "a\\\\b"},
                                           {"two\nlines\tand\r", "two\\nlines\\tand\\r"},
                                           {"Pomoć", "Pomoć"}})
        EXPECT_EQ(EscapeDesktopValue(c.in), c.out);
    EXPECT_THROW(EscapeDesktopValue(std::string("bell\x07")), IEInstallShellLink);
    EXPECT_EQ(SplitArguments("  a \"b c\"  \"\" d"), (std::vector<std::string>{"a", "b c", "", "d"}));
    EXPECT_EQ(ExecLine("/opt/my app/x", "%s a\\b"), "\"/opt/my app/x\" \"%%s\" \"a\\\\b\"");
}

// A Program Manager that answers from a script and keeps every command.
class ScriptedManager : public ProgramManagerLink {
public:
    explicit ScriptedManager(std::vector<std::string>& log) : log_(log) {}
    bool Execute(const std::string& command) override {
        log_.push_back(command);
        return true;
    }
    std::optional<std::vector<std::string>> Request(const std::string& item) override {
        log_.push_back("?" + item);
        return std::vector<std::string>{"\"" + item + "\",1", "\"Plom\",\"x\",,0", "\"Other\",\"y\",,0"};
    }

private:
    std::vector<std::string>& log_;
};

TEST_F(Links, ProgramManagerItemsReplaceThenAddAndNeedTheMenu) {
    TInstallMainLink& l = Link("Pm");
    l.SetObjectLink(&plom);
    l.Method = mtProgramManager;
    // This system has no Program Manager.
    EXPECT_THROW(group->Process(), pm::EAIPMCannotOpen);

    std::vector<std::string> log;
    ProgramManager().SetLink(std::make_unique<ScriptedManager>(log));
    group->Process();
    const std::string dir = "\"" + Installed() + "\"";
    EXPECT_EQ(log, (std::vector<std::string>{
                       "[CreateGroup(\"Lumeno Test\")]", "?Lumeno Test", "[ShowGroup(Lumeno Test,8)]",
                       "[ReplaceItem(\"Plom\")]", "?Lumeno Test", "[ShowGroup(Lumeno Test,8)]",
                       "[AddItem(\"" + Installed() + "/Plom\" ,Plom,,0,,," + dir + ",0)]", "?Lumeno Test"}));
    EXPECT_EQ(ProgramManager().ItemCount(), 2);
    EXPECT_EQ(ProgramManager().FindItem("Other"), 2);
    EXPECT_EQ(ProgramManager().ItemField(1, 2), "x");
    EXPECT_THROW(TProgramManager::CreateGroupCommand("bad\"name"), pm::EAIPMError);
    EXPECT_EQ(TProgramManager::ShowGroupCommand("a,b"), "[ShowGroup(\"a,b\",8)]");

    // Outside the menu nothing is written.
    log.clear();
    TCustomInstallShellLink desk("Desk");
    desk.SetDestDirType(&FindKind<psDesktopMenu>());
    desk.SetObjectLocation("/bin/true");
    desk.Method = mtProgramManager;
    desk.Process();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(desk.WrittenFile(), "");
}

} // namespace
