// End to end: a file dragged from another X client (a small drag source of
// our own) onto the open editor's envelope graph is loaded, remembered and
// shown. Needs a display (tools/with-display.sh); skipped without one.
// gtest before Xlib, whose macros (None, Bool) would clash with gtest's names.
#include "FileActionFixture.h"

#include "editor/CENVGRAP.h"
#include "editor/EnvelopeInfoText.h"
#include "editor/SDEditor.h"
#include "toolkit/CFrame.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "support/XdndTestSource.h"

#include <X11/Xutil.h>

using namespace fileactiontest;

namespace {

std::string fileUri(const std::string& path)
{
    std::string uri = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_') {
            uri += static_cast<char>(c);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            uri += escape;
        }
    }
    return uri;
}

class EditorDropTest : public FileActionTest {
protected:
    void SetUp() override
    {
        FileActionTest::SetUp();
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display || !source.open())
            GTEST_SKIP() << "no X display";
        // The host's window, which the editor opens inside.
        Display* d = source.display();
        parent = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 712, 386, 0, 0, 0);
        XMapWindow(d, parent);
        XSync(d, False);
        ASSERT_EQ(dispatch(effect, vst::effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
        ASSERT_TRUE(effect->editor()->getFrame()->isOpen());
        Window root = 0, parentOfParent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        XQueryTree(d, parent, &root, &parentOfParent, &children, &count);
        if (count == 1)
            editorWindow = children[0];
        if (children)
            XFree(children);
        ASSERT_NE(editorWindow, 0u);
        pump = [this] { dispatch(effect, vst::effEditIdle); };
        pump();
    }
    void TearDown() override
    {
        if (effect && effect->editor()->isOpen())
            dispatch(effect, vst::effEditClose);
        if (parent)
            XDestroyWindow(source.display(), parent);
        source.close();
        FileActionTest::TearDown();
    }

    xdndtest::Answer positionAt(int x, int y)
    {
        int rx = 0, ry = 0;
        source.rootPoint(editorWindow, x, y, rx, ry);
        source.position(editorWindow, rx, ry);
        return source.waitFor("XdndStatus", pump);
    }

    // Pixels of the name box above the plot in the highlight colour, in the
    // frame's picture.
    int highlightPixelsInNameBox(int& sampleX, int& sampleY) const
    {
        const CRect graph = effect->editor()->envelopeGraph()->getViewSize();
        COffscreenContext* picture = effect->editor()->getFrame()->getOffscreen();
        int found = 0;
        for (int y = graph.top + 21; y < graph.top + 47; ++y)
            for (int x = graph.left + 120; x < graph.right - 10; ++x)
                if (picture->getPixel(x, y) == envelopeinfo::kHighlightColour) {
                    ++found;
                    sampleX = x;
                    sampleY = y;
                }
        return found;
    }

    xdndtest::XdndSource source;
    Window parent = 0;
    Window editorWindow = 0;
    std::function<void()> pump;
};

} // namespace

TEST_F(EditorDropTest, WavDraggedOntoTheEnvelopeGraphIsLoadedRememberedAndShown)
{
    const std::string file = demoIR(dir + "/My IRs/Hall \xC3\x96 #2.wav");
    source.offer("text/uri-list", fileUri(file) + "\r\n");
    source.offer("text/plain", file);
    int x = 0, y = 0;
    ASSERT_EQ(highlightPixelsInNameBox(x, y), 0);

    source.enter(editorWindow, {"text/uri-list", "text/plain"});
    // Over a knob the drop is refused; over the graph it is welcome.
    xdndtest::Answer status = positionAt(60, 240);
    ASSERT_TRUE(status.received);
    EXPECT_EQ(status.l[1] & 1, 0);
    status = positionAt(300, 100);
    ASSERT_TRUE(status.received);
    EXPECT_EQ(status.l[1] & 1, 1);
    EXPECT_EQ(status.l[4], static_cast<long>(source.atom("XdndActionCopy")));

    source.drop(editorWindow);
    const xdndtest::Answer finished = source.waitFor("XdndFinished", pump, 30000);
    ASSERT_TRUE(finished.received);
    EXPECT_EQ(finished.l[1] & 1, 1);
    EXPECT_EQ(source.requestedTypes(), std::vector<std::string>{"text/uri-list"});

    EXPECT_STREQ(effect->irData().path(), file.c_str());
    EXPECT_EQ(savedPath(effect), file);
    pump();
    EXPECT_TRUE(effect->editor()->getFrame()->isChild(effect->editor()->getControl(param::kCopyToLocal)));
    const envelopeinfo::Lines lines = envelopeinfo::linesFor(effect->irData(), effect->dataFolder());
    EXPECT_EQ(lines.name, "Hall \xC3\x96 #2.wav");
    EXPECT_EQ(lines.folder, dir + "/My IRs (outer folder)");

    // The name is drawn in the highlight colour of a fresh IR, in the picture
    // and in the window itself.
    ASSERT_GT(highlightPixelsInNameBox(x, y), 30);
    XImage* image = XGetImage(source.display(), editorWindow, x, y, 1, 1, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    EXPECT_EQ((pixel >> 16) & 0xff, envelopeinfo::kHighlightColour.red);
    EXPECT_EQ((pixel >> 8) & 0xff, envelopeinfo::kHighlightColour.green);
    EXPECT_EQ(pixel & 0xff, envelopeinfo::kHighlightColour.blue);
}

TEST_F(EditorDropTest, DropsThatAreNoIRFileChangeNothing)
{
    const std::string mp3 = dir + "/song.mp3";
    testsupport::writeFile(mp3, "ID3");
    source.offer("text/uri-list", fileUri(mp3) + "\r\n");
    source.enter(editorWindow, {"text/uri-list"});
    ASSERT_EQ(positionAt(300, 100).l[1] & 1, 1);
    source.drop(editorWindow);
    const xdndtest::Answer finished = source.waitFor("XdndFinished", pump);
    ASSERT_TRUE(finished.received);
    // The graph took the drop (it counts as handled) but loaded nothing.
    EXPECT_EQ(finished.l[1] & 1, 1);
    EXPECT_FALSE(effect->irData().loaded());
    EXPECT_EQ(savedPath(effect), "");
    int x = 0, y = 0;
    EXPECT_EQ(highlightPixelsInNameBox(x, y), 0);
}
