// The workshop program: no command-line parameters are read; everything it needs lies in its folder.

#include "app/data/Settings.h"
#include "fw/ui/Color.h"
#include "program/QuitSignals.h"
#include "program/Startup.h"

#include <QApplication>

#include <malloc.h>

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
    app::QuitOnSignals(qt);
    app::AddStartUpForms();
    return app::RunProgram(app::ProgramFolder());
}
