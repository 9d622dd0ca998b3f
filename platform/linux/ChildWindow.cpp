#include "platform/ChildWindow.h"

#include "platform/linux/X11ErrorTrap.h"
#include "platform/linux/XdndReceiver.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <cstdio>

namespace platform {

struct ChildWindow::Impl {
    Display* display = nullptr;
    Window window = 0;
    Cursor cursor = 0;
    Colormap colormap = 0;
    GC gc = nullptr;
    Visual* visual = nullptr;
    int depth = 0;
    bool destroyed = false;
    std::unique_ptr<XdndReceiver> xdnd;

    // The child window with its cursor and GC, or 0; errors are the caller's to check.
    Window createChild(Display* display, Window parentWindow, int width, int height, const void* owner);
};

namespace {

int stateBits(unsigned int xstate)
{
    int bits = 0;
    if (xstate & Button1Mask)
        bits |= kInputLeft;
    if (xstate & Button2Mask)
        bits |= kInputMiddle;
    if (xstate & Button3Mask)
        bits |= kInputRight;
    if (xstate & ShiftMask)
        bits |= kInputShift;
    if (xstate & ControlMask)
        bits |= kInputControl;
    if (xstate & Mod1Mask)
        bits |= kInputAlt;
    if (xstate & Mod4Mask)
        bits |= kInputSuper;
    return bits;
}

int buttonBit(unsigned int xbutton)
{
    switch (xbutton) {
    case Button1: return kInputLeft;
    case Button2: return kInputMiddle;
    case Button3: return kInputRight;
    default: return 0;
    }
}

// True when the X event became an InputEvent; other events are swallowed.
bool translate(Display* display, Window window, XEvent& xe, InputEvent& out, bool& destroyed)
{
    out = InputEvent();
    switch (xe.type) {
    case Expose:
        out.type = InputEvent::kExpose;
        out.x = xe.xexpose.x;
        out.y = xe.xexpose.y;
        out.right = xe.xexpose.x + xe.xexpose.width;
        out.bottom = xe.xexpose.y + xe.xexpose.height;
        return true;
    case ButtonPress:
    case ButtonRelease: {
        const XButtonEvent& b = xe.xbutton;
        out.x = b.x;
        out.y = b.y;
        out.timeMs = static_cast<std::uint32_t>(b.time);
        if (b.button == Button4 || b.button == Button5) {
            if (xe.type == ButtonRelease)
                return false;
            out.type = InputEvent::kWheel;
            out.wheel = b.button == Button4 ? 1.f : -1.f;
            out.state = stateBits(b.state);
            return true;
        }
        const int bit = buttonBit(b.button);
        if (!bit)
            return false;
        out.button = bit;
        // X reports the state before the event; ours is the state after it.
        if (xe.type == ButtonPress) {
            out.type = InputEvent::kButtonDown;
            out.state = stateBits(b.state) | bit;
        } else {
            out.type = InputEvent::kButtonUp;
            out.state = stateBits(b.state) & ~bit;
        }
        return true;
    }
    case MotionNotify: {
        // Only the latest position matters to a drag.
        while (XCheckTypedWindowEvent(display, window, MotionNotify, &xe)) {
        }
        const XMotionEvent& m = xe.xmotion;
        out.type = InputEvent::kMotion;
        out.x = m.x;
        out.y = m.y;
        out.state = stateBits(m.state);
        out.timeMs = static_cast<std::uint32_t>(m.time);
        return true;
    }
    case DestroyNotify:
        if (xe.xdestroywindow.window != window)
            return false;
        destroyed = true;
        out.type = InputEvent::kClosed;
        return true;
    default:
        return false;
    }
}

unsigned long scaleToMask(std::uint32_t value8, unsigned long mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return ((value8 * mask + 127) / 255) << shift;
}

unsigned long toPixel(std::uint32_t rgb, unsigned long red, unsigned long green, unsigned long blue)
{
    return scaleToMask((rgb >> 16) & 0xff, red) | scaleToMask((rgb >> 8) & 0xff, green) | scaleToMask(rgb & 0xff, blue);
}

// An X server that lost its last client resets and refuses connections for a
// moment (Xvfb without -noreset does so between tests); try a few times.
Display* openDisplay()
{
    for (int attempt = 0;; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr))
            return display;
        const char* name = std::getenv("DISPLAY");
        if (attempt == 4 || !name || !*name)
            return nullptr;
        poll(nullptr, 0, 100);
    }
}

} // namespace

