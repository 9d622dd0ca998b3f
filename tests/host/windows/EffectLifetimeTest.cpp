// Lifetime of the DLL's effect and editor under Wine: many open/close cycles
// leave no kernel handle, GDI object or window behind.
#include "ResourceCounter.h"
#include "WindowsHostKit.h"

#include "host/PluginHost.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

using wintest::countResources;
using wintest::settledResources;
using wintest::ResourceCounts;

void pumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The host's window that the editor opens in.
HWND makeHostWindow()
{
    HWND window = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                  760, 440, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    pumpMessages();
    return window;
}

// The event a lock or condition variable waits on comes into being the first
// time a thread has to wait there, and lives as long as the lock: in some runs
// that first wait falls within the measured cycles (one more event handle,
// once). A leak grows with the cycles (100 or 20).
constexpr long kFirstContentionHandles = 1;
// An open editor shares a few more locks with the reverb's worker (the IR's,
// the envelope curves', the response analysis'), each of which may see its
// first wait in any session.
constexpr long kEditorFirstContentionHandles = 3;
// Drawing objects the system makes once, on first use, and keeps (GDI+ and
// Wine cache fonts and the like): one may first be needed in any session,
// depending on what the editor had drawn by then. A leak grows with the
// sessions (20).
constexpr long kEditorOneTimeObjects = 2;

std::string describe(const ResourceCounts& before, const ResourceCounts& after)
{
    return "handles " + std::to_string(before.handles) + " -> " + std::to_string(after.handles) + ", GDI objects "
           + std::to_string(before.gdiObjects) + " -> " + std::to_string(after.gdiObjects) + ", windows "
           + std::to_string(before.userObjects) + " -> " + std::to_string(after.userObjects) + " (counted with "
           + wintest::countingMethod() + ")";
}

// One editor session as a DAW has it: open in the host's window, a few idle
// rounds with the window's messages dispatched, close.
// `idles` idle calls, `pauseMs` apart.
void editorSession(PluginHost& host, HWND parent, int idles = 3, int pauseMs = 0)
{
    host.dispatch(vst::effEditOpen, 0, 0, parent);
    // The editor's own window is there, or there would be nothing to leak.
    EXPECT_NE(GetWindow(parent, GW_CHILD), nullptr);
    for (int i = 0; i < idles; ++i) {
        pumpMessages();
        host.dispatch(vst::effEditIdle);
        if (pauseMs > 0)
            Sleep(static_cast<DWORD>(pauseMs));
    }
    host.dispatch(vst::effEditClose);
    pumpMessages();
    EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
}

} // namespace

TEST(WindowsResourceCounter, SeesObjectsThatWouldLeak)
{
    // Without this the leak tests below could not fail.
    const ResourceCounts before = countResources();
    HBRUSH brushes[5];
    HANDLE events[5];
    for (int i = 0; i < 5; ++i) {
        brushes[i] = CreateSolidBrush(RGB(i, 0, 0));
        events[i] = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    }
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const ResourceCounts during = countResources();
    EXPECT_GE(during.handles - before.handles, 5) << describe(before, during);
    EXPECT_GE(during.gdiObjects - before.gdiObjects, 5) << describe(before, during);
    EXPECT_GE(during.userObjects - before.userObjects, 1) << describe(before, during);
    DestroyWindow(window);
    for (int i = 0; i < 5; ++i) {
        DeleteObject(brushes[i]);
        CloseHandle(events[i]);
    }
    const ResourceCounts after = countResources();
    EXPECT_EQ(after.handles, before.handles) << describe(before, after);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects) << describe(before, after);
}

TEST(WindowsLifetime, HundredEffectCyclesLeaveNothingBehind)
{
    const std::string plugin = wintest::zPath(RVB_PLUGIN_PATH);
    // The first cycle sets up what lives as long as the process (the module, its runtime).
    {
        PluginHost host;
        ASSERT_TRUE(host.load(plugin)) << host.error();
        host.start(44100.0f, 512);
    }
    const ResourceCounts before = settledResources();
    for (int cycle = 0; cycle < 100; ++cycle) {
        PluginHost host;
        ASSERT_TRUE(host.load(plugin)) << host.error();
        host.start(48000.0f, 256);
    }
    const ResourceCounts after = settledResources();
    RecordProperty("counts", describe(before, after));
    EXPECT_LE(after.handles, before.handles + kFirstContentionHandles) << describe(before, after);
    EXPECT_LE(after.gdiObjects, before.gdiObjects) << describe(before, after);
    EXPECT_LE(after.userObjects, before.userObjects) << describe(before, after);
}

TEST(WindowsLifetime, TwentyEditorCyclesLeaveNothingBehind)
{
    PluginHost host;
    ASSERT_TRUE(host.load(wintest::zPath(RVB_PLUGIN_PATH))) << host.error();
    host.start(44100.0f, 512);
    HWND parent = makeHostWindow();
    ASSERT_NE(parent, nullptr);
    // The first session starts GDI+, registers the window class and loads fonts
    // for good. It lasts until the editor has drawn what the reverb's worker
    // publishes for it (the curves, the response), so that every drawing
    // resource made on first use exists before the count.
    editorSession(host, parent, 50, 20);
    const ResourceCounts first = settledResources();
    // Sessions whose locks may still see their first waits; a leak goes on
    // growing after them.
    for (int cycle = 0; cycle < 10; ++cycle)
        editorSession(host, parent);
    const ResourceCounts before = settledResources();
    for (int cycle = 0; cycle < 20; ++cycle)
        editorSession(host, parent);
    const ResourceCounts after = settledResources();
    RecordProperty("counts", describe(first, after));
    EXPECT_LE(after.handles, before.handles + kEditorFirstContentionHandles) << describe(before, after);
    EXPECT_LE(after.gdiObjects, before.gdiObjects + kEditorOneTimeObjects) << describe(first, after);
    EXPECT_LE(after.userObjects, before.userObjects + kEditorOneTimeObjects) << describe(first, after);
    DestroyWindow(parent);
    pumpMessages();
}
