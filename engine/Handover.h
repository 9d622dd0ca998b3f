#pragma once
// Handing prepared objects (kernels, filter designs, delay stores) to the audio
// thread without locks on its side.
//
// The audio thread marks every process call with a ProcessEpoch::Scope and reads
// each Handover once inside it. A non-audio thread builds a complete new object,
// publishes it with one atomic exchange and frees the old one only after the
// audio thread has left any call that could still be reading it.
//
// Work that spans several process calls (a partition of convolution spread over
// the calls of its period) can hold() an object instead of get()ting it: the
// held object, and the one held before it, stay alive across calls until the
// audio thread holds further objects, however long the host pauses between
// calls. (A kernel change crossfades from the previous kernel to the new one.)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace engine {

class ProcessEpoch {
public:
    // Odd while the audio thread is inside a process call.
    class Scope {
    public:
        explicit Scope(ProcessEpoch& epoch) : epoch_(epoch)
        {
            epoch_.caller_.store(std::this_thread::get_id(), std::memory_order_relaxed);
            epoch_.counter_.fetch_add(1, std::memory_order_seq_cst);
        }
        ~Scope()
        {
            epoch_.counter_.fetch_add(1, std::memory_order_seq_cst);
            epoch_.caller_.store(std::thread::id(), std::memory_order_relaxed);
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        ProcessEpoch& epoch_;
    };

    // Called after something was unpublished: returns true once no process call
    // that started before this point is still running. A host that changes a
    // parameter from inside its own process call would wait for itself: then
    // this answers false at once and the caller must keep the object for later.
    bool waitForReaders() const
    {
        const std::uint64_t seen = counter_.load(std::memory_order_seq_cst);
        if ((seen & 1u) == 0)
            return true;
        if (caller_.load(std::memory_order_relaxed) == std::this_thread::get_id())
            return false;
        while (counter_.load(std::memory_order_seq_cst) == seen)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    }

private:
    std::atomic<std::uint64_t> counter_{0};
    std::atomic<std::thread::id> caller_{};
};

template <class T>
class Handover {
public:
    explicit Handover(ProcessEpoch& epoch, std::unique_ptr<T> initial = nullptr)
        : epoch_(epoch), current_(initial.release())
    {
        // The two objects still held plus the one being replaced: publish never
        // has to grow this.
        retired_.reserve(3);
    }
    ~Handover()
    {
        delete current_.load();
        for (T* old : retired_)
            delete old;
    }
    Handover(const Handover&) = delete;
    Handover& operator=(const Handover&) = delete;

    // Audio thread, inside a ProcessEpoch::Scope: the object in force for this call.
    T* get() const { return current_.load(std::memory_order_seq_cst); }

    // Audio thread, inside a ProcessEpoch::Scope: the object in force, kept alive
    // after this call until the second hold() after this one; the object the
    // previous hold() returned stays alive until the next hold(). Older ones must
    // not be used after this.
    T* hold()
    {
        T* object = current_.load(std::memory_order_seq_cst);
        // Publishers read heldNow_ first: every moment sees the older one kept.
        heldBefore_.store(heldNow_.load(std::memory_order_seq_cst), std::memory_order_seq_cst);
        heldNow_.store(object, std::memory_order_seq_cst);
        return object;
    }

    // Non-audio threads: installs a fully built object and frees the old one once
    // the audio thread can no longer see it. Publishers are serialised.
    void publish(std::unique_ptr<T> next)
    {
        std::lock_guard<std::mutex> lock(publishMutex_);
        T* old = current_.exchange(next.release(), std::memory_order_seq_cst);
        retired_.push_back(old);
        // Published from inside a process call: the call may still use `old`,
        // so it is freed by a later publish.
        if (!epoch_.waitForReaders())
            return;
        // No call can pick up a retired object any more; what the audio thread
        // holds now is all it will ever use of them.
        const T* now = heldNow_.load(std::memory_order_seq_cst);
        const T* before = heldBefore_.load(std::memory_order_seq_cst);
        const auto stillHeld =
            std::partition(retired_.begin(), retired_.end(), [&](T* p) { return p == now || p == before; });
        for (auto it = stillHeld; it != retired_.end(); ++it)
            delete *it;
        retired_.erase(stillHeld, retired_.end());
    }

    // Non-audio threads: the object in force, for reading while no publish runs
    // (callers hold their own lock against concurrent publishers).
    const T* peek() const { return current_.load(std::memory_order_acquire); }

private:
    ProcessEpoch& epoch_;
    std::atomic<T*> current_;
    std::atomic<T*> heldNow_{nullptr};
    std::atomic<T*> heldBefore_{nullptr};
    std::mutex publishMutex_;
    // Replaced objects the audio thread may still use: the two it held at the
    // last publish, and any published from inside a process call.
    std::vector<T*> retired_;
};

} // namespace engine
