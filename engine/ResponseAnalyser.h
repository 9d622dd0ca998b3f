#pragma once
// Measures the combined frequency response of the wet path's high-pass,
// low-pass and balance pairs: an impulse goes through copies of the filters,
// and a 4096-point transform of the averaged left/right result gives one power
// value per bin up to half the sample rate.
//
// Non-audio threads only. Analyses from different threads are serialised, and
// copyPower never sees a half-finished analysis.
#include <atomic>
#include <mutex>
#include <vector>

#include "engine/AlignedFloats.h"
#include "engine/FilterPair.h"
#include "engine/RealFft.h"
#include "params/EffectConstants.h"

namespace engine {

class ResponseAnalyser {
public:
    static constexpr int kLog2Size = 12;
    static constexpr int kSize = 1 << kLog2Size;
    static constexpr int kBins = kSize / 2;
    // The smallest normal float; powers at or below it show as kFloorDb.
    static constexpr float kPowerFloor = 1.1754944e-38f;
    static constexpr float kFloorDb = -379.29779052734375f;
    // 10 * log10 of 1 / normalisation(): added for display, it turns a level
    // back into the chain's gain in dB.
    static constexpr float kDisplayOffsetDb = 64.90357208251953f;

    // A rate of 0 or less is taken as 44100.
    explicit ResponseAnalyser(int sampleRate = effect::kDefaultSampleRate);
    ResponseAnalyser(const ResponseAnalyser&) = delete;
    ResponseAnalyser& operator=(const ResponseAnalyser&) = delete;

    // Bin k stands for k * rate / kSize Hz. A rate of 0 or less is refused (false).
    bool setSampleRate(int sampleRate);
    int sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }
    int size() const { return kSize; }

    // Works on copies of the pairs' designs with silent histories; the live pairs
    // are not disturbed. Allocates its work arrays per run.
    void analyse(const FilterPair& highPass, const FilterPair& lowPass, const FilterPair& balance);
    void analyse(const FilterPair::Design& highPass, const FilterPair::Design& lowPass,
                 const FilterPair::Design& balance);

    // True once an analysis has finished; the power values then hold the last one.
    bool ready() const { return ready_.load(std::memory_order_acquire) != 0; }
    // Analyses finished since construction: a reader that saw another count
    // has a new one to take.
    long analyses() const { return analyses_.load(std::memory_order_acquire); }
    // Copies the kBins power values (all 0 before the first analysis).
    void copyPower(float* destination) const;

    // Scale of the power values: 1 / (4096^2.0371 * 0.1354).
    static double normalisation();
    // 10 * log10(power), or kFloorDb for a power at or below kPowerFloor.
    static float levelDb(float power);

private:
    mutable std::mutex mutex_;
    std::atomic<int> sampleRate_;
    std::atomic<int> ready_{0};
    std::atomic<long> analyses_{0};
    RealFft fft_;
    std::vector<float> power_;  // kBins values
};

} // namespace engine
