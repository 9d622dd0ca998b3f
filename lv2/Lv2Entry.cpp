// The bundle binary's only exported symbols: lv2_descriptor for the plug-in
// and lv2ui_descriptor for its editor. Nothing may escape into the host.
#include "core/ExceptionBarrier.h"
#include "lv2/PluginUris.h"
#include "lv2/ReverbInstance.h"
#include "lv2/ReverbUI.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/worker/worker.h>

#include <cstring>

namespace {

using lv2plugin::ReverbInstance;
using lv2plugin::ReverbUI;

ReverbInstance* instanceOf(LV2_Handle handle)
{
    return static_cast<ReverbInstance*>(handle);
}

engine::Edition editionOf(const char* pluginUri)
{
    return pluginUri && std::strcmp(pluginUri, lv2plugin::kLivePluginUri) == 0 ? engine::Edition::Live
                                                                                : engine::Edition::Standard;
}

LV2_Handle instantiate(const LV2_Descriptor* descriptor, double rate, const char*, const LV2_Feature* const* features)
{
    const engine::Edition edition = editionOf(descriptor ? descriptor->URI : nullptr);
    return core::guardedCall("instantiate", LV2_Handle{nullptr},
                             [&]() -> LV2_Handle { return ReverbInstance::create(rate, features, edition); });
}

void connectPort(LV2_Handle handle, uint32_t port, void* data)
{
    core::guardedCall("connect_port", [&] { instanceOf(handle)->connectPort(port, data); });
}

void activate(LV2_Handle handle)
{
    core::guardedCall("activate", [&] { instanceOf(handle)->activate(); });
}

void run(LV2_Handle handle, uint32_t frames)
{
    core::guardedCall("run", [&] { instanceOf(handle)->run(frames); });
}

void deactivate(LV2_Handle handle)
{
    core::guardedCall("deactivate", [&] { instanceOf(handle)->deactivate(); });
}

void cleanup(LV2_Handle handle)
{
    core::guardedCall("cleanup", [&] { delete instanceOf(handle); });
}

LV2_Worker_Status work(LV2_Handle handle, LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle respondHandle,
                       uint32_t size, const void* data)
{
    return core::guardedCall("work", LV2_WORKER_ERR_UNKNOWN,
                             [&] { return instanceOf(handle)->work(respond, respondHandle, size, data); });
}

LV2_Worker_Status workResponse(LV2_Handle handle, uint32_t size, const void* data)
{
    return core::guardedCall("work_response", LV2_WORKER_ERR_UNKNOWN,
                             [&] { return instanceOf(handle)->workResponse(size, data); });
}

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle stateHandle, uint32_t flags,
                      const LV2_Feature* const* features)
{
    return core::guardedCall("save", LV2_STATE_ERR_UNKNOWN,
                             [&] { return instanceOf(handle)->save(store, stateHandle, flags, features); });
}

LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle stateHandle,
                         uint32_t flags, const LV2_Feature* const* features)
{
    return core::guardedCall("restore", LV2_STATE_ERR_UNKNOWN,
                             [&] { return instanceOf(handle)->restore(retrieve, stateHandle, flags, features); });
}

const void* extensionData(const char* uri)
{
    static const LV2_Worker_Interface worker = {work, workResponse, nullptr};
    static const LV2_State_Interface state = {save, restore};
    if (std::strcmp(uri, LV2_WORKER__interface) == 0)
        return &worker;
    if (std::strcmp(uri, LV2_STATE__interface) == 0)
        return &state;
    return nullptr;
}

const LV2_Descriptor kPluginDescriptors[] = {
    {lv2plugin::kPluginUri, instantiate, connectPort, activate, run, deactivate, cleanup, extensionData},
    {lv2plugin::kLivePluginUri, instantiate, connectPort, activate, run, deactivate, cleanup, extensionData},
};

ReverbUI* uiOf(LV2UI_Handle handle)
{
    return static_cast<ReverbUI*>(handle);
}

LV2UI_Handle instantiateUI(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                           LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    if (!pluginUri || (std::strcmp(pluginUri, lv2plugin::kPluginUri) != 0 &&
                       std::strcmp(pluginUri, lv2plugin::kLivePluginUri) != 0))
        return nullptr;
    return core::guardedCall("ui instantiate", LV2UI_Handle{nullptr},
                             [&]() -> LV2UI_Handle {
                                 return ReverbUI::create(write, controller, widget, features, editionOf(pluginUri));
                             });
}

void cleanupUI(LV2UI_Handle handle)
{
    core::guardedCall("ui cleanup", [&] { delete uiOf(handle); });
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    // an event the editor could not take changes nothing
    core::guardedCall("port_event", [&] { uiOf(handle)->portEvent(port, size, format, buffer); });
}

int idleUI(LV2UI_Handle handle)
{
    return core::guardedCall("ui idle", 1, [&] { return uiOf(handle)->idle(); });
}

const void* uiExtensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idle = {idleUI};
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0)
        return &idle;
    return nullptr;
}

const LV2UI_Descriptor kUiDescriptors[] = {
    {lv2plugin::kUiUri, instantiateUI, cleanupUI, portEvent, uiExtensionData},
    {lv2plugin::kLiveUiUri, instantiateUI, cleanupUI, portEvent, uiExtensionData},
};

} // namespace

extern "C" {

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index < 2 ? &kPluginDescriptors[index] : nullptr;
}

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index < 2 ? &kUiDescriptors[index] : nullptr;
}
}
