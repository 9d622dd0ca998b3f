#pragma once
// A bitmap of the editor: one of the PNGs compiled into the plug-in, looked up
// by resource id, or an image made in memory. A bitmap that fails to load has
// size 0 x 0 and draws nothing.
#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"
#include "toolkit/CReferenceCounter.h"

#include "platform/Image.h"

#include <cstddef>
#include <cstdint>

class CDrawContext;

class CBitmap : public CReferenceCounter {
public:
    explicit CBitmap(long resourceId);
    // PNG bytes held by the caller.
    CBitmap(const unsigned char* png, std::size_t size);
    // Pixels as 0xAARRGGBB (not premultiplied), row after row.
    CBitmap(int width, int height, const std::uint32_t* argb);

    long getResourceId() const { return resourceId_; }
    int getWidth() const { return image_.width(); }
    int getHeight() const { return image_.height(); }
    bool isLoaded() const { return image_.valid(); }
    // 0xAARRGGBB of one pixel, 0 outside.
    std::uint32_t getPixel(int x, int y) const { return image_.pixel(x, y); }

    // Copies the bitmap area starting at offset into rect (same size as rect).
    void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    // The same, blended with an extra opacity (255 = opaque).
    void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, unsigned char alpha);

    const platform::Image& image() const { return image_; }

protected:
    ~CBitmap() override = default;

private:
    long resourceId_ = -1;
    platform::Image image_;
};
