#include "lv2/RememberedPathWatch.h"

#include "core/ReverbModel.h"

#include <cmath>
#include <cstring>

namespace lv2plugin {

static_assert(param::kPathCount == param::kPathParamValues, "one path value per path parameter");

RememberedPathWatch::RememberedPathWatch()
{
    // Values no effect holds: the first still reading is reported.
    for (int k = 0; k < param::kPathCount; ++k) {
        seen_[k] = std::nanf("");
        reported_[k] = std::nanf("");
    }
}

bool RememberedPathWatch::poll(const core::ReverbModel& reverb)
{
    float now[param::kPathCount];
    for (int k = 0; k < param::kPathCount; ++k)
        now[k] = reverb.getParameter(param::kPathFirst + k);
    const bool still = std::memcmp(now, seen_, sizeof now) == 0;
    std::memcpy(seen_, now, sizeof now);
    if (!still || std::memcmp(now, reported_, sizeof now) == 0)
        return false;
    std::memcpy(reported_, now, sizeof now);
    param::decodePathFromParams(now, path_);
    return true;
}

std::uint32_t RememberedPathWatch::length() const
{
    return static_cast<std::uint32_t>(strnlen(path_, sizeof path_));
}

} // namespace lv2plugin
