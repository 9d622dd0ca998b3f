// A host that is not ours renders through the bundle: Debian's lv2file, with
// a preset that lilv saved from a configured instance (the IR file as a path
// in the plug-in's state, the parameters as port values). Its output must be
// what our own lilv host renders from the same preset.
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using namespace lv2test;

constexpr int kRate = 44100;
constexpr int kBlock = 512;
constexpr const char* kPresetLabel = "Test Hall";
constexpr const char* kPresetUri = "urn:test:lv2file-preset";

// Under AddressSanitizer the bundle needs the sanitizer's runtime loaded
// first; this process has it, so the child gets the same one.
std::string sanitizerPreload()
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const std::size_t slash = line.find('/');
        if (slash != std::string::npos && line.find("/libasan.so", slash) != std::string::npos)
            return "LD_PRELOAD=" + line.substr(slash) + " ASAN_OPTIONS=detect_leaks=0 ";
    }
    return "";
}

class Lv2ThirdPartyHostTest : public ::testing::Test {
protected:
    static void configure(Lv2TestInstance& instance)
    {
        instance.port("decay") = 2.0f;
        instance.port("predelay") = 8.0f;
        instance.port("st_width") = 0.6f;
        instance.port("wetlevel") = -3.0f;
        instance.port("drylevel") = -8.0f;
    }

    void SetUp() override { dir = testsupport::makeTempDir("lv2-lv2file"); }
    void TearDown() override { testsupport::removeTempDir(dir); }
    std::string dir;
};

TEST_F(Lv2ThirdPartyHostTest, Lv2fileRendersAPresetAsOurOwnHostDoes)
{
    ASSERT_EQ(std::system("command -v lv2file > /dev/null"), 0) << "lv2file is not installed";
    const std::string irPath = dir + "/plate.wav";
    writeNoiseIR(irPath, 20000, kRate, 31);

    // The LV2 path lv2file searches: our bundle and the preset's bundle.
    const std::string lv2Path = dir + "/lv2";
    ASSERT_EQ(std::system(("mkdir -p '" + lv2Path + "' && ln -s '" + Lv2TestHost::bundlePath() + "' '" + lv2Path +
                           "/KestrelReverb.lv2'")
                              .c_str()),
              0);

    Lv2TestHost host;
    {
        Lv2TestInstance configured(host, kRate, TestWorker::Mode::Synchronous);
        ASSERT_TRUE(configured.valid());
        configure(configured);
        configured.sendIRFile(irPath);
        configured.run(0);
        const std::string presetDir = lv2Path + "/preset.lv2";
        LilvState* state = configured.saveState(presetDir, presetDir);
        ASSERT_NE(state, nullptr);
        lilv_state_set_label(state, kPresetLabel);
        ASSERT_EQ(lilv_state_save(host.world(), host.urids().mapFeatureData(), host.urids().unmapFeatureData(), state,
                                  kPresetUri, presetDir.c_str(), "preset.ttl"),
                  0);
        lilv_state_free(state);
    }

    const Stereo input = noise(65536 + 25000, 17);
    writeStereoWav(dir + "/in.wav", input, kRate, true);
    // lv2file does not free-wheel by itself; it is told to, as a DAW's export does.
    const std::string command = sanitizerPreload() + "LV2_PATH='" + lv2Path + "' lv2file -b " +
                                std::to_string(kBlock) + " -P '" + kPresetLabel +
                                "' -p freewheel:1 -i '" + dir + "/in.wav' -o '" + dir +
                                "/out.wav' urn:kestrel:talu-01-reverb > '" + dir + "/lv2file.log' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << testsupport::readFile(dir + "/lv2file.log");
    const Stereo theirs = readStereoWav(dir + "/out.wav");
    ASSERT_EQ(theirs.left.size(), input.left.size()) << testsupport::readFile(dir + "/lv2file.log");

    // Our host, from the same preset file.
    Lv2TestHost presets;
    LilvNode* bundle = lilv_new_file_uri(presets.world(), nullptr, (lv2Path + "/preset.lv2/").c_str());
    lilv_world_load_bundle(presets.world(), bundle);
    lilv_node_free(bundle);
    lilv_world_load_resource(presets.world(), presets.node(kPresetUri));
    LilvState* preset = lilv_state_new_from_world(presets.world(), presets.urids().mapFeatureData(),
                                                  presets.node(kPresetUri));
    ASSERT_NE(preset, nullptr);
    Lv2TestInstance ours(presets, kRate, TestWorker::Mode::Synchronous);
    ours.restoreState(preset);
    lilv_state_free(preset);
    ours.port("freewheel") = 1.0f;
    Stereo expected;
    ours.render(input.left, input.right, expected.left, expected.right, kBlock);

    EXPECT_EQ(maxDifference(theirs, expected), 0.0f);
    // and the preset's IR is in it: without the IR the same ports sound otherwise
    Lv2TestInstance withoutIR(presets, kRate, TestWorker::Mode::Synchronous);
    configure(withoutIR);
    withoutIR.port("freewheel") = 1.0f;
    Stereo plain;
    withoutIR.render(input.left, input.right, plain.left, plain.right, kBlock);
    EXPECT_GT(maxDifference(theirs, plain), 0.01f);
}

} // namespace
