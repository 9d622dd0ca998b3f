#pragma once
// The host's run loop for VST 3 editors on Linux: file descriptors the editor
// watches (its X connection) and its timers, called back from the host's
// thread while the host runs the loop.
#include "host/Vst3Object.h"
#include "host/Vst3Ptr.h"
#include "vst3/View.h"

#include <chrono>
#include <vector>

class Vst3RunLoop final : public Vst3Object<Vst3RunLoop, vst3::IRunLoop> {
public:
    Vst3RunLoop() = default;
    ~Vst3RunLoop();

    vst3::tresult RVB_VST3_CALL registerEventHandler(vst3::IEventHandler* handler, vst3::FileDescriptor fd) override;
    vst3::tresult RVB_VST3_CALL unregisterEventHandler(vst3::IEventHandler* handler) override;
    vst3::tresult RVB_VST3_CALL registerTimer(vst3::ITimerHandler* handler, vst3::TimerInterval milliseconds) override;
    vst3::tresult RVB_VST3_CALL unregisterTimer(vst3::ITimerHandler* handler) override;

    // Waits up to this long in poll(), calling each handler whose descriptor is
    // ready and each timer that is due; once, without waiting, for 0.
    void run(int milliseconds);
    int registrations() const { return static_cast<int>(handlers_.size() + timers_.size()); }

private:
    using Clock = std::chrono::steady_clock;
    struct Watch {
        vst3::IEventHandler* handler;
        vst3::FileDescriptor fd;
    };
    struct Timer {
        vst3::ITimerHandler* handler;
        Clock::duration interval;
        Clock::time_point due;
    };
    bool watching(vst3::IEventHandler* handler, vst3::FileDescriptor fd) const;
    bool timing(vst3::ITimerHandler* handler) const;
    void dispatchReady(int waitMilliseconds);
    void fireDueTimers();

    std::vector<Watch> handlers_;
    std::vector<Timer> timers_;
};
