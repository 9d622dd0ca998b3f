#include "host/EditorWindow.h"

#include "host/EditorSize.h"
#include "host/OutputFile.h"
#include "host/PluginEditor.h"
#include "host/PluginHost.h"

#include <cairo.h>

#include <chrono>
#include <cstdint>
#include <thread>

// Last: Xlib's macros would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr unsigned long kHostWindowColour = 0x202020;

// Bits of a colour channel in a pixel, from its mask.
struct Channel {
    int shift = 0;
    unsigned long max = 0;

    explicit Channel(unsigned long mask)
    {
        if (!mask)
            return;
        while (!(mask & 1ul)) {
            mask >>= 1;
            ++shift;
        }
        max = mask;
    }
    std::uint32_t value8(unsigned long pixel) const
    {
        return max ? static_cast<std::uint32_t>(((pixel >> shift) & max) * 255ul / max) : 0;
    }
};

// Waits until the server has mapped the window, so that the editor opens in a shown window.
void waitForMap(Display* display, Window window)
{
    for (int i = 0; i < 200; ++i) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && event.xmap.window == window)
                return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// cairo hands the PNG over piece by piece; it is collected in memory and
// written as one checked file.
cairo_status_t appendPng(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// Our own window's events are of no interest; they are only taken off the queue.
void drainEvents(Display* display)
{
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
    }
}

bool savePicture(Display* display, Window window, int width, int height, const std::string& path,
                 std::string& error)
{
    XSync(display, False);
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image) {
        error = "could not read the window's contents";
        return false;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        XDestroyImage(image);
        error = "out of memory for the picture";
        return false;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const Channel red(image->red_mask), green(image->green_mask), blue(image->blue_mask);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            row[x] = 0xff000000u | (red.value8(pixel) << 16) | (green.value8(pixel) << 8) | blue.value8(pixel);
        }
    }
    cairo_surface_mark_dirty(surface);
    XDestroyImage(image);
    std::string png;
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, appendPng, &png);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = "cannot make the picture for " + path + ": " + cairo_status_to_string(status);
        return false;
    }
    return writeWholeFile(path, png, error);
}

} // namespace

bool runEditorWindow(PluginEditor& editor, const EditorWindowOptions& options, EditorWindowResult& result,
                     std::string& error)
{
    int width = 0;
    int height = 0;
    if (!editor.size(width, height, error))
        return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        error = "no X display (set DISPLAY, or run under Xvfb)";
        return false;
    }

    result.width = width;
    result.height = height;

    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, BlackPixel(display, screen), kHostWindowColour);
    XStoreName(display, window, "rvbhost editor");
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XFlush(display);
    waitForMap(display, window);

    if (!editor.open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)), error)) {
        XDestroyWindow(display, window);
        XCloseDisplay(display);
        return false;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(options.seconds);
    do {
        editor.run(options.idleIntervalMs);
        ++result.idleCalls;
        drainEvents(display);
    } while (std::chrono::steady_clock::now() < end);
    // One more round, so that whatever the last wait let arrive is drawn.
    editor.run(0);
    ++result.idleCalls;

    bool ok = true;
    if (!options.screenshotPath.empty())
        ok = savePicture(display, window, width, height, options.screenshotPath, error);

    editor.close();
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return ok;
}
