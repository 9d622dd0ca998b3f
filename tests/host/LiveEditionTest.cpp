// The Live edition through its built module, against the standard module as
// the reference: zero latency reported, the dry signal undelayed and exact,
// the output the standard edition's advanced by its 65536 frames at every
// rate, the same stream for any call sizes, and a change of shape heard
// within 10 ms.
#include "host/IRLoadCheck.h"
#include "host/PluginHost.h"
#include "params/ParameterTable.h"
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr long kLatency = 65536;

struct Render {
    std::vector<float> left, right;
};

struct Setting {
    int id;
    double real;
};

class LiveEditionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("live");
        irPath = dir + "/hall.wav";
        ASSERT_TRUE(reliability::writeWav(irPath, reliability::decayingNoiseIR(40000, 2, 48000, 11u, 0.4), 2, 48000));
    }
    void TearDown() override { testsupport::removeTempDir(dir); }

    // A render of `frames` frames of noise (or of `input` when given) through
    // `plugin` at `rate`, offline, with the IR and `settings`, in calls whose
    // sizes `callSize` gives by call number; `change` is set before the call
    // that starts at frame `changeAt`.
    Render render(const char* plugin, float rate, long frames, const std::vector<Setting>& settings,
                  const std::function<int(long)>& callSize, const Setting* change = nullptr, long changeAt = -1,
                  const Render* input = nullptr)
    {
        PluginHost host;
        EXPECT_TRUE(host.load(plugin)) << host.error();
        host.setProcessLevel(PluginHost::kProcessLevelOffline);
        host.start(rate, 8192);
        std::string error;
        EXPECT_TRUE(commitIRPath(host, irPath, error)) << error;
        for (const Setting& s : settings)
            host.setParameter(s.id, static_cast<float>(param::toNormalisedValue(s.real, s.id)));
        host.dispatch(vst::effMainsChanged, 0, 0);
        host.dispatch(vst::effMainsChanged, 0, 1);

        Render in = input ? *input : Render{};
        if (!input) {
            reliability::Noise noise(21u);
            in.left.resize(static_cast<size_t>(frames));
            in.right.resize(static_cast<size_t>(frames));
            noise.fill(in.left.data(), static_cast<int>(frames), 0.25f);
            noise.fill(in.right.data(), static_cast<int>(frames), 0.25f);
        }
        Render out{std::vector<float>(static_cast<size_t>(frames)), std::vector<float>(static_cast<size_t>(frames))};
        std::vector<float> l, r;
        long call = 0;
        for (long at = 0; at < frames; ++call) {
            if (change && at == changeAt)
                host.setParameter(change->id, static_cast<float>(param::toNormalisedValue(change->real, change->id)));
            long n = std::min<long>(callSize(call), frames - at);
            if (change && at < changeAt)
                n = std::min(n, changeAt - at);
            l.assign(in.left.begin() + at, in.left.begin() + at + n);
            r.assign(in.right.begin() + at, in.right.begin() + at + n);
            float* inputs[2] = {l.data(), r.data()};
            float* outputs[2] = {out.left.data() + at, out.right.data() + at};
            host.processReplacing(inputs, outputs, static_cast<int>(n));
            at += n;
        }
        return out;
    }

    std::string dir;
    std::string irPath;
};

int fixed(long, int size) { return size; }

TEST_F(LiveEditionTest, TheModuleReportsZeroLatencyAndItsOwnIdentity)
{
    PluginHost live;
    ASSERT_TRUE(live.load(RVB_LIVE_PLUGIN_PATH)) << live.error();
    EXPECT_EQ(live.effect()->initialDelay, 0);
    EXPECT_EQ(live.effect()->uniqueID, vst::fourCharCode('2', '9', '1', 'L'));
    EXPECT_EQ(live.effectName(), "KS [TALU-01] Convolution Reverb Live");
    EXPECT_EQ(live.productString(), "REVERB Live");
    PluginHost standard;
    ASSERT_TRUE(standard.load(RVB_PLUGIN_PATH)) << standard.error();
    EXPECT_EQ(standard.effect()->initialDelay, kLatency);
    EXPECT_NE(standard.effect()->uniqueID, live.effect()->uniqueID);
    // Same parameters, so that a project saved with one restores in the other.
    for (int id = 0; id < param::kNumParams; ++id)
        EXPECT_EQ(live.parameterName(id), standard.parameterName(id)) << id;
}

