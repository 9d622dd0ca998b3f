// The IR object end to end: WAV files on disk, a recording owner and envelope
// graph, a fixed clock, and the convolution engine holding the kernel.
#include "IRDataTestKit.h"

#include "ir/IRData.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using irdatatest::sample;

constexpr float kGateOff = 2972.154296875f;
constexpr int kN = 131072;

class IRDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::installServices(&clock_);
        dir_ = testsupport::makeTempDir("irdata");
        owner_.sink = &sink_;
        ir_ = std::make_unique<ir::IRData>(&owner_, engine_);
        // Unfiltered and full length unless a test says otherwise.
        ir_->setDump(1.0f);
        ir_->setGate(kGateOff);
    }
    void TearDown() override
    {
        ir_.reset();
        testsupport::installServices(nullptr);
        testsupport::removeTempDir(dir_);
    }

    std::string file(const std::string& name) const { return dir_ + "/" + name; }

    std::string writeMono(const std::string& name, const std::vector<float>& samples, int rate = 44100)
    {
        irdatatest::writeWav(file(name), rate, samples);
        return file(name);
    }

    const irdatatest::EnvelopeCall& lastShaped() const { return sink_.envelopes.back(); }

    irdatatest::ClockServices clock_;
    engine::ProcessEpoch epoch_;
    engine::ConvolutionEngine engine_{epoch_};
    irdatatest::RecordingSink sink_;
    irdatatest::RecordingOwner owner_;
    std::unique_ptr<ir::IRData> ir_;
    std::string dir_;
};

// Decaying noise that is never zero. A decaying IR keeps a neutral Decay
// neutral: only an IR that seems to rise lowers the envelope multiplier.
std::vector<float> noise(int frames, unsigned state)
{
    std::vector<float> v(static_cast<std::size_t>(frames));
    for (std::size_t i = 0; i < v.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        const float magnitude = 0.1f + 0.9f * static_cast<float>(state >> 8) / 16777216.0f;
        v[i] = magnitude * std::exp(-static_cast<float>(i) / 40000.0f) * ((state & 1) ? -1.0f : 1.0f);
    }
    v[0] = 1.0f;
    return v;
}

TEST_F(IRDataTest, StretchTwoInterpolatesAtHalfPositionsWithTheStretchLoss)
{
    irdatatest::writeWav(file("s.wav"), 44100, noise(kN, 1), noise(kN, 2));
    ASSERT_EQ(ir_->loadIR(file("s.wav").c_str()), 0);
    ir_->setStretch(2.0f);
    ASSERT_EQ(ir_->envelopeMultiplier(), 1.0);

    const double c = std::pow(10.0, -3.6629 / 20.0);
    const float* rawL = ir_->rawLeft();
    const float* rawR = ir_->rawRight();
    const auto& shaped = lastShaped();
    for (int i = 0; i < kN; i += 7) {
        const int n = i / 2;
        const double expectL = (i % 2 ? 0.5 * (rawL[n] + rawL[n + 1]) : rawL[n]) * c;
        const double expectR = (i % 2 ? 0.5 * (rawR[n] + rawR[n + 1]) : rawR[n]) * c;
        ASSERT_NEAR(sample(shaped.left, i), expectL, 1e-6) << i;
        ASSERT_NEAR(sample(shaped.right, i), expectR, 1e-6) << i;
    }
    EXPECT_FLOAT_EQ(sample(shaped.left, 0), static_cast<float>(c));
}

TEST_F(IRDataTest, GateOf100msAt48kHzKeeps4800Samples)
{
    ir_->setSampleRate(48000.0f);
    irdatatest::writeWav(file("g.wav"), 48000, noise(20000, 3), noise(20000, 4));
    ASSERT_EQ(ir_->loadIR(file("g.wav").c_str()), 0);
    ir_->setGate(100.0f);

    const auto& shaped = lastShaped();
    ASSERT_EQ(shaped.left.size(), static_cast<std::size_t>(kN));
    for (int i = 0; i < kN; ++i) {
        ASSERT_EQ(shaped.left[i] != 0.0f, i < 4800) << i;
        ASSERT_EQ(shaped.right[i] != 0.0f, i < 4800) << i;
    }
}

