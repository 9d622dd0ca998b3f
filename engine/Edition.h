#pragma once
// The two editions of the effect share every stage but the convolution: the
// standard one convolves in large partitions with a fixed latency of
// effect::kLatencyFrames, the live one at zero latency for playing and
// recording through it, at a higher but still small processor cost.
#include "engine/Convolver.h"
#include "engine/Handover.h"

#include <memory>

namespace engine {

enum class Edition {
    Standard,  // ConvolutionEngine
    Live,      // LiveConvolutionEngine
};

// Non-audio thread: the convolution of `edition`, on the fastest inner loops
// this machine runs.
std::unique_ptr<Convolver> makeConvolver(Edition edition, ProcessEpoch& epoch);

const char* editionName(Edition edition);

} // namespace engine
