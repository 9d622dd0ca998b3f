// How the convolution work falls on the process calls, counted in the engine's
// own cost units (each unit of work weighted by what it costs), so that the
// check does not depend on timing: every call does its share of the period's
// work in proportion to its length, wherever partition boundaries fall, the
// work of a partition is never put off into a later period, and a crossfade
// or a long IR costs what it should. Real processor time per call is measured
// by bench/bench_realtime.
#include "engine/ConvolutionEngine.h"

#include "ConvolutionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using convtest::kLatency;
using engine::ConvolutionEngine;
using engine::ProcessEpoch;

constexpr int kPart = ConvolutionEngine::kPartitionFrames;

struct Call {
    int frames;
    long long units;        // cost done in the call
    long long perPartition; // the cost of the period the call ended in
    long long largest;      // its dearest unit
    int period;             // the period the call began in
};

struct Stream {
    std::vector<Call> calls;
    long long total = 0;
};

// Calls of the given sizes in turn over `frames` frames of noise; the kernel
// is replaced by `second` (unless empty) at the first call boundary at or
// after frame `changeAt`.
Stream measure(const std::vector<int>& sizes, int frames, const std::vector<float>& first,
            const std::vector<float>& second = {}, int changeAt = 0)
{
    ProcessEpoch epoch;
    ConvolutionEngine conv(epoch);
    if (!first.empty())
        convtest::prepare(conv, first, first);
    const std::vector<float> in = convtest::randomSignal(65537, 2u);
    std::vector<float> dryL(65537), dryR(65537), wetL(65537), wetR(65537);

    Stream run;
    size_t call = 0;
    bool changed = second.empty();
    for (int done = 0; done < frames;) {
        const int n = std::min(sizes[call++ % sizes.size()], frames - done);
        if (!changed && done >= changeAt) {
            convtest::prepare(conv, second, second);
            changed = true;
        }
        const long long before = conv.workUnits();
        {
            ProcessEpoch::Scope scope(epoch);
            conv.exchange(in.data(), in.data(), dryL.data(), dryR.data(), wetL.data(), wetR.data(), n);
        }
        run.calls.push_back({n, conv.workUnits() - before, conv.workUnitsPerPartition(), conv.largestWorkUnit(),
                             done / kPart});
        done += n;
    }
    run.total = conv.workUnits();
    return run;
}

const std::vector<float>& fullIr()
{
    static const std::vector<float> ir = convtest::randomSignal(131072, 1u);
    return ir;
}

TEST(RealtimeConvolutionCost, EqualCallsDoEqualWorkAcrossPartitionBoundaries)
{
    // Partition boundaries inside calls and between them; the first periods,
    // whose older windows entered before the first call, are left out.
    const int frames = 8 * kPart;
    for (const int size : {64, 512, 1000}) {
        const Stream r = measure({size}, frames, fullIr());
        long long perPartition = 0;
        for (size_t i = 0; i + 1 < r.calls.size(); ++i) {
            const Call& c = r.calls[i];
            if (c.period <= ConvolutionEngine::kMaxPartitions)
                continue;
            if (perPartition == 0)
                perPartition = c.perPartition;
            ASSERT_EQ(c.perPartition, perPartition) << "every period of one kernel costs the same";
            const double share = static_cast<double>(perPartition) * size / kPart;
            EXPECT_LE(c.units, share + c.largest + 1) << size << ", call " << i;
            EXPECT_GE(c.units, share - c.largest - 1) << size << ", call " << i;
        }
        ASSERT_GT(perPartition, 0);
    }
}

TEST(RealtimeConvolutionCost, EveryCallOfMixedSizesDoesOnlyItsOwnShare)
{
    const std::vector<int> sizes = {1, 7, 512, 4096, 65537, 333, 1};
    const Stream r = measure(sizes, kLatency + 3 * kPart + 17, fullIr());
    long long sum = 0;
    long long dearestPeriod = 0;  // a long call may span periods of different cost
    for (size_t i = 0; i < r.calls.size(); ++i) {
        const Call& c = r.calls[i];
        dearestPeriod = std::max(dearestPeriod, c.perPartition);
        // A call's share, rounded up to whole units at both ends of the call.
        EXPECT_LE(c.units, dearestPeriod * c.frames / kPart + 2 * c.largest + 1)
            << "call " << i << " of " << c.frames << " frames";
        sum += c.units;
    }
    EXPECT_EQ(sum, r.total);
}

// Each period finishes its own work: after whole periods the cost done is the
// sum of the periods' costs, nothing carried over.
TEST(RealtimeConvolutionCost, EachPeriodFinishesItsWork)
{
    const Stream r = measure({4096}, 4 * kPart, fullIr());
    long long expected = 0;
    for (size_t i = 0; i < r.calls.size(); ++i)
        if ((i + 1) % (kPart / 4096) == 0)
            expected += r.calls[i].perPartition;
    EXPECT_EQ(r.total, expected);
}

// A crossfade computes two outputs for one period: it costs more, but less
// than twice a plain period. A shorter IR costs less than a full one, and no
// kernel costs least (the input's spectra are still kept for the next one).
TEST(RealtimeConvolutionCost, CrossfadesAndIrLengthsCostWhatTheyShould)
{
    // A kernel change over four periods (one term each), then plain periods.
    const Stream fade = measure({kPart}, 12 * kPart, fullIr(), convtest::randomSignal(100000, 5u), 6 * kPart);
    const long long plain = fade.calls[5].perPartition;
    for (int period = 6; period < 10; ++period) {
        const long long changing = fade.calls[static_cast<size_t>(period)].perPartition;
        EXPECT_GT(changing, plain) << "period " << period;
        EXPECT_LT(2 * changing, 3 * plain) << "period " << period;
    }
    EXPECT_EQ(fade.calls[10].perPartition, plain);

    const long long shortIr = measure({kPart}, 3 * kPart, convtest::randomSignal(1000, 6u)).calls[2].perPartition;
    const long long none = measure({kPart}, 3 * kPart, {}).calls[2].perPartition;
    EXPECT_LT(shortIr, plain);
    EXPECT_LT(none, shortIr);
}

} // namespace
