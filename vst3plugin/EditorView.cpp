#include "vst3plugin/EditorView.h"

#include "core/ExceptionBarrier.h"
#include "editor/SDEditor.h"
#include "toolkit/CFrame.h"
#include "vst3plugin/EditorPump.h"
#include "vst3plugin/ReverbComponent.h"

#include <cstring>

using namespace vst3;

namespace vst3plugin {

namespace {

#if defined(_WIN32)
constexpr const char* kWindowType = kPlatformTypeHWND;
#else
constexpr const char* kWindowType = kPlatformTypeX11EmbedWindowID;
#endif

} // namespace

EditorView::EditorView(ReverbComponent& component) : component_(component)
{
    component_.addRef();
}

EditorView::~EditorView()
{
    removed();
    frame_.reset();
    component_.release();
}

tresult EditorView::queryInterface(const TUID interfaceId, void** obj)
{
    return queryAmong<IPlugView>(this, interfaceId, obj);
}

uint32 EditorView::release()
{
    const uint32 left = count_.decrement();
    if (left == 0)
        core::guardedCall("view release", [this] { delete this; });
    return left;
}

tresult EditorView::isPlatformTypeSupported(FIDString type)
{
    return type && std::strcmp(type, kWindowType) == 0 ? kResultTrue : kResultFalse;
}

tresult EditorView::attached(void* parent, FIDString type)
{
    if (attached_ || !parent || isPlatformTypeSupported(type) != kResultTrue || !component_.claimEditor())
        return kResultFalse;
    return core::guardedCall("attached", kResultFalse, [&] {
        SDEditor& editor = component_.editor();
        editor.open(parent);
        CFrame* frame = editor.getFrame();
        if (!frame || !frame->getWindowHandle()) {
            editor.close();
            component_.releaseEditor();
            return kResultFalse;
        }
        attached_ = true;
        // Drawn once now; then whenever the host's loop lets it run.
        editor.idle();
        pump_ = EditorPump::start(frame_.get(), editor);
        return kResultOk;
    });
}

tresult EditorView::removed()
{
    if (!attached_)
        return kResultFalse;
    pump_.reset();
    core::guardedCall("removed", [this] { component_.editor().close(); });
    attached_ = false;
    component_.releaseEditor();
    return kResultOk;
}

tresult EditorView::onWheel(float distance)
{
    return attached_ && component_.editor().onWheel(distance) ? kResultTrue : kResultFalse;
}

tresult EditorView::getSize(ViewRect* size)
{
    if (!size)
        return kInvalidArgument;
    vst::ERect* rect = nullptr;
    if (!component_.editor().getRect(&rect) || !rect)
        return kResultFalse;
    *size = ViewRect{0, 0, rect->right - rect->left, rect->bottom - rect->top};
    return kResultOk;
}

tresult EditorView::onSize(ViewRect* newSize)
{
    return newSize ? kResultOk : kInvalidArgument;
}

tresult EditorView::setFrame(IPlugFrame* frame)
{
    frame_.reset(frame);
    // A host may hand its frame over only once the view is attached.
    if (attached_ && !pump_)
        pump_ = EditorPump::start(frame_.get(), component_.editor());
    return kResultOk;
}

tresult EditorView::checkSizeConstraint(ViewRect* rect)
{
    // Whatever the host proposes, the editor's own size.
    return getSize(rect);
}

} // namespace vst3plugin
