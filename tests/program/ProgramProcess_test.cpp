// The plom program itself, started as its own process in a staged program folder.

#include "app/shell/ScriptedDialogs.h"
#include "app/tables/StageFolder.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "fw/ui/Form.h"
#include "kit/KeyFields.h"
#include "program/QuitSignals.h"
#include "program/StageSample.h"
#include "program/Startup.h"
#include "program/WinGlavna.h"
#include "tests/fw/ui/FormTesting.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramRegister.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <map>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using testsupport::OpenTablesRegister;
using testsupport::WaitUntil;

// The program's exit code once it ends (at most a minute); -1 when it had to be killed, -2 when a signal
// ended it.
int WaitForExit(testsupport::ChildProcess& program) {
    const auto status = program.Wait(std::chrono::minutes(1));
    if (!status) {
        program.Kill();
        return -1;
    }
    return status->Exited ? status->Code : -2;
}

TEST(ProgramProcess, StartsFindsTheCompanyAndEndsCleanlyOnATerminateSignal) {
    testsupport::TempFolder folder;
    app::StageProgramFolder(folder.Path());
    fs::copy_file(fs::path(PLOM_BINARY_DIR) / "program" / "plom", folder / "plom");
    for (int run = 0; run < 2; ++run) {
        // Fresh registers, so that their rows show this run's progress.
        for (const char* sub : {"global", "lokal"})
            for (const auto& e : fs::directory_iterator(folder / sub))
                if (e.path().stem() == "OPEN") fs::remove(e.path());
        // The program reads no command line, Qt's own options included: the second run's unknown
        // platform is passed over, not fatal.
        const std::vector<std::string> args =
            run == 0 ? std::vector<std::string>{} : std::vector<std::string>{"-platform", "nosuchplatform"};
        testsupport::ChildProcess program(folder / "plom", args, {{"QT_QPA_PLATFORM", "offscreen"}});
        // The company was looked up once both tables were opened and closed again.
        ASSERT_TRUE(WaitUntil([&] {
            auto g = OpenTablesRegister(folder / "global");
            auto l = OpenTablesRegister(folder / "lokal");
            return g.count("PARTNER.DB") && g["PARTNER.DB"] == 0 && l.count("SIF_PART.DB") &&
                   l["SIF_PART.DB"] == 0;
        })) << "run "
            << run;
        program.Signal(SIGTERM);
        EXPECT_EQ(WaitForExit(program), 0) << "run " << run << ": " << program.Errors();
        for (const char* sub : {"global", "lokal"})
            for (const auto& [file, open] : OpenTablesRegister(folder / sub))
                EXPECT_EQ(open, 0) << sub << "/" << file;
    }
    EXPECT_FALSE(fs::exists(folder / "lokal" / "Restructured_SIF_PART.DB"));
}

constexpr const char* HalfMadeCode = "POLA1";

// The program as its main runs it, with a clerk in the articles: a new code made with "Da" and left without
// the article's required manufacturer. "r" on the output once the code's record is posted ("x" when it
// could not be made); then the program waits.
PLOM_CHILD_ROLE(HalfMadeArticle) {
    app::QuitOnSignals(*qApp);
    app::AddStartUpForms();
    app::ScriptedDialogs dialogs;
    dialogs.DefaultAnswer = true;
    QTimer poll;
    return app::RunProgram(args.at(0), [&](app::TWinGlavna& w) {
        QObject::connect(&poll, &QTimer::timeout, [&] {
            fw::Form* f = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* form = dynamic_cast<fw::Form*>(top);
                    form && form->isVisible() && form->Modal() && form != &w)
                    f = form;
            if (!f) return;
            poll.stop();
            std::vector<fw::Control*> order;
            f->GetTabOrderList(order);
            const char* made = "x";
            for (fw::Control* c : order)
                if (auto* key = dynamic_cast<kit::TDBKeyField*>(c);
                    key && !dynamic_cast<kit::TDBField*>(c) && key->Widget().isVisible()) {
                    f->SetActiveControl(key);
                    fwtest::Type(&key->Widget(), HalfMadeCode);
                    QTest::keyClick(&key->Widget(), Qt::Key_Return);

                    // The new code's record is posted and shown.
                    if (key->Table()->State() != fw::dsInsert && key->Field()->AsString() == HalfMadeCode)
                        made = "r";
                    break;
                }
            [[maybe_unused]] const auto written = ::write(STDOUT_FILENO, made, 1);
        });
        poll.start(5);
        app::MainWindow.WinGlavnaOpeners.Artikli(&w);
    });
}

// The article codes stored in the folder's article register.
std::vector<std::string> ArticleCodes(const fs::path& folder) {
    fw::TTable t;
    t.SetDatabaseName(
        (fs::exists(folder / "lokal" / "SIF_ROBE.DB") ? folder / "lokal" : folder / "global").string());
    t.SetTableName("SIF_ROBE.DB");
    t.Open();
    std::vector<std::string> codes;
    for (t.First(); !t.Eof(); t.Next())
        codes.push_back(t.FieldByName("Sifra").AsString());
    return codes;
}

// A signal ends the program also while a form holds a record it would refuse to leave (a new code without
// its required value): the record is dropped, not stored half-made, and the program ends cleanly.
TEST(ProgramProcess, ATerminateSignalEndsTheProgramDroppingAHalfMadeCode) {
    testsupport::TempFolder folder;
    app::StageOptions o;
    o.Sample = app::StageSampleWorkshop;
    app::StageProgramFolder(folder.Path(), o);
    auto program = testsupport::ChildProcess::Role("HalfMadeArticle", {folder.Path().string()},
                                                   {{"QT_QPA_PLATFORM", "offscreen"}});
    ASSERT_EQ(program->Read(1), "r") << "the code was made " << program->Errors();
    program->Signal(SIGTERM);
    EXPECT_EQ(WaitForExit(*program), 0) << program->Errors();
    const std::vector<std::string> codes = ArticleCodes(folder.Path());
    EXPECT_GT(codes.size(), 10u);
    EXPECT_EQ(std::find(codes.begin(), codes.end(), HalfMadeCode), codes.end());
    for (const char* sub : {"global", "lokal"})
        for (const auto& [file, open] : OpenTablesRegister(folder / sub))
            EXPECT_EQ(open, 0) << sub << "/" << file;
}

} // namespace
