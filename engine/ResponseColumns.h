#pragma once
// Turns the analyser's power bins into one level per display column, walking
// the columns from low to high frequency.
//
// Low columns lie between bins that are far apart on a log axis; they are read
// from a natural cubic spline through four bins' levels. Higher columns cover
// one or more whole bins and show the loudest of them. Levels are in dB without
// the display offset (ResponseAnalyser::kDisplayOffsetDb).
#include "engine/NaturalSpline.h"

namespace engine {

class ResponseColumns {
public:
    // `power` and `lnBinFrequency` (ln of each bin's frequency) hold `binCount`
    // values and must outlive this object. Peak columns start at `firstBin`.
    ResponseColumns(const float* power, const float* lnBinFrequency, int binCount, int firstBin);

    // The next column. With `interpolationBin` >= 1: the spline through bins
    // interpolationBin .. interpolationBin + 3 at `lnFrequency` (refitted only
    // when the bin changes). Otherwise: the peak of the bins from the running
    // start up to upperBin - 1, and the running start moves to upperBin.
    // Bin numbers are held inside the arrays.
    float next(int interpolationBin, int upperBin, float lnFrequency);

    // Level of the largest power among bins start .. end - 1 (the search starts
    // from 0); the floor level when that is not above the power floor or the
    // range is empty.
    static float peakLevel(const float* power, int start, int end);

private:
    const float* power_;
    const float* lnBinFrequency_;
    int binCount_;
    int runningStart_;
    int splineBin_ = -1;
    NaturalSpline spline_;
};

} // namespace engine
