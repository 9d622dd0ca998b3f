// A host automating on its audio thread while the user works the editor on
// another.
#include "editor/SDEditor.h"
#include "ir/IRData.h"
#include "params/ParameterTable.h"
#include "shell/DOvu.h"
#include "support/ReliabilityKit.h"
#include "support/RenderKit.h"
#include "support/TestSupport.h"
#include "threads/WaitCounter.h"
#include "toolkit/CControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBlock = 256;

// Waits of each kind, added up over many counted stretches.
void add(threadtest::WaitCounts& total, const threadtest::WaitCounts& c)
{
    total.lockCalls += c.lockCalls;
    total.contendedLocks += c.contendedLocks;
    total.conditionWaits += c.conditionWaits;
    total.sleeps += c.sleeps;
}

class AutomationWithEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("automation-editor");
        const std::string ir = dir + "/hall.wav";
        ASSERT_TRUE(reliability::writeWav(ir, reliability::decayingNoiseIR(30000, 2, 48000), 2, 48000));
        effect = renderkit::restoredEffect(&renderkit::realtimeHost, 48000.0f, renderkit::savedState(ir));
        record = effect->getAeffect();
        ASSERT_TRUE(effect->irData().loaded());
        in.assign(2 * kBlock, 0.0f);
        out.assign(2 * kBlock, 0.0f);
        noise.fill(in.data(), 2 * kBlock, 0.25f);
    }
    void TearDown() override
    {
        effect.reset();
        testsupport::removeTempDir(dir);
    }

    vst::IntPtr dispatch(vst::Int32 opcode, vst::Int32 index = 0, vst::IntPtr value = 0, void* ptr = nullptr,
                         float opt = 0.0f)
    {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }

    // One host cycle: a value for every id from "Bypass (local)" to
    // "DryLevel", then a call.
    void automateAndProcess(long cycle)
    {
        for (int id = param::kBypassLocal; id <= param::kDryLevel; ++id) {
            const float value = static_cast<float>((cycle * 7 + id * 13) % 100) / 99.0f;
            record->setParameter(record, id, id == param::kBypassLocal ? 1.0f : value);
        }
        float* inputs[2] = {in.data(), in.data() + kBlock};
        float* outputs[2] = {out.data(), out.data() + kBlock};
        record->processReplacing(record, inputs, outputs, kBlock);
        check.add(out.data(), 2 * kBlock);
    }

    std::string dir;
    renderkit::Effect effect;
    vst::AEffect* record = nullptr;
    std::vector<float> in, out;
    reliability::Noise noise{11u};
    reliability::OutputCheck check;
};

// The counters themselves: each kind of wait shows up.
TEST(WaitCounter, SeesContendedLocksConditionWaitsAndSleeps)
{
    std::mutex mutex;
    std::condition_variable condition;
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread holder([&] {
        std::lock_guard<std::mutex> lock(mutex);
        held = true;
        while (!release)
            std::this_thread::yield();
    });
    while (!held)
        std::this_thread::yield();
    const threadtest::WaitScope scope;
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        release = true;
    });
    { std::lock_guard<std::mutex> lock(mutex); }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    {
        std::unique_lock<std::mutex> lock(mutex);
        condition.wait_for(lock, std::chrono::milliseconds(1));
    }
    const threadtest::WaitCounts counts = scope.counts();
    holder.join();
    releaser.join();
    EXPECT_GE(counts.lockCalls, 2);
    EXPECT_GE(counts.contendedLocks, 1);
    EXPECT_GE(counts.conditionWaits, 1);
    EXPECT_GE(counts.sleeps, 1);
}

// The user works the editor on its thread: it opens, its controls are moved
// (each gesture an automated change of its own), it idles and closes, again
// and again. The host automates every parameter on this thread meanwhile. Not
// one of those changes, nor the calls between them, takes a lock or waits,
// whatever the editor is doing at the moment; under ThreadSanitizer, nothing
// races.
TEST_F(AutomationWithEditorTest, TheEditorNeverHoldsUpAutomationOnTheAudioThread)
{
    std::atomic<bool> stop{false};
    std::atomic<bool> openingOrClosing{false};
    std::atomic<long> editorCycles{0};
    std::atomic<long> gestures{0};
    std::thread editorThread([&] {
        std::mt19937 rng(5u);
        std::uniform_int_distribution<int> ids(param::kBypassLocal + 1, param::kDryLevel);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        SDEditor* editor = effect->editor();
        while (!stop.load()) {
            openingOrClosing = true;
            dispatch(vst::effEditOpen);
            openingOrClosing = false;
            for (int i = 0; i < 20; ++i) {
                if (CControl* control = editor->getControl(ids(rng))) {
                    control->setValue(unit(rng));
                    editor->valueChanged(nullptr, control);
                    ++gestures;
                }
                dispatch(vst::effEditIdle);
            }
            openingOrClosing = true;
            dispatch(vst::effEditClose);
            openingOrClosing = false;
            ++editorCycles;
        }
    });

    // Processing runs before the counting starts, as in a host: the effect
    // knows its audio thread from its first call on.
    automateAndProcess(0);
    threadtest::WaitCounts waits;
    long overlapping = 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
    for (long cycle = 1; editorCycles.load() < 3 && Clock::now() < deadline; ++cycle) {
        const bool editorWasBusy = openingOrClosing.load();
        const threadtest::WaitScope scope;
        automateAndProcess(cycle);
        add(waits, scope.counts());
        if (editorWasBusy && openingOrClosing.load())
            ++overlapping;
    }
    stop = true;
    editorThread.join();
    effect->finishPendingWork();

    std::cout << "[          ] " << overlapping << " cycles while the editor opened or closed, "
              << gestures.load() << " gestures\n";
    EXPECT_GE(editorCycles.load(), 3);
    EXPECT_GT(overlapping, 20) << "the changes did not meet the editor opening or closing";
    EXPECT_EQ(waits.lockCalls, 0);
    EXPECT_EQ(waits.waits(), 0) << waits.contendedLocks << " contended locks, " << waits.conditionWaits
                                << " condition waits, " << waits.sleeps << " sleeps";
    EXPECT_TRUE(check.clean()) << check.describe();
    EXPECT_GT(check.energy, 0.0);
}

} // namespace
