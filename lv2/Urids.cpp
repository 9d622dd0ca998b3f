#include "lv2/Urids.h"

#include "lv2/PluginUris.h"

#include <lv2/atom/atom.h>
#include <lv2/patch/patch.h>

namespace lv2plugin {

bool Urids::map(LV2_URID_Map& host)
{
    struct Entry {
        LV2_URID* urid;
        const char* uri;
    };
    const Entry entries[] = {
        {&atomPath, LV2_ATOM__Path},
        {&atomString, LV2_ATOM__String},
        {&atomUrid, LV2_ATOM__URID},
        {&atomObject, LV2_ATOM__Object},
        {&atomBlank, LV2_ATOM__Blank},
        {&atomEventTransfer, LV2_ATOM__eventTransfer},
        {&patchSet, LV2_PATCH__Set},
        {&patchGet, LV2_PATCH__Get},
        {&patchProperty, LV2_PATCH__property},
        {&patchValue, LV2_PATCH__value},
        {&irFile, kIRFileUri},
    };
    bool all = true;
    for (const Entry& entry : entries) {
        *entry.urid = host.map(host.handle, entry.uri);
        all = all && *entry.urid != 0;
    }
    return all;
}

} // namespace lv2plugin
