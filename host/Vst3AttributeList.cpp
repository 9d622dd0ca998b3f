#include "host/Vst3AttributeList.h"

#include <algorithm>
#include <cstring>

using namespace vst3;

const Vst3AttributeList::Value* Vst3AttributeList::find(AttrID id, Value::Kind kind) const
{
    if (!id)
        return nullptr;
    const auto at = values_.find(id);
    return at != values_.end() && at->second.kind == kind ? &at->second : nullptr;
}

tresult Vst3AttributeList::setInt(AttrID id, int64 value)
{
    if (!id)
        return kInvalidArgument;
    Value& v = values_[id] = Value {};
    v.kind = Value::Kind::Int;
    v.integer = value;
    return kResultOk;
}

tresult Vst3AttributeList::getInt(AttrID id, int64& value)
{
    const Value* v = find(id, Value::Kind::Int);
    if (!v)
        return kResultFalse;
    value = v->integer;
    return kResultOk;
}

tresult Vst3AttributeList::setFloat(AttrID id, double value)
{
    if (!id)
        return kInvalidArgument;
    Value& v = values_[id] = Value {};
    v.kind = Value::Kind::Float;
    v.real = value;
    return kResultOk;
}

tresult Vst3AttributeList::getFloat(AttrID id, double& value)
{
    const Value* v = find(id, Value::Kind::Float);
    if (!v)
        return kResultFalse;
    value = v->real;
    return kResultOk;
}

tresult Vst3AttributeList::setString(AttrID id, const TChar* string)
{
    if (!id || !string)
        return kInvalidArgument;
    Value& v = values_[id] = Value {};
    v.kind = Value::Kind::String;
    v.text = string;
    return kResultOk;
}

tresult Vst3AttributeList::getString(AttrID id, TChar* string, uint32 sizeInBytes)
{
    const Value* v = find(id, Value::Kind::String);
    const size_t capacity = sizeInBytes / sizeof(TChar);
    if (!v || !string || capacity == 0)
        return kResultFalse;
    const size_t n = std::min(v->text.size(), capacity - 1);
    std::memcpy(string, v->text.data(), n * sizeof(TChar));
    string[n] = u'\0';
    return kResultOk;
}

tresult Vst3AttributeList::setBinary(AttrID id, const void* data, uint32 sizeInBytes)
{
    if (!id || (!data && sizeInBytes))
        return kInvalidArgument;
    Value& v = values_[id] = Value {};
    v.kind = Value::Kind::Binary;
    v.bytes.assign(static_cast<const char*>(data), static_cast<const char*>(data) + sizeInBytes);
    return kResultOk;
}

tresult Vst3AttributeList::getBinary(AttrID id, const void*& data, uint32& sizeInBytes)
{
    const Value* v = find(id, Value::Kind::Binary);
    if (!v)
        return kResultFalse;
    data = v->bytes.data();
    sizeInBytes = static_cast<uint32>(v->bytes.size());
    return kResultOk;
}
