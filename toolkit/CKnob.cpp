#include "toolkit/CKnob.h"

#include "toolkit/CFrame.h"
#include "toolkit/MouseButtons.h"

#include <cmath>

namespace {

constexpr float kTwoPi = 6.2831853f;
// Pixels of pointer travel over the whole range in linear mode, before and
// after a modifier changed during the drag.
constexpr float kLinearTravel = 360.f;
constexpr float kLinearTravelAfterModifier = 200.f;

} // namespace

CKnob::CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), offset_(offset)
{
}

float CKnob::valueFromPoint(const CPoint& where) const
{
    const float r = getWidth() / 2.f;
    const float x = static_cast<float>(where.x - size_.left);
    const float y = static_cast<float>(where.y - size_.top);
    const float g = rangeAngle_;
    const float a = (vmax_ - vmin_) / g;
    const float h = (kTwoPi - std::fabs(g)) / 2.f;

    float alpha = std::atan2(r - y, x - r);
    if (alpha < 0.f)
        alpha += kTwoPi;
    float alpha2 = alpha - startAngle_ - g;
    float alpha3 = std::fmod(alpha2, kTwoPi);
    if (alpha3 < 0.f)
        alpha3 += kTwoPi;
    // Angles in the gap below the knob give the nearer end of the range.
    if (alpha3 > h - g)
        return vmax_;
    if (alpha3 > -g)
        return vmin_;
    while (alpha2 > h - g)
        alpha2 -= kTwoPi;
    while (alpha2 < -h)
        alpha2 += kTwoPi;
    return a * alpha2 + vmax_;
}

void CKnob::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    if (!takeLeftPress(context, buttons))
        return;
    if (checkDefaultValue(context, buttons, pressTime()))
        return;

    const CFrame* frame = getFrame();
    bool linear = (frame ? frame->getKnobMode() : kCircularMode) == kLinearMode;
    if (buttons & kAlt)
        linear = !linear;

    beginEdit();
    if (linear)
        trackLinear(context, where, buttons);
    else
        trackCircular(context, where, buttons);
    endEdit();
}

void CKnob::trackCircular(CDrawContext* context, CPoint where, long buttons)
{
    const float halfRange = (vmax_ - vmin_) / 2.f;
    bool first = true;
    CPoint last;
    for (;;) {
        if (first || where != last) {
            first = false;
            last = where;
            const float before = value_;
            float v = valueFromPoint(where);
            // A swing across the gap would flip the value end to end: hold it
            // at the end it came from instead.
            if (v - before > halfRange)
                v = vmin_;
            else if (before - v > halfRange)
                v = vmax_;
            value_ = v;
            bounceValue();
            if (value_ != before)
                reportValue(context);
        }
        if (!followPointer(where, buttons))
            break;
    }
}

void CKnob::trackLinear(CDrawContext* context, CPoint where, long buttons)
{
    const float range = vmax_ - vmin_;
    long modifiers = buttons & kModifierBits;
    float step = range / ((buttons & kShift) ? kLinearTravel * zoomFactor_ : kLinearTravel);
    CPoint previous = where;
    while (followPointer(where, buttons)) {
        if ((buttons & kModifierBits) != modifiers) {
            modifiers = buttons & kModifierBits;
            step = range / ((buttons & kShift) ? kLinearTravelAfterModifier * zoomFactor_
                                               : kLinearTravelAfterModifier);
        }
        if (where == previous)
            continue;
        const int moved = (where.x - previous.x) + (previous.y - where.y);
        previous = where;
        const float before = value_;
        value_ = value_ + moved * step;
        bounceValue();
        if (value_ != before)
            reportValue(context);
    }
}

bool CKnob::onWheel(CDrawContext* context, const CPoint&, float distance, long buttons)
{
    if (!getMouseEnabled())
        return false;
    const float before = value_;
    if (buttons & kShift)
        value_ = value_ + 0.1f * distance * wheelInc_;
    else
        value_ = value_ + distance * wheelInc_;
    bounceValue();
    if (value_ != before) {
        beginEdit();
        reportValue(context);
        endEdit();
    }
    return true;
}
