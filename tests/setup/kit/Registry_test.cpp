#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/Registry.h"
#include "setup/kit/RunLock.h"
#include "tests/setup/kit/KitTestEnv.h"
#include "tests/support/ChildProcess.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <set>

using namespace setup;
namespace fs = std::filesystem;

using Registry = setuptest::KitTest;

TEST_F(Registry, TypedValuesRoundTripThroughTheFile) {
    WriteRegString(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Dorvane\\Install\\Install0", "Path",
                   "/home/a b/setup\tx%y\nz");
    WriteRegInteger(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Dorvane\\Install\\Install0", "Size", -1234567890123LL);
    WriteRegFloat(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Dorvane\\Install\\Install0", "CreationDate",
                  45123.123456789012);
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Dorvane\\Install\\Install0", "Path", ""),
              "/home/a b/setup\tx%y\nz");
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Dorvane\\Install\\Install0", "Size", 0),
              -1234567890123LL);
    EXPECT_EQ(ReadRegFloat(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Dorvane\\Install\\Install0", "CreationDate", 0),
              45123.123456789012);
    // a value of another type, a missing value or key gives the default
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Dorvane\\Install\\Install0", "Path", 7), 7);
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Nothing", "Path", "def"), "def");
    // roots are separate files
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "\\SOFTWARE\\Dorvane\\Install\\Install0", "Path", "none"),
              "none");
    EXPECT_TRUE(fs::exists(fs::path(std::getenv("LUMENO_SETUP_STATE")) / "HKEY_LOCAL_MACHINE.reg"));
    // an unknown root number is the current user's
    WriteRegString(42, "\\K", "V", "x");
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "\\K", "V", ""), "x");
}

TEST_F(Registry, KeysAndNamesIgnoreCaseButKeepIt) {
    WriteRegString(HKEY_LOCAL_MACHINE, "\\Software\\Microsoft\\Windows\\Help", "PLOM.HLP", "/opt/Lumeno");
    WriteRegString(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\MICROSOFT\\windows\\help", "plom.hlp", "/other");
    EXPECT_EQ(RegValueNames(HKEY_LOCAL_MACHINE, "\\software\\microsoft\\windows\\HELP"),
              (std::vector<std::string>{"PLOM.HLP"}));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "\\Software\\Microsoft\\Windows\\Help", "Plom.hlp", ""),
              "/other");
    CreateRegKey(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Dorvane\\Install\\Install0\\Unfinished");
    CreateRegKey(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Dorvane\\Install\\Install1");
    EXPECT_EQ(RegSubKeys(HKEY_LOCAL_MACHINE, "\\software\\dorvane\\INSTALL"),
              (std::vector<std::string>{"Install0", "Install1"}));
    EXPECT_EQ(RegSubKeys(HKEY_LOCAL_MACHINE, "\\Software"),
              (std::vector<std::string>{"Dorvane", "Microsoft"}));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Dorvane"));
}

TEST_F(Registry, DeletingATreeTakesItsSubKeysOnly) {
    WriteRegString(HKEY_LOCAL_MACHINE, "\\A\\B\\C", "v", "1");
    WriteRegString(HKEY_LOCAL_MACHINE, "\\A\\B", "v", "2");
    WriteRegString(HKEY_LOCAL_MACHINE, "\\A\\BB", "v", "3");
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, "\\a\\b");
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "\\A\\B\\C"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "\\A\\B"));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "\\A\\BB", "v", ""), "3");
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, "\\Not\\There"); // ignored
    EXPECT_TRUE(DeleteRegValue(HKEY_LOCAL_MACHINE, "\\A\\BB", "V"));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, "\\A\\BB", "v"));
}

TEST_F(Registry, RunOnceNumbersTakenNamesOrOverwrites) {
    EXPECT_TRUE(AddRunOnce("DorvaneUnfinished", "first", true));
    EXPECT_TRUE(AddRunOnce("DorvaneUnfinished", "second", true));
    EXPECT_TRUE(AddRunOnce("DorvaneUnfinished", "third", true));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, RunOnceKey, "DorvaneUnfinished", ""), "first");
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, RunOnceKey, "DorvaneUnfinished1", ""), "second");
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, RunOnceKey, "DorvaneUnfinished2", ""), "third");
    EXPECT_TRUE(AddRunOnce("DorvaneUnfinished", "replaced", false));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, RunOnceKey, "DorvaneUnfinished", ""), "replaced");
    EXPECT_EQ(RegValueNames(HKEY_LOCAL_MACHINE, RunOnceKey).size(), 3u);
}

