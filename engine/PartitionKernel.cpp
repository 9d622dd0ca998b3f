#include "engine/PartitionKernel.h"

#include "engine/RealPairSplit.h"
#include "engine/SteppedFft.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace engine {

namespace {

double leadingEnergy(const float* ir, int frames)
{
    double sum = 0.0;
    for (int i = 0; i < std::min(frames, PartitionKernel::kEnergyFrames); ++i)
        sum += static_cast<double>(ir[i]) * ir[i];
    return sum;
}

} // namespace

std::unique_ptr<PartitionKernel> PartitionKernel::prepare(const float* left, const float* right, int frames)
{
    std::unique_ptr<PartitionKernel> kernel;
    std::unique_ptr<SteppedFft> fft;
    std::vector<ComplexValue> z;
    try {
        kernel.reset(new PartitionKernel());
        kernel->spectra_.assign(2 * static_cast<size_t>(kBins) * 2 * kPartitions, 0.0f);
        fft = std::make_unique<SteppedFft>(kPoints);
        z.resize(kPoints);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }

    frames = std::clamp(frames, 0, kCapacityFrames);
    const float w =
        static_cast<float>(std::max(std::sqrt(leadingEnergy(left, frames)), std::sqrt(leadingEnergy(right, frames))));
    const double gain = (w != 0.0f ? 1.0 / w : 1.0) / kPoints;

    for (int j = 0; j < kPartitions; ++j) {
        // Both channels in one transform; the upper half of the circle stays
        // empty so that products with a partition of input never wrap around.
        std::fill(z.begin(), z.end(), ComplexValue{0.0, 0.0});
        const int first = j * kPartitionFrames;
        for (int i = 0; i < kPartitionFrames && first + i < frames; ++i)
            z[static_cast<size_t>(fft->reversed(i))] = {left[first + i], right[first + i]};
        fft->transform(z.data(), SteppedFft::Direction::Forward);

        float* outL = kernel->binsToFill(j, 0);
        float* outR = kernel->binsToFill(j, 1);
        for (int k = 0; k < kBins; ++k) {
            ComplexValue l;
            ComplexValue r;
            splitRealPair(z.data(), kPoints, k, l, r);
            outL[2 * k] = static_cast<float>(l.re * gain);
            outL[2 * k + 1] = static_cast<float>(l.im * gain);
            outR[2 * k] = static_cast<float>(r.re * gain);
            outR[2 * k + 1] = static_cast<float>(r.im * gain);
        }
    }
    return kernel;
}

} // namespace engine
