// The audio thread must never allocate or free. The shared allocation counter
// counts every allocation of the test program per thread; other threads may
// allocate freely.
#include "ProcessingPathTestRig.h"
#include "support/ThreadStartCounter.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

using pathtest::kLatency;
using pathtest::Rig;

struct Counts {
    long allocations = 0;
    long frees = 0;
    long calls = 0;
};

TEST(ProcessingPathAllocations, CountingWorks)
{
    ASSERT_TRUE(testsupport::allocationCountingAvailable());
    const testsupport::AllocationScope scope;
    int* volatile p = new int(3);
    delete p;
    EXPECT_EQ(scope.counts().allocations, 1);
    EXPECT_EQ(scope.counts().frees, 1);
}

// Another thread keeps changing the pre-delay, stepping the rate up so that its
// store is replaced several times until it reaches the cap, and changes the
// filters, levels and width as well.
class SettingsChanger {
public:
    static constexpr int kGrowthSteps = 11; // 288 kHz to 768 kHz

    explicit SettingsChanger(engine::ProcessingPath& path) : path_(path), thread_([this] { run(); }) {}
    ~SettingsChanger()
    {
        stop_.store(true);
        thread_.join();
    }
    int changes() const { return changes_.load(); }

private:
    void run()
    {
        for (int k = 0; !stop_.load(); ++k) {
            path_.preDelay().setSampleRate(288000 + 48000 * std::min(k, kGrowthSteps - 1));
            path_.setPreDelay(200.0f);
            path_.setPreDelay(static_cast<float>((k * 37) % 201));
            path_.setHighPassFrequency(20.0f + static_cast<float>(k % 300));
            path_.setBalanceTilt(static_cast<float>(k % 13) - 6.0f);
            path_.setWetLevel(static_cast<float>(k % 20) - 15.0f);
            path_.setWidth(static_cast<float>(k % 5) * 0.5f);
            path_.setBalance(static_cast<double>(k % 3) - 1.0);
            changes_.fetch_add(1);
        }
    }

    engine::ProcessingPath& path_;
    std::atomic<bool> stop_{false};
    std::atomic<int> changes_{0};
    std::thread thread_;
};

// Calls of 64 and 512 frames with every stage busy, inside one block period.
TEST(ProcessingPathAllocations, ProcessAllocatesNothingWhileSettingsChange)
{
    Rig rig;
    engine::ProcessingPath& p = *rig.path;
    p.setHighPassEnabled(1.0f);
    p.setLowPassEnabled(1.0f);
    p.setBalanceEnabled(1.0f);
    p.setPseudoStereo(1);

    const pathtest::Stereo in = pathtest::noise(512, 5);
    pathtest::Stereo out = pathtest::silence(512);
    Counts steady;
    {
        SettingsChanger changer(p);
        int position = 0;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (int call = 0;; ++call) {
            const int frames = call % 2 ? 64 : 512;
            if (position + frames >= kLatency) {
                if (changer.changes() >= SettingsChanger::kGrowthSteps + 5)
                    break;
                // Let the changer get through its growth steps before the period ends.
                ASSERT_TRUE(std::chrono::steady_clock::now() < giveUp) << "the settings thread is stuck";
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            const testsupport::AllocationScope scope;
            p.process(in.left.data(), in.right.data(), out.left.data(), out.right.data(), frames);
            steady.allocations += scope.counts().allocations;
            steady.frees += scope.counts().frees;
            ++steady.calls;
            position += frames;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    }

    EXPECT_EQ(p.preDelay().capacity(), engine::PreDelayLine::kMaxDelayFrames);
    EXPECT_GT(steady.calls, 200);
    EXPECT_EQ(steady.allocations, 0);
    EXPECT_EQ(steady.frees, 0);
}

// The call that completes a block, and a call that ends a partition of the
// convolution's work, allocate nothing and start no threads.
TEST(ProcessingPathAllocations, CallThatCompletesABlockAllocatesNothing)
{
    Rig rig;
    engine::ProcessingPath& p = *rig.path;
    const pathtest::Stereo in = pathtest::noise(kLatency, 9);
    pathtest::Stereo out = pathtest::silence(kLatency);
    p.process(in.left.data(), in.right.data(), out.left.data(), out.right.data(), kLatency - 1);
    for (const int frames : {1, engine::ConvolutionEngine::kPartitionFrames}) {
        const testsupport::AllocationScope scope;
        const testsupport::ThreadStartScope threads;
        p.process(in.left.data(), in.right.data(), out.left.data(), out.right.data(), frames);
        EXPECT_EQ(scope.counts().allocations, 0) << frames;
        EXPECT_EQ(scope.counts().frees, 0) << frames;
        EXPECT_EQ(threads.starts(), 0) << frames;
    }
}

} // namespace
