#pragma once
// The VST editor base on top of the control toolkit: it holds the effect, the
// host's parent window, the window's size and the frame, keeps the host alive
// while a control tracks the mouse (doIdleStuff), and passes keys, the wheel,
// the knob mode and edit gestures between host, frame and effect. A concrete
// editor builds its frame in open() and lets it go in close().
#include "editor/AEffEditor.h"
#include "toolkit/CFrameOwner.h"

#include <cstdint>

class CFrame;
class EditorEffect;

class AEffGUIEditor : public AEffEditor, public CFrameOwner {
public:
    explicit AEffGUIEditor(EditorEffect* effect);
    ~AEffGUIEditor() override;
    AEffGUIEditor(const AEffGUIEditor&) = delete;
    AEffGUIEditor& operator=(const AEffGUIEditor&) = delete;

    EditorEffect* getEffect() const { return effect_; }
    // The window's size as the host asks for it; always answered.
    bool getRect(vst::ERect** rect) override;
    // Stores the parent window; the concrete editor builds its frame in it.
    bool open(void* parentWindow) override;
    void close() override;
    // True while a frame exists, that is between open and close.
    virtual bool isOpen() const { return frame_ != nullptr; }
    // Lets the frame handle its events and draw what changed.
    void idle() override;
    // Keys go to the frame; true only when the frame used them.
    int onKeyDown(int character, int virtualKey, int modifiers) override;
    int onKeyUp(int character, int virtualKey, int modifiers) override;
    // Wheel steps at the pointer's position in the window.
    virtual bool onWheel(float distance);
    // The host's knob mode, for every knob of the process.
    bool setKnobMode(int mode) override;
    // A parameter changed in the effect; the concrete editor mirrors it.
    virtual void setParameter(int /*index*/, float /*value*/) {}

    // CFrameOwner: the gestures go to the effect (and on to the host).
    void beginEdit(long index) override;
    void endEdit(long index) override;
    // Called by a control's mouse-tracking loop: runs idle() at most every
    // 100 ms and gives the host its idle call meanwhile.
    void doIdleStuff() override;

    CFrame* getFrame() const { return frame_; }
    void* getSystemWindow() const { return systemWindow_; }

protected:
    // True while doIdleStuff runs the host's idle call, which may come back
    // into idle(); the frame is not drawn then.
    bool inIdleStuff() const { return inIdleStuff_; }

    EditorEffect* effect_;
    void* systemWindow_ = nullptr;
    vst::ERect rect_{};
    CFrame* frame_ = nullptr;

private:
    std::uint32_t nextIdleTime_;
    bool inIdleStuff_ = false;
};
