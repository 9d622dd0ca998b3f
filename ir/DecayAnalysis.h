#pragma once
// How fast an impulse response dies away: a straight line fitted through the
// peak levels of 50 ms windows, in decibels.
namespace ir {

// Per-sample amplitude ratio of the tail of a raw IR (kIRCapacityFrames
// samples per channel, all of which count). The windows are 50 ms at
// `sampleRate`. Returns 1.0 when the IR is too short above -40 dB to measure
// (fewer than four windows), and also when the rate gives no window or the
// fit does not come out finite.
double analyzeDecay(const float* left, const float* right, double sampleRate);

} // namespace ir
