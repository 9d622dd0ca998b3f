#include "support/ThreadStartCounter.h"

#include <dlfcn.h>
#include <pthread.h>

namespace {
thread_local long t_starts = 0;
using CreateFunction = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
} // namespace

// Found before the C library's by the dynamic linker, also for calls from the
// C++ runtime; the next definition (the sanitizer's, then the C library's)
// does the work.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*),
                              void* arg) noexcept
{
    static const CreateFunction next = reinterpret_cast<CreateFunction>(dlsym(RTLD_NEXT, "pthread_create"));
    ++t_starts;
    return next(thread, attr, start, arg);
}

namespace testsupport {
long threadStartsOfThisThread() { return t_starts; }
} // namespace testsupport