ChildWindow::ChildWindow() : impl_(std::make_unique<Impl>()) {}

ChildWindow::~ChildWindow()
{
    close();
}

bool ChildWindow::open(void* parentHandle, int width, int height)
{
    close();
    // The host hands the X11 window id over as the pointer's value.
    const auto parentWindow = static_cast<::Window>(reinterpret_cast<std::uintptr_t>(parentHandle));
    if (parentWindow == 0 || width <= 0 || height <= 0)
        return false;
    Display* display = openDisplay();
    if (!display)
        return false;
    {
        // A bad parent id, or a parent the host destroys meanwhile, fails the
        // open instead of reaching the host's error handler.
        X11ErrorTrap trap(display);
        const Window window = impl_->createChild(display, parentWindow, width, height, this);
        if (window && trap.errors() == 0) {
            impl_->display = display;
            impl_->window = window;
            impl_->destroyed = false;
            return true;
        }
        if (window)
            XDestroyWindow(display, window);
        if (impl_->gc)
            XFreeGC(display, impl_->gc);
        if (impl_->cursor)
            XFreeCursor(display, impl_->cursor);
        if (impl_->colormap)
            XFreeColormap(display, impl_->colormap);
    }
    *impl_ = Impl();
    XCloseDisplay(display);
    return false;
}

Window ChildWindow::Impl::createChild(Display* display, Window parentWindow, int width, int height, const void* owner)
{
    XWindowAttributes parent;
    if (XGetWindowAttributes(display, parentWindow, &parent) == 0)
        return 0;

    const int screen = DefaultScreen(display);
    Visual* visual = parent.visual;
    int depth = parent.depth;
    Colormap colormap = 0;
    if (parent.c_class == InputOnly || depth == 0 || visual == DefaultVisual(display, screen)) {
        visual = DefaultVisual(display, screen);
        depth = DefaultDepth(display, screen);
        colormap = DefaultColormap(display, screen);
    } else {
        colormap = XCreateColormap(display, parentWindow, visual, AllocNone);
        this->colormap = colormap;
    }

    XSetWindowAttributes attributes{};
    attributes.colormap = colormap;
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;
    attributes.event_mask =
        ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;
    Window window = XCreateWindow(display, parentWindow, 0, 0, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), 0, depth, InputOutput, visual,
                                  CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
    if (!window)
        return 0;

    char className[32];
    std::snprintf(className, sizeof className, "Plugin%p", owner);
    XClassHint classHint;
    classHint.res_name = className;
    classHint.res_class = className;
    XSetClassHint(display, window, &classHint);
    XStoreName(display, window, "Window");
    cursor = XCreateFontCursor(display, XC_left_ptr);
    XDefineCursor(display, window, cursor);
    XMapWindow(display, window);
    this->visual = visual;
    this->depth = depth;
    gc = XCreateGC(display, window, 0, nullptr);
    return window;
}

void ChildWindow::close()
{
    Impl& w = *impl_;
    if (!w.display)
        return;
    {
        // The host may have destroyed its window, and ours with it, before
        // closing the editor: what is said here about the dead window fails
        // inside the trap.
        X11ErrorTrap trap(w.display);
        if (w.xdnd && w.destroyed)
            w.xdnd->windowDestroyed();
        w.xdnd.reset();
        if (w.gc)
            XFreeGC(w.display, w.gc);
        if (!w.destroyed && w.window)
            XDestroyWindow(w.display, w.window);
        if (w.cursor)
            XFreeCursor(w.display, w.cursor);
        if (w.colormap)
            XFreeColormap(w.display, w.colormap);
    }
    XCloseDisplay(w.display);
    w = Impl();
}

bool ChildWindow::isOpen() const
{
    return impl_->display && !impl_->destroyed;
}

void* ChildWindow::nativeHandle() const
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(impl_->window));
}

int ChildWindow::eventDescriptor() const
{
    return isOpen() ? ConnectionNumber(impl_->display) : -1;
}

