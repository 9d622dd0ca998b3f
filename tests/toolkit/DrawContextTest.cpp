#include "toolkit/CBitmap.h"
#include "toolkit/COffscreenContext.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool lit(const COffscreenContext& c, int x, int y)
{
    return c.getPixel(x, y) != CColor{0, 0, 0, 255};
}

TEST(DrawContextTest, LinesLeaveOutTheirEndPixel)
{
    COffscreenContext c(20, 20);
    c.setFrameColor(kWhiteCColor);
    c.moveTo(CPoint(2, 3));
    c.lineTo(CPoint(6, 3));
    for (int x = 2; x < 6; ++x)
        EXPECT_TRUE(lit(c, x, 3)) << x;
    EXPECT_FALSE(lit(c, 6, 3));
    EXPECT_FALSE(lit(c, 1, 3));
    EXPECT_FALSE(lit(c, 3, 2));
    EXPECT_FALSE(lit(c, 3, 4));

    c.lineTo(CPoint(6, 8));  // from the pen position on, downwards
    for (int y = 3; y < 8; ++y)
        EXPECT_TRUE(lit(c, 6, y)) << y;
    EXPECT_FALSE(lit(c, 6, 8));

    c.moveTo(CPoint(10, 10));
    c.lineTo(CPoint(5, 10));  // leftwards: 10 .. 6
    EXPECT_TRUE(lit(c, 10, 10));
    EXPECT_TRUE(lit(c, 6, 10));
    EXPECT_FALSE(lit(c, 5, 10));
}

TEST(DrawContextTest, RectangleOutlineSitsOnTheInnerEdge)
{
    COffscreenContext c(20, 20);
    c.setFrameColor(kWhiteCColor);
    c.drawRect(CRect(2, 2, 8, 6));
    EXPECT_TRUE(lit(c, 2, 2));
    EXPECT_TRUE(lit(c, 7, 2));
    EXPECT_TRUE(lit(c, 7, 5));
    EXPECT_TRUE(lit(c, 2, 5));
    EXPECT_TRUE(lit(c, 4, 5));
    EXPECT_FALSE(lit(c, 8, 2));
    EXPECT_FALSE(lit(c, 2, 6));
    EXPECT_FALSE(lit(c, 4, 4));
}

TEST(DrawContextTest, FillAndClip)
{
    COffscreenContext c(20, 20);
    c.setFillColor(CColor{10, 20, 30, 0});
    c.setClipRect(CRect(5, 5, 10, 10));
    c.fillRect(CRect(0, 0, 20, 20));
    EXPECT_EQ(c.getPixel(5, 5), (CColor{10, 20, 30, 255}));  // alpha plays no part
    EXPECT_EQ(c.getPixel(9, 9), (CColor{10, 20, 30, 255}));
    EXPECT_FALSE(lit(c, 10, 9));
    EXPECT_FALSE(lit(c, 4, 5));
    CRect clip;
    c.getClipRect(clip);
    EXPECT_EQ(clip, CRect(5, 5, 10, 10));
    c.resetClipRect();
    c.fillRect(CRect(0, 0, 2, 2));
    EXPECT_TRUE(lit(c, 0, 0));
    c.getClipRect(clip);
    EXPECT_EQ(clip, CRect(0, 0, 20, 20));
}

TEST(DrawContextTest, DottedLinesAndSeparateSegments)
{
    COffscreenContext c(20, 20);
    c.setFrameColor(kWhiteCColor);
    c.setLineStyle(kLineOnOffDash);
    c.moveTo(CPoint(3, 0));
    c.lineTo(CPoint(3, 10));
    int on = 0;
    for (int y = 0; y < 10; ++y)
        on += lit(c, 3, y) ? 1 : 0;
    EXPECT_GT(on, 2);
    EXPECT_LT(on, 8);

    c.setLineStyle(kLineSolid);
    const CPoint pairs[] = {CPoint(10, 12), CPoint(14, 12), CPoint(10, 15), CPoint(10, 18)};
    c.drawLines(pairs, 2);
    EXPECT_TRUE(lit(c, 13, 12));
    EXPECT_TRUE(lit(c, 10, 17));
    EXPECT_FALSE(lit(c, 10, 13));  // the segments are not joined
}

TEST(DrawContextTest, PolylineAndOffset)
{
    COffscreenContext c(30, 30);
    c.setFrameColor(kWhiteCColor);
    c.setOffset(CPoint(-10, -10));  // frame coordinates 10.. land on canvas 0..
    const CPoint points[] = {CPoint(12, 12), CPoint(20, 12), CPoint(20, 20)};
    c.polyLine(points, 3);
    EXPECT_TRUE(c.getPixel(15, 12) != (CColor{0, 0, 0, 255}));  // getPixel is in frame coordinates too
    EXPECT_TRUE(c.getPixel(20, 16) != (CColor{0, 0, 0, 255}));
    EXPECT_TRUE(c.getPixel(15, 16) == (CColor{0, 0, 0, 255}));
    CPoint pen;
    c.getLoc(pen);
    EXPECT_EQ(pen, CPoint(20, 20));
}

