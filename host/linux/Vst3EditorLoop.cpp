#include "host/Vst3EditorLoop.h"

#include "host/linux/Vst3RunLoop.h"

struct Vst3EditorLoop::State {
    Vst3Ptr<Vst3RunLoop> runLoop {new Vst3RunLoop()};
};

Vst3EditorLoop::Vst3EditorLoop() : state_(std::make_unique<State>()) {}
Vst3EditorLoop::~Vst3EditorLoop() = default;

const char* Vst3EditorLoop::platformType()
{
    return vst3::kPlatformTypeX11EmbedWindowID;
}

vst3::IRunLoop* Vst3EditorLoop::runLoop() const
{
    return state_->runLoop.get();
}

void Vst3EditorLoop::run(int milliseconds)
{
    state_->runLoop->run(milliseconds);
}

int Vst3EditorLoop::registrations() const
{
    return state_->runLoop->registrations();
}
