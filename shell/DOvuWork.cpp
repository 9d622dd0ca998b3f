// The worker's side of parameter application: what a recorded change sets off
// beyond storing a value. Runs on the effect's worker thread, a pass at a time,
// with the newest value of every parameter marked since the last pass.
#include "shell/DOvu.h"

#include "editor/SDEditor.h"
#include "engine/ProcessingPath.h"
#include "engine/ResponseAnalyser.h"
#include "ir/EnvelopeSink.h"
#include "ir/IRData.h"
#include "ir/IRShaping.h"
#include "platform/Clock.h"

float DOvu::realValue(int id) const
{
    return static_cast<float>(param::toRealValue(values_[id].load(), id));
}

void DOvu::releaseUnused() { path_->convolution().releaseUnused(); }

void DOvu::runWork(const WorkItems& items)
{
    const bool rateChanged = items.has(WorkerTask::SampleRate);
    if (items.changed(param::kPreDelay))
        applyToPath(param::kPreDelay, realValue(param::kPreDelay));
    const bool analyse = applyFilterChanges(items) || rateChanged || items.has(WorkerTask::AnalyseResponse);
    if (analyse)
        analyser_->analyse(path_->highPass(), path_->lowPass(), path_->balanceFilter());

    // The IR and the graphs.
    std::lock_guard<std::recursive_mutex> lock(parameterMutex_);
    if (rateChanged) {
        ir_->setSampleRate(hostRate_.load());
        if (sdEditor_ && editorIsOpen())
            sdEditor_->setSampleRate(intSampleRate_.load());
    }
    if (rateChanged || items.has(WorkerTask::BuildKernel) || items.changedAny(param::kStrech, param::kDump))
        applyShaping();
    if (items.has(WorkerTask::ShowIRCurves))
        ir_->refreshEnvelopeCurves();
    // the shaped curve is drawn shifted by the pre-delay
    if (items.changed(param::kPreDelay) && editorIsOpen())
        if (ir::EnvelopeSink* graph = envelopeSink())
            graph->redraw();
    if (items.changed(param::kStInputs))
        highlightEnvelope();
    if (analyse && sdEditor_)
        sdEditor_->responseAnalysed();
}

bool DOvu::applyFilterChanges(const WorkItems& items)
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

void DOvu::applyShaping()
{
    ir::IRData::Shaping shaping;
    shaping.stretch = realValue(param::kStrech);
    shaping.decay = realValue(param::kDecay);
    shaping.gateMs = realValue(param::kGate);
    shaping.dump = realValue(param::kDump);
    // One rebuild for all four, and none when nothing the shape uses changed.
    ir_->setShaping(shaping);
}

void DOvu::highlightEnvelope()
{
    // A routing change is heard from the next block on: highlight the IR for the
    // duration of 49152 samples.
    ir::EnvelopeSink* graph = envelopeSink();
    if (!graph)
        return;
    ir_->setRebuildIndicator(ir::highlightDeadline(platform::clock().tickCount(), intSampleRate_.load()));
    graph->redraw();
}