TEST_F(IRDataTest, DecayBelowOneFallsByEPer1310720TimesItsSquare)
{
    ASSERT_EQ(ir_->loadIR(writeMono("flat.wav", std::vector<float>(20000, 0.5f)).c_str()), 0);
    ir_->setDecay(0.01);
    EXPECT_DOUBLE_EQ(ir_->envelopeMultiplier(), std::exp(-1.0 / 131.072));
    EXPECT_DOUBLE_EQ(ir_->decayKey(), 0.0001);
    for (int i : {0, 131, 1000, 2000})
        EXPECT_NEAR(sample(lastShaped().left, i) / std::exp(-i / 131.072), 1.0, 1e-4) << i;

    // Back to neutral is a change like any other.
    const std::size_t builds = sink_.envelopes.size();
    ir_->setDecay(1.0);
    EXPECT_EQ(sink_.envelopes.size(), builds + 1);
    EXPECT_EQ(sample(lastShaped().left, 2000), 1.0f);
}

TEST_F(IRDataTest, DecayAboveOneIsLimitedByTheMeasuredDecay)
{
    // An IR that loses 1e-5 nepers per sample; Decay 100 would rise by 7.6e-5.
    std::vector<float> tail(kN);
    for (int j = 0; j < kN; ++j)
        tail[static_cast<std::size_t>(j)] = static_cast<float>((j % 2 ? -1.0 : 1.0) * std::exp(-1e-5 * j));
    ASSERT_EQ(ir_->loadIR(writeMono("tail.wav", tail).c_str()), 0);
    EXPECT_NEAR(ir_->decayFactor(), std::exp(-1e-5), 1e-9);

    ir_->setDecay(100.0);
    EXPECT_DOUBLE_EQ(ir_->envelopeMultiplier(), 1.0 / ir_->decayFactor());
    const auto& shaped = lastShaped();
    for (int i : {50000, 100000, 131070})
        EXPECT_NEAR(std::fabs(sample(shaped.left, i)), 1.0, 1e-3) << i;

    // The limit follows the IR in force: a faster IR lets Decay 100 rise fully,
    // without Decay being set again (as when a project is restored, Decay first).
    std::vector<float> fast(kN);
    for (int j = 0; j < kN; ++j)
        fast[static_cast<std::size_t>(j)] = static_cast<float>(std::exp(-1e-4 * j));
    ASSERT_EQ(ir_->loadIR(writeMono("fast.wav", fast).c_str()), 0);
    EXPECT_NEAR(ir_->decayFactor(), std::exp(-1e-4), 1e-9);
    EXPECT_DOUBLE_EQ(ir_->envelopeMultiplier(), std::exp(100.0 / 1310720.0));
    // And the slower one limits it again.
    ASSERT_EQ(ir_->loadIR(writeMono("tail.wav", tail).c_str()), 0);
    EXPECT_DOUBLE_EQ(ir_->envelopeMultiplier(), 1.0 / ir_->decayFactor());

    // Nothing measured: no rise at all.
    ASSERT_EQ(ir_->loadIR(writeMono("short.wav", std::vector<float>(100, 0.5f)).c_str()), 0);
    EXPECT_EQ(ir_->decayFactor(), 1.0);
    ir_->setDecay(50.0);
    EXPECT_EQ(ir_->envelopeMultiplier(), 1.0);
}

TEST_F(IRDataTest, LeadIsTrimmedPastNegativeSamplesAndTheFreedEndIsSilent)
{
    std::vector<float> samples = noise(kN, 5);
    const float lead[] = {0.0f, 0.002f, -1.0f, -0.4f, 0.25f};
    for (int i = 0; i < 5; ++i)
        samples[static_cast<std::size_t>(i)] = lead[i];
    ASSERT_EQ(ir_->loadIR(writeMono("neg.wav", samples).c_str()), 0);

    EXPECT_EQ(ir_->rawFrameCount(), kN);
    EXPECT_EQ(owner_.pseudoStereo, std::vector<bool>{true});
    EXPECT_FLOAT_EQ(ir_->rawLeft()[0], 0.25f);
    EXPECT_FLOAT_EQ(ir_->rawRight()[0], 0.25f);
    EXPECT_FLOAT_EQ(ir_->rawLeft()[kN - 1 - 4], samples[kN - 1]);
    for (int i = kN - 4; i < kN; ++i)
        EXPECT_EQ(ir_->rawLeft()[i], 0.0f) << i;
}

