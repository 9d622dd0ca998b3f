#pragma once
// The base of everything shown in the frame: a rectangle in frame
// coordinates, a mouseable area, its parents, a dirty flag and an optional
// background bitmap (remembered while the view holds it).
#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"
#include "toolkit/CReferenceCounter.h"

#include <atomic>

class CBitmap;
class CDragContainer;
class CDrawContext;
class CFrame;

class CView : public CReferenceCounter {
public:
    explicit CView(const CRect& size);

    // Draws the background bitmap, if any, over the view's rectangle.
    virtual void draw(CDrawContext* context);
    // A button press on the view; buttons -1 means "ask the frame". Controls
    // run their own tracking loop here until the button is released.
    virtual void mouse(CDrawContext* context, CPoint& where, long buttons = -1);
    // Wheel steps over the view; true when the view used them.
    virtual bool onWheel(CDrawContext* context, const CPoint& where, float distance, long buttons);
    // Whether a drop at this point would be taken (the drag's feedback), and
    // the drop itself; true when the view used it. Views take no drops unless
    // they say so.
    virtual bool acceptsDrop(const CPoint& /*where*/) const { return false; }
    virtual bool onDrop(CDrawContext* /*context*/, CDragContainer* /*drag*/, const CPoint& /*where*/) { return false; }

    // Any thread: the view is drawn at its frame's next idle.
    virtual void setDirty(bool dirty = true);
    virtual bool isDirty() const;
    // The window's thread: draws the view into the window now (through its frame).
    void redraw();

    const CRect& getViewSize() const { return size_; }
    void getViewSize(CRect& rect) const { rect = size_; }
    virtual void setViewSize(const CRect& rect);
    int getWidth() const { return size_.width(); }
    int getHeight() const { return size_.height(); }
    const CRect& getMouseableArea() const { return mouseableArea_; }
    void setMouseableArea(const CRect& rect) { mouseableArea_ = rect; }

    void setMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }
    bool getMouseEnabled() const { return mouseEnabled_; }
    void setTransparency(bool transparent) { transparent_ = transparent; }
    bool getTransparency() const { return transparent_; }

    // Remembers the new bitmap and forgets the old one.
    void setBackground(CBitmap* background);
    CBitmap* getBackground() const { return background_; }

    CFrame* getFrame() const { return frame_; }
    CView* getParentView() const { return parent_; }
    // Set by the container that adds or removes the view.
    void setParents(CFrame* frame, CView* parent);
    virtual bool isContainer() const { return false; }

protected:
    ~CView() override;

    CRect size_;
    CRect mouseableArea_;
    CFrame* frame_ = nullptr;
    CView* parent_ = nullptr;

private:
    // Atomic because parameter changes may mark views dirty from the host's thread.
    std::atomic<bool> dirty_{false};
    bool mouseEnabled_ = true;
    bool transparent_ = false;
    CBitmap* background_ = nullptr;
};
