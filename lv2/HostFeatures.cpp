#include "lv2/HostFeatures.h"

#include <cstring>

namespace lv2plugin {

void* featureData(const LV2_Feature* const* features, const char* uri)
{
    if (!features || !uri)
        return nullptr;
    for (const LV2_Feature* const* f = features; *f; ++f)
        if ((*f)->URI && std::strcmp((*f)->URI, uri) == 0)
            return (*f)->data;
    return nullptr;
}

} // namespace lv2plugin
