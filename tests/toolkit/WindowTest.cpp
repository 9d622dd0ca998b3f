// These tests open real windows; they need an X server (Xvfb in CI) and skip without one.
#include "ToolkitFixtures.h"

#include "platform/ChildWindow.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/COnOffButton.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

// Last: Xlib's macros would clash with the headers above.
#include <X11/Xlib.h>

namespace {

bool haveDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display && platform::ChildWindow::topLevelParent() != nullptr;
}

// Runs the frame's idle until the window shows the colour at (x, y), for at most two seconds.
bool waitForPixel(CFrame* frame, const platform::ChildWindow& window, int x, int y, std::uint32_t rgb)
{
    for (int i = 0; i < 200; ++i) {
        frame->idle();
        std::uint32_t seen = 0;
        if (window.readPixel(x, y, seen) && seen == rgb)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(WindowTest, FrameOpensAChildWindowAndShowsItsPicture)
{
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    // The host's window: a top-level window of our own.
    platform::ChildWindow host;
    ASSERT_TRUE(host.open(platform::ChildWindow::topLevelParent(), 120, 90));

    CFrame* frame = new CFrame(CRect(0, 0, 100, 60),
                               host.nativeHandle(), nullptr);
    ASSERT_TRUE(frame->isOpen());
    frame->setBackgroundColor(CColor{10, 200, 30, 128});
    frame->draw();
    EXPECT_TRUE(waitForPixel(frame, host, 50, 30, 0x0ac81e));

    // A value change reaches the window through idle.
    std::vector<std::uint32_t> pixels(20 * 20);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = i < 200 ? tk::argb(0, 0, 0) : tk::argb(250, 250, 250);
    CBitmap* states = new CBitmap(20, 20, pixels.data());
    COnOffButton* button = new COnOffButton(CRect(0, 0, 20, 10), nullptr, 1, states);
    states->forget();
    frame->addView(button);
    EXPECT_TRUE(waitForPixel(frame, host, 5, 5, 0x000000));
    button->setValue(1.f);
    EXPECT_TRUE(waitForPixel(frame, host, 5, 5, 0xfafafa));
    // Outside the frame the host's window is not painted by us.
    EXPECT_TRUE(waitForPixel(frame, host, 50, 30, 0x0ac81e));

    frame->forget();
    host.close();
}

// Sends a pointer event to the window the way the server would deliver it.
void sendPointer(Display* display, Window window, int type, int x, int y, unsigned state, unsigned button)
{
    XEvent e{};
    if (type == MotionNotify) {
        e.xmotion.type = MotionNotify;
        e.xmotion.display = display;
        e.xmotion.window = window;
        e.xmotion.x = x;
        e.xmotion.y = y;
        e.xmotion.state = state;
        e.xmotion.same_screen = True;
        XSendEvent(display, window, False, PointerMotionMask, &e);
    } else {
        e.xbutton.type = type;
        e.xbutton.display = display;
        e.xbutton.window = window;
        e.xbutton.x = x;
        e.xbutton.y = y;
        e.xbutton.state = state;
        e.xbutton.button = button;
        e.xbutton.same_screen = True;
        XSendEvent(display, window, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
    }
}

TEST(WindowTest, PointerEventsOfTheWindowDriveAKnobDrag)
{
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    platform::ChildWindow host;
    ASSERT_TRUE(host.open(platform::ChildWindow::topLevelParent(), 120, 90));
    tk::RecordingOwner owner;
    tk::RecordingListener listener;
    CFrame* frame = new CFrame(CRect(0, 0, 100, 60),
                               host.nativeHandle(), &owner);
    owner.frame = frame;
    ASSERT_TRUE(frame->isOpen());
    CFrame::setKnobMode(kLinearMode);
    CAnimKnob* knob = new CAnimKnob(CRect(10, 10, 50, 50), &listener, 9, 1, 40, nullptr);
    knob->setValue(0.5f);
    frame->addView(knob);

    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(display, static_cast<Window>(reinterpret_cast<std::uintptr_t>(host.nativeHandle())), &root, &parent, &children, &count));
    ASSERT_EQ(count, 1u);
    const Window child = children[0];
    XFree(children);
    // Shift is held from the press on; the release leaves Shift down.
    sendPointer(display, child, ButtonPress, 20, 20, ShiftMask, Button1);
    sendPointer(display, child, MotionNotify, 74, 20, ShiftMask | Button1Mask, 0);
    sendPointer(display, child, ButtonRelease, 74, 20, ShiftMask | Button1Mask, Button1);
    XSync(display, False);

    for (int i = 0; i < 100 && owner.calls.size() < 2; ++i) {
        frame->idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    CFrame::setKnobMode(kCircularMode);
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"begin 9", "end 9"}));
    ASSERT_EQ(listener.values.size(), 1u);
    EXPECT_NEAR(listener.values[0], 0.6f, 1e-5);  // 54 pixels with Shift: range / 540 each
    EXPECT_EQ(frame->getMouseButtons(), kShift);

    XCloseDisplay(display);
    frame->forget();
    host.close();
}

TEST(WindowTest, BadParentWindowLeavesTheFrameClosed)
{
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    CFrame* frame = new CFrame(CRect(0, 0, 10, 10), reinterpret_cast<void*>(std::uintptr_t{0x7ffffff0}), nullptr);
    EXPECT_FALSE(frame->isOpen());
    frame->idle();
    frame->draw();
    frame->forget();
}

} // namespace
