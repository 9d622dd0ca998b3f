#pragma once
// The steps that turn a raw IR into the one the reverb convolves with, and
// into the curves the envelope graph shows. Free functions on plain arrays, so
// each can be checked alone; IRData strings them together.
#include "params/EffectConstants.h"
#include <cstdint>

namespace ir {

// Samples of one channel of the shaped IR.
constexpr int kShapedCapacity = effect::kIRCapacityFrames;

struct ShapeSettings {
    double sampleRate = effect::kDefaultSampleRate;     // host rate the shaped IR is built for, Hz
    int fileSampleRate = 0;          // rate of the raw IR, Hz
    int rawFrameCount = 0;           // frames read from the file
    double gateMs = 0.0;             // length of the shaped IR
    double stretch = 1.0;            // time stretch (2 = twice as long)
    double dump = 1.0;               // sweeping-filter amount; exactly 1 = no filtering
    double envelopeMultiplier = 1.0; // gain factor per raw sample
};

// Level of the lead that counts as sound: -40 dB.
constexpr double kLeadThreshold = 0.01;

// Moves both raw arrays (kIRCapacityFrames each) toward the start so that the
// first frame with a sample >= kLeadThreshold in either channel comes first.
// Only positive samples end the search: a negative spike ahead of it is cut.
// The freed end of the arrays is zeroed. Returns the number of frames removed.
int trimLeadingSilence(float* left, float* right, int frames);

// 10^(3.6629 * (1 - stretch) / 20): keeps a stretched IR about as loud.
double stretchCompensation(double stretch);

// Samples of the shaped IR: trunc(gate * rate * 0.001 + 0.5), at most
// effect::kIRCapacityFrames, 0 for a rate or gate that gives none.
int shapedLength(double gateMs, double sampleRate);

// Writes the shaped IR into `left` and `right` (kShapedCapacity samples each,
// zeroed here first): resampled to the host rate and stretched by
// linear interpolation, scaled by the stretch compensation and the running
// envelope, cut at the gate and, unless dump is exactly 1, passed through a
// falling low-pass sweep and a rising high-pass sweep. Settings that cannot
// give an IR (a rate or stretch that is not a positive number, no file rate)
// leave both arrays zero. Returns the number of samples written; every sample
// from there on is zero.
int shapeIR(const float* rawLeft, const float* rawRight, const ShapeSettings& settings, float* left,
            float* right);

// The loaded IR as the graph shows it: effect::kIRCapacityFrames values, value i the
// larger magnitude of the two channels at raw position i * ratio (linearly
// interpolated), ratio = file rate / host rate. A ratio that is not a positive
// number gives all zeros.
void rawEnvelope(const float* rawLeft, const float* rawRight, float ratio, float* values);

// Tick count until which the graph highlights a freshly built IR: `now` plus
// the duration of 49152 samples at `sampleRate` (1114 ms at 44100 Hz), with
// 44100 Hz standing in for a rate that is not a positive number. Never 0 or -1,
// which mean "idle" and "building".
int highlightDeadline(std::uint32_t now, double sampleRate);

// True once the tick count `now` has reached `deadline` (wrap-around safe).
bool deadlineReached(int deadline, std::uint32_t now);

} // namespace ir
