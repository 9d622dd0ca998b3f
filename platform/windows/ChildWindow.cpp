#include "platform/ChildWindow.h"

#include "platform/windows/OleDropTarget.h"
#include "platform/windows/ThisModule.h"

#include <windows.h>

#include <windowsx.h>

#include <cstdio>
#include <deque>
#include <mutex>
#include <vector>

namespace platform {

namespace {

// What the window procedure sees of the window: the messages the host's loop
// (or our own pump) dispatches become InputEvents, which wait here until the
// frame takes them.
struct WindowState {
    HWND window = nullptr;
    bool destroyed = false;
    const Canvas* shown = nullptr;  // the canvas last presented, for repainting
    const std::uint32_t* (*rowOf)(const Canvas&, int) = nullptr;  // its pixel rows
    std::deque<InputEvent> queue;
    bool dropRegistered = false;  // the window is an OLE drop target

    void push(const InputEvent& event)
    {
        // Only the latest position matters to a drag.
        if (event.type == InputEvent::kMotion && !queue.empty() && queue.back().type == InputEvent::kMotion)
            queue.back() = event;
        else
            queue.push_back(event);
    }
};

} // namespace

struct ChildWindow::Impl : WindowState {
    bool oleStarted = false;
    OleDropTarget* dropTarget = nullptr;
};

namespace {

constexpr wchar_t kWindowTitle[] = L"Window";

int modifierBits()
{
    int bits = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        bits |= kInputShift;
    if (GetKeyState(VK_CONTROL) < 0)
        bits |= kInputControl;
    if (GetKeyState(VK_MENU) < 0)
        bits |= kInputAlt;
    if (GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0)
        bits |= kInputSuper;
    return bits;
}

// Buttons held as a mouse message's wParam reports them (after the event), with the modifiers.
int stateBits(WPARAM keys)
{
    int bits = modifierBits();
    if (keys & MK_LBUTTON)
        bits |= kInputLeft;
    if (keys & MK_MBUTTON)
        bits |= kInputMiddle;
    if (keys & MK_RBUTTON)
        bits |= kInputRight;
    return bits;
}

int buttonOf(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return kInputLeft;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return kInputMiddle;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return kInputRight;
    default: return 0;
    }
}

// Copies an area of the canvas to the device context at the same place.
void copyToDevice(HDC dc, const Canvas& canvas, const std::uint32_t* (*rowOf)(const Canvas&, int), PixelRect area)
{
    area.left = std::max(area.left, 0);
    area.top = std::max(area.top, 0);
    area.right = std::min(area.right, canvas.width());
    area.bottom = std::min(area.bottom, canvas.height());
    if (area.empty())
        return;
    const int w = area.width();
    const int h = area.height();
    // A top-down DIB of exactly the area: its rows are ours, 0x00RRGGBB.
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* row = rowOf(canvas, area.top + y);
        std::copy(row + area.left, row + area.right, pixels.begin() + static_cast<std::ptrdiff_t>(y) * w);
    }
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, area.left, area.top, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0,
                      static_cast<UINT>(h), pixels.data(), &info, DIB_RGB_COLORS);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window class: registered once for this module, named after it.
const wchar_t* windowClass()
{
    static wchar_t name[64] = {};
    static std::once_flag once;
    std::call_once(once, [] {
        std::swprintf(name, sizeof name / sizeof name[0], L"Plugin%p", static_cast<void*>(thisModule()));
        WNDCLASSEXW cls {};
        cls.cbSize = sizeof cls;
        cls.style = CS_GLOBALCLASS;
        cls.lpfnWndProc = windowProcedure;
        cls.hInstance = thisModule();
        cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        cls.lpszClassName = name;
        RegisterClassExW(&cls);
    });
    return name;
}

} // namespace

