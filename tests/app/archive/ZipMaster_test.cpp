#include "app/archive/ZipMaster.h"

#include "base/Files.h"
#include "tests/app/archive/ZipTestFiles.h"
#include "tests/support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace {

using namespace app;
using testing::ElementsAre;
using testing::Pair;
using testing::UnorderedElementsAre;
namespace fs = std::filesystem;

constexpr long long Base = 1'780'000'000; // a fixed moment in 2026

class ZipMasterTest : public testing::Test {
protected:
    void SetUp() override {
        SetZipShowMessage([this](const std::string& text) { messages.push_back(text); });
        ZipMaster.ZipDllMissing = false;
        const auto& p = folder.Path();
        testsupport::WriteFileAt(p / "QK.INI", "[Link]\nDir=\n", Base);
        testsupport::WriteFileAt(p / "Link.DB", "link rows", Base);
        testsupport::WriteFileAt(p / "global" / "PARTNER.DB", "partners", Base);
        testsupport::WriteFileAt(p / "global" / "PARTNER.XG0", "partner index", Base);
        testsupport::WriteFileAt(p / "lokal" / "Nalog.db", "orders", Base);
        testsupport::WriteFileAt(p / "lokal" / ".hidden.db", "hidden", Base);
        testsupport::WriteFileAt(p / "notes.txt", "not archived", Base);
        zip.AddOptions = {AddDirNames, AddRecurseDirs};
    }
    void TearDown() override {
        SetZipShowMessage(nullptr);
        ZipMaster.ZipDllMissing = false;
    }
    std::string InFolder(const std::string& mask) const { return (folder.Path() / mask).string(); }
    fs::path ZipPath() const { return folder / "plom.zip"; }
    void Add(std::vector<std::string> specs) {
        zip.SetZipFilename(ZipPath().string());
        zip.FSpecArgs = std::move(specs);
        zip.AddFiles();
    }
    std::vector<std::string> ContentNames() const {
        std::vector<std::string> names;
        for (const auto& e : zip.ZipContents())
            names.push_back(e.FileName);
        return names;
    }

    testsupport::TempFolder folder;
    TZipMaster zip;
    std::vector<std::string> messages;
};

TEST_F(ZipMasterTest, StoresSelectedFilesRelativeToTheArchiveFolderOnce) {
    Add({InFolder("*.ini"), InFolder("*.db"), InFolder("*.xg?"), InFolder("global/*.db")});
    EXPECT_THAT(messages, ElementsAre());
    EXPECT_EQ(zip.LastError(), "");
    EXPECT_THAT(testsupport::ZipEntries(ZipPath()),
                UnorderedElementsAre(Pair("QK.INI", "[Link]\nDir=\n"), Pair("Link.DB", "link rows"),
                                     Pair("global/PARTNER.DB", "partners"),
                                     Pair("global/PARTNER.XG0", "partner index"),
                                     Pair("lokal/Nalog.db", "orders")));
    EXPECT_EQ(zip.SuccessCount(), 5);
    EXPECT_THAT(ContentNames(), UnorderedElementsAre("QK.INI", "Link.DB", "global/PARTNER.DB",
                                                     "global/PARTNER.XG0", "lokal/Nalog.db"));
    EXPECT_TRUE(zip.FSpecArgs.empty());
    EXPECT_FALSE(zip.Busy());
}

TEST_F(ZipMasterTest, SelectionOptions) {
    zip.AddOptions = {AddDirNames};
    Add({InFolder("*.DB")});
    EXPECT_THAT(testsupport::ZipEntries(ZipPath()), ElementsAre(Pair("Link.DB", "link rows")));

    fs::remove(ZipPath());
    zip.AddOptions = {AddRecurseDirs, AddHiddenFiles};
    Add({InFolder("*.db")});
    EXPECT_THAT(testsupport::ZipEntries(ZipPath()),
                UnorderedElementsAre(Pair("Link.DB", "link rows"), Pair("PARTNER.DB", "partners"),
                                     Pair("Nalog.db", "orders"), Pair(".hidden.db", "hidden")));

    fs::remove(ZipPath());
    testsupport::WriteFileAt(folder / "global" / "Link.DB", "another link table", Base);
    Add({InFolder("*.db")});
    EXPECT_THAT(messages, ElementsAre("Error - two files would be stored as Link.DB"));
    EXPECT_FALSE(fs::exists(ZipPath()));

    zip.AddOptions = {AddDirNames, AddForceDOS};
    testsupport::WriteFileAt(folder / "Dugacko ime.postavke", "long", Base);
    Add({InFolder("*.postavke")});
    EXPECT_THAT(testsupport::ZipEntries(ZipPath()), ElementsAre(Pair("DUGACKO .POS", "long")));
}

