#include "vst3plugin/ParameterList.h"

#include "params/ParameterTable.h"
#include "params/ValueParsers.h"
#include "vst3plugin/Utf16Text.h"

#include <algorithm>
#include <cctype>
#include <cmath>

using namespace vst3;

namespace vst3plugin {

namespace {

constexpr int kFirstId = param::kCopyToLocal;
constexpr int kLastId = param::kDryLevel;
constexpr int kListedReverbIds = kLastId - kFirstId + 1;

bool isSwitchId(ParamID id)
{
    return id == param::kEnabledHPF || id == param::kEnabledBAL || id == param::kEnabledLPF ||
           id == param::kWetPlus12dB;
}

bool isOn(double hostValue)
{
    return hostValue >= 0.5;
}

std::string lowered(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

int parameterCount()
{
    return kListedReverbIds + 1;
}

ParamID parameterIdAt(int index)
{
    if (index < 0 || index >= parameterCount())
        return static_cast<ParamID>(-1);
    return index < kListedReverbIds ? static_cast<ParamID>(kFirstId + index) : kProgramParameterId;
}

ParameterKind parameterKind(ParamID id)
{
    if (id == kProgramParameterId)
        return ParameterKind::Program;
    if (id < static_cast<ParamID>(kFirstId) || id > static_cast<ParamID>(kLastId))
        return ParameterKind::None;
    if (param::isAction(static_cast<int>(id)))
        return ParameterKind::Action;
    if (id == param::kBypassLocal)
        return ParameterKind::Bypass;
    return isSwitchId(id) ? ParameterKind::Switch : ParameterKind::Continuous;
}

bool describeParameter(int index, ParameterInfo& info, int programCount)
{
    const ParamID id = parameterIdAt(index);
    const ParameterKind kind = parameterKind(id);
    if (kind == ParameterKind::None)
        return false;
    info = ParameterInfo{};
    info.id = id;
    info.unitId = kRootUnitId;
    info.flags = ParameterInfo::kCanAutomate;
    std::string title;
    switch (kind) {
    case ParameterKind::Program:
        title = "Program";
        info.stepCount = std::max(0, programCount - 1);
        info.flags = ParameterInfo::kCanAutomate | ParameterInfo::kIsProgramChange | ParameterInfo::kIsList;
        break;
    case ParameterKind::Bypass:
        title = "Bypass";
        info.stepCount = 1;
        info.flags |= ParameterInfo::kIsBypass;
        break;
    case ParameterKind::Action:
    case ParameterKind::Switch:
        title = param::findControl(static_cast<int>(id)).name;
        info.stepCount = 1;
        break;
    default:
        title = param::findControl(static_cast<int>(id)).name;
        break;
    }
    copyUtf16(title, info.title, 128);
    copyUtf16(title, info.shortTitle, 128);
    // A new instance's values (the bypass's: processing); the first program.
    if (kind != ParameterKind::Program)
        info.defaultNormalizedValue =
            toHostValue(id, static_cast<float>(param::normalisedDefault(static_cast<int>(id))));
    return true;
}

float toReverbValue(ParamID id, double hostValue)
{
    switch (parameterKind(id)) {
    case ParameterKind::Bypass:
        return isOn(hostValue) ? 0.0f : 1.0f;
    case ParameterKind::Switch:
    case ParameterKind::Action:
        return isOn(hostValue) ? 1.0f : 0.0f;
    default:
        return static_cast<float>(std::clamp(hostValue, 0.0, 1.0));
    }
}

double toHostValue(ParamID id, float reverbValue)
{
    switch (parameterKind(id)) {
    case ParameterKind::Bypass:
        // Only the value 1 processes.
        return reverbValue >= 1.0f ? 0.0 : 1.0;
    case ParameterKind::Switch:
        return reverbValue != 0.0f ? 1.0 : 0.0;
    default:
        return reverbValue;
    }
}

double toPlainValue(ParamID id, double hostValue)
{
    switch (parameterKind(id)) {
    case ParameterKind::Continuous:
        return param::toRealValue(std::clamp(hostValue, 0.0, 1.0), static_cast<int>(id));
    case ParameterKind::Program:
        return hostValue;  // the component scales by its program count
    case ParameterKind::None:
        return hostValue;
    default:
        return isOn(hostValue) ? 1.0 : 0.0;
    }
}

double fromPlainValue(ParamID id, double plainValue)
{
    switch (parameterKind(id)) {
    case ParameterKind::Continuous: {
        const param::ParameterRecord& record = param::findControl(static_cast<int>(id));
        const double real = std::clamp(plainValue, record.minimum, record.maximum);
        return std::clamp(param::toNormalisedValue(real, static_cast<int>(id)), 0.0, 1.0);
    }
    case ParameterKind::Program:
    case ParameterKind::None:
        return plainValue;
    default:
        return isOn(plainValue) ? 1.0 : 0.0;
    }
}

bool valueText(ParamID id, double hostValue, std::string& text)
{
    switch (parameterKind(id)) {
    case ParameterKind::Continuous: {
        char buffer[param::kFormatterTextCapacity];
        param::findControl(static_cast<int>(id)).formatter(static_cast<float>(toPlainValue(id, hostValue)), buffer);
        text = buffer;
        return true;
    }
    case ParameterKind::Bypass:
    case ParameterKind::Switch:
    case ParameterKind::Action:
        text = isOn(hostValue) ? "On" : "Off";
        return true;
    default:
        return false;
    }
}

bool valueFromText(ParamID id, const std::string& text, double& hostValue)
{
    switch (parameterKind(id)) {
    case ParameterKind::Continuous: {
        double real = 0.0;
        if (!param::parseValueText(static_cast<int>(id), text.c_str(), real))
            return false;
        hostValue = fromPlainValue(id, real);
        return true;
    }
    case ParameterKind::Bypass:
    case ParameterKind::Switch:
    case ParameterKind::Action: {
        const std::string t = lowered(text);
        if (t == "on" || t == "1")
            hostValue = 1.0;
        else if (t == "off" || t == "0")
            hostValue = 0.0;
        else
            return false;
        return true;
    }
    default:
        return false;
    }
}

} // namespace vst3plugin