TEST_F(IRDataTest, PublishesBothCurvesWithTheirLabelsColoursAndTimeRange)
{
    irdatatest::writeWav(file("p.wav"), 44100, noise(30000, 6), noise(30000, 7));
    ir_->setSampleRate(48000.0f);
    ASSERT_EQ(ir_->loadIR(file("p.wav").c_str()), 0);
    EXPECT_EQ(owner_.pseudoStereo, std::vector<bool>{false});

    ASSERT_EQ(sink_.curves.size(), 1u);
    const auto& raw = sink_.curves[0];
    EXPECT_EQ(raw.slot, 0);
    EXPECT_EQ(raw.label, "impluse data -");
    EXPECT_EQ((std::vector<int>{raw.colour.r, raw.colour.g, raw.colour.b, raw.colour.a}),
              (std::vector<int>{147, 167, 174, 255}));
    EXPECT_EQ(raw.timeRange, 3000.0f);
    EXPECT_EQ(raw.samplesInRange, 132300.0f);
    ASSERT_EQ(raw.values.size(), static_cast<std::size_t>(kN));
    // The raw IR at the host's rate: value i at raw position i * 44100 / 48000.
    const double p = 1000 * static_cast<double>(44100.0f / 48000.0f);
    const int n = static_cast<int>(p);
    const double f = p - n;
    const double l = (1 - f) * ir_->rawLeft()[n] + f * ir_->rawLeft()[n + 1];
    const double r = (1 - f) * ir_->rawRight()[n] + f * ir_->rawRight()[n + 1];
    EXPECT_NEAR(raw.values[1000], std::max(std::fabs(l), std::fabs(r)), 1e-6);

    ASSERT_EQ(sink_.envelopes.size(), 1u);
    const auto& shaped = sink_.envelopes[0];
    EXPECT_EQ(shaped.slot, 1);
    EXPECT_EQ((std::vector<int>{shaped.colour.r, shaped.colour.g, shaped.colour.b, shaped.colour.a}),
              (std::vector<int>{0, 244, 255, 255}));
    EXPECT_EQ(shaped.timeRange, 3000.0f);
    EXPECT_EQ(shaped.samplesInRange, 132300.0f);
    EXPECT_EQ(sink_.redraws, 1);  // once per build, after its curves

    // (An open editor draws the highlight that follows on its own idle.)
    owner_.open = true;
    ir_->setGate(500.0f);
    EXPECT_EQ(sink_.redraws, 2);

    // An opening editor gets both curves, without a new kernel.
    ir_->setRebuildIndicator(0);
    ir_->refreshEnvelopeCurves();
    EXPECT_EQ(sink_.curves.size(), 2u);
    EXPECT_EQ(sink_.envelopes.size(), 3u);
    EXPECT_EQ(sink_.envelopes[2].left, sink_.envelopes[1].left);
    EXPECT_EQ(ir_->rebuildIndicator(), 0);
}

TEST_F(IRDataTest, UnchangedSettingsBuildNothingAndLeaveTheIndicator)
{
    const std::string path = writeMono("u.wav", noise(5000, 8));
    ASSERT_EQ(ir_->loadIR(path.c_str()), 0);
    EXPECT_EQ(ir_->rebuildIndicator(), 6114);
    ir_->setRebuildIndicator(0);

    ir_->setGate(kGateOff);
    ir_->setStretch(1.0f);
    ir_->setDump(1.0f);
    ir_->setDecay(1.0);
    EXPECT_EQ(sink_.envelopes.size(), 1u);
    EXPECT_EQ(sink_.redraws, 1);
    EXPECT_EQ(ir_->rebuildIndicator(), 0);

    clock_.now = 9000;
    ir_->setGate(1000.0f);
    EXPECT_EQ(sink_.envelopes.size(), 2u);
    EXPECT_EQ(ir_->rebuildIndicator(), 10114);
    EXPECT_FALSE(ir_->clearRebuildIndicatorIfDue(10113));
    EXPECT_TRUE(ir_->clearRebuildIndicatorIfDue(10114));
    EXPECT_EQ(ir_->rebuildIndicator(), 0);
}

