#pragma once
#include "params/ParameterTable.h"

#include <atomic>

// One program: a value per parameter and a name of at most 23 characters.
// Parameter changes store into the current program from any thread, the audio
// thread included, so the values are atomics; the name belongs to the host's
// dispatcher thread.
struct ProgramRecord {
    std::atomic<float> values[param::kNumParams];
    char name[24];
};