TEST_F(ZipMasterTest, FilesOutsideTheArchiveFolderKeepTheirFullPath) {
    testsupport::TempFolder other;
    testsupport::WriteFileAt(other / "VEZA.DB", "link table", Base);
    Add({(other.Path() / "*.db").string()});
    const std::string name = (other.Path() / "VEZA.DB").relative_path().generic_string();
    EXPECT_THAT(testsupport::ZipEntries(ZipPath()), ElementsAre(Pair(name, "link table")));
}

TEST_F(ZipMasterTest, UpdateReplacesOnlyEntriesOlderThanTheirFile) {
    Add({InFolder("*.db")});
    ASSERT_EQ(zip.SuccessCount(), 3);
    testsupport::WriteFileAt(folder / "global" / "PARTNER.DB", "partners, changed", Base + 60);
    testsupport::WriteFileAt(folder / "lokal" / "Nalog.db", "orders, older file", Base - 60);
    testsupport::WriteFileAt(folder / "lokal" / "Novi.db", "new table", Base);
    zip.AddOptions = {AddDirNames, AddRecurseDirs, AddUpdate};
    Add({InFolder("*.db")});
    EXPECT_EQ(zip.SuccessCount(), 2);
    EXPECT_THAT(testsupport::ZipEntries(ZipPath()),
                UnorderedElementsAre(Pair("Link.DB", "link rows"),
                                     Pair("global/PARTNER.DB", "partners, changed"),
                                     Pair("lokal/Nalog.db", "orders"), Pair("lokal/Novi.db", "new table")));

    // An up-to-date archive is a complete run with nothing to add.
    Add({InFolder("*.db")});
    EXPECT_EQ(zip.SuccessCount(), 0);
    EXPECT_EQ(zip.LastError(), "");
    EXPECT_EQ(zip.ZipContents().size(), 4u) << "listed when the archive was named";
}

TEST_F(ZipMasterTest, WithoutUpdateEveryFileIsReplacedAndFreshenAddsNothingNew) {
    Add({InFolder("*.db")});
    zip.AddOptions = {AddDirNames, AddRecurseDirs};
    Add({InFolder("*.db")});
    EXPECT_EQ(zip.SuccessCount(), 3);

    testsupport::WriteFileAt(folder / "Link.DB", "link rows 2", Base + 60);
    testsupport::WriteFileAt(folder / "lokal" / "Novi.db", "new table", Base + 60);
    zip.AddOptions = {AddDirNames, AddRecurseDirs, AddFreshen};
    Add({InFolder("*.db")});
    EXPECT_EQ(zip.SuccessCount(), 1);
    const auto entries = testsupport::ZipEntries(ZipPath());
    EXPECT_EQ(entries.at("Link.DB"), "link rows 2");
    EXPECT_EQ(entries.count("lokal/Novi.db"), 0u);
}

