#include "vst3plugin/EditorPump.h"

#include "editor/SDEditor.h"
#include "toolkit/CFrame.h"

#include <windows.h>

namespace vst3plugin {

namespace {

// A timer on the editor's own window: the host's message loop delivers it.
class WindowTimerPump final : public EditorPump {
public:
    WindowTimerPump(HWND window, SDEditor& editor) : window_(window), editor_(editor)
    {
        // The timer's id is this pump, which the callback gets back.
        running_ = SetTimer(window_, reinterpret_cast<UINT_PTR>(this), kIntervalMs, &WindowTimerPump::tick) != 0;
    }
    ~WindowTimerPump() override
    {
        if (running_ && IsWindow(window_))
            KillTimer(window_, reinterpret_cast<UINT_PTR>(this));
    }
    bool running() const { return running_; }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD)
    {
        reinterpret_cast<WindowTimerPump*>(id)->editor_.idle();
    }

    HWND window_;
    SDEditor& editor_;
    bool running_ = false;
};

} // namespace

std::unique_ptr<EditorPump> EditorPump::start(vst3::IPlugFrame*, SDEditor& editor)
{
    CFrame* frame = editor.getFrame();
    HWND window = frame ? static_cast<HWND>(frame->getWindowHandle()) : nullptr;
    if (!window)
        return nullptr;
    auto pump = std::make_unique<WindowTimerPump>(window, editor);
    return pump->running() ? std::move(pump) : nullptr;
}

} // namespace vst3plugin
