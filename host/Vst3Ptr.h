#pragma once
// A counted reference to a VST 3 object, released when it goes.
#include "vst3/Unknown.h"

#include <utility>

template <class T>
class Vst3Ptr {
public:
    Vst3Ptr() = default;
    // Takes over a reference the caller holds (from a factory, queryInterface, new).
    explicit Vst3Ptr(T* adopted) : object_(adopted) {}
    Vst3Ptr(const Vst3Ptr& other) : object_(other.object_)
    {
        if (object_)
            object_->addRef();
    }
    Vst3Ptr(Vst3Ptr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    Vst3Ptr& operator=(Vst3Ptr other) noexcept
    {
        std::swap(object_, other.object_);
        return *this;
    }
    ~Vst3Ptr() { reset(); }

    void reset()
    {
        if (object_)
            std::exchange(object_, nullptr)->release();
    }
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // The interface T of `from`, or empty when it has none.
    template <class U>
    static Vst3Ptr queried(U* from)
    {
        void* obj = nullptr;
        if (!from || from->queryInterface(T::iid.data(), &obj) != vst3::kResultOk || !obj)
            return {};
        return Vst3Ptr(static_cast<T*>(obj));
    }

private:
    T* object_ = nullptr;
};
