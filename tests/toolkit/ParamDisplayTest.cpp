#include "params/ParameterRanges.h"
#include "toolkit/CParamDisplay.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/CFrame.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

void formatMilliseconds(float value, char* text)
{
    std::snprintf(text, 32, "%.1fms", static_cast<double>(value));
}

const CColor kBack{64, 88, 112, 128};
const CColor kOutline{200, 10, 10, 255};
const CColor kText{208, 208, 208, 128};

struct ParamDisplayTest : ::testing::Test {
    CFrame* frame = new CFrame(CRect(0, 0, 120, 40), nullptr, nullptr);
    CParamDisplay* display = new CParamDisplay(CRect(10, 10, 90, 25));

    void SetUp() override { frame->addView(display); }
    void TearDown() override { frame->forget(); }

    std::string text() const
    {
        char buffer[kParamDisplayTextSize];
        display->getText(buffer);
        return buffer;
    }
};

TEST_F(ParamDisplayTest, TextComesFromTheConverterOrTheDefaultFormat)
{
    display->setValue(3.14159f);
    EXPECT_EQ(text(), "3.14");
    display->setValue(static_cast<float>(param::kGateMaximumMs));  // real units, never clamped
    EXPECT_EQ(text(), "2972.15");
    display->setStringConvert(formatMilliseconds);
    display->setValue(12.25f);
    EXPECT_EQ(text(), "12.2ms");
}

TEST_F(ParamDisplayTest, DrawsFillOutlineAndClippedText)
{
    frame->setBackgroundColor(CColor{0, 0, 0, 255});
    display->setFont(kNormalFontSmaller);
    display->setFontColor(kText);
    display->setBackColor(kBack);
    display->setFrameColor(kOutline);
    display->setHoriAlign(kCenterText);
    display->setStringConvert(formatMilliseconds);
    display->setValue(123.4f);
    COffscreenContext* context = frame->getOffscreen();
    frame->draw();

    EXPECT_EQ(context->getPixel(10, 10), (CColor{200, 10, 10, 255}));  // outline corners
    EXPECT_EQ(context->getPixel(89, 24), (CColor{200, 10, 10, 255}));
    EXPECT_EQ(context->getPixel(12, 12), (CColor{64, 88, 112, 255}));  // fill
    EXPECT_EQ(context->getPixel(90, 24), (CColor{0, 0, 0, 255}));      // right edge is exclusive

    // Some text in the middle, nothing of it outside the rectangle.
    int lit = 0;
    for (int y = 11; y < 24; ++y)
        for (int x = 30; x < 70; ++x)
            if (context->getPixel(x, y).red > 150)
                ++lit;
    EXPECT_GT(lit, 10);
    for (int x = 0; x < 120; ++x) {
        EXPECT_EQ(context->getPixel(x, 9), (CColor{0, 0, 0, 255})) << x;
        EXPECT_EQ(context->getPixel(x, 25), (CColor{0, 0, 0, 255})) << x;
    }
}

TEST_F(ParamDisplayTest, LongTextIsClippedToTheRectangle)
{
    frame->setBackgroundColor(CColor{0, 0, 0, 255});
    display->setFontColor(kWhiteCColor);
    display->setBackColor(kBlackCColor);
    display->setFrameColor(kBlackCColor);
    display->setHoriAlign(kLeftText);
    display->setValue(1e30f);  // "%2.2f" of this is far wider than 80 pixels
    frame->draw();
    COffscreenContext* context = frame->getOffscreen();
    for (int y = 0; y < 40; ++y)
        for (int x = 90; x < 120; ++x)
            ASSERT_EQ(context->getPixel(x, y), (CColor{0, 0, 0, 255})) << x << "," << y;
}

} // namespace
