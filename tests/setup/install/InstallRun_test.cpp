#include "setup/install/Install.h"
#include "setup/install/UninstallExe.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/Registry.h"
#include "setup/kit/RunLock.h"
#include "setup/uninstall/Uninstaller.h"
#include "tests/setup/install/InstallTestEnv.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace setup;
namespace fs = std::filesystem;

namespace {

const std::string Key = std::string(UninstallKeyBase) + "Lumeno";

// The tree of the setup program in small: a program, a settings file kept on re-install, a table in a
// group with its own folder, and the uninstaller.
class Run : public setuptest::InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        Write("src/Plom", "#!/bin/sh\necho 1\n");
        Write("src/plom.ini", "[Plom]\n");
        Write("src/Global/Partner.db", std::string(300000, 'p'));
        Write("src/uninstall", "#!/bin/sh\n");
        Write("prog/setup", "the setup program");
        EnterTemp();
        install = std::make_unique<TInstall>();
        install->Information.ProductName = "Lumeno";
        install->SetDestDir("\\Lumeno");
        install->ProgramFile = Path("prog/setup");
        File(plom, *install, "Plom", owAlways);
        File(ini, *install, "plom.ini", owNever);
        global = std::make_unique<TInstallFileGroup>("Global", install.get());
        global->SetDestDirType(&FindKind<psMainInstall>());
        global->SetDestDir("\\Global");
        File(partner, *global, "Partner.db", owNever);
        partner.IncludeFromDir = "src/Global";
        File(uninstall, *install, "uninstall", owAlways);
        pages.SetContainer(install.get());
    }
    void TearDown() override {
        pages.SetContainer(nullptr);
        for (TCustomInstallFile* f :
             std::initializer_list<TCustomInstallFile*>{&plom, &ini, &partner, &uninstall})
            f->SetContainer(nullptr);
        global.reset();
        install.reset();
        SetTargetLockedHook(nullptr);
        InstallTest::TearDown();
    }
    void File(TCustomInstallFile& f, TInstallContainer& parent, const std::string& name,
              TOverwriteType mode) {
        f.SetContainer(&parent);
        f.SetArchiveFileType(&FindKind<psContainerArchiveFile>());
        f.IncludeFromDir = "src";
        f.FileName = f.DestName = name;
        f.OverwriteMode = mode;
    }
    // Packs the tree into files.1 beside the setup program, as a build does.
    void Pack() {
        fs::remove(Path("prog/files.1"));
        install->SetArchiveFileType(nullptr);
        install->SetArchiveFile(Path("prog/files.1"));
        install->Compress(coForceNetFilesLocal | coIncludeEverything);
        install->SetArchiveFile("");
        install->SetArchiveFileType(&FindKind<psMainArchiveFile>());
    }
    std::string Target(const std::string& name) { return Path("home/.local/share/Lumeno/" + name); }
    std::vector<std::string> Recorded() {
        std::vector<std::string> files;
        const long long n =
            std::atoll(ReadRegString(HKEY_LOCAL_MACHINE, Key + "\\Files", "Entries", "0").c_str());
        for (long long i = 1; i <= n; ++i)
            files.push_back(
                ReadRegString(HKEY_LOCAL_MACHINE, Key + "\\Files", "File" + std::to_string(i), ""));
        return files;
    }

    std::unique_ptr<TInstall> install;
    std::unique_ptr<TInstallFileGroup> global;
    TInstallFile plom{"Plom"}, ini{"PlomIni"}, partner{"PartnerDb"};
    TUninstallEXE uninstall;
    setuptest::Recorder pages;
};

// A page that is left with a cancel when its code comes (as a window closed from its frame is).
class CancelOn : public TBroadcastReceiver {
public:
    explicit CancelOn(int code) : TBroadcastReceiver("CancelOn"), code_(code) {}
    void Receive(TInstallContainer*, int code, TParameter*) override {
        if (code == code_) throw EAIUserAbort();
    }

private:
    int code_;
};

bool Has(const std::vector<int>& codes, std::initializer_list<int> run) {
    return std::search(codes.begin(), codes.end(), run.begin(), run.end()) != codes.end();
}

} // namespace

