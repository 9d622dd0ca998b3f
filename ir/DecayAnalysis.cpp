#include "ir/DecayAnalysis.h"

#include "ir/IRFileReaders.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ir {

namespace {

constexpr double kSmallestNormal = 1.1754943508222875e-38;
constexpr double kSilentDb = -379.29779052734375;
constexpr double kFloorDb = -40.0;
constexpr int kFirstFittedWindow = 2;
constexpr int kFewestWindows = 4;

double levelDb(double peak) { return peak <= kSmallestNormal ? kSilentDb : 20.0 * std::log10(peak); }

} // namespace

double analyzeDecay(const float* left, const float* right, double sampleRate)
{
    // Below 20 Hz a window would hold no sample; such rates measure nothing.
    const double windowLength = sampleRate * 0.05;
    if (!(windowLength >= 1.0))
        return 1.0;
    if (windowLength > kIRCapacityFrames)
        return 1.0;
    const int w = static_cast<int>(windowLength);
    const int windows = kIRCapacityFrames / w;

    // One slot more than whole windows: the last one may be partial.
    std::vector<double> peak(static_cast<std::size_t>(windows) + 1, 0.0);
    for (int j = 0; j < kIRCapacityFrames; ++j) {
        const double v = std::max(std::fabs(left[j]), std::fabs(right[j]));
        double& p = peak[static_cast<std::size_t>(j / w)];
        if (v > p)
            p = v;
    }

    // The quiet end of the tail says nothing about the decay.
    int last = windows;
    while (last > 0 && (peak[last] <= kSmallestNormal || levelDb(peak[last]) < kFloorDb))
        --last;
    if (last < kFewestWindows)
        return 1.0;

    // Least squares through windows 2 .. last-1: the onset and the window at
    // the -40 dB edge would bend the line.
    const int n = last - kFirstFittedWindow;
    double sx = 0.0, sy = 0.0, sxy = 0.0, sxx = 0.0;
    for (int x = 0; x < n; ++x) {
        const double y = levelDb(peak[x + kFirstFittedWindow]);
        sx += x;
        sy += y;
        sxy += x * y;
        sxx += static_cast<double>(x) * x;
    }
    const double denominator = n * sxx - sx * sx;
    if (!(denominator != 0.0) || !std::isfinite(denominator))
        return 1.0;
    const double slopeDbPerWindow = (n * sxy - sx * sy) / denominator;
    const double factor = std::pow(10.0, slopeDbPerWindow / (20.0 * w));
    return std::isfinite(factor) && factor > 0.0 ? factor : 1.0;
}

} // namespace ir
