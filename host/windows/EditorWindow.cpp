#include "host/EditorWindow.h"

#include "host/EditorSize.h"
#include "host/OutputFile.h"
#include "host/PluginEditor.h"
#include "host/PluginHost.h"
#include "host/windows/HostText.h"
#include "platform/windows/GdiPlus.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr COLORREF kHostWindowColour = RGB(0x20, 0x20, 0x20);
constexpr wchar_t kClassName[] = L"rvbhost editor window";

const wchar_t* hostWindowClass()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW cls {};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        cls.hbrBackground = CreateSolidBrush(kHostWindowColour);
        cls.lpszClassName = kClassName;
        registered = RegisterClassExW(&cls) != 0;
    }
    return kClassName;
}

// Dispatches whatever waits for the host's thread, as a DAW's message loop does.
void pumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// GDI+ encodes into a stream in memory; the bytes are then written as one
// checked file, as every output of the host is.
bool encodePng(Gdiplus::Bitmap& picture, const CLSID& png, std::string& bytes)
{
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK)
        return false;
    bool ok = picture.Save(stream, &png, nullptr) == Gdiplus::Ok;
    ULARGE_INTEGER end {};
    ok = ok && stream->Seek(LARGE_INTEGER {}, STREAM_SEEK_CUR, &end) == S_OK;
    HGLOBAL memory = nullptr;
    ok = ok && GetHGlobalFromStream(stream, &memory) == S_OK;
    const void* data = ok ? GlobalLock(memory) : nullptr;
    if (data) {
        bytes.assign(static_cast<const char*>(data), static_cast<std::size_t>(end.QuadPart));
        GlobalUnlock(memory);
    }
    stream->Release();
    return data != nullptr;
}

// The client area as the screen shows it, saved as PNG through GDI+.
bool savePicture(HWND window, int width, int height, const std::string& path, std::string& error)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        error = "GDI+ could not be started";
        return false;
    }
    bool ok = false;
    {
        HDC windowDc = GetDC(window);
        HDC memoryDc = CreateCompatibleDC(windowDc);
        HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
        HGDIOBJ previous = SelectObject(memoryDc, bitmap);
        const bool copied = BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY | CAPTUREBLT) != 0;
        SelectObject(memoryDc, previous);
        CLSID png {};
        if (!copied) {
            error = "could not read the window's contents";
        } else if (!platform::pngEncoder(png)) {
            error = "no PNG encoder";
        } else {
            Gdiplus::Bitmap picture(bitmap, nullptr);
            std::string bytes;
            if (!encodePng(picture, png, bytes))
                error = "cannot make the picture for " + path;
            else
                ok = writeWholeFile(path, bytes, error);
        }
        DeleteObject(bitmap);
        DeleteDC(memoryDc);
        ReleaseDC(window, windowDc);
    }
    Gdiplus::GdiplusShutdown(token);
    return ok;
}

} // namespace

bool runEditorWindow(PluginEditor& editor, const EditorWindowOptions& options, EditorWindowResult& result,
                     std::string& error)
{
    int width = 0;
    int height = 0;
    if (!editor.size(width, height, error))
        return false;
    result.width = width;
    result.height = height;

    // A plain top-level window whose client area is the editor's size.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT frame {0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExW(0, hostWindowClass(), L"rvbhost editor", style, 0, 0, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) {
        error = "could not create a window (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    pumpMessages();

    if (!editor.open(window, error)) {
        DestroyWindow(window);
        pumpMessages();
        return false;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(options.seconds);
    do {
        pumpMessages();
        editor.run(options.idleIntervalMs);
        ++result.idleCalls;
    } while (std::chrono::steady_clock::now() < end);
    // One more round, so that whatever the last wait let arrive is drawn.
    pumpMessages();
    editor.run(0);
    ++result.idleCalls;
    GdiFlush();

    bool ok = true;
    if (!options.screenshotPath.empty())
        ok = savePicture(window, width, height, options.screenshotPath, error);

    editor.close();
    DestroyWindow(window);
    pumpMessages();
    return ok;
}
