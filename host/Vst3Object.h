#pragma once
// Reference counting and interface lookup for the objects the host lends a
// VST 3 plug-in (streams, parameter changes, messages, the frame of an
// editor): made with a count of one, which their maker holds, and deleted
// with the last release().
#include "vst3/Unknown.h"

#include <atomic>
#include <tuple>

template <class Self, class... Interfaces>
class Vst3Object : public Interfaces... {
public:
    Vst3Object() = default;
    Vst3Object(const Vst3Object&) = delete;
    Vst3Object& operator=(const Vst3Object&) = delete;

    vst3::tresult RVB_VST3_CALL queryInterface(const vst3::TUID interfaceId, void** obj) override
    {
        if (!obj)
            return vst3::kInvalidArgument;
        *obj = nullptr;
        if (vst3::FUnknown::iid == interfaceId)
            *obj = static_cast<vst3::FUnknown*>(static_cast<First*>(this));
        else
            (void)((Interfaces::iid == interfaceId ? (*obj = static_cast<Interfaces*>(this), true) : false) || ...);
        if (!*obj)
            return vst3::kNoInterface;
        addRef();
        return vst3::kResultOk;
    }
    vst3::uint32 RVB_VST3_CALL addRef() override { return ++references_; }
    vst3::uint32 RVB_VST3_CALL release() override
    {
        const vst3::uint32 left = --references_;
        if (left == 0)
            delete static_cast<Self*>(this);
        return left;
    }

protected:
    ~Vst3Object() = default;

private:
    using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;
    std::atomic<vst3::uint32> references_{1};
};
