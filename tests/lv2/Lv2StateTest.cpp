// The plug-in's state as a host keeps it (lilv): the IR file as a mapped path
// and the parameters as port values. A fresh instance restored from it sounds
// exactly as the one it was saved from, also after the project moved.
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace lv2test;

constexpr int kRate = 44100;
constexpr int kLatency = 65536;

class Lv2StateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("lv2-state");
        project = dir + "/project";
        std::system(("mkdir -p '" + project + "/audio'").c_str());
        irPath = project + "/audio/room.wav";
        writeNoiseIR(irPath, 30000, 48000, 5);
    }
    void TearDown() override { testsupport::removeTempDir(dir); }

    // An instance set up by hand: the IR through the path property, shaping
    // and levels away from their defaults.
    void configure(Lv2TestInstance& instance)
    {
        instance.port("freewheel") = 1.0f;
        instance.port("strech") = 1.25f;
        instance.port("decay") = 0.3f;
        instance.port("dump") = 0.6f;
        instance.port("predelay") = 20.0f;
        instance.port("st_inputs") = 1.0f;
        instance.port("enabled_lpf") = 1.0f;
        instance.port("lpf") = 5000.0f;
        instance.port("wetlevel") = -4.5f;
        instance.sendIRFile(irPath);
        instance.run(0);
    }

    Stereo render(Lv2TestInstance& instance, const Stereo& input)
    {
        Stereo out;
        instance.render(input.left, input.right, out.left, out.right, 512);
        return out;
    }

    Lv2TestHost host;
    std::string dir;
    std::string project;
    std::string irPath;
};

TEST_F(Lv2StateTest, AFreshInstanceRestoredFromTheSavedStateRendersIdentically)
{
    const Stereo input = noise(kLatency + 20000, 11);
    Lv2TestInstance original(host, kRate, TestWorker::Mode::Synchronous);
    ASSERT_TRUE(original.valid());
    configure(original);
    LilvState* state = original.saveState();
    ASSERT_NE(state, nullptr);

    // Through the state's text, as a host writes it into its session.
    char* text = lilv_state_to_string(host.world(), host.urids().mapFeatureData(), host.urids().unmapFeatureData(),
                                      state, "urn:test:state", nullptr);
    lilv_state_free(state);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(std::string(text).find("room.wav"), std::string::npos) << text;
    LilvState* reread = lilv_state_new_from_string(host.world(), host.urids().mapFeatureData(), text);
    lilv_free(text);
    ASSERT_NE(reread, nullptr);

    Lv2TestInstance restored(host, kRate, TestWorker::Mode::Synchronous);
    ASSERT_TRUE(restored.valid());
    restored.restoreState(reread);
    lilv_state_free(reread);
    EXPECT_EQ(restored.port("strech"), 1.25f);
    restored.port("freewheel") = 1.0f;

    Lv2TestInstance reference(host, kRate, TestWorker::Mode::Synchronous);
    configure(reference);
    const Stereo expected = render(reference, input);
    const Stereo actual = render(restored, input);
    EXPECT_EQ(maxDifference(actual, expected), 0.0f);
    ASSERT_FALSE(restored.reportedPaths().empty());
    EXPECT_EQ(restored.reportedPaths().back(), irPath);
}

// A host that restores a project into an instance, activates it and plays in
// real time (not free-wheeling, its worker on a thread of its own) hears the
// restored IR and settings from the first run, as an export does.
TEST_F(Lv2StateTest, ARestoredInstanceSoundsRestoredFromItsFirstRealTimeRun)
{
    const Stereo input = noise(kLatency + 20000, 13);
    Lv2TestInstance original(host, kRate, TestWorker::Mode::Synchronous);
    ASSERT_TRUE(original.valid());
    configure(original);
    LilvState* state = original.saveState();
    ASSERT_NE(state, nullptr);

    Lv2TestInstance restored(host, kRate, TestWorker::Mode::Threaded);
    ASSERT_TRUE(restored.valid());
    lilv_instance_deactivate(restored.lilv());
    restored.restoreState(state);
    lilv_state_free(state);
    restored.port("freewheel") = 0.0f;
    lilv_instance_activate(restored.lilv());
    const Stereo actual = render(restored, input);

    Lv2TestInstance reference(host, kRate, TestWorker::Mode::Synchronous);
    configure(reference);
    const Stereo expected = render(reference, input);
    EXPECT_GT(maxDifference(expected, Stereo{std::vector<float>(expected.left.size()),
                                             std::vector<float>(expected.right.size())}), 0.01f);
    EXPECT_EQ(maxDifference(actual, expected), 0.0f);
}

TEST_F(Lv2StateTest, AProjectSavedWithItsFilesStillSoundsAsSavedAfterItMoved)
{
    const Stereo input = noise(kLatency + 20000, 12);
    Lv2TestInstance original(host, kRate, TestWorker::Mode::Synchronous);
    ASSERT_TRUE(original.valid());
    configure(original);
    const std::string stateDir = project + "/state.lv2";
    LilvState* state = original.saveState(stateDir, stateDir);
    ASSERT_NE(state, nullptr);
    ASSERT_EQ(lilv_state_save(host.world(), host.urids().mapFeatureData(), host.urids().unmapFeatureData(), state,
                              "urn:test:moved", stateDir.c_str(), "state.ttl"),
              0);
    lilv_state_free(state);

    // The whole project goes elsewhere; nothing is left where it was.
    const std::string moved = dir + "/moved-project";
    ASSERT_EQ(std::rename(project.c_str(), moved.c_str()), 0);

    LilvState* loaded = lilv_state_new_from_file(host.world(), host.urids().mapFeatureData(),
                                                 host.node("urn:test:moved"), (moved + "/state.lv2/state.ttl").c_str());
    ASSERT_NE(loaded, nullptr);
    Lv2TestInstance restored(host, kRate, TestWorker::Mode::Synchronous);
    restored.restoreState(loaded);
    lilv_state_free(loaded);
    restored.port("freewheel") = 1.0f;
    const Stereo actual = render(restored, input);
    ASSERT_FALSE(restored.reportedPaths().empty());
    EXPECT_EQ(restored.reportedPaths().back().rfind(moved, 0), 0u) << restored.reportedPaths().back();

    // The reference loads the moved file directly.
    irPath = moved + "/audio/room.wav";
    Lv2TestInstance reference(host, kRate, TestWorker::Mode::Synchronous);
    configure(reference);
    EXPECT_EQ(maxDifference(actual, render(reference, input)), 0.0f);
}

TEST_F(Lv2StateTest, AStateWithoutAnIRFileLeavesTheIRInForce)
{
    Lv2TestInstance empty(host, kRate, TestWorker::Mode::Synchronous);
    ASSERT_TRUE(empty.valid());
    LilvState* state = empty.saveState();
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(lilv_state_get_num_properties(state), 0u);

    Lv2TestInstance instance(host, kRate, TestWorker::Mode::Synchronous);
    configure(instance);
    instance.restoreState(state);
    lilv_state_free(state);
    instance.port("freewheel") = 1.0f;
    LilvState* again = instance.saveState();
    EXPECT_EQ(lilv_state_get_num_properties(again), 1u);
    lilv_state_free(again);
}

} // namespace
