// The window's drag-and-drop receiving side against a real X server, with a
// small drag source of our own. Needs a display (tools/with-display.sh).
// gtest before Xlib, whose macros (None, Bool) would clash with gtest's names.
#include <gtest/gtest.h>

#include "platform/ChildWindow.h"
#include "support/XdndTestSource.h"

#include <X11/Xatom.h>

#include <cstdlib>
#include <unistd.h>
#include <string>
#include <vector>

using platform::DropItem;
using platform::InputEvent;
using platform::WaitResult;

namespace {

// Takes drops left of x = 100 only; records every call.
struct RecordingHandler : platform::DropHandler {
    std::vector<std::string> calls;
    platform::DropItems dropped;
    bool useDrop = true;

    bool dragEnter(int x, int y) override
    {
        calls.push_back("enter " + std::to_string(x) + "," + std::to_string(y));
        return x < 100;
    }
    bool dragMove(int x, int y) override
    {
        calls.push_back("move " + std::to_string(x) + "," + std::to_string(y));
        return x < 100;
    }
    void dragLeave() override { calls.push_back("leave"); }
    bool drop(const platform::DropItems& items, int x, int y) override
    {
        calls.push_back("drop " + std::to_string(x) + "," + std::to_string(y));
        dropped = items;
        return useDrop;
    }
};

class XdndReceiverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display || !source.open())
            GTEST_SKIP() << "no X display";
        ASSERT_TRUE(window.open(platform::ChildWindow::topLevelParent(), 200, 100));
        window.setDropHandler(&handler);
        target = static_cast<Window>(reinterpret_cast<std::uintptr_t>(window.nativeHandle()));
        pump = [this] {
            InputEvent event;
            while (window.nextEvent(event, 0) == WaitResult::kEvent) {
            }
        };
    }

    // Enter, then a position at window point (x, y); the status the window answers.
    xdndtest::Answer enterAt(const std::vector<std::string>& types, int x, int y)
    {
        source.enter(target, types);
        return moveTo(x, y);
    }
    xdndtest::Answer moveTo(int x, int y)
    {
        int rx = 0, ry = 0;
        source.rootPoint(target, x, y, rx, ry);
        source.position(target, rx, ry);
        return source.waitFor("XdndStatus", pump);
    }

    long atom(const char* name) { return static_cast<long>(source.atom(name)); }

    // Lets the window handle what arrives until the handler has heard `call`.
    void pumpUntilCalled(const std::string& call)
    {
        for (int i = 0; i < 2000 && (handler.calls.empty() || handler.calls.back() != call); ++i) {
            pump();
            usleep(1000);
        }
    }

    // Declared first, so that it outlives the window that calls it.
    RecordingHandler handler;
    xdndtest::XdndSource source;
    platform::ChildWindow window;
    Window target = 0;
    std::function<void()> pump;
};

} // namespace

TEST_F(XdndReceiverTest, WindowIsMarkedAsDropTargetOfVersion5UntilTheHandlerGoes)
{
    auto awareVersion = [&]() -> long {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, rest = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(source.display(), target, source.atom("XdndAware"), 0, 1, False, XA_ATOM, &type, &format,
                           &count, &rest, &data);
        const long version = data && count == 1 ? static_cast<long>(*reinterpret_cast<unsigned long*>(data)) : -1;
        if (data)
            XFree(data);
        return version;
    };
    EXPECT_EQ(awareVersion(), 5);
    window.setDropHandler(nullptr);
    EXPECT_EQ(awareVersion(), -1);
}

TEST_F(XdndReceiverTest, StatusFollowsTheHandlerAtEachPosition)
{
    const xdndtest::Answer inside = enterAt({"text/uri-list"}, 40, 30);
    ASSERT_TRUE(inside.received);
    EXPECT_EQ(inside.l[0], static_cast<long>(target));
    EXPECT_EQ(inside.l[1] & 1, 1);
    EXPECT_EQ(inside.l[4], atom("XdndActionCopy"));

    const xdndtest::Answer outside = moveTo(150, 30);
    ASSERT_TRUE(outside.received);
    EXPECT_EQ(outside.l[1] & 1, 0);
    EXPECT_EQ(outside.l[4], 0);

    source.leave(target);
    pumpUntilCalled("leave");
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"enter 40,30", "move 150,30", "leave"}));
}

