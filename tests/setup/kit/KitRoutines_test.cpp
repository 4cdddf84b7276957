#include "setup/kit/DrvnCompress.h"
#include "setup/kit/DrvnStream.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "tests/setup/kit/KitTestEnv.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace setup;
namespace fs = std::filesystem;

TEST(KitRoutines, FieldsCountAndSplitOnTheGivenSeparator) {
    EXPECT_EQ(FieldCount("a;b;", ';'), 2);
    EXPECT_EQ(FieldCount("a;b", ';'), 2);
    EXPECT_EQ(FieldCount("", ';'), 0);
    EXPECT_EQ(FieldCount("a,b,", ','), 2); // the given separator, not ";"
    EXPECT_EQ(FieldCount(";", ';'), 1);
    EXPECT_EQ(Field("/opt/x;1;ab", 1, ';'), "/opt/x");
    EXPECT_EQ(Field("/opt/x;1;ab", 3, ';'), "ab");
    EXPECT_EQ(Field("a;;c", 2, ';'), "");
    EXPECT_EQ(Field("a;b", 5, ';'), "");
    EXPECT_EQ(SplitList("a;b;;d;", ';'), (std::vector<std::string>{"a", "b", "", "d"}));
    EXPECT_TRUE(SplitList("", ';').empty());
    EXPECT_EQ(AfterColon("Files:Global"), "Global");
    EXPECT_EQ(AfterColon("a:b:c"), "b:c");
}

TEST(KitRoutines, PathsUseTheSlash) {
    EXPECT_EQ(AddBackslash(""), "");
    EXPECT_EQ(AddBackslash("/opt"), "/opt/");
    EXPECT_EQ(AddBackslash("/opt/"), "/opt/");
    EXPECT_EQ(RemoveBackslash("/opt/"), "/opt");
    EXPECT_EQ(RemoveBackslash("/"), "/");
    EXPECT_EQ(NamePart("..\\..\\x"), "x");
    EXPECT_EQ(NamePart("c:x.txt"), "x.txt");
    EXPECT_EQ(NamePart("a/b/"), "");
    EXPECT_EQ(FolderPart("/opt/Lumeno/plom.ini"), "/opt/Lumeno");
    EXPECT_EQ(NormalizeSeparators("\\Lumeno\\Global"), "/Lumeno/Global");
    EXPECT_EQ(SafeFileName("HTTP://example.org/help"), "HTTP--example.org-help");
    EXPECT_EQ(SafeFileName("a\"*:;<>?\\|b ć"), "ab ć");
    EXPECT_EQ(ShortPathName("/a b/c"), "/a b/c");
    EXPECT_EQ(WindowsVersionCode(), 2);
}

TEST(KitRoutines, ByteLimitsNeverCutACharacter) {
    EXPECT_EQ(CutBytes("Pomoć", 5), "Pomo");
    EXPECT_EQ(CutBytes("Pomoć", 6), "Pomoć");
    EXPECT_EQ(CutBytes("čć", 3), "č");
    EXPECT_EQ(CutBytes("abc", 0), "");
}

TEST(KitRoutines, MessagesFillTheirArgumentsInOrder) {
    EXPECT_EQ(FormatText("Pokušavam uzeti %d datoteku. %s", {7, "x"}), "Pokušavam uzeti 7 datoteku. x");
    EXPECT_EQ(FormatText("100%% %s %d", {"a"}), "100% a %d");
    EXPECT_EQ(FormatText("%x %", {}), "%x %");
}