TEST_F(Registry, NumberedRunOnceNamesAreBounded) {
    RegistryStore().Update(HKEY_LOCAL_MACHINE, [](RegistryHive& h) {
        RegValue v;
        h.SetValue(RunOnceKey, "Resume", v);
        for (int i = 1; i <= MaxNumberedNames; ++i)
            h.SetValue(RunOnceKey, "Resume" + std::to_string(i), v);
        return true;
    });
    EXPECT_FALSE(AddRunOnce("Resume", "cmd", true));
    EXPECT_TRUE(AddRunOnce("Resume", "cmd", false));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, RunOnceKey, "Resume", ""), "cmd");
}

TEST_F(Registry, DamagedFileIsKeptAsideNamedAndAFreshOneStarted) {
    const fs::path state = std::getenv("LUMENO_SETUP_STATE");
    fs::create_directories(state);
    const std::string damaged = "LumenoRegistry 1\nK\tA\nX\tbroken\n";
    std::vector<std::string> notices;
    SetRegistryNoticeHook([&](const std::string& text) { notices.push_back(text); });
    // a read meets it first: default value, the file moved aside and named
    std::ofstream(state / "HKEY_LOCAL_MACHINE.reg") << damaged;
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "A", "v", "default"), "default");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("oštećena u retku 3"), std::string::npos) << notices[0];
    EXPECT_NE(notices[0].find((state / "HKEY_LOCAL_MACHINE.reg.damaged").string()), std::string::npos);
    EXPECT_EQ(testsupport::ReadFile(state / "HKEY_LOCAL_MACHINE.reg.damaged"), damaged);
    // writes work again and keep working
    WriteRegString(HKEY_LOCAL_MACHINE, "K", "Name", "Val");
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "K", "Name", ""), "Val");
    EXPECT_TRUE(AddRunOnce("X", "y", true));
    // a write meets the next damage: the first kept file stays, the second gets a number
    std::ofstream(state / "HKEY_LOCAL_MACHINE.reg", std::ios::trunc) << "garbage";
    WriteRegInteger(HKEY_LOCAL_MACHINE, "K", "N", 5);
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, "K", "N", 0), 5);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(testsupport::ReadFile(state / "HKEY_LOCAL_MACHINE.reg.damaged1"), "garbage");
    EXPECT_EQ(testsupport::ReadFile(state / "HKEY_LOCAL_MACHINE.reg.damaged"), damaged);
    SetRegistryNoticeHook(nullptr);
}

TEST_F(Registry, ManyValuesStayDistinctAndKilledSavesAreSweptAway) {
    const fs::path state = std::getenv("LUMENO_SETUP_STATE");
    RegistryStore().Update(HKEY_LOCAL_MACHINE, [](RegistryHive& h) {
        for (int i = 0; i < 5000; ++i) {
            RegValue v;
            v.kind = RegValue::Integer;
            v.integer = i;
            h.SetValue("\\SharedDLLs", "/opt/lib" + std::to_string(i), v);
        }
        return true;
    });
    // names ignore case, a re-write replaces in place, a delete keeps the others reachable
    WriteRegInteger(HKEY_LOCAL_MACHINE, "\\SharedDLLs", "/OPT/LIB17", 70);
    EXPECT_TRUE(DeleteRegValue(HKEY_LOCAL_MACHINE, "\\SharedDLLs", "/opt/lib3"));
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, "\\SharedDLLs", "/opt/lib17", 0), 70);
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, "\\SharedDLLs", "/opt/lib3", -1), -1);
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, "\\SharedDLLs", "/opt/lib4999", 0), 4999);
    const auto names = RegValueNames(HKEY_LOCAL_MACHINE, "\\SharedDLLs");
    ASSERT_EQ(names.size(), 4999u);
    EXPECT_EQ(names[3], "/opt/lib4");
    // another process's save goes through, the cached read sees it
    const auto other = testsupport::ChildProcess::Fork([] {
        WriteRegInteger(HKEY_LOCAL_MACHINE, "\\SharedDLLs", "/opt/lib4", 44);
        return 0;
    });
    const auto end = other->Wait(std::chrono::seconds(60));
    ASSERT_TRUE(end && end->Success());
    EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, "\\SharedDLLs", "/opt/lib4", 0), 44);
    // a save killed before its rename left its temporary: the next change removes it
    std::ofstream(state / ".HKEY_LOCAL_MACHINE.reg.ab12cd34.tmp") << "half";
    WriteRegInteger(HKEY_LOCAL_MACHINE, "K", "N", 1);
    EXPECT_FALSE(fs::exists(state / ".HKEY_LOCAL_MACHINE.reg.ab12cd34.tmp"));
    EXPECT_TRUE(fs::exists(state / "HKEY_LOCAL_MACHINE.reg.lock"));
}

