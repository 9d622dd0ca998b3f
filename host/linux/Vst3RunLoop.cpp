#include "host/linux/Vst3RunLoop.h"

#include <poll.h>

#include <algorithm>

using namespace vst3;

Vst3RunLoop::~Vst3RunLoop()
{
    // An editor that went without unregistering: its handlers are let go here.
    for (const Watch& watch : handlers_)
        watch.handler->release();
    for (const Timer& timer : timers_)
        timer.handler->release();
}

tresult Vst3RunLoop::registerEventHandler(IEventHandler* handler, FileDescriptor fd)
{
    if (!handler || fd < 0)
        return kInvalidArgument;
    handler->addRef();
    handlers_.push_back({handler, fd});
    return kResultOk;
}

tresult Vst3RunLoop::unregisterEventHandler(IEventHandler* handler)
{
    if (!handler)
        return kInvalidArgument;
    bool found = false;
    for (auto at = handlers_.begin(); at != handlers_.end();) {
        if (at->handler == handler) {
            at->handler->release();
            at = handlers_.erase(at);
            found = true;
        } else {
            ++at;
        }
    }
    return found ? kResultOk : kResultFalse;
}

tresult Vst3RunLoop::registerTimer(ITimerHandler* handler, TimerInterval milliseconds)
{
    if (!handler)
        return kInvalidArgument;
    handler->addRef();
    const auto interval = std::chrono::milliseconds(std::max<TimerInterval>(1, milliseconds));
    timers_.push_back({handler, interval, Clock::now() + interval});
    return kResultOk;
}

tresult Vst3RunLoop::unregisterTimer(ITimerHandler* handler)
{
    if (!handler)
        return kInvalidArgument;
    bool found = false;
    for (auto at = timers_.begin(); at != timers_.end();) {
        if (at->handler == handler) {
            at->handler->release();
            at = timers_.erase(at);
            found = true;
        } else {
            ++at;
        }
    }
    return found ? kResultOk : kResultFalse;
}

bool Vst3RunLoop::watching(IEventHandler* handler, FileDescriptor fd) const
{
    return std::any_of(handlers_.begin(), handlers_.end(),
                       [&](const Watch& watch) { return watch.handler == handler && watch.fd == fd; });
}

bool Vst3RunLoop::timing(ITimerHandler* handler) const
{
    return std::any_of(timers_.begin(), timers_.end(), [&](const Timer& timer) { return timer.handler == handler; });
}

// A callback may register or unregister anything: the loop goes through a
// copy, holding each handler, and calls only those still registered.
void Vst3RunLoop::dispatchReady(int waitMilliseconds)
{
    std::vector<pollfd> fds;
    for (const Watch& watch : handlers_)
        fds.push_back({watch.fd, POLLIN, 0});
    const std::vector<Watch> watched = handlers_;
    if (poll(fds.data(), fds.size(), waitMilliseconds) <= 0)
        return;
    for (const Watch& watch : watched)
        watch.handler->addRef();
    for (size_t i = 0; i < fds.size(); ++i)
        if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) && watching(watched[i].handler, watched[i].fd))
            watched[i].handler->onFDIsSet(watched[i].fd);
    for (const Watch& watch : watched)
        watch.handler->release();
}

void Vst3RunLoop::fireDueTimers()
{
    const Clock::time_point now = Clock::now();
    std::vector<ITimerHandler*> due;
    for (Timer& timer : timers_) {
        if (timer.due <= now) {
            timer.due = now + timer.interval;  // no burst of calls to catch up after a long wait
            due.push_back(timer.handler);
            timer.handler->addRef();
        }
    }
    for (ITimerHandler* handler : due)
        if (timing(handler))
            handler->onTimer();
    for (ITimerHandler* handler : due)
        handler->release();
}

void Vst3RunLoop::run(int milliseconds)
{
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(std::max(0, milliseconds));
    do {
        Clock::time_point wake = end;
        for (const Timer& timer : timers_)
            wake = std::min(wake, timer.due);
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - Clock::now()).count();
        dispatchReady(static_cast<int>(std::max<long long>(0, wait)));
        fireDueTimers();
    } while (Clock::now() < end);
}
