#pragma once
// The envelope graph as the IR object feeds it: the loaded IR and the shaped IR
// as level curves, one value per sample. Implemented by the editor's graph.
//
// Every call comes from the thread that loads or rebuilds the IR, which the
// effect serialises with its parameter changes and file actions.
#include "params/EffectConstants.h"
#include <cstdint>

namespace ir {

struct CurveColour {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

class EnvelopeSink {
public:
    // Values per curve: one per sample, sample 0 first.
    static constexpr int kCurveSamples = effect::kIRCapacityFrames;
    static constexpr int kSlotCount = 4;

    virtual ~EnvelopeSink() = default;

    // Samples per second of the graph's time axis (the editor sets 44100,
    // whatever the host's rate).
    virtual int graphSampleRate() const = 0;

    // Milliseconds shown across the plot; set before every feed.
    virtual void setTimeRange(float ms) = 0;
    // Samples that the shown time range spans; set before every feed.
    virtual void setSamplesInRange(float samples) = 0;

    // A curve of `count` values (kCurveSamples from the IR object) into `slot`
    // with its label and colour; the graph redraws at once when it can.
    // Returns 0, or -1 for a slot outside 0..kSlotCount-1 (nothing changes).
    virtual int setCurve(int slot, const float* values, int count, const char* label, CurveColour colour) = 0;

    // A shaped stereo IR (kCurveSamples samples per channel): the curve takes
    // per sample the larger magnitude of the two channels and the label
    // "enveloped data -".
    // Returns as setCurve does.
    virtual int setEnvelopeCurve(int slot, const float* left, const float* right, CurveColour colour) = 0;

    // Redraws the graph now if it is shown in an open frame; otherwise nothing.
    virtual void redraw() = 0;
};

} // namespace ir
