#include "editor/AEffGUIEditor.h"

#include "editor/EditorEffect.h"
#include "platform/ChildWindow.h"
#include "platform/Clock.h"
#include "toolkit/CFrame.h"

namespace {

// Clock values wrap around; a is before b when the way from a to b is shorter forward.
bool isBefore(std::uint32_t a, std::uint32_t b)
{
    return static_cast<std::int32_t>(a - b) < 0;
}

constexpr std::uint32_t kIdleIntervalMs = 100;
constexpr std::uint32_t kIdleEarlinessMs = 50;
constexpr int kIdleNapMs = 4;

} // namespace

AEffGUIEditor::AEffGUIEditor(EditorEffect* effect)
    : effect_(effect), nextIdleTime_(platform::clock().tickCount())
{
}

AEffGUIEditor::~AEffGUIEditor() = default;

bool AEffGUIEditor::getRect(vst::ERect** rect)
{
    if (rect)
        *rect = &rect_;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow)
{
    systemWindow_ = parentWindow;
    return true;
}

void AEffGUIEditor::close()
{
}

void AEffGUIEditor::idle()
{
    if (!inIdleStuff_ && frame_)
        frame_->idle();
}

int AEffGUIEditor::onKeyDown(int character, int virtualKey, int modifiers)
{
    return frame_ && frame_->onKeyDown(character, virtualKey, modifiers) == 1 ? 1 : 0;
}

int AEffGUIEditor::onKeyUp(int character, int virtualKey, int modifiers)
{
    return frame_ && frame_->onKeyUp(character, virtualKey, modifiers) == 1 ? 1 : 0;
}

bool AEffGUIEditor::onWheel(float distance)
{
    return frame_ ? frame_->onWheel(distance) : false;
}

bool AEffGUIEditor::setKnobMode(int mode)
{
    CFrame::setKnobMode(mode);
    return true;
}

void AEffGUIEditor::beginEdit(long index)
{
    if (effect_)
        effect_->beginEdit(static_cast<vst::Int32>(index));
}

void AEffGUIEditor::endEdit(long index)
{
    if (effect_)
        effect_->endEdit(static_cast<vst::Int32>(index));
}

void AEffGUIEditor::doIdleStuff()
{
    platform::Clock& clock = platform::clock();
    std::uint32_t now = clock.tickCount();
    if (isBefore(now, nextIdleTime_)) {
        // A short nap keeps a tracking loop from spinning; it may bring the
        // next idle close enough.
        clock.sleepMs(kIdleNapMs);
        now += kIdleNapMs;
        if (isBefore(now, nextIdleTime_ - kIdleEarlinessMs))
            return;
    }
    idle();
    // While a control tracks the mouse the host's loop waits; its windows
    // still get one repaint per round.
    platform::ChildWindow::dispatchPendingPaint();
    nextIdleTime_ = now + kIdleIntervalMs;
    if (effect_) {
        inIdleStuff_ = true;
        effect_->masterIdle();
        inIdleStuff_ = false;
    }
}