TEST(KitRoutines, ExceptionFamiliesMirrorTheKit) {
    EXPECT_THROW(throw EdcAborted(), EDrvnCompress);
    EXPECT_THROW(throw EdcDiskFull(), EDorvaneAbnormal);
    EXPECT_THROW(throw EAPIRoutines("x"), ECustomDorvaneAbnormal);
    EXPECT_THROW(throw IEfcDuplicateFile("x"), IException);
    EXPECT_THROW(throw IEbdeFileDoesNotExist("x"), IEInstallBDE);
    EXPECT_THROW(throw EAIUserAbort(), EAI);
    EXPECT_THROW(throw pm::EAIPMCannotOpen("x"), pm::EAI);
    EXPECT_THROW(throw IException("x"), base::Exception);
    try {
        throw pm::EAIPMError("x");
    } catch (const EAI&) {
        FAIL() << "the Program Manager's EAI is a class of its own";
    } catch (const pm::EAI&) {
    }
    EXPECT_STREQ(EdcAborted().what(), "Operacija je opozvana od strane korisnika");
    EXPECT_STREQ(EAIUserAbort().what(), "Installation aborted by the user");
}

using TempFiles = setuptest::KitTest;

TEST_F(TempFiles, LiveInAPrivateFolderAndAreUnique) {
    const std::string a = TempFileName(true), b = TempFileName(true), c = TempFileName(false);
    EXPECT_NE(a, b);
    EXPECT_TRUE(fs::exists(a));
    EXPECT_FALSE(fs::exists(c));
    EXPECT_EQ(fs::path(a).filename().string().substr(0, 3), "bat");
    EXPECT_EQ(fs::path(a).parent_path(), fs::path(c).parent_path());
    struct stat st {};
    ::stat(fs::path(a).parent_path().c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    fs::remove(a);
    fs::remove(b);
}

TEST_F(TempFiles, StateFolderFollowsTheVariableThenXdg) {
    EXPECT_EQ(StateFolder(), Path("state"));
    EXPECT_EQ(SystemDirectory(), Path("state") + "/system");
    Unset(StateFolderVariable);
    Set("XDG_STATE_HOME", Path("xdg"));
    EXPECT_EQ(StateFolder(),
              ::geteuid() == 0 ? fs::path("/var/lib/lumeno-setup") : fs::path(Path("xdg/lumeno-setup")));
}

TEST_F(TempFiles, HandleStreamReadsWritesSeeksAndSizes) {
    const std::string name = Path("stream");
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    {
        TDrvnNormalHandleStream s(fd);
        EXPECT_EQ(s.Write("hello world", 11), 11u);
        EXPECT_EQ(s.Seek(6, TDrvnStream::FromBeginning), 6);
        EXPECT_EQ(s.GetSize(), 11);
        EXPECT_EQ(s.Seek(0, TDrvnStream::FromCurrent), 6); // GetSize puts the position back
        char buf[16] = {};
        EXPECT_EQ(s.Read(buf, sizeof buf), 5u);
        EXPECT_STREQ(buf, "world");
        s.SetSize(5);
        EXPECT_EQ(s.GetSize(), 5);
        EXPECT_EQ(s.Seek(0, TDrvnStream::FromCurrent), 5);
        EXPECT_THROW(s.SetSize(-1), EDrvnCompress);
    }
    EXPECT_EQ(::close(fd), 0); // the stream did not own it
    TDrvnNormalHandleStream closed(fd);
    char c;
    EXPECT_EQ(closed.Read(&c, 1), 0u);
    EXPECT_EQ(closed.Write("x", 1), 0u);
}

TEST(KitRoutines, MessagePumpIsNotReentered) {
    int depth = 0, calls = 0;
    SetProcessMessagesHook([&] {
        ++calls;
        ++depth;
        EXPECT_EQ(depth, 1);
        ProcessMessages(); // a nested pump from inside is skipped
        --depth;
    });
    ProcessMessages();
    ProcessMessages();
    EXPECT_EQ(calls, 2);
    SetProcessMessagesHook([] { throw base::Abort(); });
    EXPECT_THROW(ProcessMessages(), base::Abort);
    SetProcessMessagesHook([&] { ++calls; });
    ProcessMessages(); // the guard was released by the exception
    EXPECT_EQ(calls, 3);
    SetProcessMessagesHook(nullptr);
}
