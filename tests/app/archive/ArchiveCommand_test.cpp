#include "app/archive/ArchiveCommand.h"

#include "app/archive/ZipVerify.h"
#include "app/data/WBegin.h"
#include "base/Exceptions.h"
#include "base/FileIo.h"
#include "base/Files.h"
#include "engine/Engine.h"
#include "tests/app/archive/ZipTestFiles.h"
#include "tests/support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <zip.h>

namespace {

using namespace app;
using engine::Value;
using testing::ElementsAre;
using testing::Key;
using testing::UnorderedElementsAre;
namespace fs = std::filesystem;

constexpr long long Base = 1'780'000'000;

TEST(ArchiveNames, ComeFromTheProgramFileAndTheDate) {
    EXPECT_EQ(ArchiveNameOf("/opt/plom/plom"), "plom");
    EXPECT_EQ(ArchiveNameOf("/opt/plom/PLOM.EXE"), "PLOM");
    EXPECT_EQ(ArchiveFolderText("/opt/plom/"), "/opt/plom");
    EXPECT_EQ(ArchiveFolderText("/"), "/");
    EXPECT_EQ(DatedCopyName("plom", {2026, 3, 8}), "plom20260308.zip");
    EXPECT_EQ(DatedCopyName("plom", {2026, 12, 31}), "plom20261231.zip");
}

TEST(ArchiveSpecs, ProgramFolderFirstThenEachDatabaseFolder) {
    ArchiveJob job{"/p", "plom", "/d", {2026, 3, 8}, "/p/global/", "/p/lokal", ""};
    EXPECT_THAT(ArchiveFileSpecs(job),
                ElementsAre("/p/*.ini", "/p/*.db", "/p/*.px", "/p/*.val", "/p/*.xg?", "/p/*.yg?",
                            "/p/global/*.db", "/p/global/*.mb", "/p/global/*.dbf", "/p/lokal/*.db",
                            "/p/lokal/*.mb", "/p/lokal/*.dbf"));
    job.LinkFolder = "/veza/";
    const auto specs = ArchiveFileSpecs(job);
    ASSERT_EQ(specs.size(), 15u);
    EXPECT_EQ(specs.back(), "/veza/*.dbf");
}

TEST(ArchiveJobs, TheRunningProgramGivesFolderNameAndFolders) {
    WBegin.GlobalFolder = "/data/global/";
    WBegin.LinkFolder.clear();
    const ArchiveJob job = CurrentArchiveJob("/media/usb");
    EXPECT_EQ(job.ProgramFolder, fs::path(PLOM_BINARY_DIR) / "tests" / "app" / "archive");
    EXPECT_EQ(job.ArchiveName, "app_archive_test");
    EXPECT_EQ(job.Destination, "/media/usb");
    EXPECT_EQ(job.Today, base::Today());
    EXPECT_EQ(job.GlobalFolder, "/data/global/");
    WBegin.GlobalFolder.clear();
}

// A real table of the folder, every file of it dated `seconds`.
void MakeTable(const fs::path& folder, const std::string& name, bool keyed, int rows, long long seconds) {
    fs::create_directories(folder);
    engine::CreateTable(folder, name,
                        {{"Code", engine::FieldType::AutoInc, 0, false},
                         {"Naziv", engine::FieldType::Alpha, 20, false},
                         {"Opis", engine::FieldType::Memo, 4, false}});
    auto t = engine::Table::Open(folder, name, engine::OpenMode::Exclusive);
    if (keyed) t->AddIndex({"", "Code", true, true, false, false});
    auto c = t->OpenCursor();
    for (int i = 0; i < rows; ++i)
        c->Insert({Value(), Value::Text("red " + std::to_string(i)),
                   Value::Text(keyed ? std::string(40, 'o') : "ok")});
    c.reset();
    t.reset();
    const std::string stem = fs::path(name).stem().string();
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().stem() == stem) base::SetFileTime(entry.path(), seconds * 1'000'000'000);
}

// One more row in the table; its .DB gets the time `seconds`, its other files keep theirs.
void AddRow(const fs::path& folder, const std::string& name, long long seconds) {
    std::vector<std::pair<fs::path, std::int64_t>> times;
    const std::string stem = fs::path(name).stem().string();
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().stem() == stem) times.emplace_back(entry.path(), base::FileTime(entry.path()));
    engine::Table::Open(folder, name, engine::OpenMode::Shared)
        ->OpenCursor()
        ->Insert({Value(), Value::Text("dodan"), Value()});
    for (const auto& [path, time] : times)
        if (fs::exists(path)) base::SetFileTime(path, time);
    base::SetFileTime(folder / name, seconds * 1'000'000'000);
}

class ArchiveCommandTest : public testing::Test {
protected:
    void SetUp() override {
        SetZipShowMessage([this](const std::string& text) { plain.push_back(text); });
        const fs::path p = Program();
        for (const auto& [name, bytes] :
             std::vector<std::pair<std::string, std::string>>{{"QK.INI", "[Link]"},
                                                              {"PLOM.INI", "[podaci]"},
                                                              {"ARTIKL.VAL", "checks"},
                                                              {"notes.txt", "not archived"}})
            testsupport::WriteFileAt(p / name, bytes, Base);
        MakeTable(p, "Link.DB", false, 2, Base);
        MakeTable(p / "global", "PARTNER.DB", true, 30, Base);
        MakeTable(p / "lokal", "NALOG.DB", true, 5, Base);
        // The index files of PARTNER: the .PX the key made, and a secondary index's pair.
        engine::Table::Open(p / "global", "PARTNER.DB", engine::OpenMode::Exclusive)
            ->AddIndex({"Naziv", "Naziv", false, false, true, false});
        for (const auto& entry : fs::directory_iterator(p / "global"))
            base::SetFileTime(entry.path(), Base * 1'000'000'000);
        fs::create_directories(folder / "usb");
        hooks.ShowInfo = [this](const std::string& text) { infos.push_back(text); };
        hooks.ShowStatus = [this](const std::string& text) { statuses.push_back(text); };
        hooks.Animate = [this](bool on) { animation.push_back(on); };
        hooks.FlushAllTables = [this] {
            ++flushes;
            AddRow(Program() / "lokal", "NALOG.DB", Base + 10 * flushes);
        };
        job = ArchiveJob{Program(),
                         "plom",
                         folder / "usb",
                         {2026, 3, 8},
                         (Program() / "global/").string(),
                         (Program() / "lokal/").string(),
                         ""};
    }
    void TearDown() override { SetZipShowMessage(nullptr); }

    fs::path Program() const { return folder / "prog"; }
    fs::path Zip() const { return Program() / "plom.zip"; }
    fs::path Copy() const { return folder / "usb" / "plom20260308.zip"; }
    // As the form does: the options follow whether the zip exists when the form is shown.
    bool Run() {
        zip.AddOptions = ArchiveAddOptions(Program(), "plom");
        return RunArchive(zip, job, hooks);
    }

    testsupport::TempFolder folder;
    TZipMaster zip;
    ArchiveJob job;
    ArchiveHooks hooks;
    std::vector<std::string> infos, statuses, plain;
    std::vector<bool> animation;
    int flushes = 0;
};

TEST_F(ArchiveCommandTest, WritesTheZipAndItsDatedCopy) {
    EXPECT_FALSE(ArchiveAddOptions(Program(), "plom").Contains(AddUpdate));
    ASSERT_TRUE(Run());
    EXPECT_THAT(infos, ElementsAre());
    EXPECT_THAT(statuses, ElementsAre(" - početak arhiviranja -", "Arhiviram i kompresiram.....",
                                      "Arhivirano datoteka: 12, + Prijenos!!!"));
    EXPECT_THAT(animation, ElementsAre(true, false));
    const auto entries = testsupport::ZipEntries(Zip());
    EXPECT_THAT(entries, UnorderedElementsAre(
                             Key("QK.INI"), Key("PLOM.INI"), Key("Link.DB"), Key("ARTIKL.VAL"),
                             Key("global/PARTNER.DB"), Key("global/PARTNER.PX"), Key("global/PARTNER.XG0"),
                             Key("global/PARTNER.YG0"), Key("global/PARTNER.MB"), Key("lokal/NALOG.DB"),
                             Key("lokal/NALOG.PX"), Key("lokal/NALOG.MB")));
    EXPECT_EQ(entries.at("lokal/NALOG.DB"), testsupport::ReadFile(Program() / "lokal/NALOG.DB"))
        << "tables are flushed before they are packed";
    EXPECT_EQ(entries.at("global/PARTNER.XG0"), testsupport::ReadFile(Program() / "global/PARTNER.XG0"));
    // Nothing of the run's copies stays in the program folder.
    for (const auto& entry : fs::directory_iterator(Program()))
        EXPECT_EQ(entry.path().filename().string().find(".plom.zip.copies"), std::string::npos);
    EXPECT_EQ(testsupport::ReadFile(Copy()), testsupport::ReadFile(Zip()));
    EXPECT_TRUE(ArchiveAddOptions(Program(), "plom").Contains(AddUpdate));
}

TEST_F(ArchiveCommandTest, ALaterRunUpdatesTheZipAndReplacesTheDaysCopy) {
    ASSERT_TRUE(Run());
    AddRow(Program() / "global", "PARTNER.DB", Base + 100);
    statuses.clear();
    ASSERT_TRUE(Run());
    EXPECT_EQ(statuses.back(),
              "Arhivirano datoteka: 2, + Prijenos!!!"); // PARTNER.DB and the flushed NALOG.DB
    EXPECT_EQ(testsupport::ZipEntries(Copy()).at("global/PARTNER.DB"),
              testsupport::ReadFile(Program() / "global/PARTNER.DB"));
    EXPECT_EQ(testsupport::ReadFile(Copy()), testsupport::ReadFile(Zip()));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "usb"), fs::directory_iterator()), 1);
}

