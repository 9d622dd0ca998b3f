#include "editor/SDEditor.h"

#include "ir/IRLibraryPaths.h"
#include "params/EffectConstants.h"

#include "editor/CENVGRAP.h"
#include "editor/ControlLayout.h"
#include "editor/CFRGRAP.h"
#include "editor/EditorEffect.h"
#include "editor/EnvelopeInfoText.h"
#include "engine/ResponseAnalyser.h"
#include "ir/EnvelopeRecording.h"
#include "params/ParameterTable.h"
#include "platform/Clock.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/CKickButton.h"
#include "toolkit/COnOffButton.h"
#include "toolkit/CParamDisplay.h"
#include "toolkit/FontTable.h"


namespace {

constexpr int kFrameWidth = 712;
constexpr int kFrameHeight = 386;

// The frequency graph's level window and grid, and its lowest frequency.
constexpr float kResponseBottomDb = -110.0f;
constexpr float kResponseTopDb = -80.0f;
constexpr float kResponseStepDb = 6.0f;
constexpr float kResponseLowestHz = 20.0f;

// Value displays sit under their knob, 2 pixels wider on each side.
constexpr int kDisplayOverhang = 2;
constexpr int kDisplayHeight = 11;

bool hasSlot(int id)
{
    return id >= 0 && id < SDEditor::kParameterCount;
}

} // namespace

SDEditor::SDEditor(EditorEffect* effect) : AEffGUIEditor(effect)
{
    if (effect_)
        effect_->setEditor(this);
    background_ = new CBitmap(kBackgroundBitmap);
    rect_.top = 0;
    rect_.left = 0;
    rect_.bottom = static_cast<std::int16_t>(background_->getHeight());
    rect_.right = static_cast<std::int16_t>(background_->getWidth());
}

SDEditor::~SDEditor()
{
    // The effect closes an open editor before it goes; should a frame still
    // exist, it goes without telling the effect, which is being destroyed.
    mirror_.setAccepting(false);
    destroyFrame(detachViews());
    background_->forget();
}

bool SDEditor::open(void* parentWindow)
{
    if (!effect_)
        return true;
    if (frame_)
        close();
    AEffGUIEditor::open(parentWindow);
    copyButtonRequest_.store(-1);
    gesturesUnderWay_ = 0;

    // Changes from now on are noted; the controls below read every value
    // afresh, so nothing in between is lost.
    mirror_.clear();
    mirror_.setAccepting(true);

    CFrame* frame = new CFrame(CRect(0, 0, kFrameWidth, kFrameHeight), parentWindow, this);
    frame->setBackground(background_);
    frame->setBackgroundColor(kPanelColour);
    Graphs graphs;
    buildViews(frame, graphs);
    frame_ = frame;
    envelopeGraph_ = graphs.envelope;
    frequencyGraph_ = graphs.frequency;
    // The graphs take what the effect publishes from here on at each idle.
    seen_ = Seen{};
    effect_->setEditorOpen(true);
    effect_->runResponseAnalysis();
    takeSnapshots();
    placeCopyButton(!ir::isInLocalFolder(effect_->irDescription().path, effect_->dataFolder()));
    return true;
}

void SDEditor::takeSnapshots()
{
    if (frequencyGraph_) {
        const int rate = effect_->integerSampleRate();
        if (rate != seen_.sampleRate) {
            seen_.sampleRate = rate;
            frequencyGraph_->setSampleRate(rate);
            seen_.analyses = -1;
        }
        engine::ResponseAnalyser& analyser = effect_->responseAnalyser();
        const long analyses = analyser.analyses();
        if (analyses != seen_.analyses && analyser.ready()) {
            seen_.analyses = analyses;
            frequencyGraph_->buildCurve(analyser);
            frequencyGraph_->redraw();
        }
    }
    if (envelopeGraph_) {
        bool redraw = false;
        if (const ir::EnvelopeRecording* curves = effect_->envelopeCurves()) {
            if (curves->version() != seen_.curves) {
                seen_.curves = curves->replayInto(*envelopeGraph_);
                redraw = false;
            }
        }
        // The highlight and the shaped curve's shift by the pre-delay.
        const int indicator = effect_->rebuildIndicator();
        const float preDelay = effect_->getParameter(param::kPreDelay);
        if (indicator != seen_.indicator || preDelay != seen_.preDelay)
            redraw = true;
        seen_.indicator = indicator;
        seen_.preDelay = preDelay;
        if (redraw)
            envelopeGraph_->redraw();
    }
}

