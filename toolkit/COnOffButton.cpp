#include "toolkit/COnOffButton.h"

#include "toolkit/CBitmap.h"
#include "toolkit/MouseButtons.h"

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                           long style)
    : CControl(size, listener, tag, background), style_(style)
{
}

void COnOffButton::draw(CDrawContext* context)
{
    if (CBitmap* bitmap = getBackground()) {
        const int top = value_ == 0.f ? 0 : bitmap->getHeight() / 2;
        bitmap->draw(context, size_, CPoint(0, top));
    }
    setDirty(false);
}

void COnOffButton::mouse(CDrawContext* context, CPoint&, long buttons)
{
    if (!takeLeftPress(context, buttons))
        return;
    value_ = static_cast<int>(value_) != 0 ? 0.f : 1.f;
    beginEdit();
    reportValue(context);
    endEdit();
}
