#include "threads/WaitCounter.h"

#include <atomic>
#include <dlfcn.h>
#include <pthread.h>
#include <time.h>

namespace {

// Plain thread-locals: usable from the first call on a new thread.
thread_local long t_lockCalls = 0;
thread_local long t_contendedLocks = 0;
thread_local long t_conditionWaits = 0;
thread_local long t_sleeps = 0;

// The next definition of `name`, looked up on first use: these functions are
// called long before static constructors run. dlsym takes only the loader's
// internal locks, never these.
template <class Function>
Function next(std::atomic<Function>& slot, const char* name)
{
    Function f = slot.load(std::memory_order_relaxed);
    if (f == nullptr) {
        f = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
        slot.store(f, std::memory_order_relaxed);
    }
    return f;
}

using MutexFunction = int (*)(pthread_mutex_t*);
using WaitFunction = int (*)(pthread_cond_t*, pthread_mutex_t*);
using TimedWaitFunction = int (*)(pthread_cond_t*, pthread_mutex_t*, const timespec*);
using ClockWaitFunction = int (*)(pthread_cond_t*, pthread_mutex_t*, clockid_t, const timespec*);
using NanosleepFunction = int (*)(const timespec*, timespec*);
using ClockNanosleepFunction = int (*)(clockid_t, int, const timespec*, timespec*);

std::atomic<MutexFunction> g_lock{nullptr};
std::atomic<MutexFunction> g_trylock{nullptr};
std::atomic<WaitFunction> g_wait{nullptr};
std::atomic<TimedWaitFunction> g_timedwait{nullptr};
std::atomic<ClockWaitFunction> g_clockwait{nullptr};
std::atomic<NanosleepFunction> g_nanosleep{nullptr};
std::atomic<ClockNanosleepFunction> g_clockNanosleep{nullptr};

} // namespace

extern "C" {

int pthread_mutex_lock(pthread_mutex_t* mutex) noexcept
{
    ++t_lockCalls;
    // Free (or already ours, for a recursive mutex): no wait.
    if (next(g_trylock, "pthread_mutex_trylock")(mutex) == 0)
        return 0;
    ++t_contendedLocks;
    return next(g_lock, "pthread_mutex_lock")(mutex);
}

int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex)
{
    ++t_conditionWaits;
    return next(g_wait, "pthread_cond_wait")(condition, mutex);
}

int pthread_cond_timedwait(pthread_cond_t* condition, pthread_mutex_t* mutex, const timespec* until)
{
    ++t_conditionWaits;
    return next(g_timedwait, "pthread_cond_timedwait")(condition, mutex, until);
}

int pthread_cond_clockwait(pthread_cond_t* condition, pthread_mutex_t* mutex, clockid_t clock,
                           const timespec* until)
{
    ++t_conditionWaits;
    return next(g_clockwait, "pthread_cond_clockwait")(condition, mutex, clock, until);
}

int nanosleep(const timespec* duration, timespec* remaining)
{
    ++t_sleeps;
    return next(g_nanosleep, "nanosleep")(duration, remaining);
}

int clock_nanosleep(clockid_t clock, int flags, const timespec* duration, timespec* remaining)
{
    ++t_sleeps;
    return next(g_clockNanosleep, "clock_nanosleep")(clock, flags, duration, remaining);
}

} // extern "C"

namespace threadtest {

WaitCounts waitCountsOfThisThread()
{
    return {t_lockCalls, t_contendedLocks, t_conditionWaits, t_sleeps};
}

} // namespace threadtest
