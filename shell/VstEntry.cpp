// The plug-in's only exported symbols: VSTPluginMain and, for older hosts, main.
#include "core/ExceptionBarrier.h"
#include "platform/ModuleExport.h"
#include "platform/ModulePath.h"
#include "shell/DOvu.h"

#include <new>

namespace {

// Each edition is a module of its own, built from this file (RVB_LIVE_EDITION).
#if defined(RVB_LIVE_EDITION)
constexpr engine::Edition kEdition = engine::Edition::Live;
#else
constexpr engine::Edition kEdition = engine::Edition::Standard;
#endif

vst::AEffect* createEffect(vst::HostCallback hostCallback)
{
    if (!hostCallback)
        return nullptr;
    // a host that answers the version query with 0 gets no effect
    if (hostCallback(nullptr, vst::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    // The module stays loaded once an effect was made: see keepModuleLoaded.
    static const bool pinned = platform::keepModuleLoaded();
    (void)pinned;
    // nothing may escape into the host: a failed construction answers null
    return core::guardedCall("VSTPluginMain", static_cast<vst::AEffect*>(nullptr),
                             [&] { return (new DOvu(hostCallback, kEdition))->getAeffect(); });
}

} // namespace

extern "C" {

RVB_MODULE_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallback hostCallback)
{
    return createEffect(hostCallback);
}

// Older hosts look for the same entry under the name "main"; C++ reserves that
// name, so the symbol is given it directly.
RVB_MODULE_EXPORT vst::AEffect* legacyMainEntry(vst::HostCallback hostCallback) __asm__("main");
vst::AEffect* legacyMainEntry(vst::HostCallback hostCallback)
{
    return createEffect(hostCallback);
}
}
