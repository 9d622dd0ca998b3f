#pragma once
// Flush-to-zero and denormals-are-zero for the duration of one process call.
//
// Decaying tails (filters, convolution overlap, pre-delay and width after the
// input stops) pass through the denormal range on their way to silence, where
// every operation is many times slower and the host receives values it may not
// expect. With both modes on, such results become exact zeros and denormal
// inputs count as zeros. The host thread's own floating-point mode is restored
// on the way out.
#include <xmmintrin.h>

class DenormalGuard {
public:
    // FTZ (bit 15) and DAZ (bit 6) of the SSE control register.
    static constexpr unsigned kFlushBits = 0x8040u;

    DenormalGuard() : saved_(_mm_getcsr())
    {
        if ((saved_ & kFlushBits) != kFlushBits)
            _mm_setcsr(saved_ | kFlushBits);
    }
    ~DenormalGuard()
    {
        if ((saved_ & kFlushBits) != kFlushBits)
            _mm_setcsr(saved_);
    }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    unsigned saved_;
};
