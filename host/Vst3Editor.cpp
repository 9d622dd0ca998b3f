#include "host/Vst3Editor.h"

using namespace vst3;

namespace {

// A DAW's own size for an editor that names none.
constexpr int kFallbackWidth = 640;
constexpr int kFallbackHeight = 480;

} // namespace

bool Vst3Editor::makeView(std::string& error)
{
    if (view_)
        return true;
    view_ = Vst3Ptr<IPlugView>(controller_.createView(kEditor));
    if (!view_) {
        error = "the plug-in has no editor";
        return false;
    }
    if (view_->isPlatformTypeSupported(Vst3EditorLoop::platformType()) != kResultTrue) {
        error = std::string("the plug-in's editor does not take a ") + Vst3EditorLoop::platformType() + " window";
        view_.reset();
        return false;
    }
    return true;
}

bool Vst3Editor::size(int& width, int& height, std::string& error)
{
    if (!makeView(error))
        return false;
    ViewRect rect {};
    width = kFallbackWidth;
    height = kFallbackHeight;
    if (view_->getSize(&rect) == kResultOk && rect.right > rect.left && rect.bottom > rect.top) {
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
    }
    return true;
}

bool Vst3Editor::open(void* window, std::string& error)
{
    if (!makeView(error))
        return false;
    frame_ = Vst3Ptr<Vst3PlugFrame>(new Vst3PlugFrame(loop_.runLoop()));
    view_->setFrame(frame_.get());
    if (view_->attached(window, Vst3EditorLoop::platformType()) != kResultOk) {
        error = "the plug-in's editor did not attach to the window";
        view_->setFrame(nullptr);
        frame_.reset();
        return false;
    }
    attached_ = true;
    return true;
}

void Vst3Editor::close()
{
    if (attached_)
        view_->removed();
    attached_ = false;
    if (view_ && frame_)
        view_->setFrame(nullptr);
    view_.reset();
    frame_.reset();
}
