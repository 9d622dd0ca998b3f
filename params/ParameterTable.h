#pragma once
// The one static description of every host parameter: names, value texts,
// ranges and the curve that maps the host's normalised 0..1 onto real units.
#include "params/ValueFormatters.h"

#include <cstdint>

namespace param {

// Host parameter ids.
constexpr int kNumParams = 104;
constexpr int kPlaceholder = 0;
constexpr int kCopyToLocal = 1;
constexpr int kIRFileSelect = 2;
constexpr int kWebSearch = 3;
constexpr int kReset = 4;
constexpr int kBypassLocal = 5;
constexpr int kStrech = 6;
constexpr int kDecay = 7;
constexpr int kGate = 8;
constexpr int kDump = 9;
constexpr int kPreDelay = 10;
constexpr int kStWidth = 11;
constexpr int kStBalance = 12;
constexpr int kStInputs = 13;
constexpr int kHPF = 14;
constexpr int kLPF = 15;
constexpr int kBAL = 16;
constexpr int kEnabledHPF = 17;
constexpr int kEnabledBAL = 18;
constexpr int kEnabledLPF = 19;
constexpr int kWetPlus12dB = 20;
constexpr int kWetLevel = 21;
constexpr int kDryLevel = 22;
// The IR file path travels in these parameters, three bytes per value.
constexpr int kPathFirst = 23;
constexpr int kPathCount = 80;
// Setting this one decodes the path parameters and loads the file.
constexpr int kPathCommit = 103;
static_assert(kPathFirst + kPathCount == kPathCommit, "path commit follows the path values");
static_assert(kPathCommit + 1 == kNumParams, "path commit is the last parameter");

enum CurveKind : std::int32_t {
    Linear = 0,
    LinearHalfStep = 1,
    Logarithmic = 3,
};

// What a parameter is: its name, how its value reads, and how the host's
// normalised 0..1 maps onto real units. Where its control sits is the editor's
// business (editor/ControlLayout.h).
struct ParameterRecord {
    std::int32_t id;
    const char* name;            // reported to the host
    ValueFormatter formatter;    // display text; null for switches, actions and the placeholder
    double defaultValue;         // real units
    double minimum;              // real value at normalised 0
    double maximum;              // real value at normalised 1
    CurveKind curve;
};

// The placeholder ("Dummy") first, then ids 1 .. kDryLevel in order.
constexpr int kParameterRecordCount = kDryLevel + 1;
extern const ParameterRecord kParameterTable[kParameterRecordCount];

// The record of this id; the "Dummy" record when none has it (path ids, negative ids).
const ParameterRecord& findControl(int id);

double toRealValue(double normalised, int id);
double toNormalisedValue(double real, int id);

// Name reported to the host: the record's name, but empty for ids 0, 1 and 4;
// the path ids fall back to "Dummy".
const char* hostParameterName(int id);
// The host's name buffer is assumed to hold this many characters plus a terminator.
constexpr int kMaxHostParameterNameLength = 14;

// Ids 1..4: actions that fire on a press and are never stored.
bool isAction(int id);
// An action fires when the integer part of value + 0.1 is 1, that is for
// values from just above 0.9 to below 1.9 (an editor sends 1 then 0 per press).
bool actionFires(float value);

// Normalised default of every id: the record default mapped to 0..1,
// 0 for ids 0, 1, 4 and 23..103 (and for ids outside 0..103).
double normalisedDefault(int id);

} // namespace param
