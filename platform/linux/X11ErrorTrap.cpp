#include "platform/linux/X11ErrorTrap.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform {
namespace {

struct TrappedDisplay {
    Display* display;
    int depth;   // traps alive on it
    int errors;  // counted while trapped
};

// Shared by every trap in the process. The handler runs on whichever thread
// made the failing request; Xlib does not hold its own locks while it runs.
struct TrapState {
    std::mutex mutex;
    std::vector<TrappedDisplay> trapped;
    XErrorHandler previous = nullptr;
};

TrapState& state()
{
    static TrapState s;
    return s;
}

// Set while this thread passes an error on. A host handler that was set while
// ours was in place may pass errors back to us; they must not go round again.
thread_local bool gPassingOn = false;

TrappedDisplay* find(TrapState& s, Display* display)
{
    const auto it = std::find_if(s.trapped.begin(), s.trapped.end(),
                                 [display](const TrappedDisplay& t) { return t.display == display; });
    return it == s.trapped.end() ? nullptr : &*it;
}

int handleError(Display* display, XErrorEvent* event)
{
    if (gPassingOn)
        return 0;
    XErrorHandler next = nullptr;
    {
        TrapState& s = state();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (TrappedDisplay* t = find(s, display)) {
            ++t->errors;
            return 0;
        }
        next = s.previous;
    }
    // Not ours: the handler we stood in front of decides, as if we were not here.
    if (!next)
        return 0;
    gPassingOn = true;
    const int result = next(display, event);
    gPassingOn = false;
    return result;
}

} // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display)
{
    TrapState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (TrappedDisplay* t = find(s, display)) {
        ++t->depth;
        errorsBefore_ = t->errors;
    } else {
        s.trapped.push_back({display, 1, 0});
        errorsBefore_ = 0;
    }
    // Put ours in front of whatever is current, unless it already is: the host
    // may have set a handler of its own since the last trap.
    const XErrorHandler current = XSetErrorHandler(handleError);
    if (current != handleError)
        s.previous = current;
}

X11ErrorTrap::~X11ErrorTrap()
{
    XSync(display_, False);
    TrapState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    TrappedDisplay* t = find(s, display_);
    if (t && --t->depth == 0)
        s.trapped.erase(s.trapped.begin() + (t - s.trapped.data()));
    if (!s.trapped.empty())
        return;
    // The last trap: give the handler back, unless someone replaced ours meanwhile.
    const XErrorHandler current = XSetErrorHandler(s.previous);
    if (current != handleError)
        XSetErrorHandler(current);
    s.previous = nullptr;
}

int X11ErrorTrap::errors()
{
    XSync(display_, False);
    TrapState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    const TrappedDisplay* t = find(s, display_);
    return t ? t->errors - errorsBefore_ : 0;
}

} // namespace platform
