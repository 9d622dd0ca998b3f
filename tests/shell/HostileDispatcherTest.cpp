// A hostile host talking to the effect object directly, where the tests can
// look inside: the actions fired with values no control sends, failed IR
// restores, rates that make no sense, and the editor opcodes in every order.
// The desktop is replaced, so dialogs are answered at once and counted.
#include "editor/SDEditor.h"
#include "engine/PreDelayLine.h"
#include "engine/ProcessingPath.h"
#include "engine/WidthStage.h"
#include "ir/IRData.h"
#include "shell/DOvu.h"
#include "params/ParameterTable.h"
#include "params/PathParams.h"
#include "support/FakeDesktop.h"
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"
#include "toolkit/CControl.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "support/HostWindow.h"

namespace {

using reliability::OutputCheck;

constexpr int kLatency = 65536;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Renders as fast as it can, so it says it renders offline: every change is
// then in force at the next call, however slow the effect's worker is.
vst::IntPtr versionOnlyHost(vst::AEffect*, vst::Int32 opcode, vst::Int32, vst::IntPtr, void*, float)
{
    if (opcode == vst::audioMasterGetCurrentProcessLevel)
        return vst::kVstProcessLevelOffline;
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

class HostileDispatcherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("dispatch");
        irPath = dir + "/room.wav";
        monoPath = dir + "/mono.wav";
        ASSERT_TRUE(reliability::writeWav(irPath, reliability::decayingNoiseIR(8000, 2, 44100), 2, 44100));
        ASSERT_TRUE(reliability::writeWav(monoPath, reliability::decayingNoiseIR(8000, 1, 22050, 3u), 1, 22050));
        effect = new DOvu(&versionOnlyHost);
        record = effect->getAeffect();
    }
    void TearDown() override
    {
        if (record)
            dispatch(vst::effClose);
        testsupport::removeTempDir(dir);
    }

    vst::IntPtr dispatch(vst::Int32 opcode, vst::Int32 index = 0, vst::IntPtr value = 0, void* ptr = nullptr,
                         float opt = 0.0f)
    {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }
    void set(int id, float value) { record->setParameter(record, id, value); }

    void commitPath(const std::string& path)
    {
        float values[param::kPathCount] = {};
        ASSERT_TRUE(param::encodePathToParams(path.c_str(), values));
        for (int k = 0; k < param::kPathCount; ++k)
            set(param::kPathFirst + k, values[k]);
        set(param::kPathCommit, 1.0f);
    }

    OutputCheck run(long frames, int block = 4096)
    {
        std::vector<float> inL(block), inR(block), outL(block), outR(block);
        OutputCheck check;
        for (long done = 0; done < frames; done += block) {
            noise.fill(inL.data(), block);
            noise.fill(inR.data(), block);
            float* in[2] = {inL.data(), inR.data()};
            float* out[2] = {outL.data(), outR.data()};
            record->processReplacing(record, in, out, block);
            check.add(outL.data(), block);
            check.add(outR.data(), block);
        }
        return check;
    }

    reliability::FakeDesktop desktop;
    std::string dir, irPath, monoPath;
    DOvu* effect = nullptr;
    vst::AEffect* record = nullptr;
    reliability::Noise noise{99u};
};

TEST_F(HostileDispatcherTest, ActionsFireOnlyForAPressValue)
{
    commitPath(irPath);
    ASSERT_STREQ(effect->irData().path(), irPath.c_str());
    set(param::kWetLevel, 0.3f);
    const int dialogsBefore = desktop.dialogs();

    // No press: nothing may happen, whatever the number.
    for (int id = param::kCopyToLocal; id <= param::kReset; ++id)
        for (float value : {kNaN, kInf, -kInf, -1.0f, 0.0f, 0.9f, 1.95f, 2.0f, FLT_MAX, -FLT_MAX, 1e-45f})
            set(id, value);
    EXPECT_EQ(desktop.dialogs(), dialogsBefore);
    EXPECT_FLOAT_EQ(effect->getParameter(param::kWetLevel), 0.3f) << "a reset fired";

    // A press each: every dialog is answered No or cancel; the IR stays.
    for (int id = param::kCopyToLocal; id <= param::kReset; ++id) {
        set(id, 1.0f);
        set(id, 0.0f);
    }
    EXPECT_NE(effect->getParameter(param::kWetLevel), 0.3f) << "the reset did not fire";
    EXPECT_EQ(effect->getParameter(param::kCopyToLocal), 0.0f);
    EXPECT_EQ(effect->getParameter(param::kReset), 0.0f);
    EXPECT_STREQ(effect->irData().path(), irPath.c_str());
    EXPECT_TRUE(run(2 * 4096).clean());
}

