// What a parameter change does on the calling thread: actions, storage, the
// levels and switches the audio thread reads directly, the mark for the worker
// (ReverbWork.cpp) and the note for the editor. Nothing here allocates, waits or
// locks, except the actions and the path commit, which read files.
#include "core/Reverb.h"

#include "engine/ProcessingPath.h"
#include "ir/FileActions.h"
#include "ir/IRData.h"
#include "params/PathParams.h"

#include <cmath>
#include <string>


namespace core {

void Reverb::setParameter(int index, float value)
{
    if (index < 0 || index >= param::kNumParams)
        return;
    if (param::isAction(index)) {
        if (param::actionFires(value))
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
    host_.parameterChanged(index, value);
}

void Reverb::storeValue(int id, float value)
{
    values_[id].store(value);
    programs_[curProgram_.load()].values[id].store(value);
}

namespace {

// Designs, a longer pre-delay store or a new kernel: what the worker applies.
bool appliedByWorker(int id)
{
    return (id >= param::kStrech && id <= param::kPreDelay) || (id >= param::kHPF && id <= param::kEnabledLPF);
}

} // namespace

void Reverb::recordChange(int id, float value)
{
    // The placeholder and the path values are only stored.
    if (id < param::kBypassLocal || id > param::kDryLevel)
        return;
    if (appliedByWorker(id)) {
        work_.requestParameter(id);
        return;
    }
    applyToPath(id, static_cast<float>(param::toRealValue(value, id)));
    // the worker highlights the IR on the graph
    if (id == param::kStInputs)
        work_.requestParameter(id);
}

void Reverb::applyToPath(int id, float r)
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

void Reverb::runAction(int id)
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

float Reverb::getParameter(int index) const
{
    if (index < 0 || index >= param::kNumParams || index == param::kCopyToLocal || index == param::kReset)
        return 0.0f;
    return values_[index].load();
}

void Reverb::resetToDefaults()
{
    for (int i = 0; i <= param::kDryLevel; ++i) {
        if (i == param::kReset)
            continue;
        const double real = param::findControl(i).defaultValue;
        const float normalised = static_cast<float>(param::toNormalisedValue(real, i));
        storeValue(i, normalised);
        recordChange(i, normalised);
        host_.parameterChanged(i, normalised);
    }
    // Also with every filter already at its default, the graph shows the chain.
    work_.requestTask(WorkerTask::AnalyseResponse);
}

void Reverb::applyPathCommit()
{
    float stored[param::kPathCount];
    {
        std::lock_guard<std::mutex> lock(pathMutex_);
        for (int k = 0; k < param::kPathCount; ++k)
            stored[k] = values_[param::kPathFirst + k].load();
    }
    char path[param::kPathTextCapacity];
    param::decodePathFromParams(stored, path);
    if (path[0] == '\0')
        return;
    // The file is read here; its kernel is built by the worker.
    const int loaded = ir_->loadIR(path);
    if (loaded != 0)
        host_.irLoadFailed(path, loaded == ir::kIRRefused ? ir_->lastError() : std::string());
}

void Reverb::storePathParams(const float* values80)
{
    // Current values only: the host reads them when it saves, and the programs
    // keep what they were given.
    std::lock_guard<std::mutex> lock(pathMutex_);
    for (int k = 0; k < param::kPathCount; ++k)
        values_[param::kPathFirst + k].store(values80[k]);
}

std::string Reverb::rememberedPath() const
{
    float stored[param::kPathCount];
    {
        std::lock_guard<std::mutex> lock(pathMutex_);
        for (int k = 0; k < param::kPathCount; ++k)
            stored[k] = values_[param::kPathFirst + k].load();
    }
    char path[param::kPathTextCapacity];
    param::decodePathFromParams(stored, path);
    return path;
}

void Reverb::restoreIRPath(const std::string& path)
{
    float values[param::kPathParamValues];
    if (param::encodePathToParams(path.c_str(), values)) {
        storePathParams(values);
        setParameter(param::kPathCommit, 0.0f);
        return;
    }
    // Too long to be remembered: refused with a word to the user.
    fileActions_->takeFile(path);
}

int Reverb::takeIRFile(const std::string& path)
{
    return fileActions_->takeFile(path, ir::FileActions::Report::EveryFailure);
}

} // namespace core
