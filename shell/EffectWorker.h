#pragma once
// The effect's own worker thread. Everything a parameter change sets off that
// costs more than storing a value (filter designs, growing the pre-delay
// store, IR shaping and kernel preparation, the response analysis and the
// curves of the editor's graphs) runs here, away from the host's threads.
//
// A request marks what changed and counts itself; the worker takes all marks
// at once, so a burst of changes costs one pass done with the newest values.
// Requesting never allocates, waits or blocks on a lock.
//
// Waking. While the host is processing (a process call within the last
// kAudioQuietTime) the worker looks for work every kPollPeriod and nobody
// needs to wake it: a request from the audio thread is then a few atomic
// operations and no system call. While processing is stopped the worker sleeps
// until woken. Other threads wake it with a notification; the audio thread
// only when it gets the worker's lock without waiting (try_lock), and the rare
// wake lost to that race is made up by the worker's own look after
// kIdlePeriod.
#include "shell/PendingWork.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class EffectWorker {
public:
    class Client {
    public:
        virtual ~Client() = default;
        // Carries out everything in `items` (on the worker thread, or on the
        // caller of finish() while no thread runs).
        virtual void runWork(const WorkItems& items) = 0;
        // Each time the worker has looked for work and found none: frees what
        // the audio thread no longer uses.
        virtual void releaseUnused() {}
    };

    static constexpr std::chrono::milliseconds kPollPeriod{4};
    static constexpr std::chrono::milliseconds kIdlePeriod{100};
    static constexpr std::chrono::milliseconds kAudioQuietTime{250};

    explicit EffectWorker(Client& client);
    ~EffectWorker();
    EffectWorker(const EffectWorker&) = delete;
    EffectWorker& operator=(const EffectWorker&) = delete;

    // Starts the thread; stop() asks it to end and joins it, leaving work
    // still pending undone. Both from one owning thread.
    void start();
    void stop();

    // Any thread, the audio thread included.
    void requestParameter(int id);
    void requestTask(WorkerTask task);

    // Audio thread, at the start of every process call: processing runs.
    void noteProcessCall();

    // Any thread: something requested is not done yet.
    bool busy() const { return completed_.load() < requested_.load(); }
    // Blocks until everything requested before the call is done; without a
    // running thread the work is done here. On the audio thread only when the
    // host renders offline. Never call it holding a lock that the work takes.
    void finish();
    // The same, giving up after `limit`: answers whether everything was done.
    bool finishWithin(std::chrono::milliseconds limit);

    // Passes run so far; each takes every mark pending when it starts.
    long passes() const { return passes_.load(); }

private:
    void run();
    void runPass();
    void wake();
    bool onAudioThread() const;

    Client& client_;
    PendingWork pending_;
    std::atomic<std::uint64_t> requested_{0};
    std::atomic<std::uint64_t> completed_{0};
    std::atomic<std::uint64_t> processCalls_{0};
    std::atomic<std::thread::id> audioThread_{};
    std::atomic<bool> polling_{false};
    std::atomic<bool> running_{false};
    std::atomic<long> passes_{0};

    // One pass at a time, whoever runs it.
    std::mutex passMutex_;
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    std::condition_variable done_;
    bool stop_ = false;  // guarded by mutex_
    std::thread thread_;
};
