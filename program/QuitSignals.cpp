#include "program/QuitSignals.h"

#include "fw/ui/Application.h"

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace app {

namespace {

int signalPipe[2] = {-1, -1};

void OnQuitSignal(int) {
    const char c = 1;
    [[maybe_unused]] const auto written = write(signalPipe[1], &c, 1);
}

} // namespace

void QuitOnSignals(QObject& owner) {
    if (signalPipe[0] < 0 && socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &owner);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char c = 0;
        [[maybe_unused]] const auto got = read(signalPipe[0], &c, 1);
        fw::Application::Instance().Terminate(true);
    });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        sigaction(s, &action, nullptr);
}

} // namespace app
