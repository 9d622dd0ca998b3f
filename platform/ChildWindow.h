#pragma once
// The editor's child window inside the host's window. It shows pictures drawn
// on a Canvas and delivers its pointer and expose events as platform-neutral
// InputEvents.
#include "platform/Canvas.h"
#include "platform/DropHandler.h"
#include "platform/EventSource.h"

#include <cstdint>
#include <memory>

namespace platform {

class ChildWindow : public EventSource {
public:
    ChildWindow();
    ~ChildWindow() override;
    ChildWindow(const ChildWindow&) = delete;
    ChildWindow& operator=(const ChildWindow&) = delete;

    // Creates and shows a width x height child at 0, 0 inside the parent window
    // (the window handle a host passes to the editor). False, with nothing left
    // open, when there is no display or the parent does not exist.
    bool open(void* parentWindow, int width, int height);
    // Destroys the window (unless it is gone already).
    void close();
    // True from a successful open until close or until the window was destroyed.
    bool isOpen() const;
    // The window as the handle a child of it would be given.
    void* nativeHandle() const;
    // The file descriptor on which the window's events arrive (its X
    // connection), for a host's loop to watch; -1 where events come otherwise
    // (Windows) or the window is not open.
    int eventDescriptor() const;

    // Copies the area of the canvas to the same area of the window.
    void present(const Canvas& canvas, const PixelRect& area);

    WaitResult nextEvent(InputEvent& event, int timeoutMs) override;

    // Makes the window a drop target whose drags and drops go to the handler
    // while nextEvent runs; null stops taking drops. Open windows only.
    void setDropHandler(DropHandler* handler);

    // The pointer position relative to the window and the button and modifier bits.
    bool queryPointer(int& x, int& y, int& state) const;
    // 0xRRGGBB of one window pixel as the screen shows it.
    bool readPixel(int x, int y, std::uint32_t& rgb) const;

    // A parent in which an opened window is a top-level window (used where no
    // host window exists); null without a display.
    static void* topLevelParent();

    // The longest time between the presses of a double click.
    static std::uint32_t doubleClickTimeMs();
    // Repaints one window of the calling thread that waits for it, if any
    // (nothing where windows do not wait for their thread to paint them).
    static void dispatchPendingPaint();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
