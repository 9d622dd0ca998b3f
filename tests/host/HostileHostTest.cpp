// A careless or hostile host driving the built plug-in through its effect
// record only: processing before setup, extreme block sizes and sample rates,
// parameter values far outside 0..1 for ids inside and outside the table, and
// null or made-up pointers in the dispatcher. Whatever the host does, the
// plug-in must neither crash nor hang, and every output sample must stay a
// clean number (finite, and 0 or a normal float). An IR is loaded throughout,
// so that the wet path really runs.
#include "host/PluginHost.h"
#include "params/ParameterTable.h"
#include "params/PathParams.h"
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

using reliability::OutputCheck;

constexpr int kLatency = 65536;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Normalised values no sane host sends, plus the edges of the range.
const std::vector<float>& hostileValues()
{
    static const std::vector<float> values = {kNaN, kInf, -kInf, -1.0f, -0.0f, 1e-45f, 0.0f, 0.5f, 1.0f,
                                              1.0000001f, 2.0f, 1e30f, FLT_MAX, -FLT_MAX, 0.25f};
    return values;
}

// The plug-in answers a failed IR restore with a message box; without a display
// that box cannot block the test. Restores DISPLAY when it goes.
class NoDisplay {
public:
    NoDisplay()
    {
        if (const char* display = std::getenv("DISPLAY")) {
            saved_ = display;
            had_ = true;
        }
        unsetenv("DISPLAY");
    }
    ~NoDisplay()
    {
        if (had_)
            setenv("DISPLAY", saved_.c_str(), 1);
    }
    NoDisplay(const NoDisplay&) = delete;
    NoDisplay& operator=(const NoDisplay&) = delete;

private:
    std::string saved_;
    bool had_ = false;
};

class HostileHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("hostile");
        irPath = dir + "/room.wav";
        ASSERT_TRUE(reliability::writeWav(irPath, reliability::decayingNoiseIR(11025, 2, 44100), 2, 44100));
        ASSERT_TRUE(host.load(RVB_PLUGIN_PATH)) << host.error();
        // Renders as fast as it can, so it says so.
        host.setProcessLevel(PluginHost::kProcessLevelOffline);
    }
    void TearDown() override
    {
        host.unload();
        testsupport::removeTempDir(dir);
    }

    // What a host restoring a project does: the path values, then the commit.
    void commitPath(const std::string& path)
    {
        float values[param::kPathCount] = {};
        ASSERT_TRUE(param::encodePathToParams(path.c_str(), values));
        for (int k = 0; k < param::kPathCount; ++k)
            host.setParameter(param::kPathFirst + k, values[k]);
        host.setParameter(param::kPathCommit, 1.0f);
    }

    void setReal(int id, double real) { host.setParameter(id, static_cast<float>(param::toNormalisedValue(real, id))); }

    // Only the wet signal is heard: dry at -30 dB (silence).
    void wetOnly() { host.setParameter(param::kDryLevel, 0.0f); }

    // Runs `frames` frames of noise through the effect in calls of `block`
    // frames and checks every output sample. The wet signal starts after the
    // latency; `wetEnergy` collects what comes out from then on.
    OutputCheck run(long frames, int block, double* wetEnergy = nullptr)
    {
        if (static_cast<int>(inL.size()) < block) {
            inL.resize(block);
            inR.resize(block);
            outL.resize(block);
            outR.resize(block);
        }
        OutputCheck check;
        OutputCheck afterLatency;
        for (long done = 0; done < frames;) {
            const int n = static_cast<int>(std::min<long>(block, frames - done));
            noise.fill(inL.data(), n);
            noise.fill(inR.data(), n);
            float* in[2] = {inL.data(), inR.data()};
            float* out[2] = {outL.data(), outR.data()};
            host.processReplacing(in, out, n);
            check.add(outL.data(), n);
            check.add(outR.data(), n);
            for (int i = 0; i < n; ++i) {
                if (framesRun + done + i >= kLatency) {
                    afterLatency.add(&outL[i], 1);
                    afterLatency.add(&outR[i], 1);
                }
            }
            done += n;
        }
        framesRun += frames;
        if (wetEnergy)
            *wetEnergy = afterLatency.energy;
        return check;
    }

    PluginHost host;
    std::string dir;
    std::string irPath;
    reliability::Noise noise{12345u};
    std::vector<float> inL, inR, outL, outR;
    long framesRun = 0;
};