// Writes numbered values and RunOnce entries under its name (who, count) into the registry the environment
// names, as fast as it can.
namespace {
int WriteNumbered(const std::string& who, int count) {
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        try {
            WriteRegInteger(HKEY_LOCAL_MACHINE, "\\Shared", who + std::to_string(i), i);
            AddRunOnce("Resume", who, true);
        } catch (...) {
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
} // namespace

// The other writer: tells the test (one byte on stdout) that it starts, then writes.
PLOM_CHILD_ROLE(RegistryWriter) {
    if (std::fwrite("s", 1, 1, stdout) != 1 || std::fflush(stdout) != 0) return 3;
    return WriteNumbered(args.at(0), std::stoi(args.at(1)));
}

TEST_F(Registry, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int perProcess = 25;
    CreateRegKey(HKEY_LOCAL_MACHINE, "\\Shared");
    auto child = testsupport::ChildProcess::Role("RegistryWriter", {"child", std::to_string(perProcess)});
    ASSERT_TRUE(child->Read(1)) << child->Errors();
    EXPECT_EQ(WriteNumbered("parent", perProcess), 0);
    const auto status = child->Wait();
    ASSERT_TRUE(status && status->Success()) << child->Errors();
    for (int i = 0; i < perProcess; ++i) {
        EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, "\\Shared", "child" + std::to_string(i), -1), i);
        EXPECT_EQ(ReadRegInteger(HKEY_LOCAL_MACHINE, "\\Shared", "parent" + std::to_string(i), -1), i);
    }
    // every numbered RunOnce name was taken exactly once
    EXPECT_EQ(RegValueNames(HKEY_LOCAL_MACHINE, RunOnceKey).size(), static_cast<std::size_t>(2 * perProcess));
    // no temporary file is left beside the hive
    for (const auto& e : fs::directory_iterator(std::getenv("LUMENO_SETUP_STATE")))
        EXPECT_TRUE(e.path().extension() == ".reg" || e.path().extension() == ".lock") << e.path();
}

TEST_F(Registry, TheStateFolderGoesOnceNoValueIsLeftAndOneRunHoldsItsLock) {
    const fs::path state = std::getenv("LUMENO_SETUP_STATE");
    const std::string key = std::string("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumeno");
    WriteRegString(HKEY_LOCAL_MACHINE, key, "DisplayName", "Lumeno");
    WriteRegString(HKEY_CURRENT_USER, "\\Software\\Lumeno", "Last", "x");
    fs::create_directories(SystemDirectory());
    const auto files = [&] {
        std::set<std::string> names;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(state, ec))
            names.insert(e.path().filename().string());
        return names;
    };
    // one run at a time: a second is refused, and the first leaves no lock file behind
    {
        SetupRunLock first, second;
        ASSERT_TRUE(first.TryTake());
        EXPECT_FALSE(second.TryTake());
        first.Release();
        EXPECT_TRUE(second.TryTake());
    }
    EXPECT_FALSE(fs::exists(state / SetupRunLockName));
    struct Step {
        const char* what;
        std::function<void()> change;
        std::set<std::string> left;
    };
    const Step steps[] = {
        {"both in use",
         [] {},
         {"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock", "HKEY_LOCAL_MACHINE.reg",
          "HKEY_LOCAL_MACHINE.reg.lock", "system"}},
        {"the user's value gone",
         [] { DeleteRegKeyTree(HKEY_CURRENT_USER, "\\Software\\Lumeno"); },
         {"HKEY_LOCAL_MACHINE.reg", "HKEY_LOCAL_MACHINE.reg.lock", "system"}},
        {"the last value gone, its keys still there",
         [&] { DeleteRegValue(HKEY_LOCAL_MACHINE, key, "DisplayName"); },
         {}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.change();
        ForgetUnusedRegistry();
        EXPECT_EQ(files(), s.left);
    }
    EXPECT_FALSE(fs::exists(state));
    // and it comes again with the next value
    WriteRegString(HKEY_LOCAL_MACHINE, key, "DisplayName", "Lumeno");
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, "DisplayName", ""), "Lumeno");
}
