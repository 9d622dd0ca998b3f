// A step of a tone-filter setting while audio runs, through the built plug-in
// as a host meets it: the output around the step is compared with what the old
// and the new setting give in steady state for the very same input (two more
// renders, one with each setting from the start). The old behaviour rang out
// with the new poles from the old filter's state: +19 dBFS from -20 dBFS noise
// for a high-pass from 8 kHz to 20 Hz, +41 dBFS for the tilt from +12 to -12 dB.
#include "host/IRLoadCheck.h"
#include "host/PluginHost.h"
#include "params/ParameterTable.h"
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kBlock = 512;
constexpr int kLatency = 65536;
// The step comes half a second into the wet signal, on a block boundary.
constexpr long kStep = kLatency + 46 * kBlock;
// The old filters rang for hundreds of frames after the step; 100 ms covers it.
constexpr long kTransition = 4800;
constexpr long kTotal = kStep + 32 * kBlock;  // a third of a second after the step
constexpr float kNoiseAmplitude = 0.1f;  // -20 dBFS

struct Setting {
    int id;
    double real;
};
using Settings = std::vector<Setting>;

enum class StepBy { Parameters, ProgramChange };

double decibels(double x) { return 20.0 * std::log10(x); }

class FilterStepTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("filterstep");
        irPath = dir + "/unit.wav";
        // One frame of 1 on both channels: the wet signal is the input, one frame late.
        ASSERT_TRUE(reliability::writeWav(irPath, {1.0f, 1.0f}, 2, kRate));
    }
    void TearDown() override { testsupport::removeTempDir(dir); }

    // Left and right output of one render. `after` is applied at kStep, by
    // setParameter or by selecting program 1 that holds it; empty: no step.
    struct Render {
        std::vector<float> left, right;
    };
    Render render(const Settings& start, const Settings& after, StepBy by)
    {
        PluginHost host;
        EXPECT_TRUE(host.load(RVB_PLUGIN_PATH)) << host.error();
        // Offline, so that every change is in force from the call after it was
        // made, however the plug-in spreads its work over threads.
        host.setProcessLevel(PluginHost::kProcessLevelOffline);
        host.start(static_cast<float>(kRate), kBlock);
        auto set = [&](const Settings& settings) {
            for (const Setting& s : settings)
                host.setParameter(s.id, static_cast<float>(param::toNormalisedValue(s.real, s.id)));
        };
        auto prepare = [&](const Settings& settings) {
            std::string error;
            EXPECT_TRUE(commitIRPath(host, irPath, error)) << error;
            host.setParameter(param::kStInputs, 1.0f);  // channels kept apart
            host.setParameter(param::kDryLevel, 0.0f);  // only the wet signal is heard
            set(settings);
        };
        if (by == StepBy::ProgramChange) {
            // Program 1 holds the settings after the step, program 0 those before.
            host.dispatch(vst::effSetProgram, 0, 1);
            prepare(withChanges(start, after));
            host.dispatch(vst::effSetProgram, 0, 0);
        }
        prepare(start);

        reliability::Noise noise(99u);
        Render out;
        std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
        for (long done = 0; done < kTotal; done += kBlock) {
            if (done == kStep && !after.empty()) {
                if (by == StepBy::ProgramChange)
                    host.dispatch(vst::effSetProgram, 0, 1);
                else
                    set(after);
            }
            noise.fill(inL.data(), kBlock, kNoiseAmplitude);
            noise.fill(inR.data(), kBlock, kNoiseAmplitude);
            float* in[2] = {inL.data(), inR.data()};
            float* outs[2] = {outL.data(), outR.data()};
            host.processReplacing(in, outs, kBlock);
            out.left.insert(out.left.end(), outL.begin(), outL.end());
            out.right.insert(out.right.end(), outR.begin(), outR.end());
        }
        return out;
    }

    static float peak(const Render& r, long from, long to)
    {
        float p = 0.0f;
        for (long i = from; i < to; ++i)
            p = std::max({p, std::fabs(r.left[static_cast<size_t>(i)]), std::fabs(r.right[static_cast<size_t>(i)])});
        return p;
    }

    static float largestDifference(const Render& a, const Render& b, long from, long to)
    {
        float d = 0.0f;
        for (long i = from; i < to; ++i) {
            const size_t k = static_cast<size_t>(i);
            d = std::max({d, std::fabs(a.left[k] - b.left[k]), std::fabs(a.right[k] - b.right[k])});
        }
        return d;
    }

    // The step against the two steady states: identical before it, no peak
    // above theirs around it, and the new setting alone once the change is over.
    void expectNoBang(const Settings& before, const Settings& after, StepBy by = StepBy::Parameters)
    {
        const Render oldSteady = render(before, {}, StepBy::Parameters);
        const Render newSteady = render(withChanges(before, after), {}, StepBy::Parameters);
        const Render stepped = render(before, after, by);
        checkAgainst(oldSteady, newSteady, stepped);
    }

    static Settings withChanges(Settings settings, const Settings& changes)
    {
        settings.insert(settings.end(), changes.begin(), changes.end());
        return settings;
    }

    void checkAgainst(const Render& oldSteady, const Render& newSteady, const Render& stepped)
    {
        ASSERT_EQ(stepped.left.size(), static_cast<size_t>(kTotal));
        EXPECT_EQ(largestDifference(stepped, oldSteady, 0, kStep), 0.0f) << "the render differs before the step";

        const float steadyPeak = std::max(peak(oldSteady, kStep, kStep + kTransition),
                                          peak(newSteady, kStep, kStep + kTransition));
        const float steppedPeak = peak(stepped, kStep, kStep + kTransition);
        ASSERT_GT(steadyPeak, 0.0f) << "no wet signal";
        EXPECT_LE(decibels(steppedPeak / steadyPeak), 0.1)
            << "peak around the step " << decibels(steppedPeak) << " dBFS, steady states at most "
            << decibels(steadyPeak) << " dBFS";

        // Settled: the new setting, up to what the new filter's start leaves.
        const float settledPeak = peak(newSteady, kStep + kTransition, kTotal);
        EXPECT_LE(largestDifference(stepped, newSteady, kStep + kTransition, kTotal), 1e-3f * settledPeak);
    }

    std::string dir;
    std::string irPath;
};

