// Automation as hosts play and render it. Parameter changes only record
// themselves and the effect's worker does the work, so these check what that
// must not cost: an offline render is exact and repeatable whatever the
// machine is doing, a restore sounds as saved from the first frame, a burst of
// changes ends where a fresh instance set to the final values is, and a burst
// of one parameter costs one rebuild.
#include "support/RenderKit.h"

#include "core/WorkQueue.h"
#include "ir/IRData.h"
#include "support/TestSupport.h"

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <random>
#include <thread>

namespace {

using namespace renderkit;

constexpr float kRate = 48000.0f;
constexpr long kLatency = effect::kLatencyFrames;

// Spins on every core until destroyed: a machine busy with something else.
class MachineLoad {
public:
    MachineLoad()
    {
        const unsigned n = std::max(2u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < n; ++i)
            threads_.emplace_back([this] {
                volatile double x = 1.0;
                while (!stop_.load(std::memory_order_relaxed))
                    x = x * 1.0000001 + 1e-9;
            });
    }
    ~MachineLoad()
    {
        stop_ = true;
        for (std::thread& t : threads_)
            t.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

class AutomationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::makeTempDir("automation");
        irPath = dir + "/room.wav";
        ASSERT_TRUE(reliability::writeWav(irPath, reliability::decayingNoiseIR(24000, 2, 44100), 2, 44100));
    }
    void TearDown() override { testsupport::removeTempDir(dir); }

    // An offline render of the restored project with `lane` automated on it.
    Stereo offlineRender(const Stereo& in, int callFrames, const std::vector<Change>& lane)
    {
        Effect effect = makeEffect(&offlineHost, kRate);
        restore(*effect, savedState(irPath));
        return render(*effect, in, callFrames, lane);
    }

