#include "shell/param/ParameterTable.h"

#include <cmath>

namespace param {

namespace {

// The gate's top: 131072 samples at 44100 Hz, held as the nearest float. It is
// also the default, so the gate is off until the user turns it down.
constexpr double kGateMaximum = 2972.154296875;

} // namespace

// Fields: id, name, kind, bitmap, second bitmap, x, y, label shown, label dx, label dy,
// display shown, display dx, display dy, formatter, default, minimum, maximum, curve, option text.
const ControlRecord kControlTable[kControlRecordCount + 1] = {
    {0, "Dummy", kControlNone, -1, -1, 0, 0, false, 0, 0, false, 0, 0, nullptr, 0.0, 0.0, 1.0, Linear, nullptr},
    {0, "FFTGrap", kControlFrequencyGraph, 131, -1, 287, 205, false, 0, 0, false, 0, 0, nullptr, 0.0, 0.0, 1.0, Linear, nullptr},
    {0, "EnvGrap", kControlEnvelopeGraph, 132, -1, 32, 8, false, 0, 0, false, 0, 0, nullptr, 0.0, 0.0, 1.0, Linear, nullptr},
    {kIRFileSelect, "IR_FileSelect", kControlKickButton, 11033, -1, 600, 35, false, 0, 0, false, 0, 0, nullptr, 0.0, 0.0, 1.0, Linear, nullptr},
    {kCopyToLocal, "CopyToLocal", kControlKickButton, 11032, -1, 600, 55, false, 0, 0, false, 0, 0, nullptr, 0.0, 0.0, 1.0, Linear, nullptr},
    {kWebSearch, "WebSearch", kControlKickButton, 11034, -1, 600, 15, false, 0, 0, false, 0, 0, nullptr, 0.0, 0.0, 1.0, Linear, nullptr},
    {kReset, "Reset", kControlKickButton, 11007, -1, 627, 165, false, 0, 0, false, 0, 0, nullptr, 0.0, 0.0, 1.0, Linear, nullptr},
    {kBypassLocal, "Bypass (local)", kControlOnOffButton, 11006, -1, 605, 106, false, 0, 0, false, 0, 0, nullptr, 1.0, 0.0, 1.0, Linear, nullptr},
    {kStrech, "Strech", kControlAnimKnob, 11021, -1, 30, 210, false, 0, 0, true, 0, 56, formatPercent, 1.0, 0.5, 2.0, Logarithmic, nullptr},
    {kDecay, "Decay", kControlAnimKnob, 11021, -1, 90, 210, false, 0, 0, true, 0, 56, formatDecay, 1.0, 0.01, 100.0, Logarithmic, nullptr},
    {kGate, "Gate", kControlAnimKnob, 11021, -1, 210, 210, false, 0, 0, true, 0, 56, formatGate, kGateMaximum, 100.0, kGateMaximum, Logarithmic, nullptr},
    {kDump, "Dump", kControlAnimKnob, 11021, -1, 150, 210, false, 0, 0, true, 0, 56, formatDump, 1.0, 0.0, 1.0, Linear, nullptr},
    {kPreDelay, "PreDelay", kControlAnimKnob, 11021, -1, 30, 295, false, 0, 0, true, 0, 56, formatTime, 0.0, 0.0, 200.0, LinearHalfStep, nullptr},
    {kStInputs, "St.Inputs", kControlAnimKnob, 11021, -1, 90, 295, false, 0, 0, true, 0, 56, formatInputs, 0.5, -1.0, 1.0, Linear, nullptr},
    {kStWidth, "St.Width", kControlAnimKnob, 11021, -1, 150, 295, false, 0, 0, true, 0, 56, formatWidth, 1.0, 0.0, 2.0, Linear, nullptr},
    {kStBalance, "St.Balance", kControlAnimKnob, 11021, -1, 210, 295, false, 0, 0, true, 0, 56, formatBalance, 0.0, -1.0, 1.0, Linear, nullptr},
    {kHPF, "HPF", kControlAnimKnob, 11020, -1, 300, 311, false, 0, 0, true, 0, 33, formatFrequency, 20.0, 20.0, 8000.0, Logarithmic, nullptr},
    {kLPF, "LPF", kControlAnimKnob, 11020, -1, 400, 311, false, 0, 0, true, 0, 33, formatFrequency, 20000.0, 200.0, 20000.0, Logarithmic, nullptr},
    {kBAL, "BAL", kControlAnimKnob, 11020, -1, 350, 311, false, 0, 0, true, 0, 33, formatTilt, 0.0, -12.0, 12.0, Linear, nullptr},
    {kEnabledHPF, "Enabled_HPF", kControlOnOffButton, 11012, -1, 296, 285, false, 0, 0, false, 0, 0, nullptr, 0.0, 0.0, 1.0, Linear, nullptr},
    {kEnabledLPF, "Enabled_LPF", kControlOnOffButton, 11014, -1, 396, 285, false, 0, 0, false, 0, 0, nullptr, 0.0, 0.0, 1.0, Linear, nullptr},
    {kEnabledBAL, "Enabled_BAL", kControlOnOffButton, 11010, -1, 346, 285, false, 0, 0, false, 0, 0, nullptr, 0.0, 0.0, 1.0, Linear, nullptr},
    {kWetPlus12dB, "Wet+12dB", kControlOnOffButton, 11015, -1, 636, 328, false, 0, 0, false, 0, 0, nullptr, 0.0, 0.0, 1.0, Linear, nullptr},
    {kDryLevel, "DryLevel", kControlAnimKnob, 11022, -1, 465, 270, false, 0, 0, true, 0, 81, formatLevel, 0.0, -30.0, 6.0, LinearHalfStep, nullptr},
    {kWetLevel, "WetLevel", kControlAnimKnob, 11022, -1, 555, 270, false, 0, 0, true, 0, 81, formatLevel, 0.0, -30.0, 6.0, LinearHalfStep, nullptr},
    {-1, nullptr, kControlNone, 0, 0, 0, 0, false, 0, 0, false, 0, 0, nullptr, 0.0, 0.0, 0.0, Linear, nullptr},
};

const ControlRecord& findControl(int id)
{
    for (const ControlRecord* record = kControlTable; record->name != nullptr; ++record) {
        if (record->id == id)
            return *record;
    }
    return kControlTable[0];
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
    const ControlRecord& record = findControl(id);
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
    const ControlRecord& record = findControl(id);
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

} // namespace param
