#include "vst3plugin/EditorPump.h"

#include "editor/SDEditor.h"
#include "toolkit/CFrame.h"
#include "vst3plugin/ComObject.h"

using namespace vst3;

namespace vst3plugin {

namespace {

// What the run loop calls back; the loop may hold it a while after it was
// unregistered, so it outlives the pump and then calls nothing.
class IdleHandler final : public ITimerHandler, public IEventHandler {
public:
    explicit IdleHandler(SDEditor& editor) : editor_(&editor) {}

    tresult RVB_VST3_CALL queryInterface(const TUID interfaceId, void** obj) override
    {
        return queryAmong<ITimerHandler, IEventHandler>(this, interfaceId, obj);
    }
    uint32 RVB_VST3_CALL addRef() override { return count_.increment(); }
    uint32 RVB_VST3_CALL release() override
    {
        const uint32 left = count_.decrement();
        if (left == 0)
            delete this;
        return left;
    }
    void RVB_VST3_CALL onTimer() override { idle(); }
    void RVB_VST3_CALL onFDIsSet(FileDescriptor) override { idle(); }

    void stop() { editor_ = nullptr; }

private:
    ~IdleHandler() = default;
    void idle()
    {
        if (editor_)
            editor_->idle();
    }

    RefCount count_;
    SDEditor* editor_;
};

class RunLoopPump final : public EditorPump {
public:
    RunLoopPump(IRunLoop& loop, SDEditor& editor) : handler_(new IdleHandler(editor))
    {
        loop_.reset(&loop);
        timing_ = loop.registerTimer(handler_, kIntervalMs) == kResultOk;
        const CFrame* frame = editor.getFrame();
        const int fd = frame ? frame->getEventDescriptor() : -1;
        watching_ = fd >= 0 && loop.registerEventHandler(handler_, fd) == kResultOk;
    }
    ~RunLoopPump() override
    {
        if (timing_)
            loop_->unregisterTimer(handler_);
        if (watching_)
            loop_->unregisterEventHandler(handler_);
        handler_->stop();
        handler_->release();
    }

private:
    Held<IRunLoop> loop_;
    IdleHandler* handler_;
    bool timing_ = false;
    bool watching_ = false;
};

} // namespace

std::unique_ptr<EditorPump> EditorPump::start(IPlugFrame* frame, SDEditor& editor)
{
    if (!frame)
        return nullptr;
    void* found = nullptr;
    if (frame->queryInterface(IRunLoop::iid.data(), &found) != kResultOk || !found)
        return nullptr;
    auto* loop = static_cast<IRunLoop*>(found);
    auto pump = std::make_unique<RunLoopPump>(*loop, editor);
    loop->release();  // the pump holds its own reference
    return pump;
}

} // namespace vst3plugin
