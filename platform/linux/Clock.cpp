#include "platform/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace platform {

namespace {

class MonotonicClock final : public Clock {
public:
    std::uint32_t tickCount() override
    {
        timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u
                                 + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
        return static_cast<std::uint32_t>(ms);
    }

    void sleepMs(int ms) override
    {
        if (ms > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        else
            std::this_thread::yield();
    }
};

} // namespace

Clock& systemClock()
{
    static MonotonicClock clock;
    return clock;
}

} // namespace platform
