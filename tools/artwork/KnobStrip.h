#pragma once
// Knob strips: square frames stacked vertically, frame 0 at the minimum and
// the last frame at the maximum of a 270-degree sweep.
#include "Image.h"

namespace artwork {

struct KnobStyle {
    int size;        // frame width and height
    int frames;
    bool levelScale; // tick marks for -30 .. +6 dB with 0 dB picked out
};

// Pointer angle of a frame in radians, counter-clockwise from 3 o'clock:
// 225 degrees at frame 0 down to -45 degrees at the last frame.
double knobAngle(int frame, int frames);

Image drawKnobStrip(const KnobStyle& style);

} // namespace artwork
