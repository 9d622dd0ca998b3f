#pragma once
// A top-level X11 window of the test's own, standing in for the window a DAW
// gives the editor (its id goes to effEditOpen). Include this header last:
// Xlib's macros clash with other headers.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

namespace reliability {

class HostWindow {
public:
    // Opens the display named by DISPLAY; available() is false without one.
    // The window sits at x, y of the screen.
    HostWindow(int width = 712, int height = 386, int x = 0, int y = 0)
    {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name)
            return;
        display_ = XOpenDisplay(nullptr);
        if (!display_)
            return;
        const int screen = DefaultScreen(display_);
        window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), x, y, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 0, BlackPixel(display_, screen),
                                      WhitePixel(display_, screen));
        XSelectInput(display_, window_, StructureNotifyMask);
        XMapWindow(display_, window_);
        XFlush(display_);
        waitForMap();
    }
    ~HostWindow()
    {
        if (display_) {
            if (window_)
                XDestroyWindow(display_, window_);
            XCloseDisplay(display_);
        }
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    bool available() const { return window_ != 0; }
    // What a host closing its session often does before it closes the editor:
    // the window goes, and the editor's child window with it.
    void destroyWindow()
    {
        if (!window_)
            return;
        XDestroyWindow(display_, window_);
        XSync(display_, False);
        window_ = 0;
    }
    // The pointer argument of effEditOpen.
    void* parent() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_)); }
    // The host's own events are only taken off its queue.
    void drain()
    {
        while (display_ && XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
        }
    }

private:
    void waitForMap()
    {
        for (int i = 0; i < 200; ++i) {
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == MapNotify && event.xmap.window == window_)
                    return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    Display* display_ = nullptr;
    Window window_ = 0;
};

} // namespace reliability
