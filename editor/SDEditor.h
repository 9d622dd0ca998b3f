#pragma once
// The reverb's editor window: a frame on the 712 x 386 background with one
// control per record of the parameter table, value displays under the knobs,
// and the envelope and frequency-response graphs. It holds no parameter state
// of its own; the controls mirror the effect's values.
//
// Threads. Everything that touches a view runs on the window's thread (open,
// close, idle and the controls' mouse handling). The host may change
// parameters on another thread: setParameter then only notes the value in a
// lock-free ParameterMirror, and the next idle moves the control and its
// display and draws them. The graphs pull too: each idle takes what the
// effect published since the last one (the envelope curves, a new response
// analysis, a new rate, the IR's highlight) and redraws what changed.
#include "editor/AEffGUIEditor.h"
#include "editor/ParameterMirror.h"
#include "toolkit/CColor.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CRect.h"

#include <atomic>
#include <cstdint>

class CBitmap;
class CControl;
class CENVGRAP;
class CFRGRAP;
class CParamDisplay;
class EnvelopeGraphActions;

namespace ir {
class EnvelopeSink;
}

class SDEditor : public AEffGUIEditor, public CControlListener {
public:
    static constexpr int kParameterCount = ParameterMirror::kCapacity;
    static constexpr long kBackgroundBitmap = 11030;
    static constexpr CColor kPanelColour{64, 88, 112, 128};
    static constexpr CColor kDisplayTextColour{208, 208, 208, 128};
    static constexpr float kEnvelopeGraphRangeMs = 3000.0f;

    // Registers itself as the effect's editor.
    explicit SDEditor(EditorEffect* effect);
    ~SDEditor() override;

    // Builds the frame inside the host's window (an X11 window id; null makes
    // a frame without a window that only draws offscreen). Always true.
    bool open(void* parentWindow) override;
    // Destroys the frame with every view in it.
    void close() override;
    // Moves the controls to the values noted since the last idle, lets the
    // frame handle its events and draw what changed, and ends the envelope
    // graph's highlight once the IR's rebuild deadline has passed.
    void idle() override;
    // Any thread: notes the effect's new normalised value for the next idle.
    // Nothing happens while the editor is closed.
    void setParameter(int index, float value) override;

    // Gestures pass on to the effect; the editor also counts the ones under way.
    void beginEdit(long index) override;
    void endEdit(long index) override;

    // A user gesture on a control becomes an automated parameter change.
    void valueChanged(CDrawContext* context, CControl* control) override;
    long controlModifierClicked(CDrawContext*, CControl*, long) override { return 0; }

    // The CopyToLocal button on the frame (show) or off it; only while open.
    // Any thread. It happens at the next idle outside a gesture, so that the
    // views never change under a control that is tracking the mouse (the
    // button itself starts the copy that hides it).
    void showCopyButton(bool show);
    // Where the envelope graph sends clicks and drops (the file actions);
    // kept across open and close.
    void setEnvelopeGraphActions(EnvelopeGraphActions* actions);

    // The views of the open editor, by parameter id; null where there is none.
    CControl* getControl(int id) const;
    CParamDisplay* getDisplay(int id) const;
    CENVGRAP* envelopeGraph() const { return envelopeGraph_; }
    CFRGRAP* frequencyGraph() const { return frequencyGraph_; }
    CBitmap* background() const { return background_; }

private:
    struct Graphs {
        CENVGRAP* envelope = nullptr;
        CFRGRAP* frequency = nullptr;
    };
    void buildViews(CFrame* frame, Graphs& graphs);
    void addValueDisplay(CFrame* frame, int id, const CRect& display, float normalised);
    void applyMirrored(int id, float value);
    // What the effect published since the last idle, into the graphs.
    void takeSnapshots();
    void placeCopyButton(bool show);
    void placeRequestedCopyButton();
    // The frame and graphs forgotten by the editor, then the frame with every
    // view destroyed.
    CFrame* detachViews();
    void destroyFrame(CFrame* frame);

    CBitmap* background_ = nullptr;
    CENVGRAP* envelopeGraph_ = nullptr;
    CFRGRAP* frequencyGraph_ = nullptr;
    CControl* controls_[kParameterCount] = {};
    CParamDisplay* displays_[kParameterCount] = {};
    EnvelopeGraphActions* envelopeActions_ = nullptr;
    ParameterMirror mirror_;
    // -1 nothing asked, else 0 hide or 1 show, for the next idle.
    std::atomic<int> copyButtonRequest_{-1};
    // Gestures begun and not yet ended (window thread only).
    int gesturesUnderWay_ = 0;
    // What the graphs last took (window thread only).
    struct Seen {
        int sampleRate = 0;
        long analyses = -1;
        std::uint64_t curves = ~std::uint64_t{0};
        int indicator = 0;
        float preDelay = -1.0f;
    };
    Seen seen_;
};
