#include "engine/ResponseColumns.h"

#include <algorithm>

#include "engine/ResponseAnalyser.h"

namespace engine {

ResponseColumns::ResponseColumns(const float* power, const float* lnBinFrequency, int binCount,
                                 int firstBin)
    : power_(power),
      lnBinFrequency_(lnBinFrequency),
      binCount_(std::max(binCount, 0)),
      runningStart_(std::clamp(firstBin, 0, std::max(binCount, 0)))
{
}

float ResponseColumns::peakLevel(const float* power, int start, int end)
{
    float largest = 0.0f;
    for (int i = std::max(start, 0); i < end; ++i) {
        if (power[i] > largest)
            largest = power[i];
    }
    return ResponseAnalyser::levelDb(largest);
}

float ResponseColumns::next(int interpolationBin, int upperBin, float lnFrequency)
{
    if (interpolationBin >= 1 && binCount_ >= NaturalSpline::kPoints) {
        const int bin = std::min(interpolationBin, binCount_ - NaturalSpline::kPoints);
        if (bin != splineBin_) {
            double x[NaturalSpline::kPoints];
            double y[NaturalSpline::kPoints];
            for (int i = 0; i < NaturalSpline::kPoints; ++i) {
                x[i] = lnBinFrequency_[bin + i];
                y[i] = ResponseAnalyser::levelDb(power_[bin + i]);
            }
            spline_.fit(x, y);
            splineBin_ = bin;
        }
        return static_cast<float>(spline_.valueAt(lnFrequency));
    }
    const int end = std::clamp(upperBin, 0, binCount_);
    const float level = peakLevel(power_, runningStart_, end);
    runningStart_ = end;
    return level;
}

} // namespace engine
