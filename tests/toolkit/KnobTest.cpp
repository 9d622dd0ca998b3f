#include "ToolkitFixtures.h"

#include "toolkit/CAnimKnob.h"
#include "toolkit/COffscreenContext.h"

#include <gtest/gtest.h>

using tk::ScriptedFrame;

namespace {

// A 56-pixel knob: centre (48, 48), radius 28; (75, 75) is its last pixel.
const CRect kKnobRect(20, 20, 76, 76);

struct KnobTest : ::testing::Test {
    ScriptedFrame f;
    tk::RecordingListener listener;
    CAnimKnob* knob = nullptr;

    void SetUp() override
    {
        CFrame::setKnobMode(kCircularMode);
        CBitmap* strip = tk::makeStrip(56, 56, 51);
        knob = new CAnimKnob(kKnobRect, &listener, 6, 51, 56, strip);
        strip->forget();
        f.frame->addView(knob);
    }
    void TearDown() override { CFrame::setKnobMode(kCircularMode); }
};

TEST_F(KnobTest, CircularValueFollowsThePointerAngleAlongTheArc)
{
    EXPECT_NEAR(knob->valueFromPoint(CPoint(48, 20)), 0.5f, 1e-5);        // top
    EXPECT_NEAR(knob->valueFromPoint(CPoint(75, 48)), 5.f / 6.f, 1e-5);   // 0 degrees
    EXPECT_NEAR(knob->valueFromPoint(CPoint(20, 48)), 1.f / 6.f, 1e-5);   // 180 degrees
    EXPECT_NEAR(knob->valueFromPoint(CPoint(21, 75)), 0.f, 1e-5);         // 225 degrees: start of the arc
    EXPECT_NEAR(knob->valueFromPoint(CPoint(75, 75)), 1.f, 1e-5);         // 315 degrees: end of the arc
    // In the gap below the knob each half gives its nearer end.
    EXPECT_EQ(knob->valueFromPoint(CPoint(46, 75)), 0.f);
    EXPECT_EQ(knob->valueFromPoint(CPoint(50, 75)), 1.f);
    EXPECT_EQ(knob->valueFromPoint(CPoint(48, 200)), 0.f);  // straight down, far away
}

TEST_F(KnobTest, CircularRangeFollowsMinimumAndMaximum)
{
    knob->setMin(-1.f);
    knob->setMax(3.f);
    EXPECT_NEAR(knob->valueFromPoint(CPoint(48, 20)), 1.f, 1e-5);
    EXPECT_NEAR(knob->valueFromPoint(CPoint(21, 75)), -1.f, 1e-5);
    EXPECT_EQ(knob->valueFromPoint(CPoint(50, 75)), 3.f);
}

TEST_F(KnobTest, CircularDragReportsEveryChangeInsideOneGesture)
{
    knob->setValue(0.2f);
    f.gesture().press(48, 20).move(48, 20).move(75, 48).release(75, 48);
    f.run();
    ASSERT_EQ(listener.values.size(), 2u);
    EXPECT_NEAR(listener.values[0], 0.5f, 1e-5);
    EXPECT_NEAR(listener.values[1], 5.f / 6.f, 1e-5);
    EXPECT_EQ(listener.tags[0], 6);
    EXPECT_EQ(f.owner.calls, (std::vector<std::string>{"begin 6", "end 6"}));
    EXPECT_GT(f.owner.idleCalls, 0);
    EXPECT_EQ(f.events.pending(), 0u);
}

TEST_F(KnobTest, CircularJumpAcrossTheGapIsRefused)
{
    knob->setValue(0.9f);
    // From the high end over the gap to the start of the arc: held at the maximum.
    f.gesture().press(75, 48).move(21, 75).move(20, 48).release(20, 48);
    f.run();
    ASSERT_EQ(listener.values.size(), 2u);
    EXPECT_NEAR(listener.values[0], 5.f / 6.f, 1e-5);
    EXPECT_EQ(listener.values[1], 1.f);
    EXPECT_EQ(knob->getValue(), 1.f);

    // From the low end to the top end: held at the minimum.
    listener.values.clear();
    knob->setValue(0.1f);
    f.gesture(kLButton, 5000).press(20, 48).move(75, 75).release(75, 75);
    f.run();
    ASSERT_EQ(listener.values.size(), 2u);
    EXPECT_NEAR(listener.values[0], 1.f / 6.f, 1e-5);
    EXPECT_EQ(listener.values[1], 0.f);
}

TEST_F(KnobTest, LinearDragMovesByPixelsRightAndUp)
{
    CFrame::setKnobMode(kLinearMode);
    knob->setValue(0.5f);
    // 36 pixels right, then 18 up, then 9 down and 9 left: back by 18.
    f.gesture().press(48, 48).move(84, 48).move(84, 30).move(75, 39).release(75, 39);
    f.run();
    ASSERT_EQ(listener.values.size(), 3u);
    EXPECT_NEAR(listener.values[0], 0.6f, 1e-5);
    EXPECT_NEAR(listener.values[1], 0.65f, 1e-5);
    EXPECT_NEAR(listener.values[2], 0.6f, 1e-5);
}

TEST_F(KnobTest, LinearShiftGivesFineSteps)
{
    CFrame::setKnobMode(kLinearMode);
    knob->setValue(0.5f);
    f.gesture(kLButton | kShift).press(48, 48).move(102, 48).release(102, 48);
    f.run();
    ASSERT_EQ(listener.values.size(), 1u);
    EXPECT_NEAR(listener.values[0], 0.6f, 1e-5);  // 54 pixels at range / 540
}

TEST_F(KnobTest, LinearStepChangesOnceModifiersChangeDuringTheDrag)
{
    CFrame::setKnobMode(kLinearMode);
    knob->setValue(0.2f);
    tk::Gesture g = f.gesture();
    g.press(48, 48).move(84, 48);  // plain: 36 px at range / 360
    g.state = kLButton | kShift;
    g.move(114, 48);  // Shift now pressed: 30 px at range / 300
    g.state = kLButton;
    g.move(134, 48);  // Shift let go: 20 px at range / 200
    g.release(134, 48);
    f.run();
    ASSERT_EQ(listener.values.size(), 3u);
    EXPECT_NEAR(listener.values[0], 0.3f, 1e-5);
    EXPECT_NEAR(listener.values[1], 0.4f, 1e-5);
    EXPECT_NEAR(listener.values[2], 0.5f, 1e-5);
}

TEST_F(KnobTest, LinearDragIsBouncedIntoRange)
{
    CFrame::setKnobMode(kLinearMode);
    knob->setValue(0.9f);
    f.gesture().press(48, 48).move(148, 48).move(150, 48).move(140, 48).release(140, 48);
    f.run();
    ASSERT_EQ(listener.values.size(), 2u);  // the second move changes nothing at the top
    EXPECT_EQ(listener.values[0], 1.f);
    EXPECT_NEAR(listener.values[1], 1.f - 10.f / 360.f, 1e-5);
}

TEST_F(KnobTest, AltSelectsTheOtherMode)
{
    // Circular mode, Alt held: a move to the right acts linearly.
    knob->setValue(0.5f);
    f.gesture(kLButton | kAlt).press(48, 20).move(84, 20).release(84, 20);
    f.run();
    ASSERT_EQ(listener.values.size(), 1u);
    EXPECT_NEAR(listener.values[0], 0.6f, 1e-5);

    // Linear mode, Alt held: the press point's angle sets the value.
    listener.values.clear();
    CFrame::setKnobMode(kLinearMode);
    knob->setValue(0.6f);
    f.gesture(kLButton | kAlt, 9000).press(75, 48).release(75, 48);
    f.run();
    ASSERT_EQ(listener.values.size(), 1u);
    EXPECT_NEAR(listener.values[0], 5.f / 6.f, 1e-5);
}

TEST_F(KnobTest, ModifierPressIsOfferedToTheListenerFirst)
{
    knob->setValue(0.2f);
    listener.modifierAnswer = 1;
    f.gesture(kLButton | kShift).press(48, 20).release(48, 20);
    f.run();
    EXPECT_EQ(listener.modifierOffers, 1);
    EXPECT_TRUE(listener.values.empty());
    EXPECT_TRUE(f.owner.calls.empty());

    listener.modifierAnswer = 0;
    f.gesture().press(48, 20).release(48, 20);  // no modifier: not offered
    f.run();
    EXPECT_EQ(listener.modifierOffers, 1);
    EXPECT_EQ(listener.values.size(), 1u);
}

TEST_F(KnobTest, WheelStepsShiftStepsAndBounds)
{
    knob->setValue(0.5f);
    CPoint where(48, 48);
    EXPECT_TRUE(f.frame->onWheel(nullptr, where, 1.f, 0));
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6);
    EXPECT_TRUE(f.frame->onWheel(nullptr, where, -2.f, kShift));
    EXPECT_NEAR(knob->getValue(), 0.58f, 1e-6);
    knob->setValue(0.95f);
    f.frame->onWheel(nullptr, where, 1.f, 0);
    EXPECT_EQ(knob->getValue(), 1.f);
    f.frame->onWheel(nullptr, where, 1.f, 0);  // already at the top: not reported
    ASSERT_EQ(listener.values.size(), 3u);
    EXPECT_EQ(f.owner.calls.size(), 6u);
    EXPECT_EQ(f.owner.calls.front(), "begin 6");
    EXPECT_EQ(f.owner.calls.back(), "end 6");
    // Nothing under the pointer: the wheel is not used.
    EXPECT_FALSE(f.frame->onWheel(nullptr, CPoint(150, 140), 1.f, 0));
}

