#include "setup/kit/KitExceptions.h"
#include "tests/setup/install/InstallTestEnv.h"

using namespace setup;
using setuptest::InstallTest;

namespace {

class TInstallBDE : public TInstallFileGroup {
public:
    TInstallBDE() : TInstallFileGroup("InstallBDE1") {}
    std::string ClassName() const override { return "TInstallBDE"; }
};

std::vector<std::string> Names(const TInstallContainer& c) {
    std::vector<std::string> names;
    for (int i = 0; i < c.Count(); ++i)
        names.push_back(c.Items(i)->Name());
    return names;
}

} // namespace

using Tree = InstallTest;

TEST_F(Tree, ChildrenAreOrderedByTypeAndOrderAndRenumbered) {
    TInstall install;
    TInstallFile a("A"), b("B"), c("C");
    TInstallFileGroup g1("G1", &install), g2("G2", &install);
    setuptest::Recorder pages;
    pages.SetContainer(&install);
    a.SetContainer(&install);
    b.SetContainer(&install);
    // dialogs after files after file containers; a file with an Order goes before the one holding it
    EXPECT_EQ(Names(install), (std::vector<std::string>{"G1", "G2", "A", "B", "Recorder"}));
    EXPECT_EQ(b.Order(), 1);
    c.SetOrder(0);
    c.SetContainer(&install);
    EXPECT_EQ(Names(install), (std::vector<std::string>{"G1", "G2", "C", "A", "B", "Recorder"}));
    EXPECT_EQ(a.Order(), 1);
    // the engine group always goes first, even added last
    TInstallBDE bde;
    bde.SetContainer(&install);
    EXPECT_EQ(install.Items(0)->Name(), "InstallBDE1");
    // moving an object takes it out of the old container
    a.SetContainer(&g1);
    EXPECT_EQ(Names(g1), (std::vector<std::string>{"A"}));
    EXPECT_EQ(install.FileCount(), 2);
    EXPECT_EQ(install.FileContainerCount(), 3);
    EXPECT_EQ(install.Comp(1, rtFile)->Name(), "B");
    EXPECT_THROW(install.Comp(5, rtFile), IEInstallContainer);
    try {
        install.Items(40);
        FAIL();
    } catch (const IEInstallContainer& e) {
        EXPECT_NE(std::string(e.what()).find("used: 40"), std::string::npos) << e.what();
    }
    // cycles and nothing are refused
    EXPECT_THROW(g1.Add(&install), IEInstallContainer);
    EXPECT_THROW(a.Add(&a), IEInstallContainer);
    EXPECT_THROW(install.Add(nullptr), IEInstallContainer);
    // a destroyed child is forgotten
    {
        TInstallFile gone("Gone");
        gone.SetContainer(&g2);
        EXPECT_EQ(g2.Count(), 1);
    }
    EXPECT_EQ(g2.Count(), 0);
    EXPECT_EQ(g1.GroupName, "Group #0");
    EXPECT_EQ(g2.GroupName, "Group #1");
}

TEST_F(Tree, InstallTypesDecideWhatIsSelected) {
    TInstall install;
    TInstallFile f("F");
    f.SetContainer(&install);
    f.SetInstallTypes(0);
    EXPECT_EQ(f.InstallTypes(), AlwaysTypes);
    f.SetInstallTypes(InstallTypeBit(itFull) | InstallTypeBit(itAlways));
    EXPECT_EQ(f.InstallTypes(), InstallTypeBit(itFull));
    f.SetInstallTypes(InstallTypeBit(itFull) | InstallTypeBit(itAlways)); // newly always: always alone
    EXPECT_EQ(f.InstallTypes(), AlwaysTypes);
    struct Case {
        TInstallType current;
        TInstallTypeSet types;
        bool include, selected;
    } cases[] = {
        {itFull, InstallTypeBit(itFull), true, true},   {itCompact, InstallTypeBit(itFull), true, false},
        {itCustom, InstallTypeBit(itFull), true, true}, {itAlways, InstallTypeBit(itCompact), true, true},
        {itCompact, AlwaysTypes, true, true},           {itFull, InstallTypeBit(itFull), false, false},
    };
    for (const Case& c : cases) {
        f.SetInstallTypes(c.types);
        f.Include = c.include;
        install.SetCurrentInstallType(c.current);
        EXPECT_EQ(f.CurrentInstallType(), c.current);
        EXPECT_EQ(f.Selected(), c.selected) << c.current << " " << c.types;
    }
}

TEST_F(Tree, NotificationsWithoutTheirParameterAreKitErrorsWhileAPassRuns) {
    TInstall install;
    TInstallFileGroup g("G", &install);
    TInstallFile f("F");
    f.SetContainer(&g);
    // outside a pass nothing is checked
    g.Notify(&f, ncInstallProgress, nullptr);
    Write("src/x", "x");
    f.FileName = "x";
    f.IncludeFromDir = Path("src");
    f.OnBeforeCompress = [&](TCustomInstallFile& file) { g.Notify(&file, ncInstallProgress, nullptr); };
    g.SetArchiveFileType(nullptr);
    g.SetArchiveFile(Path("g.1"));
    try {
        g.Compress(coForceNetFilesLocal);
        FAIL();
    } catch (const IEFileContainer& e) {
        EXPECT_EQ(std::string(e.what()), "G got a nil PO parameter");
    }
    EXPECT_EQ(g.State(), fcsNone);
    EXPECT_THROW(g.Compress(coForceNetFilesLocal | coForceFilesNet), IEFileContainer);
}
