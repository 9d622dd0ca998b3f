#include "engine/FadeCurve.h"

#include "engine/AlignedFloats.h"

#include <cassert>
#include <cmath>
#include <memory>
#include <mutex>

namespace engine {

const float* FadeCurve::forLength(int log2Frames)
{
    assert(log2Frames >= kMinLog2Frames && log2Frames <= kMaxLog2Frames);
    static std::once_flag once[kMaxLog2Frames + 1];
    static std::unique_ptr<AlignedFloats> tables[kMaxLog2Frames + 1];
    std::call_once(once[log2Frames], [log2Frames] {
        const int frames = 1 << log2Frames;
        auto table = std::make_unique<AlignedFloats>(static_cast<std::size_t>(frames));
        const double pi = 3.14159265358979323846;
        for (int g = 0; g < frames; ++g) {
            const double s = std::sin(pi * g / (2.0 * frames));
            (*table)[static_cast<std::size_t>(g)] = static_cast<float>(s * s);
        }
        tables[log2Frames] = std::move(table);
    });
    return tables[log2Frames]->data();
}

} // namespace engine
