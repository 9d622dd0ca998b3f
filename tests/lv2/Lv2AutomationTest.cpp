// What a host's automation asks of run(): no allocation on the audio thread
// while every control port moves and files are chosen, and, while the host
// free-wheels, renders that are the same on every run.
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestKit.h"
#include "lv2/PortLayout.h"
#include "support/AllocationCounter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using namespace lv2test;

constexpr int kRate = 48000;

// Port values that differ from one step to the next for every control port,
// within each port's range (shaping ones included, so kernels are rebuilt).
float automationValue(int port, int step)
{
    const lv2plugin::ParameterPort& p = lv2plugin::kParameterPorts[port];
    const param::ParameterRecord& record = param::findControl(p.id);
    if (p.toggle)
        return p.id == param::kBypassLocal ? 1.0f : static_cast<float>(step % 2);
    const double position = 0.15 + 0.7 * ((step * 7 + port * 3) % 11) / 10.0;
    return static_cast<float>(record.minimum + position * (record.maximum - record.minimum));
}

class Lv2AutomationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("lv2-automation");
        irA = dir + "/a.wav";
        irB = dir + "/b.wav";
        writeNoiseIR(irA, 40000, 44100, 21);
        writeNoiseIR(irB, 9000, 48000, 22);
    }
    void TearDown() override { testsupport::removeTempDir(dir); }

    Lv2TestHost host;
    std::string dir;
    std::string irA;
    std::string irB;
};

TEST_F(Lv2AutomationTest, RunAllocatesNothingWhileEveryPortMovesAndFilesAreChosen)
{
    if (!testsupport::allocationCountingAvailable())
        GTEST_SKIP() << "this build cannot count allocations";
    Lv2TestInstance instance(host, kRate, TestWorker::Mode::Threaded);
    ASSERT_TRUE(instance.valid());
    instance.sendIRFile(irA);
    instance.run(0);
    instance.worker().waitUntilIdle();

    const Stereo input = noise(Lv2TestInstance::kMaxBlock, 4);
    std::copy(input.left.begin(), input.left.end(), instance.in(0));
    std::copy(input.right.begin(), input.right.end(), instance.in(1));
    long allocations = 0;
    long frees = 0;
    const int blocks[] = {64, 1, 128, 511, 64, 2048, 64};
    for (int step = 0; step < 600; ++step) {
        // one port per call, every port many times, as an automation lane sweeps
        const int port = step % lv2plugin::kParameterPortCount;
        instance.port(lv2plugin::kParameterPorts[port].symbol) = automationValue(port, step / 3);
        if (step % 150 == 75)
            instance.sendIRFile(step % 300 == 75 ? irB : irA);
        if (step % 40 == 0)
            instance.askForIRFile();
        const testsupport::AllocationCounts counts = instance.runCounted(blocks[step % 7]);
        allocations += counts.allocations;
        frees += counts.frees;
    }
    // The last file is reported once it loaded and two calls saw it.
    instance.worker().waitUntilIdle();
    for (int i = 0; i < 3; ++i) {
        const testsupport::AllocationCounts counts = instance.runCounted(64);
        allocations += counts.allocations;
        frees += counts.frees;
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(frees, 0);
    EXPECT_EQ(instance.worker().requestsRefused(), 0);
    ASSERT_FALSE(instance.reportedPaths().empty());
    EXPECT_EQ(instance.reportedPaths().back(), irA);
}

TEST_F(Lv2AutomationTest, FreeWheelingRendersWithAutomationAreExactAndIdenticalRunToRun)
{
    // While free-wheeling, every change must be in force from the call that
    // follows it, however far the effect's worker lags: the same changes at
    // the same frames then sound as in the VST plug-in rendering offline, and
    // the same on every run.
    const Stereo input = noise(65536 + 30000, 9);
    const int block = 256;
    std::vector<TimedSetting> vstChanges;
    Stereo renders[2];
    for (int run = 0; run < 2; ++run) {
        Stereo& out = renders[run];
        Lv2TestInstance instance(host, kRate, TestWorker::Mode::Synchronous);
        ASSERT_TRUE(instance.valid());
        instance.port("freewheel") = 1.0f;
        instance.sendIRFile(irA);
        out.left.assign(input.left.size(), 0.0f);
        out.right.assign(input.right.size(), 0.0f);
        for (std::size_t done = 0, step = 0; done < input.left.size(); ++step) {
            const int n = static_cast<int>(std::min<std::size_t>(block, input.left.size() - done));
            const long frame = static_cast<long>(done);
            // a change every 16 calls, and another file half-way
            if (step % 16 == 0 && step > 0) {
                const int port = static_cast<int>(step / 16) % lv2plugin::kParameterPortCount;
                const float value = automationValue(port, static_cast<int>(step));
                instance.port(lv2plugin::kParameterPorts[port].symbol) = value;
                const int id = lv2plugin::kParameterPorts[port].id;
                if (run == 0)
                    vstChanges.push_back({frame, id, static_cast<float>(param::toNormalisedValue(value, id))});
            }
            if (step == 200) {
                instance.sendIRFile(irB);
                if (run == 0)
                    for (const Setting& s : irFileSettings(irB))
                        vstChanges.push_back({frame, s.id, s.normalised});
            }
            std::copy_n(input.left.begin() + frame, n, instance.in(0));
            std::copy_n(input.right.begin() + frame, n, instance.in(1));
            instance.run(n);
            std::copy_n(instance.out(0), n, out.left.begin() + frame);
            std::copy_n(instance.out(1), n, out.right.begin() + frame);
            done += static_cast<std::size_t>(n);
        }
    }
    EXPECT_EQ(maxDifference(renders[0], renders[1]), 0.0f);
    EXPECT_GT(energy(renders[0]), 0.0);
    ASSERT_GT(vstChanges.size(), 20u);
    const Stereo reference = renderWithVst(irA, {}, kRate, block, input, vstChanges);
    EXPECT_EQ(maxDifference(renders[0], reference), 0.0f);
}

} // namespace
