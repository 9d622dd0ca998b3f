#pragma once
// Drawing in frame coordinates onto a pixel canvas. The context keeps the
// current line, fill and font settings, the clip rectangle and the pen
// position, and adds its own offset to every coordinate.
#include "toolkit/CColor.h"
#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"
#include "toolkit/FontTable.h"

#include "platform/Canvas.h"

#include <memory>

enum CLineStyle { kLineSolid = 0, kLineOnOffDash };

enum CTxtFace { kNormalFace = 0, kBoldFace = 1, kItalicFace = 2, kUnderlineFace = 4 };

enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };

class CBitmap;

class CDrawContext {
public:
    // Draws onto a canvas that the caller keeps alive.
    explicit CDrawContext(platform::Canvas& canvas, const CPoint& offset = CPoint());
    virtual ~CDrawContext();
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    void setLineWidth(int width);
    int getLineWidth() const { return lineWidth_; }
    void setLineStyle(CLineStyle style);
    CLineStyle getLineStyle() const { return lineStyle_; }
    void setFrameColor(const CColor& color);  // the line colour
    CColor getFrameColor() const { return frameColor_; }
    void setFillColor(const CColor& color);
    CColor getFillColor() const { return fillColor_; }
    void setFontColor(const CColor& color);
    CColor getFontColor() const { return fontColor_; }
    // size 0 takes the font table's size; style bits are CTxtFace values.
    void setFont(int fontId, int size = 0, int style = 0);
    int getFont() const { return fontId_; }
    int getFontSize() const { return fontSize_; }
    int getFontStyle() const { return fontStyle_; }

    void setClipRect(const CRect& clip);
    void getClipRect(CRect& clip) const { clip = clipRect_; }
    // Back to the whole canvas.
    void resetClipRect();

    void moveTo(const CPoint& point);
    void lineTo(const CPoint& point);
    void getLoc(CPoint& where) const { where = penLoc_; }
    // count separate segments, from points[2i] to points[2i + 1].
    void drawLines(const CPoint* points, int count);
    void polyLine(const CPoint* points, int count);
    // Outline with the frame colour from (left, top) to (right - 1, bottom - 1).
    void drawRect(const CRect& rect);
    void fillRect(const CRect& rect);
    // One line of text, vertically centred in the rectangle and clipped to it;
    // left alignment draws one pixel in. Opaque fills the text cell with the fill colour.
    void drawString(const char* utf8, const CRect& rect, bool opaque = false,
                    CHoriTxtAlign align = kCenterText);
    int getStringWidth(const char* utf8);

    // Copies the bitmap area that starts at source into rect.
    void drawBitmap(const CBitmap& bitmap, const CRect& rect, const CPoint& source, unsigned char alpha = 255);

    const CPoint& getOffset() const { return offset_; }
    void setOffset(const CPoint& offset) { offset_ = offset; }
    // The whole drawing area in frame coordinates.
    CRect getCanvasRect() const;
    platform::Canvas& canvas() { return *canvas_; }
    const platform::Canvas& canvas() const { return *canvas_; }

protected:
    // For contexts that own their canvas.
    explicit CDrawContext(std::unique_ptr<platform::Canvas> owned);

private:
    platform::PixelRect toPixels(const CRect& rect) const;
    platform::Stroke stroke() const;
    platform::TextStyle textStyle() const;

    std::unique_ptr<platform::Canvas> ownedCanvas_;
    platform::Canvas* canvas_;
    CPoint offset_;
    CPoint penLoc_;
    CRect clipRect_;
    int lineWidth_ = 1;
    CLineStyle lineStyle_ = kLineSolid;
    CColor frameColor_ = kWhiteCColor;
    CColor fillColor_ = kBlackCColor;
    CColor fontColor_ = kWhiteCColor;
    int fontId_ = kSystemFont;
    int fontSize_ = 12;
    int fontStyle_ = kBoldFace;
};
