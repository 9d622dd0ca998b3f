#pragma once
// Figures that several layers build on: the engine's latency, how long an IR
// may be, and the rate assumed before a host has set one.

namespace effect {

// Every output frame (dry and wet) leaves this many frames after its input.
constexpr int kLatencyFrames = 65536;
// Frames per channel of the longest IR, read from a file or shaped into a kernel.
constexpr int kIRCapacityFrames = 131072;
// Sample rate until the host sets one, and the rate the editor's time axis reads in.
constexpr int kDefaultSampleRate = 44100;

} // namespace effect
