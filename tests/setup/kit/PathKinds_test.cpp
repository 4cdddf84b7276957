#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/PathKinds.h"
#include "setup/kit/Registry.h"
#include "setup/kit/ShellFolders.h"
#include "tests/setup/kit/KitTestEnv.h"

#include <fstream>
#include <functional>

using namespace setup;
namespace fs = std::filesystem;

namespace {

struct FakeComponent : PathComponent {
    std::string name = "File1";
    bool installObject = true, fileRelated = false;
    const PathComponent* container = nullptr;
    const TCustomPathSpecifier* destType = nullptr;
    std::string destDir;
    const TCustomPathSpecifier* archiveType = nullptr;
    std::string archiveFile;
    std::string Name() const override { return name; }
    bool IsInstallObject() const override { return installObject; }
    bool IsFileRelated() const override { return fileRelated; }
    const PathComponent* Container() const override { return container; }
    const TCustomPathSpecifier* DestDirType() const override { return destType; }
    std::string DestDir() const override { return destDir; }
    const TCustomPathSpecifier* ArchiveFileType() const override { return archiveType; }
    std::string ArchiveFile() const override { return archiveFile; }
};

struct FakeInstall : InstallRoot {
    std::string source = "/media/cd";
    bool selfExtracting = false;
    std::string exeName;
    const TCustomPathSpecifier* destType = nullptr;
    std::string destDir = "\\Lumeno";
    std::string Name() const override { return "Install1"; }
    bool IsInstallObject() const override { return true; }
    bool IsFileRelated() const override { return true; }
    const TCustomPathSpecifier* DestDirType() const override { return destType; }
    std::string DestDir() const override { return destDir; }
    std::string SourceFolder() const override { return source; }
    bool SelfExtracting() const override { return selfExtracting; }
    std::string SelfExtractName() const override { return exeName; }
};

class PathKind : public setuptest::KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        Unset("XDG_STATE_HOME");
        EnsureStandardKinds(kinds, true);
        install.destType = &FindKind<psProgramFiles>();
        SetCurrentInstall(&install);
    }
    void TearDown() override {
        SetCurrentInstall(nullptr);
        kinds.clear();
        KitTest::TearDown();
    }
    std::string Expand(const TCustomPathSpecifier& kind, const PathComponent* c) {
        std::string p;
        kind.Expand(c, p);
        return p;
    }
    std::string Home() const { return Path("home"); }
    std::vector<std::unique_ptr<TCustomPathSpecifier>> kinds;
    FakeInstall install;
};

} // namespace

TEST_F(PathKind, StandardKindsAreMadeOnceInTableOrder) {
    ASSERT_EQ(kinds.size(), 14u);
    EXPECT_EQ(kinds.front()->Name(), "psBDEDLL");
    EXPECT_EQ(kinds.back()->Name(), "psWindow");
    std::vector<std::unique_ptr<TCustomPathSpecifier>> more;
    EnsureStandardKinds(more, true);
    EXPECT_TRUE(more.empty());
    EnsureStandardKinds(more, false);
    EXPECT_EQ(more.size(), 14u);
    EXPECT_EQ(&FindKind<psSystem>(), kinds[12].get()); // the first registered wins
    more.clear();
    EXPECT_EQ(StandardPathKinds().size(), 14u);
    EXPECT_EQ(FindKind<psMainArchiveFile>().Description(),
              "Archive containing most or all non-internet installation files");
    EXPECT_THROW(AddKind(nullptr), IEPathSpecifierList);
    kinds.clear();
    EXPECT_THROW(FindKind<psSystem>(), IEPathSpecifierList);
}

