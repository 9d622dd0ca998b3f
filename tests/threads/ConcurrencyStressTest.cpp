// The effect under a busy host: an audio thread processes 512-frame calls as
// fast as it can while other threads automate every parameter at random, switch
// and rename programs, restore saved states, load good and bad IR files, change
// the sample rate and (with a display) open, idle and close the editor in a
// window of the host's. The output must stay clean all the while, and between
// rounds the effect must still be consistent: a restored state reads back
// exactly, the IR it names is loaded, the programs keep sane names.
//
// Runs RVB_STRESS_SECONDS seconds (default 10) in rounds of about 5 seconds,
// plus the time the threads take to finish what they are doing at the end of
// a round (a kernel rebuild takes a second or more in sanitizer builds).
// Meant to run under ThreadSanitizer as well as AddressSanitizer.
#include "editor/SDEditor.h"
#include "ir/IRData.h"
#include "shell/DOvu.h"
#include "params/ParameterTable.h"
#include "params/PathParams.h"
#include "support/FakeDesktop.h"
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <limits>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/HostWindow.h"

namespace {

using Clock = std::chrono::steady_clock;
using State = std::array<float, param::kNumParams>;

constexpr int kBlock = 512;

double stressSeconds()
{
    const char* text = std::getenv("RVB_STRESS_SECONDS");
    const double seconds = text ? std::atof(text) : 0.0;
    return seconds > 0.0 ? seconds : 10.0;
}

std::atomic<long> g_automations{0};

vst::IntPtr stressHost(vst::AEffect*, vst::Int32 opcode, vst::Int32, vst::IntPtr, void*, float)
{
    if (opcode == vst::audioMasterAutomate)
        ++g_automations;
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

bool isAction(int id) { return id >= param::kCopyToLocal && id <= param::kReset; }

// A program name as the host reads it: terminated within 24 bytes, printable.
bool saneName(const char* text)
{
    const std::size_t length = strnlen(text, vst::kMaxProgNameLen + 1);
    if (length >= static_cast<std::size_t>(vst::kMaxProgNameLen))
        return false;
    for (std::size_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) < 0x20)
            return false;
    return true;
}

// Failures seen on worker threads, reported by the test's own thread.
class Problems {
public:
    void add(const std::string& what)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (list_.size() < 20)
            list_.push_back(what);
        ++count_;
    }
    int count() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }
    std::string text() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string all;
        for (const std::string& p : list_)
            all += p + "\n";
        return all;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> list_;
    int count_ = 0;
};

class ConcurrencyStressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("stress");
        stereoIR = dir + "/hall.wav";
        monoIR = dir + "/plate.wav";
        ASSERT_TRUE(reliability::writeWav(stereoIR, reliability::decayingNoiseIR(12000, 2, 44100), 2, 44100));
        ASSERT_TRUE(reliability::writeWav(monoIR, reliability::decayingNoiseIR(6000, 1, 48000, 5u), 1, 48000));
        garbageIR = dir + "/garbage.wav";
        testsupport::writeFile(garbageIR, std::string("RIFF\x10\x00\x00\x00WAVEjunkjunkjunk", 24));
        truncatedIR = dir + "/truncated.wav";
        const std::string whole = testsupport::readFile(stereoIR);
        testsupport::writeFile(truncatedIR, whole.substr(0, 60));

        effect = new DOvu(&stressHost);
        record = effect->getAeffect();
        record->dispatcher(record, vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
        record->dispatcher(record, vst::effSetBlockSize, 0, kBlock, nullptr, 0.0f);
        record->dispatcher(record, vst::effMainsChanged, 0, 1, nullptr, 0.0f);

        // Two projects on the same IR: restoring one reloads the file, but
        // rebuilds the kernel only when the storm left another IR in force.
        stateA = makeState(stereoIR, 1u);
        stateB = makeState(stereoIR, 2u);
    }
    void TearDown() override
    {
        if (record)
            record->dispatcher(record, vst::effClose, 0, 0, nullptr, 0.0f);
        testsupport::removeTempDir(dir);
    }

    // A saved project: sensible knob values and the path of an IR.
    static State makeState(const std::string& irPath, unsigned start)
    {
        State s{};
        std::mt19937 rng(start);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (int id = 0; id < param::kPathFirst; ++id)
            s[id] = isAction(id) ? 0.0f : unit(rng);
        s[param::kBypassLocal] = 1.0f;
        s[param::kWetLevel] = 0.7f;
        // The shaping of a fresh program in every saved state: a restore or a
        // program change then rebuilds the kernel once, for its IR, not once
        // per shaping knob as well (a rebuild takes a second or more in
        // sanitizer builds, and holds up every other parameter change).
        for (int id = param::kStrech; id <= param::kDump; ++id)
            s[id] = static_cast<float>(param::normalisedDefault(id));
        EXPECT_TRUE(param::encodePathToParams(irPath.c_str(), s.data() + param::kPathFirst));
        s[param::kPathCommit] = 1.0f;
        return s;
    }

    void restore(const State& s)
    {
        for (int id = 0; id < param::kNumParams; ++id)
            record->setParameter(record, id, s[id]);
    }

    void commitPath(const std::string& path)
    {
        float values[param::kPathCount] = {};
        if (!param::encodePathToParams(path.c_str(), values))
            return;
        for (int k = 0; k < param::kPathCount; ++k)
            record->setParameter(record, param::kPathFirst + k, values[k]);
        record->setParameter(record, param::kPathCommit, 1.0f);
    }

    vst::IntPtr dispatch(vst::Int32 opcode, vst::Int32 index = 0, vst::IntPtr value = 0, void* ptr = nullptr,
                         float opt = 0.0f)
    {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }

    // --- the threads -------------------------------------------------------

    void audioThread()
    {
        std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
        reliability::Noise noise(31u);
        reliability::OutputCheck check;
        while (!stopAudio.load()) {
            noise.fill(inL.data(), kBlock, 0.25f);
            noise.fill(inR.data(), kBlock, 0.25f);
            float* in[2] = {inL.data(), inR.data()};
            float* out[2] = {outL.data(), outR.data()};
            record->processReplacing(record, in, out, kBlock);
            check.add(outL.data(), kBlock);
            check.add(outR.data(), kBlock);
            audioCalls.fetch_add(1);
        }
        if (!check.clean())
            problems.add("audio: " + check.describe());
    }

    void automationThread(unsigned start)
    {
        std::mt19937 rng(start);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        const float hostile[] = {std::numeric_limits<float>::quiet_NaN(), -1.0f, 2.0f,
                                 std::numeric_limits<float>::infinity()};
        while (!stopStorm.load()) {
            // Knobs and switches more often than the 80 path values and the
            // commit; the shaping knobs, which rebuild the kernel, seldom.
            int id = rng() % 3 == 0 ? param::kPathFirst + static_cast<int>(rng() % (param::kPathCount + 1))
                                    : static_cast<int>(rng() % param::kPathFirst);
            if (id >= param::kStrech && id <= param::kDump && rng() % 16 != 0)
                id = param::kWetLevel;
            float value = unit(rng);
            if (isAction(id))
                value = rng() % 4 == 0 ? 1.0f : 0.0f;
            else if (rng() % 16 == 0)
                value = hostile[rng() % 4];
            record->setParameter(record, id, value);
            const float back = record->getParameter(record, id);
            if (!(back >= 0.0f && back <= 1.0f))
                problems.add("id " + std::to_string(id) + " reads back " + std::to_string(back));
            parameterChanges.fetch_add(1);
        }
    }

    // Waits up to `ms`, less when the round ends.
    void pause(int ms)
    {
        for (int i = 0; i < ms / 10 && !stopStorm.load(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    void programThread(unsigned start)
    {
        std::mt19937 rng(start);
        const char* names[] = {"", "Init", "Hall", "A name far too long for the program record to hold",
                               "\xe3\x81\x82"};
        for (int k = 0; !stopStorm.load(); ++k) {
            // A program change applies all 104 values (and may rebuild the
            // kernel several times): not every round.
            if (k % 8 == 0)
                dispatch(vst::effSetProgram, 0, static_cast<vst::IntPtr>(rng() % 10) - 1);
            char name[64] = {};
            std::strncpy(name, names[rng() % 5], sizeof name - 1);
            dispatch(vst::effSetProgramName, 0, 0, name);
            char text[64];
            std::memset(text, '#', sizeof text);
            dispatch(vst::effGetProgramName, 0, 0, text);
            if (!saneName(text))
                problems.add("program name not sane");
            for (int p = 0; p < 8; ++p) {
                std::memset(text, '#', sizeof text);
                if (!dispatch(vst::effGetProgramNameIndexed, p, 0, text) || !saneName(text))
                    problems.add("program " + std::to_string(p) + " has no sane name");
            }
            const vst::IntPtr current = dispatch(vst::effGetProgram);
            if (current < 0 || current >= 8)
                problems.add("current program " + std::to_string(current));
            programChanges.fetch_add(1);
            pause(40);
        }
    }

    void restoreThread()
    {
        for (int k = 0; !stopStorm.load(); ++k) {
            restore(k % 2 ? stateB : stateA);
            restores.fetch_add(1);
            pause(100);
        }
    }

    void irThread()
    {
        // Mostly files that fail (quickly, with a message); now and then a
        // switch between the mono and the stereo IR, which rebuilds the kernel.
        const std::string failing[] = {garbageIR, truncatedIR, dir + "/missing.wav", dir};
        for (int k = 0; !stopStorm.load(); ++k) {
            if (k % 12 == 5)
                commitPath(monoIR);
            else if (k % 12 == 11)
                commitPath(stereoIR);
            else
                commitPath(failing[k % 4]);
            irLoads.fetch_add(1);
            pause(50);
        }
    }

    void hostControlThread(unsigned start)
    {
        std::mt19937 rng(start);
        const float rates[] = {44100.0f, 48000.0f, 96000.0f, 22050.0f};
        while (!stopStorm.load()) {
            // A sloppy host: a new rate while the audio thread runs, no suspend.
            dispatch(vst::effSetSampleRate, 0, 0, nullptr, rates[rng() % 4]);
            dispatch(vst::effSetBlockSize, 0, kBlock);
            char text[64];
            dispatch(vst::effGetParamName, static_cast<vst::Int32>(rng() % 110), 0, text);
            dispatch(vst::effGetVendorString, 0, 0, text);
            dispatch(vst::effCanDo, 0, 0, const_cast<char*>("receiveVstTimeInfo"));
            hostCalls.fetch_add(1);
            pause(500);
        }
    }

    void editorThread(reliability::HostWindow& window)
    {
        while (!stopStorm.load()) {
            dispatch(vst::effEditOpen, 0, 0, window.parent());
            for (int i = 0; i < 10 && !stopStorm.load(); ++i) {
                dispatch(vst::effEditIdle);
                window.drain();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            dispatch(vst::effEditClose);
            editorCycles.fetch_add(1);
        }
    }

    // --- between rounds ----------------------------------------------------

    void checkConsistency(const State& s, const std::string& irPath, int round)
    {
        restore(s);
        // The kernel is built by the effect's worker.
        effect->finishPendingWork();
        for (int id = 0; id < param::kNumParams; ++id) {
            if (isAction(id))
                continue;
            ASSERT_EQ(record->getParameter(record, id), s[id]) << "round " << round << " id " << id;
        }
        EXPECT_STREQ(effect->irData().path(), irPath.c_str()) << "round " << round;
        EXPECT_NE(effect->irData().rebuildIndicator(), -1) << "round " << round;
        // The current program holds what was just restored: re-selecting it
        // applies the same values again.
        const vst::IntPtr current = dispatch(vst::effGetProgram);
        ASSERT_TRUE(current >= 0 && current < 8);
        dispatch(vst::effSetProgram, 0, current);
        for (int id = 0; id < param::kNumParams; ++id) {
            if (isAction(id))
                continue;
            ASSERT_EQ(record->getParameter(record, id), s[id]) << "round " << round << " program id " << id;
        }
    }

    reliability::FakeDesktop desktop;
    std::string dir, stereoIR, monoIR, garbageIR, truncatedIR;
    DOvu* effect = nullptr;
    vst::AEffect* record = nullptr;
    State stateA{}, stateB{};

    std::atomic<bool> stopAudio{false};
    std::atomic<bool> stopStorm{false};
    std::atomic<long> audioCalls{0}, parameterChanges{0}, programChanges{0}, restores{0}, irLoads{0},
        hostCalls{0}, editorCycles{0};
    Problems problems;
};

TEST_F(ConcurrencyStressTest, EverythingAtOnceKeepsTheOutputCleanAndTheStateConsistent)
{
    const double seconds = stressSeconds();
    const int rounds = std::max(1, static_cast<int>(seconds / 5.0 + 0.5));
    const auto roundLength = std::chrono::duration<double>(seconds / rounds);

    reliability::HostWindow window;
    const bool withEditor = window.available() && effect->editor() != nullptr;
    if (!withEditor)
        std::cout << "[ stress   ] no display: the editor is left out\n";

    restore(stateA);
    std::thread audio([this] { audioThread(); });
    int threadsPerRound = 0;
    const auto start = Clock::now();
    for (int round = 0; round < rounds; ++round) {
        stopStorm.store(false);
        std::vector<std::thread> storm;
        storm.emplace_back([this, round] { automationThread(100u + round); });
        storm.emplace_back([this, round] { automationThread(200u + round); });
        storm.emplace_back([this, round] { programThread(300u + round); });
        storm.emplace_back([this] { restoreThread(); });
        storm.emplace_back([this] { irThread(); });
        storm.emplace_back([this, round] { hostControlThread(400u + round); });
        if (withEditor)
            storm.emplace_back([this, &window] { editorThread(window); });
        threadsPerRound = static_cast<int>(storm.size()) + 1;

        std::this_thread::sleep_for(roundLength);
        stopStorm.store(true);
        for (std::thread& t : storm)
            t.join();

        // The audio thread goes on meanwhile.
        dispatch(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
        checkConsistency(round % 2 ? stateB : stateA, stereoIR, round);
        if (HasFatalFailure())
            break;
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    stopAudio.store(true);
    audio.join();

    std::cout << "[ stress   ] " << elapsed << " s, " << rounds << " rounds of " << threadsPerRound
              << " threads: " << audioCalls.load() << " audio calls, " << parameterChanges.load()
              << " parameter changes, " << programChanges.load() << " program rounds, " << restores.load()
              << " state restores, " << irLoads.load() << " IR loads, " << hostCalls.load() << " host calls, "
              << editorCycles.load() << " editor open/close cycles, " << desktop.messageBoxes.load()
              << " failed-load messages\n";

    EXPECT_EQ(problems.count(), 0) << problems.text();
    EXPECT_GT(audioCalls.load(), 100);
    EXPECT_GT(parameterChanges.load(), 20);
    EXPECT_GT(restores.load(), 0);
    EXPECT_GT(irLoads.load(), 0);
    EXPECT_GT(desktop.messageBoxes.load(), 0) << "no bad IR was ever committed";
    if (withEditor) {
        EXPECT_GT(editorCycles.load(), 0);
    }
}

} // namespace
