#pragma once
// The editor's child window inside the host's window, on a display connection
// of its own. It shows pictures drawn on a CairoCanvas and delivers its pointer
// and expose events as platform-neutral InputEvents.
#include "platform/CairoCanvas.h"
#include "platform/DropHandler.h"
#include "platform/EventSource.h"

#include <cstdint>
#include <memory>

namespace platform {

class X11Window : public EventSource {
public:
    X11Window();
    ~X11Window() override;
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    // Creates and maps a width x height child at 0, 0 inside the parent window
    // (an X11 window id). False, with nothing left open, when there is no
    // display or the parent does not exist.
    bool open(unsigned long parentWindow, int width, int height);
    // Destroys the window (unless the server already did) and the connection.
    void close();
    // True from a successful open until close or until the window was destroyed.
    bool isOpen() const;
    unsigned long windowId() const;

    // Copies the area of the canvas to the same area of the window.
    void present(const CairoCanvas& canvas, const PixelRect& area);

    WaitResult nextEvent(InputEvent& event, int timeoutMs) override;

    // Makes the window a drop target (XDND) whose drags and drops go to the
    // handler while nextEvent runs; null stops taking drops. Open windows only.
    void setDropHandler(DropHandler* handler);

    // The pointer position relative to the window and the button and modifier bits.
    bool queryPointer(int& x, int& y, int& state) const;
    // 0xRRGGBB of one window pixel as the server holds it.
    bool readPixel(int x, int y, std::uint32_t& rgb) const;

    // The root window of the default display, 0 without a display. A window
    // opened inside it is a top-level window (used where no host window exists).
    static unsigned long defaultRootWindow();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
