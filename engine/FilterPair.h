#pragma once
// A left/right pair of tone filters designed alike, with its on/off switch and,
// for the balance pair, a make-up gain.
//
// Settings change on non-audio threads while the audio thread filters. Every
// change builds a complete new Design (both filters' coefficients, the switch,
// the make-up gain) and publishes it through a Handover, so a block always runs
// with whole designs. The filter histories live on the audio side, where each
// channel fades from the design in force to a new one (CrossfadingFilter), so
// that no change of setting bangs. A change that must start the filters from
// silence at once (a new rate, a reset) bumps the design's clear count; a
// change of the switch bumps its switch count.
#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/CIIR.h"
#include "engine/CrossfadingFilter.h"
#include "engine/Handover.h"
#include "params/EffectConstants.h"

namespace engine {

class FilterPair {
public:
    enum class Kind {
        HighPass,  // 10 Hz, Q 0.6
        LowPass,   // 22050 Hz, Q 0.6
        Balance,   // high shelf at 1000 Hz, 0 dB, slope 0.3, make-up gain 1
    };
    enum class Channel { Left = 0, Right = 1 };

    struct Design {
        CIIR left;
        CIIR right;
        float makeUpGain = 1.0f;  // applied after filtering while the pair is on
        std::uint64_t clearCount = 0;
        std::uint64_t switchCount = 0;
    };

    static constexpr float kBalancePivotHz = 1000.0f;
    static constexpr float kBalanceSlope = 0.3f;

    // Builds the pair with its kind's construction design at `sampleRate` (the
    // default rate if that is 0 or less), on unless said otherwise. The
    // histories a pair needs while it is on are made when it is first switched
    // on (here, or by the call that does), so a pair that stays off never holds them.
    enum class Switch { On, Off };
    FilterPair(ProcessEpoch& epoch, Kind kind, int sampleRate = effect::kDefaultSampleRate,
               Switch initially = Switch::On);
    FilterPair(const FilterPair&) = delete;
    FilterPair& operator=(const FilterPair&) = delete;

    // Non-audio threads. Each call takes effect from the next block filtered.
    // Same frequencies at the new rate, histories cleared; a rate of 0 or less is
    // refused (false) and changes nothing.
    bool setSampleRate(int sampleRate);
    // Redesigns that keep the histories.
    void designLowPass(float frequency, float q);
    void designHighPass(float frequency, float q);
    void designHighShelf(float frequency, float gain, float slope);
    // New frequency for the pair's current type, Q and gain.
    void setFrequency(float frequency);
    // Tilt of `db` around the pivot: the shelf lifts the highs by 2 * db and the
    // make-up gain lowers everything by db, in one design.
    void setBalance(float db);
    // A change fades between the filtered and the unfiltered signal, the filter
    // starting from silence; the same flag again changes nothing.
    void setEnabled(bool on);
    // Clears the histories.
    void reset();

    // Non-audio threads: a copy of the design in force (for analysis and display).
    Design design() const;

    // Linear make-up gain for a tilt of `db`: 10^(-db / 20) with the single-precision base.
    static float balanceMakeUpGain(float db);

    // Audio thread, inside a ProcessEpoch::Scope. Filters `frames` values of one
    // channel from `in` to `out` (distinct arrays); a disabled pair copies. A new
    // design is taken up at the start of a call and faded in over a few
    // milliseconds.
    void process(Channel channel, const float* in, float* out, int frames);
    // Both channels with the same design.
    void processStereo(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                       int frames);

private:
    template <class Change>
    void change(Change&& apply);
    void runChannel(const Design& design, Channel channel, const float* in, float* out, int frames);

    mutable std::mutex controlMutex_;
    Design master_;  // guarded by controlMutex_
    Handover<Design> live_;

    // Audio thread only, but for preparing their histories.
    CrossfadingFilter audio_[2] = {CrossfadingFilter(CrossfadingFilter::History::WhenPrepared),
                                   CrossfadingFilter(CrossfadingFilter::History::WhenPrepared)};
};

} // namespace engine
