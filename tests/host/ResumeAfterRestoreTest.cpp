// A host restores a project, resumes the effect and renders at once, answering
// the process-level query with 0 (unknown), 1 (user) or 2 (real time): the
// render must equal the one a host gets that says it renders offline (4),
// whose process calls wait for pending work. Before, such a render carried no
// reverb until the worker had shaped the restored IR.
#include "host/PluginHost.h"
#include "params/ParameterTable.h"
#include "params/PathParams.h"
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr int kBlock = 512;
constexpr int kLatency = 65536;
constexpr long kFrames = kLatency + 24 * kBlock;

struct Render {
    std::vector<float> left, right;
};

class ResumeAfterRestoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("resume");
        irPath = dir + "/hall.wav";
        // The longest IR there is, so that shaping it takes the worker a while.
        ASSERT_TRUE(reliability::writeWav(irPath, reliability::decayingNoiseIR(131072, 2, 48000), 2, 48000));
    }
    void TearDown() override { testsupport::removeTempDir(dir); }

    // The 104 values of a saved project: the IR, a shorter Decay and the
    // high-pass on at a changed frequency.
    std::vector<float> savedState() const
    {
        std::vector<float> s(param::kNumParams);
        for (int id = 0; id < param::kNumParams; ++id)
            s[id] = static_cast<float>(param::normalisedDefault(id));
        s[param::kDecay] = 0.3f;
        s[param::kEnabledHPF] = 1.0f;
        s[param::kHPF] = 0.4f;
        s[param::kDryLevel] = 0.0f;
        EXPECT_TRUE(param::encodePathToParams(irPath.c_str(), s.data() + param::kPathFirst));
        s[param::kPathCommit] = 1.0f;
        return s;
    }

    // Restore, resume and start processing, then render an impulse train at
    // once, all as the host answering `level` does it.
    Render restoreAndRender(vst::Int32 level)
    {
        PluginHost host;
        EXPECT_TRUE(host.load(RVB_PLUGIN_PATH)) << host.error();
        host.setProcessLevel(level);
        host.dispatch(vst::effSetSampleRate, 0, 0, nullptr, kRate);
        host.dispatch(vst::effSetBlockSize, 0, kBlock);
        const std::vector<float> state = savedState();
        for (int id = 0; id < param::kNumParams; ++id)
            host.setParameter(id, state[static_cast<size_t>(id)]);
        host.dispatch(vst::effMainsChanged, 0, 1);
        host.dispatch(vst::effStartProcess);

        Render out{std::vector<float>(kFrames), std::vector<float>(kFrames)};
        std::vector<float> inL(kBlock), inR(kBlock);
        for (long at = 0; at < kFrames; at += kBlock) {
            for (int i = 0; i < kBlock; ++i) {
                const bool click = (at + i) % 9600 == 0;
                inL[static_cast<size_t>(i)] = click ? 0.5f : 0.0f;
                inR[static_cast<size_t>(i)] = click ? -0.25f : 0.0f;
            }
            float* in[2] = {inL.data(), inR.data()};
            float* outputs[2] = {out.left.data() + at, out.right.data() + at};
            host.processReplacing(in, outputs, kBlock);
        }
        host.dispatch(vst::effStopProcess);
        host.dispatch(vst::effMainsChanged, 0, 0);
        host.unload();
        return out;
    }

    std::string dir;
    std::string irPath;
};

long firstDifference(const Render& a, const Render& b)
{
    for (size_t i = 0; i < a.left.size(); ++i)
        if (a.left[i] != b.left[i] || a.right[i] != b.right[i])
            return static_cast<long>(i);
    return -1;
}

TEST_F(ResumeAfterRestoreTest, EveryProcessLevelHearsTheRestoredStateFromTheFirstCall)
{
    const Render offline = restoreAndRender(vst::kVstProcessLevelOffline);
    float wetPeak = 0.0f;
    for (long i = kLatency; i < kFrames; ++i)
        wetPeak = std::max(wetPeak, std::fabs(offline.left[static_cast<size_t>(i)]));
    ASSERT_GT(wetPeak, 1e-3f) << "the reference render carries no reverb";

    for (vst::Int32 level : {vst::kVstProcessLevelUnknown, vst::kVstProcessLevelUser,
                             vst::kVstProcessLevelRealtime}) {
        SCOPED_TRACE(testing::Message() << "process level " << level);
        const Render render = restoreAndRender(level);
        EXPECT_EQ(firstDifference(render, offline), -1);
    }
}

} // namespace