TEST_F(HostileDispatcherTest, ARestoredPathThatDoesNotLoadKeepsTheIR)
{
    commitPath(irPath);
    const int boxes = desktop.messageBoxes.load();

    // A project from another machine: a path that is not there, a folder, a
    // device, and bytes that are no path at all.
    for (const std::string& path : {dir + "/gone.wav", dir, std::string("/dev/zero"), std::string("\x01\xff\x7f")}) {
        commitPath(path);
        EXPECT_STREQ(effect->irData().path(), irPath.c_str()) << path;
    }
    EXPECT_EQ(desktop.messageBoxes.load(), boxes + 4);
    // Path values set one by one to numbers outside 0..1, then committed.
    for (int k = 0; k < param::kPathCount; ++k)
        set(param::kPathFirst + k, k % 2 ? 1.0f : 2.5f);
    set(param::kPathCommit, kNaN);
    EXPECT_STREQ(effect->irData().path(), irPath.c_str());

    // The IR in force keeps sounding.
    set(param::kDryLevel, 0.0f);
    run(kLatency);
    const OutputCheck wet = run(kLatency);
    EXPECT_TRUE(wet.clean()) << wet.describe();
    EXPECT_GT(wet.energy, 1.0);
}

TEST_F(HostileDispatcherTest, RatesThatMakeNoSenseLeaveUsableLengths)
{
    commitPath(monoPath);  // a mono IR: the width stage's delay ring is in use
    set(param::kStWidth, 0.7f);
    set(param::kPreDelay, 1.0f);
    // The editor is open throughout: its frequency axis follows the rate.
    dispatch(vst::effEditOpen, 0, 0, nullptr);
    float gate = 0.5f;
    for (float rate : {0.0f, -1.0f, -44100.0f, kNaN, kInf, -kInf, 1e-30f, 0.999f, 1.0f, 19.0f, 8000.0f,
                       44100.5f, 384000.0f, 2e6f, 1e7f, 1.5e7f, FLT_MAX}) {
        SCOPED_TRACE(testing::Message() << "rate " << rate);
        dispatch(vst::effSetSampleRate, 0, 0, nullptr, rate);
        set(param::kStInputs, 0.2f);
        gate = gate == 0.5f ? 0.9f : 0.5f;
        set(param::kGate, gate);
        effect->finishPendingWork();

        const int integerRate = effect->integerSampleRate();
        EXPECT_GE(integerRate, 1);
        engine::ProcessingPath& path = effect->processingPath();
        EXPECT_GE(path.preDelay().delayFrames(), 0);
        EXPECT_LE(path.preDelay().delayFrames(), engine::PreDelayLine::kMaxDelayFrames);
        EXPECT_LE(path.widthStage().ringLength(), engine::WidthStage::kMaxRingLength);
        const float irRate = effect->irData().sampleRate();
        EXPECT_TRUE(std::isfinite(irRate) && irRate >= 1.0f) << irRate;
        const int indicator = effect->irData().rebuildIndicator();
        EXPECT_NE(indicator, -1) << "a rebuild was left half done";

        dispatch(vst::effEditIdle);
        const OutputCheck check = run(8192);
        EXPECT_TRUE(check.clean()) << check.describe();
    }
    dispatch(vst::effEditClose);
}

