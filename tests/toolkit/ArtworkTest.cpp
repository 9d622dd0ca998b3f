// The committed editor bitmaps: sizes and frame layouts the editor relies on,
// and knob strips whose pointer sweeps the 270-degree arc frame by frame.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kResources = fs::path(RVB_SOURCE_DIR) / "resources";

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

Surface load(int id)
{
    const fs::path path = kResources / (std::to_string(id) + ".png");
    Surface s(cairo_image_surface_create_from_png(path.c_str()));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    cairo_surface_flush(s.get());
    return s;
}

std::uint32_t rawPixel(cairo_surface_t* s, int x, int y)
{
    const unsigned char* data = cairo_image_surface_get_data(s);
    return reinterpret_cast<const std::uint32_t*>(data + y * cairo_image_surface_get_stride(s))[x] &
           0xffffffu;
}

double luminance(cairo_surface_t* s, int x, int y)
{
    const std::uint32_t p = rawPixel(s, x, y);
    return 0.299 * ((p >> 16) & 0xff) + 0.587 * ((p >> 8) & 0xff) + 0.114 * (p & 0xff);
}

bool rowsEqual(cairo_surface_t* s, int top0, int top1, int rows)
{
    const int w = cairo_image_surface_get_width(s);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < w; ++x)
            if (rawPixel(s, x, top0 + y) != rawPixel(s, x, top1 + y)) return false;
    return true;
}

struct Expected {
    int width, height;
    int frames;     // knob strips: square frames; otherwise 2 states
    int stateRows;  // rows per state of a two-state bitmap, 0 for others
};

const std::map<int, Expected> kBitmaps = {
    {11030, {712, 386, 0, 0}},  {131, {160, 80, 0, 0}},      {132, {565, 180, 0, 0}},
    {11021, {55, 2805, 51, 0}}, {11020, {33, 1683, 51, 0}},  {11022, {81, 5913, 73, 0}},
    {11033, {80, 34, 2, 17}},   {11032, {80, 34, 2, 17}},    {11034, {81, 32, 2, 16}},
    {11007, {21, 41, 2, 20}},   {11006, {72, 72, 2, 36}},    {11012, {40, 50, 2, 25}},
    {11014, {40, 50, 2, 25}},   {11010, {40, 50, 2, 25}},    {11015, {52, 52, 2, 26}},
    {11043, {80, 34, 2, 17}},   {11044, {40, 50, 2, 25}},
};

const int kStrips[] = {11021, 11020, 11022};

// Screen position of a point at the given fraction of the frame size from
// the frame's centre, at a knob angle in degrees (counter-clockwise from 3 o'clock).
void ringPoint(int size, double fraction, double degrees, int& x, int& y)
{
    const double a = degrees * M_PI / 180.0;
    const double c = size / 2.0;
    x = static_cast<int>(std::floor(c + fraction * size * std::cos(a)));
    y = static_cast<int>(std::floor(c - fraction * size * std::sin(a)));
}

// Luminance between pixel centres, so that the ring is sampled smoothly.
double smoothLuminance(cairo_surface_t* s, double x, double y)
{
    const double fx = x - 0.5, fy = y - 0.5;
    const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    const double tx = fx - x0, ty = fy - y0;
    return (1 - ty) * ((1 - tx) * luminance(s, x0, y0) + tx * luminance(s, x0 + 1, y0)) +
           ty * ((1 - tx) * luminance(s, x0, y0 + 1) + tx * luminance(s, x0 + 1, y0 + 1));
}

// The pointer's angle in one frame: the brightness-weighted centre of the
// bright run on a ring through the knob cap. The gap of the sweep (straight
// down) splits the ring, so angles run from -90 to 270 degrees.
double pointerAngle(cairo_surface_t* strip, int frame, int size)
{
    const double c = size / 2.0, r = 0.2 * size;
    double sum = 0, weight = 0;
    for (double deg = -89.5; deg < 270; deg += 0.5) {
        const double a = deg * M_PI / 180.0;
        const double lum = smoothLuminance(strip, c + r * std::cos(a), frame * size + c - r * std::sin(a));
        if (lum > 160) {
            sum += deg * (lum - 160);
            weight += lum - 160;
        }
    }
    return weight > 0 ? sum / weight : NAN;
}

