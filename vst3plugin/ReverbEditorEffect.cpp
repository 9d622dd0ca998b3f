#include "vst3plugin/ReverbEditorEffect.h"

#include "core/Reverb.h"
#include "editor/SDEditor.h"
#include "vst3plugin/ReverbComponent.h"

namespace vst3plugin {

ReverbEditorEffect::ReverbEditorEffect(ReverbComponent& component) : component_(component)
{
    // The editor registers itself (setEditor); this deletes it.
    new SDEditor(this);
    editor_->setEnvelopeGraphActions(this);
}

ReverbEditorEffect::~ReverbEditorEffect()
{
    closeEditor();
    delete editor_;
}

void ReverbEditorEffect::closeEditor()
{
    if (editor_ && editor_->isOpen())
        editor_->close();
}

void ReverbEditorEffect::setEditor(AEffEditor* editor)
{
    editor_ = static_cast<SDEditor*>(editor);
}

void ReverbEditorEffect::parameterChanged(int id, float value)
{
    if (editor_)
        editor_->setParameter(id, value);
}

void ReverbEditorEffect::copyButtonChanged(bool show)
{
    if (editor_)
        editor_->showCopyButton(show);
}

float ReverbEditorEffect::getParameter(vst::Int32 index)
{
    return component_.reverb().getParameter(index);
}

void ReverbEditorEffect::setParameterAutomated(vst::Int32 index, float value)
{
    component_.editorEdit(index, value);
}

bool ReverbEditorEffect::beginEdit(vst::Int32 index)
{
    component_.editorBeginEdit(index);
    return true;
}

bool ReverbEditorEffect::endEdit(vst::Int32 index)
{
    component_.editorEndEdit(index);
    return true;
}

int ReverbEditorEffect::integerSampleRate() const { return component_.reverb().integerSampleRate(); }
void ReverbEditorEffect::setEditorOpen(bool open) { component_.reverb().setEditorOpen(open); }
ir::IRDescription ReverbEditorEffect::irDescription() { return component_.reverb().irDescription(); }
const char* ReverbEditorEffect::dataFolder() const { return component_.reverb().dataFolder(); }
int ReverbEditorEffect::rebuildIndicator() { return component_.reverb().rebuildIndicator(); }
const ir::EnvelopeRecording* ReverbEditorEffect::envelopeCurves() { return component_.reverb().envelopeCurves(); }
engine::ResponseAnalyser& ReverbEditorEffect::responseAnalyser() { return component_.reverb().responseAnalyser(); }
void ReverbEditorEffect::runResponseAnalysis() { component_.reverb().runResponseAnalysis(); }
const char* ReverbEditorEffect::editionMark() const { return component_.reverb().identity().editorMark; }
void ReverbEditorEffect::envelopeGraphClicked() { component_.reverb().envelopeGraphClicked(); }

bool ReverbEditorEffect::clearRebuildIndicatorIfDue(std::uint32_t now)
{
    return component_.reverb().clearRebuildIndicatorIfDue(now);
}

void ReverbEditorEffect::envelopeGraphDropped(const char* item, bool isFileName)
{
    component_.reverb().envelopeGraphDropped(item, isFileName);
}

} // namespace vst3plugin
