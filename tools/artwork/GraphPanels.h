#pragma once
// Dark plot panels behind the two graphs; the editor draws scales, grids,
// curves and texts onto them.
#include "Image.h"
#include "Layout.h"

namespace artwork {

Image drawGraphPanel(const Image& underlay, const Box& plot);

} // namespace artwork