TEST_F(LiveEditionTest, WithTheWetPathOffTheInputComesOutUndelayedAndExact)
{
    const Render out = render(RVB_LIVE_PLUGIN_PATH, 48000.0f, 20000, {{param::kBypassLocal, 0.0}},
                              [](long) { return 512; });
    reliability::Noise noise(21u);
    std::vector<float> l(20000), r(20000);
    noise.fill(l.data(), 20000, 0.25f);
    noise.fill(r.data(), 20000, 0.25f);
    EXPECT_EQ(out.left, l);
    EXPECT_EQ(out.right, r);
}

// The same settings through both modules: the Live output at frame t is the
// standard output at t + 65536, at each rate, pre-delay and tone included.
TEST_F(LiveEditionTest, TheOutputIsTheStandardEditionsAdvancedByItsLatencyAtEveryRate)
{
    const std::vector<Setting> settings = {{param::kPreDelay, 20.0}, {param::kEnabledLPF, 1.0},
                                           {param::kLPF, 6000.0},    {param::kStWidth, 1.4},
                                           {param::kStBalance, 0.2}, {param::kWetLevel, -3.0},
                                           {param::kDecay, 0.5}};
    for (float rate : {44100.0f, 48000.0f, 96000.0f, 192000.0f}) {
        SCOPED_TRACE(testing::Message() << rate << " Hz");
        const long frames = 40000;
        // One input for both; the standard module runs on through its latency.
        Render input{std::vector<float>(static_cast<size_t>(frames + kLatency)),
                     std::vector<float>(static_cast<size_t>(frames + kLatency))};
        reliability::Noise noise(5u);
        noise.fill(input.left.data(), static_cast<int>(frames), 0.25f);
        noise.fill(input.right.data(), static_cast<int>(frames), 0.25f);
        const Render live = render(RVB_LIVE_PLUGIN_PATH, rate, frames, settings, [](long) { return 1024; }, nullptr,
                                   -1, &input);
        const Render standard = render(RVB_PLUGIN_PATH, rate, frames + kLatency, settings,
                                       [](long) { return 1024; }, nullptr, -1, &input);
        float worst = 0.0f, peak = 0.0f;
        for (long t = 0; t < frames; ++t) {
            const size_t a = static_cast<size_t>(t), b = static_cast<size_t>(t + kLatency);
            worst = std::max({worst, std::fabs(live.left[a] - standard.left[b]),
                              std::fabs(live.right[a] - standard.right[b])});
            peak = std::max(peak, std::fabs(live.left[a]));
        }
        EXPECT_GT(peak, 0.05f);
        EXPECT_LE(worst, 1e-6f);
    }
}

TEST_F(LiveEditionTest, AnyCallSizesGiveTheSameStream)
{
    const std::vector<Setting> settings = {{param::kPreDelay, 7.0}};
    const long frames = 50000;
    const Render reference = render(RVB_LIVE_PLUGIN_PATH, 48000.0f, frames, settings, [](long) { return 64; });
    for (int size : {1, 7, 100, 512, 4096, 8192}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(render(RVB_LIVE_PLUGIN_PATH, 48000.0f, frames, settings, [&](long c) { return fixed(c, size); })
                      .left,
                  reference.left);
    }
    const int mix[] = {1, 300, 17, 4096, 64, 999, 2, 8192, 5};
    const Render irregular =
        render(RVB_LIVE_PLUGIN_PATH, 48000.0f, frames, settings, [&](long c) { return mix[c % 9]; });
    EXPECT_EQ(irregular.left, reference.left);
    EXPECT_EQ(irregular.right, reference.right);
}

// A Decay change in an offline render is heard within 480 frames (10 ms at
// 48 kHz) of the frame it was made at.
TEST_F(LiveEditionTest, AChangeOfShapeIsHeardWithinTenMilliseconds)
{
    const long frames = 60000;
    const long at = 30000;
    const Setting decay{param::kDecay, 0.1};
    const Render plain = render(RVB_LIVE_PLUGIN_PATH, 48000.0f, frames, {}, [](long) { return 256; });
    const Render changed =
        render(RVB_LIVE_PLUGIN_PATH, 48000.0f, frames, {}, [](long) { return 256; }, &decay, at);
    long first = -1;
    for (long t = 0; t < frames && first < 0; ++t)
        if (plain.left[static_cast<size_t>(t)] != changed.left[static_cast<size_t>(t)])
            first = t;
    ASSERT_GE(first, 0) << "the change was never heard";
    EXPECT_GE(first, at);
    EXPECT_LE(first, at + 480);
}

} // namespace