    std::string dir;
    std::string irPath;
};

// Every kind of work the worker does, at frames inside partitions and calls.
const std::vector<Change> kLane = {
    {30011, param::kDecay, 0.3f},      {41000, param::kEnabledHPF, 1.0f}, {41000, param::kHPF, 0.6f},
    {52003, param::kGate, 0.2f},       {60000, param::kStrech, 0.7f},     {70500, param::kPreDelay, 0.4f},
    {81000, param::kDump, 0.2f},       {90001, param::kBAL, 0.9f},        {90001, param::kEnabledBAL, 1.0f},
    {99999, param::kStInputs, 0.1f},   {110000, param::kLPF, 0.3f},       {110000, param::kEnabledLPF, 1.0f},
};

TEST_F(AutomationTest, OfflineRendersOfOneAutomationAreIdenticalWhateverTheMachineDoes)
{
    const Stereo in = noiseInput(2 * kLatency + 60000);
    const Stereo quiet = offlineRender(in, 512, kLane);
    Stereo busy;
    {
        const MachineLoad load;
        busy = offlineRender(in, 512, kLane);
    }
    EXPECT_EQ(firstDifference(quiet, busy), -1);
    // Other call sizes split at the same frames: each change is heard from
    // a frame that its own frame fixes.
    EXPECT_EQ(firstDifference(quiet, offlineRender(in, 64, kLane)), -1);
    EXPECT_EQ(firstDifference(quiet, offlineRender(in, 4000, kLane)), -1);
    EXPECT_GT(peak(quiet), 0.0f);
}

TEST_F(AutomationTest, AChangeIsHeardFromItsOwnFrameOnNeverBefore)
{
    const Stereo in = noiseInput(2 * kLatency + 20000);
    const Stereo without = offlineRender(in, 512, {});
    for (const Change& change : {Change{kLatency + 12345, param::kDecay, 0.2f},
                                 Change{kLatency + 12345, param::kWetLevel, 0.3f},
                                 Change{kLatency + 12345, param::kEnabledLPF, 1.0f}}) {
        SCOPED_TRACE(testing::Message() << "id " << change.id);
        const Stereo with = offlineRender(in, 512, {change});
        const long first = firstDifference(without, with);
        ASSERT_GE(first, 0) << "the change was not heard";
        // A level at once; filters and a new kernel within the convolution's latency.
        if (change.id == param::kWetLevel) {
            EXPECT_EQ(first, change.frame);
        }
        EXPECT_GE(first, change.frame);
        EXPECT_LT(first, change.frame + kLatency);
    }
}

TEST_F(AutomationTest, ARestoreSoundsAsSavedFromItsFirstRenderedFrame)
{
    const Stereo in = noiseInput(kLatency + 30000);
    const State state = savedState(irPath, {{param::kDecay, 0.35f}, {param::kHPF, 0.4f}, {param::kEnabledHPF, 1.0f},
                                            {param::kPreDelay, 0.25f}, {param::kGate, 0.6f}});
    // Rendered at once after the restore, as a bounce right after loading a project.
    Effect bounced = makeEffect(&offlineHost, kRate);
    restore(*bounced, state);
    const Stereo first = render(*bounced, in, 512);
    // Rendered only after all the work of the restore is done.
    Effect settled = restoredEffect(&offlineHost, kRate, state);
    const Stereo second = render(*settled, in, 512);
    EXPECT_EQ(firstDifference(first, second), -1);
    EXPECT_GT(peak(first), 0.0f);
}

// Random automation of every id from "Bypass (local)" to "DryLevel" while the
// host plays in real time, then both effects restarted and given one input.
TEST_F(AutomationTest, AfterABurstTheEffectSoundsLikeAFreshInstanceSetToTheFinalValues)
{
    Effect automated = restoredEffect(&realtimeHost, kRate, savedState(irPath));
    vst::AEffect* record = automated->getAeffect();
    std::mt19937 rng(17u);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> finalValues(param::kNumParams, 0.0f);
    for (int id = 0; id < param::kNumParams; ++id)
        finalValues[id] = record->getParameter(record, id);
    const Stereo block = noiseInput(256);
    for (int round = 0; round < 400; ++round) {
        for (int id = param::kBypassLocal; id <= param::kDryLevel; ++id) {
            if (rng() % 3 != 0)
                continue;
            finalValues[id] = id == param::kBypassLocal ? 1.0f : unit(rng);
            record->setParameter(record, id, finalValues[id]);
        }
        render(*automated, block, 256);
    }
    automated->finishPendingWork();

    State state = savedState(irPath);
    for (int id = param::kBypassLocal; id <= param::kDryLevel; ++id)
        state[id] = finalValues[id];
    Effect fresh = restoredEffect(&realtimeHost, kRate, state);

    for (DOvu* effect : {automated.get(), fresh.get()}) {
        vst::AEffect* r = effect->getAeffect();
        r->dispatcher(r, vst::effMainsChanged, 0, 0, nullptr, 0.0f);
        r->dispatcher(r, vst::effMainsChanged, 0, 1, nullptr, 0.0f);
    }
    const Stereo in = noiseInput(kLatency + 40000, 9u);
    const Stereo a = render(*automated, in, 512);
    const Stereo b = render(*fresh, in, 512);
    EXPECT_EQ(firstDifference(a, b), -1);
    EXPECT_GT(peak(a), 0.0f);
}

// Holds the process's worker thread in a pass of its own until released, so
// that whatever other instances ask for meanwhile waits for one pass.
class WorkerHold final : private core::WorkQueue::Client {
public:
    WorkerHold()
    {
        queue_.start();
        queue_.requestTask(WorkerTask::AnalyseResponse);
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return entered_; });
    }
    ~WorkerHold() { release(); }
    void release()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            released_ = true;
        }
        changed_.notify_all();
        queue_.stop();
    }

private:
    void runWork(const WorkItems&) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool released_ = false;
    core::WorkQueue queue_{*this};
};

TEST_F(AutomationTest, ABurstOfOneHundredDecayValuesCostsOneRebuild)
{
    Effect effect = restoredEffect(&realtimeHost, kRate, savedState(irPath));
    ir::IRData& ir = effect->irData();
    const long builds = ir.kernelBuilds();
    vst::AEffect* record = effect->getAeffect();
    float last = 0.0f;
    {
        // The worker is busy elsewhere while the burst comes.
        WorkerHold hold;
        // All below neutral, each shaping differently.
        for (int k = 0; k < 100; ++k) {
            last = 0.05f + 0.004f * k;
            record->setParameter(record, param::kDecay, last);
        }
    }
    effect->finishPendingWork();
    EXPECT_EQ(ir.kernelBuilds() - builds, 1);

    // The one rebuild used the newest value: a fresh instance told only that
    // one shapes the same.
    Effect fresh = restoredEffect(&realtimeHost, kRate, savedState(irPath, {{param::kDecay, last}}));
    EXPECT_EQ(ir.envelopeMultiplier(), fresh->irData().envelopeMultiplier());
}

} // namespace
