#pragma once
// One reverb's share of the process's worker thread (WorkerThread). Everything
// a parameter change sets off that costs more than storing a value (filter
// designs, growing the pre-delay store, IR shaping and kernel preparation, the
// response analysis, the editor's curves) is marked here and carried out by
// the worker, away from the host's threads.
//
// A request marks what changed and counts itself; a pass takes all marks at
// once, so a burst of changes costs one pass done with the newest values.
// Requesting never allocates, waits or blocks on a lock.
//
// Until start() (and after stop()) no thread works for the queue: finish()
// then carries out the passes itself. stop() drops whatever is still pending.
#include "core/PendingWork.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

namespace core {

class WorkerThread;

class WorkQueue {
public:
    class Client {
    public:
        virtual ~Client() = default;
        // Carries out everything in `items` (on the worker thread, or on the
        // caller of finish() while the queue is not started).
        virtual void runWork(const WorkItems& items) = 0;
        // Each time the worker found nothing to do for this queue: frees what
        // the audio thread no longer uses.
        virtual void releaseUnused() {}
    };

    explicit WorkQueue(Client& client);
    ~WorkQueue();
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // Joins the process's worker (starting its thread for the first queue) /
    // leaves it (joining the thread after the last queue), waiting for a pass
    // of this queue that runs. From the owning thread.
    void start();
    void stop();

    // Any thread, the audio thread included.
    void requestParameter(int id);
    void requestTask(WorkerTask task);

    // Audio thread, at the start of every process call: processing runs.
    void noteProcessCall();

    // Any thread: something requested is not done yet.
    bool busy() const { return completed_.load() < requested_.load(); }
    // Blocks until everything requested before the call is done. On the
    // audio thread only when the host renders offline. Never call it holding
    // a lock that the work takes.
    void finish();
    // The same, giving up after `limit`: answers whether everything was done.
    bool finishWithin(std::chrono::milliseconds limit);

    // Passes run so far; each takes every mark pending when it starts.
    long passes() const { return passes_.load(); }

private:
    friend class WorkerThread;

    void wake();
    void runPass();
    bool onAudioThread() const;

    Client& client_;
    PendingWork pending_;
    std::atomic<std::uint64_t> requested_{0};
    std::atomic<std::uint64_t> completed_{0};
    std::atomic<long> passes_{0};
    std::atomic<bool> started_{false};
    // Read by the worker to tell whether audio runs.
    std::atomic<std::uint64_t> processCalls_{0};
    std::atomic<std::thread::id> audioThread_{};
    // One pass at a time, whoever runs it.
    std::mutex passMutex_;
};

} // namespace core
