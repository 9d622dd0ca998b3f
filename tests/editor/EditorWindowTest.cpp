// The editor in a real window: opened inside a host's top-level X11 window,
// idled until it shows, and looked at pixel by pixel; once in this process and
// once through the command-line host's picture of its window. Both need an X
// server (tools/with-display.sh starts Xvfb) and skip without one.
#include "SDEditorTestKit.h"

#include "platform/ChildWindow.h"
#include "support/TestSupport.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/CBitmap.h"

#include <cairo.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <sys/stat.h>
#include <thread>

namespace {

using editortest::EditorTest;
using PixelAt = std::function<std::uint32_t(int x, int y)>;

bool haveDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display && platform::ChildWindow::topLevelParent() != nullptr;
}

int channel(std::uint32_t rgb, int shift)
{
    return static_cast<int>((rgb >> shift) & 0xffu);
}

bool near(std::uint32_t a, std::uint32_t b, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(channel(a, shift) - channel(b, shift)) > tolerance)
            return false;
    return true;
}

// The knob `Strech` at its default (frame 25 of its strip), the panel, a
// value display and (with an IR) both graphs' curves.
void expectEditorPicture(const PixelAt& pixelAt, bool withIR)
{
    // A spot of bare panel shows the background bitmap.
    CBitmap* background = new CBitmap(SDEditor::kBackgroundBitmap);
    for (const CPoint& p : {CPoint(8, 200), CPoint(700, 250), CPoint(450, 370)})
        EXPECT_EQ(pixelAt(p.x, p.y), background->getPixel(p.x, p.y) & 0xffffffu) << p.x << "," << p.y;
    background->forget();

    // The knob shows frame 25 of its strip (the middle position).
    CBitmap* strip = new CBitmap(11021);
    int knobMatches = 0;
    for (int y = 0; y < 55; y += 6)
        for (int x = 0; x < 55; x += 6)
            knobMatches += pixelAt(30 + x, 210 + y) == (strip->getPixel(x, 25 * 55 + y) & 0xffffffu);
    EXPECT_EQ(knobMatches, 10 * 10);
    strip->forget();

    // The value display under it: panel-coloured box with light text ("100%").
    EXPECT_EQ(pixelAt(28, 266), 0x405870u);
    EXPECT_EQ(pixelAt(86, 276), 0x405870u);
    int textPixels = 0;
    for (int y = 266; y < 277; ++y)
        for (int x = 28; x < 87; ++x)
            textPixels += near(pixelAt(x, y), 0xd0d0d0u, 24);
    EXPECT_GT(textPixels, 5);

    // The frequency graph's curve runs through its plot (a flat chain at 0 dB).
    int orange = 0;
    for (int x = 312; x < 440; ++x)
        for (int y = 238; y < 248; ++y)
            orange += near(pixelAt(x, y), 0xffaf00u, 40);
    EXPECT_GT(orange, 60);

    if (withIR) {
        // The shaped IR's curve in the envelope plot.
        int cyan = 0;
        for (int x = 83; x < 300; x += 2)
            for (int y = 63; y < 170; ++y)
                cyan += near(pixelAt(x, y), 0x00f4ffu, 40);
        EXPECT_GT(cyan, 20);
    }
}

TEST_F(EditorTest, OpensInTheHostsWindowAndShowsItsControls)
{
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    platform::ChildWindow host;
    ASSERT_TRUE(host.open(platform::ChildWindow::topLevelParent(), 712, 386));
    ASSERT_TRUE(editor->open(host.nativeHandle()));
    ASSERT_TRUE(editor->getFrame()->isOpen());

    // Idle as a host does until the panel has arrived on the server.
    CBitmap* background = new CBitmap(SDEditor::kBackgroundBitmap);
    const std::uint32_t panel = background->getPixel(8, 200) & 0xffffffu;
    background->forget();
    bool shown = false;
    for (int i = 0; i < 200 && !shown; ++i) {
        editor->idle();
        std::uint32_t rgb = 0;
        shown = host.readPixel(8, 200, rgb) && rgb == panel;
        if (!shown)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(shown);
    expectEditorPicture(
        [&](int x, int y) {
            std::uint32_t rgb = 0;
            host.readPixel(x, y, rgb);
            return rgb;
        },
        false);

    // A host change shows in the window after the next idle.
    effect->hostSets(param::kStrech, 1.0f);
    editor->idle();
    auto* knob = dynamic_cast<CAnimKnob*>(editor->getControl(param::kStrech));
    EXPECT_EQ(knob->frameOffset(), 50 * 55);
    CBitmap* strip = new CBitmap(11021);
    std::uint32_t rgb = 0;
    for (int i = 0; i < 100; ++i) {
        host.readPixel(57, 212, rgb);
        if (rgb == (strip->getPixel(27, 50 * 55 + 2) & 0xffffffu))
            break;
        editor->idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(rgb, strip->getPixel(27, 50 * 55 + 2) & 0xffffffu);
    strip->forget();

    editor->close();
    host.close();
}

// The command-line host's picture of its window, through the built plug-in.
TEST(EditorWindowHostTest, HostPictureShowsTheEditor)
{
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    struct stat info {};
    if (::stat(RVB_HOST_PATH, &info) != 0 || ::stat(RVB_PLUGIN_PATH, &info) != 0)
        GTEST_SKIP() << "the host or the plug-in is not built";
    const testsupport::TempDir dir("editorwindow");
    const std::string picture = dir.path() + "/editor.png";
    const std::string command = std::string(RVB_HOST_PATH) + " editor --plugin " + RVB_PLUGIN_PATH +
                                " --ir " + RVB_SOURCE_DIR + "/resources/demo/demo_ir.wav --seconds 0.5 --quiet" +
                                " --screenshot " + picture;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    cairo_surface_t* surface = cairo_image_surface_create_from_png(picture.c_str());
    ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(surface), 712);
    ASSERT_EQ(cairo_image_surface_get_height(surface), 386);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    expectEditorPicture(
        [&](int x, int y) {
            return *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4) & 0xffffffu;
        },
        true);
    cairo_surface_destroy(surface);
}

} // namespace
