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
// last kHeld objects held stay alive across calls until the audio thread holds
// further objects, however long the host pauses between calls. (The
// convolution keeps the kernel each of its last windows entered with.)
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

    // No process call runs at this moment, so every one that started before
    // has ended. Never waits.
    bool noCallRunning() const { return (counter_.load(std::memory_order_seq_cst) & 1u) == 0; }

private:
    std::atomic<std::uint64_t> counter_{0};
    std::atomic<std::thread::id> caller_{};
};

template <class T, int kHeld = 2>
class Handover {
    static_assert(kHeld >= 1, "at least the object held last");

public:
    explicit Handover(ProcessEpoch& epoch, std::unique_ptr<T> initial = nullptr)
        : epoch_(epoch), current_(initial.release())
    {
        // The objects still held plus the one being replaced: publish never
        // has to grow this.
        retired_.reserve(kHeld + 1);
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
    // after this call until kHeld further hold()s; the objects the kHeld - 1
    // hold()s before returned stay alive as long. Older ones must not be used
    // after this.
    T* hold()
    {
        T* object = current_.load(std::memory_order_seq_cst);
        // Each object moves one slot older before its slot is overwritten,
        // and publishers read the slots newest first: a publisher that reads
        // a slot after it was overwritten finds its object in the next one.
        for (int i = kHeld - 1; i > 0; --i)
            held_[i].store(held_[i - 1].load(std::memory_order_seq_cst), std::memory_order_seq_cst);
        held_[0].store(object, std::memory_order_seq_cst);
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
        // so it is freed by a later publish or collect.
        if (epoch_.waitForReaders())
            freeUnheld();
    }

    // Non-audio threads: frees the replaced objects the audio thread has
    // stopped holding since they were replaced (a kernel a few periods after
    // the last change), which no publish may come to free. Never waits: while
    // a process call runs it leaves them for a later collect, as a host that
    // renders offline may be waiting inside its call for the caller.
    void collect()
    {
        std::lock_guard<std::mutex> lock(publishMutex_);
        if (!retired_.empty() && epoch_.noCallRunning())
            freeUnheld();
    }

    // Non-audio threads: the object in force, for reading while no publish runs
    // (callers hold their own lock against concurrent publishers).
    const T* peek() const { return current_.load(std::memory_order_acquire); }

private:
    // With publishMutex_ held, once no process call that started before the
    // retired objects were replaced still runs: frees those no longer held.
    void freeUnheld()
    {
        // No call can pick up a retired object any more; what the audio thread
        // holds now is all it will ever use of them. Held objects move one
        // slot older before their slot is overwritten, and the slots are read
        // newest first, so none is missed.
        const T* held[kHeld];
        for (int i = 0; i < kHeld; ++i)
            held[i] = held_[i].load(std::memory_order_seq_cst);
        const auto stillHeld = std::partition(retired_.begin(), retired_.end(), [&](T* p) {
            return std::find(held, held + kHeld, p) != held + kHeld;
        });
        for (auto it = stillHeld; it != retired_.end(); ++it)
            delete *it;
        retired_.erase(stillHeld, retired_.end());
    }

    ProcessEpoch& epoch_;
    std::atomic<T*> current_;
    std::atomic<T*> held_[kHeld] = {};  // newest first
    std::mutex publishMutex_;
    // Replaced objects the audio thread may still use: those it held at the
    // last publish, and any published from inside a process call.
    std::vector<T*> retired_;
};

} // namespace engine
