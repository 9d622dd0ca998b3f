#include "ir/IRShaping.h"

#include "engine/SweepFilterPair.h"
#include "ir/IRFileReaders.h"
#include "params/EffectConstants.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace ir {

namespace {

constexpr double kStretchLossDb = 3.6629;
constexpr double kHighlightSamples = 49152000.0;  // 49152 samples, in ms * Hz

// Sweep 1 darkens the IR along its course, sweep 2 thins out its bass.
constexpr double kLowPassTargetHz = 1000.0;
constexpr double kLowPassQ = 0.5;
constexpr double kHighPassStartHz = 20.0;
constexpr double kHighPassTargetHz = 250.0;
constexpr double kHighPassQ = 0.3;

bool positive(double x) { return std::isfinite(x) && x > 0.0; }

// Gain per output sample for a gain q per raw sample, with `step` output
// samples per raw sample.
double perOutputSample(double q, double step)
{
    if (!(q > 0.0))
        return 0.0;
    if (q == 1.0)
        return 1.0;
    const double m = std::pow(q, 1.0 / step);
    return std::isfinite(m) ? m : 0.0;
}

} // namespace

int trimLeadingSilence(float* left, float* right, int frames)
{
    const int limit = std::clamp(frames, 0, kIRCapacityFrames);
    // Compared as a float, so that a sample of exactly 0.01f counts as sound.
    const float threshold = static_cast<float>(kLeadThreshold);
    int first = 0;
    while (first < limit && !(left[first] >= threshold || right[first] >= threshold))
        ++first;
    if (first == 0)
        return 0;

    const std::size_t kept = static_cast<std::size_t>(kIRCapacityFrames - first);
    std::memmove(left, left + first, kept * sizeof(float));
    std::memmove(right, right + first, kept * sizeof(float));
    // Left as they were, these entries would replay the end of the IR a
    // second time once a long IR is stretched over them.
    std::fill(left + kept, left + kIRCapacityFrames, 0.0f);
    std::fill(right + kept, right + kIRCapacityFrames, 0.0f);
    return first;
}

double stretchCompensation(double stretch) { return std::pow(10.0, kStretchLossDb * (1.0 - stretch) / 20.0); }

int shapedLength(double gateMs, double sampleRate)
{
    const double length = gateMs * sampleRate * 0.001 + 0.5;
    if (!(length >= 1.0))
        return 0;
    if (length >= effect::kIRCapacityFrames)
        return effect::kIRCapacityFrames;
    return static_cast<int>(length);
}

int shapeIR(const float* rawLeft, const float* rawRight, const ShapeSettings& settings, float* left,
            float* right)
{
    std::fill(left, left + kShapedCapacity, 0.0f);
    std::fill(right, right + kShapedCapacity, 0.0f);

    const double fs = settings.sampleRate;
    if (!positive(fs) || fs > INT_MAX || settings.fileSampleRate <= 0 || !positive(settings.stretch))
        return 0;
    const double step = fs * settings.stretch / settings.fileSampleRate;  // output samples per raw sample
    if (!positive(step))
        return 0;

    const int length = shapedLength(settings.gateMs, fs);
    const double irMs = std::max(settings.rawFrameCount, 0) * 1000.0 / settings.fileSampleRate;
    const int rate = static_cast<int>(fs);
    engine::SweepFilterPair darken;
    engine::SweepFilterPair thin;
    darken.setUp(rate, fs * 0.5, kLowPassTargetHz, irMs, kLowPassQ, settings.dump);
    thin.setUp(rate, kHighPassStartHz, kHighPassTargetHz, irMs, kHighPassQ, settings.dump);
    const bool filtered = settings.dump != 1.0;

    const double compensation = stretchCompensation(settings.stretch);
    const double m = perOutputSample(settings.envelopeMultiplier, step);
    double gain = 1.0;
    int written = 0;
    for (int i = 0; i < length; ++i, gain *= m) {
        const double position = i / step;
        // The last raw sample has no successor to interpolate towards.
        if (!(position < kIRCapacityFrames - 1))
            continue;
        const int n = static_cast<int>(position);
        const double f = position - n;
        double yl = ((1.0 - f) * rawLeft[n] + f * rawLeft[n + 1]) * compensation * gain;
        double yr = ((1.0 - f) * rawRight[n] + f * rawRight[n + 1]) * compensation * gain;
        if (filtered) {
            darken.step(yl, yr);
            thin.step(yl, yr);
        }
        left[i] = static_cast<float>(yl);
        right[i] = static_cast<float>(yr);
        written = i + 1;
    }
    return written;
}

void rawEnvelope(const float* rawLeft, const float* rawRight, float ratio, float* values)
{
    std::fill(values, values + effect::kIRCapacityFrames, 0.0f);
    if (!positive(ratio))
        return;
    for (int i = 0; i < effect::kIRCapacityFrames; ++i) {
        const double position = static_cast<double>(i) * ratio;
        if (!(position < kIRCapacityFrames))
            break;
        const int n = static_cast<int>(position);
        const double f = position - n;
        double vl = (1.0 - f) * rawLeft[n];
        double vr = (1.0 - f) * rawRight[n];
        if (n + 1 < kIRCapacityFrames) {
            vl += f * rawLeft[n + 1];
            vr += f * rawRight[n + 1];
        }
        values[i] = static_cast<float>(std::max(std::fabs(vl), std::fabs(vr)));
    }
}

int highlightDeadline(std::uint32_t now, double sampleRate)
{
    const double rate = positive(sampleRate) ? sampleRate : effect::kDefaultSampleRate;
    const double holdMs = std::min(std::floor(kHighlightSamples / rate), kHighlightSamples);
    const std::uint32_t deadline = now + static_cast<std::uint32_t>(holdMs);
    const int value = static_cast<int>(deadline);
    // 0 and -1 are the idle and building states; a deadline two ticks later is as good.
    if (value == 0 || value == -1)
        return 1;
    return value;
}

bool deadlineReached(int deadline, std::uint32_t now)
{
    return static_cast<std::int32_t>(now - static_cast<std::uint32_t>(deadline)) >= 0;
}

} // namespace ir
