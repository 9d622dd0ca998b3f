#pragma once
// Where the editor's frame pulls its window events from: the X11 window in
// the plug-in, a scripted queue in tests.
#include "platform/InputEvent.h"

namespace platform {

enum class WaitResult {
    kEvent,    // an event was returned
    kTimeout,  // nothing arrived within the wait
    kEnded,    // the source will never deliver again (window gone, script used up)
};

class EventSource {
public:
    virtual ~EventSource() = default;
    // Takes the next event, waiting at most timeoutMs for one (0: no wait).
    virtual WaitResult nextEvent(InputEvent& event, int timeoutMs) = 0;
};

} // namespace platform