TEST_F(KnobTest, WheelEventFromTheWindowReachesTheKnob)
{
    knob->setValue(0.5f);
    platform::InputEvent e = tk::pointerEvent(platform::InputEvent::kWheel, 40, 40, kShift, 0, 10);
    e.wheel = 1.f;
    f.events.push(e);
    f.run();
    EXPECT_NEAR(knob->getValue(), 0.51f, 1e-6);
}

TEST_F(KnobTest, ControlClickRestoresTheDefaultOnce)
{
    knob->setDefaultValue(0.3f);
    knob->setValue(0.8f);
    f.gesture(kLButton | kControl).press(75, 48).move(20, 48).release(20, 48);
    f.run();
    ASSERT_EQ(listener.values.size(), 1u);  // the press is used up: the moves do nothing
    EXPECT_FLOAT_EQ(listener.values[0], 0.3f);
    EXPECT_EQ(f.owner.calls, (std::vector<std::string>{"begin 6", "end 6"}));

    // At the default already: consumed, but nothing to report.
    f.gesture(kLButton | kControl, 8000).press(75, 48).release(75, 48);
    f.run();
    EXPECT_EQ(listener.values.size(), 1u);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.3f);
}

TEST_F(KnobTest, DoubleClickWithinTheIntervalRestoresTheDefault)
{
    knob->setDefaultValue(0.25f);
    knob->setValue(0.9f);
    f.gesture(kLButton, 1000).press(75, 48).release(75, 48);
    // Just within the system's double-click time.
    f.gesture(kLButton, 1000 + knob->getDoubleClickInterval() - 1).press(75, 48).release(75, 48);
    f.run();
    ASSERT_EQ(listener.values.size(), 2u);
    EXPECT_NEAR(listener.values[0], 5.f / 6.f, 1e-5);
    EXPECT_FLOAT_EQ(listener.values[1], 0.25f);

    // A third quick press is an ordinary press again.
    f.gesture(kLButton, 1600).press(48, 20).release(48, 20);
    f.run();
    ASSERT_EQ(listener.values.size(), 3u);
    EXPECT_NEAR(listener.values[2], 0.5f, 1e-5);
}

