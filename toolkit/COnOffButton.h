#pragma once
// A switch: each left press flips the value between 0 and 1. The bitmap holds
// the off picture above the on picture.
#include "toolkit/CControl.h"

class COnOffButton : public CControl {
public:
    COnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background, long style = 0);

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = -1) override;

    long getStyle() const { return style_; }

protected:
    ~COnOffButton() override = default;

private:
    long style_;
};
