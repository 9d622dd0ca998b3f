// A host's save and restore, through the built plug-in: the 104 values read
// with getParameter from a session are set in ascending order into a fresh
// instance, which must then sound bit for bit the same and name the same IR.
#include "host/PluginHost.h"
#include "params/ParameterTable.h"
#include "params/PathParams.h"
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kLatency = 65536;
constexpr int kBlock = 1024;
using Values = std::array<float, param::kNumParams>;

bool isAction(int id) { return id >= param::kCopyToLocal && id <= param::kReset; }

class HostileHostStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("state");
        irPath = dir + "/room.wav";
        // Slow enough for its decay to be measured, which limits a rising Decay.
        ASSERT_TRUE(reliability::writeWav(irPath, reliability::decayingNoiseIR(60000, 2, 48000, 7u, 2.0), 2, 48000));
        input.resize(2 * static_cast<size_t>(kLatency) + 20000);
        reliability::Noise noise(77u);
        for (float& x : input)
            x = noise.next(0.3f);
    }
    void TearDown() override { testsupport::removeTempDir(dir); }

    void commitPath(PluginHost& host, const std::string& path)
    {
        float values[param::kPathCount] = {};
        ASSERT_TRUE(param::encodePathToParams(path.c_str(), values));
        for (int k = 0; k < param::kPathCount; ++k)
            host.setParameter(param::kPathFirst + k, values[k]);
        host.setParameter(param::kPathCommit, 1.0f);
    }

    // The same mono input on both channels, a little apart so that routing and
    // balance matter; both output channels one after the other.
    std::vector<float> render(PluginHost& host)
    {
        host.setProcessLevel(PluginHost::kProcessLevelOffline);
        const size_t frames = input.size() / 2;
        std::vector<float> out(2 * frames);
        std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
        for (size_t done = 0; done < frames; done += kBlock) {
            const int n = static_cast<int>(std::min<size_t>(kBlock, frames - done));
            for (int i = 0; i < n; ++i) {
                inL[i] = input[2 * (done + i)];
                inR[i] = input[2 * (done + i) + 1];
            }
            float* in[2] = {inL.data(), inR.data()};
            float* o[2] = {outL.data(), outR.data()};
            host.processReplacing(in, o, n);
            std::copy(outL.begin(), outL.begin() + n, out.begin() + static_cast<std::ptrdiff_t>(done));
            std::copy(outR.begin(), outR.begin() + n, out.begin() + static_cast<std::ptrdiff_t>(frames + done));
        }
        return out;
    }

    Values capture(PluginHost& host)
    {
        Values v{};
        for (int id = 0; id < param::kNumParams; ++id)
            v[id] = host.getParameter(id);
        return v;
    }

    std::string dir, irPath;
    std::vector<float> input;
};

// A session: the IR chosen first, then every knob and switch moved, as a user
// would. Several sessions with different settings, each restored afresh.
TEST_F(HostileHostStateTest, RestoredSessionSoundsBitIdenticalAndNamesTheSameIR)
{
    for (unsigned session = 1; session <= 3; ++session) {
        SCOPED_TRACE(testing::Message() << "session " << session);
        std::mt19937 rng(session);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);

        PluginHost original;
        ASSERT_TRUE(original.load(RVB_PLUGIN_PATH)) << original.error();
        original.start(48000.0f, kBlock);
        commitPath(original, irPath);
        for (int id = param::kBypassLocal; id < param::kPathFirst; ++id)
            original.setParameter(id, unit(rng));
        original.setParameter(param::kBypassLocal, 1.0f);
        original.setParameter(param::kWetLevel, 0.8f);
        original.setParameter(param::kDryLevel, 0.5f);
        // The sessions differ where order could matter: a rising Decay
        // (limited by the IR's measured decay), a falling one, neutral.
        const float decay[] = {0.0f, 0.9f, 0.2f, 0.5f};
        original.setParameter(param::kDecay, decay[session]);
        const Values saved = capture(original);
        const std::vector<float> heard = render(original);
        original.unload();

        PluginHost restored;
        ASSERT_TRUE(restored.load(RVB_PLUGIN_PATH)) << restored.error();
        restored.start(48000.0f, kBlock);
        for (int id = 0; id < param::kNumParams; ++id)
            restored.setParameter(id, saved[id]);

        const Values back = capture(restored);
        for (int id = 0; id < param::kNumParams; ++id) {
            if (!isAction(id)) {
                ASSERT_EQ(back[id], saved[id]) << "id " << id;
            }
        }
        char path[param::kPathTextCapacity];
        param::decodePathFromParams(back.data() + param::kPathFirst, path);
        EXPECT_EQ(std::string(path), irPath);

        const std::vector<float> replayed = render(restored);
        ASSERT_EQ(replayed.size(), heard.size());
        size_t differing = 0, first = 0;
        for (size_t i = 0; i < heard.size(); ++i) {
            if (heard[i] != replayed[i] && differing++ == 0)
                first = i;
        }
        double worst = 0.0;
        for (size_t i = 0; i < heard.size(); ++i)
            worst = std::max(worst, static_cast<double>(std::fabs(heard[i] - replayed[i])));
        EXPECT_EQ(differing, 0u) << "first difference at sample " << first << ": " << heard[first] << " vs "
                                 << replayed[first] << "; " << differing << " samples differ, by up to " << worst;
        // The wet signal is really there: without it the render differs.
        if (session == 1) {
            PluginHost dryOnly;
            ASSERT_TRUE(dryOnly.load(RVB_PLUGIN_PATH)) << dryOnly.error();
            dryOnly.start(48000.0f, kBlock);
            for (int id = 0; id < param::kNumParams; ++id)
                dryOnly.setParameter(id, id == param::kWetLevel ? 0.0f : saved[id]);
            const std::vector<float> dry = render(dryOnly);
            double wetEnergy = 0.0;
            for (size_t i = 0; i < heard.size(); ++i)
                wetEnergy += (heard[i] - dry[i]) * (heard[i] - dry[i]);
            EXPECT_GT(wetEnergy, 1.0);
        }
    }
}

} // namespace
