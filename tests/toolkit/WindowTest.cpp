// These tests open real windows; they need an X server (Xvfb in CI) and skip without one.
#include "ToolkitFixtures.h"

#include "platform/X11Window.h"
#include "toolkit/COnOffButton.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

bool haveDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display && platform::X11Window::defaultRootWindow() != 0;
}

// Runs the frame's idle until the window shows the colour at (x, y), for at most two seconds.
bool waitForPixel(CFrame* frame, const platform::X11Window& window, int x, int y, std::uint32_t rgb)
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
    platform::X11Window host;
    ASSERT_TRUE(host.open(platform::X11Window::defaultRootWindow(), 120, 90));

    CFrame* frame = new CFrame(CRect(0, 0, 100, 60),
                               reinterpret_cast<void*>(static_cast<std::uintptr_t>(host.windowId())), nullptr);
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