TEST_F(ArchiveCommandTest, AFailedCopyIsNoSuccess) {
    job.Destination = folder / "usb" / "missing";
    EXPECT_FALSE(Run());
    EXPECT_THAT(infos, ElementsAre("Greška kod arhiviranja!!!"));
    EXPECT_THAT(statuses.back(), testing::HasSubstr("plom20260308.zip"));
    for (const auto& s : statuses)
        EXPECT_THAT(s, testing::Not(testing::HasSubstr("Arhivirano datoteka")));
    EXPECT_THAT(animation, ElementsAre(true, false));
    EXPECT_TRUE(fs::is_empty(folder / "usb"));
}

TEST_F(ArchiveCommandTest, AFailedZipRunNeverCopiesTheOldZip) {
    ASSERT_TRUE(Run());
    fs::remove(Copy());
    const std::string before = testsupport::ReadFile(Zip());

    job.LinkFolder = (folder / "unreachable").string();
    EXPECT_FALSE(Run());
    EXPECT_FALSE(fs::exists(Copy()));
    EXPECT_EQ(testsupport::ReadFile(Zip()), before);

    ZipMaster.ZipDllMissing = true;
    job.LinkFolder.clear();
    EXPECT_FALSE(Run());
    ZipMaster.ZipDllMissing = false;
    EXPECT_FALSE(fs::exists(Copy()));
    EXPECT_THAT(infos, ElementsAre("Greška kod arhiviranja!!!", "Greška kod arhiviranja!!!"));
    EXPECT_THAT(plain, ElementsAre("Error - folder not found: " + (folder / "unreachable").string(),
                                   "ZIPDLL.DLL not found"));
}

