// The module's only exported symbols: GetPluginFactory, and the entry and
// exit calls a host makes around its use of the module (ModuleEntry and
// ModuleExit on Linux, InitDll and ExitDll on Windows). The factory asks for
// no set-up, so they only agree.
#include "platform/ModuleExport.h"
#include "vst3plugin/ReverbFactory.h"

namespace {

vst3plugin::ReverbFactory gFactory;

} // namespace

extern "C" {

RVB_MODULE_EXPORT vst3::IPluginFactory* RVB_VST3_CALL GetPluginFactory()
{
    return &gFactory;
}

#if defined(_WIN32)
RVB_MODULE_EXPORT bool InitDll()
{
    return true;
}

RVB_MODULE_EXPORT bool ExitDll()
{
    return true;
}
#else
RVB_MODULE_EXPORT bool ModuleEntry(void* libraryHandle)
{
    return libraryHandle != nullptr;
}

RVB_MODULE_EXPORT bool ModuleExit()
{
    return true;
}
#endif
}