TEST_F(IRDataTest, ReloadWithUnchangedSettingsRepublishesButKeepsTheKernel)
{
    // A one-sample IR first; the same name then holds a two-sample IR.
    const std::string path = writeMono("k.wav", {1.0f});
    ASSERT_EQ(ir_->loadIR(path.c_str()), 0);
    writeMono("k.wav", {1.0f, 0.5f});
    ir_->setRebuildIndicator(0);
    clock_.now = 7000;
    ASSERT_EQ(ir_->loadIR(path.c_str()), 0);

    EXPECT_EQ(sink_.curves.size(), 2u);
    EXPECT_EQ(sink_.envelopes.size(), 1u);
    EXPECT_FLOAT_EQ(ir_->rawLeft()[1], 0.5f);
    EXPECT_EQ(ir_->rebuildIndicator(), 8114);  // highlighted, not left building
    auto heard = irdatatest::impulseResponse(engine_, 4);
    EXPECT_NEAR(heard.left[0], 1.0f, 1e-5);
    EXPECT_NEAR(heard.left[1], 0.0f, 1e-5);

    // The next change of a setting builds from the new samples.
    ir_->setGate(1000.0f);
    heard = irdatatest::impulseResponse(engine_, 4);
    EXPECT_NEAR(heard.left[0], 1.0 / std::sqrt(1.25), 1e-5);
    EXPECT_NEAR(heard.left[1], 0.5 / std::sqrt(1.25), 1e-5);

    // A reload at a new host rate is a new build.
    ir_->setSampleRate(48000.0f);
    ASSERT_EQ(ir_->loadIR(path.c_str()), 0);
    EXPECT_EQ(sink_.envelopes.size(), 3u);
}

TEST_F(IRDataTest, WithoutAGraphTheKernelIsStillBuilt)
{
    owner_.sink = nullptr;
    ASSERT_EQ(ir_->loadIR(writeMono("n.wav", {1.0f, 0.5f}).c_str()), 0);
    ir_->refreshEnvelopeCurves();
    auto heard = irdatatest::impulseResponse(engine_, 64);
    EXPECT_NEAR(heard.left[0], 1.0 / std::sqrt(1.25), 1e-5);
    EXPECT_NEAR(heard.right[1], 0.5 / std::sqrt(1.25), 1e-5);
    EXPECT_NEAR(heard.left[40], 0.0f, 1e-5);

    ir::IRData orphan(nullptr, engine_);
    orphan.setDump(1.0f);
    ASSERT_EQ(orphan.loadIR(writeMono("o.wav", {0.5f, 1.0f}).c_str()), 0);
    heard = irdatatest::impulseResponse(engine_, 4);
    EXPECT_NEAR(heard.left[0], 0.5 / std::sqrt(1.25), 1e-5);
    EXPECT_NEAR(heard.left[1], 1.0 / std::sqrt(1.25), 1e-5);
    EXPECT_TRUE(sink_.curves.empty());
    EXPECT_TRUE(sink_.envelopes.empty());
}

