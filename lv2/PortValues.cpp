#include "lv2/PortValues.h"

#include "lv2/PortLayout.h"
#include "params/ParameterTable.h"

#include <algorithm>
#include <cmath>

namespace lv2plugin {

bool portToNormalised(int id, float portValue, float& normalised)
{
    if (!hasParameterPort(id) || std::isnan(portValue))
        return false;
    if (parameterPort(id).toggle) {
        normalised = portValue > 0.0f ? 1.0f : 0.0f;
        return true;
    }
    const param::ParameterRecord& record = param::findControl(id);
    const double real = std::clamp(static_cast<double>(portValue), record.minimum, record.maximum);
    normalised = static_cast<float>(std::clamp(param::toNormalisedValue(real, id), 0.0, 1.0));
    return true;
}

float normalisedToPort(int id, float normalised)
{
    const double real = param::toRealValue(normalised, id);
    if (hasParameterPort(id) && parameterPort(id).toggle) {
        // The bypass processes only at 1 (the real value truncated); the
        // switches are on for anything but 0.
        const bool on = id == param::kBypassLocal ? std::trunc(real) >= 1.0 : real != 0.0;
        return on ? 1.0f : 0.0f;
    }
    return static_cast<float>(real);
}

} // namespace lv2plugin