TEST_F(Run, InstallsTheTreeReinstallsWithoutLosingDataAndUninstallsWhatItRecorded) {
    Pack();
    ASSERT_EQ(install->Execute({}), 0) << (messages.empty() ? "" : messages[0]);
    EXPECT_TRUE(install->Terminated());
    EXPECT_EQ(Read(Target("Plom")), "#!/bin/sh\necho 1\n");
    EXPECT_EQ(fs::status(Target("Plom")).permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
    EXPECT_EQ(Read(Target("Global/Partner.db")), std::string(300000, 'p'));
    // the pages came in the engine's order, the progress reached the whole
    const std::vector<int>& c = pages.codes;
    EXPECT_TRUE(Has(c, {-984}) && Has(c, {-983}));
    EXPECT_TRUE(Has(c, {-986, -976, -975, -982, -981, -977, -980}));
    EXPECT_TRUE(Has(c, {-995, -979}));
    EXPECT_FALSE(Has(c, {-994}));
    EXPECT_EQ(pages.lastTotalPercent, 100);
    // the records: every installed file once under its real name, the uninstall command quoted
    const std::vector<std::string> first = Recorded();
    EXPECT_EQ(first.size(), 4u);
    EXPECT_NE(std::find(first.begin(), first.end(), Target("Global/Partner.db")), first.end());
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, Key, "DisplayName", ""), "Lumeno");
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, Key, "UninstallString", ""),
              "\"" + Target("uninstall") + "\" Lumeno");
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, SetupRecordsKey)); // a finished run leaves no setup record

    // the workshop works: its table changes; then a newer program is installed over it
    Write("home/.local/share/Lumeno/Global/Partner.db", "the workshop's partners");
    Write("src/Plom", "#!/bin/sh\necho 2\n");
    Pack();
    ASSERT_EQ(install->Execute({}), 0);
    EXPECT_EQ(Read(Target("Plom")), "#!/bin/sh\necho 2\n");
    EXPECT_EQ(Read(Target("Global/Partner.db")), "the workshop's partners");
    EXPECT_EQ(Recorded(), first); // no entry twice

    // uninstalling removes the recorded files the user did not change, and the folders left empty
    Write("home/.local/share/Lumeno/notes.txt", "mine");
    const UninstallReport r = UninstallProduct("Lumeno");
    EXPECT_EQ(r.Removed.size(), 3u);
    EXPECT_EQ(r.Kept, std::vector<std::string>{Target("Global/Partner.db")});
    EXPECT_FALSE(fs::exists(Target("Plom")));
    EXPECT_FALSE(fs::exists(Target("plom.ini")));
    EXPECT_TRUE(fs::exists(Target("notes.txt")));
    EXPECT_TRUE(fs::exists(Target("Global/Partner.db")));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, Key));
    fs::remove(Target("notes.txt"));
    fs::remove(Target("Global/Partner.db"));
    Pack();
    ASSERT_EQ(install->Execute({}), 0);
    EXPECT_EQ(UninstallProduct("Lumeno").Removed.size(), 4u);
    EXPECT_FALSE(fs::exists(Target("")));
}

