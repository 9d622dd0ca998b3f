#pragma once
// A view that holds other views, all in frame coordinates. The container owns
// the views added to it: it forgets them when it is destroyed or when they
// are removed with forget = true.
#include "toolkit/CColor.h"
#include "toolkit/CView.h"

#include <vector>

class CViewContainer : public CView {
public:
    explicit CViewContainer(const CRect& size);

    // Takes over the caller's reference; the view is marked dirty so that it
    // appears at the next idle.
    void addView(CView* view);
    // Detaches the view; without forget it stays alive for re-adding.
    void removeView(CView* view, bool forget = true);
    void removeAll(bool forget = true);
    bool isChild(const CView* view) const;
    int getNbViews() const { return static_cast<int>(views_.size()); }
    CView* getView(int index) const;
    // The last added, mouse-enabled view whose mouseable area holds the point.
    CView* getViewAt(const CPoint& where) const;

    void setBackgroundColor(const CColor& color);
    CColor getBackgroundColor() const { return backgroundColor_; }
    // The container's own background (colour, then bitmap) inside the rectangle.
    void drawBackgroundRect(CDrawContext* context, const CRect& rect);

    // Background, then every child in order.
    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = -1) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance, long buttons) override;
    // Dirty when any child is.
    bool isDirty() const override;
    // Clearing also clears every child.
    void setDirty(bool dirty = true) override;
    bool isContainer() const override { return true; }

protected:
    ~CViewContainer() override;
    // The frame the children belong to.
    CFrame* childFrame() const;

    std::vector<CView*> views_;

private:
    CColor backgroundColor_ = kBlackCColor;
};
