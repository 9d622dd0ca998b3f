// The live engine on the audio thread while kernels are replaced from another
// thread as often as they can be made, and released between: exchange()
// allocates, frees and starts nothing, and every part of the engine ends up
// on the last kernel published, whole: once its fades are over the output is
// that kernel's stream, bit for bit.
#include "engine/LiveConvolutionEngine.h"

#include "ConvolutionTestSupport.h"
#include "support/AllocationCounter.h"
#include "support/ThreadStartCounter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using engine::LiveConvolutionEngine;
using engine::ProcessEpoch;

TEST(LiveConvolutionAudioThread, ExchangeAllocatesNothingWhileKernelsChangeAndEndsOnTheLastKernel)
{
    ASSERT_TRUE(testsupport::allocationCountingAvailable());
    ProcessEpoch epoch;
    LiveConvolutionEngine live(epoch);
    // A level may finish the fade it is in, wait for its next period, and
    // then play the last kernel only after its offset and a fade of its own.
    long settling = 0;
    for (int l = 0; l < live.plan().levelCount; ++l) {
        const engine::LiveLevel& level = live.plan().levels[l];
        const long fade = std::max(level.blockFrames, 1 << LiveConvolutionEngine::kLog2FadeFrames);
        settling = std::max(settling, 2 * fade + level.offsetFrames);
    }
    const int lastAt = 3 * 32768;
    const int frames = lastAt + static_cast<int>(settling) + 8192;
    const std::vector<float> inL = convtest::randomSignal(frames, 13u), inR = convtest::randomSignal(frames, 14u);
    const std::vector<std::vector<float>> irs = {convtest::decayingNoise(131072, 1u, 0.01),
                                                 convtest::decayingNoise(20000, 2u, 0.01),
                                                 convtest::decayingNoise(70000, 3u, 0.001)};
    const std::vector<float> last = convtest::decayingNoise(100000, 4u, 0.01);

    ASSERT_TRUE(convtest::prepare(live, irs[0], irs[0]));
    std::atomic<bool> stop{false};
    std::atomic<int> published{0};
    std::thread changer([&] {
        for (int i = 1; !stop.load(); ++i) {
            convtest::prepare(live, irs[static_cast<size_t>(i) % irs.size()], irs[(static_cast<size_t>(i) + 1) % irs.size()]);
            live.releaseUnused();
            published.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::microseconds(300 * (i % 4)));
        }
    });

    // The changes run until lastAt; the last kernel comes then.
    convtest::Output out;
    out.wetL.resize(static_cast<size_t>(frames));
    out.wetR.resize(static_cast<size_t>(frames));
    std::vector<float> dryL(static_cast<size_t>(frames)), dryR(static_cast<size_t>(frames));
    long allocations = 0, frees = 0, starts = 0, calls = 0;
    for (int done = 0; done < frames;) {
        if (done == lastAt) {
            stop.store(true);
            changer.join();
            ASSERT_TRUE(convtest::prepare(live, last, last));
        }
        const int n = std::min({calls % 3 == 0 ? 512 : 64, frames - done, done < lastAt ? lastAt - done : frames});
        {
            const testsupport::AllocationScope scope;
            const testsupport::ThreadStartScope threads;
            ProcessEpoch::Scope process(epoch);
            live.exchange(inL.data() + done, inR.data() + done, dryL.data() + done, dryR.data() + done,
                          out.wetL.data() + done, out.wetR.data() + done, n);
            allocations += scope.counts().allocations;
            frees += scope.counts().frees;
            starts += threads.starts();
        }
        ++calls;
        done += n;
        // Let the changer publish between calls now and then.
        if (done < lastAt && calls % 16 == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    live.releaseUnused();
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(frees, 0);
    EXPECT_EQ(starts, 0);
    EXPECT_GE(published.load(), 5);

    ProcessEpoch otherEpoch;
    LiveConvolutionEngine alone(otherEpoch);
    ASSERT_TRUE(convtest::prepare(alone, last, last));
    const convtest::Output want = convtest::run(alone, otherEpoch, inL, inR, {4096});
    const long settled = lastAt + settling;
    EXPECT_TRUE(std::equal(out.wetL.begin() + settled, out.wetL.end(), want.wetL.begin() + settled));
    EXPECT_TRUE(std::equal(out.wetR.begin() + settled, out.wetR.end(), want.wetR.begin() + settled));
    EXPECT_EQ(dryL, inL);
}

} // namespace
