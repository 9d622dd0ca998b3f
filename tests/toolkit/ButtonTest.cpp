#include "ToolkitFixtures.h"

#include "toolkit/CKickButton.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/COnOffButton.h"

#include <gtest/gtest.h>

using tk::ScriptedFrame;

namespace {

// Two stacked 20 x 10 pictures: released/off red, pressed/on green.
CBitmap* makeTwoStates()
{
    std::vector<std::uint32_t> pixels(20 * 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            pixels[static_cast<std::size_t>(y * 20 + x)] = y < 10 ? tk::argb(255, 0, 0) : tk::argb(0, 255, 0);
    return new CBitmap(20, 20, pixels.data());
}

struct ButtonTest : ::testing::Test {
    ScriptedFrame f;
    tk::RecordingListener listener;
    CKickButton* kick = nullptr;
    COnOffButton* onOff = nullptr;

    void SetUp() override
    {
        CBitmap* states = makeTwoStates();
        kick = new CKickButton(CRect(10, 10, 30, 20), &listener, 2, 10, states);
        onOff = new COnOffButton(CRect(50, 10, 70, 20), &listener, 17, states);
        states->forget();
        f.frame->addView(kick);
        f.frame->addView(onOff);
    }
};

TEST_F(ButtonTest, KickButtonFollowsThePointerWhileHeldAndReleasesToZero)
{
    f.gesture().press(15, 15).move(16, 15).move(40, 15).move(30, 20).move(31, 20).move(20, 15).release(20, 15);
    f.run();
    // Pressed, left, back on the (inclusive) corner, off it, back in, released.
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f, 1.f, 0.f, 1.f, 0.f}));
    EXPECT_EQ(kick->getValue(), 0.f);
    EXPECT_EQ(f.owner.calls, (std::vector<std::string>{"begin 2", "end 2"}));
}

TEST_F(ButtonTest, KickButtonReleasedOutsideStillReportsZero)
{
    f.gesture().press(15, 15).move(100, 100).release(100, 100);
    f.run();
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f, 0.f}));
}

TEST_F(ButtonTest, KickButtonWithAModifierTogglesOnceThenReleases)
{
    f.gesture(kLButton | kShift).press(15, 15).move(100, 100).release(100, 100);
    f.run();
    EXPECT_EQ(listener.modifierOffers, 1);
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f}));
    EXPECT_EQ(f.owner.calls, (std::vector<std::string>{"begin 2", "end 2"}));
}

TEST_F(ButtonTest, KickButtonIgnoresOtherButtonsAndTakenModifierClicks)
{
    f.events.push(tk::pointerEvent(platform::InputEvent::kButtonDown, 15, 15, kRButton, kRButton, 10));
    listener.modifierAnswer = 1;
    f.gesture(kLButton | kAlt).press(15, 15).release(15, 15);
    f.run();
    EXPECT_TRUE(listener.values.empty());
    EXPECT_TRUE(f.owner.calls.empty());
}

TEST_F(ButtonTest, KickButtonEndsItsLoopWhenTheEventsEnd)
{
    f.gesture().press(15, 15).move(16, 16);  // the release never comes
    f.run();
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f}));
}

TEST_F(ButtonTest, RepeatedQuickPressesOfAKickButtonEachFire)
{
    f.gesture(kLButton, 1000).press(15, 15).release(15, 15);
    f.gesture(kLButton, 1100).press(15, 15).release(15, 15);
    f.run();
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f, 1.f, 0.f}));
}

TEST_F(ButtonTest, OnOffButtonTogglesOnEachLeftPress)
{
    f.gesture(kLButton, 1000).press(55, 15).release(55, 15);
    f.gesture(kLButton, 1100).press(55, 15).release(55, 15);  // a double-click is just two toggles
    f.run();
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f}));
    EXPECT_EQ(listener.tags, (std::vector<long>{17, 17}));
    EXPECT_EQ(f.owner.calls, (std::vector<std::string>{"begin 17", "end 17", "begin 17", "end 17"}));

    // Only the integer part counts as "on".
    onOff->setValue(0.7f);
    f.gesture(kLButton, 5000).press(55, 15).release(55, 15);
    f.run();
    EXPECT_EQ(onOff->getValue(), 1.f);
    onOff->setValue(1.7f);
    f.gesture(kLButton, 9000).press(55, 15).release(55, 15);
    f.run();
    EXPECT_EQ(onOff->getValue(), 0.f);
}

TEST_F(ButtonTest, ButtonsDrawTheHalfOfTheirState)
{
    COffscreenContext context(80, 30);
    kick->draw(&context);
    onOff->draw(&context);
    EXPECT_EQ(context.getPixel(15, 15), (CColor{255, 0, 0, 255}));
    EXPECT_EQ(context.getPixel(55, 15), (CColor{255, 0, 0, 255}));
    kick->setValue(1.f);
    onOff->setValue(1.f);
    kick->draw(&context);
    onOff->draw(&context);
    EXPECT_EQ(context.getPixel(15, 15), (CColor{0, 255, 0, 255}));
    EXPECT_EQ(context.getPixel(55, 19), (CColor{0, 255, 0, 255}));
    EXPECT_EQ(context.getPixel(55, 20), (CColor{0, 0, 0, 255}));  // nothing below the rectangle
}

} // namespace