TEST_F(Run, UninstallTakesATableAwayWholeOrKeepsItWholeAndDropsWhatPointedAtIt) {
    // Partners, articles and kinds of windows, each a table with its memo file.
    Write("src/Global/PARTNER.mb", std::string(4096, 'm'));
    Write("src/Global/Roba.db", std::string(2048, 'r'));
    Write("src/Global/ROBA.mb", std::string(4096, 'n'));
    Write("src/Global/Vrste.db", std::string(2048, 'v'));
    Write("src/Global/Vrste.mb", std::string(4096, 'o'));
    TInstallFile partnerMemo{"PartnerMb"}, roba{"RobaDb"}, robaMemo{"RobaMb"}, vrste{"VrsteDb"},
        vrsteMemo{"VrsteMb"};
    const std::pair<TInstallFile*, const char*> extra[] = {{&partnerMemo, "PARTNER.mb"},
                                                           {&roba, "Roba.db"},
                                                           {&robaMemo, "ROBA.mb"},
                                                           {&vrste, "Vrste.db"},
                                                           {&vrsteMemo, "Vrste.mb"}};
    for (const auto& [file, name] : extra) {
        File(*file, *global, name, owNever);
        file->IncludeFromDir = "src/Global";
    }
    Pack();
    ASSERT_EQ(install->Execute({}), 0) << (messages.empty() ? "" : messages[0]);

    // The program's first start: the engine gives every file of a table the same time and makes its
    // indexes; the archive command leaves its lock. Then the workshop edits an article's note (the memo
    // file alone changes) and adds a kind of window (the table alone changes).
    const auto later = fs::file_time_type::clock::now() + std::chrono::hours(1);
    for (const char* f : {"Partner.db", "PARTNER.mb", "Roba.db", "ROBA.mb", "Vrste.db", "Vrste.mb"})
        fs::last_write_time(Target(std::string("Global/") + f), later);
    for (const char* f : {"Partner.px", "Partner.XG0", "Roba.px", "Vrste.px"})
        Write("home/.local/share/Lumeno/Global/" + std::string(f), "index");
    Write("home/.local/share/Lumeno/.Plom.zip.lock", "");
    Write("home/.local/share/Lumeno/Global/ROBA.mb", std::string(4096, 'N'));
    Write("home/.local/share/Lumeno/Global/Vrste.db", std::string(4096, 'v'));
    // Values of other programs' kinds that name the installation's files and folders.
    const std::string engineKey = "\\Software\\Borland\\Database Engine";
    WriteRegString(HKEY_LOCAL_MACHINE, engineKey, "CONFIGFILE01", Target("plom.ini"));
    WriteRegString(HKEY_LOCAL_MACHINE, engineKey, "DLLPATH", Target("bde") + ";/usr/lib/engine");
    WriteRegString(HKEY_LOCAL_MACHINE, engineKey, "KEPT", Target("Global/Roba.db"));
    WriteRegString(HKEY_CURRENT_USER, engineKey, "LAST", Target("Plom"));

    const UninstallReport r = UninstallProduct("Lumeno");
    for (const char* f : {"Partner.db", "PARTNER.mb", "Partner.px", "Partner.XG0"})
        EXPECT_FALSE(fs::exists(Target(std::string("Global/") + f))) << f;
    for (const char* f : {"Roba.db", "ROBA.mb", "Roba.px", "Vrste.db", "Vrste.mb", "Vrste.px"})
        EXPECT_TRUE(fs::exists(Target(std::string("Global/") + f))) << f;
    EXPECT_EQ(r.KeptTables, (std::vector<std::string>{Target("Global/Roba.db"), Target("Global/Vrste.db")}));
    EXPECT_EQ(r.Kept.size(), 6u);
    EXPECT_FALSE(fs::exists(Target(".Plom.zip.lock")));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, engineKey, "CONFIGFILE01"));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, engineKey, "LAST"));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, engineKey, "DLLPATH", ""), "/usr/lib/engine");
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, engineKey, "KEPT", ""), Target("Global/Roba.db"));
    for (const auto& [file, name] : extra)
        file->SetContainer(nullptr);
}

TEST_F(Run, AFileInUseWaitsForTheResumedRun) {
    Pack();
    ASSERT_EQ(install->Execute({}), 0);
    Write("src/Plom", "#!/bin/sh\necho 2\n");
    Pack();
    SetTargetLockedHook([&](const std::string& target) { return target == Target("Plom"); });
    EXPECT_EQ(install->Execute({"-c"}), 3);
    SetTargetLockedHook(nullptr);
    // the old program still runs; the new one waits beside it; the command to finish was shown
    EXPECT_EQ(Read(Target("Plom")), "#!/bin/sh\necho 1\n");
    EXPECT_EQ(Read(Target("Plom.1")), "#!/bin/sh\necho 2\n");
    EXPECT_TRUE(Has(pages.codes, {-987}));
    const std::string command = ReadRegString(HKEY_LOCAL_MACHINE, RunOnceKey, "DorvaneUnfinished", "");
    EXPECT_EQ(command, "\"" + Path("prog/setup") + "\" -r \"-s" + Path("prog") + "\" -c");
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find(command), std::string::npos);
    const std::string record = install->RecordKey();
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(install->GetUnfinished(), std::vector<std::string>{"Plom;0"});
    EXPECT_EQ(Recorded().size(), 4u); // under the real name, not the waiting one

    // the resumed run puts it in place and removes its command and its record
    EXPECT_EQ(install->Execute({"-r"}), 0);
    EXPECT_EQ(Read(Target("Plom")), "#!/bin/sh\necho 2\n");
    EXPECT_FALSE(fs::exists(Target("Plom.1")));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, RunOnceKey, "DorvaneUnfinished", "gone"), "gone");
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, record));
}