TEST_F(XdndReceiverTest, DropFetchesTheFileListAndReportsItUsed)
{
    // Plain text is offered first; the file list is what a drop of files means.
    source.offer("text/plain", "file:///wrong.wav");
    source.offer("text/uri-list", "file:///ir/Hall%20One.wav\r\nfile:///ir/two.aiff\r\n");
    ASSERT_TRUE(enterAt({"text/plain", "text/uri-list"}, 10, 20).received);
    source.drop(target);
    const xdndtest::Answer finished = source.waitFor("XdndFinished", pump);
    ASSERT_TRUE(finished.received);
    EXPECT_EQ(finished.l[0], static_cast<long>(target));
    EXPECT_EQ(finished.l[1] & 1, 1);
    EXPECT_EQ(finished.l[2], atom("XdndActionCopy"));
    EXPECT_EQ(source.requestedTypes(), std::vector<std::string>{"text/uri-list"});
    ASSERT_EQ(handler.dropped.size(), 2u);
    EXPECT_EQ(handler.dropped[0].kind, DropItem::Kind::kFile);
    EXPECT_EQ(handler.dropped[0].text, "/ir/Hall One.wav");
    EXPECT_EQ(handler.dropped[1].text, "/ir/two.aiff");
    // A finished drop is no leave.
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"enter 10,20", "drop 10,20"}));
}

TEST_F(XdndReceiverTest, ManyOfferedTypesComeFromTheTypeListAndTextIsOneItem)
{
    source.offer("UTF8_STRING", "/ir/typed by hand.wav");
    ASSERT_TRUE(enterAt({"application/x-one", "application/x-two", "image/png", "UTF8_STRING"}, 5, 5).received);
    source.drop(target);
    const xdndtest::Answer finished = source.waitFor("XdndFinished", pump);
    ASSERT_TRUE(finished.received);
    EXPECT_EQ(source.requestedTypes(), std::vector<std::string>{"UTF8_STRING"});
    ASSERT_EQ(handler.dropped.size(), 1u);
    EXPECT_EQ(handler.dropped[0].kind, DropItem::Kind::kText);
    EXPECT_EQ(handler.dropped[0].text, "/ir/typed by hand.wav");
}

TEST_F(XdndReceiverTest, RefusedPlacesAndUnreadableDataEndTheDragWithoutData)
{
    // Released where the handler does not take it: no data is asked for.
    ASSERT_EQ(enterAt({"text/uri-list"}, 150, 5).l[1] & 1, 0);
    source.drop(target);
    xdndtest::Answer finished = source.waitFor("XdndFinished", pump);
    ASSERT_TRUE(finished.received);
    EXPECT_EQ(finished.l[1] & 1, 0);
    EXPECT_TRUE(source.requestedTypes().empty());
    EXPECT_EQ(handler.calls.back(), "leave");

    // Only types we cannot read: refused even where the handler would take it.
    handler.calls.clear();
    ASSERT_EQ(enterAt({"image/png"}, 5, 5).l[1] & 1, 0);
    source.leave(target);
    pumpUntilCalled("leave");
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"enter 5,5", "leave"}));

    // The source cannot deliver after all: the drop ends unused.
    handler.calls.clear();
    ASSERT_EQ(enterAt({"text/uri-list"}, 5, 5).l[1] & 1, 1);
    source.drop(target);  // nothing offered for text/uri-list: the answer carries no data
    finished = source.waitFor("XdndFinished", pump);
    ASSERT_TRUE(finished.received);
    EXPECT_EQ(finished.l[1] & 1, 0);
    EXPECT_TRUE(handler.dropped.empty());
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"enter 5,5", "leave"}));
}