void SDEditor::buildViews(CFrame* frame, Graphs& graphs)
{
    for (const editor::ControlRecord* record = editor::kControlLayout; record->name != nullptr; ++record) {
        if (record->id == -1 || record->kind == editor::kControlNone)
            continue;
        CBitmap* bitmap = record->bitmapId > 0 ? new CBitmap(record->bitmapId) : nullptr;
        const int w = bitmap ? bitmap->getWidth() : 0;
        const int h = bitmap ? bitmap->getHeight() : 0;
        const int x = record->x;
        const int y = record->y;
        const int id = record->id;
        const float value = effect_->getParameter(id);

        CControl* control = nullptr;
        switch (record->kind) {
        case editor::kControlAnimKnob: {
            // Square frames stacked in a strip; an empty bitmap still gets a knob.
            const int frames = w > 0 && h >= w ? h / w : 1;
            const int frameHeight = h / frames;
            CAnimKnob* knob =
                new CAnimKnob(CRect(x, y, x + w, y + frameHeight), this, id, frames, frameHeight, bitmap, CPoint());
            knob->setValue(value);
            knob->setDefaultValue(static_cast<float>(param::normalisedDefault(id)));
            control = knob;
            break;
        }
        case editor::kControlOnOffButton:
            control = new COnOffButton(CRect(x, y, x + w, y + h / 2), this, id, bitmap, 0);
            break;
        case editor::kControlKickButton:
            control = new CKickButton(CRect(x, y, x + w, y + h / 2), this, id, h / 2, bitmap, CPoint());
            break;
        case editor::kControlFrequencyGraph: {
            CFRGRAP* graph =
                new CFRGRAP(CRect(x, y, x + w, y + h), bitmap, effect_, &effect_->responseAnalyser(), this);
            graph->setTag(-1);
            graph->setLevelRange(kResponseBottomDb, kResponseTopDb, kResponseStepDb);
            graph->setFrequencyRange(kResponseLowestHz, static_cast<float>(effect_->integerSampleRate()) * 0.5f);
            graphs.frequency = graph;
            frame->addView(graph);
            break;
        }
        case editor::kControlEnvelopeGraph: {
            CENVGRAP* graph = new CENVGRAP(CRect(x, y, x + w, y + h), bitmap, effect_, this);
            graph->setTag(-1);
            // The time axis reads at the default rate, whatever the host's rate.
            graph->setTimeAxis(effect::kDefaultSampleRate, kEnvelopeGraphRangeMs);
            graph->setActions(envelopeActions_);
            graphs.envelope = graph;
            frame->addView(graph);
            break;
        }
        default:
            break;
        }

        if (control && hasSlot(id)) {
            controls_[id] = control;
            control->setValue(value);
            frame->addView(control);
            if (record->valueDisplayShown)
                addValueDisplay(frame, id,
                                CRect(x + record->displayDx - kDisplayOverhang, y + record->displayDy,
                                      x + record->displayDx + w + kDisplayOverhang,
                                      y + record->displayDy + kDisplayHeight),
                                value);
        } else if (control) {
            control->forget();
        }
        // Each view keeps its own reference to its bitmap.
        if (bitmap)
            bitmap->forget();
    }
}

