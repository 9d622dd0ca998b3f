// The reverb's editor view on a host's HWND under Windows, as a DAW embeds
// it: a child window of the host's, kept alive by a timer the host's message
// loop delivers, opened and closed again and again leaving no window, GDI
// object or handle behind.
#include "../Vst3HostKit.h"

#include "host/Vst3Plugin.h"
#include "host/windows/ResourceCounter.h"
#include "vst3/View.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace vst3;
using wintest::ResourceCounts;
using wintest::settledResources;

namespace {

void pumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::string describe(const ResourceCounts& before, const ResourceCounts& after)
{
    return "handles " + std::to_string(before.handles) + " -> " + std::to_string(after.handles) + ", GDI objects " +
           std::to_string(before.gdiObjects) + " -> " + std::to_string(after.gdiObjects) + ", windows " +
           std::to_string(before.userObjects) + " -> " + std::to_string(after.userObjects) + " (counted with " +
           wintest::countingMethod() + ")";
}

// One session: attached, a timer tick delivered to the editor's window and
// dispatched, removed. The editor's window is the host window's child meanwhile.
// Open until the editor's idle timer has come `ticks` times.
void editorSession(IEditController& controller, HWND parent, int ticks = 1)
{
    Vst3Ptr<IPlugView> view(controller.createView(kEditor));
    ASSERT_TRUE(view);
    ASSERT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
    ASSERT_EQ(view->attached(parent, kPlatformTypeHWND), kResultOk);
    HWND editor = FindWindowExW(parent, nullptr, nullptr, nullptr);
    ASSERT_NE(editor, nullptr);
    // The editor's idle comes as a timer on its window, through the host's loop.
    for (int t = 0; t < ticks; ++t) {
        MSG tick;
        bool ticked = false;
        for (int wait = 0; wait < 100 && !ticked; ++wait) {
            Sleep(5);
            ticked = PeekMessageW(&tick, editor, WM_TIMER, WM_TIMER, PM_NOREMOVE) != 0;
        }
        EXPECT_TRUE(ticked);
        pumpMessages();
    }
    EXPECT_EQ(view->removed(), kResultOk);
    pumpMessages();
    EXPECT_FALSE(IsWindow(editor));
}

} // namespace

TEST(ReverbWindowsEditor, OpensOnTheHostsWindowAndClosesAgainAndAgainLeavingNothingBehind)
{
    Vst3Plugin plugin;
    std::string error;
    ASSERT_TRUE(plugin.load(vst3test::reverbBundle(), "0", error)) << error;
    plugin.start(44100.0f, 512);
    HWND parent = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                  760, 440, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    pumpMessages();
    // The first session starts GDI+, registers the window class and loads fonts
    // for good. It lasts until the editor has drawn what the reverb's worker
    // publishes for it (the curves, the response), so that every drawing
    // resource made on first use exists before the counts.
    editorSession(*plugin.controller(), parent, 30);
    const ResourceCounts first = settledResources();
    // The next sessions may still bring the events of locks first waited on
    // (the reverb's worker, Wine's own); a leak goes on growing after them.
    for (int session = 0; session < 10; ++session)
        editorSession(*plugin.controller(), parent);
    const ResourceCounts before = settledResources();
    for (int session = 0; session < 20; ++session)
        editorSession(*plugin.controller(), parent);
    const ResourceCounts after = settledResources();
    RecordProperty("counts", describe(before, after));
    // The editor shares a few locks with the reverb's worker (the IR's, the
    // envelope curves', the response analysis'), each of which may see its
    // first wait, and make its event, in any session; a leak grows with them.
    EXPECT_LE(after.handles, before.handles + 3) << describe(before, after);
    // Drawing objects the system makes once on first use and keeps (GDI+ and
    // Wine cache fonts and the like) may first be needed in any session; a
    // leak grows with the sessions (20).
    EXPECT_LE(after.gdiObjects, before.gdiObjects + 2) << describe(first, after);
    EXPECT_LE(after.userObjects, before.userObjects + 2) << describe(first, after);
    DestroyWindow(parent);
}