// A table that does not read back whole from its copy is not packed: the run fails, naming it, and the zip
// stays as it was.
TEST_F(ArchiveCommandTest, ADamagedTableStopsTheRun) {
    ASSERT_TRUE(Run());
    const std::string before = testsupport::ReadFile(Zip());
    std::string db = testsupport::ReadFile(Program() / "global/PARTNER.DB");
    testsupport::WriteFileAt(Program() / "global/PARTNER.DB", db.substr(0, 2048), Base + 200);
    infos.clear();
    EXPECT_FALSE(Run());
    EXPECT_THAT(infos, ElementsAre("Greška kod arhiviranja!!!"));
    EXPECT_EQ(statuses.back(), "Tablica " + (Program() / "global/PARTNER.DB").string() +
                                   " nije arhivirana: Datoteka PARTNER.DB je oštećena");
    EXPECT_EQ(testsupport::ReadFile(Zip()), before);
}

TEST_F(ArchiveCommandTest, ADamagedZipIsReportedAndKept) {
    const std::string damaged =
        testsupport::LocalEntry("A.DB", "a") + testsupport::LocalEntry("B.DB", "bbbbbbbb");
    testsupport::WriteFileAt(Zip(), damaged.substr(0, damaged.size() - 4) + std::string(22, 'x'), Base);
    EXPECT_FALSE(Run());
    EXPECT_THAT(infos, ElementsAre("Greška kod arhiviranja!!!"));
    // The status names the file that blocks the archive.
    EXPECT_THAT(statuses.back(), testing::HasSubstr("Error 3 reading Zip file"));
    EXPECT_THAT(statuses.back(), testing::HasSubstr("Arhiva " + Zip().string() + " je oštećena"));
    EXPECT_FALSE(fs::exists(Copy()));
    EXPECT_EQ(testsupport::ReadFile(Zip()), damaged.substr(0, damaged.size() - 4) + std::string(22, 'x'));
}

