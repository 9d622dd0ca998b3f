// How the convolution work falls on the process calls, counted in the engine's
// own units of work (butterflies, pairs of complex products, points moved), so
// that the check does not depend on timing: every call does its share in
// proportion to its length, wherever partition and block boundaries fall, and
// the work of a partition is never put off into a later period.
#include "engine/ConvolutionEngine.h"

#include "ConvolutionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

using convtest::kLatency;
using engine::ConvolutionEngine;
using engine::ProcessEpoch;

constexpr int kPart = ConvolutionEngine::kPartitionFrames;

struct CallCosts {
    std::vector<long long> units;  // per call
    long long total = 0;
    long long perPartition = 0;
};

// Calls of the given sizes in turn over `frames` frames of noise, with a
// full-length kernel and a kernel change halfway.
CallCosts measure(const std::vector<int>& sizes, int frames)
{
    ProcessEpoch epoch;
    ConvolutionEngine conv(epoch);
    const std::vector<float> ir = convtest::randomSignal(131072, 1u);
    convtest::prepare(conv, ir, ir);
    const std::vector<float> in = convtest::randomSignal(65537, 2u);
    std::vector<float> dryL(65537), dryR(65537), wetL(65537), wetR(65537);

    CallCosts costs;
    size_t call = 0;
    for (int done = 0; done < frames;) {
        const int n = std::min(sizes[call++ % sizes.size()], frames - done);
        if (done < frames / 2 && done + n >= frames / 2)
            convtest::prepare(conv, convtest::randomSignal(500, 3u), convtest::randomSignal(500, 4u));
        const long long before = conv.workUnits();
        {
            ProcessEpoch::Scope scope(epoch);
            conv.exchange(in.data(), in.data(), dryL.data(), dryR.data(), wetL.data(), wetR.data(), n);
        }
        costs.units.push_back(conv.workUnits() - before);
        done += n;
    }
    costs.total = conv.workUnits();
    costs.perPartition = conv.workUnitsPerPartition();
    return costs;
}

TEST(RealtimeConvolutionCost, EqualCallsDoEqualWorkAcrossPartitionAndBlockBoundaries)
{
    // Two block boundaries and 40 partition boundaries, some inside calls.
    const int frames = 2 * kLatency + 8 * kPart;
    for (const int size : {64, 512, 1000}) {
        const CallCosts c = measure({size}, frames);
        const std::vector<long long> full(c.units.begin(), c.units.end() - 1);  // the last call may be short
        const double mean = static_cast<double>(std::accumulate(full.begin(), full.end(), 0LL)) / full.size();
        const long long most = *std::max_element(full.begin(), full.end());
        const long long least = *std::min_element(full.begin(), full.end());
        const long long kUnits = c.perPartition;
        ASSERT_GT(kUnits, 0);
        EXPECT_NEAR(mean, static_cast<double>(kUnits) * size / kPart, 1.0) << size;
        // Whole units: a call does its share rounded to one unit either way.
        EXPECT_LE(most, mean + 1.0) << size;
        EXPECT_GE(least, mean - 1.0) << size;
        // Each partition's work is done within its own period.
        EXPECT_EQ(c.total, kUnits * (frames / kPart)) << size;
    }
}

TEST(RealtimeConvolutionCost, EveryCallOfMixedSizesDoesOnlyItsOwnShare)
{
    const int frames = kLatency + 3 * kPart + 17;
    const std::vector<int> sizes = {1, 7, 512, 4096, 65537, 333, 1};
    const CallCosts c = measure(sizes, frames);
    const long long kUnits = c.perPartition;
    ASSERT_GT(kUnits, 0);
    for (size_t i = 0; i < c.units.size(); ++i) {
        const int n = sizes[i % sizes.size()];
        // The share of n frames, rounded up at both ends of the call.
        EXPECT_LE(c.units[i], kUnits * n / kPart + 2) << "call " << i << " of " << n << " frames";
    }
}

} // namespace
