#pragma once
// What keeps a VST 3 editor alive between the host's looks at its window. On
// Linux the host's run loop (IRunLoop): the editor registers its file
// descriptors (its X connection) and its timers, and the loop calls it back
// when one is ready or due. On Windows the editor's window gets its messages
// and timers from the host's message loop, and there is nothing more to run.
#include "vst3/View.h"

#include <memory>

class Vst3EditorLoop {
public:
    Vst3EditorLoop();
    ~Vst3EditorLoop();
    Vst3EditorLoop(const Vst3EditorLoop&) = delete;
    Vst3EditorLoop& operator=(const Vst3EditorLoop&) = delete;

    // The platform type the editor is asked to attach to.
    static const char* platformType();
    // The run loop the frame hands out, null where the system has none.
    vst3::IRunLoop* runLoop() const;
    // Waits up to this long, calling back whatever is ready or due.
    void run(int milliseconds);
    // Event handlers and timers registered now.
    int registrations() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