TEST_F(FilterStepTest, HighPassFrom8kHzTo20Hz)
{
    expectNoBang({{param::kEnabledHPF, 1.0}, {param::kHPF, 8000.0}}, {{param::kHPF, 20.0}});
}

TEST_F(FilterStepTest, LowPassBothWays)
{
    expectNoBang({{param::kEnabledLPF, 1.0}, {param::kLPF, 20000.0}}, {{param::kLPF, 200.0}});
    expectNoBang({{param::kEnabledLPF, 1.0}, {param::kLPF, 200.0}}, {{param::kLPF, 20000.0}});
}

TEST_F(FilterStepTest, TiltFromPlus12ToMinus12dB)
{
    expectNoBang({{param::kEnabledBAL, 1.0}, {param::kBAL, 12.0}}, {{param::kBAL, -12.0}});
}

TEST_F(FilterStepTest, SwitchesOnAndOff)
{
    expectNoBang({{param::kEnabledLPF, 0.0}, {param::kLPF, 200.0}}, {{param::kEnabledLPF, 1.0}});
    expectNoBang({{param::kEnabledBAL, 1.0}, {param::kBAL, 12.0}}, {{param::kEnabledBAL, 0.0}});
}

TEST_F(FilterStepTest, ProgramChangeOfEveryFilter)
{
    expectNoBang({{param::kEnabledHPF, 1.0}, {param::kHPF, 8000.0}, {param::kEnabledLPF, 1.0},
                  {param::kLPF, 20000.0}, {param::kEnabledBAL, 1.0}, {param::kBAL, 12.0}},
                 {{param::kHPF, 20.0}, {param::kLPF, 2000.0}, {param::kBAL, -12.0}}, StepBy::ProgramChange);
}

} // namespace
