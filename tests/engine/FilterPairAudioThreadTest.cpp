// The audio side of a filter pair: no allocation, and never a half-applied design.
#include "engine/FilterPair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

#include "FilterTestSignals.h"
#include "support/AllocationCounter.h"

namespace {

using engine::FilterPair;
using engine::ProcessEpoch;

TEST(FilterPairAudioThread, BlockProcessingAllocatesNothing)
{
    ProcessEpoch epoch;
    FilterPair hp(epoch, FilterPair::Kind::HighPass);
    FilterPair lp(epoch, FilterPair::Kind::LowPass);
    FilterPair bal(epoch, FilterPair::Kind::Balance);
    hp.setFrequency(40.0f);
    lp.setFrequency(12000.0f);
    bal.setBalance(4.0f);
    std::vector<float> wetL = filtertest::noise(512, 1), wetR = filtertest::noise(512, 2);
    std::vector<float> scratchL(512), scratchR(512);

    ASSERT_TRUE(testsupport::allocationCountingAvailable());
    // The counter must see allocations at all, or the check below proves nothing.
    {
        const testsupport::AllocationScope probe;
        int* volatile p = new int(1);
        delete p;
        ASSERT_EQ(probe.counts().allocations, 1);
    }

    const testsupport::AllocationScope scope;
    for (int block = 0; block < 50; ++block) {
        ProcessEpoch::Scope epochScope(epoch);
        hp.processStereo(wetL.data(), wetR.data(), scratchL.data(), scratchR.data(), 512);
        lp.process(FilterPair::Channel::Left, scratchL.data(), wetL.data(), 512);
        lp.process(FilterPair::Channel::Right, scratchR.data(), wetR.data(), 512);
        bal.processStereo(wetL.data(), wetR.data(), scratchL.data(), scratchR.data(), 512);
    }
    EXPECT_EQ(scope.counts().allocations, 0);
}

// A control thread keeps switching the pair between two designs while the audio
// thread filters. Every block starts from silent history (the previous block's
// tail has died away), so once the fade that a change brings is over, a block
// must carry exactly the impulse response of one of the two designs, never that
// of a mixture of their coefficients; and during the fade every sample lies
// between the two responses.
TEST(FilterPairAudioThread, EveryBlockRunsWithWholeDesigns)
{
    constexpr int kFrames = 4096;
    const size_t fade = static_cast<size_t>(engine::CrossfadingFilter::fadeFrames(44100.0f));
    ProcessEpoch epoch;
    FilterPair pair(epoch, FilterPair::Kind::LowPass);
    std::vector<float> impulse(kFrames, 0.0f);
    impulse[0] = 1.0f;

    auto responseAt = [&](float hz) {
        pair.setFrequency(hz);
        pair.reset();
        std::vector<float> first(kFrames), again(kFrames);
        pair.process(FilterPair::Channel::Left, impulse.data(), first.data(), kFrames);
        pair.process(FilterPair::Channel::Left, impulse.data(), again.data(), kFrames);
        // The tail has died away within the block (histories silent again).
        EXPECT_EQ(first, again);
        return first;
    };
    const std::vector<float> low = responseAt(700.0f);
    const std::vector<float> high = responseAt(5000.0f);
    ASSERT_NE(low, high);
    auto tailIs = [&](const std::vector<float>& out, const std::vector<float>& response) {
        return std::equal(out.begin() + static_cast<std::ptrdiff_t>(fade), out.end(),
                          response.begin() + static_cast<std::ptrdiff_t>(fade));
    };

    std::atomic<bool> controlDone{false};
    std::thread control([&] {
        for (int i = 0; i < 400; ++i)
            pair.setFrequency(i % 2 == 0 ? 700.0f : 5000.0f);
        controlDone = true;
    });

    std::vector<float> out(kFrames);
    int mixed = 0;
    int outside = 0;
    int blocksAfterControl = 0;
    while (blocksAfterControl < 2) {
        if (controlDone.load())
            ++blocksAfterControl;
        {
            ProcessEpoch::Scope scope(epoch);
            pair.process(FilterPair::Channel::Left, impulse.data(), out.data(), kFrames);
        }
        if (!tailIs(out, low) && !tailIs(out, high))
            ++mixed;
        for (size_t i = 0; i < fade; ++i) {
            if (out[i] < std::min(low[i], high[i]) || out[i] > std::max(low[i], high[i]))
                ++outside;
        }
    }
    control.join();
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(outside, 0);
    // The last design published (5000 Hz) is all that sounds once its fade is over.
    EXPECT_EQ(out, high);
}

} // namespace
