#pragma once
// What the IR object needs from the effect that owns it. The effect implements
// this, so that ir/ never includes the shell or the editor.
namespace ir {

class EnvelopeSink;

class IROwner {
public:
    virtual ~IROwner() = default;

    // Pseudo-stereo on for a mono IR, off otherwise. The width stage restarts
    // its delay ring from silence; the change reaches the audio thread through
    // the processing path's own hand-over, so this may be called from any
    // non-audio thread.
    virtual void setPseudoStereo(bool on) = 0;

    // The envelope graph, or null while the editor or its graph does not exist.
    // Called on the thread that loads or rebuilds; the pointer is used only for
    // the duration of that call.
    virtual EnvelopeSink* envelopeSink() = 0;

    // True while the editor window is open.
    virtual bool editorOpen() const = 0;

    // After a load: true when the owner builds the kernel later, on its own
    // worker thread (loadIR then returns without building); false when
    // loadIR should build it before it returns.
    virtual bool buildKernelLater() { return false; }
};

} // namespace ir
