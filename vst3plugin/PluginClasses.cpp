#include "vst3plugin/PluginClasses.h"

#include "params/EffectConstants.h"

namespace vst3plugin {

const PluginClass* findPluginClass(const char* cid)
{
    for (const PluginClass& c : kPluginClasses)
        if (c.cid == cid)
            return &c;
    return nullptr;
}

vst3::uint32 latencyFrames(Edition edition)
{
    return edition == Edition::Live ? 0u : static_cast<vst3::uint32>(effect::kLatencyFrames);
}

} // namespace vst3plugin
