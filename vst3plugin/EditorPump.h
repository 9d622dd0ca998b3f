#pragma once
// What keeps the open editor alive between the host's calls: VST 3 has no
// idle call, so the editor's idle (its window's events, the values and
// pictures it pulls) runs from the host's own loop. On Linux the frame's
// IRunLoop calls it from a timer and whenever the window's X connection has
// something to read; on Windows a timer on the editor's window does, through
// the host's message loop.
#include "vst3/View.h"

#include <memory>

class SDEditor;

namespace vst3plugin {

class EditorPump {
public:
    static constexpr int kIntervalMs = 25;

    virtual ~EditorPump() = default;  // stops: nothing calls the editor afterwards

    // For an open editor; null when the host offers no way (Linux: a frame
    // without a run loop).
    static std::unique_ptr<EditorPump> start(vst3::IPlugFrame* frame, SDEditor& editor);
};

} // namespace vst3plugin
