#pragma once
// A knob drawn from a vertical strip of equally tall frames, one per position.
#include "toolkit/CKnob.h"

class CAnimKnob : public CKnob {
public:
    CAnimKnob(const CRect& size, CControlListener* listener, long tag, int subPixmaps, int heightOfOneImage,
              CBitmap* background, const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;

    // The vertical offset in the strip of the frame drawn for the current
    // value; -1 when nothing is drawn (a negative value).
    int frameOffset() const;

    void setInverseBitmap(bool inverse) { inverseBitmap_ = inverse; }
    int getNumSubPixmaps() const { return subPixmaps_; }
    int getHeightOfOneImage() const { return heightOfOneImage_; }

protected:
    ~CAnimKnob() override = default;

private:
    int subPixmaps_;
    int heightOfOneImage_;
    bool inverseBitmap_ = false;
};
