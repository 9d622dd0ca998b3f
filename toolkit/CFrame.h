#pragma once
// The editor's top view: a child window inside the host's window (or no
// window at all, for drawing to PNG), an offscreen picture of the whole
// frame, and the event dispatch that starts the controls' mouse handling.
#include "toolkit/CViewContainer.h"
#include "toolkit/COffscreenContext.h"

#include "platform/EventSource.h"

#include <cstdint>
#include <memory>
#include <string>

class CDragContainer;
class CDropTarget;
class CFrameOwner;

namespace platform {
class ChildWindow;
}

class CFrame : public CViewContainer {
public:
    // systemWindow is the host's parent window (the handle effEditOpen passed), or null for
    // a frame without a window that only draws offscreen. The frame is open
    // when it has no window to make or its window was made.
    CFrame(const CRect& size, void* systemWindow, CFrameOwner* owner);

    bool isOpen() const;
    void* getSystemWindow() const { return systemWindow_; }
    // The frame's own window inside the host's, as a handle of the same kind
    // as the host's; null for a frame without a window.
    void* getWindowHandle() const;
    // Where the window's events arrive, for a host's loop to watch (-1: nowhere to watch).
    int getEventDescriptor() const;
    CFrameOwner* getOwner() const { return owner_; }

    // Handles the window's pending events (unless a control is tracking the
    // mouse), then draws the dirty views if the frame has been drawn once.
    void idle();
    // Draws the whole frame into the window now.
    void draw();
    // Draws one child view into the window now, or the whole frame when the
    // view is not a child or nothing was drawn yet. The window's thread only:
    // other threads mark a view dirty (CView::setDirty) for the next idle.
    void draw(CView* view);
    void draw(CDrawContext* context) override { CViewContainer::draw(context); }
    // Draws the whole frame offscreen and saves it; works without a window.
    bool renderToPng(const std::string& path);
    COffscreenContext* getOffscreen() const { return offscreen_.get(); }

    void beginEdit(long tag);
    void endEdit(long tag);
    // The owner's idle work, or this frame's idle when it has no owner.
    void doIdleStuff();

    // The knob mode of the process: 0 and 1 circular, 2 linear.
    int getKnobMode() const;
    static void setKnobMode(int mode);

    // Replaces the window as the source of events (tests script gestures this
    // way); null goes back to the window.
    void setEventSource(platform::EventSource* source);
    // Handles every event that is waiting, without waiting for more; stops when
    // the frame's last other owner lets it go meanwhile.
    void processEvents();
    void dispatchEvent(const platform::InputEvent& event);

    // For a control's tracking loop: waits briefly for the next pointer event
    // and gives the pointer position and the button and modifier bits. False
    // once the event source has ended (buttons are then 0).
    bool pollMouse(CPoint& where, long& buttons);
    long getMouseButtons() const { return mouseButtons_; }
    void getMouseLocation(CPoint& where) const { where = mouseWhere_; }
    // The time of the latest event, milliseconds (wraps around).
    std::uint32_t getEventTime() const { return eventTime_; }

    // Wheel steps at the pointer's current position (for hosts that pass the wheel on).
    bool onWheel(float distance);
    bool onWheel(CDrawContext* context, const CPoint& where, float distance, long buttons) override;
    // Drags over the window and drops on it (from the window's drop target):
    // a drag is welcome where the view under the pointer would take the drop,
    // and the drop goes to that view. True when accepted or used.
    bool onDragEnter(const CPoint& where);
    bool onDragMove(const CPoint& where);
    void onDragLeave();
    using CView::onDrop; // keeps the view's drop hook visible beside the window's
    bool onDrop(CDragContainer* drag, const CPoint& where);
    // The window's drop target; null for a frame without a window.
    CDropTarget* getDropTarget() const { return dropTarget_.get(); }

    // No view of this toolkit takes keys.
    long onKeyDown(long character, long virtualKey, long modifiers);
    long onKeyUp(long character, long virtualKey, long modifiers);

    bool hasBeenDrawn() const { return drawnOnce_; }

protected:
    ~CFrame() override;

private:
    void drawDirtyViews();
    void drawOffscreen();
    void drawViewOffscreen(CView* view);
    void present(const CRect& area);
    void updatePointer(const platform::InputEvent& event);
    void pressButton(const platform::InputEvent& event);

    void* systemWindow_;
    CFrameOwner* owner_;
    std::unique_ptr<platform::ChildWindow> window_;
    std::unique_ptr<CDropTarget> dropTarget_;
    platform::EventSource* events_ = nullptr;
    std::unique_ptr<COffscreenContext> offscreen_;
    bool open_ = false;
    bool drawnOnce_ = false;
    bool tracking_ = false;
    CPoint mouseWhere_;
    long mouseButtons_ = 0;
    std::uint32_t eventTime_ = 0;
};