TEST_F(KnobTest, SlowSecondClickIsNotADoubleClick)
{
    knob->setDefaultValue(0.25f);
    knob->setValue(0.9f);
    f.gesture(kLButton, 1000).press(75, 48).release(75, 48);
    // Longer than the system's double-click time after the first press.
    const std::uint32_t late = 1000 + 20 + knob->getDoubleClickInterval() + 1;
    f.gesture(kLButton, late).press(48, 20).release(48, 20);
    f.run();
    ASSERT_EQ(listener.values.size(), 2u);
    EXPECT_NEAR(listener.values[1], 0.5f, 1e-5);  // tracked, not reset
}

TEST_F(KnobTest, DoubleClickSurvivesTheClockWrapping)
{
    knob->setDefaultValue(0.25f);
    knob->setValue(0.9f);
    f.gesture(kLButton, 0xffffff00u).press(75, 48);
    f.events.push(tk::pointerEvent(platform::InputEvent::kButtonUp, 75, 48, 0, kLButton, 0xffffff10u));
    f.gesture(kLButton, 0x00000050u).press(75, 48).release(75, 48);
    f.run();
    ASSERT_EQ(listener.values.size(), 2u);
    EXPECT_FLOAT_EQ(listener.values[1], 0.25f);
}

TEST_F(KnobTest, DrawnFrameFollowsTheValue)
{
    COffscreenContext context(100, 100);
    auto frameShown = [&](float value) {
        knob->setValue(value);
        knob->draw(&context);
        return static_cast<int>(context.getPixel(30, 30).red);
    };
    EXPECT_EQ(frameShown(0.f), 0);
    EXPECT_EQ(frameShown(0.5f), 25);
    EXPECT_EQ(frameShown(1.f), 50);
    EXPECT_EQ(frameShown(0.99f), 49);
    EXPECT_EQ(frameShown(1.5f), 50);  // above the range: still the last frame
    EXPECT_EQ(knob->frameOffset(), 50 * 56);
    knob->setValue(-0.1f);
    EXPECT_EQ(knob->frameOffset(), -1);
}

TEST_F(KnobTest, StripOf73FramesOf81Pixels)
{
    CBitmap* strip = tk::makeStrip(81, 81, 73);
    CAnimKnob* level = new CAnimKnob(CRect(0, 0, 81, 81), &listener, 21, 73, 81, strip);
    strip->forget();
    f.frame->addView(level);
    level->setValue(0.5f);
    EXPECT_EQ(level->frameOffset(), 36 * 81);
    level->setValue(1.f);
    EXPECT_EQ(level->frameOffset(), 72 * 81);
}

} // namespace
