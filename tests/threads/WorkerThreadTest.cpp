// The process's one worker thread: every reverb in the process shares it, it
// takes busy instances in turn, it starts with the first instance and is gone
// with the last, and an instance that closes while others work takes nothing
// of theirs with it.
#include "core/Reverb.h"
#include "core/WorkQueue.h"
#include "core/WorkerThread.h"
#include "ir/IRData.h"
#include "params/PathParams.h"
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

class QuietHost final : public core::ReverbHost {
public:
    void irLoadFailed(const std::string&, const std::string&) override { ++failures; }
    void tellUser(const std::string&, const std::string&) override {}
    void parameterChanged(int, float) override {}
    void copyButtonChanged(bool) override {}
    bool chooseFile(const platform::FileDialogRequest&, std::string&) override { return false; }
    std::atomic<int> failures{0};
};

// Threads of this process, where the system tells (-1 elsewhere).
int threadCount()
{
    std::error_code error;
    std::filesystem::directory_iterator tasks("/proc/self/task", error);
    if (error)
        return -1;
    int n = 0;
    for (const auto& task : tasks) {
        (void)task;
        ++n;
    }
    return n;
}

std::unique_ptr<core::Reverb> makeReverb(QuietHost& host)
{
    return std::make_unique<core::Reverb>(host, platform::ModuleLocation::fromModulePath("/nowhere/plugin.so"));
}

void process(core::Reverb& reverb, int calls)
{
    std::vector<float> l(256, 0.1f), r(256, -0.1f);
    for (int c = 0; c < calls; ++c)
        reverb.process(l.data(), r.data(), l.data(), r.data(), 256, false);
}

TEST(WorkerThread, SixteenInstancesRunOnOneThreadThatEndsWithTheLast)
{
    ASSERT_FALSE(core::WorkerThread::instance().running()) << "another test left a reverb alive";
    const int before = threadCount();
    QuietHost host;
    {
        std::vector<std::unique_ptr<core::Reverb>> reverbs;
        for (int i = 0; i < 16; ++i)
            reverbs.push_back(makeReverb(host));
        EXPECT_TRUE(core::WorkerThread::instance().running());
        EXPECT_EQ(core::WorkerThread::instance().queueCount(), 16u);
        for (auto& reverb : reverbs) {
            reverb->setParameter(param::kHPF, 0.7f);
            reverb->setParameter(param::kPreDelay, 0.3f);
            process(*reverb, 4);
        }
        for (auto& reverb : reverbs)
            reverb->finishPendingWork();
        if (before >= 0) {
            EXPECT_EQ(threadCount(), before + 1) << "one worker for all sixteen";
        }
    }
    EXPECT_FALSE(core::WorkerThread::instance().running());
    EXPECT_EQ(core::WorkerThread::instance().queueCount(), 0u);
    if (before >= 0) {
        EXPECT_EQ(threadCount(), before);
    }
}

// Two queues that ask again in every pass are served in turn.
class Recorder final : public core::WorkQueue::Client {
public:
    Recorder(char name, std::vector<char>& log, std::mutex& mutex, int passes)
        : name_(name), log_(log), mutex_(mutex), left_(passes)
    {
    }
    void runWork(const WorkItems&) override
    {
        entered.store(true);
        // The first pass waits until the test lets it go on.
        while (!go.load())
            std::this_thread::yield();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            log_.push_back(name_);
        }
        if (--left_ > 0)
            queue.requestTask(WorkerTask::AnalyseResponse);
    }
    std::atomic<bool> entered{false};
    std::atomic<bool> go{false};
    core::WorkQueue queue{*this};

private:
    char name_;
    std::vector<char>& log_;
    std::mutex& mutex_;
    std::atomic<int> left_;
};

TEST(WorkerThread, BusyInstancesAreServedInTurn)
{
    std::vector<char> log;
    std::mutex mutex;
    Recorder a('a', log, mutex, 6);
    Recorder b('b', log, mutex, 6);
    b.go = true;
    a.queue.start();
    b.queue.start();
    // a's first pass holds the worker until b has work too.
    a.queue.requestTask(WorkerTask::AnalyseResponse);
    while (!a.entered.load())
        std::this_thread::yield();
    b.queue.requestTask(WorkerTask::AnalyseResponse);
    a.go = true;
    for (;;) {
        a.queue.finish();
        b.queue.finish();
        std::lock_guard<std::mutex> lock(mutex);
        if (log.size() >= 12u)
            break;
    }
    a.queue.stop();
    b.queue.stop();
    ASSERT_EQ(log.size(), 12u);
    // Neither runs twice while the other waits.
    for (std::size_t i = 1; i < log.size(); ++i)
        EXPECT_NE(log[i], log[i - 1]) << "pass " << i;
}

// Instances close while others keep changing their shape: the survivors end
// exactly where a fresh instance given their last values is, and the closed
// ones leave no queue (and, under the sanitizer, no memory) behind.
TEST(WorkerThread, ClosingInstancesWhileOthersWorkLosesNothingOfTheirs)
{
    const testsupport::TempDir dir("worker-close");
    const std::string ir = dir.path() + "/room.wav";
    ASSERT_TRUE(reliability::writeWav(ir, reliability::decayingNoiseIR(20000, 2, 48000), 2, 48000));
    QuietHost host;
    std::vector<std::unique_ptr<core::Reverb>> reverbs;
    for (int i = 0; i < 8; ++i) {
        reverbs.push_back(makeReverb(host));
        reverbs.back()->setSampleRate(48000.0f);
        reverbs.back()->restoreIRPath(ir);
    }
    std::atomic<bool> stop{false};
    // Survivors (even indices) get a stream of Decay values from a thread of their own.
    std::vector<std::thread> changers;
    for (int i = 0; i < 8; i += 2)
        changers.emplace_back([&, i] {
            for (int k = 0; k < 200 && !stop.load(); ++k)
                reverbs[static_cast<std::size_t>(i)]->setParameter(param::kDecay, 0.1f + 0.004f * k);
            reverbs[static_cast<std::size_t>(i)]->setParameter(param::kDecay, 0.42f);
        });
    // The others are closed meanwhile, each with work of its own pending.
    for (int i = 1; i < 8; i += 2) {
        reverbs[static_cast<std::size_t>(i)]->setParameter(param::kStrech, 0.9f);
        reverbs[static_cast<std::size_t>(i)].reset();
    }
    for (std::thread& t : changers)
        t.join();
    EXPECT_EQ(core::WorkerThread::instance().queueCount(), 4u);

    auto fresh = makeReverb(host);
    fresh->setSampleRate(48000.0f);
    fresh->setParameter(param::kDecay, 0.42f);
    fresh->restoreIRPath(ir);
    fresh->finishPendingWork();
    for (int i = 0; i < 8; i += 2) {
        core::Reverb& survivor = *reverbs[static_cast<std::size_t>(i)];
        survivor.finishPendingWork();
        EXPECT_EQ(survivor.irData().envelopeMultiplier(), fresh->irData().envelopeMultiplier()) << i;
        EXPECT_EQ(survivor.irData().rebuildIndicator() != -1, true) << i;
    }
    reverbs.clear();
    fresh.reset();
    EXPECT_EQ(core::WorkerThread::instance().queueCount(), 0u);
    EXPECT_FALSE(core::WorkerThread::instance().running());
    EXPECT_EQ(host.failures.load(), 0);
}

} // namespace
