#pragma once
// Every call a host makes into the plug-in passes through one of these, so
// that no exception ever reaches the host: it is caught, one line names it on
// standard error, and the call answers as if it had done nothing. Nothing is
// thrown in normal operation; this guards against the unforeseen (a failed
// allocation on a host thread, a fault in a library).
#include <cstdio>
#include <exception>
#include <utility>

namespace core {

inline void reportEscapedException(const char* where) noexcept
{
    const char* what = "unknown exception";
    try {
        throw;
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
    }
    std::fprintf(stderr, "[KestrelReverb] %s: %s (ignored)\n", where, what);
}

// Runs `call`; answers `fallback` when it throws.
template <class Result, class Call>
Result guardedCall(const char* where, Result fallback, Call&& call) noexcept
{
    try {
        return std::forward<Call>(call)();
    } catch (...) {
        reportEscapedException(where);
        return fallback;
    }
}

template <class Call>
void guardedCall(const char* where, Call&& call) noexcept
{
    try {
        std::forward<Call>(call)();
    } catch (...) {
        reportEscapedException(where);
    }
}

} // namespace core
