#pragma once
// A push button: pressed (1) while the left button is held over it, released
// (0) otherwise and always after the button goes up. The bitmap holds the
// released picture above the pressed one.
#include "toolkit/CControl.h"

class CKickButton : public CControl {
public:
    CKickButton(const CRect& size, CControlListener* listener, long tag, int heightOfOneImage,
                CBitmap* background, const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = -1) override;

protected:
    ~CKickButton() override = default;

private:
    int heightOfOneImage_;
    CPoint offset_;
};