TEST_F(Run, CommandLineSetupRecordsAndRunOnceNames) {
    for (const std::string bad : {"-x", "x", "-", "/b"}) {
        try {
            install->ParseCommandLine({bad});
            ADD_FAILURE() << bad;
        } catch (const IEInstall& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Pogrešan parametar <" + bad + ">", 0), 0u);
        }
    }
    install->ParseCommandLine({"-E/x/setup", "-sfolder", "-c"});
    EXPECT_TRUE(install->Switch('e'));
    EXPECT_EQ(install->SwitchArg('e'), "/x/setup");
    EXPECT_EQ(install->Execute({"-d"}), 1);
    EXPECT_NE(messages.back().find("You forgot to pass in the build directory"), std::string::npos);
    // the same setup file finds its record again; a copy with the same date and size too, with its path
    const std::string key = install->FindSetupRecord(true);
    EXPECT_EQ(key, std::string(SetupRecordsKey) + "\\Install0");
    EXPECT_EQ(install->FindSetupRecord(true), key);
    fs::copy_file(Path("prog/setup"), Path("prog/setup2"));
    fs::last_write_time(Path("prog/setup2"), fs::last_write_time(Path("prog/setup")));
    install->ProgramFile = Path("prog/setup2");
    EXPECT_EQ(install->FindSetupRecord(false), key);
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, key, "Path", ""), Path("prog/setup2"));
    Write("prog/other", "another setup file");
    install->ProgramFile = Path("prog/other");
    EXPECT_EQ(install->FindSetupRecord(false), "");
    EXPECT_EQ(install->FindSetupRecord(true), std::string(SetupRecordsKey) + "\\Install1");
    // RunOnce: a taken name gets a number
    install->ParseCommandLine({});
    WriteRegString(HKEY_LOCAL_MACHINE, RunOnceKey, "DorvaneUnfinished", "someone else's");
    install->RegisterRunOnce();
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, RunOnceKey, "DorvaneUnfinished", ""), "someone else's");
    EXPECT_NE(ReadRegString(HKEY_LOCAL_MACHINE, RunOnceKey, "DorvaneUnfinished1", ""), "");
    install->ParseCommandLine({});
    install->Loaded();
    EXPECT_THROW(install->SetDistributeType(dtWeb), IEInstall); // fixed once loaded
}

TEST_F(Run, AUserAbortShowsTheBadPagesAndDropsTheRecord) {
    Pack();
    partner.OnBeforeInstall = [](TCustomInstallFile&) { throw EAIUserAbort(); };
    EXPECT_EQ(install->Execute({}), 2);
    EXPECT_TRUE(Has(pages.codes, {-994, -978}));
    EXPECT_FALSE(Has(pages.codes, {-995}));
    EXPECT_TRUE(messages.empty()); // quiet
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, SetupRecordsKey));
    // a silent abort skips one file and goes on
    partner.OnBeforeInstall = [](TCustomInstallFile&) { throw base::Abort(); };
    pages.codes.clear();
    EXPECT_EQ(install->Execute({}), 0);
    EXPECT_FALSE(fs::exists(Target("Global/Partner.db")));
    EXPECT_TRUE(fs::exists(Target("plom.ini")));
    EXPECT_EQ(Recorded().size(), 3u);
    // any other error is shown once, as it happens: before the bad pages
    fs::remove(Path("prog/files.1"));
    pages.codes.clear();
    partner.OnBeforeInstall = nullptr;
    Ui().ShowMessage = [this](const std::string& text) {
        messages.push_back(text);
        pages.codes.push_back(0);
    };
    EXPECT_EQ(install->Execute({}), 1);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(Has(pages.codes, {0, -994, -978}));
}

TEST_F(Run, AFailedRunTakesAwayWhatItAddedAndItsTemporaryCopy) {
    Pack();
    // over an earlier installation a cancelled run takes away only what it added
    ASSERT_EQ(install->Execute({}), 0) << (messages.empty() ? "" : messages.back());
    fs::remove(Target("plom.ini"));
    partner.OnBeforeInstall = [](TCustomInstallFile&) { throw EAIUserAbort(); };
    EXPECT_EQ(install->Execute({}), 2);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(fs::exists(Target("plom.ini")));
    EXPECT_TRUE(fs::exists(Target("Plom")));
    EXPECT_TRUE(fs::exists(Target("Global/Partner.db")));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, Key));
    partner.OnBeforeInstall = nullptr;
    UninstallProduct("Lumeno");
    ASSERT_FALSE(fs::exists(Target("")));

    // started by the loader from its temporary folder, the disk fills up once the table is in place
    Write(std::string("prog/") + LoaderMarker, "");
    partner.OnAfterInstall = [](TCustomInstallFile&) {
        throw IECustomInstallFile("Cannot write %s: No space left on device", {"Partner.db"});
    };
    EXPECT_EQ(install->Execute({"-c"}), 1);
    partner.OnAfterInstall = nullptr;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("No space left on device"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find(RolledBackText), std::string::npos) << messages[0];
    EXPECT_FALSE(fs::exists(Target(""))) << "files written before the failure stay";
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, Key));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, SetupRecordsKey));
    EXPECT_FALSE(fs::exists(Path("prog/setup")));
}

