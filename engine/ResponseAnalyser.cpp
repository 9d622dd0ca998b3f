#include "engine/ResponseAnalyser.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "params/EffectConstants.h"

namespace engine {
namespace {

// Runs one channel of the chain over `signal` in place, through `scratch`.
void runChain(CIIR& highPass, CIIR& lowPass, CIIR& balance, std::vector<float>& signal,
              std::vector<float>& scratch)
{
    highPass.processBlock(signal.data(), scratch.data(), ResponseAnalyser::kSize);
    lowPass.processBlock(scratch.data(), signal.data(), ResponseAnalyser::kSize);
    balance.processBlock(signal.data(), scratch.data(), ResponseAnalyser::kSize);
    signal.swap(scratch);
}

} // namespace

ResponseAnalyser::ResponseAnalyser(int sampleRate)
    : sampleRate_(sampleRate > 0 ? sampleRate : effect::kDefaultSampleRate),
      fft_(kLog2Size),
      power_(kBins, 0.0f)
{
}

bool ResponseAnalyser::setSampleRate(int sampleRate)
{
    if (sampleRate <= 0)
        return false;
    sampleRate_.store(sampleRate, std::memory_order_relaxed);
    return true;
}

double ResponseAnalyser::normalisation()
{
    return 1.0 / (std::pow(4096.0, 2.0371) * 0.1354);
}

float ResponseAnalyser::levelDb(float power)
{
    if (!(power > kPowerFloor))
        return kFloorDb;
    return static_cast<float>(10.0 * std::log10(static_cast<double>(power)));
}

void ResponseAnalyser::analyse(const FilterPair& highPass, const FilterPair& lowPass,
                               const FilterPair& balance)
{
    analyse(highPass.design(), lowPass.design(), balance.design());
}

void ResponseAnalyser::analyse(const FilterPair::Design& highPass, const FilterPair::Design& lowPass,
                               const FilterPair::Design& balance)
{
    FilterPair::Design hp = highPass;
    FilterPair::Design lp = lowPass;
    FilterPair::Design bal = balance;
    for (FilterPair::Design* d : {&hp, &lp, &bal}) {
        d->left.reset();
        d->right.reset();
    }

    std::vector<float> left(kSize, 0.0f);
    std::vector<float> right(kSize, 0.0f);
    std::vector<float> scratchLeft(kSize);
    std::vector<float> scratchRight(kSize);
    left[0] = 1.0f;
    right[0] = 1.0f;
    runChain(hp.left, lp.left, bal.left, left, scratchLeft);
    runChain(hp.right, lp.right, bal.right, right, scratchRight);
    if (bal.left.enabled()) {
        for (int i = 0; i < kSize; ++i) {
            left[i] *= bal.makeUpGain;
            right[i] *= bal.makeUpGain;
        }
    }

    // The transform's layout: sample 2i in re, 2i+1 in im.
    AlignedFloats re(kSize / 2);
    AlignedFloats im(kSize / 2);
    for (int i = 0; i < kSize / 2; ++i) {
        re[static_cast<std::size_t>(i)] = (left[2 * i] + right[2 * i]) * 0.5f;
        im[static_cast<std::size_t>(i)] = (left[2 * i + 1] + right[2 * i + 1]) * 0.5f;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    fft_.forward(re.data(), im.data());

    ready_.store(0, std::memory_order_release);
    std::fill(power_.begin(), power_.end(), 0.0f);
    const double scale = normalisation();
    for (int k = 0; k < kBins; ++k) {
        // Bin 0 is real; position 0's other half holds the bin at kBins.
        const std::size_t p = static_cast<std::size_t>(k == 0 ? 0 : fft_.position(k));
        const double x = re[p];
        const double y = k == 0 ? 0.0 : im[p];
        const float value = static_cast<float>((x * x + y * y) * scale);
        if (value > power_[k])
            power_[k] = value;
    }
    ready_.store(1, std::memory_order_release);
    analyses_.fetch_add(1, std::memory_order_acq_rel);
}

void ResponseAnalyser::copyPower(float* destination) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::copy(power_.begin(), power_.end(), destination);
}

} // namespace engine
