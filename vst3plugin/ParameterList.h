#pragma once
// The reverb's parameters as a VST 3 host sees them. Their ids are the
// reverb's own (1..22): the four actions, the bypass, the IR shaping, stereo,
// filter and level settings, with the names, ranges and value texts of the
// parameter model; then one more, the program selector of the program list.
// The path values (23..103) stay inside: the component state carries the IR
// file's path instead.
//
// The bypass is the host's bypass switch (kIsBypass): on (1) bypasses. The
// reverb's own "Bypass (local)" is an on switch that processes only at 1, so
// the host's value is its inverse: host 0 sets 1, host 1 (anything from 0.5
// up, the switch's upper step) sets 0.
#include "vst3/EditController.h"
#include "vst3/Units.h"

#include <string>

namespace vst3plugin {

enum class ParameterKind {
    Action,      // a press (off to on) runs it: CopyToLocal, IR_FileSelect, WebSearch, Reset
    Bypass,      // the host's bypass, the inverse of the reverb's on switch
    Switch,      // the filter switches and Wet+12dB: off or on
    Continuous,  // knobs, in real units through the model's curves
    Program,     // chooses among the programs
    None,        // not a parameter of ours
};

inline constexpr vst3::ParamID kProgramParameterId = 1000;
inline constexpr vst3::ProgramListID kProgramListId = 1;

int parameterCount();
// The id at a position of the list, in id order with the program last.
vst3::ParamID parameterIdAt(int index);
ParameterKind parameterKind(vst3::ParamID id);
// Title, steps, default and flags; false for an index outside the list.
bool describeParameter(int index, vst3::ParameterInfo& info, int programCount);

// Between the host's normalised value and the reverb's (the bypass inverted;
// switches and actions take the host's steps: on from 0.5).
float toReverbValue(vst3::ParamID id, double hostValue);
double toHostValue(vst3::ParamID id, float reverbValue);

// Real units: a knob's value, 0 or 1 for a switch, an action and the bypass.
double toPlainValue(vst3::ParamID id, double hostValue);
double fromPlainValue(vst3::ParamID id, double plainValue);

// The value's text as the editor shows it ("On"/"Off" for switches); false
// for the program selector (its texts are program names) and unknown ids.
bool valueText(vst3::ParamID id, double hostValue, std::string& text);
// Such a text (or one typed by a user) read back; false when it names no value.
bool valueFromText(vst3::ParamID id, const std::string& text, double& hostValue);

} // namespace vst3plugin
