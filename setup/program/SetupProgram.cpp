#include "setup/program/SetupProgram.h"

#include "fw/ui/Application.h"
#include "fw/ui/Color.h"
#include "fw/ui/Guard.h"
#include "setup/install/InstallUi.h"
#include "setup/program/InstPlom.h"
#include "setup/program/PlomSetup.h"

#include <cstdlib>
#include <iostream>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace setup::plom {

namespace {

bool Unattended() {
    const char* v = std::getenv(UnattendedVariable);
    return v && *v;
}

// Unattended, a page that refuses to go on (the chosen groups do not fit) ends the run as if cancelled.
struct Answering {
    const TBaseFormContainer* host = nullptr;
    const TBaseInstallForm* lastPressed = nullptr;
    bool giveUp = false;
};
Answering answering;

// Presses the default way on of whatever page is up.
void AnswerPages() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* host = dynamic_cast<TBaseFormContainer*>(modal)) {
        if (TBaseInstallForm* page = host->CurrentPage()) {
            if (host == answering.host && page == answering.lastPressed && host->ModalResult() == 0) {
                answering.giveUp = true;
                page->CancelBtn->Click();
                return;
            }
            answering.host = host;
            answering.lastPressed = page;
            fw::Button* on = page->FinishBtn->isVisibleTo(page) ? page->FinishBtn : page->NextBtn;
            on->Click();
        } else {
            host->Next();
        }
    } else if (auto* disk = dynamic_cast<TChangeDiskForm*>(modal)) {
        disk->InstallBtn->Click();
    }
}

void InstallUserInterface(bool unattended) {
    Ui().ShowMessage = [unattended](const std::string& text) {
        if (unattended) {
            std::cerr << text << '\n';
            return;
        }
        QMessageBox::information(nullptr, "SetUp", QString::fromStdString(text));
    };
    Ui().Confirm = [unattended](const std::string& question) {
        if (unattended) return answering.giveUp;
        return QMessageBox::question(nullptr, "SetUp", QString::fromStdString(question),
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    Ui().SetBusy = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    fw::SetMessageHook([](const std::string& text) { Ui().ShowMessage(text); });
}

} // namespace

int RunSetup(int argc, char** argv) {
    // Qt takes some options for itself ("-style", "-reverse"): the setup's switches are read first.
    const std::vector<std::string> args(argv + 1, argv + argc);
    bool screenless = false;
    for (const std::string& a : args)
        if (a.size() >= 2 && a[0] == '-' && (a[1] == 'b' || a[1] == 'B' || a[1] == 'f' || a[1] == 'F'))
            screenless = true;
    if (screenless && !std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QApplication qapp(qtArgc, argv);
    fw::UseProgramFont();
    const bool unattended = Unattended();
    answering = Answering{};
    // A build or a transfer has no window to show a message in.
    InstallUserInterface(unattended || screenless);
    SetProcessMessagesHook([] { QCoreApplication::processEvents(); });
    int status = 0;
    {
        PlomSetup config;
        if (screenless) {
            status = config.Install1.Execute(args);
        } else {
            TForm1* form = fw::CreateForm<TForm1>(&fw::Application::Instance());
            fw::Application::Instance().SetMainForm(form);
            QTimer answerer;
            if (unattended) {
                QObject::connect(&answerer, &QTimer::timeout, &answerer, [] { fw::Guarded(AnswerPages); });
                answerer.start(50);
            }
            QTimer::singleShot(0, form, [&] {
                fw::Guarded([&] { status = config.Install1.Execute(args); });
                fw::Application::Instance().Terminate();
            });
            fw::Application::Instance().Run();
        }
    }
    SetProcessMessagesHook(nullptr);
    fw::Application::Shutdown();
    Ui() = InstallUi();
    return status;
}

} // namespace setup::plom
