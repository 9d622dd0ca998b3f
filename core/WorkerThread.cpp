#include "core/WorkerThread.h"

#include "core/WorkQueue.h"

#include <algorithm>

namespace core {

namespace {
using Clock = std::chrono::steady_clock;
constexpr std::memory_order kOrdered = std::memory_order_seq_cst;
} // namespace

WorkerThread& WorkerThread::instance()
{
    static WorkerThread worker;
    return worker;
}

WorkerThread::~WorkerThread()
{
    // Only at process exit, with instances a host never closed.
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wakeUp_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

std::size_t WorkerThread::queueCount()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return queues_.size();
}

bool WorkerThread::running()
{
    std::lock_guard<std::mutex> life(lifecycle_);
    return thread_.joinable();
}

void WorkerThread::attach(WorkQueue& queue)
{
    std::lock_guard<std::mutex> life(lifecycle_);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queues_.push_back(&queue);
        callsSeen_.push_back(queue.processCalls_.load(std::memory_order_relaxed));
        stop_ = false;
    }
    if (!thread_.joinable())
        thread_ = std::thread([this] { run(); });
    wakeUp_.notify_one();
}

void WorkerThread::detach(WorkQueue& queue)
{
    std::lock_guard<std::mutex> life(lifecycle_);
    bool last = false;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        const auto at = std::find(queues_.begin(), queues_.end(), &queue);
        if (at != queues_.end()) {
            const std::size_t index = static_cast<std::size_t>(at - queues_.begin());
            queues_.erase(at);
            callsSeen_.erase(callsSeen_.begin() + static_cast<std::ptrdiff_t>(index));
            if (next_ > index)
                --next_;
        }
        passDone_.wait(lock, [&] { return inPass_ != &queue; });
        last = queues_.empty();
        if (last)
            stop_ = true;
    }
    // Anyone still waiting for this queue gives up.
    passDone_.notify_all();
    if (last && thread_.joinable()) {
        wakeUp_.notify_all();
        thread_.join();
    }
}

void WorkerThread::wake(bool fromAudioThread)
{
    // The request counter was raised before this look and the thread stores
    // its mode before it looks at the counters: either this sees it asleep,
    // or it sees the request.
    if (polling_.load(kOrdered))
        return;
    if (fromAudioThread) {
        if (!mutex_.try_lock())
            return;
        mutex_.unlock();
    } else {
        std::lock_guard<std::mutex> handshake(mutex_);
    }
    wakeUp_.notify_one();
}

bool WorkerThread::waitFor(WorkQueue& queue, std::uint64_t target, std::chrono::milliseconds limit)
{
    std::unique_lock<std::mutex> lock(mutex_);
    wakeUp_.notify_one();
    const auto done = [&] { return queue.completed_.load() >= target || !queue.started_.load(); };
    if (limit == std::chrono::milliseconds::max())
        passDone_.wait(lock, done);
    else
        passDone_.wait_for(lock, limit, done);
    return queue.completed_.load() >= target;
}

WorkQueue* WorkerThread::nextBusy()
{
    for (std::size_t k = 0; k < queues_.size(); ++k) {
        const std::size_t index = (next_ + k) % queues_.size();
        if (queues_[index]->busy()) {
            next_ = (index + 1) % queues_.size();
            return queues_[index];
        }
    }
    return nullptr;
}

bool WorkerThread::anyBusy() const
{
    for (const WorkQueue* queue : queues_)
        if (queue->busy())
            return true;
    return false;
}

bool WorkerThread::audioRuns(Clock::time_point now)
{
    for (std::size_t i = 0; i < queues_.size(); ++i) {
        const std::uint64_t calls = queues_[i]->processCalls_.load(std::memory_order_relaxed);
        if (calls != callsSeen_[i]) {
            callsSeen_[i] = calls;
            lastAudio_ = now;
        }
    }
    return now - lastAudio_ < kAudioQuietTime;
}

void WorkerThread::releaseUnused(std::unique_lock<std::mutex>& lock)
{
    for (std::size_t i = 0; i < queues_.size() && !stop_; ++i) {
        WorkQueue* queue = queues_[i];
        inPass_ = queue;
        lock.unlock();
        queue->client_.releaseUnused();
        lock.lock();
        inPass_ = nullptr;
        passDone_.notify_all();
    }
}

void WorkerThread::run()
{
    lastAudio_ = Clock::now() - kAudioQuietTime;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        if (WorkQueue* queue = nextBusy()) {
            inPass_ = queue;
            lock.unlock();
            queue->runPass();
            lock.lock();
            inPass_ = nullptr;
            passDone_.notify_all();
            continue;
        }
        releaseUnused(lock);
        if (stop_ || anyBusy())
            continue;
        const bool audio = audioRuns(Clock::now());
        polling_.store(audio, kOrdered);
        wakeUp_.wait_for(lock, audio ? kPollPeriod : kIdlePeriod, [this] { return stop_ || anyBusy(); });
    }
    polling_.store(false, kOrdered);
}

} // namespace core
