#include "editor/EditionMark.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/FontTable.h"

EditionMark::EditionMark(const char* word) : CView(place()), word_(word ? word : "")
{
    setMouseEnabled(false);
}

void EditionMark::draw(CDrawContext* context)
{
    const CRect& box = getViewSize();
    context->setLineWidth(1);
    context->setFrameColor(kColour);
    context->drawRect(box);
    context->setFont(kNormalFontSmaller, 0, kBoldFace);
    context->setFontColor(kColour);
    context->drawString(word_.c_str(), box, false, kCenterText);
    setDirty(false);
}
