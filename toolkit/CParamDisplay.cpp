#include "toolkit/CParamDisplay.h"

#include "toolkit/CBitmap.h"

#include <cstdio>

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, long style)
    : CControl(size, nullptr, 0, background), style_(style)
{
}

void CParamDisplay::getText(char* text) const
{
    text[0] = '\0';
    if (convert_)
        convert_(value_, text);
    else
        std::snprintf(text, kParamDisplayTextSize, "%2.2f", static_cast<double>(value_));
    // A converter is trusted with the buffer, but the text must end inside it.
    text[kParamDisplayTextSize - 1] = '\0';
}

void CParamDisplay::draw(CDrawContext* context)
{
    char text[kParamDisplayTextSize];
    getText(text);

    if (CBitmap* bitmap = getBackground()) {
        bitmap->draw(context, size_);
    } else if (!getTransparency()) {
        context->setFillColor(backColor_);
        context->fillRect(CRect(size_.left + 1, size_.top + 1, size_.right, size_.bottom));
        context->setFrameColor(frameColor_);
        context->setLineWidth(1);
        context->setLineStyle(kLineSolid);
        context->drawRect(size_);
    }
    context->setFont(fontId_, 0, txtFace_);
    context->setFontColor(fontColor_);
    context->drawString(text, size_, false, horiAlign_);
    setDirty(false);
}