TEST_F(PathKind, ShellFoldersFollowTheFreedesktopLayoutWithoutRegistryValues) {
    // per user, or system-wide when the setup runs as root
    const bool root = ::geteuid() == 0;
    const std::string programs = root ? "/opt" : Home() + "/.local/share";
    const std::string menu = root ? "/usr/local/share/applications" : Home() + "/.local/share/applications";
    EXPECT_EQ(Expand(FindKind<psProgramFiles>(), nullptr), programs);
    EXPECT_EQ(Expand(FindKind<psCommonFiles>(), nullptr), programs + "/Common Files");
    EXPECT_EQ(Expand(FindKind<psStartMenu>(), nullptr), menu);
    EXPECT_EQ(Expand(FindKind<psProgramMenu>(), nullptr), menu);
    EXPECT_EQ(Expand(FindKind<psStartupMenu>(), nullptr),
              root ? "/etc/xdg/autostart" : Home() + "/.config/autostart");
    EXPECT_EQ(Expand(FindKind<psDesktopMenu>(), nullptr), Home() + "/Desktop");
    EXPECT_EQ(Expand(FindKind<psSystem>(), nullptr), Path("state") + "/system");
    EXPECT_EQ(Expand(FindKind<psWindow>(), nullptr), Path("state") + "/windows");
    EXPECT_EQ(Expand(FindKind<psBDEDLL>(), nullptr), programs + "/Borland/Common Files/BDE");

    fs::create_directories(Home() + "/.config");
    std::ofstream(Home() + "/.config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                         "XDG_DESKTOP_DIR=\"$HOME/Radna površina\"\n";
    EXPECT_EQ(Expand(FindKind<psDesktopMenu>(), nullptr), Home() + "/Radna površina");
}

TEST_F(PathKind, RegistryValuesComeFirst) {
    WriteRegString(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir", "/srv/programs/");
    WriteRegString(HKEY_CURRENT_USER, ShellFoldersKey, "Programs", "/menu/Programs");
    WriteRegString(HKEY_CURRENT_USER, ShellFoldersKey, "Desktop", "/desk");
    WriteRegString(HKEY_LOCAL_MACHINE, "\\Software\\Borland\\Database Engine", "DLLPath", "/bde/dll;/other");
    EXPECT_EQ(Expand(FindKind<psProgramFiles>(), nullptr), "/srv/programs");
    EXPECT_EQ(Expand(FindKind<psCommonFiles>(), nullptr), "/srv/programs/Common Files");
    EXPECT_EQ(Expand(FindKind<psProgramMenu>(), nullptr), "/menu/Programs");
    EXPECT_EQ(Expand(FindKind<psDesktopMenu>(), nullptr), "/desk");
    EXPECT_EQ(Expand(FindKind<psBDEDLL>(), nullptr), "/bde/dll");
}

TEST_F(PathKind, AFolderOfTheSystemKeepsItsBackslashes) {
    // A home, a source folder and registered folders whose names hold a "\\": every path built on them
    // stays inside them; only the configured rest is split at "\\".
    const std::string home = Path("a\\b");
    fs::create_directories(home);
    Set("HOME", home);
    Unset("XDG_DATA_HOME");
    Unset("XDG_CONFIG_HOME");
    install.source = home + "/cd\\1";
    // as root program files are elsewhere: the registry puts them into the home
    WriteRegString(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir", home + "/.local/share");
    FakeComponent file;
    file.destType = &FindKind<psMainInstall>();
    file.destDir = "\\Global\\Partner.db";
    const struct {
        const char* what;
        std::function<std::string()> path;
        std::string expected;
    } cases[] = {
        {"program files", [&] { return Expand(FindKind<psProgramFiles>(), nullptr); },
         home + "/.local/share"},
        {"the install", [&] { return DestPath(install); }, home + "/.local/share/Lumeno"},
        {"a file in a group", [&] { return DestPath(file); },
         home + "/.local/share/Lumeno/Global/Partner.db"},
        {"a folder found on the system",
         [&] {
             file.destType = nullptr;
             file.destDir = home + "/engine\\1";
             return DestPath(file);
         },
         home + "/engine\\1"},
        {"the desktop", [&] { return Expand(FindKind<psDesktopMenu>(), nullptr); }, home + "/Desktop"},
        {"the source", [&] { return Expand(FindKind<psInstallSource>(), &file); }, home + "/cd\\1"},
        {"the main archive", [&] { return Expand(FindKind<psMainArchiveFile>(), &file); },
         home + "/cd\\1/files.1"},
        {"a variable", [] { return ExpandPathVariables("%p\\Lumeno\\Plom", nullptr); },
         home + "/.local/share/Lumeno/Plom"},
        {"a registered folder",
         [&] {
             WriteRegString(HKEY_CURRENT_USER, ShellFoldersKey, "Programs", home + "/menu\\x");
             return Expand(FindKind<psProgramMenu>(), nullptr);
         },
         home + "/menu\\x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.path(), c.expected);
    }
    EXPECT_EQ(FolderPart(home + "/Lumeno/Plom"), home + "/Lumeno");
    EXPECT_EQ(NamePart(home + "/x\\y"), "x\\y");
    EXPECT_EQ(NamePart("\\Pomoć\\index.html"), "index.html");
}

TEST_F(PathKind, InstallKindsUseTheInstallRoot) {
    FakeComponent file;
    EXPECT_EQ(Expand(FindKind<psInstallSource>(), &file), "/media/cd");
    EXPECT_EQ(Expand(FindKind<psMainArchiveFile>(), &file), "/media/cd/files.1");
    install.selfExtracting = true;
    install.exeName = "setup";
    EXPECT_EQ(Expand(FindKind<psMainArchiveFile>(), &file), "/media/cd/setup");
    install.exeName = " ";
    EXPECT_THROW(Expand(FindKind<psMainArchiveFile>(), &file), IEPathSpecifier);

    WriteRegString(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir", "/opt");
    EXPECT_EQ(DestPath(install), "/opt/Lumeno");
    EXPECT_EQ(Expand(FindKind<psMainInstall>(), &file), "/opt/Lumeno");
    try {
        FindKind<psMainInstall>().Check(&install);
        FAIL();
    } catch (const IEPathSpecifier& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot use the ddMainInstallDir path specifier for a TInstall component");
    }
    SetCurrentInstall(nullptr);
    try {
        Expand(FindKind<psInstallSource>(), &file);
        FAIL();
    } catch (const IEPathSpecifier& e) {
        EXPECT_EQ(std::string(e.what()),
                  "There is no TInstall component so the path specifier could not be expanded for File1");
    }
}

TEST_F(PathKind, ContainerKindsCheckTheirComponent) {
    WriteRegString(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir", "/opt");
    FakeComponent group;
    group.name = "Global";
    group.fileRelated = true;
    group.destType = &FindKind<psMainInstall>();
    group.destDir = "\\Global\\";
    group.archiveType = &FindKind<psInstallSource>();
    group.archiveFile = "Global.1";
    FakeComponent file;
    file.container = &group;
    file.destType = &FindKind<psContainerDestDir>();
    file.destDir = "Partner.db";
    file.archiveType = &FindKind<psContainerArchiveFile>();
    EXPECT_EQ(DestPath(group), "/opt/Lumeno/Global");
    EXPECT_EQ(DestPath(file), "/opt/Lumeno/Global/Partner.db");
    EXPECT_EQ(ArchivePath(file), "/media/cd/Global.1");

    group.fileRelated = false;
    EXPECT_THROW(ArchivePath(file), IEPathSpecifier);
    file.container = nullptr;
    try {
        DestPath(file);
        FAIL();
    } catch (const IEPathSpecifier& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot use ddContainerDestDir for File1 unless you assign a Container");
    }
    file.installObject = false;
    try {
        DestPath(file);
        FAIL();
    } catch (const IEPathSpecifier& e) {
        EXPECT_EQ(std::string(e.what()),
                  "File1 must be a TInstallObject to use the psContainerDestDir path specifier");
    }
    // without a kind the folder stands alone; a lone root keeps its separator
    FakeComponent plain;
    plain.destDir = "\\";
    EXPECT_EQ(DestPath(plain), "/");
    plain.destDir = "\\tmp\\x\\";
    EXPECT_EQ(DestPath(plain), "/tmp/x");
}

TEST_F(PathKind, PathVariablesExpandEveryLetter) {
    WriteRegString(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir", "/opt");
    WriteRegString(HKEY_LOCAL_MACHINE, CurrentVersionKey, "CommonFilesDir", "/opt/common");
    WriteRegString(HKEY_CURRENT_USER, ShellFoldersKey, "Start Menu", "/menu");
    WriteRegString(HKEY_CURRENT_USER, ShellFoldersKey, "Programs", "/menu/programs");
    WriteRegString(HKEY_CURRENT_USER, ShellFoldersKey, "Desktop", "/desk");
    FakeComponent group;
    group.destDir = "/opt/Lumeno/Pomoć";
    FakeComponent link;
    link.destDir = "/desk/Plom.desktop";
    link.container = &group;
    EXPECT_EQ(ExpandPathVariables("%I\\%%x", &link), "/opt/Lumeno/%x");
    EXPECT_EQ(ExpandPathVariables("%a|%b|%c|%d|%f|%m|%p", &link),
              "/desk/Plom.desktop|/menu/programs|/opt/Lumeno/Pomoć|/desk|/opt/common|/menu|/opt");
    EXPECT_EQ(ExpandPathVariables("%s %w", nullptr), Path("state") + "/system " + Path("state") + "/windows");
    EXPECT_EQ(ExpandPathVariables("a%qb%", nullptr), "ab");
    EXPECT_THROW(ExpandPathVariables("%a", nullptr), EAICannotExpandContainerDirMV);
    link.container = nullptr;
    try {
        ExpandPathVariables("%c", &link);
        FAIL();
    } catch (const EAICannotExpandContainerDirMV& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot expand the %c meta variable because the Container property is Nil");
    }
    SetCurrentInstall(nullptr);
    EXPECT_THROW(ExpandPathVariables("%i", &link), EAICannotExpandInstallDirMV);
}

TEST_F(PathKind, KindWithoutExpansionIsEmptyAndUnspecified) {
    TCustomPathSpecifier own("psOwn");
    EXPECT_EQ(own.Description(), "Unspecified");
    EXPECT_EQ(Expand(own, nullptr), "");
    EXPECT_EQ(PathKinds().back(), &own);
}

TEST_F(PathKind, ContainersThatContainThemselvesAreRefusedNotRecursed) {
    FakeComponent a, b;
    a.name = "GroupA";
    b.name = "GroupB";
    a.fileRelated = b.fileRelated = true;
    a.container = &b;
    b.container = &a;
    a.destType = b.destType = &FindKind<psContainerDestDir>();
    a.archiveType = b.archiveType = &FindKind<psContainerArchiveFile>();
    for (const FakeComponent* c : {&a, &b}) {
        EXPECT_THROW(DestPath(*c), IEPathSpecifier);
        EXPECT_THROW(ArchivePath(*c), IEPathSpecifier);
    }
    FakeComponent self;
    self.container = &self;
    self.destType = &FindKind<psContainerDestDir>();
    EXPECT_THROW(DestPath(self), IEPathSpecifier);
    // the guard is released after the error: a sound chain expands again
    b.container = nullptr;
    b.destType = nullptr;
    b.destDir = "/srv";
    EXPECT_EQ(DestPath(a), "/srv");
}
