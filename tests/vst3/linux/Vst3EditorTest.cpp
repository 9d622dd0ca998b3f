// The test module's editor in rvbhost's window on X11: its left half is
// painted only from a timer and its right half only on Expose events read
// from its X connection, both called back by the host's run loop; a picture
// of the host's window shows both.
#include "../Vst3HostKit.h"

#include "support/TestSupport.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace vst3test;

namespace {

// The pixel's colour as 0xRRGGBB, or 0xFFFFFFFF when the picture cannot be read.
std::uint32_t pixel(const std::string& png, int x, int y)
{
    cairo_surface_t* picture = cairo_image_surface_create_from_png(png.c_str());
    std::uint32_t colour = 0xFFFFFFFFu;
    if (cairo_surface_status(picture) == CAIRO_STATUS_SUCCESS && x < cairo_image_surface_get_width(picture) &&
        y < cairo_image_surface_get_height(picture)) {
        const unsigned char* row =
            cairo_image_surface_get_data(picture) + static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(picture);
        colour = reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFFu;
    }
    cairo_surface_destroy(picture);
    return colour;
}

} // namespace

TEST(Vst3Editor, TheHostsRunLoopDrivesTheEditorsTimerAndItsXEvents)
{
    testsupport::TempDir dir("vst3editor");
    for (const char* chosen : {"0", "1"}) {
        SCOPED_TRACE(chosen);
        const std::string png = testsupport::joinPath(dir.path(), std::string("editor") + chosen + ".png");
        const HostRun run = runHost({"editor", "--class", chosen, "--screenshot", png, "--seconds", "0.3"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("editor 240x140"), std::string::npos) << run.out;
        EXPECT_EQ(pixel(png, 60, 70), 0xE0A020u);   // the timer's half
        EXPECT_EQ(pixel(png, 180, 70), 0x2080E0u);  // the Expose half
    }
}

TEST(Vst3Editor, OpensAndClosesAgainAndAgain)
{
    // Every round registers the view's descriptor and timer and must let them
    // go: a leak shows at the program's end under the address sanitizer.
    for (int round = 0; round < 10; ++round) {
        const HostRun run = runHost({"editor", "--seconds", "0.02", "--quiet"});
        ASSERT_EQ(run.status, 0) << "round " << round << ": " << run.err;
    }
}
