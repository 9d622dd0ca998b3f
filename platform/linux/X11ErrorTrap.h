#pragma once
// Keeps the X errors of the plug-in's own display connection away from the
// host's error handler.
//
// Xlib has one error handler per process, and the default one ends the
// process. The host owns the window the editor lives in and may destroy it
// (taking the editor's window with it) before it closes the editor; the
// requests that then name the dead window fail. While a trap is alive, errors
// of its connection are counted here and go no further; errors of any other
// connection (the host's own) go on to the handler that was in place before.
// A trap ends with a round trip to the server, so every error of the requests
// made inside it has been counted by then. Traps nest and may be alive on
// several connections (several editors) at once.
#include <X11/Xlib.h>

namespace platform {

class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Errors of this connection since the trap was set, after a round trip
    // that makes every earlier request answer.
    int errors();

private:
    Display* display_;
    int errorsBefore_;
};

} // namespace platform
