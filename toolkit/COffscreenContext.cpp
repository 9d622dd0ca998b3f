#include "toolkit/COffscreenContext.h"

COffscreenContext::COffscreenContext(int width, int height, const CColor& background)
    : CDrawContext(std::make_unique<platform::Canvas>(width, height))
{
    setFillColor(background);
    fillRect(getCanvasRect());
}

int COffscreenContext::getWidth() const
{
    return canvas().width();
}

int COffscreenContext::getHeight() const
{
    return canvas().height();
}

bool COffscreenContext::isValid() const
{
    return canvas().valid();
}

CColor COffscreenContext::getPixel(int x, int y) const
{
    const CPoint& o = getOffset();
    const std::uint32_t p = canvas().pixel(x + o.x, y + o.y);
    return CColor{static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                  static_cast<unsigned char>(p), 255};
}

bool COffscreenContext::writePng(const std::string& path) const
{
    return canvas().writePng(path);
}