void ChildWindow::present(const Canvas& canvas, const PixelRect& requested)
{
    Impl& w = *impl_;
    if (!isOpen() || !w.gc || !canvas.valid())
        return;
    PixelRect area = requested;
    area.left = std::max(area.left, 0);
    area.top = std::max(area.top, 0);
    area.right = std::min(area.right, canvas.width());
    area.bottom = std::min(area.bottom, canvas.height());
    if (area.empty())
        return;
    X11ErrorTrap trap(w.display);
    XImage* image = XCreateImage(w.display, w.visual, static_cast<unsigned>(w.depth), ZPixmap, 0, nullptr,
                                 static_cast<unsigned>(area.width()), static_cast<unsigned>(area.height()), 32, 0);
    if (!image)
        return;
    image->data = static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) * area.height()));
    if (!image->data) {
        XDestroyImage(image);
        return;
    }
    // The canvas holds 8-bit red, green and blue; the window's visual says where they go.
    const bool direct = image->bits_per_pixel == 32 && image->red_mask == 0xff0000 && image->green_mask == 0xff00
                        && image->blue_mask == 0xff && image->byte_order == LSBFirst;
    for (int y = 0; y < area.height(); ++y) {
        const std::uint32_t* row = canvas.pixelRow(area.top + y) + area.left;
        if (direct) {
            std::memcpy(image->data + static_cast<std::size_t>(y) * image->bytes_per_line, row,
                        static_cast<std::size_t>(area.width()) * 4);
            continue;
        }
        for (int x = 0; x < area.width(); ++x)
            XPutPixel(image, x, y, toPixel(row[x], image->red_mask, image->green_mask, image->blue_mask));
    }
    XPutImage(w.display, w.window, w.gc, image, 0, 0, area.left, area.top, static_cast<unsigned>(area.width()),
              static_cast<unsigned>(area.height()));
    XDestroyImage(image);
}

WaitResult ChildWindow::nextEvent(InputEvent& event, int timeoutMs)
{
    Impl& w = *impl_;
    if (!w.display || w.destroyed)
        return WaitResult::kEnded;
    for (;;) {
        if (XPending(w.display) == 0) {
            if (timeoutMs <= 0)
                return WaitResult::kTimeout;
            pollfd fd{ConnectionNumber(w.display), POLLIN, 0};
            poll(&fd, 1, timeoutMs);
            timeoutMs = 0;
            if (XPending(w.display) == 0)
                return WaitResult::kTimeout;
        }
        XEvent xe;
        XNextEvent(w.display, &xe);
        if (w.xdnd && w.xdnd->handleEvent(xe))
            continue;
        if (translate(w.display, w.window, xe, event, w.destroyed))
            return WaitResult::kEvent;
    }
}

void ChildWindow::setDropHandler(DropHandler* handler)
{
    Impl& w = *impl_;
    if (!isOpen())
        return;
    if (!w.xdnd) {
        if (!handler)
            return;
        w.xdnd = std::make_unique<XdndReceiver>(w.display, w.window);
    }
    w.xdnd->setHandler(handler);
}

bool ChildWindow::queryPointer(int& x, int& y, int& state) const
{
    if (!isOpen())
        return false;
    X11ErrorTrap trap(impl_->display);
    Window root, child;
    int rootX, rootY;
    unsigned int mask;
    if (!XQueryPointer(impl_->display, impl_->window, &root, &child, &rootX, &rootY, &x, &y, &mask))
        return false;
    state = stateBits(mask);
    return true;
}

bool ChildWindow::readPixel(int x, int y, std::uint32_t& rgb) const
{
    if (!isOpen())
        return false;
    X11ErrorTrap trap(impl_->display);
    XImage* image = XGetImage(impl_->display, impl_->window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return false;
    const unsigned long p = XGetPixel(image, 0, 0);
    auto channel = [p](unsigned long mask) -> std::uint32_t {
        if (!mask)
            return 0;
        int shift = 0;
        while (!(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        return static_cast<std::uint32_t>(((p >> shift) & mask) * 255 / mask);
    };
    rgb = (channel(image->red_mask) << 16) | (channel(image->green_mask) << 8) | channel(image->blue_mask);
    XDestroyImage(image);
    return true;
}

void ChildWindow::dispatchPendingPaint() {}

std::uint32_t ChildWindow::doubleClickTimeMs()
{
    // X11 has no system-wide setting; the desktops' usual value.
    return 400;
}

void* ChildWindow::topLevelParent()
{
    Display* display = openDisplay();
    if (!display)
        return nullptr;
    const ::Window root = DefaultRootWindow(display);
    XCloseDisplay(display);
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(root));
}

} // namespace platform
