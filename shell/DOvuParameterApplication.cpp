// What a parameter change does: actions, storage, mapping to real units and the
// per-id application to the engine, the IR and the editor.
#include "shell/DOvu.h"

#include "editor/SDEditor.h"
#include "engine/ProcessingPath.h"
#include "engine/ResponseAnalyser.h"
#include "ir/EnvelopeSink.h"
#include "ir/FileActions.h"
#include "ir/IRData.h"
#include "ir/IRShaping.h"
#include "ir/LoadFailureMessage.h"
#include "params/PathParams.h"
#include "platform/Clock.h"

#include <cmath>

namespace {

// Kick actions fire on a press: the integer part of value + 0.1 is 1, that is for
// values from just above 0.9 to below 1.9. The editor sends 1 then 0 per press.
bool actionFires(float value)
{
    const double sum = static_cast<double>(value) + static_cast<double>(0.1f);
    return std::isfinite(sum) && static_cast<long long>(sum) == 1;
}

bool isAction(int id)
{
    return id == param::kCopyToLocal || id == param::kIRFileSelect || id == param::kWebSearch ||
           id == param::kReset;
}

} // namespace

void DOvu::setParameter(vst::Int32 index, float value)
{
    if (index < 0 || index >= param::kNumParams)
        return;
    if (isAction(index)) {
        if (actionFires(value))
            runAction(index);
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(parameterMutex_);
    // A host may send anything; what is stored stays a normalised value.
    if (!std::isfinite(value))
        return;
    value = std::fmin(1.0f, std::fmax(0.0f, value));
    values_[index].store(value);
    programs_[curProgram_].values[index] = value;
    if (!applying_)
        return;
    applyParameter(index, static_cast<float>(param::toRealValue(value, index)));
    if (sdEditor_)
        sdEditor_->setParameter(index, value);
    if (index >= param::kHPF && index <= param::kEnabledLPF)
        runResponseAnalysis();
}

void DOvu::runAction(int id)
{
    switch (id) {
    case param::kReset:
        resetToDefaults();
        break;
    case param::kCopyToLocal:
        fileActions_->copyToLocal(fileActions_->currentIRPath());
        break;
    case param::kIRFileSelect:
        fileActions_->selectIRFile();
        break;
    case param::kWebSearch:
        fileActions_->webSearch();
        break;
    default:
        break;
    }
}

float DOvu::getParameter(vst::Int32 index)
{
    if (index < 0 || index >= param::kNumParams || index == param::kCopyToLocal || index == param::kReset)
        return 0.0f;
    return values_[index].load();
}

void DOvu::applyParameter(int id, float r)
{
    engine::ProcessingPath& path = *path_;
    switch (id) {
    case param::kBypassLocal:
        path.setActive(r);
        break;
    case param::kStrech:
        ir_->setStretch(r);
        break;
    case param::kDecay:
        ir_->setDecay(r);
        break;
    case param::kGate:
        ir_->setGate(r);
        break;
    case param::kDump:
        ir_->setDump(r);
        break;
    case param::kPreDelay:
        path.setPreDelay(r);
        // the shaped curve is drawn shifted by the pre-delay
        if (editorIsOpen())
            if (ir::EnvelopeSink* graph = envelopeSink())
                graph->redraw();
        break;
    case param::kStWidth:
        path.setWidth(r);
        break;
    case param::kStBalance:
        path.setBalance(r);
        break;
    case param::kStInputs:
        path.setInputRouting(r);
        highlightEnvelope();
        break;
    case param::kHPF:
        path.setHighPassFrequency(r);
        break;
    case param::kLPF:
        path.setLowPassFrequency(r);
        break;
    case param::kBAL:
        path.setBalanceTilt(r);
        break;
    case param::kEnabledHPF:
        path.setHighPassEnabled(r);
        break;
    case param::kEnabledBAL:
        path.setBalanceEnabled(r);
        break;
    case param::kEnabledLPF:
        path.setLowPassEnabled(r);
        break;
    case param::kWetPlus12dB:
        path.setWetBoost(r);
        break;
    case param::kWetLevel:
        path.setWetLevel(r);
        break;
    case param::kDryLevel:
        path.setDryLevel(r);
        break;
    case param::kPathCommit:
        applyPathCommit();
        break;
    default:
        break; // placeholder and path values are only stored
    }
}

void DOvu::resetToDefaults()
{
    std::lock_guard<std::recursive_mutex> lock(parameterMutex_);
    for (int i = 0; i <= param::kDryLevel; ++i) {
        if (i == param::kReset)
            continue;
        const double real = param::findControl(i).defaultValue;
        const float normalised = static_cast<float>(param::toNormalisedValue(real, i));
        values_[i].store(normalised);
        programs_[curProgram_].values[i] = normalised;
        applyParameter(i, static_cast<float>(real));
        if (sdEditor_)
            sdEditor_->setParameter(i, normalised);
    }
    runResponseAnalysis();
}

void DOvu::runResponseAnalysis()
{
    analyser_->analyse(path_->highPass(), path_->lowPass(), path_->balanceFilter());
    if (sdEditor_)
        sdEditor_->responseAnalysed();
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

void DOvu::applyPathCommit()
{
    float stored[param::kPathCount];
    for (int k = 0; k < param::kPathCount; ++k)
        stored[k] = values_[param::kPathFirst + k].load();
    char path[param::kPathTextCapacity];
    param::decodePathFromParams(stored, path);
    if (path[0] == '\0')
        return;
    const int loaded = ir_->loadIR(path);
    if (loaded != 0)
        ir::showLoadFailure(path, loaded == ir::kIRRefused ? ir_->errorText() : nullptr);
}
