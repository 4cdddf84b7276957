// The archive form opened from the running program's menu: the zip in the program folder and its dated
// copy, read back.

#include "app/archive/ArchiveCommand.h"
#include "app/shell/ScriptedDialogs.h"
#include "base/CroatianFormat.h"
#include "program/Arh.h"
#include "program/StageFolder.h"
#include "program/Startup.h"
#include "program/WinGlavna.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QTest>
#include <QTimer>

#include <set>

namespace {

namespace fs = std::filesystem;

std::set<std::string> EntriesOf(const fs::path& zipFile) {
    app::TZipMaster zip;
    zip.SetZipFilename(zipFile.string());
    std::set<std::string> names;
    for (const app::ZipDirEntry& e : zip.ZipContents())
        names.insert(e.FileName);
    return names;
}

// The files the archive must hold: the settings and tables of the program folder and of both databases.
std::set<std::string> ExpectedEntries(const fs::path& root) {
    std::set<std::string> names;
    auto add = [&](const fs::path& folder, const std::string& prefix, std::set<std::string> exts) {
        for (const auto& e : fs::directory_iterator(folder)) {
            std::string ext = e.path().extension().string();
            for (char& c : ext)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (e.is_regular_file() && exts.count(ext)) names.insert(prefix + e.path().filename().string());
        }
    };
    add(root, "", {".INI", ".DB", ".PX"});
    add(root / "global", "global/", {".DB", ".MB"});
    add(root / "lokal", "lokal/", {".DB", ".MB"});
    return names;
}

TEST(ArchiveForm, ArchivesTheTablesAndSettingsIntoTheZipAndItsDatedCopy) {
    testsupport::TempFolder folder;
    app::ScriptedDialogs dialogs;
    app::StageProgramFolder(folder.Path());
    const fs::path copies = folder / "kopije";
    fs::create_directories(copies);
    std::string status, shownFolder;
    bool succeeded = false, mainHidden = false;
    std::string archiveName;
    auto drive = [&](app::TWinGlavna& w) {
        ASSERT_TRUE(w.mArhiva->Enabled());
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            app::TArh* arh = app::ArchiveForm.Arh;
            if (!arh || !arh->Modal() || !arh->isVisible()) return;
            poll.stop();
            mainHidden = !w.isVisible();
            EXPECT_EQ(arh->Caption().toStdString(), "Arhiviranje dokumenata...");
            arh->DirectoryListBox1->SetDirectory(copies);
            shownFolder = arh->lDir->Caption();
            archiveName = arh->ArchiveName;
            arh->activateWindow();
            (void)QTest::qWaitForWindowActive(arh);
            arh->SetActiveControl(arh->bArhiviraj);
            QTest::keyClick(arh->bArhiviraj, Qt::Key_Space);
            succeeded = arh->LastRunSucceeded;
            status = arh->pCopy->Caption();
            QApplication::processEvents();
            EXPECT_TRUE(arh->grab().save(QStringLiteral(PLOM_BINARY_DIR) + "/screenshot-archive.png"));
            QTest::keyClick(arh->bArhiviraj, Qt::Key_Escape);
        });
        poll.start(5);
        w.mArhiva->Click();
        EXPECT_TRUE(w.isVisible());
    };
    const int code = app::RunProgram(folder.Path(), [&](app::TWinGlavna& w) {
        drive(w);
        w.Close();
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(mainHidden);
    EXPECT_EQ(shownFolder, copies.string());
    EXPECT_TRUE(dialogs.Texts().empty()) << dialogs.Texts().front();
    EXPECT_TRUE(succeeded);
    ASSERT_FALSE(archiveName.empty());
    const fs::path zip = folder / (archiveName + ".zip");
    const fs::path copy = copies / app::DatedCopyName(archiveName, base::Today());
    EXPECT_EQ(status.rfind("Arhivirano datoteka: ", 0), 0u) << status;
    ASSERT_TRUE(fs::exists(zip));
    ASSERT_TRUE(fs::exists(copy));
    const std::set<std::string> expected = ExpectedEntries(folder.Path());
    EXPECT_TRUE(expected.count("global/PARTNER.DB"));
    EXPECT_TRUE(expected.count("lokal/SIF_PART.DB"));
    EXPECT_TRUE(expected.count("Link.DB"));
    EXPECT_TRUE(expected.count("PLOM.INI"));
    const std::set<std::string> inZip = EntriesOf(zip);
    for (const std::string& name : expected)
        EXPECT_TRUE(inZip.count(name)) << name;
    EXPECT_EQ(EntriesOf(copy), inZip);
}

} // namespace
