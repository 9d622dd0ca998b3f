#include "platform/Clock.h"

#include <windows.h>

namespace platform {

namespace {

class TickCountClock final : public Clock {
public:
    std::uint32_t tickCount() override { return GetTickCount(); }
    void sleepMs(int ms) override { Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); }
};

} // namespace

Clock& systemClock()
{
    static TickCountClock clock;
    return clock;
}

} // namespace platform
