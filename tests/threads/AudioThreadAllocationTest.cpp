// The audio thread never allocates or frees in steady state: the whole effect,
// through its effect record, with an IR loaded and every stage busy, while
// another thread changes parameters (gains, filters, pre-delay growth, kernel
// rebuilds) during the calls. Nor when the host automates every parameter on
// the audio thread itself, between its calls: then it also never locks,
// waits or starts a thread.
#include "ir/IRData.h"
#include "shell/DOvu.h"
#include "params/ParameterTable.h"
#include "params/PathParams.h"
#include "support/AllocationCounter.h"
#include "support/FakeDesktop.h"
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"
#include "support/ThreadStartCounter.h"
#include "threads/WaitCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kBlock = 512;
constexpr long kLatency = 65536;

vst::IntPtr quietHost(vst::AEffect*, vst::Int32 opcode, vst::Int32, vst::IntPtr, void*, float)
{
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

struct CallCounts {
    long calls = 0;
    long allocations = 0;
    long frees = 0;
    long callsWithChanges = 0;
};

// Keeps changing parameters until told to stop; counts the changes so that
// the audio side can tell which of its calls overlapped one.
class ParameterChanger {
public:
    // With rebuilds, a shaping knob moves now and then too, so that new kernels
    // reach the audio thread.
    ParameterChanger(vst::AEffect* record, bool withRebuilds)
        : record_(record), withRebuilds_(withRebuilds), thread_([this] { run(); })
    {
    }
    ~ParameterChanger() { stop(); }
    void stop()
    {
        stop_.store(true);
        if (thread_.joinable())
            thread_.join();
    }
    long changes() const { return changes_.load(); }

private:
    void run()
    {
        const int ids[] = {param::kWetLevel, param::kDryLevel, param::kStWidth, param::kStBalance,
                           param::kStInputs, param::kHPF, param::kLPF, param::kBAL, param::kEnabledHPF,
                           param::kEnabledLPF, param::kEnabledBAL, param::kPreDelay, param::kWetPlus12dB,
                           param::kBypassLocal};
        for (unsigned k = 0; !stop_.load(); ++k) {
            const bool rebuild = withRebuilds_ && k % 64 == 63;
            const int id = rebuild ? param::kGate : ids[k % (sizeof ids / sizeof ids[0])];
            float value = static_cast<float>((k * 37u) % 101u) / 100.0f;
            if (id == param::kBypassLocal)
                value = 1.0f;
            record_->setParameter(record_, id, value);
            changes_.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }

    vst::AEffect* record_;
    const bool withRebuilds_;
    std::atomic<bool> stop_{false};
    std::atomic<long> changes_{0};
    std::thread thread_;
};

class AudioThreadAllocationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::allocationCountingAvailable());
        dir = testsupport::makeTempDir("alloc");
        const std::string ir = dir + "/room.wav";
        ASSERT_TRUE(reliability::writeWav(ir, reliability::decayingNoiseIR(20000, 1, 44100), 1, 44100));
        effect = new DOvu(&quietHost, edition());
        record = effect->getAeffect();
        record->dispatcher(record, vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
        record->dispatcher(record, vst::effMainsChanged, 0, 1, nullptr, 0.0f);
        float values[param::kPathCount] = {};
        ASSERT_TRUE(param::encodePathToParams(ir.c_str(), values));
        for (int k = 0; k < param::kPathCount; ++k)
            record->setParameter(record, param::kPathFirst + k, values[k]);
        record->setParameter(record, param::kPathCommit, 1.0f);
        for (int id : {param::kEnabledHPF, param::kEnabledLPF, param::kEnabledBAL})
            record->setParameter(record, id, 1.0f);
        record->setParameter(record, param::kStWidth, 0.8f);  // mono IR: pseudo-stereo ring in use
        record->setParameter(record, param::kPreDelay, 0.3f);
        inL.resize(kBlock);
        inR.resize(kBlock);
        outL.resize(kBlock);
        outR.resize(kBlock);
        reliability::Noise noise(3u);
        noise.fill(inL.data(), kBlock);
        noise.fill(inR.data(), kBlock);
    }
    void TearDown() override
    {
        if (record)
            record->dispatcher(record, vst::effClose, 0, 0, nullptr, 0.0f);
        testsupport::removeTempDir(dir);
    }
    virtual engine::Edition edition() const { return engine::Edition::Standard; }

    // An automating host: every id from "Bypass (local)" to "DryLevel" set on
    // the audio thread before every call, as a lane of automation per
    // parameter. Counted around the settings and the call together, over three
    // block periods, so that new kernels from the shaping knobs reach the
    // audio thread meanwhile.
    void automateEveryParameter()
    {
        warmUp();
        // counted once the warm-up's own rebuilds are done
        effect->finishPendingWork();
        const long buildsBefore = effect->irData().kernelBuilds();
        testsupport::AllocationCounts allocations;
        threadtest::WaitCounts waits;
        long threadStarts = 0;
        long calls = 0;
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        for (long f = 0; f < 3 * kLatency; f += kBlock, ++calls) {
            const testsupport::AllocationScope allocationScope;
            const threadtest::WaitScope waitScope;
            const testsupport::ThreadStartScope threadScope;
            for (int id = param::kBypassLocal; id <= param::kDryLevel; ++id) {
                // a slow ramp per parameter, each with its own phase
                const float value = static_cast<float>((calls * 3 + id * 17) % 200) / 199.0f;
                record->setParameter(record, id, id == param::kBypassLocal ? 1.0f : value);
            }
            record->processReplacing(record, in, out, kBlock);
            allocations += allocationScope.counts();
            waits += waitScope.counts();
            threadStarts += threadScope.starts();
        }
        effect->finishPendingWork();
        EXPECT_GT(effect->irData().kernelBuilds(), buildsBefore) << "no kernel reached the audio thread meanwhile";
        EXPECT_EQ(allocations.allocations, 0);
        EXPECT_EQ(allocations.frees, 0);
        EXPECT_EQ(waits.lockCalls, 0);
        EXPECT_EQ(waits.waits(), 0);
        EXPECT_EQ(threadStarts, 0);
}

    // One call, counted on this (the audio) thread.
    void call(CallCounts& counts, const ParameterChanger* changer)
    {
        const long changesBefore = changer ? changer->changes() : 0;
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        const testsupport::AllocationScope scope;
        record->processReplacing(record, in, out, kBlock);
        const testsupport::AllocationCounts c = scope.counts();
        counts.allocations += c.allocations;
        counts.frees += c.frees;
        ++counts.calls;
        if (changer && changer->changes() != changesBefore)
            ++counts.callsWithChanges;
        position += kBlock;
    }
    bool nextCallCompletesABlock() const { return (position % kLatency) + kBlock >= kLatency; }

    // Warm-up: a whole block period and its block step, so that everything
    // made on first use exists.
    void warmUp()
    {
        CallCounts ignored;
        for (long f = 0; f < kLatency; f += kBlock)
            call(ignored, nullptr);
    }

    reliability::FakeDesktop desktop;
    std::string dir;
    DOvu* effect = nullptr;
    vst::AEffect* record = nullptr;
    std::vector<float> inL, inR, outL, outR;
    long position = 0;
};

