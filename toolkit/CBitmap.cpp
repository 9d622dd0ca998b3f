#include "toolkit/CBitmap.h"

#include "toolkit/CDrawContext.h"

#include "platform/EmbeddedResources.h"

CBitmap::CBitmap(long resourceId) : resourceId_(resourceId)
{
    const platform::EmbeddedResource resource = platform::findEmbeddedResource(static_cast<int>(resourceId));
    image_ = platform::Image::fromPng(resource.data, resource.size);
}

CBitmap::CBitmap(const unsigned char* png, std::size_t size) : image_(platform::Image::fromPng(png, size)) {}

CBitmap::CBitmap(int width, int height, const std::uint32_t* argb)
    : image_(platform::Image::fromArgb(width, height, argb))
{
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    if (context)
        context->drawBitmap(*this, rect, offset);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, unsigned char alpha)
{
    if (context)
        context->drawBitmap(*this, rect, offset, alpha);
}
