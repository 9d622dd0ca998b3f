// What a parameter change does on the calling thread: actions, storage, the
// levels and switches the audio thread reads directly, the mark for the worker
// (DOvuWork.cpp) and the note for the editor. Nothing here allocates, waits or
// locks, except the actions and the path commit, which read files.
#include "shell/DOvu.h"

#include "editor/SDEditor.h"
#include "engine/ProcessingPath.h"
#include "ir/FileActions.h"
#include "ir/IRData.h"
#include "ir/LoadFailureMessage.h"
#include "params/PathParams.h"

#include <cmath>
#include <string>

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
    // A host may send anything; what is stored stays a normalised value.
    if (!std::isfinite(value))
        return;
    value = std::fmin(1.0f, std::fmax(0.0f, value));
    storeValue(index, value);
    if (!applying_)
        return;
    if (index == param::kPathCommit)
        applyPathCommit();
    else
        recordChange(index, value);
    if (sdEditor_)
        sdEditor_->setParameter(index, value);
}

void DOvu::storeValue(int id, float value)
{
    values_[id].store(value);
    programs_[curProgram_].values[id].store(value);
}

namespace {

// Designs, a longer pre-delay store or a new kernel: what the worker applies.
bool appliedByWorker(int id)
{
    return (id >= param::kStrech && id <= param::kPreDelay) || (id >= param::kHPF && id <= param::kEnabledLPF);
}

} // namespace

void DOvu::recordChange(int id, float value)
{
    // The placeholder and the path values are only stored.
    if (id < param::kBypassLocal || id > param::kDryLevel)
        return;
    if (appliedByWorker(id)) {
        worker_.requestParameter(id);
        return;
    }
    applyToPath(id, static_cast<float>(param::toRealValue(value, id)));
    // the worker highlights the IR on the graph
    if (id == param::kStInputs)
        worker_.requestParameter(id);
}

void DOvu::applyToPath(int id, float r)
{
    engine::ProcessingPath& path = *path_;
    switch (id) {
    case param::kBypassLocal:
        path.setActive(r);
        break;
    case param::kPreDelay:
        path.setPreDelay(r);
        break;
    case param::kStWidth:
        path.setWidth(r);
        break;
    case param::kStBalance:
        path.setBalance(r);
        break;
    case param::kStInputs:
        path.setInputRouting(r);
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
    default:
        break; // the shaping settings belong to the IR
    }
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

void DOvu::resetToDefaults()
{
    for (int i = 0; i <= param::kDryLevel; ++i) {
        if (i == param::kReset)
            continue;
        const double real = param::findControl(i).defaultValue;
        const float normalised = static_cast<float>(param::toNormalisedValue(real, i));
        storeValue(i, normalised);
        recordChange(i, normalised);
        if (sdEditor_)
            sdEditor_->setParameter(i, normalised);
    }
    // Also with every filter already at its default, the graph shows the chain.
    worker_.requestTask(WorkerTask::AnalyseResponse);
}

void DOvu::runResponseAnalysis()
{
    worker_.requestTask(WorkerTask::AnalyseResponse);
}

void DOvu::refreshIRCurves()
{
    worker_.requestTask(WorkerTask::ShowIRCurves);
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
    int loaded = 0;
    std::string reason;
    {
        // The file is read here; its kernel is built by the worker.
        std::lock_guard<std::recursive_mutex> lock(parameterMutex_);
        loaded = ir_->loadIR(path);
        if (loaded == ir::kIRRefused)
            reason = ir_->errorText();
    }
    // Shown without the lock, so that nothing waits for the user.
    if (loaded != 0)
        ir::showLoadFailure(path, loaded == ir::kIRRefused ? reason.c_str() : nullptr);
}
