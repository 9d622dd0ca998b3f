#include "params/ParameterTable.h"

#include "params/EffectConstants.h"

#include <cmath>

namespace param {

namespace {

// The gate's top: 131072 samples at 44100 Hz, held as the nearest float. It is
// also the default, so the gate is off until the user turns it down.
constexpr double kGateMaximum = 2972.154296875;
static_assert(static_cast<float>(effect::kIRCapacityFrames * 1000.0 / effect::kDefaultSampleRate) == kGateMaximum,
              "the gate's top is the whole IR capacity at the default rate");

} // namespace

// Fields: id, name, formatter, default, minimum, maximum, curve.
const ParameterRecord kParameterTable[kParameterRecordCount] = {
    {kPlaceholder, "Dummy", nullptr, 0.0, 0.0, 1.0, Linear},
    {kCopyToLocal, "CopyToLocal", nullptr, 0.0, 0.0, 1.0, Linear},
    {kIRFileSelect, "IR_FileSelect", nullptr, 0.0, 0.0, 1.0, Linear},
    {kWebSearch, "WebSearch", nullptr, 0.0, 0.0, 1.0, Linear},
    {kReset, "Reset", nullptr, 0.0, 0.0, 1.0, Linear},
    {kBypassLocal, "Bypass (local)", nullptr, 1.0, 0.0, 1.0, Linear},
    {kStrech, "Strech", formatPercent, 1.0, 0.5, 2.0, Logarithmic},
    {kDecay, "Decay", formatDecay, 1.0, 0.01, 100.0, Logarithmic},
    {kGate, "Gate", formatGate, kGateMaximum, 100.0, kGateMaximum, Logarithmic},
    {kDump, "Dump", formatDump, 1.0, 0.0, 1.0, Linear},
    {kPreDelay, "PreDelay", formatTime, 0.0, 0.0, 200.0, LinearHalfStep},
    {kStWidth, "St.Width", formatWidth, 1.0, 0.0, 2.0, Linear},
    {kStBalance, "St.Balance", formatBalance, 0.0, -1.0, 1.0, Linear},
    {kStInputs, "St.Inputs", formatInputs, 0.5, -1.0, 1.0, Linear},
    {kHPF, "HPF", formatFrequency, 20.0, 20.0, 8000.0, Logarithmic},
    {kLPF, "LPF", formatFrequency, 20000.0, 200.0, 20000.0, Logarithmic},
    {kBAL, "BAL", formatTilt, 0.0, -12.0, 12.0, Linear},
    {kEnabledHPF, "Enabled_HPF", nullptr, 0.0, 0.0, 1.0, Linear},
    {kEnabledBAL, "Enabled_BAL", nullptr, 0.0, 0.0, 1.0, Linear},
    {kEnabledLPF, "Enabled_LPF", nullptr, 0.0, 0.0, 1.0, Linear},
    {kWetPlus12dB, "Wet+12dB", nullptr, 0.0, 0.0, 1.0, Linear},
    {kWetLevel, "WetLevel", formatLevel, 0.0, -30.0, 6.0, LinearHalfStep},
    {kDryLevel, "DryLevel", formatLevel, 0.0, -30.0, 6.0, LinearHalfStep},
};

const ParameterRecord& findControl(int id)
{
    if (id < 0 || id >= kParameterRecordCount)
        return kParameterTable[0];
    return kParameterTable[id];
}

namespace {

// Floors onto the 0.5 grid with a tolerance of 0.00001 below each grid point,
// rounding the magnitude so that the result is never -0.0.
double toHalfStep(double linear)
{
    const double v = linear - 0.24999;
    const double steps = std::trunc(2.0 * std::fabs(v) + 0.5);
    if (steps == 0.0)
        return 0.0;
    return std::copysign(steps * 0.5, v);
}

} // namespace

double toRealValue(double normalised, int id)
{
    const ParameterRecord& record = findControl(id);
    const double lo = record.minimum;
    const double hi = record.maximum;
    switch (record.curve) {
    case LinearHalfStep:
        return toHalfStep(lo + normalised * (hi - lo));
    case Logarithmic:
        return std::exp(std::log(lo) + normalised * (std::log(hi) - std::log(lo)));
    case Linear:
        break;
    }
    return lo + normalised * (hi - lo);
}

double toNormalisedValue(double real, int id)
{
    const ParameterRecord& record = findControl(id);
    const double lo = record.minimum;
    const double hi = record.maximum;
    if (record.curve == Logarithmic)
        return (std::log(real) - std::log(lo)) / (std::log(hi) - std::log(lo));
    return (real - lo) / (hi - lo);
}

namespace {

bool isNamelessId(int id)
{
    return id == kPlaceholder || id == kCopyToLocal || id == kReset;
}

} // namespace

const char* hostParameterName(int id)
{
    if (isNamelessId(id))
        return "";
    return findControl(id).name;
}

double normalisedDefault(int id)
{
    if (id < 0 || id >= kPathFirst || isNamelessId(id))
        return 0.0;
    return toNormalisedValue(findControl(id).defaultValue, id);
}

bool isAction(int id)
{
    return id == kCopyToLocal || id == kIRFileSelect || id == kWebSearch || id == kReset;
}

bool actionFires(float value)
{
    const double sum = static_cast<double>(value) + static_cast<double>(0.1f);
    return std::isfinite(sum) && static_cast<long long>(sum) == 1;
}

} // namespace param
