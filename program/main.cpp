// The workshop program: no command-line parameters are read; everything it needs lies in its folder.

#include "app/data/Settings.h"
#include "fw/ui/Application.h"
#include "fw/ui/Color.h"
#include "program/Startup.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <malloc.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void OnQuitSignal(int) {
    const char c = 1;
    [[maybe_unused]] const auto written = write(signalPipe[1], &c, 1);
}

// A session ending or an interrupt ends the program as closing the main window does: every table flushed
// and its registration withdrawn before the process goes.
void QuitOnSignals(QApplication& qt) {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &qt);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char c = 0;
        [[maybe_unused]] const auto got = read(signalPipe[0], &c, 1);
        fw::Application::Instance().Terminate();
    });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        sigaction(s, &action, nullptr);
}

} // namespace

int main(int, char** argv) {
    // Keep freed memory for the next use instead of giving it back at once: a large table opened and
    // closed again (a form opened twice) would otherwise fault its megabytes of block lists in anew.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    // Qt is handed the program's name alone: it would act on options such as "-platform" (and end the
    // program on a platform it does not have), though the program takes no command line.
    int qtArgc = 1;
    QApplication qt(qtArgc, argv);
    fw::UseProgramFont();
    QuitOnSignals(qt);
    app::AddStartUpForms();
    return app::RunProgram(app::ProgramFolder());
}