TEST_F(Run, CleanupRemovesOnlyTheLoadersOwnFolder) {
    // a loader's folder: the program, a pre-setup file and the marker go, and the folder with them
    Write("loader/setup", "x");
    Write("loader/extra.so", "x");
    Write(std::string("loader/") + LoaderMarker, "");
    install->PresetupFiles = {"somewhere/extra.so"};
    install->ProgramFile = Path("loader/setup");
    install->ParseCommandLine({"-c"});
    install->Cleanup();
    EXPECT_FALSE(fs::exists(Path("loader")));
    // a real folder the setup was started from with -c: only the program goes
    Write("real/setup", "x");
    Write("real/Plom", "x");
    install->ProgramFile = Path("real/setup");
    install->Cleanup();
    EXPECT_FALSE(fs::exists(Path("real/setup")));
    EXPECT_TRUE(fs::exists(Path("real/Plom")));
    // without -c, or with -d, nothing
    Write("real/setup", "x");
    install->ParseCommandLine({"-c", "-d", "-sx"});
    install->Cleanup();
    install->ParseCommandLine({});
    install->Cleanup();
    EXPECT_TRUE(fs::exists(Path("real/setup")));
}

TEST_F(Run, NoPageAfterTheInstallationTakesItAway) {
    Pack();
    struct Case {
        const char* page;
        int code;
        std::vector<std::string> args;
        bool locked;
        int status;
        const char* plom;
    };
    const Case cases[] = {
        {"the success page of a new installation", -979, {}, false, 0, "#!/bin/sh\necho 1\n"},
        {"the page about files in use", -987, {"-c"}, true, 3, "#!/bin/sh\necho 1\n"},
        {"the success page of the resumed run", -979, {"-r"}, false, 0, "#!/bin/sh\necho 2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        if (c.locked) {
            Write("src/Plom", "#!/bin/sh\necho 2\n");
            Pack();
            SetTargetLockedHook([&](const std::string& target) { return target == Target("Plom"); });
        }
        CancelOn cancel(c.code);
        cancel.SetContainer(install.get());
        pages.codes.clear();
        EXPECT_EQ(install->Execute(c.args), c.status) << (messages.empty() ? "" : messages.back());
        cancel.SetContainer(nullptr);
        SetTargetLockedHook(nullptr);
        EXPECT_EQ(Read(Target("Plom")), c.plom);
        EXPECT_TRUE(fs::exists(Target("Global/Partner.db")));
        EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, Key));
        EXPECT_FALSE(Has(pages.codes, {-994}));
    }
    EXPECT_EQ(UninstallProduct("Lumeno").Removed.size(), 4u);
}

TEST_F(Run, WhileOneSetupRunsASecondOneOrTheUninstallerIsRefused) {
    Pack();
    SetupRunLock running;
    ASSERT_TRUE(running.TryTake());
    // the second setup is started by the loader: it writes nothing and leaves no copy of itself behind
    Write(std::string("prog/") + LoaderMarker, "");
    EXPECT_EQ(install->Execute({"-c"}), 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], SetupAlreadyRunningText);
    EXPECT_FALSE(fs::exists(Target("")));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, SetupRecordsKey));
    EXPECT_FALSE(fs::exists(Path("prog/setup")));
    running.Release();
    Write("prog/setup", "the setup program");
    ASSERT_EQ(install->Execute({}), 0) << messages.back();
}

TEST_F(Run, TheUninstallerKnowsWhichOfItsProgramsStillRun) {
    Write("src/Plom", Read("/bin/sleep"));
    Pack();
    ASSERT_EQ(install->Execute({}), 0) << (messages.empty() ? "" : messages.back());
    EXPECT_TRUE(RunningPrograms("Lumeno").empty());
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(Target("Plom").c_str(), "Plom", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // the program is up once its process runs the installed file
    std::vector<std::string> running;
    for (int i = 0; i < 500 && running.empty(); ++i) {
        running = RunningPrograms("Lumeno");
        if (running.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(running, std::vector<std::string>{Target("Plom")});
    EXPECT_TRUE(RunningPrograms("Nothing installed").empty());
}
