// The reverb's editor view in an X11 window of this test's own, as a DAW
// embeds it: the host's run loop is all that drives it (a timer and its X
// connection), and it opens and closes again and again leaving nothing behind.
#include "../Vst3HostKit.h"

#include "host/Vst3PlugFrame.h"
#include "host/Vst3Plugin.h"
#include "host/linux/Vst3RunLoop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <thread>
#include <vector>

// Last: Xlib's macros would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace vst3;
using namespace vst3test;

namespace {

// A top-level window of the host's, shown, whose pixels can be read back
// (the editor's window inside it included).
class HostWindow {
public:
    HostWindow(int width, int height) : width_(width), height_(height)
    {
        display_ = XOpenDisplay(nullptr);
        if (!display_)
            return;
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 0, 0, 0x202020);
        XSelectInput(display_, window_, StructureNotifyMask);
        XMapWindow(display_, window_);
        for (XEvent event; XNextEvent(display_, &event), event.type != MapNotify;) {
        }
    }
    ~HostWindow()
    {
        if (!display_)
            return;
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
    void* handle() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_)); }
    std::vector<unsigned long> pixels() const
    {
        XSync(display_, False);
        std::vector<unsigned long> all;
        XImage* image = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(width_),
                                  static_cast<unsigned>(height_), AllPlanes, ZPixmap);
        if (!image)
            return all;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                all.push_back(XGetPixel(image, x, y));
        XDestroyImage(image);
        return all;
    }
    bool open() const { return display_ != nullptr; }

private:
    Display* display_ = nullptr;
    Window window_ = 0;
    int width_;
    int height_;
};

void runFor(Vst3RunLoop& loop, int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end)
        loop.run(10);
}

int openDescriptors()
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

class ReverbEditorView : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(plugin.load(reverbBundle(), "0", error)) << error;
        plugin.start(44100.0f, 512);
        ASSERT_TRUE(window.open()) << "no X display";
    }

    Vst3Plugin plugin;
    HostWindow window{712, 386};
    Vst3Ptr<Vst3RunLoop> loop{new Vst3RunLoop()};
    Vst3Ptr<Vst3PlugFrame> frame{new Vst3PlugFrame(loop.get())};
};

} // namespace

TEST_F(ReverbEditorView, OnlyTheHostsRunLoopDrawsWhatChangesWhileItIsOpen)
{
    Vst3Ptr<IPlugView> view(plugin.controller()->createView(kEditor));
    ASSERT_TRUE(view);
    ViewRect size {};
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.right - size.left, 712);
    EXPECT_EQ(size.bottom - size.top, 386);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
    view->setFrame(frame.get());
    ASSERT_EQ(view->attached(window.handle(), kPlatformTypeX11EmbedWindowID), kResultOk);
    // A timer, and the editor window's X connection.
    EXPECT_EQ(loop->registrations(), 2);
    runFor(*loop.get(), 300);
    const std::vector<unsigned long> before = window.pixels();

    // The host shows a new value: the editor notes it, and draws it when
    // the loop next lets it run, not before.
    ASSERT_EQ(plugin.controller()->setParamNormalized(7, 0.95), kResultOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(window.pixels(), before);
    runFor(*loop.get(), 300);
    EXPECT_NE(window.pixels(), before);

    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(loop->registrations(), 0);
    view->setFrame(nullptr);
}

TEST_F(ReverbEditorView, OpensAndClosesTwentyTimesLeavingNothingBehind)
{
    // A first round loads what stays loaded for good (fonts, the X libraries' caches).
    for (int round = 0; round <= 20; ++round) {
        static int descriptors = 0;
        if (round == 1)
            descriptors = openDescriptors();
        Vst3Ptr<IPlugView> view(plugin.controller()->createView(kEditor));
        ASSERT_TRUE(view);
        view->setFrame(frame.get());
        ASSERT_EQ(view->attached(window.handle(), kPlatformTypeX11EmbedWindowID), kResultOk) << "round " << round;
        // One view shows the editor at a time.
        Vst3Ptr<IPlugView> second(plugin.controller()->createView(kEditor));
        EXPECT_EQ(second->attached(window.handle(), kPlatformTypeX11EmbedWindowID), kResultFalse);
        runFor(*loop.get(), 20);
        EXPECT_EQ(view->removed(), kResultOk);
        view->setFrame(nullptr);
        EXPECT_EQ(loop->registrations(), 0) << "round " << round;
        if (round > 0) {
            // Every X connection the editor opened is closed again (heap leaks show at exit).
            EXPECT_EQ(openDescriptors(), descriptors) << "round " << round;
        }
    }
}
