#include "fw/ui/Application.h"

#include "fw/ui/CroatianTexts.h"
#include "fw/ui/Form.h"
#include "fw/ui/KeyRouter.h"

#include <QApplication>
#include <QMetaObject>

namespace fw {

namespace {
Application* instance = nullptr;
}

Application::Application() : Component(nullptr) {
    // Closing the last visible window (a modal form while its caller is hidden) must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    KeyRouter::Install();
    InstallCroatianTexts();
}

Application& Application::Instance() {
    if (!instance) instance = new Application();
    return *instance;
}

void Application::Shutdown() {
    delete instance;
    instance = nullptr;
}

void Application::Terminate(bool mustEnd) {
    terminated_ = true;
    mustEnd_ = mustEnd_ || mustEnd;
    QMetaObject::invokeMethod(
        qApp,
        [this] {
            if (!terminated_) return;
            // What is typed in a shown form is stored first; a form that refuses it keeps the program,
            // unless it must end.
            if (!ShownFormsMayClose(mustEnd_) && !mustEnd_) {
                terminated_ = false;
                return;
            }
            // exit, not quit: quit would first ask every window to close.
            QCoreApplication::exit(0);
        },
        Qt::QueuedConnection);
}

int Application::Run() {
    QApplication::setQuitOnLastWindowClosed(false);
    if (mainForm_) mainForm_->Show();
    if (terminated_) return 0;
    return QApplication::exec();
}

void Application::ProcessMessages() {
    QApplication::processEvents();
}

} // namespace fw
