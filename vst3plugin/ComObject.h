#pragma once
// Interface lookup and reference counting for the plug-in's VST 3 objects.
#include "vst3/Unknown.h"

#include <atomic>
#include <type_traits>

namespace vst3plugin {

// The answer to queryInterface for an object with these interfaces: each by
// its id, FUnknown (and IPluginBase, where the first has it) through the first.
template <class First, class... Others, class Object>
vst3::tresult queryAmong(Object* self, const vst3::TUID interfaceId, void** obj)
{
    if (!obj)
        return vst3::kInvalidArgument;
    void* found = nullptr;
    if (First::iid == interfaceId || vst3::FUnknown::iid == interfaceId)
        found = static_cast<First*>(self);
    if constexpr (std::is_base_of_v<vst3::IPluginBase, First>)
        if (!found && vst3::IPluginBase::iid == interfaceId)
            found = static_cast<vst3::IPluginBase*>(static_cast<First*>(self));
    (void)(found || ((Others::iid == interfaceId ? (found = static_cast<Others*>(self), true) : false) || ...));
    *obj = found;
    if (!found)
        return vst3::kNoInterface;
    static_cast<First*>(self)->addRef();
    return vst3::kResultOk;
}

// A count that starts at one, for the object's maker.
class RefCount {
public:
    vst3::uint32 increment() { return count_.fetch_add(1) + 1; }
    vst3::uint32 decrement() { return count_.fetch_sub(1) - 1; }

private:
    std::atomic<vst3::uint32> count_{1};
};

// A counted reference held for an object's life (the host's objects we keep).
template <class T>
class Held {
public:
    Held() = default;
    ~Held() { reset(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

    void reset(T* object = nullptr)
    {
        if (object)
            object->addRef();
        if (object_)
            object_->release();
        object_ = object;
    }
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

} // namespace vst3plugin
