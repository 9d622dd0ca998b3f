// What the IR file actions get from the effect: the path parameters, the
// editor's CopyToLocal button and the file selector; and the envelope graph's
// click and drop, which start them.
#include "shell/DOvu.h"

#include "editor/SDEditor.h"
#include "ir/FileActions.h"
#include "params/ParameterTable.h"
#include "toolkit/CFileSelector.h"

namespace {

// The file selector asks the host through the effect.
class EffectSelectorOwner final : public CFileSelectorOwner {
public:
    explicit EffectSelectorOwner(EditorEffect& effect) : effect_(effect) {}
    bool canHostDo(const char* text) override { return effect_.canHostDo(text); }
    bool openFileSelector(vst::VstFileSelect* select) override { return effect_.openFileSelector(select); }
    bool closeFileSelector(vst::VstFileSelect* select) override { return effect_.closeFileSelector(select); }

private:
    EditorEffect& effect_;
};

} // namespace

void DOvu::storePathParams(const float* values80)
{
    // Current values only: the host reads them when it saves, and the programs
    // keep what they were given.
    for (int k = 0; k < param::kPathCount; ++k)
        values_[param::kPathFirst + k].store(values80[k]);
}

void DOvu::showCopyButton(bool show)
{
    if (sdEditor_)
        sdEditor_->showCopyButton(show);
}

long DOvu::runFileSelector(vst::VstFileSelect& request)
{
    EffectSelectorOwner owner(*this);
    CFileSelector selector(&owner);
    return selector.run(&request);
}

void DOvu::envelopeGraphClicked()
{
    fileActions_->selectIRFile();
}

void DOvu::envelopeGraphDropped(const char* item, bool isFileName)
{
    if (item)
        fileActions_->dropItem(item, isFileName);
}
