#include "host/Vst3HostApplication.h"

#include "host/Utf16Text.h"
#include "host/Vst3Message.h"

using namespace vst3;

tresult Vst3HostApplication::getName(String128 name)
{
    if (!name)
        return kInvalidArgument;
    utf16FromUtf8("rvbhost", name, 128);
    return kResultOk;
}

// A plug-in asks with the interface's id as both the class and the interface.
tresult Vst3HostApplication::createInstance(TUID classId, TUID interfaceId, void** obj)
{
    if (!obj)
        return kInvalidArgument;
    *obj = nullptr;
    const bool asUnknown = FUnknown::iid == interfaceId;
    if (IMessage::iid == classId && (IMessage::iid == interfaceId || asUnknown)) {
        *obj = static_cast<IMessage*>(new Vst3Message());
        ++messagesMade_;
        return kResultOk;
    }
    if (IAttributeList::iid == classId && (IAttributeList::iid == interfaceId || asUnknown)) {
        *obj = static_cast<IAttributeList*>(new Vst3AttributeList());
        return kResultOk;
    }
    return kNoInterface;
}
