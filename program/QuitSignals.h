#pragma once
// The program's end on a signal from the system.

class QObject;

namespace app {

// A session ending, an interrupt or a hang-up (SIGTERM, SIGINT, SIGHUP) ends the program as closing the
// main window does: what is typed stored, every table flushed and its registration withdrawn before the
// process goes. Nothing refused keeps it: a record that lacks a required value is dropped, since nobody may
// be there to complete it. The signal is taken over to the event loop, which owner belongs to.
void QuitOnSignals(QObject& owner);

} // namespace app
