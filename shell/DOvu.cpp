#include "shell/DOvu.h"

#include "editor/SDEditor.h"
#include "ir/FileActions.h"
#include "ir/LoadFailureMessage.h"
#include "params/EffectConstants.h"
#include "params/EffectIdentity.h"
#include "platform/Dialogs.h"
#include "platform/ModulePath.h"
#include "shell/CFileSelector.h"

#include <cstring>

namespace {

void copyText(char* to, std::size_t capacity, const std::string& from)
{
    const std::size_t n = std::min(from.size(), capacity - 1);
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

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

DOvu::DOvu(vst::HostCallback hostCallback, engine::Edition edition)
    : AudioEffectX(hostCallback, kNumPrograms, param::kNumParams)
{
    // The editor registers itself with the base part, which deletes it; it
    // exists before the reverb, which shows it its defaults.
    sdEditor_ = new SDEditor(this);
    sdEditor_->setEnvelopeGraphActions(this);
    const std::string module = platform::modulePath();
    reverb_ = std::make_unique<core::Reverb>(static_cast<core::ReverbHost&>(*this),
                                             platform::ModuleLocation::ofLoadedModule(module.c_str()), edition);
    setNumInputs(2);
    setNumOutputs(2);
    const char* id = reverb_->identity().uniqueId;
    setUniqueID(vst::fourCharCode(id[0], id[1], id[2], id[3]));
    setInitialDelay(reverb_->latencyFrames());
}

DOvu::~DOvu()
{
    // An editor still open is closed while the reverb is whole; the base
    // part deletes it after the reverb is gone.
    if (sdEditor_ && sdEditor_->isOpen())
        sdEditor_->close();
    reverb_.reset();
}

void DOvu::resume()
{
    reverb_->resume();
}

vst::Int32 DOvu::startProcess()
{
    reverb_->settlePendingWork();
    return 0;
}

void DOvu::setSampleRate(float sampleRate)
{
    AudioEffectX::setSampleRate(sampleRate);
    reverb_->setSampleRate(sampleRate);
}

void DOvu::processReplacing(float** inputs, float** outputs, vst::Int32 sampleFrames)
{
    if (sampleFrames <= 0 || !inputs || !outputs || !inputs[0] || !inputs[1] || !outputs[0] || !outputs[1])
        return;
    // The host is asked only while work is pending, which is rare.
    const bool offline = reverb_->workPending() && hostRendersOffline();
    reverb_->process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames, offline);
}

bool DOvu::hostRendersOffline()
{
    return callHost(vst::audioMasterGetCurrentProcessLevel) == vst::kVstProcessLevelOffline;
}

void DOvu::setParameter(vst::Int32 index, float value)
{
    reverb_->setParameter(index, value);
}

float DOvu::getParameter(vst::Int32 index)
{
    return reverb_->getParameter(index);
}

void DOvu::setProgram(vst::Int32 program)
{
    if (program < 0 || program >= kNumPrograms)
        return;
    curProgram_ = program;
    reverb_->setProgram(program);
}

void DOvu::setProgramName(char* name)
{
    reverb_->setProgramName(name);
}

void DOvu::getProgramName(char* name)
{
    copyText(name, vst::kMaxProgNameLen, reverb_->programDisplayName());
}

bool DOvu::getProgramNameIndexed(vst::Int32, vst::Int32 index, char* text)
{
    if (index < 0 || index >= kNumPrograms)
        return false;
    copyText(text, vst::kMaxProgNameLen, reverb_->programName(index));
    return true;
}

void DOvu::getParameterName(vst::Int32 index, char* text)
{
    std::strcpy(text, param::hostParameterName(index));
}

bool DOvu::getEffectName(char* name)
{
    std::strcpy(name, reverb_->identity().effectName);
    return true;
}

bool DOvu::getVendorString(char* text)
{
    std::strcpy(text, effect::kVendorString);
    return true;
}

bool DOvu::getProductString(char* text)
{
    std::strcpy(text, reverb_->identity().productString);
    return true;
}

void DOvu::irLoadFailed(const std::string& path, const std::string& reason)
{
    // On the host's thread that restored the path or the editor's that chose
    // the file: both may wait for the user.
    ir::showLoadFailure(path.c_str(), reason.empty() ? nullptr : reason.c_str());
}

void DOvu::tellUser(const std::string& caption, const std::string& text)
{
    platform::dialogs().messageBox(caption, text);
}

void DOvu::parameterChanged(int id, float value)
{
    if (sdEditor_)
        sdEditor_->setParameter(id, value);
}

void DOvu::copyButtonChanged(bool show)
{
    if (sdEditor_)
        sdEditor_->showCopyButton(show);
}

bool DOvu::chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath)
{
    EffectSelectorOwner owner(*this);
    CFileSelector selector(&owner);
    return selector.choose(request, chosenPath, static_cast<int>(ir::kIRPathSize));
}
