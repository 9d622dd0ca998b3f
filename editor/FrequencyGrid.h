#pragma once
// The frequency graph's fixed vocabulary: the grid lines it may draw, and the
// spacing of its curve points (a 24th of an octave, each point drawn half a
// step below its own frequency).
namespace frequencygrid {

enum Flags : int {
    kMajor = 1,     // drawn two pixels longer at both ends
    kLabelled = 2,  // carries a "Hz" / "kHz" label
};

struct GridRow {
    float frequency;  // Hz; -1 ends the table
    int flags;
};

constexpr int kGridRows = 30;
// The 30 rows and the terminator.
extern const GridRow kGrid[kGridRows + 1];

// 2^(1/24) and 1 / 2^(1/48).
extern const float kStepRatio;
extern const float kHalfStepFactor;

} // namespace frequencygrid
