#pragma once
// Delays the wet signal by a whole number of frames set in milliseconds.
//
// The store grows when a longer delay or a higher rate needs it. Growth never
// happens under the audio thread's feet: a non-audio thread builds a complete
// larger store (old values copied, the rest zero) and hands it over, and the
// old one is freed only once no process call can still be using it. Samples are
// relaxed atomics so that the copy and the clearing, which read and write the
// store from another thread, never race with the audio thread in the language
// sense; on x86-64 they cost the same as plain floats.
#include "engine/Handover.h"
#include "params/EffectConstants.h"
#include "params/ParameterRanges.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace engine {

class PreDelayLine {
public:
    static constexpr int kInitialCapacity = 57600;
    // The longest pre-delay at the highest rate it is sized for. Longer delays
    // (only reachable above that rate) are held at this length so that a
    // bogus rate cannot ask for an unbounded store.
    static constexpr int kMaxDelayFrames =
        static_cast<int>(param::kPreDelayMaximumMs * param::kHighestPreDelayRate / 1000.0);
    static_assert(kMaxDelayFrames == 153600, "200 ms at 768 kHz");

    // The store starts with room for `capacity` frames and grows when a
    // longer delay is asked for.
    explicit PreDelayLine(ProcessEpoch& epoch, int sampleRate = effect::kDefaultSampleRate,
                          int capacity = kInitialCapacity);
    PreDelayLine(const PreDelayLine&) = delete;
    PreDelayLine& operator=(const PreDelayLine&) = delete;

    // trunc(ms * rate * 0.001 + 0.5), at least 0 and at most kMaxDelayFrames;
    // a NaN gives 0.
    static int framesFor(float ms, int sampleRate);

    // Non-audio threads; serialised among themselves. Each returns false only
    // when a needed larger store could not be allocated; the line then keeps
    // working with the delay cut to the store it has.
    bool setDelay(float ms);
    bool setSampleRate(int sampleRate);
    // Zeroes the store; the position goes back to 0 before the next frame.
    void clear();

    // Audio thread, inside a ProcessEpoch::Scope: delays both channels in place.
    void process(float* left, float* right, int frames);

    float delayMs() const { return delayMs_.load(std::memory_order_relaxed); }
    int delayFrames() const { return delayFrames_.load(std::memory_order_relaxed); }
    int sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }
    int capacity() const;

private:
    struct Store {
        int capacity = 0;
        std::unique_ptr<std::atomic<float>[]> left;
        std::unique_ptr<std::atomic<float>[]> right;
    };
    static std::unique_ptr<Store> makeStore(int capacity);
    bool ensureCapacity(int frames);
    bool applyDelay();

    mutable std::mutex busy_;
    Handover<Store> store_;
    std::atomic<float> delayMs_{0.0f};
    std::atomic<int> sampleRate_;
    std::atomic<int> delayFrames_{0};
    std::atomic<unsigned> clearRequests_{0};

    // Audio thread only.
    unsigned clearsSeen_ = 0;
    int position_ = 0;
};

} // namespace engine
