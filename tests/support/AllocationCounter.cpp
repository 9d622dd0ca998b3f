#include "support/AllocationCounter.h"

#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define RVB_COUNT_THROUGH_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define RVB_COUNT_THROUGH_SANITIZER 1
#endif

namespace {
// Plain thread-locals of the executable: no constructor, so they are usable
// from the allocator's very first call on a new thread.
thread_local long t_allocations = 0;
thread_local long t_frees = 0;
} // namespace

#if defined(RVB_COUNT_THROUGH_SANITIZER)

// The sanitizer allocators replace malloc themselves; they call these hooks.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, std::size_t),
                                                         void (*onFree)(const volatile void*))
    __attribute__((weak));

namespace {
void onMalloc(const volatile void*, std::size_t) { ++t_allocations; }
void onFree(const volatile void* p)
{
    if (p)
        ++t_frees;
}
bool installHooks()
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks != nullptr &&
                                  __sanitizer_install_malloc_and_free_hooks(&onMalloc, &onFree) != 0;
    return installed;
}
// Installed before main, so that counts are complete from the start.
const bool g_installedAtStart = installHooks();
} // namespace

namespace testsupport {
bool allocationCountingAvailable() { return g_installedAtStart || installHooks(); }
} // namespace testsupport

#else

// Without a sanitizer the program's own malloc and free stand in front of the
// C library's; the dynamic linker binds every module of the process to them.
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t size)
{
    ++t_allocations;
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size)
{
    ++t_allocations;
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size)
{
    ++t_allocations;
    return __libc_realloc(p, size);
}
void free(void* p)
{
    if (p)
        ++t_frees;
    __libc_free(p);
}
}

namespace testsupport {
bool allocationCountingAvailable() { return true; }
} // namespace testsupport

#endif

namespace testsupport {
AllocationCounts threadAllocationCounts() { return {t_allocations, t_frees}; }
} // namespace testsupport
