#pragma once
// The millisecond clock and the short sleeps of the editor's idle work and the
// IR highlight deadline. Replaceable, so that tests can set the time.
#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds, 32-bit with wrap-around.
    virtual std::uint32_t tickCount() = 0;
    virtual void sleepMs(int ms) = 0;
};

// The clock in force: the system's unless a test installed its own.
Clock& clock();
// Installs a replacement (not owned); nullptr restores the system's clock.
void setClock(Clock* replacement);
// The operating system's clock.
Clock& systemClock();

} // namespace platform
