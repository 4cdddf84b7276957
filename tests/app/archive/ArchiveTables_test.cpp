// The archive of tables that other stations write while it runs: every table in the zip is a whole copy
// that opens and reads every row its header counts, or the run reports failure.
#include "app/archive/ArchiveCommand.h"

#include "engine/Engine.h"
#include "tests/app/archive/ZipTestFiles.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using namespace app;
using engine::Value;
namespace fs = std::filesystem;

constexpr int CuttingItems = 1300;

void MakeCuttingList(const fs::path& folder) {
    engine::CreateTable(folder, "RNOPTIMA.DB",
                        {{"Nalog", engine::FieldType::Long, 0, false},
                         {"Stavka", engine::FieldType::Long, 0, false},
                         {"Profil", engine::FieldType::Alpha, 40, false},
                         {"Napomena", engine::FieldType::Memo, 10, false}});
    auto t = engine::Table::Open(folder, "RNOPTIMA.DB", engine::OpenMode::Exclusive);
    t->AddIndex({"", "Nalog;Stavka", true, true, false, false});
    t->AddIndex({"Profil", "Profil", false, false, true, false});
}

std::vector<engine::Row> CuttingList(int order, int items) {
    std::vector<engine::Row> rows;
    for (int i = 1; i <= items; ++i)
        rows.push_back({Value::Int(order), Value::Int(i), Value::Text("profil " + std::to_string(i * 7 % 97)),
                        Value::Text(i % 10 == 0 ? std::string(300, 'n') : "kratko")});
    return rows;
}

// Station B: writes work orders' cutting lists into the folder (one large write each) until its stdin closes.
PLOM_CHILD_ROLE(CuttingListWriter) {
    const fs::path folder = args.at(0);
    auto t = engine::Table::Open(folder, "RNOPTIMA.DB", engine::OpenMode::Shared);
    char go = 0;
    if (::read(STDIN_FILENO, &go, 1) != 1) return 1;
    if (::write(STDOUT_FILENO, "K", 1) != 1) return 1;
    for (int order = 1;; ++order) {
        // Each order's list replaces the one before it, and every other one is twice as long.
        t->ReplaceRows({}, {}, CuttingList(order, order % 2 == 0 ? 2 * CuttingItems : CuttingItems));
        if (::access((folder / "stop").c_str(), F_OK) == 0) return 0;
    }
}

// The tables of one folder as the zip holds them, written out and opened: each must read whole.
void ExpectWholeTables(const std::map<std::string, std::string>& entries, const std::string& folderName) {
    testsupport::TempFolder out;
    for (const auto& [name, bytes] : entries)
        if (name.rfind(folderName + "/", 0) == 0) out.Write(name.substr(folderName.size() + 1), bytes);
    auto t = engine::Table::Open(out.Path(), "RNOPTIMA.DB", engine::OpenMode::Shared);
    auto c = t->OpenCursor();
    std::int64_t rows = 0;
    for (c->First(); c->OnRow(); c->Next(), ++rows)
        ASSERT_EQ(c->Read()[1].AsInt(), rows + 1);
    EXPECT_EQ(rows, t->RecordCount());
    EXPECT_TRUE(rows == CuttingItems || rows == 2 * CuttingItems) << rows;
    c->SetIndex(c->FindIndexByName("Profil"));
    std::int64_t byProfile = 0;
    for (c->First(); c->OnRow(); c->Next())
        ++byProfile;
    EXPECT_EQ(byProfile, rows);
}

TEST(ArchiveDuringWrites, EveryArchivedTableIsWholeOrTheRunFails) {
    testsupport::TempFolder folder;
    const fs::path program = folder / "prog";
    fs::create_directories(program / "global");
    fs::create_directories(folder / "usb");
    testsupport::WriteFileAt(program / "PLOM.INI", "[podaci]", 1'780'000'000);
    MakeCuttingList(program / "global");
    engine::Table::Open(program / "global", "RNOPTIMA.DB", engine::OpenMode::Shared)
        ->ReplaceRows({}, {}, CuttingList(0, CuttingItems));

    auto writer = testsupport::ChildProcess::Role("CuttingListWriter", {(program / "global").string()});
    ASSERT_TRUE(writer->Write("g"));
    ASSERT_EQ(writer->Read(1).value_or("?"), "K");
    int succeeded = 0;
    for (int run = 0; run < 4; ++run) {
        TZipMaster zip;
        ArchiveHooks hooks;
        std::vector<std::string> statuses;
        hooks.ShowStatus = [&](const std::string& text) { statuses.push_back(text); };
        const ArchiveJob job{program, "plom", folder / "usb", {2026, 3, 8}, (program / "global/").string(),
                             "",      ""};
        // A new zip each time: every table is packed again.
        fs::remove(program / "plom.zip");
        zip.AddOptions = ArchiveAddOptions(program, "plom");
        if (!RunArchive(zip, job, hooks)) {
            ASSERT_FALSE(statuses.empty());
            EXPECT_EQ(statuses.back().find("Arhivirano"), std::string::npos);
            continue;
        }
        ++succeeded;
        ExpectWholeTables(testsupport::ZipEntries(program / "plom.zip"), "global");
        if (HasFailure()) break;
    }
    folder.Write("prog/global/stop", "");
    const auto status = writer->Wait(std::chrono::minutes(2));
    ASSERT_TRUE(status && status->Success()) << writer->Errors();
    // The writer only waits for its turn: the archive takes each table between two of its writes.
    EXPECT_GT(succeeded, 0);
    // Nothing of the run's copies stays behind.
    for (const auto& entry : fs::directory_iterator(program))
        EXPECT_EQ(entry.path().filename().string().find(".plom.zip.copies"), std::string::npos);
}

} // namespace