void SDEditor::addValueDisplay(CFrame* frame, int id, const CRect& rect, float normalised)
{
    const param::ParameterRecord& record = param::findControl(id);
    CParamDisplay* display = new CParamDisplay(rect, nullptr, 0);
    display->setHoriAlign(kCenterText);
    display->setFont(kNormalFontSmaller);
    display->setFontColor(kDisplayTextColour);
    display->setBackColor(kPanelColour);
    display->setFrameColor(kPanelColour);
    display->setValue(static_cast<float>(param::toRealValue(normalised, id)));
    display->setStringConvert(record.formatter);
    displays_[id] = display;
    frame->addView(display);
}

void SDEditor::close()
{
    if (!effect_)
        return;
    mirror_.setAccepting(false);
    mirror_.clear();
    effect_->setEditorOpen(false);
    destroyFrame(detachViews());
    AEffGUIEditor::close();
}

CFrame* SDEditor::detachViews()
{
    CFrame* frame = frame_;
    // Nothing that tests these may reach a view from here on.
    frame_ = nullptr;
    envelopeGraph_ = nullptr;
    frequencyGraph_ = nullptr;
    return frame;
}

void SDEditor::destroyFrame(CFrame* frame)
{
    if (!frame)
        return;
    // A hidden CopyToLocal button is off the frame, held by the editor alone.
    CControl* copyButton = controls_[param::kCopyToLocal];
    const bool copyButtonHidden = copyButton && !frame->isChild(copyButton);
    frame->forget();
    if (copyButtonHidden)
        copyButton->forget();
    for (int id = 0; id < kParameterCount; ++id) {
        controls_[id] = nullptr;
        displays_[id] = nullptr;
    }
}

void SDEditor::idle()
{
    if (frame_) {
        mirror_.take([this](int id, float value) { applyMirrored(id, value); });
        placeRequestedCopyButton();
        if (effect_) {
            effect_->clearRebuildIndicatorIfDue(platform::clock().tickCount());
            takeSnapshots();
        }
    }
    AEffGUIEditor::idle();
}

void SDEditor::setParameter(int index, float value)
{
    mirror_.post(index, value);
}

void SDEditor::applyMirrored(int id, float value)
{
    if (CControl* control = controls_[id])
        control->setValue(value);
    if (CParamDisplay* display = displays_[id])
        display->setValue(static_cast<float>(param::toRealValue(value, id)));
}

void SDEditor::valueChanged(CDrawContext*, CControl* control)
{
    if (!control || !effect_)
        return;
    const long tag = control->getTag();
    // Unsigned, so that the graphs' tag -1 is out of range too.
    if (static_cast<unsigned long>(tag) >= static_cast<unsigned long>(kParameterCount))
        return;
    effect_->setParameterAutomated(static_cast<vst::Int32>(tag), control->getValue());
    control->setDirty(true);
}

void SDEditor::showCopyButton(bool show)
{
    copyButtonRequest_.store(show ? 1 : 0);
}

void SDEditor::placeRequestedCopyButton()
{
    if (gesturesUnderWay_ > 0)
        return;
    const int request = copyButtonRequest_.exchange(-1);
    if (request >= 0)
        placeCopyButton(request != 0);
}

void SDEditor::beginEdit(long index)
{
    ++gesturesUnderWay_;
    AEffGUIEditor::beginEdit(index);
}

void SDEditor::endEdit(long index)
{
    if (gesturesUnderWay_ > 0)
        --gesturesUnderWay_;
    AEffGUIEditor::endEdit(index);
}

void SDEditor::placeCopyButton(bool show)
{
    if (!frame_)
        return;
    if (CControl* button = controls_[param::kCopyToLocal]) {
        if (frame_->isChild(button))
            frame_->removeView(button, false);
        if (show)
            frame_->addView(button);
    }
    frame_->draw();
}

void SDEditor::setEnvelopeGraphActions(EnvelopeGraphActions* actions)
{
    envelopeActions_ = actions;
    if (envelopeGraph_)
        envelopeGraph_->setActions(actions);
}

CControl* SDEditor::getControl(int id) const
{
    return hasSlot(id) && frame_ ? controls_[id] : nullptr;
}

CParamDisplay* SDEditor::getDisplay(int id) const
{
    return hasSlot(id) && frame_ ? displays_[id] : nullptr;
}
