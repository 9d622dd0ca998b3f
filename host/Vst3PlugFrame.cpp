#include "host/Vst3PlugFrame.h"

using namespace vst3;

Vst3PlugFrame::Vst3PlugFrame(IRunLoop* runLoop)
{
    if (runLoop) {
        runLoop->addRef();
        runLoop_ = Vst3Ptr<IRunLoop>(runLoop);
    }
}

tresult Vst3PlugFrame::queryInterface(const TUID interfaceId, void** obj)
{
    const tresult result = Vst3Object::queryInterface(interfaceId, obj);
    if (result != kNoInterface || !runLoop_ || IRunLoop::iid != interfaceId)
        return result;
    runLoop_->addRef();
    *obj = runLoop_.get();
    return kResultOk;
}

tresult Vst3PlugFrame::resizeView(IPlugView* view, ViewRect* newSize)
{
    if (!view || !newSize)
        return kInvalidArgument;
    ++resizeRequests_;
    return view->onSize(newSize);
}
