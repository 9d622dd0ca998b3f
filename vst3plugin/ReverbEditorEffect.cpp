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

core::Reverb& ReverbEditorEffect::shownModel() const { return component_.reverb(); }
const char* ReverbEditorEffect::editionMark() const { return component_.reverb().identity().editorMark; }

} // namespace vst3plugin
