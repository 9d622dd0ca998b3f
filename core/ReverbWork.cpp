// The worker's side of parameter application: what a recorded change sets off
// beyond storing a value. Runs on the effect's worker thread, a pass at a time,
// with the newest value of every parameter marked since the last pass.
#include "core/Reverb.h"

#include "engine/ProcessingPath.h"
#include "engine/ResponseAnalyser.h"
#include "ir/EnvelopeSink.h"
#include "ir/IRData.h"
#include "ir/IRShaping.h"
#include "platform/Clock.h"

namespace core {

float Reverb::realValue(int id) const
{
    return static_cast<float>(param::toRealValue(values_[id].load(), id));
}

void Reverb::releaseUnused() { path_->convolution().releaseUnused(); }

void Reverb::runWork(const WorkItems& items)
{
    const bool rateChanged = items.has(WorkerTask::SampleRate);
    if (items.changed(param::kPreDelay))
        applyToPath(param::kPreDelay, realValue(param::kPreDelay));
    const bool analyse = applyFilterChanges(items) || rateChanged || items.has(WorkerTask::AnalyseResponse);
    if (analyse)
        analyser_->analyse(path_->highPass(), path_->lowPass(), path_->balanceFilter());

    // The IR and the curves an open editor takes.
    if (rateChanged)
        ir_->setSampleRate(hostRate_.load());
    if (rateChanged || items.has(WorkerTask::BuildKernel) || items.changedAny(param::kStrech, param::kDump))
        applyShaping();
    if (items.has(WorkerTask::ShowIRCurves))
        ir_->refreshEnvelopeCurves();
    if (items.changed(param::kStInputs))
        highlightEnvelope();
    // An editor that closed meanwhile leaves no curves behind.
    if (!editorIsOpen())
        curves_.clear();
}

bool Reverb::applyFilterChanges(const WorkItems& items)
{
    bool changed = false;
    for (int id = param::kHPF; id <= param::kEnabledLPF; ++id) {
        if (items.changed(id)) {
            applyToPath(id, realValue(id));
            changed = true;
        }
    }
    return changed;
}

void Reverb::applyShaping()
{
    ir::IRData::Shaping shaping;
    shaping.stretch = realValue(param::kStrech);
    shaping.decay = realValue(param::kDecay);
    shaping.gateMs = realValue(param::kGate);
    shaping.dump = realValue(param::kDump);
    // One rebuild for all four, and none when nothing the shape uses changed.
    ir_->setShaping(shaping);
}

void Reverb::highlightEnvelope()
{
    // A routing change is heard from the next block on: an open editor
    // highlights the IR for the duration of 49152 samples.
    if (!editorIsOpen())
        return;
    ir_->setRebuildIndicator(ir::highlightDeadline(platform::clock().tickCount(), intSampleRate_.load()));
}

} // namespace core
