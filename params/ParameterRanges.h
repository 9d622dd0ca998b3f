#pragma once
// Limits of parameter ranges that other layers act on as well as the table:
// the one place each is written down.
#include "params/EffectConstants.h"

namespace param {

// The gate's top in ms: the whole IR capacity at the default rate (131072
// samples at 44100 Hz), held as the nearest float. At the top the gate is off.
constexpr double kGateMaximumMs = 2972.154296875;
static_assert(static_cast<float>(effect::kIRCapacityFrames * 1000.0 / effect::kDefaultSampleRate) == kGateMaximumMs,
              "the gate's top is the whole IR capacity at the default rate");

// Levels at or below this many dB are silence ("OFF").
constexpr float kSilentLevelDb = -30.0f;

// The longest pre-delay in ms, and the highest rate its store is sized for.
constexpr double kPreDelayMaximumMs = 200.0;
constexpr int kHighestPreDelayRate = 768000;

} // namespace param