TEST(Artwork, EveryBitmapHasItsSizeAndNoOtherIsCommitted)
{
    std::uintmax_t bytes = 0;
    int seen = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(kResources)) {
        if (e.path().extension() != ".png") continue;
        const int id = std::stoi(e.path().stem().string());
        EXPECT_TRUE(kBitmaps.count(id)) << "unexpected bitmap " << e.path();
        bytes += e.file_size();
        ++seen;
    }
    EXPECT_EQ(seen, static_cast<int>(kBitmaps.size()));
    EXPECT_LT(bytes, 1500000u);

    for (const auto& [id, want] : kBitmaps) {
        Surface s = load(id);
        ASSERT_TRUE(s) << id;
        EXPECT_EQ(cairo_image_surface_get_width(s.get()), want.width) << id;
        EXPECT_EQ(cairo_image_surface_get_height(s.get()), want.height) << id;
    }
}

TEST(Artwork, FrameLayoutsMatchWhatTheControlsCut)
{
    for (int id : kStrips) {
        const Expected& e = kBitmaps.at(id);
        // square frames: count = h / w, frame height = h / count
        EXPECT_EQ(e.height % e.width, 0) << id;
        EXPECT_EQ(e.height / e.width, e.frames) << id;
    }
    for (const auto& [id, e] : kBitmaps) {
        if (e.stateRows == 0) continue;
        // on/off switches take h / 2; the reset button's spare last row is never shown
        EXPECT_EQ(e.height / 2, e.stateRows) << id;
        Surface s = load(id);
        ASSERT_TRUE(s);
        EXPECT_FALSE(rowsEqual(s.get(), 0, e.stateRows, e.stateRows))
            << id << ": both states look the same";
    }
}

TEST(Artwork, KnobPointerSweepsTheArcFrameByFrame)
{
    for (int id : kStrips) {
        const Expected& e = kBitmaps.at(id);
        Surface s = load(id);
        ASSERT_TRUE(s);
        const int size = e.width;
        double previous = 1e9;
        for (int f = 0; f < e.frames; ++f) {
            if (f > 0) {
                EXPECT_FALSE(rowsEqual(s.get(), (f - 1) * size, f * size, size)) << id << " frame " << f;
            }
            const double expected = 225.0 - 270.0 * f / (e.frames - 1);
            const double measured = pointerAngle(s.get(), f, size);
            ASSERT_FALSE(std::isnan(measured)) << id << " frame " << f << ": no pointer";
            EXPECT_NEAR(measured, expected, 1.5) << id << " frame " << f;
            EXPECT_LT(measured, previous) << id << " frame " << f << " turns back";
            previous = measured;
        }
    }
}

TEST(Artwork, FirstAndLastFramesPointAtTheEndsOfTheArc)
{
    for (int id : kStrips) {
        const Expected& e = kBitmaps.at(id);
        Surface s = load(id);
        ASSERT_TRUE(s);
        const int size = e.width;
        const int lastTop = (e.frames - 1) * size;
        int minX, minY, maxX, maxY;
        ringPoint(size, 0.2, 225, minX, minY);
        ringPoint(size, 0.2, -45, maxX, maxY);
        EXPECT_GT(luminance(s.get(), minX, minY), 200) << id;
        EXPECT_LT(luminance(s.get(), maxX, maxY), 120) << id;
        EXPECT_GT(luminance(s.get(), maxX, maxY + lastTop), 200) << id;
        EXPECT_LT(luminance(s.get(), minX, minY + lastTop), 120) << id;
    }
}

} // namespace
