#include "toolkit/CView.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"

CView::CView(const CRect& size) : size_(size), mouseableArea_(size) {}

CView::~CView()
{
    if (background_)
        background_->forget();
}

void CView::draw(CDrawContext* context)
{
    if (background_)
        background_->draw(context, size_);
}

void CView::mouse(CDrawContext*, CPoint&, long) {}

bool CView::onWheel(CDrawContext*, const CPoint&, float, long)
{
    return false;
}

void CView::setDirty(bool dirty)
{
    dirty_ = dirty;
}

bool CView::isDirty() const
{
    return dirty_;
}

void CView::redraw()
{
    if (frame_)
        frame_->draw(this);
}

void CView::setViewSize(const CRect& rect)
{
    size_ = rect;
    mouseableArea_ = rect;
    setDirty();
}

void CView::setBackground(CBitmap* background)
{
    if (background == background_)
        return;
    if (background)
        background->remember();
    if (background_)
        background_->forget();
    background_ = background;
    setDirty();
}

void CView::setParents(CFrame* frame, CView* parent)
{
    frame_ = frame;
    parent_ = parent;
}
