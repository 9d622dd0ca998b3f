#pragma once
// A rotary control: turned by dragging around its centre (circular) or by
// moving the pointer right and up (linear), by the wheel, and reset to its
// default by Control-click or double-click.
#include "toolkit/CControl.h"

enum CKnobMode { kCircularMode = 0, kRelativCircularMode = 1, kLinearMode = 2 };

class CKnob : public CControl {
public:
    CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
          const CPoint& offset = CPoint());

    void mouse(CDrawContext* context, CPoint& where, long buttons = -1) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance, long buttons) override;

    // The value the pointer's angle stands for; where is in frame coordinates.
    float valueFromPoint(const CPoint& where) const;

    void setStartAngle(float radians) { startAngle_ = radians; }
    float getStartAngle() const { return startAngle_; }
    void setRangeAngle(float radians) { rangeAngle_ = radians; }
    float getRangeAngle() const { return rangeAngle_; }
    void setZoomFactor(float factor) { zoomFactor_ = factor; }
    float getZoomFactor() const { return zoomFactor_; }

protected:
    ~CKnob() override = default;

    CPoint offset_;

private:
    void trackCircular(CDrawContext* context, CPoint where, long buttons);
    void trackLinear(CDrawContext* context, CPoint where, long buttons);

    // The arc starts at 225 degrees and runs 270 degrees clockwise.
    float startAngle_ = 3.9269907f;
    float rangeAngle_ = -4.712389f;
    float zoomFactor_ = 1.5f;
};
