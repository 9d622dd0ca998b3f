// What a parameter change does: actions, storage, mapping to real units and the
// per-id application to the engine, the IR and the editor.
#include "shell/DOvu.h"

#include "engine/ProcessingPath.h"
#include "engine/ResponseAnalyser.h"

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
    std::lock_guard<std::recursive_mutex> lock(parameterMutex_);
    if (isAction(index)) {
        if (!actionFires(value))
            return;
        switch (index) {
        case param::kReset:
            resetToDefaults();
            break;
        default:
            // copy to local, file selection and web search arrive with the file actions
            break;
        }
        return;
    }
    // A host may send anything; what is stored stays a normalised value.
    if (!std::isfinite(value))
        return;
    value = std::fmin(1.0f, std::fmax(0.0f, value));
    values_[index].store(value);
    programs_[curProgram_].values[index] = value;
    if (!applying_)
        return;
    applyParameter(index, static_cast<float>(param::toRealValue(value, index)));
    if (index >= param::kHPF && index <= param::kEnabledLPF)
        runResponseAnalysis();
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
    }
    runResponseAnalysis();
}

void DOvu::runResponseAnalysis()
{
    analyser_->analyse(path_->highPass(), path_->lowPass(), path_->balanceFilter());
}

void DOvu::applyPathCommit()
{
    // loading the IR named by the path parameters arrives with the IR pipeline
}
