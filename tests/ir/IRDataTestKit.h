#pragma once
// Fixtures for the IR object's tests: WAV files on disk, an owner and an
// envelope graph that record what they are given, a settable clock, and the
// convolution engine's response to an impulse (to see the installed kernel).
#include "engine/ConvolutionEngine.h"
#include "engine/Handover.h"
#include "ir/EnvelopeSink.h"
#include "ir/IROwner.h"
#include "support/ServiceFake.h"

#include <cstdint>
#include <string>
#include <vector>

namespace irdatatest {

// A WAV file of 32-bit float samples (tag 3), or 16-bit integers (tag 1) when
// pcm16 is set; right empty = mono.
void writeWav(const std::string& path, int rate, const std::vector<float>& left,
              const std::vector<float>& right = {}, bool pcm16 = false);
// The same with any format tag, written as 16-bit samples.
void writeWavWithTag(const std::string& path, int tag, int rate, const std::vector<float>& mono);

struct CurveCall {
    int slot = -1;
    std::string label;
    ir::CurveColour colour;
    std::vector<float> values;
    float timeRange = 0.0f;       // as set before this call
    float samplesInRange = 0.0f;  // as set before this call
};

struct EnvelopeCall {
    int slot = -1;
    ir::CurveColour colour;
    std::vector<float> left;   // as handed over
    std::vector<float> right;
    float timeRange = 0.0f;
    float samplesInRange = 0.0f;
};

class RecordingSink final : public ir::EnvelopeSink {
public:
    int graphSampleRate() const override { return 44100; }
    void setTimeRange(float ms) override { timeRange_ = ms; }
    void setSamplesInRange(float samples) override { samplesInRange_ = samples; }
    int setCurve(int slot, const float* values, int count, const char* label, ir::CurveColour colour) override;
    int setEnvelopeCurve(int slot, const float* left, const float* right, ir::CurveColour colour) override;
    void redraw() override { ++redraws; }

    std::vector<CurveCall> curves;
    std::vector<EnvelopeCall> envelopes;
    int redraws = 0;

private:
    float timeRange_ = 0.0f;
    float samplesInRange_ = 0.0f;
};

class RecordingOwner final : public ir::IROwner {
public:
    void setPseudoStereo(bool on) override { pseudoStereo.push_back(on); }
    ir::EnvelopeSink* envelopeSink() override { return sink; }
    bool editorOpen() const override { return open; }

    ir::EnvelopeSink* sink = nullptr;
    bool open = false;
    std::vector<bool> pseudoStereo;
};

class ClockServices final : public testsupport::ServiceFake {
public:
    std::uint32_t tickCount() override { return now; }
    void sleepMs(int) override {}

    std::uint32_t now = 5000;
};

// Left and right wet output at frames 65536 .. 65536 + frames - 1 for a unit
// impulse at frame 0 on both inputs (the routing is set to straight, and the
// engine is reset first): the installed kernel, as the audio thread hears it.
struct Response {
    std::vector<float> left;
    std::vector<float> right;
};
Response impulseResponse(engine::ConvolutionEngine& engine, int frames);

// Sample i of a shaped channel.
inline float sample(const std::vector<float>& a, int i) { return a[static_cast<std::size_t>(i)]; }

} // namespace irdatatest
