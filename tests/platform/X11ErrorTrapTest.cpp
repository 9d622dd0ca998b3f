// The plug-in's X error trap against a real X server, with two connections:
// one standing for the plug-in's, one for the host's, whose own error handler
// must see its own errors and only those. Needs a display (tools/with-display.sh).
#include <gtest/gtest.h>

#include "platform/linux/X11ErrorTrap.h"

#include <X11/Xatom.h>

#include <cstdlib>

namespace {

// The host's handler: remembers which connections it heard from.
int gHostErrors = 0;
Display* gHostErrorDisplay = nullptr;
int hostHandler(Display* display, XErrorEvent*)
{
    ++gHostErrors;
    gHostErrorDisplay = display;
    return 0;
}

class X11ErrorTrapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name || !(plugin = XOpenDisplay(nullptr)) || !(hostDisplay = XOpenDisplay(nullptr)))
            GTEST_SKIP() << "no X display";
        gHostErrors = 0;
        gHostErrorDisplay = nullptr;
        previous = XSetErrorHandler(hostHandler);
    }
    void TearDown() override
    {
        if (previous)
            XSetErrorHandler(previous);
        if (plugin)
            XCloseDisplay(plugin);
        if (hostDisplay)
            XCloseDisplay(hostDisplay);
    }

    // A request about a window that does not exist: one BadWindow error.
    static void failOn(Display* display)
    {
        const Window none = 0x1fffff;  // in no client's id range
        XDeleteProperty(display, none, XA_PRIMARY);
        XSync(display, False);
    }

    Display* plugin = nullptr;
    Display* hostDisplay = nullptr;
    XErrorHandler previous = nullptr;
};

TEST_F(X11ErrorTrapTest, CountsItsOwnConnectionsErrorsAndPassesTheHostsOn)
{
    {
        platform::X11ErrorTrap trap(plugin);
        failOn(plugin);
        failOn(plugin);
        EXPECT_EQ(trap.errors(), 2);
        EXPECT_EQ(gHostErrors, 0);

        failOn(hostDisplay);
        EXPECT_EQ(gHostErrors, 1);
        EXPECT_EQ(gHostErrorDisplay, hostDisplay);
        EXPECT_EQ(trap.errors(), 2);
    }
    // The host's handler is back in place, and hears the plug-in's connection again.
    EXPECT_EQ(XSetErrorHandler(hostHandler), hostHandler);
    failOn(plugin);
    EXPECT_EQ(gHostErrors, 2);
    EXPECT_EQ(gHostErrorDisplay, plugin);
}

TEST_F(X11ErrorTrapTest, NestedTrapsAndAnErrorLeftFromInsideTheTrap)
{
    platform::X11ErrorTrap outer(plugin);
    {
        platform::X11ErrorTrap inner(plugin);
        // Not synced here: the trap's end makes the server answer.
        XDeleteProperty(plugin, 0x1fffff, XA_PRIMARY);
    }
    EXPECT_EQ(outer.errors(), 1);
    {
        platform::X11ErrorTrap inner(plugin);
        failOn(plugin);
        EXPECT_EQ(inner.errors(), 1);
    }
    EXPECT_EQ(outer.errors(), 2);
    EXPECT_EQ(gHostErrors, 0);
}

// A host that sets a handler of its own while a trap is in place, and passes
// on what it does not know: an error of neither connection's trap goes round
// once, not for ever; the host's handler stays in place after the last trap.
TEST_F(X11ErrorTrapTest, AHandlerSetMeanwhileIsKeptAndNoErrorGoesRound)
{
    static XErrorHandler hostsPrevious = nullptr;
    static int passedOn = 0;
    passedOn = 0;
    auto chaining = [](Display* display, XErrorEvent* event) -> int {
        ++passedOn;
        return hostsPrevious ? hostsPrevious(display, event) : 0;
    };
    {
        platform::X11ErrorTrap first(plugin);
        hostsPrevious = XSetErrorHandler(chaining);
        platform::X11ErrorTrap second(plugin);
        failOn(hostDisplay);
        EXPECT_GE(passedOn, 1);
        EXPECT_LE(passedOn, 2);
    }
    EXPECT_EQ(XSetErrorHandler(hostHandler), static_cast<XErrorHandler>(chaining));
}

} // namespace
