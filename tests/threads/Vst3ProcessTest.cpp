// The VST 3 component's process call on the audio thread: a host automating
// every setting inside its calls (points at frames within each call, so that
// the call is cut and each change made between the pieces), with the actions
// and the program selector in the queues too, allocates, locks and waits for
// nothing and starts no thread, while new kernels reach the audio thread.
#include "core/Reverb.h"
#include "ir/IRData.h"
#include "params/ParameterTable.h"
#include "support/AllocationCounter.h"
#include "support/FakeDesktop.h"
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"
#include "support/ThreadStartCounter.h"
#include "threads/WaitCounter.h"
#include "vst3plugin/ParameterList.h"
#include "vst3plugin/ReverbComponent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vst3;

namespace {

constexpr int kBlock = 512;
constexpr long kLatency = 65536;

// A host's queues for one call, made before the call: reading them allocates nothing.
class Queue final : public IParamValueQueue {
public:
    tresult RVB_VST3_CALL queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 RVB_VST3_CALL addRef() override { return 1; }
    uint32 RVB_VST3_CALL release() override { return 1; }
    ParamID RVB_VST3_CALL getParameterId() override { return id; }
    int32 RVB_VST3_CALL getPointCount() override { return count; }
    tresult RVB_VST3_CALL getPoint(int32 index, int32& offset, ParamValue& value) override
    {
        if (index < 0 || index >= count)
            return kInvalidArgument;
        offset = offsets[index];
        value = values[index];
        return kResultOk;
    }
    tresult RVB_VST3_CALL addPoint(int32, ParamValue, int32&) override { return kNotImplemented; }

    ParamID id = 0;
    int32 count = 0;
    int32 offsets[2] = {};
    ParamValue values[2] = {};
};

class Changes final : public IParameterChanges {
public:
    tresult RVB_VST3_CALL queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 RVB_VST3_CALL addRef() override { return 1; }
    uint32 RVB_VST3_CALL release() override { return 1; }
    int32 RVB_VST3_CALL getParameterCount() override { return static_cast<int32>(queues.size()); }
    IParamValueQueue* RVB_VST3_CALL getParameterData(int32 index) override { return &queues[static_cast<size_t>(index)]; }
    IParamValueQueue* RVB_VST3_CALL addParameterData(const ParamID&, int32&) override { return nullptr; }

    std::vector<Queue> queues;
};

} // namespace

TEST(Vst3Process, AutomationInsideTheCallsAllocatesLocksAndWaitsForNothing)
{
    ASSERT_TRUE(testsupport::allocationCountingAvailable());
    reliability::FakeDesktop desktop;
    testsupport::TempDir dir("vst3alloc");
    const std::string ir = dir.path() + "/room.wav";
    ASSERT_TRUE(reliability::writeWav(ir, reliability::decayingNoiseIR(20000, 1, 44100), 1, 44100));

    auto* component = new vst3plugin::ReverbComponent(vst3plugin::Edition::Standard);
    IAudioProcessor* processor = component;
    ProcessSetup setup{kRealtime, kSample32, kBlock, 44100.0};
    ASSERT_EQ(processor->setupProcessing(setup), kResultOk);
    ASSERT_EQ(component->reverb().takeIRFile(ir), 0);
    static_cast<IComponent*>(component)->setActive(1);
    processor->setProcessing(1);

    std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
    reliability::Noise noise(3u);
    noise.fill(inL.data(), kBlock);
    noise.fill(inR.data(), kBlock);
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    AudioBusBuffers inBus{}, outBus{};
    inBus.numChannels = outBus.numChannels = 2;
    inBus.channelBuffers32 = in;
    outBus.channelBuffers32 = out;
    Changes changes;
    ProcessData data{};
    data.processMode = kRealtime;
    data.symbolicSampleSize = kSample32;
    data.numSamples = kBlock;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    data.inputParameterChanges = &changes;

    // Warm-up: a whole block period, so that everything made on first use exists.
    for (long f = 0; f < kLatency; f += kBlock)
        processor->process(data);
    component->reverb().finishPendingWork();
    const long buildsBefore = component->reverb().irData().kernelBuilds();

    // Every setting, the bypass kept processing, two points each at its own
    // frames; the actions and the program selector, which the audio thread leaves alone.
    std::vector<ParamID> ids;
    for (int i = 0; i < vst3plugin::parameterCount(); ++i)
        ids.push_back(vst3plugin::parameterIdAt(i));
    changes.queues.resize(ids.size());
    testsupport::AllocationCounts allocations;
    threadtest::WaitCounts waits;
    long threadStarts = 0;
    long calls = 0;
    for (long f = 0; f < 3 * kLatency; f += kBlock, ++calls) {
        for (size_t q = 0; q < ids.size(); ++q) {
            Queue& queue = changes.queues[q];
            queue.id = ids[q];
            queue.count = 2;
            for (int p = 0; p < 2; ++p) {
                queue.offsets[p] = static_cast<int32>((q * 29 + static_cast<size_t>(p) * 200) % kBlock);
                queue.values[p] = static_cast<double>((calls * 3 + static_cast<long>(q) * 17 + p * 50) % 200) / 199.0;
            }
            if (queue.offsets[1] < queue.offsets[0])
                std::swap(queue.offsets[0], queue.offsets[1]);
            if (ids[q] == param::kBypassLocal)
                queue.values[0] = queue.values[1] = 0.0;  // the host's bypass off
            if (ids[q] == vst3plugin::kProgramParameterId)
                queue.values[1] = 1.0;
        }
        const testsupport::AllocationScope allocationScope;
        const threadtest::WaitScope waitScope;
        const testsupport::ThreadStartScope threadScope;
        processor->process(data);
        allocations += allocationScope.counts();
        waits += waitScope.counts();
        threadStarts += threadScope.starts();
    }
    component->reverb().finishPendingWork();
    EXPECT_GT(component->reverb().irData().kernelBuilds(), buildsBefore) << "no kernel reached the audio thread meanwhile";
    // The queued changes were made: the last call's last values are in force.
    const Queue& wet = changes.queues[static_cast<size_t>(param::kWetLevel - 1)];
    EXPECT_EQ(component->reverb().getParameter(param::kWetLevel), static_cast<float>(wet.values[1]));
    EXPECT_EQ(component->reverb().currentProgram(), 0);
    EXPECT_EQ(allocations.allocations, 0);
    EXPECT_EQ(allocations.frees, 0);
    EXPECT_EQ(waits.lockCalls, 0);
    EXPECT_EQ(waits.waits(), 0);
    EXPECT_EQ(threadStarts, 0);

    processor->setProcessing(0);
    static_cast<IComponent*>(component)->setActive(0);
    static_cast<IComponent*>(component)->release();
}
