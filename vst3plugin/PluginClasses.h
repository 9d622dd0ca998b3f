#pragma once
// The two audio-effect classes the module offers: the standard edition and
// the Live edition, each with its own class id (fixed once: hosts store them
// in projects), name and reported latency.
#include "engine/Edition.h"
#include "params/EffectIdentity.h"
#include "vst3/Unknown.h"

namespace vst3plugin {

// The reverb's editions: standard (large partitions, a fixed latency) and
// Live (zero latency, for playing and recording through it).
using Edition = engine::Edition;

struct PluginClass {
    vst3::Uid cid;
    const char* name;
    Edition edition;
};

inline constexpr const char* kSubCategories = "Fx|Reverb";
// The product's version "M.mn" as hosts read a VST 3 version, "M.m.n".
inline constexpr char kVersion[] = {KESTREL_REVERB_VERSION[0], '.', KESTREL_REVERB_VERSION[2], '.',
                                    KESTREL_REVERB_VERSION[3], '\0'};
inline constexpr const char* kFormatVersion = "VST 3.7.0";
inline constexpr const char* kVendorUrl = "https://example.invalid/kestrel";
inline constexpr const char* kVendorEmail = "fenwood.t@example.invalid";

inline constexpr PluginClass kPluginClasses[] = {
    {vst3::makeUid(0xBD986142, 0xE9E04799, 0x89105241, 0xE82CD3FE), "KS [TALU-01] Convolution Reverb",
     Edition::Standard},
    {vst3::makeUid(0x32F6FF71, 0x0C1241DC, 0x8C32CEB2, 0x164500F6), effect::kLiveIdentity.effectName,
     Edition::Live},
};
inline constexpr int kPluginClassCount = sizeof kPluginClasses / sizeof kPluginClasses[0];

// The class with this id, or null.
const PluginClass* findPluginClass(const char* cid);


} // namespace vst3plugin
