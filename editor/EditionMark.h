#pragma once
// A small word beside the product name in the title block that tells an
// edition apart ("LIVE"): framed, in the panel's accent blue, over the
// background. It takes no mouse.
#include "toolkit/CColor.h"
#include "toolkit/CView.h"

#include <string>

class EditionMark final : public CView {
public:
    // Right of "KS [TALU-01]" in the title block.
    static CRect place() { return CRect(664, 209, 702, 224); }
    static constexpr CColor kColour{110, 190, 235, 255};

    explicit EditionMark(const char* word);

    void draw(CDrawContext* context) override;

private:
    std::string word_;
};
