#include "vst3plugin/PluginClasses.h"

namespace vst3plugin {

const PluginClass* findPluginClass(const char* cid)
{
    for (const PluginClass& c : kPluginClasses)
        if (c.cid == cid)
            return &c;
    return nullptr;
}

} // namespace vst3plugin
