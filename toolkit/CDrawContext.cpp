#include "toolkit/CDrawContext.h"

#include "toolkit/CBitmap.h"

#include <vector>

namespace {

platform::Rgb rgb(const CColor& c)
{
    return platform::Rgb{c.red, c.green, c.blue};
}

} // namespace

CDrawContext::CDrawContext(platform::Canvas& canvas, const CPoint& offset)
    : canvas_(&canvas), offset_(offset)
{
    clipRect_ = getCanvasRect();
}

CDrawContext::CDrawContext(std::unique_ptr<platform::Canvas> owned)
    : ownedCanvas_(std::move(owned)), canvas_(ownedCanvas_.get())
{
    clipRect_ = getCanvasRect();
}

CDrawContext::~CDrawContext() = default;

CRect CDrawContext::getCanvasRect() const
{
    return CRect(-offset_.x, -offset_.y, canvas_->width() - offset_.x, canvas_->height() - offset_.y);
}

platform::PixelRect CDrawContext::toPixels(const CRect& r) const
{
    return platform::PixelRect{r.left + offset_.x, r.top + offset_.y, r.right + offset_.x, r.bottom + offset_.y};
}

platform::Stroke CDrawContext::stroke() const
{
    platform::Stroke s;
    s.color = rgb(frameColor_);
    s.width = lineWidth_;
    s.dotted = lineStyle_ == kLineOnOffDash;
    return s;
}

platform::TextStyle CDrawContext::textStyle() const
{
    const FontTableEntry& entry = fontTableEntry(fontId_);
    platform::TextStyle style;
    style.face = entry.face;
    style.sizePx = fontSize_;
    style.bold = entry.alwaysBold || (fontStyle_ & kBoldFace);
    style.italic = (fontStyle_ & kItalicFace) != 0;
    style.underline = (fontStyle_ & kUnderlineFace) != 0;
    return style;
}

void CDrawContext::setLineWidth(int width)
{
    lineWidth_ = width < 1 ? 1 : width;
}

void CDrawContext::setLineStyle(CLineStyle style)
{
    lineStyle_ = style;
}

void CDrawContext::setFrameColor(const CColor& color)
{
    frameColor_ = color;
}

void CDrawContext::setFillColor(const CColor& color)
{
    fillColor_ = color;
}

void CDrawContext::setFontColor(const CColor& color)
{
    fontColor_ = color;
}

void CDrawContext::setFont(int fontId, int size, int style)
{
    if (fontId < 0 || fontId >= kNumFonts)
        fontId = kSystemFont;
    fontId_ = fontId;
    fontSize_ = size > 0 ? size : fontTableEntry(fontId).size;
    fontStyle_ = style;
}

void CDrawContext::setClipRect(const CRect& clip)
{
    clipRect_ = clip;
    canvas_->setClip(toPixels(clip));
}

void CDrawContext::resetClipRect()
{
    clipRect_ = getCanvasRect();
    canvas_->resetClip();
}

void CDrawContext::moveTo(const CPoint& point)
{
    penLoc_ = point;
}

void CDrawContext::lineTo(const CPoint& point)
{
    canvas_->strokeLine(penLoc_.x + offset_.x, penLoc_.y + offset_.y, point.x + offset_.x, point.y + offset_.y,
                        stroke());
    penLoc_ = point;
}

void CDrawContext::drawLines(const CPoint* points, int count)
{
    if (!points)
        return;
    const platform::Stroke s = stroke();
    for (int i = 0; i < count; ++i) {
        const CPoint& a = points[2 * i];
        const CPoint& b = points[2 * i + 1];
        canvas_->strokeLine(a.x + offset_.x, a.y + offset_.y, b.x + offset_.x, b.y + offset_.y, s);
    }
}

void CDrawContext::polyLine(const CPoint* points, int count)
{
    if (!points || count <= 0)
        return;
    std::vector<platform::PixelPoint> pixels(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        pixels[static_cast<std::size_t>(i)] = platform::PixelPoint{points[i].x + offset_.x, points[i].y + offset_.y};
    canvas_->strokePolyline(pixels.data(), count, stroke());
    penLoc_ = points[count - 1];
}

void CDrawContext::drawRect(const CRect& rect)
{
    canvas_->strokeRect(toPixels(rect), stroke());
}

void CDrawContext::fillRect(const CRect& rect)
{
    canvas_->fillRect(toPixels(rect), rgb(fillColor_));
}

void CDrawContext::drawString(const char* utf8, const CRect& rect, bool opaque, CHoriTxtAlign align)
{
    if (!utf8 || !*utf8)
        return;
    platform::TextAlign a = platform::TextAlign::kCenter;
    if (align == kLeftText)
        a = platform::TextAlign::kLeft;
    else if (align == kRightText)
        a = platform::TextAlign::kRight;
    const platform::Rgb background = rgb(fillColor_);
    canvas_->drawText(utf8, toPixels(rect), textStyle(), rgb(fontColor_), a, opaque ? &background : nullptr);
}

int CDrawContext::getStringWidth(const char* utf8)
{
    return utf8 ? canvas_->textWidth(utf8, textStyle()) : 0;
}

void CDrawContext::drawBitmap(const CBitmap& bitmap, const CRect& rect, const CPoint& source, unsigned char alpha)
{
    canvas_->drawImage(bitmap.image(), source.x, source.y, toPixels(rect), alpha);
}
