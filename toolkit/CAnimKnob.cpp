#include "toolkit/CAnimKnob.h"

#include "toolkit/CBitmap.h"

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, long tag, int subPixmaps,
                     int heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CKnob(size, listener, tag, background, offset), subPixmaps_(subPixmaps), heightOfOneImage_(heightOfOneImage)
{
}

int CAnimKnob::frameOffset() const
{
    const float value = value_;
    if (value < 0.f || subPixmaps_ < 1 || heightOfOneImage_ < 1)
        return -1;
    const int span = heightOfOneImage_ * (subPixmaps_ - 1);
    const float position = inverseBitmap_ ? 1.f - value : value;
    int p = static_cast<int>(position * span + 0.5f);
    // A value above the maximum still shows the last frame, not whatever lies below the strip.
    if (p > span)
        p = span;
    if (p < 0)
        return -1;
    return (p / heightOfOneImage_) * heightOfOneImage_;
}

void CAnimKnob::draw(CDrawContext* context)
{
    CBitmap* bitmap = getBackground();
    const int top = frameOffset();
    if (bitmap && top >= 0)
        bitmap->draw(context, size_, CPoint(offset_.x, offset_.y + top));
    setDirty(false);
}
