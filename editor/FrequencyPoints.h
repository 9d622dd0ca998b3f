#pragma once
// The frequency graph's curve points: one every 24th of an octave from the
// lowest frequency up, each placed half a step (a 48th of an octave) below its
// own frequency, with what the response columns need to give it a level.
#include "params/EffectConstants.h"
#include <vector>

namespace frequencypoints {

struct Point {
    int x = 0;                 // frame column
    int interpolationBin = 0;  // >= 1: read from the spline over 4 bins from here; 0: peak of covered bins
    int upperBin = 0;          // first FFT bin above the point's frequency
    float frequency = 0.0f;
    float binPosition = 0.0f;  // FFT size * edge frequency / sample rate
    float edgeFrequency = 0.0f;
    float lnEdgeFrequency = 0.0f;
};

// How frequencies map onto the plot and onto FFT bins.
struct Axis {
    float fMin = 20.0f;
    float fMax = 22050.0f;
    int plotLeft = 0;
    int xSpan = 0;  // pixels from fMin to fMax
    int sampleRate = effect::kDefaultSampleRate;
    int fftSize = 4096;

    float lnFMin() const;
    // Pixels per unit of natural logarithm.
    float xScale() const;
    // Frame column of a frequency.
    int columnOf(float frequency) const;
};

// Largest number of points a sample rate can need: the 24th-octave steps
// through 440 Hz between 20 Hz and half the rate, and 64 more.
int capacityFor(int sampleRate);

// The largest FFT bin whose frequency lies below fMin.
int firstBinBelow(const Axis& axis);

// Points from fMin while they stay at or below fMax, at most `capacity`.
std::vector<Point> buildPoints(const Axis& axis, int capacity);

} // namespace frequencypoints