TEST_F(IRDataTest, FailedLoadsChangeNothingButTheErrorText)
{
    const std::string good = writeMono("good.wav", {1.0f, 0.5f});
    ASSERT_EQ(ir_->loadIR(good.c_str()), 0);
    const std::vector<float> rawBefore(ir_->rawLeft(), ir_->rawLeft() + kN);
    const int channels = ir_->fileInfo().channels;
    const int indicator = ir_->rebuildIndicator();

    irdatatest::writeWavWithTag(file("adpcm.wav"), 2, 44100, {1.0f});
    irdatatest::writeWavWithTag(file("ext.wav"), 0xFFFE, 22050, {0.5f});
    testsupport::writeFile(file("junk.wav"), "RIFX");
    const std::string tooLong = dir_ + "/" + std::string(260, 'x') + ".wav";
    const struct {
        std::string path;
        const char* text;
        int result;
    } failures[] = {
        {file("missing.wav"), "File open err [", -1},
        {file("adpcm.wav"), "ADPCM encoding: only PCM and float samples can be loaded", ir::kIRRefused},
        {file("ext.wav"), "Format chunk is too short.", -1}, // extensible without its extension
        {file("junk.wav"), "Specified file is not RIFF file.", -1},
        {file("notes.txt"), "unknown extension", -1},
        {tooLong, "too long", -1},
    };
    for (const auto& failure : failures) {
        EXPECT_EQ(ir_->loadIR(failure.path.c_str()), failure.result) << failure.path;
        EXPECT_NE(std::string(ir_->errorText()).find(failure.text), std::string::npos) << ir_->errorText();
        EXPECT_EQ(std::string(ir_->path()), good);
    }
    EXPECT_EQ(ir_->loadIR(nullptr), -1);

    EXPECT_EQ(ir_->fileInfo().channels, channels);
    EXPECT_EQ(ir_->fileInfo().sampleRate, 44100);
    EXPECT_EQ(ir_->rawFrameCount(), 2);
    EXPECT_EQ(std::vector<float>(ir_->rawLeft(), ir_->rawLeft() + kN), rawBefore);
    EXPECT_EQ(ir_->rebuildIndicator(), indicator);
    EXPECT_EQ(owner_.pseudoStereo.size(), 1u);
    EXPECT_EQ(sink_.curves.size(), 1u);
    EXPECT_EQ(sink_.envelopes.size(), 1u);
    const auto heard = irdatatest::impulseResponse(engine_, 2);
    EXPECT_NEAR(heard.left[1], 0.5 / std::sqrt(1.25), 1e-5);
}

TEST_F(IRDataTest, PathOf259BytesLoadsWhole)
{
    std::string folder = dir_;
    while (folder.size() + 1 + 100 + 1 + 20 < 259) {
        folder += "/" + std::string(100, 'd');
        ASSERT_TRUE(std::filesystem::create_directory(folder));
    }
    const std::string name = std::string(259 - folder.size() - 1 - 4, 'n') + ".wav";
    const std::string path = folder + "/" + name;
    ASSERT_EQ(path.size(), 259u);
    irdatatest::writeWav(path, 44100, {1.0f});
    ASSERT_EQ(ir_->loadIR(path.c_str()), 0) << ir_->errorText();
    EXPECT_EQ(std::string(ir_->path()), path);
}

TEST_F(IRDataTest, UnusableHostRatesGiveASilentKernelAndNoMeasuredDecay)
{
    const std::string path = writeMono("r.wav", {1.0f, 0.5f});
    ASSERT_EQ(ir_->loadIR(path.c_str()), 0);
    // Below 20 Hz there is no 50 ms window to measure with.
    ir_->setSampleRate(10.0f);
    ASSERT_EQ(ir_->loadIR(path.c_str()), 0);
    EXPECT_EQ(ir_->decayFactor(), 1.0);

    const float rates[] = {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN()};
    for (float fs : rates) {
        ir_->setSampleRate(fs);
        ir_->setRebuildIndicator(0);
        ASSERT_EQ(ir_->loadIR(path.c_str()), 0) << fs;
        EXPECT_EQ(ir_->decayFactor(), 1.0) << fs;
        EXPECT_EQ(ir_->rebuildIndicator(), 6114) << fs;
        const auto& shaped = lastShaped();
        EXPECT_EQ(*std::max_element(shaped.left.begin(), shaped.left.end()), 0.0f) << fs;
        for (float v : sink_.curves.back().values)
            ASSERT_TRUE(std::isfinite(v)) << fs;
    }
    const auto heard = irdatatest::impulseResponse(engine_, 8);
    for (float v : heard.left)
        EXPECT_EQ(v, 0.0f);
}

} // namespace
