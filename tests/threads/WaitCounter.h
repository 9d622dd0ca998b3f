#pragma once
// Counts, per thread, every way the thread could have waited for another:
// blocking mutex locks (and of those, the ones that found the mutex taken),
// condition-variable waits and sleeps.
//
// The test program's own definitions of these functions stand in front of the
// real ones (the sanitizer's, then the C library's), as for allocations and
// thread starts; the plug-in's code compiled into the program is counted too,
// std::mutex and std::condition_variable included. A try_lock is no wait and
// is not counted.
namespace threadtest {

struct WaitCounts {
    long lockCalls = 0;       // blocking locks, whether they had to wait or not
    long contendedLocks = 0;  // the ones that found the mutex taken
    long conditionWaits = 0;
    long sleeps = 0;

    long waits() const { return contendedLocks + conditionWaits + sleeps; }

    WaitCounts& operator+=(const WaitCounts& more)
    {
        lockCalls += more.lockCalls;
        contendedLocks += more.contendedLocks;
        conditionWaits += more.conditionWaits;
        sleeps += more.sleeps;
        return *this;
    }
};

// Everything the calling thread did since it started.
WaitCounts waitCountsOfThisThread();

// What the calling thread does between construction and counts().
class WaitScope {
public:
    WaitScope() : start_(waitCountsOfThisThread()) {}
    WaitCounts counts() const
    {
        const WaitCounts now = waitCountsOfThisThread();
        return {now.lockCalls - start_.lockCalls, now.contendedLocks - start_.contendedLocks,
                now.conditionWaits - start_.conditionWaits, now.sleeps - start_.sleeps};
    }

private:
    WaitCounts start_;
};

} // namespace threadtest