TEST_F(ZipMasterTest, ZipTimeGivesTheArchiveItsNewestEntrysTime) {
    testsupport::WriteFileAt(folder / "lokal" / "Nalog.db", "orders", Base + 3600);
    zip.AddOptions = {AddDirNames, AddRecurseDirs, AddZipTime};
    Add({InFolder("*.db")});
    EXPECT_EQ(base::FileTime(ZipPath()), (Base + 3600) * 1'000'000'000LL);
}

TEST_F(ZipMasterTest, MoveDeletesFilesOnlyOnceTheyAreInTheArchive) {
    zip.AddOptions = {AddDirNames, AddMove};
    Add({InFolder("*.db")});
    EXPECT_FALSE(fs::exists(folder / "Link.DB"));
    EXPECT_THAT(testsupport::ZipEntries(ZipPath()), ElementsAre(Pair("Link.DB", "link rows")));

    testsupport::WriteFileAt(folder / "QK.INI", "settings", Base);
    Add({InFolder("*.ini"), InFolder("missing/*.db")});
    EXPECT_TRUE(fs::exists(folder / "QK.INI")) << "a failed run keeps its files";
}

TEST_F(ZipMasterTest, EncryptedEntriesNeedThePassword) {
    zip.AddOptions = {AddDirNames, AddEncrypt};
    zip.Password = std::string(100, 'k'); // no buffer limit
    Add({InFolder("*.ini")});
    EXPECT_EQ(zip.LastError(), "");
    EXPECT_THROW(testsupport::ZipEntries(ZipPath()), std::runtime_error);
    EXPECT_THAT(testsupport::ZipEntries(ZipPath(), zip.Password),
                ElementsAre(Pair("QK.INI", "[Link]\nDir=\n")));

    fs::remove(ZipPath());
    zip.Password.clear();
    Add({InFolder("*.ini")});
    EXPECT_FALSE(fs::exists(ZipPath()));
    EXPECT_EQ(zip.LastError(), "Error - no password for encryption");
}

TEST_F(ZipMasterTest, RefusedRunsSayWhyAndLeaveTheArchiveAlone) {
    zip.FSpecArgs.clear();
    zip.SetZipFilename(ZipPath().string());
    zip.AddFiles();
    zip.SetZipFilename("");
    zip.FSpecArgs = {InFolder("*.db")};
    zip.AddFiles();
    EXPECT_THAT(messages, ElementsAre("Error - no files to zip", "Error - no zip file specified"));
    EXPECT_EQ(zip.LastError(), "Error - no zip file specified");

    messages.clear();
    Add({InFolder("*.db"), InFolder("nowhere/*.db")});
    EXPECT_THAT(messages, ElementsAre("Error - folder not found: " + (folder.Path() / "nowhere").string()));
    EXPECT_FALSE(fs::exists(ZipPath()));
    EXPECT_EQ(zip.SuccessCount(), 0);
}

TEST_F(ZipMasterTest, UnwritableTargetAndDamagedArchiveFail) {
    folder.Write("blocker", "a file where a folder should be");
    zip.SetZipFilename((folder / "blocker" / "plom.zip").string());
    zip.FSpecArgs = {InFolder("*.db")};
    zip.AddFiles();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], testing::StartsWith("Error - can't "));
    EXPECT_THAT(messages[0], testing::HasSubstr("zip file"));
    EXPECT_EQ(zip.SuccessCount(), 0);

    messages.clear();
    const std::string damaged = "no archive here, just text";
    folder.Write("plom.zip", damaged);
    Add({InFolder("*.db")});
    EXPECT_THAT(messages, ElementsAre("No valid zip entries found", testing::HasSubstr("Not a zip archive")));
    EXPECT_NE(zip.LastError(), "");
    EXPECT_EQ(folder.Read("plom.zip"), damaged);
}

TEST_F(ZipMasterTest, MissingLibraryStopsTheRun) {
    ZipMaster.ZipDllMissing = true;
    Add({InFolder("*.db")});
    EXPECT_THAT(messages, ElementsAre("ZIPDLL.DLL not found"));
    EXPECT_EQ(zip.LastError(), "ZIPDLL.DLL not found");
    EXPECT_FALSE(fs::exists(ZipPath()));
    EXPECT_FALSE(zip.Busy());
    EXPECT_FALSE(TZipMaster::ZipDllLoaded());

    ZipMaster.ZipDllMissing = false;
    messages.clear();
    zip.Trace = true;
    zip.LoadZipDll();
    EXPECT_TRUE(TZipMaster::ZipDllLoaded());
    Add({InFolder("*.ini")});
    EXPECT_TRUE(TZipMaster::ZipDllLoaded()) << "loaded before the run, so the run leaves it loaded";
    zip.UnloadZipDll();
    EXPECT_FALSE(TZipMaster::ZipDllLoaded());
    EXPECT_THAT(messages, ElementsAre("ZIP DLL Loaded"));
}

