// The archive form opened from the running program's menu: the zip in the program folder and its dated
// copy, read back.

#include "app/archive/ArchiveCommand.h"
#include "app/shell/ScriptedDialogs.h"
#include "app/tables/StageFolder.h"
#include "base/CroatianFormat.h"
#include "fw/ui/Application.h"
#include "program/Arh.h"
#include "program/Startup.h"
#include "program/WinGlavna.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <set>
#include <thread>

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

// Runs the event loop until the condition holds (at most half a minute: a guard against a hang, not a
// speed target).
bool WaitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 3000 && !condition(); ++i)
        QTest::qWait(10);
    return condition();
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
            EXPECT_TRUE(WaitUntil([arh] { return !arh->Archiving(); }));
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

namespace {

// Starts the program on the folder and opens the archive form from the menu; `drive` runs once the form
// shows modally. The form is closed with Esc afterwards unless the program is ending.
int WithArchiveForm(const fs::path& folder, const std::function<void(app::TWinGlavna&, app::TArh&)>& drive) {
    return app::RunProgram(folder, [&](app::TWinGlavna& w) {
        QTimer poll;
        bool ran = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            app::TArh* arh = app::ArchiveForm.Arh;
            if (ran || !arh || !arh->Modal() || !arh->isVisible()) return;
            ran = true;
            poll.stop();
            arh->activateWindow();
            (void)QTest::qWaitForWindowActive(arh);
            drive(w, *arh);
            if (!fw::Application::Instance().Terminated() && arh->isVisible())
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : arh,
                                Qt::Key_Escape);
        });
        poll.start(5);
        w.mArhiva->Click();
        EXPECT_TRUE(ran);
        if (!fw::Application::Instance().Terminated()) w.Close();
    });
}

// The widget as it paints now.
QImage Rendered(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    widget->render(&image);
    return image;
}

// The list's current row as it paints now (other folders of the file system come and go meanwhile).
QImage CurrentRow(app::TDirectoryListBox* list) {
    list->scrollTo(list->currentIndex());
    QRect row = list->visualRect(list->currentIndex());
    row.setLeft(0);
    row.setRight(list->viewport()->width() - 1);
    return Rendered(list).copy(row.translated(list->viewport()->geometry().topLeft()));
}

QWidget* Focused(QWidget* fallback) {
    return QApplication::focusWidget() ? QApplication::focusWidget() : fallback;
}

