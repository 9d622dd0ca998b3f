#pragma once
// Messages between a processor and a controller that are objects of their
// own: the host connects their connection points, and each sends the other
// messages (an id and a list of attributes) made by the host.
#include "vst3/Unknown.h"

namespace vst3 {

class IAttributeList : public FUnknown {
public:
    using AttrID = const char8*;
    virtual tresult RVB_VST3_CALL setInt(AttrID id, int64 value) = 0;
    virtual tresult RVB_VST3_CALL getInt(AttrID id, int64& value) = 0;
    virtual tresult RVB_VST3_CALL setFloat(AttrID id, double value) = 0;
    virtual tresult RVB_VST3_CALL getFloat(AttrID id, double& value) = 0;
    virtual tresult RVB_VST3_CALL setString(AttrID id, const TChar* string) = 0;
    // sizeInBytes: the capacity of `string` in bytes, its terminator included.
    virtual tresult RVB_VST3_CALL getString(AttrID id, TChar* string, uint32 sizeInBytes) = 0;
    virtual tresult RVB_VST3_CALL setBinary(AttrID id, const void* data, uint32 sizeInBytes) = 0;
    virtual tresult RVB_VST3_CALL getBinary(AttrID id, const void*& data, uint32& sizeInBytes) = 0;

    static constexpr Uid iid = makeUid(0x1E5F0AEB, 0xCC7F4533, 0xA2544011, 0x38AD5EE4);

protected:
    ~IAttributeList() = default;
};

class IMessage : public FUnknown {
public:
    virtual FIDString RVB_VST3_CALL getMessageID() = 0;
    virtual void RVB_VST3_CALL setMessageID(FIDString id) = 0;
    virtual IAttributeList* RVB_VST3_CALL getAttributes() = 0;

    static constexpr Uid iid = makeUid(0x936F033B, 0xC6C047DB, 0xBB0882F8, 0x13C1E613);

protected:
    ~IMessage() = default;
};

class IConnectionPoint : public FUnknown {
public:
    virtual tresult RVB_VST3_CALL connect(IConnectionPoint* other) = 0;
    virtual tresult RVB_VST3_CALL disconnect(IConnectionPoint* other) = 0;
    virtual tresult RVB_VST3_CALL notify(IMessage* message) = 0;

    static constexpr Uid iid = makeUid(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);

protected:
    ~IConnectionPoint() = default;
};

} // namespace vst3
