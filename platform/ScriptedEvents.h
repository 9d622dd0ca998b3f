#pragma once
// An event source that replays a prepared list of events, then ends.
#include "platform/EventSource.h"

#include <deque>

namespace platform {

class ScriptedEvents : public EventSource {
public:
    void push(const InputEvent& event) { queue_.push_back(event); }
    std::size_t pending() const { return queue_.size(); }
    void clear() { queue_.clear(); }

    WaitResult nextEvent(InputEvent& event, int timeoutMs) override;

private:
    std::deque<InputEvent> queue_;
};

} // namespace platform
