#include "toolkit/CControl.h"

#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"
#include "toolkit/MouseButtons.h"

#include "platform/ChildWindow.h"

namespace {

// The system's double-click time is never taken below this.
constexpr std::uint32_t kDoubleClickFloorMs = 250;

} // namespace

CControl::CControl(const CRect& size, CControlListener* listener, long tag, CBitmap* background)
    : CView(size), listener_(listener), tag_(tag), doubleClickMs_(kDoubleClickFloorMs)
{
    setDoubleClickInterval(platform::ChildWindow::doubleClickTimeMs());
    setBackground(background);
    CView::setDirty(false);
}

void CControl::setDoubleClickInterval(std::uint32_t ms)
{
    doubleClickMs_ = ms < kDoubleClickFloorMs ? kDoubleClickFloorMs : ms;
}

void CControl::beginEdit()
{
    if (CFrame* frame = getFrame())
        frame->beginEdit(tag_);
}

void CControl::endEdit()
{
    if (CFrame* frame = getFrame())
        frame->endEdit(tag_);
}

void CControl::bounceValue()
{
    const float value = value_;
    if (value > vmax_)
        value_ = vmax_;
    else if (value < vmin_)
        value_ = vmin_;
}

bool CControl::isDirty() const
{
    return value_ != oldValue_ || CView::isDirty();
}

void CControl::setDirty(bool dirty)
{
    if (!dirty)
        oldValue_ = value_.load();
    CView::setDirty(dirty);
}

void CControl::reportValue(CDrawContext* context)
{
    if (listener_)
        listener_->valueChanged(context, this);
}

bool CControl::followPointer(CPoint& where, long& buttons)
{
    CFrame* frame = getFrame();
    if (!frame)
        return false;
    frame->doIdleStuff();
    return getFrame() && frame->pollMouse(where, buttons) && (buttons & kLButton);
}

bool CControl::offerModifierClick(CDrawContext* context, long buttons)
{
    if (!listener_ || !(buttons & kModifierBits))
        return false;
    return listener_->controlModifierClicked(context, this, buttons) != 0;
}

bool CControl::takeLeftPress(CDrawContext* context, long& buttons)
{
    if (!getMouseEnabled())
        return false;
    buttons = resolveButtons(buttons);
    if (!(buttons & kLButton))
        return false;
    return !offerModifierClick(context, buttons);
}

long CControl::resolveButtons(long buttons) const
{
    if (buttons != -1)
        return buttons;
    const CFrame* frame = getFrame();
    return frame ? frame->getMouseButtons() : 0;
}

std::uint32_t CControl::pressTime() const
{
    const CFrame* frame = getFrame();
    return frame ? frame->getEventTime() : 0;
}

bool CControl::checkDefaultValue(CDrawContext* context, long buttons, std::uint32_t time)
{
    bool reset = false;
    if ((buttons & kLButton) && (buttons & kControl)) {
        reset = true;
    } else if (buttons == kLButton) {
        // Unsigned difference, so that the wrap of the millisecond clock does no harm.
        if (lastClickTime_ >= 0 && static_cast<std::uint32_t>(time - static_cast<std::uint32_t>(lastClickTime_))
                                       <= doubleClickMs_) {
            reset = true;
            // A third press starts afresh rather than counting as another double-click.
            lastClickTime_ = -1;
        } else {
            lastClickTime_ = time;
        }
    }
    if (!reset)
        return false;
    beginEdit();
    const float before = value_;
    value_ = defaultValue_;
    if (value_ != before)
        reportValue(context);
    endEdit();
    return true;
}
