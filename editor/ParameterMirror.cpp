#include "editor/ParameterMirror.h"

ParameterMirror::ParameterMirror()
{
    for (int id = 0; id < kCapacity; ++id) {
        pending_[id].store(false, std::memory_order_relaxed);
        values_[id].store(0.f, std::memory_order_relaxed);
    }
}

void ParameterMirror::setAccepting(bool accepting)
{
    accepting_.store(accepting, std::memory_order_release);
}

bool ParameterMirror::post(int id, float value)
{
    if (id < 0 || id >= kCapacity || !accepting())
        return false;
    // The value goes first, so that whoever sees the flag also sees this value
    // or a newer one; a value that lands after the flag was taken is simply
    // taken again at the next idle.
    values_[id].store(value, std::memory_order_relaxed);
    pending_[id].store(true, std::memory_order_release);
    anyPending_.store(true, std::memory_order_release);
    return true;
}

void ParameterMirror::clear()
{
    anyPending_.store(false, std::memory_order_release);
    for (int id = 0; id < kCapacity; ++id)
        pending_[id].store(false, std::memory_order_release);
}
