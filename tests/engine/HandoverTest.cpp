// Hand-over of prepared objects to the audio thread.
#include "engine/Handover.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

namespace {

struct Tracked {
    explicit Tracked(std::atomic<int>& alive) : alive_(alive) { ++alive_; }
    ~Tracked() { --alive_; }
    std::atomic<int>& alive_;
};

} // namespace

TEST(Handover, PublishWaitsForTheRunningCallThenFreesTheOldObject)
{
    std::atomic<int> alive{0};
    engine::ProcessEpoch epoch;
    engine::Handover<Tracked> slot(epoch, std::make_unique<Tracked>(alive));
    std::promise<void> inside, release;
    std::thread audio([&] {
        engine::ProcessEpoch::Scope call(epoch);
        Tracked* seen = slot.get();
        inside.set_value();
        release.get_future().wait();
        EXPECT_EQ(&seen->alive_, &alive); // still valid while the call runs
    });
    inside.get_future().wait();
    auto publishing = std::async(std::launch::async, [&] { slot.publish(std::make_unique<Tracked>(alive)); });
    EXPECT_EQ(publishing.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout)
        << "the old object must outlive the call that may read it";
    EXPECT_EQ(alive.load(), 2);
    release.set_value();
    publishing.wait();
    audio.join();
    EXPECT_EQ(alive.load(), 1);
}

TEST(Handover, PublishFromInsideAProcessCallNeitherWaitsNorFreesWhatTheCallUses)
{
    std::atomic<int> alive{0};
    engine::ProcessEpoch epoch;
    engine::Handover<Tracked> slot(epoch, std::make_unique<Tracked>(alive));
    {
        engine::ProcessEpoch::Scope call(epoch);
        Tracked* seen = slot.get();
        // a host that automates from inside its own process call
        auto publishing = std::async(std::launch::deferred, [&] { slot.publish(std::make_unique<Tracked>(alive)); });
        publishing.get(); // runs on this thread: must return at once
        EXPECT_EQ(alive.load(), 2);
        EXPECT_EQ(&seen->alive_, &alive);
    }
    // the next publish outside a call frees everything replaced so far
    slot.publish(std::make_unique<Tracked>(alive));
    EXPECT_EQ(alive.load(), 1);
}

// Work that spans calls holds objects: the one held last and the one held
// before it (a crossfade still reads the old kernel) survive any publish.
TEST(Handover, TheLastTwoHeldObjectsSurvivePublishes)
{
    std::atomic<int> alive{0};
    engine::ProcessEpoch epoch;
    engine::Handover<Tracked> slot(epoch, std::make_unique<Tracked>(alive));
    Tracked* first = nullptr;
    {
        engine::ProcessEpoch::Scope call(epoch);
        first = slot.hold();
    }
    slot.publish(std::make_unique<Tracked>(alive));
    Tracked* second = nullptr;
    {
        engine::ProcessEpoch::Scope call(epoch);
        second = slot.hold();
    }
    ASSERT_NE(first, second);
    slot.publish(std::make_unique<Tracked>(alive));
    slot.publish(std::make_unique<Tracked>(alive));
    // first and second are still held; the two published since, the newest in force.
    EXPECT_EQ(alive.load(), 3);
    EXPECT_EQ(&first->alive_, &alive);
    EXPECT_EQ(&second->alive_, &alive);
    {
        engine::ProcessEpoch::Scope call(epoch);
        slot.hold();
    }
    slot.publish(std::make_unique<Tracked>(alive));
    // Now first is no longer held: it goes; second (held before) stays.
    EXPECT_EQ(alive.load(), 3);
}

// Keeping more held objects (the convolution keeps one per window): each
// survives exactly as many further holds.
TEST(Handover, EveryOneOfTheLastHeldObjectsSurvivesPublishes)
{
    constexpr int kHeld = 5;
    std::atomic<int> alive{0};
    engine::ProcessEpoch epoch;
    engine::Handover<Tracked, kHeld> slot(epoch, std::make_unique<Tracked>(alive));
    for (int round = 1; round <= 2 * kHeld; ++round) {
        {
            engine::ProcessEpoch::Scope call(epoch);
            slot.hold();
        }
        slot.publish(std::make_unique<Tracked>(alive));
        // The last kHeld held (each a different object), and the one in force.
        EXPECT_EQ(alive.load(), std::min(round, kHeld) + 1) << "after " << round << " holds";
    }
}

// A kernel stays held a few periods after it was replaced: collect() frees it
// once it is no longer held, without a further publish, and never while a
// process call runs (it does not wait for one).
TEST(Handover, CollectFreesWhatIsNoLongerHeldWithoutWaiting)
{
    std::atomic<int> alive{0};
    engine::ProcessEpoch epoch;
    engine::Handover<Tracked> slot(epoch, std::make_unique<Tracked>(alive));
    auto holdInACall = [&] {
        engine::ProcessEpoch::Scope call(epoch);
        slot.hold();
    };
    holdInACall();
    slot.publish(std::make_unique<Tracked>(alive));
    holdInACall();
    slot.collect();
    EXPECT_EQ(alive.load(), 2) << "the first is still held, as the one before";
    holdInACall();
    {
        engine::ProcessEpoch::Scope call(epoch);
        slot.collect();
        EXPECT_EQ(alive.load(), 2) << "nothing is freed while a call runs";
    }
    slot.collect();
    EXPECT_EQ(alive.load(), 1);
}
