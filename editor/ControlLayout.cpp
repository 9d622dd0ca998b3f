#include "editor/ControlLayout.h"

#include "params/ParameterTable.h"

namespace editor {

using namespace param;

// Fields: id, name, kind, bitmap, second bitmap, x, y, label shown, label dx, label dy,
// display shown, display dx, display dy, option text.
const ControlRecord kControlLayout[kControlRecordCount + 1] = {
    {0, "Dummy", kControlNone, -1, -1, 0, 0, false, 0, 0, false, 0, 0, nullptr},
    {0, "FFTGrap", kControlFrequencyGraph, 131, -1, 287, 205, false, 0, 0, false, 0, 0, nullptr},
    {0, "EnvGrap", kControlEnvelopeGraph, 132, -1, 32, 8, false, 0, 0, false, 0, 0, nullptr},
    {kIRFileSelect, "IR_FileSelect", kControlKickButton, 11033, -1, 600, 35, false, 0, 0, false, 0, 0, nullptr},
    {kCopyToLocal, "CopyToLocal", kControlKickButton, 11032, -1, 600, 55, false, 0, 0, false, 0, 0, nullptr},
    {kWebSearch, "WebSearch", kControlKickButton, 11034, -1, 600, 15, false, 0, 0, false, 0, 0, nullptr},
    {kReset, "Reset", kControlKickButton, 11007, -1, 627, 165, false, 0, 0, false, 0, 0, nullptr},
    {kBypassLocal, "Bypass (local)", kControlOnOffButton, 11006, -1, 605, 106, false, 0, 0, false, 0, 0, nullptr},
    {kStrech, "Strech", kControlAnimKnob, 11021, -1, 30, 210, false, 0, 0, true, 0, 56, nullptr},
    {kDecay, "Decay", kControlAnimKnob, 11021, -1, 90, 210, false, 0, 0, true, 0, 56, nullptr},
    {kGate, "Gate", kControlAnimKnob, 11021, -1, 210, 210, false, 0, 0, true, 0, 56, nullptr},
    {kDump, "Dump", kControlAnimKnob, 11021, -1, 150, 210, false, 0, 0, true, 0, 56, nullptr},
    {kPreDelay, "PreDelay", kControlAnimKnob, 11021, -1, 30, 295, false, 0, 0, true, 0, 56, nullptr},
    {kStInputs, "St.Inputs", kControlAnimKnob, 11021, -1, 90, 295, false, 0, 0, true, 0, 56, nullptr},
    {kStWidth, "St.Width", kControlAnimKnob, 11021, -1, 150, 295, false, 0, 0, true, 0, 56, nullptr},
    {kStBalance, "St.Balance", kControlAnimKnob, 11021, -1, 210, 295, false, 0, 0, true, 0, 56, nullptr},
    {kHPF, "HPF", kControlAnimKnob, 11020, -1, 300, 311, false, 0, 0, true, 0, 33, nullptr},
    {kLPF, "LPF", kControlAnimKnob, 11020, -1, 400, 311, false, 0, 0, true, 0, 33, nullptr},
    {kBAL, "BAL", kControlAnimKnob, 11020, -1, 350, 311, false, 0, 0, true, 0, 33, nullptr},
    {kEnabledHPF, "Enabled_HPF", kControlOnOffButton, 11012, -1, 296, 285, false, 0, 0, false, 0, 0, nullptr},
    {kEnabledLPF, "Enabled_LPF", kControlOnOffButton, 11014, -1, 396, 285, false, 0, 0, false, 0, 0, nullptr},
    {kEnabledBAL, "Enabled_BAL", kControlOnOffButton, 11010, -1, 346, 285, false, 0, 0, false, 0, 0, nullptr},
    {kWetPlus12dB, "Wet+12dB", kControlOnOffButton, 11015, -1, 636, 328, false, 0, 0, false, 0, 0, nullptr},
    {kDryLevel, "DryLevel", kControlAnimKnob, 11022, -1, 465, 270, false, 0, 0, true, 0, 81, nullptr},
    {kWetLevel, "WetLevel", kControlAnimKnob, 11022, -1, 555, 270, false, 0, 0, true, 0, 81, nullptr},
    {-1, nullptr, kControlNone, 0, 0, 0, 0, false, 0, 0, false, 0, 0, nullptr},
};

} // namespace editor
