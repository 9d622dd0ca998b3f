#pragma once
#include "params/ParameterTable.h"

// One program: a value per parameter and a name of at most 23 characters.
struct ProgramRecord {
    float values[param::kNumParams];
    char name[24];
};
