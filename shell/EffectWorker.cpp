#include "shell/EffectWorker.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr std::memory_order kOrdered = std::memory_order_seq_cst;
} // namespace

EffectWorker::EffectWorker(Client& client) : client_(client) {}

EffectWorker::~EffectWorker() { stop(); }

void EffectWorker::start()
{
    if (running_.load())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = false;
    }
    thread_ = std::thread([this] { run(); });
    running_.store(true);
}

void EffectWorker::stop()
{
    if (!running_.load())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wakeUp_.notify_one();
    thread_.join();
    running_.store(false);
    // Anyone still in finish() gives up.
    done_.notify_all();
}

void EffectWorker::requestParameter(int id)
{
    pending_.markParameter(id);
    requested_.fetch_add(1, kOrdered);
    wake();
}

void EffectWorker::requestTask(WorkerTask task)
{
    pending_.markTask(task);
    requested_.fetch_add(1, kOrdered);
    wake();
}

void EffectWorker::noteProcessCall()
{
    processCalls_.fetch_add(1, std::memory_order_relaxed);
    audioThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

bool EffectWorker::onAudioThread() const
{
    return audioThread_.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

void EffectWorker::wake()
{
    // The request counter was raised before this look and the worker stores
    // its mode before it looks at the counter: either this sees it asleep, or
    // it sees the request.
    if (polling_.load(kOrdered))
        return;
    if (onAudioThread()) {
        if (!mutex_.try_lock())
            return;
        mutex_.unlock();
    } else {
        std::lock_guard<std::mutex> handshake(mutex_);
    }
    wakeUp_.notify_one();
}

void EffectWorker::finish()
{
    finishWithin(std::chrono::milliseconds::max());
}

bool EffectWorker::finishWithin(std::chrono::milliseconds limit)
{
    const std::uint64_t target = requested_.load(kOrdered);
    if (completed_.load() >= target)
        return true;
    if (!running_.load()) {
        while (completed_.load() < target)
            runPass();
        return true;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    wakeUp_.notify_one();
    const auto done = [&] { return completed_.load() >= target || stop_; };
    if (limit == std::chrono::milliseconds::max())
        done_.wait(lock, done);
    else
        done_.wait_for(lock, limit, done);
    return completed_.load() >= target;
}

void EffectWorker::run()
{
    std::uint64_t callsSeen = processCalls_.load(std::memory_order_relaxed);
    Clock::time_point lastAudio = Clock::now() - kAudioQuietTime;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        if (busy()) {
            lock.unlock();
            runPass();
            lock.lock();
            continue;
        }
        lock.unlock();
        client_.releaseUnused();
        lock.lock();
        if (stop_ || busy())
            continue;
        const Clock::time_point now = Clock::now();
        const std::uint64_t calls = processCalls_.load(std::memory_order_relaxed);
        if (calls != callsSeen) {
            callsSeen = calls;
            lastAudio = now;
        }
        const bool audioRuns = now - lastAudio < kAudioQuietTime;
        polling_.store(audioRuns, kOrdered);
        wakeUp_.wait_for(lock, audioRuns ? kPollPeriod : kIdlePeriod, [this] { return stop_ || busy(); });
    }
    polling_.store(false, kOrdered);
}

void EffectWorker::runPass()
{
    std::lock_guard<std::mutex> pass(passMutex_);
    // Requests counted up to here are in the marks taken next, or in an
    // earlier pass's; later ones may be taken too and are counted by the next.
    const std::uint64_t target = requested_.load(kOrdered);
    const WorkItems items = pending_.take();
    if (!items.empty())
        client_.runWork(items);
    passes_.fetch_add(1);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (completed_.load() < target)
            completed_.store(target);
    }
    done_.notify_all();
}
