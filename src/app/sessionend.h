#pragma once

class QObject;

namespace kelm {

// SIGTERM, which a session ending or a service manager sends, SIGINT (Ctrl+C in the
// terminal) and SIGHUP (the terminal closed) close the program's windows the way their
// close buttons do, so that the settings are saved as at any other close.  The signal only
// wakes the event loop (through a pipe); the windows are closed from there.  Call once,
// after the application object is made; the watcher is a child of `parent`.
void CloseWindowsOnTerminate(QObject* parent);

}  // namespace kelm
