#include "toolkit/CKickButton.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/MouseButtons.h"

namespace {

float opposite(float value)
{
    return static_cast<int>(value) != 0 ? 0.f : 1.f;
}

} // namespace

CKickButton::CKickButton(const CRect& size, CControlListener* listener, long tag, int heightOfOneImage,
                         CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), heightOfOneImage_(heightOfOneImage), offset_(offset)
{
}

void CKickButton::draw(CDrawContext* context)
{
    if (CBitmap* bitmap = getBackground()) {
        CPoint where = offset_;
        if (value_ != 0.f)
            where.y += heightOfOneImage_;
        bitmap->draw(context, size_, where);
    }
    setDirty(false);
}

void CKickButton::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    if (!takeLeftPress(context, buttons))
        return;

    const float entryValue = value_;
    beginEdit();
    if (buttons == kLButton) {
        CPoint pointer = where;
        for (;;) {
            // Edges count as inside, so the button does not flicker on its border.
            const bool inside = pointer.x >= size_.left && pointer.x <= size_.right && pointer.y >= size_.top
                                && pointer.y <= size_.bottom;
            const float wanted = inside ? opposite(entryValue) : entryValue;
            if (wanted != value_) {
                value_ = wanted;
                reportValue(context);
            }
            if (!followPointer(pointer, buttons))
                break;
        }
    } else {
        value_ = opposite(value_);
        reportValue(context);
    }
    value_ = 0.f;
    reportValue(context);
    endEdit();
}