TEST_F(HostileDispatcherTest, ProcessingInPlaceAndWithMissingBuffers)
{
    commitPath(irPath);
    std::vector<float> left(kLatency + 1024), right(kLatency + 1024);
    noise.fill(left.data(), static_cast<int>(left.size()));
    noise.fill(right.data(), static_cast<int>(right.size()));
    float* io[2] = {left.data(), right.data()};
    record->processReplacing(record, io, io, static_cast<vst::Int32>(left.size()));
    OutputCheck check;
    check.add(left.data(), static_cast<int>(left.size()));
    check.add(right.data(), static_cast<int>(right.size()));
    EXPECT_TRUE(check.clean()) << check.describe();

    float* half[2] = {left.data(), nullptr};
    record->processReplacing(record, half, io, 512);
    record->processReplacing(record, io, half, 512);
    record->processReplacing(record, nullptr, io, 512);
    // The deprecated accumulating call and the double-precision call are not supported.
    record->process(record, io, io, 512);
    record->processDoubleReplacing(record, nullptr, nullptr, 512);
    EXPECT_TRUE(run(4096).clean());
}

TEST_F(HostileDispatcherTest, EditorOpenedTwiceClosedUnopenedAndDeletedOpen)
{
    commitPath(irPath);
    SDEditor* editor = effect->editor();
    ASSERT_NE(editor, nullptr);

    dispatch(vst::effEditClose);
    dispatch(vst::effEditIdle);
    EXPECT_FALSE(effect->editorIsOpen());

    reliability::HostWindow window;
    void* parents[] = {nullptr, window.available() ? window.parent() : nullptr};
    for (void* parent : parents) {
        dispatch(vst::effEditOpen, 0, 0, parent);
        dispatch(vst::effEditOpen, 0, 0, parent);
        EXPECT_TRUE(editor->isOpen());
        EXPECT_TRUE(effect->editorIsOpen());
        for (int i = 0; i < 5; ++i) {
            set(param::kPreDelay, 0.1f * static_cast<float>(i));
            set(param::kStInputs, 0.2f * static_cast<float>(i));
            dispatch(vst::effEditIdle);
            window.drain();
        }
        ASSERT_NE(editor->getControl(param::kPreDelay), nullptr);
        EXPECT_FLOAT_EQ(editor->getControl(param::kPreDelay)->getValue(), 0.4f);
        dispatch(vst::effEditClose);
        dispatch(vst::effEditClose);
        dispatch(vst::effEditIdle);
        EXPECT_FALSE(editor->isOpen());
        EXPECT_FALSE(effect->editorIsOpen());
        // Changes while closed reach no view.
        set(param::kPreDelay, 0.9f);
        set(param::kGate, 0.3f);
    }
    EXPECT_TRUE(run(4096).clean());

    // The host deletes the effect with its editor open.
    dispatch(vst::effEditOpen, 0, 0, parents[1]);
    dispatch(vst::effEditIdle);
    dispatch(vst::effClose);
    record = nullptr;
}

TEST_F(HostileDispatcherTest, TextOpcodesStayInsideTheirBuffers)
{
    // A program name far longer than the 24 bytes a program keeps, without a
    // terminator within reach of the copy.
    std::string longName(300, 'x');
    dispatch(vst::effSetProgramName, 0, 0, longName.data());
    char name[64];
    std::fill(name, name + sizeof name, '#');
    dispatch(vst::effGetProgramName, 0, 0, name);
    EXPECT_LT(std::string(name).size(), 24u);
    for (int program : {-1, 8, 100})
        EXPECT_EQ(dispatch(vst::effGetProgramNameIndexed, program, 0, name), 0) << program;

    // Names of ids in and out of the table fit the host's usual buffer.
    for (int id = -5; id <= 110; ++id) {
        char text[64];
        std::fill(text, text + sizeof text, '#');
        dispatch(vst::effGetParamName, id, 0, text);
        EXPECT_LT(std::string(text, strnlen(text, sizeof text)).size(), 32u) << id;
        std::fill(text, text + sizeof text, '#');
        dispatch(vst::effGetParamDisplay, id, 0, text);
        dispatch(vst::effGetParamLabel, id, 0, text);
        EXPECT_EQ(text[0], '#') << id;
    }
    for (vst::IntPtr program : {vst::IntPtr(-1), vst::IntPtr(8), vst::IntPtr(1) << 32, -(vst::IntPtr(1) << 40)}) {
        dispatch(vst::effSetProgram, 0, program);
        EXPECT_EQ(dispatch(vst::effGetProgram), 0) << program;
    }
}

} // namespace
