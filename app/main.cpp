// The workshop program: no command-line parameters are read; everything it needs lies in its folder.

#include "app/Settings.h"
#include "app/Startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    return app::RunProgram(app::ProgramFolder());
}
