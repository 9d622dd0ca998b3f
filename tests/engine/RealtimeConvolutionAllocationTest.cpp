// The audio thread's side of the convolution never allocates, frees or starts
// a thread: not at partition or block boundaries, and not while another thread
// replaces the kernel.
#include "engine/ConvolutionEngine.h"

#include "ConvolutionTestSupport.h"
#include "support/ThreadStartCounter.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using engine::ConvolutionEngine;
using engine::ProcessEpoch;

struct Counts {
    long allocations = 0;
    long frees = 0;
    long threadStarts = 0;
};

// Runs one exchange inside a process scope and counts what it did.
Counts countedExchange(ConvolutionEngine& engine, ProcessEpoch& epoch, const std::vector<float>& in, std::vector<float>& out,
                       int frames)
{
    const testsupport::AllocationScope allocations;
    const testsupport::ThreadStartScope threads;
    {
        ProcessEpoch::Scope scope(epoch);
        engine.exchange(in.data(), in.data(), out.data(), out.data(), out.data(), out.data(), frames);
    }
    return {allocations.counts().allocations, allocations.counts().frees, threads.starts()};
}

// The counters must see what they are meant to catch, or the checks below
// prove nothing.
TEST(RealtimeConvolutionAllocation, CountersSeeAllocationsAndThreadStarts)
{
    ASSERT_TRUE(testsupport::allocationCountingAvailable());
    const testsupport::AllocationScope allocations;
    const testsupport::ThreadStartScope threads;
    std::thread([] {}).join();
    EXPECT_GE(allocations.counts().allocations, 1);
    EXPECT_EQ(threads.starts(), 1);
}

TEST(RealtimeConvolutionAllocation, NothingAllocatedOrStartedWhileKernelsChange)
{
    ASSERT_TRUE(testsupport::allocationCountingAvailable());
    const std::vector<float> irA = convtest::randomSignal(131072, 1u);
    const std::vector<float> irB = convtest::randomSignal(5000, 2u);

    ProcessEpoch epoch;
    ConvolutionEngine conv(epoch);
    ASSERT_TRUE(convtest::prepare(conv, irA, irA));
    std::atomic<bool> stop{false};
    std::atomic<int> replacements{0};
    std::thread preparer([&] {
        for (int i = 1; !stop.load(); ++i) {
            const std::vector<float>& k = (i % 2) ? irB : irA;
            convtest::prepare(conv, k, k);
            replacements.fetch_add(1);
        }
    });

    // Across eight partition boundaries, with calls of 64 and 512 frames and,
    // every partition, a replacement finishing while the calls go on, so that
    // every period crossfades from one kernel to the next.
    const std::vector<float> in = convtest::randomSignal(512, 3u);
    std::vector<float> out(512);
    Counts total;
    long calls = 0;
    int seen = replacements.load();
    for (int done = 0; done < 8 * ConvolutionEngine::kPartitionFrames + 3000; ++calls) {
        const int frames = calls % 3 == 0 ? 64 : 512;
        const Counts c = countedExchange(conv, epoch, in, out, frames);
        total.allocations += c.allocations;
        total.frees += c.frees;
        total.threadStarts += c.threadStarts;
        const int partition = done / ConvolutionEngine::kPartitionFrames;
        done += frames;
        if (done / ConvolutionEngine::kPartitionFrames != partition) {
            while (replacements.load() == seen)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            seen = replacements.load();
        }
    }
    stop.store(true);
    preparer.join();

    EXPECT_GE(replacements.load(), 8);
    EXPECT_GT(calls, 300);
    EXPECT_EQ(total.allocations, 0);
    EXPECT_EQ(total.frees, 0);
    EXPECT_EQ(total.threadStarts, 0);
}

} // namespace
