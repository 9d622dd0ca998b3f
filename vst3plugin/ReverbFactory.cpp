#include "vst3plugin/ReverbFactory.h"

#include "core/ExceptionBarrier.h"
#include "params/EffectIdentity.h"
#include "platform/ModulePath.h"
#include "vst3plugin/ComObject.h"
#include "vst3plugin/PluginClasses.h"
#include "vst3plugin/ReverbComponent.h"
#include "vst3plugin/Utf16Text.h"

#include <cstring>

using namespace vst3;

namespace vst3plugin {

namespace {

const PluginClass* classAt(int32 index)
{
    return index >= 0 && index < kPluginClassCount ? &kPluginClasses[index] : nullptr;
}

// The fields every kind of class info shares.
template <class Info>
void fillCommon(const PluginClass& c, Info& info)
{
    std::memset(&info, 0, sizeof info);
    std::memcpy(info.cid, c.cid.bytes, sizeof info.cid);
    info.cardinality = PClassInfo::kManyInstances;
    copyText(kVstAudioEffectClass, info.category, sizeof info.category);
}

} // namespace

tresult ReverbFactory::queryInterface(const TUID interfaceId, void** obj)
{
    return queryAmong<IPluginFactory3, IPluginFactory2, IPluginFactory>(this, interfaceId, obj);
}

tresult ReverbFactory::getFactoryInfo(PFactoryInfo* info)
{
    if (!info)
        return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    copyText(effect::kVendorString, info->vendor, sizeof info->vendor);
    copyText(kVendorUrl, info->url, sizeof info->url);
    copyText(kVendorEmail, info->email, sizeof info->email);
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
}

int32 ReverbFactory::countClasses()
{
    return kPluginClassCount;
}

tresult ReverbFactory::getClassInfo(int32 index, PClassInfo* info)
{
    const PluginClass* c = classAt(index);
    if (!c || !info)
        return kInvalidArgument;
    fillCommon(*c, *info);
    copyText(c->name, info->name, sizeof info->name);
    return kResultOk;
}

tresult ReverbFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
    const PluginClass* c = classAt(index);
    if (!c || !info)
        return kInvalidArgument;
    fillCommon(*c, *info);
    copyText(c->name, info->name, sizeof info->name);
    copyText(kSubCategories, info->subCategories, sizeof info->subCategories);
    copyText(effect::kVendorString, info->vendor, sizeof info->vendor);
    copyText(kVersion, info->version, sizeof info->version);
    copyText(kFormatVersion, info->sdkVersion, sizeof info->sdkVersion);
    return kResultOk;
}

tresult ReverbFactory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
    const PluginClass* c = classAt(index);
    if (!c || !info)
        return kInvalidArgument;
    fillCommon(*c, *info);
    copyUtf16(c->name, info->name, PClassInfoW::kNameSize);
    copyText(kSubCategories, info->subCategories, sizeof info->subCategories);
    copyUtf16(effect::kVendorString, info->vendor, PClassInfoW::kVendorSize);
    copyUtf16(kVersion, info->version, PClassInfoW::kVersionSize);
    copyUtf16(kFormatVersion, info->sdkVersion, PClassInfoW::kVersionSize);
    return kResultOk;
}

tresult ReverbFactory::createInstance(FIDString classId, FIDString interfaceId, void** obj)
{
    if (!obj || !classId || !interfaceId)
        return kInvalidArgument;
    *obj = nullptr;
    const PluginClass* c = findPluginClass(classId);
    if (!c)
        return kNoInterface;
    // The module stays loaded once it made an instance: libraries it brought
    // in keep caches that a reload would leave behind.
    static const bool pinned = platform::keepModuleLoaded();
    (void)pinned;
    return core::guardedCall("createInstance", kOutOfMemory, [&] {
        auto* component = new ReverbComponent(c->edition);
        TUID wanted;
        std::memcpy(wanted, interfaceId, sizeof wanted);
        const tresult result = static_cast<IComponent*>(component)->queryInterface(wanted, obj);
        static_cast<IComponent*>(component)->release();
        return result;
    });
}

} // namespace vst3plugin
