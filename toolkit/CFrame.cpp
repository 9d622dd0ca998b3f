#include "toolkit/CFrame.h"

#include "toolkit/CDropTarget.h"
#include "toolkit/CFrameOwner.h"
#include "toolkit/MouseButtons.h"

#include "platform/ChildWindow.h"

#include <atomic>
#include <cstdint>

namespace {

std::atomic<int> gKnobMode{0};

// How long a tracking loop waits for the pointer before it runs idle work again.
constexpr int kTrackingWaitMs = 15;

} // namespace

CFrame::CFrame(const CRect& size, void* systemWindow, CFrameOwner* owner)
    : CViewContainer(size), systemWindow_(systemWindow), owner_(owner)
{
    setParents(this, nullptr);
    offscreen_ = std::make_unique<COffscreenContext>(size.right, size.bottom);
    if (systemWindow) {
        window_ = std::make_unique<platform::ChildWindow>();
        open_ = window_->open(systemWindow, size.width(), size.height());
        if (!open_) {
            window_.reset();
        } else {
            dropTarget_ = std::make_unique<CDropTarget>(this);
            window_->setDropHandler(dropTarget_.get());
        }
        events_ = window_.get();
    } else {
        open_ = true;
    }
}

CFrame::~CFrame()
{
    // No drop may reach views that are going.
    if (window_)
        window_->setDropHandler(nullptr);
    // Views first: their destructors may still look at the frame.
    removeAll(true);
    window_.reset();
}

bool CFrame::isOpen() const
{
    return open_ && (!window_ || window_->isOpen());
}

void* CFrame::getWindowHandle() const
{
    return window_ && window_->isOpen() ? window_->nativeHandle() : nullptr;
}

int CFrame::getEventDescriptor() const
{
    return window_ ? window_->eventDescriptor() : -1;
}

int CFrame::getKnobMode() const
{
    return gKnobMode.load(std::memory_order_relaxed);
}

void CFrame::setKnobMode(int mode)
{
    gKnobMode.store(mode, std::memory_order_relaxed);
}

void CFrame::setEventSource(platform::EventSource* source)
{
    events_ = source ? source : window_.get();
}

void CFrame::beginEdit(long tag)
{
    if (owner_)
        owner_->beginEdit(tag);
}

void CFrame::endEdit(long tag)
{
    if (owner_)
        owner_->endEdit(tag);
}

void CFrame::doIdleStuff()
{
    if (owner_)
        owner_->doIdleStuff();
    else
        idle();
}

void CFrame::idle()
{
    // A press handled here may end in the editor letting the frame go; keep it
    // alive until this call is over, and do nothing more once nobody else holds it.
    remember();
    if (!tracking_)
        processEvents();
    if (getNbReference() > 1)
        drawDirtyViews();
    forget();
}

void CFrame::drawDirtyViews()
{
    if (!isOpen() || !drawnOnce_ || !isDirty())
        return;
    if (CView::isDirty()) {
        draw();
        return;
    }
    // Copy of the list: a view's draw may not change it, but stay safe if it does.
    const std::vector<CView*> views = views_;
    for (CView* view : views) {
        if (isChild(view) && view->isDirty()) {
            drawViewOffscreen(view);
            present(view->getViewSize());
        }
    }
}

void CFrame::draw()
{
    drawOffscreen();
    present(size_);
}

void CFrame::draw(CView* view)
{
    if (!view || !isChild(view) || !drawnOnce_) {
        draw();
        return;
    }
    drawViewOffscreen(view);
    present(view->getViewSize());
}

bool CFrame::renderToPng(const std::string& path)
{
    drawOffscreen();
    return offscreen_->writePng(path);
}

void CFrame::drawOffscreen()
{
    CView::setDirty(false);
    offscreen_->resetClipRect();
    CViewContainer::draw(offscreen_.get());
    drawnOnce_ = true;
}

void CFrame::drawViewOffscreen(CView* view)
{
    COffscreenContext* context = offscreen_.get();
    context->resetClipRect();
    if (view->getTransparency()) {
        // What shows through a transparent view is the frame's own background.
        context->setClipRect(view->getViewSize());
        drawBackgroundRect(context, view->getViewSize());
        context->resetClipRect();
    }
    view->setDirty(false);
    view->draw(context);
    context->resetClipRect();
}