TEST_F(HostileHostTest, ProcessesBeforeTheHostSetsAnythingUp)
{
    // No sample rate, no block size, no resume: the effect is usable as made.
    EXPECT_TRUE(run(3 * 512, 512).clean());

    commitPath(irPath);
    wetOnly();
    double wet = 0.0;
    const OutputCheck check = run(kLatency + 8192, 4096, &wet);
    EXPECT_TRUE(check.clean()) << check.describe();
    EXPECT_GT(wet, 1.0) << "the wet path stayed silent";

    // Switched off and never on again: processing goes on regardless.
    host.dispatch(vst::effMainsChanged, 0, 0);
    const OutputCheck suspended = run(8192, 512);
    EXPECT_TRUE(suspended.clean()) << suspended.describe();
    EXPECT_GT(suspended.energy, 1.0);
}

TEST_F(HostileHostTest, BlocksOfOneFrameAndOfAMillionFrames)
{
    host.start(44100.0f, 1);
    commitPath(irPath);
    wetOnly();

    double wet = 0.0;
    const OutputCheck single = run(kLatency + 4000, 1, &wet);
    EXPECT_TRUE(single.clean()) << single.describe();
    EXPECT_GT(wet, 1.0);

    host.dispatch(vst::effSetBlockSize, 0, 1000000);
    const OutputCheck huge = run(1000000, 1000000);
    EXPECT_TRUE(huge.clean()) << huge.describe();
    EXPECT_GT(huge.energy, 100.0);

    // Announced sizes that do not match the calls, and sizes that make no sense.
    for (vst::IntPtr announced : {vst::IntPtr(64), vst::IntPtr(0), vst::IntPtr(-1), vst::IntPtr(INT32_MAX)}) {
        host.dispatch(vst::effSetBlockSize, 0, announced);
        const OutputCheck mismatched = run(9000, 4500);
        EXPECT_TRUE(mismatched.clean()) << "announced " << announced << ": " << mismatched.describe();
    }
}

// Sound, then a host that feeds silence for a long time: every stage's tail
// (filters at extreme settings, pre-delay, width ring, convolution overlap)
// has to die away into exact zeros, not crawl through denormals.
TEST_F(HostileHostTest, TailsAfterTheSoundStopsEndInCleanZeros)
{
    host.start(44100.0f, 512);
    commitPath(irPath);
    host.setParameter(param::kEnabledHPF, 1.0f);
    host.setParameter(param::kEnabledLPF, 1.0f);
    host.setParameter(param::kEnabledBAL, 1.0f);
    host.setParameter(param::kHPF, 0.0f);  // lowest corner: the longest tail
    host.setParameter(param::kLPF, 0.0f);
    host.setParameter(param::kBAL, 1.0f);
    host.setParameter(param::kPreDelay, 0.7f);
    host.setParameter(param::kStWidth, 0.8f);
    host.setParameter(param::kWetPlus12dB, 1.0f);

    run(kLatency, 512);
    OutputCheck check;
    std::vector<float> silent(512, 0.0f);
    for (long done = 0; done < 4L * kLatency; done += 512) {
        float* in[2] = {silent.data(), silent.data()};
        float* out[2] = {outL.data(), outR.data()};
        host.processReplacing(in, out, 512);
        check.add(outL.data(), 512);
        check.add(outR.data(), 512);
    }
    EXPECT_TRUE(check.clean()) << check.describe();
    EXPECT_GT(check.energy, 1.0) << "the tail should be heard first";
    EXPECT_EQ(outL[511], 0.0f);
}

// Input the host should never send (NaN, infinities, denormals) may spoil the
// output while it passes through, but must not poison the effect for good.
TEST_F(HostileHostTest, RecoversFromNonFiniteAndDenormalInput)
{
    host.start(44100.0f, 512);
    commitPath(irPath);
    host.setParameter(param::kEnabledHPF, 1.0f);
    host.setParameter(param::kEnabledLPF, 1.0f);
    host.setParameter(param::kPreDelay, 0.5f);
    run(4096, 512);

    std::vector<float> bad(512);
    const float poison[] = {kNaN, kInf, -kInf, 1e-40f, -1e-42f, FLT_TRUE_MIN};
    for (int i = 0; i < 512; ++i)
        bad[i] = poison[i % 6];
    float* in[2] = {bad.data(), bad.data()};
    float* out[2] = {outL.data(), outR.data()};
    host.processReplacing(in, out, 512);

    // The bad block leaves the dry path after the latency. In the wet path it
    // spoils the three block periods that follow (as the newest block, as the
    // previous one, as the overlap tail), and then the pre-delay.
    run(4L * kLatency + 8192, 512);
    double wet = 0.0;
    const OutputCheck after = run(kLatency, 512, &wet);
    EXPECT_TRUE(after.clean()) << after.describe();
    EXPECT_GT(after.energy, 1.0);
}