TEST_F(ArchiveCommandTest, ASecondCommandDuringARunIsRefused) {
    bool nested = true;
    zip.OnProgress = [&](TZipMaster& z, ProgrType type, const std::string&, std::int64_t) {
        if (type == NewFile && nested) nested = RunArchive(z, job, hooks);
    };
    ASSERT_TRUE(Run());
    EXPECT_FALSE(nested);
    EXPECT_THAT(infos, ElementsAre("Proces arhiviranja je u tijeku...."));
}

TEST_F(ArchiveCommandTest, WhatAKilledRunLeftIsRemovedUnlessARunIsGoing) {
    const std::vector<std::string> stale = {"plom.zip.Ab12Cd", "plom.zip.zzzzzz"};
    const std::vector<std::string> kept = {"plom.zip",         "plom.zip.old",   "plom.zip.Ab12C",
                                           "notes.zip.Ab12Cd", "plom.zipAb12Cd", "plom.zip.Ab-2Cd"};
    const std::vector<std::string> staleCopies = {".plom20260308.zip.x1y2z3.tmp"};
    const std::vector<std::string> keptCopies = {"plom20260308.zip", ".plom2026038.zip.x.tmp",
                                                 ".other20260308.zip.x.tmp"};
    auto lay = [&] {
        for (const auto& name : stale)
            folder.Write("prog/" + name, "part");
        for (const auto& name : kept)
            folder.Write("prog/" + name, "keep");
        for (const auto& name : staleCopies)
            folder.Write("usb/" + name, "part");
        for (const auto& name : keptCopies)
            folder.Write("usb/" + name, "keep");
    };
    lay();
    {
        // Another process of the folder is archiving: nothing of it is touched.
        const base::FileHandle lock = base::FileHandle::Open(Program() / ".plom.zip.lock", O_RDWR | O_CREAT);
        ASSERT_EQ(::flock(lock.Get(), LOCK_SH), 0);
        RemoveStaleArchiveFiles(Program(), "plom", folder / "usb");
        for (const auto& name : stale)
            EXPECT_TRUE(fs::exists(Program() / name)) << name;
    }
    RemoveStaleArchiveFiles(Program(), "plom", folder / "usb");
    for (const auto& name : stale)
        EXPECT_FALSE(fs::exists(Program() / name)) << name;
    for (const auto& name : kept)
        EXPECT_TRUE(fs::exists(Program() / name)) << name;
    for (const auto& name : staleCopies)
        EXPECT_FALSE(fs::exists(folder / "usb" / name)) << name;
    for (const auto& name : keptCopies)
        EXPECT_TRUE(fs::exists(folder / "usb" / name)) << name;
}

TEST(ZipErrorTexts, AreCroatianWithTheSystemReason) {
    EXPECT_EQ(ZipErrorText(ZIP_ER_NOZIP, 0), "nije zip arhiva");
    EXPECT_EQ(ZipErrorText(ZIP_ER_READ, ENOENT), "greška čitanja: datoteka ili mapa ne postoji");
    EXPECT_EQ(ZipErrorText(ZIP_ER_TMPOPEN, ENOSPC), "privremena datoteka se ne može napraviti: disk je pun");
    EXPECT_EQ(ZipErrorText(9999, 0), "greška zip biblioteke 9999");
    testsupport::TempFolder folder;
    folder.Write("plom.zip", std::string(100, 'x'));
    EXPECT_EQ(ZipOpenProblem((folder / "plom.zip").string()), "nije zip arhiva");
    EXPECT_EQ(ZipOpenProblem((folder / "missing.zip").string()), "datoteka ne postoji");
    try {
        VerifyZipFile((folder / "plom.zip").string());
        ADD_FAILURE() << "a file of x's passed as an archive";
    } catch (const base::Exception& e) {
        EXPECT_EQ(e.Message(),
                  "Arhiva " + (folder / "plom.zip").string() + " nije ispravna: nije zip arhiva");
    }
}

} // namespace
