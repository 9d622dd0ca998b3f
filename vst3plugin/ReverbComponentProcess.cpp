// The process call: parameter changes applied at their frames, the audio
// processed in the pieces between them.
#include "vst3plugin/ReverbComponent.h"

#include "core/ExceptionBarrier.h"
#include "core/Reverb.h"
#include "vst3plugin/ChangeSchedule.h"
#include "vst3plugin/ParameterList.h"

using namespace vst3;

namespace vst3plugin {

namespace {

// The main bus's stereo pair, or false when the host gave none.
bool stereoPair(AudioBusBuffers* buses, int32 count, float** pair)
{
    if (count < 1 || !buses || buses[0].numChannels < 2 || !buses[0].channelBuffers32)
        return false;
    pair[0] = buses[0].channelBuffers32[0];
    pair[1] = buses[0].channelBuffers32[1];
    return pair[0] && pair[1];
}

} // namespace

void ReverbComponent::applyQueuedChange(ParamID id, ParamValue value)
{
    // Actions and program changes are the controller's (setParamNormalized):
    // they read files and open dialogs, which the audio thread must not.
    const ParameterKind kind = parameterKind(id);
    if (kind != ParameterKind::Bypass && kind != ParameterKind::Switch && kind != ParameterKind::Continuous)
        return;
    const int reverbId = static_cast<int>(id);
    const float reverbValue = toReverbValue(id, value);
    // A value the reverb already has changes nothing; skipping it spares the
    // worker a second design when the host hands back an edit the editor
    // applied itself.
    if (reverb_->getParameter(reverbId) == reverbValue)
        return;
    reverb_->setParameter(reverbId, reverbValue);
}

void ReverbComponent::processPiece(ProcessData& data, int from, int to, bool offline)
{
    float* in[2];
    float* out[2];
    if (to <= from || !stereoPair(data.inputs, data.numInputs, in) || !stereoPair(data.outputs, data.numOutputs, out))
        return;
    if (settleOnNextProcess_.exchange(false)) {
        // Once per activation, before the first frame: a project restored
        // after the activation sounds restored at once.
        reverb_->settlePendingWork();
    }
    // The reverb reads each piece of input before it writes that piece's
    // output, so the host may hand the same buffers for both.
    reverb_->process(in[0] + from, in[1] + from, out[0] + from, out[1] + from, to - from, offline);
}

tresult ReverbComponent::process(ProcessData& data)
{
    if (data.symbolicSampleSize != kSample32)
        return kResultFalse;
    const int frames = data.numSamples > 0 ? data.numSamples : 0;
    // Offline, every change is in force from its frame however fast the
    // worker is, as with a VST 2.4 host's offline process level.
    const bool offline = data.processMode == kOffline || processMode_ == kOffline;
    return core::guardedCall("process", kResultFalse, [&] {
        ChangeSchedule changes(data.inputParameterChanges, frames);
        int done = 0;
        int at = 0;
        while (changes.nextFrame(at)) {
            processPiece(data, done, at, offline);
            done = at;
            changes.takeAt(at, [this](ParamID id, ParamValue value) { applyQueuedChange(id, value); });
        }
        processPiece(data, done, frames, offline);
        if (data.numOutputs > 0 && data.outputs)
            data.outputs[0].silenceFlags = 0;
        return kResultOk;
    });
}

} // namespace vst3plugin
