#pragma once
// Stereo width of the wet signal, with an optional pseudo-stereo step for mono
// impulse responses: the mid signal, delayed by about 8 ms, is added to the
// left channel and subtracted from the right.
//
// Settings may change from any thread. Anything that touches the delay ring
// from outside (a new rate, the pseudo-stereo switch, a reset) is only
// requested there and carried out by the audio thread at the start of its next
// block, so the ring itself belongs to the audio thread alone.
#include "params/EffectConstants.h"

#include <atomic>

namespace engine {

class WidthStage {
public:
    static constexpr int kRingSize = 882;
    static constexpr int kMaxRingLength = kRingSize - 1;
    static constexpr float kDelayMs = 8.0f;
    // Width 0 at the default rate, pseudo-stereo off, ring clear.
    WidthStage();
    WidthStage(const WidthStage&) = delete;
    WidthStage& operator=(const WidthStage&) = delete;

    // Level correction that keeps the loudness of the image roughly even across
    // widths: unity at 1, +1.9185 dB at 0, about -2.87 dB at 2.
    static float makeUpGainFor(float width);
    // trunc(8 ms * rate + 0.5) frames, held within 0..kMaxRingLength.
    static int ringLengthFor(int sampleRate);

    // Any thread. Width is held within 0..2 (NaN counts as 0).
    void setWidth(float width);
    // Any thread: sets the switch; the ring restarts from silence.
    void setPseudoStereo(int flag);
    // Any thread: new ring length; the ring restarts from silence.
    void setSampleRate(int sampleRate);
    // Any thread: the ring restarts from silence.
    void reset();

    // Audio thread: widens `frames` frames in place.
    void process(float* left, float* right, int frames);

    float width() const { return width_.load(std::memory_order_relaxed); }
    float sideGain() const { return sideGain_.load(std::memory_order_relaxed); }
    float makeUpGain() const { return makeUpGain_.load(std::memory_order_relaxed); }
    int pseudoStereo() const { return pseudoStereo_.load(std::memory_order_relaxed); }
    int sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }
    int ringLength() const { return ringLength_.load(std::memory_order_relaxed); }

private:
    void requestClear() { clearRequests_.fetch_add(1, std::memory_order_release); }

    std::atomic<float> width_{0.0f};
    std::atomic<float> sideGain_{0.0f};
    std::atomic<float> makeUpGain_{1.0f};
    std::atomic<int> pseudoStereo_{0};
    std::atomic<int> sampleRate_{effect::kDefaultSampleRate};
    std::atomic<int> ringLength_{0};
    std::atomic<unsigned> clearRequests_{0};

    // Audio thread only.
    unsigned clearsSeen_ = 0;
    int position_ = 0;
    float ring_[kRingSize] = {};
};

} // namespace engine