namespace {

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* w = reinterpret_cast<WindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!w)
        return DefWindowProcW(window, message, wParam, lParam);

    InputEvent event;
    event.timeMs = static_cast<std::uint32_t>(GetMessageTime());
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // every pixel is painted from the canvas
    case WM_PAINT: {
        PAINTSTRUCT paint {};
        HDC dc = BeginPaint(window, &paint);
        const PixelRect area {paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom};
        if (w->shown) {
            copyToDevice(dc, *w->shown, w->rowOf, area);
        } else {
            // Nothing drawn yet: the frame draws at its next idle.
            event.type = InputEvent::kExpose;
            event.x = area.left;
            event.y = area.top;
            event.right = area.right;
            event.bottom = area.bottom;
            w->push(event);
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP: {
        const bool down = message == WM_LBUTTONDOWN || message == WM_MBUTTONDOWN || message == WM_RBUTTONDOWN;
        event.type = down ? InputEvent::kButtonDown : InputEvent::kButtonUp;
        event.x = GET_X_LPARAM(lParam);
        event.y = GET_Y_LPARAM(lParam);
        event.button = buttonOf(message);
        event.state = stateBits(wParam);
        w->push(event);
        // Moves and the release keep coming here while a button is held outside the window.
        if (down)
            SetCapture(window);
        else if (!(wParam & (MK_LBUTTON | MK_MBUTTON | MK_RBUTTON)) && GetCapture() == window)
            ReleaseCapture();
        return 0;
    }
    case WM_MOUSEMOVE:
        event.type = InputEvent::kMotion;
        event.x = GET_X_LPARAM(lParam);
        event.y = GET_Y_LPARAM(lParam);
        event.state = stateBits(wParam);
        w->push(event);
        return 0;
    case WM_MOUSEWHEEL: {
        POINT point {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(window, &point);
        event.type = InputEvent::kWheel;
        event.x = point.x;
        event.y = point.y;
        event.wheel = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
        event.state = stateBits(GET_KEYSTATE_WPARAM(wParam));
        w->push(event);
        return 0;
    }
    case WM_DESTROY:
        // The host destroyed its window, and ours with it: the drop target goes
        // while the window still exists, or OLE would keep it for good.
        if (w->dropRegistered)
            RevokeDragDrop(window);
        w->dropRegistered = false;
        w->destroyed = true;
        event.type = InputEvent::kClosed;
        w->push(event);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        w->window = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Dispatches what waits for this window only; the host's own messages stay in its queue.
void pump(HWND window)
{
    MSG msg;
    while (window && IsWindow(window) && PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

ChildWindow::ChildWindow() : impl_(std::make_unique<Impl>())
{
    // The window procedure copies from the canvas's rows, which only this class may read.
    impl_->rowOf = [](const Canvas& canvas, int y) { return canvas.pixelRow(y); };
}

ChildWindow::~ChildWindow()
{
    close();
}

bool ChildWindow::open(void* parentHandle, int width, int height)
{
    close();
    HWND parent = static_cast<HWND>(parentHandle);
    if (!parent || !IsWindow(parent) || width <= 0 || height <= 0)
        return false;
    // Without a host window (tests) the window stands alone on the desktop.
    const bool topLevel = parent == GetDesktopWindow();
    const DWORD style = (topLevel ? WS_POPUP : WS_CHILD) | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    Impl& w = *impl_;
    HWND window = CreateWindowExW(0, windowClass(), kWindowTitle, style, 0, 0, width, height,
                                  topLevel ? nullptr : parent, nullptr, thisModule(), static_cast<WindowState*>(&w));
    if (!window)
        return false;
    w.window = window;
    w.destroyed = false;
    // Drag and drop needs OLE on this thread for as long as the window lives.
    const HRESULT ole = OleInitialize(nullptr);
    w.oleStarted = SUCCEEDED(ole);
    UpdateWindow(window);
    return true;
}

void ChildWindow::close()
{
    Impl& w = *impl_;
    setDropHandler(nullptr);
    if (w.dropTarget) {
        w.dropTarget->Release();
        w.dropTarget = nullptr;
    }
    if (w.window && !w.destroyed) {
        if (GetCapture() == w.window)
            ReleaseCapture();
        DestroyWindow(w.window);
    }
    if (w.oleStarted)
        OleUninitialize();
    w.window = nullptr;
    w.destroyed = false;
    w.oleStarted = false;
    w.shown = nullptr;
    w.queue.clear();
}

bool ChildWindow::isOpen() const
{
    return impl_->window && !impl_->destroyed;
}

void* ChildWindow::nativeHandle() const
{
    return impl_->window;
}

int ChildWindow::eventDescriptor() const
{
    return -1;  // messages come through the thread's queue
}

void ChildWindow::present(const Canvas& canvas, const PixelRect& area)
{
    Impl& w = *impl_;
    if (!isOpen() || !canvas.valid())
        return;
    w.shown = &canvas;
    HDC dc = GetDC(w.window);
    if (!dc)
        return;
    copyToDevice(dc, canvas, w.rowOf, area);
    ReleaseDC(w.window, dc);
}

WaitResult ChildWindow::nextEvent(InputEvent& event, int timeoutMs)
{
    Impl& w = *impl_;
    if (w.queue.empty() && isOpen()) {
        pump(w.window);
        if (w.queue.empty() && timeoutMs > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeoutMs), QS_ALLINPUT);
            pump(w.window);
        }
    }
    if (w.queue.empty())
        return isOpen() ? WaitResult::kTimeout : WaitResult::kEnded;
    event = w.queue.front();
    w.queue.pop_front();
    return WaitResult::kEvent;
}

void ChildWindow::setDropHandler(DropHandler* handler)
{
    Impl& w = *impl_;
    if (w.dropTarget)
        w.dropTarget->setHandler(handler);
    if (!handler) {
        if (w.dropRegistered && w.window && !w.destroyed)
            RevokeDragDrop(w.window);
        w.dropRegistered = false;
        return;
    }
    if (!isOpen() || !w.oleStarted)
        return;
    if (!w.dropTarget)
        w.dropTarget = new OleDropTarget(w.window, handler);
    if (!w.dropRegistered)
        w.dropRegistered = RegisterDragDrop(w.window, w.dropTarget) == S_OK;
}

bool ChildWindow::queryPointer(int& x, int& y, int& state) const
{
    if (!isOpen())
        return false;
    POINT point {};
    if (!GetCursorPos(&point) || !ScreenToClient(impl_->window, &point))
        return false;
    x = point.x;
    y = point.y;
    state = modifierBits();
    if (GetKeyState(VK_LBUTTON) < 0)
        state |= kInputLeft;
    if (GetKeyState(VK_MBUTTON) < 0)
        state |= kInputMiddle;
    if (GetKeyState(VK_RBUTTON) < 0)
        state |= kInputRight;
    return true;
}

bool ChildWindow::readPixel(int x, int y, std::uint32_t& rgb) const
{
    if (!isOpen())
        return false;
    HDC dc = GetDC(impl_->window);
    if (!dc)
        return false;
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(impl_->window, dc);
    if (colour == CLR_INVALID)
        return false;
    rgb = (static_cast<std::uint32_t>(GetRValue(colour)) << 16) | (static_cast<std::uint32_t>(GetGValue(colour)) << 8)
          | GetBValue(colour);
    return true;
}

void ChildWindow::dispatchPendingPaint()
{
    MSG msg;
    if (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageW(&msg);
}

std::uint32_t ChildWindow::doubleClickTimeMs()
{
    return GetDoubleClickTime();
}

void* ChildWindow::topLevelParent()
{
    return GetDesktopWindow();
}

} // namespace platform