TEST(ArchiveForm, TheFolderListIsAKeyboardStopAndKeepsTheChosenFolder) {
    testsupport::TempFolder folder;
    app::ScriptedDialogs dialogs;
    app::StageProgramFolder(folder.Path());
    const fs::path stick = folder / "mnt" / "stick", neighbour = folder / "mnt" / "zz";
    fs::create_directories(stick);
    fs::create_directories(neighbour);
    const int code = WithArchiveForm(folder.Path(), [&](app::TWinGlavna&, app::TArh& arh) {
        app::TDirectoryListBox* list = arh.DirectoryListBox1;
        auto indexOf = [&](const fs::path& p) {
            return list->Model().index(QString::fromStdString(p.string()));
        };
        // In the middle of the screen, opened on the program folder, selected and scrolled into view.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_LE((arh.frameGeometry().center() - screen.center()).manhattanLength(), 4);
        EXPECT_EQ(list->Directory(), folder.Path());
        EXPECT_TRUE(WaitUntil([&] {
            const QModelIndex i = indexOf(folder.Path());
            return i.isValid() && list->currentIndex() == i &&
                   list->viewport()->rect().intersects(list->visualRect(i));
        }));

        // Tab and Shift+Tab, Alt+arrows: the list is reached both ways; where the focus is always shows.
        arh.SetActiveControl(arh.bArhiviraj);
        QApplication::processEvents();
        const QImage buttonWithFocus = Rendered(arh.bArhiviraj);
        const QImage listWithout = CurrentRow(list);
        QTest::keyClick(Focused(&arh), Qt::Key_Tab);
        EXPECT_EQ(arh.ActiveControl(), list);
        EXPECT_TRUE(list->hasFocus());
        EXPECT_NE(CurrentRow(list), listWithout) << "the focused list looks the same";
        EXPECT_NE(Rendered(arh.bArhiviraj), buttonWithFocus) << "the focused button looks the same";
        QTest::keyClick(Focused(&arh), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(arh.ActiveControl(), arh.bArhiviraj);
        QTest::keyClick(Focused(&arh), Qt::Key_Up, Qt::AltModifier);
        EXPECT_EQ(arh.ActiveControl(), list);
        QTest::keyClick(Focused(&arh), Qt::Key_Down, Qt::AltModifier);
        EXPECT_EQ(arh.ActiveControl(), arh.bArhiviraj);
        QTest::keyClick(Focused(&arh), Qt::Key_Up, Qt::ControlModifier);
        EXPECT_EQ(arh.ActiveControl(), list);

        // The chosen folder goes away: it stays chosen, and the run writes nowhere else.
        list->SetDirectory(stick);
        ASSERT_TRUE(WaitUntil([&] { return indexOf(neighbour).isValid(); }));
        fs::remove(stick);
        ASSERT_TRUE(WaitUntil([&] { return !indexOf(stick).isValid(); }));
        EXPECT_EQ(list->Directory(), stick);
        EXPECT_EQ(arh.lDir->Caption(), stick.string());
        // No other row is marked as the destination the label names.
        EXPECT_TRUE(WaitUntil([&] { return list->selectionModel()->selectedIndexes().empty(); }))
            << list->model()->data(list->currentIndex()).toString().toStdString();
        arh.SetActiveControl(arh.bArhiviraj);
        QTest::keyClick(Focused(&arh), Qt::Key_Return);
        ASSERT_TRUE(WaitUntil([&] { return !arh.Archiving(); }));
        EXPECT_FALSE(arh.LastRunSucceeded);
        EXPECT_NE(arh.pCopy->Caption().find(stick.string()), std::string::npos) << arh.pCopy->Caption();
        // A click on the row the view stands on chooses it: the label and the mark follow.
        const QModelIndex other = list->currentIndex().isValid() ? list->currentIndex() : indexOf(neighbour);
        ASSERT_TRUE(other.isValid());
        list->scrollTo(other);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(other).center());
        const fs::path clicked(list->Model().filePath(other).toStdString());
        EXPECT_EQ(list->Directory(), clicked);
        EXPECT_EQ(arh.lDir->Caption(), clicked.string());
        EXPECT_TRUE(list->selectionModel()->isSelected(other));
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Greška kod arhiviranja!!!"});
    EXPECT_TRUE(fs::is_empty(neighbour));
    EXPECT_FALSE(fs::exists(stick));
}

TEST(ArchiveForm, ARunKeepsTheWindowAliveAndStopsCleanlyWhenTheProgramEnds) {
    testsupport::TempFolder folder;
    app::ScriptedDialogs dialogs;
    app::StageProgramFolder(folder.Path());
    const fs::path copies = folder / "kopije";
    fs::create_directories(copies);
    const std::string busy = "Proces arhiviranja je u tijeku....";
    std::atomic<bool> release = false;
    fs::path zip;
    std::string zipAfterFirstRun;
    const int code = WithArchiveForm(folder.Path(), [&](app::TWinGlavna&, app::TArh& arh) {
        zip = folder / (arh.ArchiveName + ".zip");
        arh.DirectoryListBox1->SetDirectory(copies);
        arh.SetActiveControl(arh.bArhiviraj);

        // A damaged zip in the program folder: the component's message, then the command's; the status
        // names the file and is cut at its end only, the whole of it in the tooltip.
        folder.Write(zip.filename().string(), std::string(70000, 'x'));
        QTest::keyClick(Focused(&arh), Qt::Key_Return);
        ASSERT_TRUE(WaitUntil([&] { return !arh.Archiving(); }));
        EXPECT_EQ(dialogs.Texts(),
                  (std::vector<std::string>{"No valid zip entries found", "Greška kod arhiviranja!!!"}));
        const std::string status = arh.pCopy->Caption();
        EXPECT_NE(status.find(zip.string()), std::string::npos) << status;
        EXPECT_NE(status.find("nije zip arhiva"), std::string::npos) << status;
        const QString shown = arh.pCopy->ShownCaption();
        EXPECT_TRUE(shown.startsWith(QStringLiteral("Arhiva "))) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
        EXPECT_EQ(arh.pCopy->toolTip().toStdString(), status);
        EXPECT_EQ(testsupport::ReadFile(zip), std::string(70000, 'x'));
        fs::remove(zip);
        dialogs.Calls.clear();

        // A run works on its own thread: the window keeps running, a second command is refused.
        arh.ZipMaster1.OnProgress = [&](app::TZipMaster& z, app::ProgrType type, const std::string&,
                                        std::int64_t) {
            while (type == app::NewFile && !release && !(z.StopRequested && z.StopRequested()))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        QTest::keyClick(Focused(&arh), Qt::Key_Return);
        ASSERT_TRUE(arh.Archiving());
        int ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(1);
        EXPECT_TRUE(WaitUntil([&] { return ticks >= 3; }));
        EXPECT_TRUE(arh.Animate->isVisible());
        EXPECT_EQ(arh.Animate->maximum(), 0) << "a busy bar, moving";
        QTest::keyClick(Focused(&arh), Qt::Key_Return);
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{busy});
        release = true;
        ASSERT_TRUE(WaitUntil([&] { return !arh.Archiving(); }));
        EXPECT_TRUE(arh.LastRunSucceeded);
        EXPECT_EQ(arh.pCopy->Caption().rfind("Arhivirano datoteka: ", 0), 0u) << arh.pCopy->Caption();
        EXPECT_FALSE(arh.Animate->isVisible());
        zipAfterFirstRun = testsupport::ReadFile(zip);

        // The program ends (as on a terminate signal) during the next run: it stops, the zip as it was.
        release = false;
        folder.Write("NOVO.INI", "[novo]");
        QTest::keyClick(Focused(&arh), Qt::Key_Return);
        ASSERT_TRUE(arh.Archiving());
        fw::Application::Instance().Terminate();
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{busy});
    EXPECT_EQ(testsupport::ReadFile(zip), zipAfterFirstRun);
    for (const auto& e : fs::directory_iterator(folder.Path()))
        EXPECT_EQ(e.path().filename().string().rfind(zip.filename().string() + ".", 0), std::string::npos)
            << e.path();
    EXPECT_EQ(std::distance(fs::directory_iterator(copies), fs::directory_iterator()), 1);
}

} // namespace
