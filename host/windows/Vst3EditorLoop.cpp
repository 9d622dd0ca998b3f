#include "host/Vst3EditorLoop.h"

#include <chrono>
#include <thread>

struct Vst3EditorLoop::State {};

Vst3EditorLoop::Vst3EditorLoop() = default;
Vst3EditorLoop::~Vst3EditorLoop() = default;

const char* Vst3EditorLoop::platformType()
{
    return vst3::kPlatformTypeHWND;
}

vst3::IRunLoop* Vst3EditorLoop::runLoop() const
{
    return nullptr;
}

// The window's messages and timers come through the host's message loop between runs.
void Vst3EditorLoop::run(int milliseconds)
{
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int Vst3EditorLoop::registrations() const
{
    return 0;
}