TEST(DrawContextTest, BitmapAreaCopiedFromItsOffset)
{
    std::vector<std::uint32_t> pixels(4 * 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            pixels[static_cast<std::size_t>(y * 4 + x)] = 0xff000000u | static_cast<std::uint32_t>((x * 10) << 16 | (y * 10) << 8);
    CBitmap* bitmap = new CBitmap(4, 4, pixels.data());
    EXPECT_EQ(bitmap->getWidth(), 4);
    EXPECT_EQ(bitmap->getHeight(), 4);
    COffscreenContext c(10, 10);
    bitmap->draw(&c, CRect(5, 5, 7, 7), CPoint(2, 1));
    EXPECT_EQ(c.getPixel(5, 5), (CColor{20, 10, 0, 255}));
    EXPECT_EQ(c.getPixel(6, 6), (CColor{30, 20, 0, 255}));
    EXPECT_EQ(c.getPixel(7, 7), (CColor{0, 0, 0, 255}));
    // Beyond the bitmap's edge nothing is drawn.
    bitmap->draw(&c, CRect(0, 0, 4, 4), CPoint(3, 3));
    EXPECT_EQ(c.getPixel(0, 0), (CColor{30, 30, 0, 255}));
    EXPECT_EQ(c.getPixel(1, 1), (CColor{0, 0, 0, 255}));
    // Half opacity over black halves the colour.
    bitmap->drawAlphaBlend(&c, CRect(8, 8, 9, 9), CPoint(3, 3), 128);
    EXPECT_NEAR(c.getPixel(8, 8).red, 15, 1);
    bitmap->forget();
}

TEST(DrawContextTest, MissingResourceGivesAnEmptyBitmapThatDrawsNothing)
{
    CBitmap* missing = new CBitmap(999999L);
    EXPECT_FALSE(missing->isLoaded());
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_EQ(missing->getHeight(), 0);
    const unsigned char junk[] = {1, 2, 3, 4};
    CBitmap* broken = new CBitmap(junk, sizeof junk);
    EXPECT_FALSE(broken->isLoaded());
    COffscreenContext c(4, 4);
    missing->draw(&c, CRect(0, 0, 4, 4));
    broken->draw(&c, CRect(0, 0, 4, 4));
    EXPECT_EQ(c.getPixel(1, 1), (CColor{0, 0, 0, 255}));
    missing->forget();
    broken->forget();
}

TEST(DrawContextTest, FontTableSizesAndFallback)
{
    COffscreenContext c(4, 4);
    c.setFont(kNormalFontSmaller);
    EXPECT_EQ(c.getFontSize(), 10);
    c.setFont(kUIGothicFont, 18, kBoldFace);
    EXPECT_EQ(c.getFontSize(), 18);
    EXPECT_EQ(c.getFontStyle(), kBoldFace);
    c.setFont(42);
    EXPECT_EQ(c.getFont(), kSystemFont);
    EXPECT_EQ(c.getFontSize(), 12);
    EXPECT_TRUE(fontTableEntry(0).alwaysBold);
    EXPECT_STREQ(fontTableEntry(7).face, "Symbol");
    EXPECT_STREQ(fontTableEntry(-1).face, "Arial");
    EXPECT_EQ(fontTableEntry(13).size, 12);
}

TEST(DrawContextTest, TextAlignment)
{
    COffscreenContext c(120, 20);
    c.setFont(kNormalFontVeryBig);
    c.setFontColor(kWhiteCColor);
    const CRect box(0, 0, 120, 20);
    auto litColumns = [&](int& first, int& last) {
        first = -1;
        last = -1;
        for (int x = 0; x < 120; ++x)
            for (int y = 0; y < 20; ++y)
                if (c.getPixel(x, y).red > 100) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
    };
    int first = 0, last = 0;
    c.drawString("HH", box, false, kLeftText);
    litColumns(first, last);
    EXPECT_GE(first, 1);
    EXPECT_LE(first, 4);
    c.setFillColor(kBlackCColor);
    c.fillRect(box);
    c.drawString("HH", box, false, kRightText);
    litColumns(first, last);
    EXPECT_GE(last, 112);
    const int width = c.getStringWidth("HH");
    EXPECT_GT(width, 10);
    c.fillRect(box);
    c.drawString("HH", box, false, kCenterText);
    litColumns(first, last);
    EXPECT_NEAR((first + last) / 2.0, 60.0, 3.0);
}

} // namespace
