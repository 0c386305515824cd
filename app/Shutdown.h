#pragma once
// How the program ends when it is told to from outside the window.

namespace Shutdown {

// SIGTERM (a session's logout, kill) and SIGINT (Ctrl+C) end the program as
// E&xit does. The handler only writes to a pipe; the event loop does the rest.
// Call once the application object exists.
void CatchSignals();

// From here on, an exit() that Qt or Xlib makes by itself (the display went
// away) first closes the library, while Qt SQL is still there to close it.
// Call once the library is open, so that Qt SQL's own statics outlive the hook.
void CloseLibraryAtExit();
// main() ended normally and closed everything itself.
void Ended();

}  // namespace Shutdown
