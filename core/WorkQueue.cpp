#include "core/WorkQueue.h"

#include "core/WorkerThread.h"

namespace core {

namespace {
constexpr std::memory_order kOrdered = std::memory_order_seq_cst;
} // namespace

WorkQueue::WorkQueue(Client& client) : client_(client) {}

WorkQueue::~WorkQueue() { stop(); }

void WorkQueue::start()
{
    if (started_.exchange(true))
        return;
    WorkerThread::instance().attach(*this);
}

void WorkQueue::stop()
{
    if (!started_.exchange(false))
        return;
    WorkerThread::instance().detach(*this);
    // What was asked and not done is dropped: its owner is going.
    pending_.take();
    completed_.store(requested_.load());
}

void WorkQueue::requestParameter(int id)
{
    pending_.markParameter(id);
    requested_.fetch_add(1, kOrdered);
    wake();
}

void WorkQueue::requestTask(WorkerTask task)
{
    pending_.markTask(task);
    requested_.fetch_add(1, kOrdered);
    wake();
}

void WorkQueue::wake()
{
    if (started_.load(std::memory_order_relaxed))
        WorkerThread::instance().wake(onAudioThread());
}

void WorkQueue::noteProcessCall()
{
    processCalls_.fetch_add(1, std::memory_order_relaxed);
    audioThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

bool WorkQueue::onAudioThread() const
{
    return audioThread_.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

void WorkQueue::finish()
{
    finishWithin(std::chrono::milliseconds::max());
}

bool WorkQueue::finishWithin(std::chrono::milliseconds limit)
{
    const std::uint64_t target = requested_.load(kOrdered);
    if (completed_.load() >= target)
        return true;
    if (!started_.load()) {
        while (completed_.load() < target)
            runPass();
        return true;
    }
    return WorkerThread::instance().waitFor(*this, target, limit);
}

void WorkQueue::runPass()
{
    std::lock_guard<std::mutex> pass(passMutex_);
    // Requests counted up to here are in the marks taken next, or in an
    // earlier pass's; later ones may be taken too and are counted by the next.
    const std::uint64_t target = requested_.load(kOrdered);
    const WorkItems items = pending_.take();
    if (!items.empty())
        client_.runWork(items);
    passes_.fetch_add(1);
    std::uint64_t done = completed_.load();
    while (done < target && !completed_.compare_exchange_weak(done, target)) {
    }
}

} // namespace core
