#pragma once
// Where the VST 3 module finds its IR library. Inside a bundle
// (NAME.vst3/Contents/<architecture>/NAME.so or .vst3) it is the bundle's
// Contents/Resources/data, which every architecture's binary of the bundle
// shares; a module file outside a bundle keeps "<its folder>/data", as the
// other formats do.
#include "platform/ModuleLocation.h"

namespace vst3plugin {

platform::ModuleLocation bundleLocation(const char* modulePath);

} // namespace vst3plugin
