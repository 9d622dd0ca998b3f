#pragma once
// One channel of a tone-filter pair as the audio thread runs it.
//
// A direct-form section whose coefficients jump while it keeps its history
// rings out with the new poles from a state that belongs to the old ones; a
// big jump (a high-pass from 8 kHz to 20 Hz, a tilt from +12 to -12 dB) turns
// that into a bang tens of decibels above the signal. So a new design never
// takes over the running section. A second section is started with the new
// coefficients and brought to the state it would have reached had it always
// run: it is run, unheard, over the channel's recent input, long enough for
// its own poles to forget where it started. The output then fades linearly
// from the old section to the new one over a few milliseconds. Both sections
// are in their own steady state and the two gains add up to 1, so no sample of
// the fade is larger than the larger of what the old and the new filter give.
//
// Switching the filter on starts the new section from silence instead (the
// switch clears the filter's history), faded in the same way; switching off
// fades to the unfiltered input. A design that sounds the same as the one in
// force (same switch, coefficients and gain) is taken without a fade, and so is
// any design taken before the channel has filtered anything since it was last
// cleared. A clear (reset, new sample rate) restarts from silence at once.
//
// Real-time safe: process() never allocates, locks or waits. The history is
// allocated at construction, or, for a filter that may stay off for good,
// later on another thread (prepareHistory) before a design that is on first
// reaches it: until then the filter keeps no history, and a new design starts
// from silence as after a switch.
#include "engine/CIIR.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace engine {

class CrossfadingFilter {
public:
    // Input frames kept for bringing a new section up to its steady state. Up to
    // 48 kHz every corner in the parameters' range settles to about -80 dB; at
    // 192 kHz a 20 Hz high-pass to about -20 dB. What is left is the start-up of
    // the new section on the input's content below its corner, which is faded
    // in from nothing anyway.
    static constexpr int kHistoryFrames = 4096;
    static constexpr double kFadeSeconds = 0.005;

    // What the channel should sound like: the section's design and switch, the
    // gain after it, and the pair's clear and switch counts.
    struct Target {
        const CIIR* filter;
        float gain;
        std::uint64_t clearCount;
        std::uint64_t switchCount;
    };

    enum class History { AtConstruction, WhenPrepared };

    explicit CrossfadingFilter(History history = History::AtConstruction);
    CrossfadingFilter(const CrossfadingFilter&) = delete;
    CrossfadingFilter& operator=(const CrossfadingFilter&) = delete;

    // Audio thread. Filters `frames` values from `in` to `out` (distinct arrays).
    // A target that differs from the one in force is taken up at the start of
    // the call; while a fade runs, newer targets wait for it to end.
    void process(const Target& target, const float* in, float* out, int frames);

    // Frames the fade lasts at this sample rate (at least 1).
    static int fadeFrames(float sampleRate);
    // Frames of input that bring a section with these coefficients to its steady
    // state: until the slower pole has decayed by 80 dB, at most kHistoryFrames.
    static int settlingFrames(const CIIR::Coefficients& c);

    bool fading() const { return fadeLeft_ > 0; }

    // Non-audio thread, one at a time: makes the history if there is none
    // yet; it is kept from then on. False when the memory cannot be had.
    bool prepareHistory();

private:
    static constexpr int kStepFrames = 256;

    void takeUp(const Target& target, float* history);
    void restart(const Target& target, float* history);
    bool soundsLike(const Target& target) const;
    void settle(CIIR& section, const float* history);
    void remember(float* history, const float* in, int frames);
    int fade(const float* in, float* out, int frames);

    CIIR current_;
    float currentGain_ = 1.0f;
    CIIR incoming_;
    float incomingGain_ = 1.0f;
    int fadeLength_ = 1;
    int fadeLeft_ = 0;

    std::uint64_t clearsSeen_ = 0;
    std::uint64_t switchesSeen_ = 0;
    bool silentSinceClear_ = true;

    // Ring of the last kHistoryFrames inputs, made once by prepareHistory and
    // handed to the audio thread through history_.
    std::unique_ptr<float[]> historyStore_;
    std::atomic<float*> history_{nullptr};
    int historyNext_ = 0;
    float scratch_[kStepFrames] = {};  // of the incoming section's output
};

} // namespace engine
