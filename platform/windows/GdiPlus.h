#pragma once
// GDI+ for the canvas and the images, started once when first needed. The
// session lasts as long as the process: the plug-in's module stays loaded once
// an effect was made, and GDI+ may not be shut down from a DLL's unload.
#include <windows.h>

#include <algorithm>

// The GDI+ headers expect the min and max macros that NOMINMAX takes away.
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

namespace platform {

// False when GDI+ could not be started (nothing is drawn then).
bool startGdiPlus();

} // namespace platform