TEST_F(ZipMasterTest, EventsReportEachFileAndTheEndOfTheBatch) {
    std::vector<std::pair<ProgrType, std::string>> progress;
    std::vector<std::pair<int, std::string>> notes;
    bool busyDuringRun = false;
    zip.OnProgress = [&](TZipMaster& z, ProgrType type, const std::string& name, std::int64_t size) {
        busyDuringRun = z.Busy();
        if (type != ProgressUpdate) progress.emplace_back(type, name + ":" + std::to_string(size));
    };
    zip.OnMessage = [&](TZipMaster&, int code, const std::string& text) { notes.emplace_back(code, text); };
    zip.Verbose = true;
    Add({InFolder("*.db")});
    EXPECT_TRUE(busyDuringRun);
    EXPECT_THAT(progress, ElementsAre(Pair(NewFile, "Link.DB:9"), Pair(NewFile, "global/PARTNER.DB:8"),
                                      Pair(NewFile, "lokal/Nalog.db:6"), Pair(EndOfBatch, " :0")));
    EXPECT_THAT(notes, ElementsAre(Pair(0, "  adding: Link.DB"), Pair(0, "  adding: global/PARTNER.DB"),
                                   Pair(0, "  adding: lokal/Nalog.db")));
}

TEST_F(ZipMasterTest, CancelKeepsThePreviousArchiveAndASecondRunWaits) {
    Add({InFolder("*.ini")});
    const std::string before = folder.Read("plom.zip");
    int nestedCount = -1;
    zip.OnProgress = [&](TZipMaster& z, ProgrType type, const std::string&, std::int64_t) {
        if (type != NewFile) return;
        z.FSpecArgs = {InFolder("*.db")};
        z.AddFiles(); // refused silently while busy
        nestedCount = int(z.ZipContents().size());
        z.SetCancel(true);
    };
    zip.AddOptions = {AddDirNames, AddRecurseDirs};
    zip.FSpecArgs = {InFolder("*.db")};
    zip.AddFiles();
    EXPECT_EQ(nestedCount, 1);
    EXPECT_EQ(zip.LastError(), "Error - archiving cancelled");
    EXPECT_EQ(folder.Read("plom.zip"), before);
    EXPECT_FALSE(zip.Cancel());
    EXPECT_FALSE(zip.Busy());
}

TEST_F(ZipMasterTest, CancelOrFailureWhileWritingLeavesNoArchive) {
    zip.OnProgress = [&](TZipMaster& z, ProgrType type, const std::string&, std::int64_t) {
        if (type == ProgressUpdate) z.SetCancel(true);
    };
    Add({InFolder("*.db")});
    EXPECT_EQ(zip.LastError(), "Error - archiving cancelled");
    EXPECT_FALSE(fs::exists(ZipPath()));

    zip.OnProgress = [&](TZipMaster&, ProgrType type, const std::string&, std::int64_t) {
        if (type == ProgressUpdate) throw base::Exception("Prekinuto");
    };
    Add({InFolder("*.db")});
    EXPECT_EQ(zip.LastError(), "Prekinuto");
    EXPECT_FALSE(fs::exists(ZipPath()));
    for (const auto& entry : fs::directory_iterator(folder.Path()))
        EXPECT_THAT(entry.path().filename().string(), testing::Not(testing::StartsWith("plom.zip")));
}

TEST(ZipMasterProperties, DefaultsAndSetters) {
    TZipMaster zip;
    EXPECT_EQ(zip.AddCompLevel, 9);
    EXPECT_FALSE(zip.Verbose || zip.Trace);
    EXPECT_EQ(zip.AddOptions, AddOpts{});
    EXPECT_EQ(zip.SFXOverWriteMode, OvrConfirm);
    EXPECT_EQ(zip.SFXCaption, "Self-extracting Archive");
    EXPECT_EQ(zip.Password, "");
    zip.SetDLLDirectory("C:\\ZIP\\");
    EXPECT_EQ(zip.DLLDirectory(), "C:\\ZIP");
    zip.SetDLLDirectory("/opt/zip/");
    EXPECT_EQ(zip.DLLDirectory(), "/opt/zip");
    zip.SetDLLDirectory("/");
    EXPECT_EQ(zip.DLLDirectory(), "/");
    AddOpts options{AddDirNames, AddUpdate};
    EXPECT_TRUE(options.Contains(AddUpdate));
    options.Exclude(AddUpdate);
    EXPECT_EQ(options, AddOpts{AddDirNames});
}

} // namespace
