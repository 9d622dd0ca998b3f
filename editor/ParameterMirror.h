#pragma once
// Parameter changes on their way from the host's threads to the editor's
// controls. The host may change a parameter on any thread while the window's
// thread draws, opens or closes the editor, so the editor never touches a view
// from the host's thread: a change is only noted here, without locks or
// allocation, and the window's thread takes the notes at its next idle and
// moves the controls then. A later change of the same id before that idle
// replaces the earlier one; only the newest value counts.
#include <atomic>
#include <cstdint>

class ParameterMirror {
public:
    static constexpr int kCapacity = 104;

    ParameterMirror();

    // Notes take effect only while accepting; a note outside it is dropped.
    void setAccepting(bool accepting);
    bool accepting() const { return accepting_.load(std::memory_order_acquire); }

    // Any thread. Ids outside 0 .. kCapacity - 1 are ignored. False when the
    // note was dropped.
    bool post(int id, float value);

    // Window thread: hands every noted (id, value) to apply, lowest id first,
    // and forgets them. Returns how many were handed on.
    template <typename Apply>
    int take(Apply&& apply)
    {
        if (!anyPending_.exchange(false, std::memory_order_acq_rel))
            return 0;
        int taken = 0;
        for (int id = 0; id < kCapacity; ++id) {
            if (!pending_[id].exchange(false, std::memory_order_acq_rel))
                continue;
            apply(id, values_[id].load(std::memory_order_relaxed));
            ++taken;
        }
        return taken;
    }

    // Forgets every note.
    void clear();

private:
    std::atomic<bool> accepting_{false};
    std::atomic<bool> anyPending_{false};
    std::atomic<bool> pending_[kCapacity];
    std::atomic<float> values_[kCapacity];
};
