#include "toolkit/CViewContainer.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

#include <algorithm>

CViewContainer::CViewContainer(const CRect& size) : CView(size) {}

CViewContainer::~CViewContainer()
{
    removeAll(true);
}

CFrame* CViewContainer::childFrame() const
{
    return getFrame();
}

void CViewContainer::addView(CView* view)
{
    if (!view || isChild(view))
        return;
    views_.push_back(view);
    view->setParents(childFrame(), this);
    view->setDirty(true);
}

void CViewContainer::removeView(CView* view, bool forget)
{
    auto it = std::find(views_.begin(), views_.end(), view);
    if (it == views_.end())
        return;
    views_.erase(it);
    view->setParents(nullptr, nullptr);
    if (forget)
        view->forget();
}

void CViewContainer::removeAll(bool forget)
{
    std::vector<CView*> views;
    views.swap(views_);
    for (CView* view : views) {
        view->setParents(nullptr, nullptr);
        if (forget)
            view->forget();
    }
}

bool CViewContainer::isChild(const CView* view) const
{
    return std::find(views_.begin(), views_.end(), view) != views_.end();
}

CView* CViewContainer::getView(int index) const
{
    if (index < 0 || index >= getNbViews())
        return nullptr;
    return views_[static_cast<std::size_t>(index)];
}

CView* CViewContainer::getViewAt(const CPoint& where) const
{
    for (auto it = views_.rbegin(); it != views_.rend(); ++it) {
        CView* view = *it;
        if (view->getMouseEnabled() && view->getMouseableArea().pointInside(where))
            return view;
    }
    return nullptr;
}

void CViewContainer::setBackgroundColor(const CColor& color)
{
    backgroundColor_ = color;
    setDirty(true);
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& rect)
{
    if (!context)
        return;
    const CRect area = rect.intersection(size_);
    if (area.isEmpty())
        return;
    context->setFillColor(backgroundColor_);
    context->fillRect(area);
    if (CBitmap* bitmap = getBackground())
        bitmap->draw(context, area, CPoint(area.left - size_.left, area.top - size_.top));
}

void CViewContainer::draw(CDrawContext* context)
{
    drawBackgroundRect(context, size_);
    for (CView* view : views_) {
        // Cleared first: a view marked again by another thread while it draws
        // (a graph fed by the effect) stays marked for the next round.
        view->setDirty(false);
        view->draw(context);
        // A view may leave its own clip behind; the next one starts unclipped.
        context->resetClipRect();
    }
}

void CViewContainer::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    if (CView* view = getViewAt(where))
        view->mouse(context, where, buttons);
}

bool CViewContainer::onWheel(CDrawContext* context, const CPoint& where, float distance, long buttons)
{
    CView* view = getViewAt(where);
    return view ? view->onWheel(context, where, distance, buttons) : false;
}

bool CViewContainer::isDirty() const
{
    if (CView::isDirty())
        return true;
    for (const CView* view : views_)
        if (view->isDirty())
            return true;
    return false;
}

void CViewContainer::setDirty(bool dirty)
{
    CView::setDirty(dirty);
    if (!dirty)
        for (CView* view : views_)
            view->setDirty(false);
}