void CFrame::present(const CRect& area)
{
    if (!window_ || !isOpen())
        return;
    const CRect clipped = area.intersection(size_);
    if (clipped.isEmpty())
        return;
    window_->present(offscreen_->canvas(),
                     platform::PixelRect{clipped.left, clipped.top, clipped.right, clipped.bottom});
}

void CFrame::processEvents()
{
    remember();
    platform::InputEvent event;
    while (getNbReference() > 1 && events_ && events_->nextEvent(event, 0) == platform::WaitResult::kEvent)
        dispatchEvent(event);
    forget();
}

void CFrame::updatePointer(const platform::InputEvent& event)
{
    mouseWhere_ = CPoint(event.x, event.y);
    mouseButtons_ = event.state;
    eventTime_ = event.timeMs;
}

void CFrame::dispatchEvent(const platform::InputEvent& event)
{
    switch (event.type) {
    case platform::InputEvent::kExpose:
        if (!drawnOnce_)
            draw();
        else
            present(CRect(event.x, event.y, event.right, event.bottom));
        break;
    case platform::InputEvent::kButtonDown:
        updatePointer(event);
        pressButton(event);
        break;
    case platform::InputEvent::kButtonUp:
    case platform::InputEvent::kMotion:
        updatePointer(event);
        break;
    case platform::InputEvent::kWheel: {
        updatePointer(event);
        CPoint where(event.x, event.y);
        onWheel(offscreen_.get(), where, event.wheel, event.state);
        break;
    }
    case platform::InputEvent::kClosed:
        open_ = false;
        break;
    }
}

void CFrame::pressButton(const platform::InputEvent& event)
{
    if (tracking_ || !(event.button & (kLButton | kMButton | kRButton)))
        return;
    CView* view = getViewAt(mouseWhere_);
    if (!view)
        return;
    CPoint where = mouseWhere_;
    // The view may run a tracking loop that pulls events itself; idle work
    // done inside it must not dispatch them as well.
    tracking_ = true;
    // Idle work inside the loop may take the view off the frame, or even close
    // the editor; both stay alive until the press is over.
    remember();
    view->remember();
    view->mouse(offscreen_.get(), where, event.state);
    view->forget();
    tracking_ = false;
    forget();
}

bool CFrame::pollMouse(CPoint& where, long& buttons)
{
    bool ended = false;
    platform::InputEvent event;
    for (;;) {
        const platform::WaitResult result =
            events_ ? events_->nextEvent(event, kTrackingWaitMs) : platform::WaitResult::kEnded;
        if (result == platform::WaitResult::kTimeout)
            break;
        if (result == platform::WaitResult::kEnded || event.type == platform::InputEvent::kClosed) {
            if (result == platform::WaitResult::kEvent)
                open_ = false;
            // Nobody will ever report the release: treat the button as up.
            mouseButtons_ = 0;
            ended = true;
            break;
        }
        if (event.type == platform::InputEvent::kExpose) {
            dispatchEvent(event);
            continue;
        }
        if (event.type == platform::InputEvent::kWheel)
            continue;
        updatePointer(event);
        break;
    }
    where = mouseWhere_;
    buttons = mouseButtons_;
    return !ended;
}

bool CFrame::onWheel(float distance)
{
    CPoint where = mouseWhere_;
    long buttons = mouseButtons_;
    if (window_) {
        int x = 0, y = 0, state = 0;
        if (window_->queryPointer(x, y, state)) {
            where = CPoint(x, y);
            buttons = state;
        }
    }
    return onWheel(offscreen_.get(), where, distance, buttons);
}

bool CFrame::onWheel(CDrawContext* context, const CPoint& where, float distance, long buttons)
{
    return CViewContainer::onWheel(context ? context : offscreen_.get(), where, distance, buttons);
}

bool CFrame::onDragEnter(const CPoint& where)
{
    return onDragMove(where);
}

bool CFrame::onDragMove(const CPoint& where)
{
    const CView* view = getViewAt(where);
    return view && view->acceptsDrop(where);
}

void CFrame::onDragLeave() {}

bool CFrame::onDrop(CDragContainer* drag, const CPoint& where)
{
    CView* view = getViewAt(where);
    if (!view || !drag)
        return false;
    // What the drop sets off may take the view off the frame.
    remember();
    view->remember();
    const bool used = view->onDrop(offscreen_.get(), drag, where);
    view->forget();
    forget();
    return used;
}

long CFrame::onKeyDown(long, long, long)
{
    return -1;
}

long CFrame::onKeyUp(long, long, long)
{
    return -1;
}
