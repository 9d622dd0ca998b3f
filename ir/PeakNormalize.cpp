#include "ir/IRFileReaders.h"

#include <cmath>

namespace ir {

void normalizePeak(int frames, float* left, float* right)
{
    if (frames <= 0 || left == nullptr || right == nullptr)
        return;
    float peak = 0.0f;
    for (int i = 0; i < frames; ++i) {
        const float l = std::fabs(left[i]);
        const float r = std::fabs(right[i]);
        if (l > peak)
            peak = l;
        if (r > peak)
            peak = r;
    }
    if (!(peak > 0.0f) || !std::isfinite(peak))
        return;
    // The reciprocal and products in double: the peak sample then rounds to
    // exactly 1.0f, and a subnormal peak cannot turn the factor into infinity.
    const double factor = 1.0 / static_cast<double>(peak);
    for (int i = 0; i < frames; ++i) {
        left[i] = static_cast<float>(left[i] * factor);
        right[i] = static_cast<float>(right[i] * factor);
    }
}

} // namespace ir