TEST_F(AudioThreadAllocationTest, CountingSeesAnAllocation)
{
    const testsupport::AllocationScope scope;
    std::vector<float>* volatile probe = new std::vector<float>(16);
    delete probe;
    EXPECT_EQ(scope.counts().allocations, 2);
    EXPECT_EQ(scope.counts().frees, 2);
}

// Every call inside a block period, with parameters changing on another thread.
// Runs until enough calls have overlapped a change (at most six block periods).
TEST_F(AudioThreadAllocationTest, CallsBetweenBlockBoundariesAllocateNothing)
{
    warmUp();
    CallCounts steady;
    {
        ParameterChanger changer(record, false);
        for (long f = 0; f < 6 * kLatency && (steady.callsWithChanges < 50 || steady.calls < 300); f += kBlock) {
            if (nextCallCompletesABlock()) {
                CallCounts boundary;
                call(boundary, nullptr);
                continue;
            }
            call(steady, &changer);
        }
    }
    EXPECT_GT(steady.calls, 200);
    EXPECT_GE(steady.callsWithChanges, 20) << "the parameter changes did not overlap the calls";
    EXPECT_EQ(steady.allocations, 0);
    EXPECT_EQ(steady.frees, 0);
}

// New kernels reaching the audio thread while it runs, and the calls that
// complete a block period, where a block engine would run its whole
// convolution.
TEST_F(AudioThreadAllocationTest, KernelChangesAndBlockBoundariesAllocateNothing)
{
    warmUp();
    CallCounts boundary, between;
    long kernelChanges = 0;
    {
        ParameterChanger changer(record, true);
        // Three block periods at least, and on until a rebuild has happened
        // (calls are fast: three periods may pass before the first one).
        for (long f = 0; f < 3 * kLatency || (changer.changes() < 2 * 64 && f < 60 * kLatency); f += kBlock)
            call(nextCallCompletesABlock() ? boundary : between, &changer);
        kernelChanges = changer.changes() / 64;
    }
    ASSERT_GE(boundary.calls, 3);
    EXPECT_GT(kernelChanges, 0) << "no kernel was rebuilt meanwhile";
    EXPECT_EQ(boundary.allocations, 0);
    EXPECT_EQ(boundary.frees, 0);
    EXPECT_EQ(between.allocations, 0);
    EXPECT_EQ(between.frees, 0);
}

TEST_F(AudioThreadAllocationTest, AutomationOnTheAudioThreadAllocatesLocksAndWaitsForNothing)
{
    automateEveryParameter();
}

// The zero-latency engine under the same automation.
class LiveAudioThreadAllocationTest : public AudioThreadAllocationTest {
protected:
    engine::Edition edition() const override { return engine::Edition::Live; }
};

TEST_F(LiveAudioThreadAllocationTest, AutomationOnTheAudioThreadAllocatesLocksAndWaitsForNothing)
{
    automateEveryParameter();
}

} // namespace
