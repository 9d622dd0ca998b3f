#pragma once
// A drawing context over a canvas of its own in memory: the frame draws into
// one and copies it to its window, and the same picture can be saved as PNG.
#include "toolkit/CDrawContext.h"

#include <string>

class COffscreenContext : public CDrawContext {
public:
    COffscreenContext(int width, int height, const CColor& background = kBlackCColor);

    int getWidth() const;
    int getHeight() const;
    bool isValid() const;
    // The colour of one pixel (alpha 255); black outside.
    CColor getPixel(int x, int y) const;
    bool writePng(const std::string& path) const;
};
