#pragma once
// Who hears about a control's value changes (the editor).

class CControl;
class CDrawContext;

class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
    // Offered every press made with a modifier held; a non-zero answer takes
    // the press over and the control does nothing with it.
    virtual long controlModifierClicked(CDrawContext* /*context*/, CControl* /*control*/, long /*buttons*/)
    {
        return 0;
    }
};