TEST_F(HostileHostTest, CallsOfNoFramesOrANegativeCountWriteNothing)
{
    host.start(44100.0f, 512);
    commitPath(irPath);
    run(2048, 512);
    std::vector<float> in(64, 0.25f), outLeft(64, 7.0f), outRight(64, 7.0f);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    for (int frames : {0, -1, -512, INT32_MIN})
        host.processReplacing(inputs, outputs, frames);
    for (int i = 0; i < 64; ++i)
        ASSERT_TRUE(outLeft[i] == 7.0f && outRight[i] == 7.0f) << "sample " << i << " was written";

    // Buffers the host forgot to give.
    float* missing[2] = {nullptr, nullptr};
    host.processReplacing(missing, outputs, 64);
    host.processReplacing(inputs, missing, 64);
    host.processReplacing(nullptr, nullptr, 64);
    EXPECT_TRUE(run(2048, 512).clean());
}

TEST_F(HostileHostTest, SampleRatesNoHostShouldSend)
{
    host.start(44100.0f, 4096);
    commitPath(irPath);
    const float rates[] = {0.0f, -44100.0f, 8000.0f, 22050.0f, 384000.0f, 44100.5f, kNaN,     kInf,
                           -kInf, 1e-3f,    0.5f,    1.0f,     19.99f,    1e7f,     3e38f,    48000.0f};
    float stretch = 0.3f;
    for (float rate : rates) {
        SCOPED_TRACE(testing::Message() << "rate " << rate);
        host.dispatch(vst::effMainsChanged, 0, 0);
        host.dispatch(vst::effSetSampleRate, 0, 0, nullptr, rate);
        host.dispatch(vst::effMainsChanged, 0, 1);
        // Everything that turns the rate into a length or a deadline: pre-delay
        // line, width ring, routing highlight, a kernel rebuild, decay analysis.
        host.setParameter(param::kPreDelay, 1.0f);
        host.setParameter(param::kStInputs, stretch);
        host.setParameter(param::kStWidth, 0.5f);
        host.setParameter(param::kEnabledHPF, 1.0f);
        host.setParameter(param::kEnabledLPF, 1.0f);
        host.setParameter(param::kEnabledBAL, 1.0f);
        host.setParameter(param::kStrech, stretch);
        stretch = stretch > 0.6f ? 0.3f : stretch + 0.1f;
        commitPath(irPath);
        const OutputCheck check = run(kLatency + 2048, 4096);
        EXPECT_TRUE(check.clean()) << check.describe();
    }

    // A sensible rate afterwards, changed while running without a suspend.
    host.dispatch(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    wetOnly();
    double wet = 0.0;
    OutputCheck check = run(kLatency + 4096, 512, &wet);
    EXPECT_TRUE(check.clean()) << check.describe();
    EXPECT_GT(wet, 1.0);
    for (float rate : {48000.0f, 8000.0f, 384000.0f, 44100.5f, 0.0f, 22050.0f}) {
        host.dispatch(vst::effSetSampleRate, 0, 0, nullptr, rate);
        check = run(3000, 512);
        EXPECT_TRUE(check.clean()) << "rate " << rate << ": " << check.describe();
    }
}

TEST_F(HostileHostTest, OutOfRangeValuesForEveryParameterId)
{
    host.start(44100.0f, 256);
    commitPath(irPath);
    const NoDisplay noDisplay;
    for (int id = -5; id <= 110; ++id) {
        const bool action = id >= param::kCopyToLocal && id <= param::kWebSearch;
        for (float value : hostileValues()) {
            // The copy, file and web actions would start dialogs or a browser;
            // their firing values are tried on the effect itself, with the
            // desktop replaced (tests/shell).
            const double fired = static_cast<double>(value) + static_cast<double>(0.1f);
            if (action && std::isfinite(fired) && static_cast<long long>(fired) == 1)
                continue;
            host.setParameter(id, value);
            const float back = host.getParameter(id);
            ASSERT_TRUE(std::isfinite(back) && back >= 0.0f && back <= 1.0f)
                << "id " << id << " set to " << value << " reads back " << back;
            if (id < 0 || id >= param::kNumParams) {
                ASSERT_EQ(back, 0.0f) << "id " << id;
            }
            const OutputCheck check = run(256, 256);
            ASSERT_TRUE(check.clean()) << "id " << id << " value " << value << ": " << check.describe();
        }
    }

    // Back to sane settings, the IR still plays.
    host.setParameter(param::kReset, 1.0f);
    host.setParameter(param::kReset, 0.0f);
    commitPath(irPath);
    wetOnly();
    double wet = 0.0;
    const OutputCheck check = run(2 * kLatency, 4096, &wet);
    EXPECT_TRUE(check.clean()) << check.describe();
    EXPECT_GT(wet, 1.0);
}

TEST_F(HostileHostTest, NullPointersInEveryOpcode)
{
    host.start(44100.0f, 512);
    commitPath(irPath);
    for (vst::Int32 opcode = -2; opcode <= 90; ++opcode) {
        if (opcode == vst::effClose)
            continue;
        for (vst::Int32 index : {-1, 0, 7, 1 << 30}) {
            // In effGetSpeakerArrangement the value is a pointer too: only null there.
            for (vst::IntPtr value : {vst::IntPtr(0), vst::IntPtr(-1), vst::IntPtr(1) << 40}) {
                if (opcode == vst::effGetSpeakerArrangement && value != 0)
                    continue;
                host.dispatch(opcode, index, value, nullptr, kNaN);
                host.dispatch(opcode, index, value, nullptr, 0.0f);
            }
        }
    }
    host.dispatch(vst::effEditClose);
    host.dispatch(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    host.dispatch(vst::effMainsChanged, 0, 1);
    const OutputCheck check = run(4096, 512);
    EXPECT_TRUE(check.clean()) << check.describe();
    const vst::IntPtr program = host.dispatch(vst::effGetProgram);
    EXPECT_TRUE(program >= 0 && program < 8) << program;
    EXPECT_EQ(host.effect()->numParams, param::kNumParams);
}

TEST_F(HostileHostTest, MadeUpPointersWhereTheInterfaceCarriesNone)
{
    host.start(44100.0f, 512);
    // Opcodes whose pointer argument the VST 2.4 interface leaves unused, and
    // numbers it never assigned: a plug-in must not look at the pointer.
    const vst::Int32 unused[] = {vst::effOpen,          vst::effSetProgram,      vst::effGetProgram,
                                 vst::effSetSampleRate, vst::effSetBlockSize,    vst::effMainsChanged,
                                 vst::effEditClose,     vst::effEditIdle,        vst::effIdentify,
                                 vst::effCanBeAutomated, vst::effGetPlugCategory, vst::effSetBypass,
                                 vst::effGetVendorVersion, vst::effGetTailSize,  vst::effGetVstVersion,
                                 vst::effEditKeyDown,   vst::effEditKeyUp,       vst::effSetEditKnobMode,
                                 vst::effGetCurrentMidiProgram, vst::effHasMidiProgramsChanged,
                                 vst::effBeginSetProgram, vst::effEndSetProgram, vst::effStartProcess,
                                 vst::effStopProcess,   vst::effSetTotalSampleToProcess, vst::effSetPanLaw,
                                 vst::effSetProcessPrecision, vst::effGetNumMidiInputChannels,
                                 vst::effGetNumMidiOutputChannels, 91, 200, 4096, -7};
    for (vst::Int32 opcode : unused) {
        for (std::uintptr_t fake : {std::uintptr_t(1), std::uintptr_t(0x10), std::uintptr_t(0xfff)})
            host.dispatch(opcode, 0, 0, reinterpret_cast<void*>(fake), 0.0f);
    }
    host.dispatch(vst::effMainsChanged, 0, 1);
    const OutputCheck check = run(2048, 512);
    EXPECT_TRUE(check.clean()) << check.describe();
}

TEST_F(HostileHostTest, EditorOpcodesInAnyOrder)
{
    host.start(44100.0f, 512);
    commitPath(irPath);
    ASSERT_TRUE(host.effect()->flags & vst::effFlagsHasEditor);

    // Closing and idling an editor that was never opened.
    host.dispatch(vst::effEditClose);
    host.dispatch(vst::effEditIdle);
    host.dispatch(vst::effEditClose);
    EXPECT_EQ(host.dispatch(vst::effEditGetRect, 0, 0, nullptr), 0);

    // Opened twice without a close in between, without a window of the host's.
    host.dispatch(vst::effEditOpen, 0, 0, nullptr);
    host.dispatch(vst::effEditOpen, 0, 0, nullptr);
    for (int i = 0; i < 3; ++i)
        host.dispatch(vst::effEditIdle);
    host.setParameter(param::kPreDelay, 0.5f);
    EXPECT_TRUE(run(1024, 512).clean());
    host.dispatch(vst::effEditClose);
    host.dispatch(vst::effEditClose);
    host.dispatch(vst::effEditIdle);

    // Window ids that name no window (the pointer is an X11 id, never read as memory).
    for (std::uintptr_t bogus : {std::uintptr_t(1), std::uintptr_t(0x2a), std::uintptr_t(0x7fffff)}) {
        host.dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(bogus));
        host.dispatch(vst::effEditIdle);
        host.dispatch(vst::effEditClose);
    }

    vst::ERect* rect = nullptr;
    host.dispatch(vst::effEditGetRect, 0, 0, &rect);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 712);

    // The host deletes the effect while its editor is open.
    host.dispatch(vst::effEditOpen, 0, 0, nullptr);
    host.dispatch(vst::effEditIdle);
    host.unload();
    EXPECT_FALSE(host.loaded());
}

} // namespace
