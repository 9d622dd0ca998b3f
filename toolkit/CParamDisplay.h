#pragma once
// Shows a value (in real units) as a line of text.
#include "toolkit/CColor.h"
#include "toolkit/CControl.h"
#include "toolkit/CDrawContext.h"

// Writes the text for a value into a buffer of kParamDisplayTextSize bytes.
using CParamDisplayConvert = void (*)(float value, char* text);

constexpr int kParamDisplayTextSize = 256;

class CParamDisplay : public CControl {
public:
    explicit CParamDisplay(const CRect& size, CBitmap* background = nullptr, long style = 0);

    void draw(CDrawContext* context) override;

    void setFont(int fontId) { fontId_ = fontId; setDirty(); }
    int getFont() const { return fontId_; }
    void setFontColor(const CColor& color) { fontColor_ = color; setDirty(); }
    CColor getFontColor() const { return fontColor_; }
    void setBackColor(const CColor& color) { backColor_ = color; setDirty(); }
    CColor getBackColor() const { return backColor_; }
    void setFrameColor(const CColor& color) { frameColor_ = color; setDirty(); }
    CColor getFrameColor() const { return frameColor_; }
    void setHoriAlign(CHoriTxtAlign align) { horiAlign_ = align; setDirty(); }
    CHoriTxtAlign getHoriAlign() const { return horiAlign_; }
    void setTxtFace(int style) { txtFace_ = style; setDirty(); }
    void setStringConvert(CParamDisplayConvert convert) { convert_ = convert; setDirty(); }
    long getStyle() const { return style_; }

    // The text the display shows for its current value.
    void getText(char* text) const;

protected:
    ~CParamDisplay() override = default;

private:
    CParamDisplayConvert convert_ = nullptr;
    long style_;
    int fontId_ = kNormalFont;
    int txtFace_ = kNormalFace;
    CColor fontColor_ = kWhiteCColor;
    CColor backColor_ = kBlackCColor;
    CColor frameColor_ = kBlackCColor;
    CHoriTxtAlign horiAlign_ = kCenterText;
};
