#pragma once
// The process's one worker thread, shared by every reverb instance in it.
// Started when the first WorkQueue joins, joined when the last one leaves,
// so that nothing runs once the host has closed every instance and may
// unload the module.
//
// Fair: the thread takes the busy queues in turn, one pass each, so a
// dear rebuild of one instance delays another's by at most one pass.
//
// Waking. While any instance processes (a process call within the last
// kAudioQuietTime) the thread looks for work every kPollPeriod and nobody
// needs to wake it: a request from an audio thread is then a few atomic
// operations and no system call. Otherwise it sleeps until woken. Other
// threads wake it with a notification; an audio thread only when it gets the
// lock without waiting (try_lock), and the rare wake lost to that race is made
// up by the thread's own look after kIdlePeriod.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace core {

class WorkQueue;

class WorkerThread {
public:
    static constexpr std::chrono::milliseconds kPollPeriod{4};
    static constexpr std::chrono::milliseconds kIdlePeriod{100};
    static constexpr std::chrono::milliseconds kAudioQuietTime{250};

    // The one of this process.
    static WorkerThread& instance();

    // Queues joined now, and whether the thread runs (for tests).
    std::size_t queueCount();
    bool running();

private:
    friend class WorkQueue;

    WorkerThread() = default;
    ~WorkerThread();

    void attach(WorkQueue& queue);
    // Waits for a pass of the queue that runs; drops the queue's work.
    void detach(WorkQueue& queue);
    void wake(bool fromAudioThread);
    // Until the queue's passes reach `target` or it leaves, at most `limit`.
    bool waitFor(WorkQueue& queue, std::uint64_t target, std::chrono::milliseconds limit);

    void run();
    WorkQueue* nextBusy();
    bool anyBusy() const;
    bool audioRuns(std::chrono::steady_clock::time_point now);
    void releaseUnused(std::unique_lock<std::mutex>& lock);

    // Start and join of the thread, by attach and detach.
    std::mutex lifecycle_;
    // The queues, the turn, the pass under way and the stop request.
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    std::condition_variable passDone_;
    std::vector<WorkQueue*> queues_;
    std::vector<std::uint64_t> callsSeen_;
    std::size_t next_ = 0;
    WorkQueue* inPass_ = nullptr;
    bool stop_ = false;
    std::chrono::steady_clock::time_point lastAudio_{};
    std::atomic<bool> polling_{false};
    std::thread thread_;
};

} // namespace core
