#pragma once
// The URIs the plug-in and its editor exchange messages in, mapped once to the
// host's numbers (urid:map) when an instance is made; reading them later is
// free on any thread.
#include <lv2/urid/urid.h>

namespace lv2plugin {

struct Urids {
    LV2_URID atomPath = 0;
    LV2_URID atomString = 0;
    LV2_URID atomUrid = 0;
    LV2_URID atomObject = 0;
    LV2_URID atomBlank = 0;
    LV2_URID atomEventTransfer = 0;
    LV2_URID patchSet = 0;
    LV2_URID patchGet = 0;
    LV2_URID patchProperty = 0;
    LV2_URID patchValue = 0;
    LV2_URID irFile = 0;

    // Maps every URI; false when the host's map answered 0 for one of them.
    bool map(LV2_URID_Map& host);
};

} // namespace lv2plugin
