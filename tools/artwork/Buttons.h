#pragma once
// Two-state bitmaps: the released/off state in the upper half, the
// pressed/on state in the lower half. 'underlay' is the patch of panel the
// control covers in the window, so that anti-aliased edges blend into it.
#include "Image.h"

namespace artwork {

enum class FilterShape { HighPass, Shelf, LowPass };

Image drawKickButton(const Image& underlay, const char* caption);
Image drawResetButton(const Image& underlay, int height);
Image drawBypassSwitch(const Image& underlay);
Image drawFilterSwitch(const Image& underlay, FilterShape shape);
Image drawBoostSwitch(const Image& underlay);
Image drawLedSwitch(const Image& underlay);

} // namespace artwork
