#include "platform/ScriptedEvents.h"

namespace platform {

WaitResult ScriptedEvents::nextEvent(InputEvent& event, int /*timeoutMs*/)
{
    // A used-up script must end a tracking loop rather than leave it waiting.
    if (queue_.empty())
        return WaitResult::kEnded;
    event = queue_.front();
    queue_.pop_front();
    return WaitResult::kEvent;
}

} // namespace platform
